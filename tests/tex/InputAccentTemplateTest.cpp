#include "tex/InputAccentTemplate.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

using namespace Qt::StringLiterals;

TEST(InputAccentTemplate, putsTheAccentOnSelectionOrDefault)
{
    const std::tuple<const char *, const char16_t *, char16_t, std::optional<QString>,
                     const char16_t *>
        rows[] = {
            {"acute on e", u"{\\'{X}}", u'e', u"e"_s, u"{\\'e}"},
            {"acute default", u"{\\'{X}}", u'e', std::nullopt, u"{\\'e}"},
            {"acute on two letters braced", u"{\\'{X}}", u'e', u"ae"_s, u"{\\'{ae}}"},
            {"double acute on o", u"{\\H{X}}", u'u', u"o"_s, u"{\\H{o}}"},
            {"letter button fixed", u"{\\AA}", u' ', u"x"_s, u"{\\AA}"},
        };
    for (const auto &[name, texString, defaultChar, selection, expected] : rows) {
        InputAccentTemplate t;
        t.setTeXString(QString::fromUtf16(texString), QChar(defaultChar));
        EXPECT_EQ(t.getTeXString(selection), QString::fromUtf16(expected)) << name;
    }
    // Only accents written as a letter command need a brace.
    InputAccentTemplate t;
    t.setTeXString(u"{\\~{X}}"_s, u'n');
    EXPECT_FALSE(t.needsBrace());
    t.setTeXString(u"{\\c{X}}"_s, u'c');
    EXPECT_TRUE(t.needsBrace());
}

TEST(InputAccentTemplate, standardButtonsPutTheirAccentOnTheirDefault)
{
    const auto buttons = InputAccentTemplate::standardAccents();
    ASSERT_EQ(buttons.size(), 14u);
    EXPECT_EQ(buttons.front().getTeXString(std::nullopt), u"{\\'e}"_s);
    EXPECT_EQ(buttons.back().getTeXString(std::nullopt), u"{\\r{u}}"_s);
}
