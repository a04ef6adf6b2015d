#include "tex/UnicodeToTeX.h"

#include <QSet>

#include "TexTestSupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The text after one pass of the shared converter.
template<void (UnicodeToTeX::*pass)(QString &) const> QString converted(QString text)
{
    (UnicodeToTeX::globalConverter()->*pass)(text);
    return text;
}

const auto letter = &converted<&UnicodeToTeX::convertLetter>;
const auto symbols = &converted<&UnicodeToTeX::convertSymbols>;
const auto math = &converted<&UnicodeToTeX::convertMath>;

} // namespace

// ---------------------------------------------------------------------------
// The character tables

// Every table entry is checked by the round trip through TeX to text; here
// only that the tables are complete and never convert their own output.
TEST(UnicodeToTeXTables, dictionariesAreFullAndDisjoint)
{
    const UnicodeToTeX *converter = UnicodeToTeX::globalConverter();
    // Å and å appear among the ring letters too; the special letters win.
    EXPECT_EQ(converter->letterDictionary().size(), 230 + 16 - 2);
    EXPECT_EQ(converter->symbolDictionary().size(), 16);
    EXPECT_EQ(converter->mathDictionary().size(), 85);
    EXPECT_EQ(converter->mathParamDictionary().size(), 1);
    // The characters the text passes convert; math replacements are TeX already.
    QSet<QChar> converted;
    for (const auto *dic : {&converter->letterDictionary(), &converter->symbolDictionary(),
                            &converter->mathParamDictionary()})
        for (auto it = dic->constBegin(); it != dic->constEnd(); ++it)
            converted.insert(it.key());
    QSet<QChar> seen;
    for (const auto *dic : {&converter->letterDictionary(), &converter->symbolDictionary(),
                            &converter->mathDictionary(), &converter->mathParamDictionary()}) {
        for (auto it = dic->constBegin(); it != dic->constEnd(); ++it) {
            EXPECT_FALSE(seen.contains(it.key())) << int(it.key().unicode());
            seen.insert(it.key());
            // "{\#}": an escaped special is not converted again.
            for (qsizetype i = 0; i < it.value().size(); i += it.value().at(i) == u'\\' ? 2 : 1)
                EXPECT_FALSE(converted.contains(it.value().at(i)))
                    << "replacement of U+" << std::hex << int(it.key().unicode());
        }
    }
}

// ---------------------------------------------------------------------------
// Letters

TEST(UnicodeToTeXLetters, precomposedSpecialAndCombined)
{
    expectConversions(
        letter,
        {
            // Precomposed and special letters.
            {"acute", u"\u00e9", u"{\\'e}"},
            {"ring A is the letter AA", u"\u00c5ngstr\u00f6m", u"{\\AA}ngstr{\\\"o}m"},
            {"sharp s", u"Stra\u00dfe", u"Stra{\\ss}e"},
            {"fi ligature", u"\ufb01ne", u"fine"},
            {"plain ASCII untouched", u"plain {text} $x$ 10%", u"plain {text} $x$ 10%"},
            {"letters outside the tables stay", u"\u0105\u4e2d\u0131", u"\u0105\u4e2d\u0131"},
            // Combining marks.
            {"acute after e", u"e\u0301", u"{\\'e}"},
            {"spaces on both sides absorbed", u"e \u0301 x", u"{\\'e}x"},
            {"mark first has no base", u"\u0301e", u"\u0301e"},
            {"space then mark at start", u" \u0301", u"{\\' }"},
            {"letter command format", u"o\u030b", u"{\\H{o}}"},
            {"two marks stack", u"e\u0323\u0302", u"{\\^{\\d{e}}}"},
            {"dotless i under a mark becomes i", u"\u0131\u0301", u"{\\'i}"},
            {"dotless i alone stays", u"Is\u0327\u0131k", u"I{\\c{s}}\u0131k"},
            {"mark on a brace stays", u"\\\u0301", u"\\\u0301"},
            {"unhandled mark stays", u"a\u0328", u"a\u0328"},
            {"digit base", u"1\u0304", u"{\\=1}"},
        });
}

// ---------------------------------------------------------------------------
// Symbols

TEST(UnicodeToTeXSymbols, typographicSymbols)
{
    expectConversions(
        symbols,
        {
            {"TeX specials", u"#1 50% A&B", u"{\\#}1 50{\\%} A{\\&}B"},
            {"escaped specials stay", u"50\\% A\\&B \\#", u"50\\% A\\&B \\#"},
            {"escaped backslash does not escape", u"\\\\%", u"\\\\{\\%}"},
            {"double quotes", u"\u201cx\u201d", u"``x''"},
            {"minus as en dash", u"\u22125", u"--5"},
            {"inverted marks", u"\u00bfQu\u00e9? \u00a1Ol\u00e9!", u"?`Qu\u00e9? !`Ol\u00e9!"},
            {"letters untouched", u"\u00e9\u03b1", u"\u00e9\u03b1"},
        });
}

