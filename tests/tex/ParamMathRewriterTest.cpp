#include "tex/ParamMathRewriter.h"
#include "tex/UnicodeToTeX.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

QString rootsOf(const QString &text)
{
    QString s = text;
    const UnicodeToTeX *converter = UnicodeToTeX::globalConverter();
    converter->convertWithParam(s, converter->mathParamDictionary());
    return s;
}

const QString root = QString(QChar(0x221A));

} // namespace

// Each root with the argument it reads; arguments stay in place and are read
// again for the roots inside them.
TEST(ParamMathRewriter, rootsTakeTheirArguments)
{
    const std::tuple<const char *, const char16_t *, const char16_t *> rows[] = {
        {"single digit bare", u"\u221a2", u"$\\sqrt2$"},
        {"number braced", u"\u221a10 and \u221a1.5", u"$\\sqrt{10}$ and $\\sqrt{1.5}$"},
        {"bracket content", u"\u221a(x+1)", u"$\\sqrt{x+1}$"},
        {"bracketed single digit", u"\u221a(3)", u"$\\sqrt3$"},
        {"brace content, text after", u"\u221a{x}y", u"$\\sqrt{x}$y"},
        {"letter", u"\u221ax", u"$\\sqrt{x}$"},
        {"surrogate pair whole", u"\u221a\U0001D465", u"$\\sqrt{\U0001D465}$"},
        {"trailing root", u"a\u221a", u"a$\\sqrt{?}$"},
        {"empty brackets", u"\u221a()", u"$\\sqrt{?}$"},
        {"closing character stays", u"\u221a)", u"$\\sqrt{?}$)"},
        {"root on root", u"\u221a\u221a2", u"$\\sqrt{\\sqrt2}$"},
        {"inside math no dollars", u"$\u221a2\u221a(3)$", u"$\\sqrt2\\sqrt3$"},
        {"nested brackets", u"\u221a(\u221a(x))", u"$\\sqrt{\\sqrt{x}}$"},
        {"root in a bracketed sum", u"\u221a(1+\u221a(2))", u"$\\sqrt{1+\\sqrt2}$"},
        {"nested braces", u"\u221a{\u221a{x}}y", u"$\\sqrt{\\sqrt{x}}$y"},
        {"inner bracket pair kept", u"\u221a((a)+b)c", u"$\\sqrt{(a)+b}$c"},
        {"unmatched bracket inside runs to the end", u"\u221a(a(b)", u"$\\sqrt{a(b)}$"},
        {"unmatched bracket ends with its group", u"\u221a{\u221a(x}y", u"$\\sqrt{\\sqrt{x}}$y"},
        {"escaped dollar before a root", u"\\$\u221a2", u"\\$$\\sqrt2$"},
        {"backslash before a root is a sign", u"\\\u221a2", u"$\\backslash\\sqrt2$"},
        {"escaped backslash before a root", u"\\\\\u221a2", u"\\\\$\\sqrt2$"},
        {"control word argument", u"\u221a\\alpha", u"$\\sqrt{\\alpha}$"},
        {"escaped dollar argument", u"\u221a\\$x", u"$\\sqrt{\\$}$x"},
        {"lone backslash argument", u"\u221a\\", u"$\\sqrt{\\backslash}$"},
        {"span in the argument merges", u"\u221a($x$+1)", u"$\\sqrt{x+1}$"},
        {"lone dollar in the argument escaped", u"\u221a(a$b)", u"$\\sqrt{a\\$b}$"},
        {"lone dollar after a root escaped", u"a\u221a$", u"a$\\sqrt{?}$\\$"},
        {"escaped dollar in the argument kept", u"\u221a(\\$5)", u"$\\sqrt{\\$5}$"},
        {"dollars of nested arguments", u"\u221a(\u221a($x$)+$y)", u"$\\sqrt{\\sqrt{x}+\\$y}$"},
    };
    for (const auto &[name, input, expected] : rows)
        EXPECT_EQ(rootsOf(QString::fromUtf16(input)), QString::fromUtf16(expected)) << name;
}

// Long chains used to cost a copy of the rest of the text per root; the output
// is what the copying version gave (checked against it once).
TEST(ParamMathRewriter, longChainsKeepTheirResult)
{
    const int k = 30000;
    EXPECT_EQ(rootsOf(root.repeated(k) + u"(x)"_s),
              u'$' + u"\\sqrt{"_s.repeated(k - 1) + u"\\sqrt{x}"_s + u"}"_s.repeated(k - 1) + u'$');
    EXPECT_EQ(rootsOf((root + u"12.5 "_s).repeated(k)), u"$\\sqrt{12.5}$ "_s.repeated(k));
    EXPECT_EQ(rootsOf(u'$' + (root + u"2"_s).repeated(k) + u'$'),
              u'$' + u"\\sqrt2"_s.repeated(k) + u'$');
    // Unclosed brackets many deep: every root still finds its end.
    const QString nested = rootsOf((root + u"("_s).repeated(k) + u"x"_s);
    EXPECT_TRUE(nested.startsWith(u'$' + u"\\sqrt{"_s.repeated(k) + u"x}"_s));
    EXPECT_EQ(nested.count(u'{'), nested.count(u'}'));
    // Bracketed roots nested many deep close in order.
    EXPECT_TRUE(rootsOf((root + u"("_s).repeated(k) + u"x"_s + u")"_s.repeated(k)) ==
                u'$' + u"\\sqrt{"_s.repeated(k) + u"x"_s + u"}"_s.repeated(k) + u'$');
}
