#include "tex/SpellingWords.h"

#include "TexTestSupport.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <utility>
#include <vector>

namespace {

QStringList found(const QString &text)
{
    QStringList out;
    for (const SpellingWords::Word &word : SpellingWords::find(text))
        out << QStringLiteral("%1+%2=%3").arg(word.start).arg(word.length).arg(word.text);
    return out;
}

} // namespace

TEST(SpellingWords, findsTheWordsToCheck)
{
    // The words found, each as "start+length=text".
    const std::pair<const char *, std::vector<const char *>> rows[] = {
        {"Literate progamming", {"0+8=Literate", "9+10=progamming"}},
        {"{\\\"U}bung", {"1+8=\u00dcbung"}},
        {"caf\\'e ok", {"0+6=caf\u00e9", "7+2=ok"}},
        {"gar\\c{c}on", {"0+10=gar\u00e7on"}},
        {"Stra\\ss e", {"0+9=Stra\u00dfe"}},
        {"the {Fourier} series", {"0+3=the", "5+7=Fourier", "14+6=series"}},
        {"\\emph{Nice} \\LaTeX", {"6+4=Nice"}}, // command names are no words
        {"for $\\alpha x$ and \\(yy\\) too", {"0+3=for", "15+3=and", "26+3=too"}},
        {"$$ab$$ cd", {"7+2=cd"}},
        {"NMR BibTeX data", {"11+4=data"}}, // acronyms and inner capitals
        {"a b2 H2O x86 ok", {"13+2=ok"}},   // single letters, words with digits
        {"Knuth's 'quoted'", {"0+7=Knuth's", "9+6=quoted"}},
        {"well-known", {"0+4=well", "5+5=known"}},
        {"see http://example.org/abc and me@host.net", {"0+3=see", "27+3=and"}},
        {"ok $never closed", {"0+2=ok"}},
    };
    for (const auto &[text, words] : rows) {
        QStringList expected;
        for (const char *word : words)
            expected << QString::fromUtf8(word);
        EXPECT_EQ(found(QString::fromUtf8(text)), expected) << text;
    }
}
