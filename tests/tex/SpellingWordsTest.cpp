#include "tex/SpellingWords.h"

#include "TexTestSupport.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

struct Row
{
    const char *name;
    const char *text;
    // The words found, each as "start+length=text".
    std::vector<const char *> words;
};

QStringList found(const QString &text)
{
    QStringList out;
    for (const SpellingWords::Word &word : SpellingWords::find(text))
        out << QStringLiteral("%1+%2=%3").arg(word.start).arg(word.length).arg(word.text);
    return out;
}

class SpellingWordsTable : public testing::TestWithParam<Row>
{};

TEST_P(SpellingWordsTable, findsTheWordsToCheck)
{
    const Row &row = GetParam();
    QStringList expected;
    for (const char *word : row.words)
        expected << QString::fromUtf8(word);
    EXPECT_EQ(found(QString::fromUtf8(row.text)).join(u" | "), expected.join(u" | ")) << row.text;
}

const Row kRows[] = {
    {"plainWords", "Literate progamming", {"0+8=Literate", "9+10=progamming"}},
    {"accentInBraces", "{\\\"U}bung", {"1+8=Übung"}},
    {"accentWithoutBraces", "caf\\'e ok", {"0+6=café", "7+2=ok"}},
    {"letterAccentCommand", "gar\\c{c}on", {"0+10=garçon"}},
    {"letterCommandWithSpace", "Stra\\ss e", {"0+9=Straße"}},
    {"bracesAroundAWord", "the {Fourier} series", {"0+3=the", "5+7=Fourier", "14+6=series"}},
    {"commandNamesAreNotWords", "\\emph{Nice} \\LaTeX", {"6+4=Nice"}},
    {"mathIsSkipped", "for $\\alpha x$ and \\(yy\\) too", {"0+3=for", "15+3=and", "26+3=too"}},
    {"displayMath", "$$ab$$ cd", {"7+2=cd"}},
    {"acronymsAndCamelCase", "NMR BibTeX data", {"11+4=data"}},
    {"singleLettersAndDigits", "a b2 H2O x86 ok", {"13+2=ok"}},
    {"apostropheInside", "Knuth's 'quoted'", {"0+7=Knuth's", "9+6=quoted"}},
    {"hyphenSplits", "well-known", {"0+4=well", "5+5=known"}},
    {"addresses", "see http://example.org/abc and me@host.net", {"0+3=see", "27+3=and"}},
    {"empty", "", {}},
    {"unclosedMath", "ok $never closed", {"0+2=ok"}},
};

INSTANTIATE_TEST_SUITE_P(SpellingWords, SpellingWordsTable, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row> &param) { return param.param.name; });

} // namespace
