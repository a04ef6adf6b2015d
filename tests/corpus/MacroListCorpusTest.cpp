#include "model/MacroList.h"

#include "CorpusSupport.h"
#include "prefs/BibPreferences.h"
#include "tex/TeXtoText.h"

#include <QRegularExpression>

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
    EXPECT_TRUE(list.has_value() && error.isEmpty())
        << qPrintable(path) << ": " << qPrintable(error);
    return list.value_or(MacroList());
}

// Some macros of a list, "NAME=value" joined by "|".
QString someMacros(const MacroList &list, const QStringList &names)
{
    QStringList texts;
    for (const QString &name : names)
        texts << name + u'=' + list.macroForEdit(name);
    return texts.join(u'|');
}

} // namespace

TEST_F(MacroListCorpusTest, plainStyleDefinesTheStandardMacros)
{
    // Without an encoding, the preferences' one.
    QString error;
    const std::optional<MacroList> list =
        MacroList::macroListFromBstFile(corpus("pybtex/plain.bst"), error);
    ASSERT_TRUE(list.has_value()) << qPrintable(error);
    ASSERT_EQ(list->count(), 32);
    EXPECT_EQ(list->macroNameList().first() + u' ' + list->macroNameList().last(),
              QStringLiteral("JAN TCS"));
    // IEEETCAD's value stands on the next line.
    EXPECT_EQ(someMacros(*list, {QStringLiteral("IEEETCAD"), QStringLiteral("DEC")}),
              QStringLiteral("IEEETCAD=IEEE Transactions on Computer-Aided Design of Integrated "
                             "Circuits|DEC=December"));
}

// One style with LF, CR and CR LF line ends and in several encodings gives
// one list; read in a wrong encoding, none.
TEST_F(MacroListCorpusTest, japaneseStylesGiveTheSameMacrosInEveryEncoding)
{
    const char *const ieice = "japanese/ipsj-ieice-templates/ieicej1.6a/";
    const MacroList reference =
        importOrFail(corpus(ieice) + QStringLiteral("UNIXUTF8/sieicej.bst"), TextEncodings::UTF8);
    ASSERT_EQ(reference.count(), 47);
    EXPECT_EQ(someMacros(reference, {QStringLiteral("TIEICE"), QStringLiteral("JAN"),
                                     QStringLiteral("IEEETCAD")}),
              QString::fromUtf8("TIEICE=信学論|JAN=Jan.\\|IEEETCAD=IEEE Trans. Comput.-Aided "
                                "Design Integrated Circuits"));
    const std::pair<const char *, quint32> rows[] = {
        {"MAC/sieicej.bst", TextEncodings::ShiftJIS},
        {"WIN/sieicej.bst", TextEncodings::ShiftJIS},
    };
    for (const auto &[file, encoding] : rows)
        EXPECT_EQ(importOrFail(corpus(ieice) + QString::fromUtf8(file), encoding), reference)
            << file;
    // In a wrong encoding: an error naming the file and the encoding.
    const QString mac = corpus(ieice) + QStringLiteral("MAC/sieicej.bst");
    QString error;
    EXPECT_FALSE(MacroList::macroListFromBstFile(mac, TextEncodings::UTF8, error).has_value());
    EXPECT_TRUE(error.contains(mac) &&
                error.contains(TextEncodings::nameOfEncoding(TextEncodings::UTF8)))
        << qPrintable(error);
    const MacroList jplain =
        importOrFail(corpus("japanese/pbibtex-base/jplain.bst"), TextEncodings::UTF8);
    EXPECT_EQ(jplain.count(), 36);
    EXPECT_EQ(
        importOrFail(corpus("japanese/pbibtex-base/jis/jplain.bst"), TextEncodings::ISO2022JP),
        jplain);
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
        const MacroList list = importOrFail(path, TextEncodings::UTF8);
        const QString text = QfTest::decodedFile(path, TextEncodings::UTF8).value_or(QString());
        static const QRegularExpression macroLine(QStringLiteral("(^|[\r\n])[ \t]*MACRO"),
                                                  QRegularExpression::CaseInsensitiveOption);
        EXPECT_EQ(list.count(), text.count(macroLine)) << qPrintable(path);

        MacroList reread;
        const QString block = list.databaseMacroStringWithLF(QStringLiteral("\n"));
        for (const QString &line : block.split(u'\n', Qt::SkipEmptyParts)) {
            ASSERT_TRUE(line.startsWith(QStringLiteral("@STRING "))) << qPrintable(line);
            const auto fields = QfTest::fieldsOfBlock(line.mid(8), false);
            ASSERT_TRUE(fields.has_value()) << qPrintable(line);
            QString renamed;
            EXPECT_TRUE(reread.appendMacroWithDictionary(*fields, renamed));
        }
        EXPECT_EQ(reread.macroNameList(), list.macroNameList()) << qPrintable(path);
        for (const QString &name : list.macroNameList()) {
            EXPECT_EQ(reread.expandMacroInTeX(name, true), list.expandMacroInTeX(name, true))
                << qPrintable(path) << " " << qPrintable(name);
        }
    }
}

// Cut anywhere, a style file imports without fault and never yields more
// macros than the whole file has.
TEST_F(MacroListCorpusTest, truncatedStyleFilesImportSafely)
{
    const QString text =
        QString::fromUtf8(QfTest::readCorpusFile(QStringLiteral("pybtex/apacite.bst")));
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
