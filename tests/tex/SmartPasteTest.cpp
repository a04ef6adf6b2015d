#include "tex/SmartPaste.h"

#include "PasteTestSupport.h"
#include "TexTestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

using Range = SmartPaste::Range;
using Kind = SmartPaste::Kind;

TEST(SmartPaste, kindOfField)
{
    const std::tuple<const char16_t *, bool, bool, Kind> rows[] = {
        {u"author", true, false, Kind::Author},  {u"editor", true, true, Kind::Author},
        {u"author", false, true, Kind::None},    {u"title", false, true, Kind::Title},
        {u"booktitle", true, true, Kind::Title}, {u"title", true, false, Kind::None},
        {u"journal", true, true, Kind::None},
    };
    for (const auto &[field, authorSwitch, titleSwitch, kind] : rows)
        EXPECT_EQ(SmartPaste::kindOfField(QString::fromUtf16(field), authorSwitch, titleSwitch),
                  kind)
            << QString::fromUtf16(field).toStdString();
}

TEST(SmartPaste, rangesStayInsideTheText)
{
    const std::tuple<const char *, Range, qsizetype, Range> rows[] = {
        {"inside", {2, 3}, 10, {2, 3}},
        {"runs past the end", {8, 5}, 10, {8, 2}},
        {"starts before the text", {-4, 6}, 10, {0, 6}},
        {"starts past the end", {12, 3}, 10, {10, 0}},
        {"negative length", {3, -2}, 10, {3, 0}},
    };
    for (const auto &[name, range, textLength, expected] : rows)
        EXPECT_EQ(SmartPaste::clampedRange(range, textLength), expected) << name;
}

TEST(SmartPaste, insertedRangeComesFromTheTwoTexts)
{
    const std::tuple<const char *, const char16_t *, const char16_t *, Range> rows[] = {
        {"appended", u"A. Smith and ", u"A. Smith and C. Jones", {13, 8}},
        {"inserted in the middle", u"A and B", u"A and X Y and B", {6, 8}},
        {"replaced a selection", u"A. Smith and XXXX", u"A. Smith and C. Jones", {13, 8}},
        {"deleted", u"Smith J", u"Smith", {5, 0}},
        {"repeated letters", u"aaa", u"aaaaaa", {3, 3}},
    };
    for (const auto &[name, before, after, expected] : rows)
        EXPECT_EQ(SmartPaste::insertedRange(QString::fromUtf16(before), QString::fromUtf16(after)),
                  expected)
            << name;
}

TEST(SmartPaste, rewritesAPasteOfMoreThanThreeCharacters)
{
    const SmartPaste paste(defaultWordLists());
    using enum SmartPaste::Kind;
    // Text, pasted range (start, length), field kind, result, cursor (-1: no rewrite).
    const std::tuple<const char *, const char16_t *, qsizetype, qsizetype, Kind, const char16_t *,
                     qsizetype>
        rows[] = {
            {"authors", u"A. Li and C. Wu, D. Ng", 10, 12, Author, u"A. Li and C. Wu and D. Ng",
             25},
            {"title", u"Vol. 2: quantum dots", 8, 12, Title, u"Vol. 2: Quantum Dots", 20},
            {"line breaks", u"Smith J,\nJones K", 0, 16, Author, u"Smith, J. and Jones, K.", 23},
            {"range too long", u"A. Li and C. Wu", 10, 40, Author, u"A. Li and C. Wu", 15},
            // No rewrite: only the character clean-up, over the whole text.
            {"four characters", u"Smith J", 3, 4, Author, u"Smith J", -1},
            {"short after trimming", u"Smith   J  ", 5, 6, Author, u"Smith   J  ", -1},
            {"already TeX", u"M{\\\"u}ller\u2013Li", 0, 13, Author, u"M{\\\"u}ller--Li", -1},
            {"yen mark", u"M{\u00a5\"u}ller\tLi", 0, 13, Author, u"M{\\\"u}ller Li", -1},
            {"math", u"the x$_2$ lattice", 0, 17, Title, u"the x$_2$ lattice", -1},
            {"other field", u"Journal\u2014of X", 0, 12, None, u"Journal---of X", -1},
        };
    for (const auto &[name, text, start, length, kind, expected, cursor] : rows) {
        SCOPED_TRACE(name);
        const SmartPaste::Outcome outcome =
            paste.textChanged(QString::fromUtf16(text), Range{start, length}, kind);
        EXPECT_EQ(outcome.text, QString::fromUtf16(expected));
        EXPECT_EQ(outcome.rewritten, cursor >= 0);
        EXPECT_EQ(outcome.cursor.value_or(-1), cursor);
    }
}

TEST(SmartPaste, rewriteStandsAlone)
{
    const SmartPaste paste(defaultWordLists());
    EXPECT_EQ(paste.rewrite(u"  SMITH J, JONES K\n"_s, Kind::Author), u"Smith, J. and Jones, K."_s);
    EXPECT_EQ(paste.rewrite(u"Fe3+\tions"_s, Kind::Title), u"{Fe}$^{3+}$ Ions"_s);
    EXPECT_EQ(paste.rewrite(u"a\u2014b"_s, Kind::None), u"a---b"_s);
}
