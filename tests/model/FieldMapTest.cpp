#include "model/FieldMap.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(FieldMap, behavesLikeASmallHashWhoseEqualityIgnoresOrder)
{
    FieldMap<QString> map{{u"title"_s, u"A"_s}, {u"year"_s, u"2004"_s}};
    map.insert(u"title"_s, u"B"_s); // replaces
    EXPECT_EQ(map.keys(), QStringList({u"title"_s, u"year"_s}));
    EXPECT_EQ(map.value(u"title"), u"B");
    EXPECT_EQ(map.value(u"missing", u"x"_s), u"x");
    EXPECT_EQ(map.constFind(u"nothing"), map.constEnd());
    EXPECT_EQ(map, (FieldMap<QString>(
                       QHash<QString, QString>{{u"year"_s, u"2004"_s}, {u"title"_s, u"B"_s}})));
    EXPECT_EQ(map.remove(u"year"), 1);
    EXPECT_EQ(map.remove(u"year"), 0);
    EXPECT_NE(map, (FieldMap<QString>{{u"title"_s, u"A"_s}}));
    EXPECT_NE(map, FieldMap<QString>());
    EXPECT_EQ(map.toHash(), (QHash<QString, QString>{{u"title"_s, u"B"_s}}));
    EXPECT_EQ(map.values(), QStringList({u"B"_s}));
}
