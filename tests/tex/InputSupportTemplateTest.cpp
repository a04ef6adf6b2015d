#include "tex/InputSupportTemplate.h"

#include <gtest/gtest.h>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

struct Row
{
    const char *name;
    const char16_t *texString;
    const char16_t *defaultParam;
    int mode;
    std::optional<QString> selection;
    bool inMath;
    const char16_t *expected;
};

} // namespace

TEST(InputSupportTemplate, insertsTheTemplateForTheSelection)
{
    const Row rows[] = {
        {"greek outside math opens a span", u"\\alpha", u"", 1, std::nullopt, false, u"$\\alpha$"},
        {"greek inside math as is", u"\\alpha", u"", 1, std::nullopt, true, u"\\alpha"},
        {"superscript of selection", u"^{X}", u"2", 1, u"n"_s, false, u"$^{n}$"},
        {"superscript default digit bare", u"^{X}", u"2", 1, std::nullopt, false, u"$^2$"},
        {"empty selection takes default", u"_{X}", u"2", 1, u""_s, true, u"_2"},
        {"digit selection bare", u"^{X}", u"2", 1, u"7"_s, true, u"^7"},
        {"longer selection braced", u"\\sqrt{X}", u"3", 1, u"x+1"_s, true, u"\\sqrt{x+1}"},
        {"text default never braced", u"\\{{X}\\}", u"text", 2, u"a,b"_s, false, u"\\{a,b\\}"},
        {"quotes either mode", u"``{X}''", u"text", 2, std::nullopt, true, u"``text''"},
        {"text template inside math leaves it", u"${X}$", u"text", 0, u"y"_s, true, u"$$y$$"},
        {"text template outside math", u"${X}$", u"text", 0, u"y"_s, false, u"$y$"},
        {"every placeholder replaced", u"{X}/{X}", u"1", 2, u"ab"_s, false, u"{ab}/{ab}"},
        {"no placeholder ignores selection", u"\\infty", u"", 2, u"zz"_s, false, u"\\infty"},
    };
    for (const Row &row : rows) {
        InputSupportTemplate t;
        t.setTeXString(QString::fromUtf16(row.texString), QString::fromUtf16(row.defaultParam),
                       row.mode);
        const std::optional<QString> result = t.getTeXString(row.selection, row.inMath);
        ASSERT_TRUE(result.has_value()) << row.name;
        EXPECT_EQ(*result, QString::fromUtf16(row.expected)) << row.name;
    }
}

TEST(InputSupportTemplate, emptyTemplateInsertsNothing)
{
    InputSupportTemplate t;
    EXPECT_EQ(t.needsMathMode(), InputSupportTemplate::EitherMode);
    EXPECT_FALSE(t.getTeXString(u"x"_s, false).has_value());
    t.setTeXString(QString(), u"2"_s, 1);
    EXPECT_FALSE(t.getTeXString(std::nullopt, true).has_value());
}

TEST(InputSupportTemplate, placeholderFlag)
{
    InputSupportTemplate t;
    t.setTeXString(u"^{X}"_s, u"2"_s, 1);
    EXPECT_TRUE(t.hasParams());
    t.setTeXString(u"^{Y}"_s, u"2"_s, 1);
    EXPECT_FALSE(t.hasParams());
}

TEST(InputSupportTemplate, buttonWithoutTitleStaysDisabled)
{
    InputSupportTemplate t;
    t.setEnabled(true);
    EXPECT_FALSE(t.isEnabled());
    t.setTitle(u"α"_s);
    EXPECT_TRUE(t.isEnabled());
    t.setEnabled(false);
    EXPECT_FALSE(t.isEnabled());
}

TEST(InputSupportTemplate, modeWords)
{
    EXPECT_EQ(InputSupportTemplate::mathModeFromWord(u"math"), 1);
    EXPECT_EQ(InputSupportTemplate::mathModeFromWord(u"both"), 2);
    EXPECT_EQ(InputSupportTemplate::mathModeFromWord(u"text"), 0);
    EXPECT_EQ(InputSupportTemplate::mathModeFromWord(u"Math"), 0);
}

TEST(InputSupportTemplate, insertionPointInsideMath)
{
    const struct
    {
        const char *name;
        const char16_t *text;
        qsizetype position;
        bool expected;
    } rows[] = {
        {"start", u"$x$", 0, false},
        {"after opening dollar", u"$x$", 1, true},
        {"after closing dollar", u"$x$", 3, false},
        {"escaped dollar does not toggle", u"\\$ x", 3, false},
        {"escaped backslash then dollar", u"\\\\$x", 4, true},
        {"second span", u"$a$ and $b", 10, true},
        {"position past the end", u"$ab", 99, true},
    };
    for (const auto &row : rows)
        EXPECT_EQ(InputSupportTemplate::isInsideMath(QString::fromUtf16(row.text), row.position),
                  row.expected)
            << row.name;
}
