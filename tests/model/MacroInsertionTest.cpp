#include "model/MacroInsertion.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct InsertionCase
{
    const char *name;
    QString text;
    qsizetype start;
    qsizetype length;
    QString macro;
    QString expected;
    qsizetype cursor;
};

class MacroInsertionCases : public testing::TestWithParam<InsertionCase>
{};

TEST_P(MacroInsertionCases, insertsTheMacroAndPlacesTheCursorAfterIt)
{
    const InsertionCase &c = GetParam();
    const MacroInsertion::Result result =
        MacroInsertion::insertMacro(c.text, c.start, c.length, c.macro);
    EXPECT_EQ(result.text, c.expected);
    EXPECT_EQ(result.cursor, c.cursor);
}

INSTANTIATE_TEST_SUITE_P(
    MacroInsertion, MacroInsertionCases,
    testing::Values(
        InsertionCase{"emptyField", u""_s, 0, 0, u"jpc"_s, u"@jpc"_s, 4},
        InsertionCase{"atTheEnd", u"Phys. Rev."_s, 10, 0, u"b"_s, u"@\"Phys. Rev. \" # b"_s, 18},
        InsertionCase{"inTheMiddle", u"In  Proc. of"_s, 2, 0, u"icml"_s,
                      u"@\"In \" # icml # \" Proc. of\""_s, 13},
        InsertionCase{"expressionFragmentsKept", u"@jan # \" 1999\""_s, 4, 0, u"feb"_s,
                      u"@jan # feb # \" 1999\""_s, 10},
        InsertionCase{"selectionReplaced", u"Journal of X"_s, 11, 1, u"x"_s,
                      u"@\"Journal of \" # x"_s, 18},
        // A "#" of plain text is part of the value, not a joint.
        InsertionCase{"plainSharpKept", u"C#"_s, 2, 0, u"lang"_s, u"@\"C# \" # lang"_s, 13},
        InsertionCase{"plainQuoteBraced", u"The \"best\""_s, 10, 0, u"m"_s,
                      u"@{The \"best\" } # m"_s, 18},
        InsertionCase{"openStringClosed", u"@\"Phys Rev\" # b"_s, 6, 0, u"m"_s,
                      u"@\"Phys \" # m # \" Rev\" # b"_s, 12},
        InsertionCase{"expressionSharpTrimmed", u"@a # "_s, 5, 0, u"b"_s, u"@a # b"_s, 6}),
    [](const testing::TestParamInfo<InsertionCase> &row) { return std::string(row.param.name); });

TEST(MacroInsertion, checkQuotesClosesAnOpenString)
{
    bool hasQuotes = false;
    EXPECT_EQ(MacroInsertion::checkQuotes(u"\"abc"_s, true, hasQuotes), u"\"abc \""_s);
    EXPECT_TRUE(hasQuotes);
    EXPECT_EQ(MacroInsertion::checkQuotes(u"abc\""_s, false, hasQuotes), u"\" abc\""_s);
    EXPECT_EQ(MacroInsertion::checkQuotes(u"\""_s, true, hasQuotes), QString());
    EXPECT_EQ(MacroInsertion::checkQuotes(u"abc"_s, true, hasQuotes), u"abc"_s);
    EXPECT_FALSE(hasQuotes);
}

TEST(MacroInsertion, macrosAreRefusedInKeyAndLinkFields)
{
    for (const QString &field : {u"bibkey"_s, u"email"_s, u"url"_s, u"file"_s, QString()})
        EXPECT_FALSE(MacroInsertion::permitsMacro(field)) << field.toStdString();
    EXPECT_TRUE(MacroInsertion::permitsMacro(u"journal"_s));
}

} // namespace
