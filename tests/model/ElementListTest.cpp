// A field's value elements: one held inline, several in a list, and the
// crossings between the two.
#include "model/ElementList.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Two words and a braced string.
struct Elements
{
    const BibElement a{BibElement::Word, u"a"_s};
    const BibElement b{BibElement::Word, u"b"_s};
    const BibElement c = BibElement::bibElementWithString(u"{c}"_s);
};

// `list` holds `expected`, however it is read.
void expectElements(const char *row, const ElementList &list, const QList<BibElement> &expected)
{
    SCOPED_TRACE(row);
    EXPECT_EQ(list.size(), expected.size());
    EXPECT_EQ(list.isEmpty(), expected.isEmpty());
    EXPECT_EQ(list, expected);
    EXPECT_EQ(list.toList(), expected);
    EXPECT_EQ(list, ElementList(expected));
    QList<BibElement> walked;
    for (const BibElement &element : list)
        walked.append(element);
    EXPECT_EQ(walked, expected);
}

} // namespace

TEST(ElementList, changesKeepTheElementsInOrderAndCopiesChangeAlone)
{
    const auto [a, b, c] = Elements();
    expectElements("nothing", ElementList(), {});
    expectElements("one from a list", ElementList(QList<BibElement>{a}), {a});
    ElementList list;
    list.append(c);
    expectElements("append to nothing", list, {c});
    list.append(a);
    expectElements("append to one", list, {c, a});
    list.append(b);
    expectElements("append to several", list, {c, a, b});
    list = ElementList(a);
    expectElements("one assigned over several", list, {a});
    list.append(list);
    expectElements("append itself", list, {a, a});
    ElementList one(c);
    one = list;
    expectElements("several assigned over one", one, {a, a});
    // Copies change alone.
    for (const ElementList &original : {ElementList(a), ElementList({a, b})}) {
        ElementList copy = original;
        copy[0].setData(u"changed"_s);
        copy.append(c);
        EXPECT_EQ(original.first(), a);
        EXPECT_EQ(copy.first(), BibElement(BibElement::Word, u"changed"_s));
        EXPECT_EQ(copy.size(), original.size() + 1);
    }
    // Equality reads the elements, not how they are held.
    EXPECT_FALSE(ElementList(a) == ElementList(c));
    EXPECT_FALSE(ElementList(a) == ElementList());
}

TEST(ElementList, anElementOfAnUnknownTypeIsHeldAsAWord)
{
    // A negative type must not pass for the mark of a held list.
    const ElementList list(BibElement(-1, u"x"_s));
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list.first(), BibElement(BibElement::Word, u"x"_s));
}
