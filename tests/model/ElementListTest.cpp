// A field's value elements: one held inline, several in a list, and the
// crossings between the two.
#include "model/ElementList.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

BibElement word(const QString &text)
{
    return BibElement(BibElement::Word, text);
}

BibElement braced(const QString &text)
{
    return BibElement::bibElementWithString(u'{' + text + u'}');
}

} // namespace

TEST(ElementList, changesKeepTheElementsInOrder)
{
    struct Row
    {
        const char *name;
        std::function<ElementList()> make;
        QList<BibElement> expected;
    };
    const Row rows[] = {
        {"nothing", [] { return ElementList(); }, {}},
        {"one from a list",
         [] { return ElementList(QList<BibElement>{word(u"jan"_s)}); },
         {word(u"jan"_s)}},
        {"append to nothing",
         [] {
             ElementList list;
             list.append(braced(u"x"_s));
             return list;
         },
         {braced(u"x"_s)}},
        {"append to one",
         [] {
             ElementList list(word(u"jan"_s));
             list.append(braced(u"~1"_s));
             return list;
         },
         {word(u"jan"_s), braced(u"~1"_s)}},
        {"append to several",
         [] {
             ElementList list{word(u"a"_s), word(u"b"_s)};
             list.append(word(u"c"_s));
             return list;
         },
         {word(u"a"_s), word(u"b"_s), word(u"c"_s)}},
        {"append itself",
         [] {
             ElementList list(word(u"a"_s));
             list.append(list);
             return list;
         },
         {word(u"a"_s), word(u"a"_s)}},
        {"one assigned over several",
         [] {
             ElementList list{word(u"a"_s), word(u"b"_s)};
             list = ElementList(braced(u"c"_s));
             return list;
         },
         {braced(u"c"_s)}},
        {"several assigned over one",
         [] {
             ElementList list(braced(u"c"_s));
             const ElementList other{word(u"a"_s), word(u"b"_s)};
             list = other;
             return list;
         },
         {word(u"a"_s), word(u"b"_s)}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const ElementList list = row.make();
        EXPECT_EQ(list.size(), row.expected.size());
        EXPECT_EQ(list.isEmpty(), row.expected.isEmpty());
        EXPECT_EQ(list, row.expected);
        EXPECT_EQ(list.toList(), row.expected);
        EXPECT_EQ(list, ElementList(row.expected));
        QList<BibElement> walked;
        for (const BibElement &element : list)
            walked.append(element);
        EXPECT_EQ(walked, row.expected);
    }
}

TEST(ElementList, equalityReadsTheElementsNotTheirForm)
{
    const ElementList one(word(u"a"_s));
    EXPECT_EQ(one, ElementList({word(u"a"_s)}));
    EXPECT_FALSE(one == ElementList({word(u"a"_s), word(u"b"_s)}));
    EXPECT_FALSE(one == ElementList(braced(u"a"_s)));
    EXPECT_FALSE(one == ElementList());
    EXPECT_EQ(ElementList(), ElementList(QList<BibElement>()));
}

TEST(ElementList, copiesChangeAlone)
{
    for (const ElementList &original :
         {ElementList(word(u"a"_s)), ElementList({word(u"a"_s), word(u"b"_s)})}) {
        ElementList copy = original;
        copy[0].setData(u"changed"_s);
        copy.append(word(u"z"_s));
        EXPECT_EQ(original.first(), word(u"a"_s));
        EXPECT_EQ(copy.first(), word(u"changed"_s));
        EXPECT_EQ(copy.size(), original.size() + 1);
    }
}

TEST(ElementList, anElementOfAnUnknownTypeIsHeldAsAWord)
{
    // A negative type must not pass for the mark of a held list.
    const ElementList list(BibElement(-1, u"x"_s));
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list.first().elementType(), BibElement::Word);
    EXPECT_EQ(list.first().stringValue(), u"x");
}
