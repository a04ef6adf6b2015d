#include "tex/InputSupportTemplate.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

using namespace Qt::StringLiterals;

TEST(InputSupportTemplate, insertsTheTemplateForTheSelection)
{
    // Template, default parameter, mode, selection, inside math, inserted text.
    const std::tuple<const char *, const char16_t *, const char16_t *, int, std::optional<QString>,
                     bool, const char16_t *>
        rows[] = {
            {"outside math opens a span", u"\\alpha", u"", 1, std::nullopt, false, u"$\\alpha$"},
            {"greek inside math as is", u"\\alpha", u"", 1, std::nullopt, true, u"\\alpha"},
            {"empty selection takes default", u"_{X}", u"2", 1, u""_s, true, u"_2"},
            {"digit selection bare", u"^{X}", u"2", 1, u"7"_s, true, u"^7"},
            {"longer selection braced", u"\\sqrt{X}", u"3", 1, u"x+1"_s, true, u"\\sqrt{x+1}"},
            {"text default never braced", u"\\{{X}\\}", u"text", 2, u"a,b"_s, false, u"\\{a,b\\}"},
            {"text template inside math leaves it", u"${X}$", u"text", 0, u"y"_s, true, u"$$y$$"},
            {"no placeholder ignores selection", u"\\infty", u"", 2, u"zz"_s, false, u"\\infty"},
        };
    for (const auto &[name, tex, defaultParam, mode, selection, inMath, expected] : rows) {
        InputSupportTemplate t;
        t.setTeXString(QString::fromUtf16(tex), QString::fromUtf16(defaultParam), mode);
        EXPECT_EQ(t.getTeXString(selection, inMath), QString::fromUtf16(expected)) << name;
    }
}

TEST(InputSupportTemplate, emptyOrUntitledTemplatesDoNothing)
{
    InputSupportTemplate t;
    EXPECT_FALSE(t.getTeXString(u"x"_s, false).has_value());
    t.setTeXString(QString(), u"2"_s, 1);
    EXPECT_FALSE(t.getTeXString(std::nullopt, true).has_value());
    EXPECT_FALSE(t.hasParams());
    t.setTeXString(u"^{X}"_s, u"2"_s, 1);
    EXPECT_TRUE(t.hasParams());
    // A button without a title stays disabled.
    t.setEnabled(true);
    EXPECT_FALSE(t.isEnabled());
    t.setTitle(u"α"_s);
    EXPECT_TRUE(t.isEnabled());
    // Mode words; anything else is text.
    for (const auto &[word, mode] : {std::pair{u"math", 1}, {u"both", 2}, {u"Math", 0}})
        EXPECT_EQ(InputSupportTemplate::mathModeFromWord(word), mode) << mode;
}

TEST(InputSupportTemplate, insertionPointInsideMath)
{
    const std::tuple<const char *, const char16_t *, qsizetype, bool> rows[] = {
        {"after opening dollar", u"$x$", 1, true},
        {"escaped dollar does not toggle", u"\\$ x", 3, false},
        {"escaped backslash then dollar", u"\\\\$x", 4, true},
        {"second span", u"$a$ and $b", 10, true},
        {"position past the end", u"$ab", 99, true},
    };
    for (const auto &[name, text, position, expected] : rows)
        EXPECT_EQ(InputSupportTemplate::isInsideMath(QString::fromUtf16(text), position), expected)
            << name;
}