// ---------------------------------------------------------------------------
// Math

TEST(UnicodeToTeXMath, symbolsBecomeMathSpans)
{
    expectConversions(
        math, {
                  // Symbols become math spans.
                  {"spaced greek", u"\u03b1 \u03b2", u"$\\alpha$ $\\beta$"},
                  {"adjacent spans merge", u"\u03b1\u03b2", u"$\\alpha\\beta$"},
                  {"merging keeps words apart", u"\u03b1$x$", u"$\\alpha x$"},
                  {"literal double dollar deleted", u"a$$b", u"ab"},
                  {"degree", u"90\u00b0", u"90$^\\circ$"},
                  {"less than", u"a < b", u"a $<$ b"},
                  {"inside a math span no dollars", u"$x \u2264 y$", u"$x \\leq y$"},
                  {"less than inside math stays", u"$a<b$", u"$a<b$"},
                  {"escaped dollar is text", u"\\$5 \u03b1", u"\\$5 $\\alpha$"},
                  {"escaped dollar, then a span", u"\\$\u03b1", u"\\$$\\alpha$"},
                  {"escaped backslash", u"\\\\$x$\u03b1", u"\\\\$x\\alpha$"},
                  {"backslash before a symbol is a sign", u"\\\u03b1", u"$\\backslash\\alpha$"},
                  {"both sim characters", u"\u223c\u301c", u"$\\sim\\sim$"},
                  {"plain epsilon has no command of its own", u"\u03b5", u"\u03b5"},
                  // The square root takes its argument (the reading of arguments is
                  // checked with the rewriter of roots).
                  {"root at the end of a span", u"$x\u221a$", u"$x\\sqrt{?}$"},
                  {"greek argument stays in the span", u"\u221a\u03b1", u"$\\sqrt{\\alpha}$"},
              });
}

// ---------------------------------------------------------------------------
// Hostile input: nothing is lost, nothing hangs

TEST(UnicodeToTeXHostile, oddInputAndLongRunsConvertSafely)
{
    const UnicodeToTeX *converter = UnicodeToTeX::globalConverter();
    QString marks = u"}\u0301"_s.repeated(20000);
    converter->convertLetter(marks);
    EXPECT_EQ(marks, u"}\u0301"_s.repeated(20000));

    QString accents = u"e\u0301"_s.repeated(20000);
    converter->convertLetter(accents);
    EXPECT_EQ(accents, u"{\\'e}"_s.repeated(20000));

    QString roots = QString(2000, QChar(0x221A));
    converter->convertMath(roots);
    EXPECT_EQ(roots,
              u'$' + u"\\sqrt{"_s.repeated(1999) + u"\\sqrt{?}"_s + u"}"_s.repeated(1999) + u'$');

    // Every "$$" after one long word looks back at that word only once.
    QString dollars = u"x"_s.repeated(20000) + u"$$"_s.repeated(20000);
    converter->convertMath(dollars);
    EXPECT_EQ(dollars, u"x"_s.repeated(20000));

    QString nested = u"{"_s.repeated(5000) + u"a\u0308"_s + u"}"_s.repeated(5000);
    converter->convertLetter(nested);
    EXPECT_EQ(nested, u"{"_s.repeated(5000) + u"{\\\"a}"_s + u"}"_s.repeated(5000));
    QString s = u"a"_s + QChar(0) + u"\u00e9"_s;
    UnicodeToTeX::globalConverter()->convertLetter(s);
    EXPECT_EQ(s, u"a"_s + QChar(0) + u"{\\'e}"_s);

    s = u"\xD800\u0301\u03b1"_s;
    UnicodeToTeX::globalConverter()->convertLetter(s);
    UnicodeToTeX::globalConverter()->convertMath(s);
    EXPECT_EQ(s, u"\xD800\u0301$\\alpha$"_s);

    expectConversions(
        letter, {
                    {"unbalanced open brace", u"{e\u0301", u"{{\\'e}"},
                    {"unbalanced close brace carries nothing", u"}\u0301", u"}\u0301"},
                    {"non-BMP letter keeps its mark", u"\U0001D44E\u0301", u"\U0001D44E\u0301"},
                });
}
