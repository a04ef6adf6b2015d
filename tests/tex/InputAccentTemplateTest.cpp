#include "tex/InputAccentTemplate.h"

#include <gtest/gtest.h>

#include <optional>

using namespace Qt::StringLiterals;

TEST(InputAccentTemplate, putsTheAccentOnSelectionOrDefault)
{
    const struct
    {
        const char *name;
        const char16_t *texString;
        char16_t defaultChar;
        std::optional<QString> selection;
        const char16_t *expected;
    } rows[] = {
        {"acute on e", u"{\\'{X}}", u'e', u"e"_s, u"{\\'e}"},
        {"acute default", u"{\\'{X}}", u'e', std::nullopt, u"{\\'e}"},
        {"acute empty selection", u"{\\'{X}}", u'e', u""_s, u"{\\'e}"},
        {"acute on two letters braced", u"{\\'{X}}", u'e', u"ae"_s, u"{\\'{ae}}"},
        {"double acute on o", u"{\\H{X}}", u'u', u"o"_s, u"{\\H{o}}"},
        {"double acute default", u"{\\H{X}}", u'u', std::nullopt, u"{\\H{u}}"},
        {"caron on a word", u"{\\v{X}}", u's', u"cz"_s, u"{\\v{cz}}"},
        {"letter button fixed", u"{\\AA}", u' ', u"x"_s, u"{\\AA}"},
        {"letter button without selection", u"{\\ss}", u' ', std::nullopt, u"{\\ss}"},
    };
    for (const auto &row : rows) {
        InputAccentTemplate t;
        t.setTeXString(QString::fromUtf16(row.texString), QChar(row.defaultChar));
        EXPECT_EQ(t.getTeXString(row.selection), QString::fromUtf16(row.expected)) << row.name;
    }
}

TEST(InputAccentTemplate, standardButtonsWithoutSelection)
{
    const char16_t *expected[] = {
        u"{\\'e}",   u"{\\`e}", u"{\\^e}",   u"{\\~n}",   u"{\\\"u}",  u"{\\H{u}}", u"{\\.s}",
        u"{\\d{s}}", u"{\\=g}", u"{\\b{b}}", u"{\\u{o}}", u"{\\v{s}}", u"{\\c{c}}", u"{\\r{u}}",
    };
    const auto buttons = InputAccentTemplate::standardAccents();
    ASSERT_EQ(buttons.size(), 14u);
    for (std::size_t k = 0; k < buttons.size(); ++k)
        EXPECT_EQ(buttons[k].getTeXString(std::nullopt), QString::fromUtf16(expected[k])) << k;
}

TEST(InputAccentTemplate, braceFlagFollowsTheCommand)
{
    InputAccentTemplate t;
    EXPECT_TRUE(t.needsBrace());
    t.setTeXString(u"{\\~{X}}"_s, u'n');
    EXPECT_FALSE(t.needsBrace());
    t.setTeXString(u"{\\c{X}}"_s, u'c');
    EXPECT_TRUE(t.needsBrace());
}
