#include "tex/TeXtoText.h"

#include "TexTestSupport.h"
#include "tex/TeXtoHTML.h"
#include "tex/UnicodeToTeX.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

// The character tables are checked entry by entry by the round trip from
// Unicode to TeX and back; the rows here are the reading rules.
TEST(TeXtoText, readingRules)
{
    expectConversions(&TeXtoText::convertString,
                      {
                          // Accents.
                          {"bare tilde", "Espa\\~na", "España"},
                          {"dotless i without braces", "na\\\"\\i ve", "naïve"},
                          {"caron outside its list", "\\v{d}", "{\\v{d}}"},
                          {"longer argument", "\\~{ab}", "{\\~{ab}}"},
                          {"no argument", "\\~", "{\\~{?}}"},
                          {"accent command in math", "$\\'e$", "{\\'}e"},
                          // Letter commands and symbols.
                          {"AA with empty group", "\\AA{}ngstr\\\"om", "Ångström"},
                          {"dotless letters alone", "{\\i}{\\j}", "ıȷ"},
                          {"escaped specials", "\\#\\$\\%\\&\\_\\{\\}", "#$%&_{}"},
                          {"control space", "a\\ b", "a b"},
                          {"thin space", "10\\,000", "10\u2009000"},
                          {"unknown command", "\\foo bar", "{\\foo}bar"},
                          {"math command in text", "\\alpha", "{\\alpha}"},
                          {"left in text", "\\left", "{\\left}"},
                          // Commands of later packages.
                          {"quote commands", "\\textquoteleft{}x{\\textquoteright}s", "‘x’s"},
                          {"math roman", "$\\mathrm{d}x$", "dx"},
                          {"classic entry wins", "\\copyright", "©"},
                          // Font commands.
                          {"textbf and it", "\\textbf{Bold} and {\\it it}", "Bold and it"},
                          {"missing argument", "\\textbf", "?"},
                          // Quotes and dashes.
                          {"double quotes", "``Quote''", "“Quote”"},
                          {"apostrophe", "Don't", "Don’t"},
                          {"en dash", "1--2", "1–2"},
                          {"inverted marks", "!`Hola! ?`Qu\\'e?", "¡Hola! ¿Qué?"},
                          {"less and greater in text", "P < .05 and x>1", "P < .05 and x>1"},
                          {"caret back-quote", "^^ x", "‘x"},
                          // Math.
                          {"lunate and variant epsilon", "$\\epsilon\\varepsilon$", "ϵε"},
                          {"subscript digits", "$x_{10}$", "x₁₀"},
                          {"subscript letters stay", "$x_{ij}$", "x_{ij}"},
                          {"subscript one letter", "$x_i$", "x_i"},
                          {"raised expression", "$x^{n+1}$", "xⁿ⁺¹"},
                          {"raised command", "$x^\\alpha$", "x^{α}"},
                          {"degree", "$90^\\circ$", "90°"},
                          {"primes", "$f''$", "f′′"},
                          {"spacing", "$a\\,b\\;c\\!d$", "a\u2009b\u2004c\u200bd"},
                          {"double bar and backslash", "$\\|x\\|\\backslash$", "‖x‖\\"},
                          {"unknown math command", "$\\foo$", "{\\foo}"},
                          {"unclosed math", "$\\alpha", "α"},
                          // Malformed input.
                          {"backslash at the end", "abc\\", "abc"},
                          {"accent at the end", "abc\\'", "abc{\\'{?}}"},
                          // Plain text is returned as it stands.
                          {"unicode", "Ærø and 東京", "Ærø and 東京"},
                          {"no-break space reads as a space", "a\u00a0b", "a b"},
                      });
}

// The three shared converters are made once and used from loading threads at once.
TEST(TeXConverters, globalObjectsAreCreatedOnceAndSharedAcrossThreads)
{
    TeXtoText *first = TeXtoText::globalConverter();
    TeXtoText::createGlobalObject();
    EXPECT_EQ(TeXtoText::globalConverter(), first);

    const QStringList inputs = {u"{\\~n}$x^2$"_s, u"\\textbf{B} --- ``q''"_s, u"Erd\\H{o}s"_s};
    const QString unicode = u"\u00c5ngstr\u00f6m \u2014 \u03b1\u2264\u221a2, e\u0301"_s;
    const auto convertAll = [&](qsizetype k) {
        QString tex = unicode;
        const UnicodeToTeX *converter = UnicodeToTeX::globalConverter();
        converter->convertSymbols(tex);
        converter->convertLetter(tex);
        converter->convertMath(tex);
        return TeXtoText::convertString(inputs.at(k)) + TeXtoHTML::convertString(inputs.at(k)) +
               tex;
    };
    QStringList expected;
    for (qsizetype k = 0; k < inputs.size(); ++k)
        expected << convertAll(k);

    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 1000; ++i)
                mismatches +=
                    convertAll((i + t) % inputs.size()) != expected.at((i + t) % inputs.size());
        });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}
