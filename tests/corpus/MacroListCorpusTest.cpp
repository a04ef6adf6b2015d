#include "model/MacroList.h"

#include "CorpusSupport.h"
#include "core/StringInputStream.h"
#include "core/TextEncodings.h"
#include "prefs/BibPreferences.h"
#include "tex/TeXtoText.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

QString corpus(const char *relative)
{
    return QfTest::corpusDir() + u'/' + QString::fromUtf8(relative);
}

class MacroListCorpusTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        TeXtoText::createGlobalObject();
        BibPreferences::createGlobalObject();
    }
    void SetUp() override
    {
        if (!QfTest::hasCorpus())
            GTEST_SKIP() << "corpus not present";
    }
};

MacroList importOrFail(const QString &path, quint32 encoding)
{
    QString error;
    std::optional<MacroList> list = MacroList::macroListFromBstFile(path, encoding, error);
    EXPECT_TRUE(list.has_value()) << qPrintable(path) << ": " << qPrintable(error);
    EXPECT_TRUE(error.isEmpty()) << qPrintable(error);
    return list.value_or(MacroList());
}

void expectStandardMacros(const MacroList &list, const QString &label)
{
    ASSERT_EQ(list.count(), 32) << qPrintable(label);
    EXPECT_EQ(list.macroNameList().first(), QStringLiteral("JAN")) << qPrintable(label);
    EXPECT_EQ(list.macroNameList().last(), QStringLiteral("TCS")) << qPrintable(label);
    // The one MACRO whose value stands on the next line.
    EXPECT_EQ(list.macroForEdit(QStringLiteral("IEEETCAD")),
              QStringLiteral("IEEE Transactions on Computer-Aided Design of Integrated Circuits"))
        << qPrintable(label);
    EXPECT_EQ(list.expandMacro(QStringLiteral("DEC"), true), QStringLiteral("December"));
}

} // namespace

TEST_F(MacroListCorpusTest, plainStyleDefinesTheStandardMacros)
{
    expectStandardMacros(importOrFail(corpus("pybtex/plain.bst"), TextEncodings::UTF8),
                         QStringLiteral("pybtex plain.bst"));
    const QString debian =
        QStringLiteral("/usr/share/texlive/texmf-dist/bibtex/bst/base/plain.bst");
    if (QFile::exists(debian))
        expectStandardMacros(importOrFail(debian, TextEncodings::UTF8), debian);
    // Without an encoding, the preferences' one.
    QString error;
    const std::optional<MacroList> list =
        MacroList::macroListFromBstFile(corpus("pybtex/plain.bst"), error);
    ASSERT_TRUE(list.has_value()) << qPrintable(error);
    EXPECT_EQ(list->count(), 32);
}

// One style in four encodings and three line-end conventions gives one list.
TEST_F(MacroListCorpusTest, japaneseStyleGivesTheSameMacrosInEveryEncoding)
{
    const std::pair<const char *, quint32> rows[] = {
        {"japanese/ipsj-ieice-templates/ieicej1.6a/UNIXUTF8/sieicej.bst", TextEncodings::UTF8},
        {"japanese/ipsj-ieice-templates/ieicej1.6a/MAC/sieicej.bst", TextEncodings::ShiftJIS},
        {"japanese/ipsj-ieice-templates/ieicej1.6a/WIN/sieicej.bst", TextEncodings::ShiftJIS},
        {"japanese/ipsj-ieice-templates/ieicej1.6a/UNIXSJIS/sieicej.bst", TextEncodings::ShiftJIS},
        {"japanese/ipsj-ieice-templates/ieicej1.6a/UNIXEUC/sieicej.bst",
         TextEncodings::JapaneseEUC},
    };
    const MacroList reference = importOrFail(corpus(rows[0].first), rows[0].second);
    ASSERT_EQ(reference.count(), 47);
    EXPECT_EQ(reference.macroForEdit(QStringLiteral("TIEICE")), QString::fromUtf8("信学論"));
    EXPECT_EQ(reference.macroForEdit(QStringLiteral("TIPSJ")),
              QString::fromUtf8("情報処理学会論文誌"));
    EXPECT_EQ(reference.macroForEdit(QStringLiteral("JAN")), QStringLiteral("Jan.\\"));
    EXPECT_EQ(reference.macroForEdit(QStringLiteral("IEEETCAD")),
              QStringLiteral("IEEE Trans. Comput.-Aided Design Integrated Circuits"));
    for (const auto &[file, encoding] : rows)
        EXPECT_EQ(importOrFail(corpus(file), encoding), reference) << file;
}

