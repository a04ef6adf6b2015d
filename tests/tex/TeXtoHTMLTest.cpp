#include "tex/TeXtoHTML.h"

#include "TexTestSupport.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Row
{
    const char *name;
    const char *input;
    const char *expected;
};

void expectRows(std::initializer_list<Row> rows)
{
    for (const Row &row : rows) {
        EXPECT_EQ(TeXtoHTML::convertString(QString::fromUtf8(row.input)),
                  QString::fromUtf8(row.expected))
            << row.name << ": " << row.input;
    }
}

} // namespace

TEST(TeXtoHTML, accents)
{
    expectRows({
        {"tilde", "\\~n", "&ntilde;"},
        {"caron braced", "\\v{s}", "&scaron;"},
        {"cedilla with a space", "\\c c", "&ccedil;"},
        {"dotless i", "\\'{\\i}", "&iacute;"},
        {"umlaut in a word", "M\\\"uller", "M&uuml;ller"},
        {"ring", "\\r{u}", "&uring;"},
        {"no entity check", "\\~x", "&xtilde;"},
        {"double acute is no accent here", "\\H{o}", "{&H;}o"},
        {"dot below is no accent here", "\\d{s}", "{&d;}s"},
        {"no argument gives the accent alone", "\\'", "&acute;"},
        {"empty argument gives the accent alone", "\\~{}", "~"},
        {"longer argument keeps the rest", "\\~{ab}", "&atilde;b"},
        {"argument without a letter takes a combining mark", "\\'{\\ae}", "&aelig;&#x301;"},
    });
}

TEST(TeXtoHTML, lettersAndSymbols)
{
    expectRows({
        {"aa with empty group", "\\aa{}", "&aring;"},
        {"ligatures", "\\AE\\oe\\ss", "&AElig;&oelig;&szlig;"},
        {"slashed L by number", "{\\L}\\'od\\'z", "&#x141;&oacute;d&zacute;"},
        {"slashed o", "\\O\\o", "&Oslash;&oslash;"},
        {"escaped specials are not escaped again", "A \\& B \\%", "A & B %"},
        {"signs", "\\S\\P\\dag\\ddag\\copyright", "&sect;&para;&dagger;&Dagger;&copy;"},
        {"quad and qquad", "a\\quad b\\qquad c", "a b  c"},
        {"unknown command as a reference", "\\foo", "{&foo;}"},
        {"math command in text", "\\alpha", "{&alpha;}"},
        {"logos", "\\TeX\\ and \\LaTeX", "TeX and LaTeX"},
    });
}

TEST(TeXtoHTML, fontCommands)
{
    expectRows({
        {"bold and emphasis", "\\textbf{Bold} \\emph{x}", "<b>Bold</b> <em>x</em>"},
        {"italic declaration", "{\\it Title}", "<i>Title</i>"},
        {"typewriter", "\\texttt{code} {\\tt x}", "<tt>code</tt> <tt>x</tt>"},
        {"underline", "\\underline{u}", "<u>u</u>"},
        {"roman is plain", "\\textrm{r}{\\rm s}", "rs"},
        {"missing argument", "\\emph", "<em>?</em>"},
        {"nested", "\\textbf{a \\textit{b}}", "<b>a <i>b</i></b>"},
    });
}

TEST(TeXtoHTML, quotesAndDashes)
{
    expectRows({
        {"quotes and en dash", "``Quote'' -- 1999", "&ldquo;Quote&rdquo; &ndash; 1999"},
        {"single quotes", "`a'", "&lsquo;a&rsquo;"},
        {"em dash", "a---b", "a&mdash;b"},
        {"inverted marks", "!`a ?`b", "&iexcl;a &iquest;b"},
        {"less and greater in text", "<>", "&lt;&gt;"},
    });
}

