#include "model/FieldMap.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(FieldMap, behavesLikeASmallHash)
{
    FieldMap<QString> map;
    map.insert(u"title"_s, u"A"_s);
    map.insert(u"year"_s, u"2004"_s);
    map.insert(u"title"_s, u"B"_s); // replaces
    EXPECT_EQ(map.size(), 2);
    EXPECT_EQ(map.value(u"title"), u"B");
    EXPECT_EQ(map.value(u"missing"), QString());
    EXPECT_EQ(map.value(u"missing", u"x"_s), u"x");
    EXPECT_TRUE(map.contains(u"year"));
    EXPECT_EQ(map.constFind(u"nothing"), map.constEnd());
    EXPECT_EQ(map.constFind(u"year").key(), u"year");
    EXPECT_EQ(*map.constFind(u"year"), u"2004");
    EXPECT_EQ(map.remove(u"year"), 1);
    EXPECT_EQ(map.remove(u"year"), 0);
    EXPECT_EQ(map.keys(), QStringList({u"title"_s}));
    EXPECT_EQ(map.values(), QStringList({u"B"_s}));
}

TEST(FieldMap, equalityIgnoresOrderAndConvertsFromHash)
{
    const FieldMap<QString> a{{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}};
    const FieldMap<QString> b{{u"b"_s, u"2"_s}, {u"a"_s, u"1"_s}};
    const FieldMap<QString> c{{u"b"_s, u"2"_s}, {u"a"_s, u"3"_s}};
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_NE(a, (FieldMap<QString>{{u"a"_s, u"1"_s}}));
    const QHash<QString, QString> hash{{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}};
    EXPECT_EQ(FieldMap<QString>(hash), a);
    EXPECT_EQ(a.toHash(), hash);
}