TEST_F(MacroListCorpusTest, otherJapaneseStyles)
{
    const std::tuple<const char *, quint32, qsizetype> rows[] = {
        {"japanese/ipsj-mac-sjis/ipsjunsrt.bst", TextEncodings::ShiftJIS, 32},
        {"japanese/ipsj-mac-sjis/ipsjsort.bst", TextEncodings::ShiftJIS, 32},
        {"japanese/ipsj-ieice-templates/ipsj-unix/ipsjunsrt.bst", TextEncodings::JapaneseEUC, 32},
        {"japanese/pbibtex-base/jis/jplain.bst", TextEncodings::ISO2022JP, 36},
        {"japanese/pbibtex-base/jplain.bst", TextEncodings::UTF8, 36},
    };
    for (const auto &[file, encoding, count] : rows)
        EXPECT_EQ(importOrFail(corpus(file), encoding).count(), count) << file;
    EXPECT_EQ(
        importOrFail(corpus("japanese/pbibtex-base/jis/jplain.bst"), TextEncodings::ISO2022JP),
        importOrFail(corpus("japanese/pbibtex-base/jplain.bst"), TextEncodings::UTF8));
}

TEST_F(MacroListCorpusTest, wrongEncodingIsAnErrorNamingTheFile)
{
    const QString path = corpus("japanese/ipsj-ieice-templates/ieicej1.6a/MAC/sieicej.bst");
    QString error;
    EXPECT_FALSE(MacroList::macroListFromBstFile(path, TextEncodings::UTF8, error).has_value());
    EXPECT_TRUE(error.contains(path)) << qPrintable(error);
    EXPECT_TRUE(error.contains(TextEncodings::nameOfEncoding(TextEncodings::UTF8)))
        << qPrintable(error);
}

// Every style file of the corpus imports as many macros as it has MACRO lines,
// and its @STRING block reads back to the same list.
TEST_F(MacroListCorpusTest, everyUtf8StyleFileImportsAndRoundTrips)
{
    QStringList files = QfTest::corpusFiles({}, QStringLiteral("*.bst"));
    files.removeIf([](const QString &path) {
        return !path.contains(QStringLiteral("/pybtex/")) &&
               !path.contains(QStringLiteral("/jabref/"));
    });
    ASSERT_FALSE(files.isEmpty());
    for (const QString &path : files) {
        QString error;
        const std::optional<MacroList> list =
            MacroList::macroListFromBstFile(path, TextEncodings::UTF8, error);
        if (!list) {
            ADD_FAILURE() << qPrintable(error);
            continue;
        }
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(file.readAll());
        text.replace(u'\r', u'\n');
        qsizetype macroLines = 0;
        for (const QString &line : text.split(u'\n')) {
            if (line.trimmed().startsWith(QStringLiteral("MACRO"), Qt::CaseInsensitive))
                ++macroLines;
        }
        EXPECT_EQ(list->count(), macroLines) << qPrintable(path);

        const QString block = list->databaseMacroStringWithLF(QStringLiteral("\n"));
        MacroList reread;
        for (const QString &line : block.split(u'\n', Qt::SkipEmptyParts)) {
            ASSERT_TRUE(line.startsWith(QStringLiteral("@STRING "))) << qPrintable(line);
            StringInputStream stream(line.mid(8));
            stream.setSpacesToASpace(true);
            stream.setYenToBackslash(true);
            QString readError;
            const QList<BibElement> elements =
                BibElement::getElementsFromStream(stream, readError, true);
            ASSERT_TRUE(readError.isNull()) << qPrintable(line);
            const auto fields = BibElement::analyzeElements(elements, readError, false);
            ASSERT_TRUE(fields.has_value()) << qPrintable(line);
            QString renamed;
            EXPECT_TRUE(reread.appendMacroWithDictionary(*fields, renamed));
        }
        EXPECT_EQ(reread.macroNameList(), list->macroNameList()) << qPrintable(path);
        for (const QString &name : list->macroNameList()) {
            EXPECT_EQ(reread.expandMacroInTeX(name, true), list->expandMacroInTeX(name, true))
                << qPrintable(path) << " " << qPrintable(name);
        }
    }
}

// Cut anywhere, a style file imports without fault and never yields more
// macros than the whole file has.
TEST_F(MacroListCorpusTest, truncatedStyleFilesImportSafely)
{
    QFile file(corpus("pybtex/apacite.bst"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const qsizetype whole = MacroList::macroListFromBstText(text).count();
    ASSERT_EQ(whole, 16);
    // Every cut through the MACRO part, a few through the rest.
    const qsizetype macroPart = text.lastIndexOf(QStringLiteral("MACRO")) + 40;
    qsizetype previous = 0;
    for (qsizetype cut = 0; cut <= text.size(); cut += cut < macroPart ? 3 : 4999) {
        const qsizetype count = MacroList::macroListFromBstText(text.left(cut)).count();
        EXPECT_LE(count, whole) << cut;
        EXPECT_GE(count, previous) << cut;
        previous = count;
    }
}