TEST(TeXtoHTML, math)
{
    expectRows({
        {"scripts", "$x^2_i$", "<var>x</var><sup>2</sup><sub><var>i</var></sub>"},
        {"greek", "$\\alpha+\\beta$", "&alpha;+&beta;"},
        {"less-than", "$a<b$", "<var>a</var>&lt;<var>b</var>"},
        {"degree", "$90^\\circ$", "90&deg;"},
        {"longer script", "$x_{10}$", "<var>x</var><sub>10</sub>"},
        {"minus and prime", "$-f'$", "&ndash;<var>f</var>&prime;"},
        {"variants", "$\\varepsilon\\vartheta\\varphi$", "&epsilon;&thetasym;&phi;"},
        {"arrows", "$\\to\\Leftarrow$", "&rarr;&lArr;"},
        {"much less", "$\\ll$", "&lt;&lt;"},
        {"spacing", "$a\\,b\\;c$", "<var>a</var> <var>b</var>&nbsp;<var>c</var>"},
        {"double bar", "$\\|v\\|$", "&#x2016;<var>v</var>&#x2016;"},
        {"backslash", "$A\\backslash B$", "<var>A</var>\\<var>B</var>"},
        {"negative thin space", "$a\\!b$", "<var>a</var><var>b</var>"},
        {"operator", "$\\log n$", "log<var>n</var>"},
        {"unknown math command", "$\\foo$", "{&foo;}"},
        {"script without argument", "$x^", "<var>x</var>"},
    });
}

TEST(TeXtoHTML, mathTableMatchesTheTextTableKeys)
{
    // Every math symbol converts to something other than the unknown form.
    const char *names[] = {"prod",
                           "coprod",
                           "sum",
                           "int",
                           "oint",
                           "forall",
                           "exists",
                           "emptyset",
                           "triangle",
                           "square",
                           "Box",
                           "lozenge",
                           "Diamond",
                           "pm",
                           "mp",
                           "times",
                           "div",
                           "ast",
                           "circ",
                           "leq",
                           "geq",
                           "ll",
                           "gg",
                           "neq",
                           "equiv",
                           "sim",
                           "approx",
                           "propto",
                           "infty",
                           "partial",
                           "nabla",
                           "sqrt",
                           "surd",
                           "prime",
                           "hbar",
                           "Im",
                           "Re",
                           "wp",
                           "ell",
                           "cdot",
                           "ldots",
                           "cdots",
                           "leftarrow",
                           "gets",
                           "longleftarrow",
                           "rightarrow",
                           "to",
                           "longrightarrow",
                           "Leftarrow",
                           "Longleftarrow",
                           "Rightarrow",
                           "Longrightarrow",
                           "leftrightarrow",
                           "longleftrightarrow",
                           "Leftrightarrow",
                           "Longleftrightarrow",
                           "alpha",
                           "beta",
                           "gamma",
                           "delta",
                           "epsilon",
                           "zeta",
                           "eta",
                           "theta",
                           "iota",
                           "kappa",
                           "lambda",
                           "mu",
                           "nu",
                           "xi",
                           "pi",
                           "rho",
                           "sigma",
                           "tau",
                           "upsilon",
                           "phi",
                           "chi",
                           "psi",
                           "omega",
                           "varepsilon",
                           "vartheta",
                           "varpi",
                           "varrho",
                           "varsigma",
                           "varphi",
                           "Gamma",
                           "Delta",
                           "Theta",
                           "Lambda",
                           "Xi",
                           "Pi",
                           "Sigma",
                           "Upsilon",
                           "Phi",
                           "Psi",
                           "Omega",
                           "|",
                           "backslash",
                           ",",
                           ">",
                           ";",
                           "!"};
    EXPECT_EQ(std::size(names), 102u);
    for (const char *name : names) {
        const QString input = u"$\\"_s + QString::fromLatin1(name) + u'$';
        const QString output = TeXtoHTML::convertString(input);
        EXPECT_FALSE(output.startsWith(u"{&"_s)) << name;
        if (qstrcmp(name, "!") != 0) {
            EXPECT_FALSE(output.isEmpty()) << name;
        }
    }
}

TEST(TeXtoHTML, globalObjectIsSharedAcrossThreads)
{
    TeXtoHTML::createGlobalObject();
    TeXtoHTML *first = TeXtoHTML::globalConverter();
    TeXtoHTML::createGlobalObject();
    EXPECT_EQ(TeXtoHTML::globalConverter(), first);

    const QString input = u"\\textbf{B} $x^2$ \\~n"_s;
    const QString expected = TeXtoHTML::convertString(input);
    std::vector<std::thread> threads;
    std::vector<int> mismatches(3, 0);
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                if (TeXtoHTML::convertString(input) != expected)
                    ++mismatches[size_t(t)];
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (int count : mismatches)
        EXPECT_EQ(count, 0);
}
