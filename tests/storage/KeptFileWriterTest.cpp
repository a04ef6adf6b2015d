#include "storage/KeptFileWriter.h"

#include "StorageTestSupport.h"
#include "TestFiles.h"
#include "core/AlertPresenter.h"
#include "core/TextEncodings.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"
#include "storage/DatabaseSaver.h"
#include "storage/KeptText.h"
#include "storage/LocalDatabase.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using QfTest::readAll;
using QfTest::writeAll;

// The saved bytes after the settings block and the two line breaks that end it
// (matched on the bytes as Latin-1, whatever the file's encoding).
QByteArray afterSettings(const QByteArray &saved)
{
    static const QRegularExpression block(
        u"^@COMMENT \\{ Quirefold_Settings,.*?[\\r\\n]\\}(\\r\\n|\\r|\\n){2}"_s,
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = block.match(QString::fromLatin1(saved));
    EXPECT_TRUE(match.hasMatch()) << saved.left(200).constData();
    return match.hasMatch() ? saved.mid(match.capturedEnd()) : saved;
}

QByteArray withLineBreaks(QByteArray text, const QByteArray &lf)
{
    return text.replace("\n", lf);
}

const QByteArray kFile = "% a header line\n"
                         "@string{jan = \"January\", feb = {February}}\n"
                         "\n"
                         "@Article{ first,\n"
                         "\ttitle = {One \"quoted\" word},\n"
                         "  author=\"Doe, J. and Roe, R.\",\n"
                         "  month = jan\n"
                         "}\n"
                         "\n"
                         "@comment{ between the entries }\n"
                         "@book{second, title = {Two}, year = 2001}\n"
                         "@misc{third,\n  note = {Three}\n}\n";

class KeptFileWriterTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    ScriptedAlertPresenter alerts{{}, 1};

    void TearDown() override { BibPreferences::globalPreferences()->setWriteUntouchedAsRead(true); }

    QString file(const QByteArray &data, const QString &name = u"a.bib"_s)
    {
        const QString path = dir.filePath(name);
        writeAll(path, data);
        return path;
    }

    // Saves the database in place the ordinary way; the saved bytes.
    QByteArray save(LocalDatabase &database)
    {
        database.setDirty(true);
        EXPECT_TRUE(database.saveDatabase()) << qPrintable(DatabaseSaver::lastFailureDetail());
        return readAll(database.fullPath());
    }

    // Opens `data` as the file `name`, makes `change` and saves; the text after the settings block.
    QByteArray savedAfter(const QByteArray &data,
                          const std::function<void(LocalDatabase &)> &change,
                          const QString &name = u"a.bib"_s)
    {
        auto database = openDatabase(file(data, name));
        if (!database)
            return "<not opened>";
        change(*database);
        return afterSettings(save(*database));
    }
};

} // namespace

TEST_F(KeptFileWriterTest, everyBlockKindKeepsItsTextWithEveryLineEnding)
{
    const std::pair<const char *, QByteArray> rows[] = {
        {"entry with tabs and mixed quoting",
         "@Article{ k1,\n\ttitle = {A \"B\" C},\n  author=\"Doe, J.\",\n  year = 1999\n}\n"},
        {"@STRING with several macros",
         "@String{ a = \"Alpha\",  b = {Beta} # a }\n\n@misc{k, note = a}\n"},
        {"preamble", "@PREAMBLE{ \"\\newcommand{\\x}{y}\" }\n@misc{k, note = {n}}\n"},
        {"comment block", "@comment{\n  two\n  lines }\n@misc{k, note = {n}}\n"},
        {"percent lines between entries",
         "@misc{a, note = {n}}\n% one\n%  two\n\n@misc{b, note = {m}}\n"},
        {"stray text between entries",
         "@misc{a, note = {n}}\nsome prose here\n@misc{b, note = {m}}\n"},
        {"parenthesised entry", "@misc(k,\n  note = {n})\n"},
        {"unbalanced unread text", "@misc{a, note = {n}}\n@misc{b, note = {m\n"},
        {"no final line break", "@misc{a,\n  note = {n}\n}"},
        {"blank lines kept", "\n\n@misc{a, note = {n}}\n\n\n\n@misc{b, note = {m}}\n\n"},
    };
    const QByteArray endings[] = {"\n", "\r\n", "\r"};
    int number = 0;
    for (const auto &[name, original] : rows) {
        for (const QByteArray &lf : endings) {
            const QByteArray text = withLineBreaks(original, lf);
            auto database = openDatabase(file(text, u"f%1.bib"_s.arg(++number)));
            ASSERT_TRUE(database) << name;
            // The settings block takes the file's own line break.
            const QByteArray saved = save(*database);
            EXPECT_TRUE(saved.startsWith("@COMMENT { Quirefold_Settings," + lf)) << name;
            EXPECT_EQ(afterSettings(saved), text) << name << " with " << lf.toHex().constData();
        }
    }
}

TEST_F(KeptFileWriterTest, aChangedLineEndingConvertsTheKeptText)
{
    auto database = openDatabase(file(kFile));
    ASSERT_TRUE(database);
    database->localProperties().setLineEnding(1);
    const QByteArray saved = save(*database);
    EXPECT_FALSE(QByteArray(saved).replace("\r\n", "").contains('\n')) << saved.constData();
    EXPECT_EQ(afterSettings(saved), withLineBreaks(kFile, "\r\n"));
}

// A changed entry is written in the writer's layout at its place, a removed
// one leaves no text, a new one goes at the end; the rest keeps its text.
TEST_F(KeptFileWriterTest, changedRemovedAndNewEntries)
{
    QString addedKey;
    const QByteArray saved = savedAfter(kFile, [&addedKey](LocalDatabase &database) {
        const BibItemPtr item = database.bibItemForKey(u"second"_s);
        ASSERT_TRUE(item && item->setFieldData(u"Deux"_s, u"title"_s));
        item->fixChanged();
        ASSERT_TRUE(database.removeBibItem(database.bibItemForKey(u"first"_s), false));
        addedKey = database.appendNewBibItemWithType(u"MISC"_s)->bibKey();
    });
    EXPECT_TRUE(saved.startsWith("% a header line\n@string{jan = \"January\", feb = {February}}\n"))
        << saved.constData();
    EXPECT_FALSE(saved.contains("first"));
    const qsizetype at = saved.indexOf("@comment{ between the entries }\n@BOOK { second,\n");
    const qsizetype third = saved.indexOf("\n@misc{third,\n  note = {Three}\n}\n");
    ASSERT_TRUE(at > 0 && third > at) << saved.constData();
    const QByteArray entry = saved.mid(at, third - at);
    EXPECT_TRUE(entry.contains("\ttitle = \"Deux\"") && entry.contains("\tmodified = "));
    EXPECT_GT(saved.indexOf("@MISC { " + addedKey.toUtf8() + ",\n"), third);
}

// Blocks whose kept text would not say what the database holds are written
// in the writer's layout: a changed preamble list (whole, after the settings
// block), an entry whose duplicate key the reader renamed, an entry the new
// encoding cannot carry. The other blocks keep their text.
TEST_F(KeptFileWriterTest, blocksTheKeptTextCannotSayAreWrittenInTheWritersLayout)
{
    struct Row
    {
        const char *name;
        QByteArray text;
        std::function<void(LocalDatabase &)> change;
        QByteArray start, end, absent;
    };
    const auto nothing = [](LocalDatabase &) {};
    const Row rows[] = {
        {"changed preambles", "@preamble{\"old\"}\n@misc{a, note = {n}}\n",
         [](LocalDatabase &database) { database.setPreambleList({u"\"new\""_s}); },
         "@PREAMBLE { \"new\" }\n", "@misc{a, note = {n}}\n", "old"},
        {"renamed duplicate key", "@misc{k, note = {a}}\n@misc{k, note = {b}}\n", nothing,
         "@misc{k, note = {a}}\n@MISC { k.1,\n", "", "note = {b}"},
        {"encoding cannot carry the entry",
         "@misc{greek, note = {\xce\xa9}}\n@misc{plain, note = {ascii}}\n",
         [](LocalDatabase &database) {
             database.localProperties().setEncoding(TextEncodings::ISOLatin1);
         },
         "@MISC { greek,\n", "@misc{plain, note = {ascii}}\n", "@misc{greek"},
    };
    int number = 0;
    for (const Row &row : rows) {
        const QByteArray saved = savedAfter(row.text, row.change, u"b%1.bib"_s.arg(++number));
        EXPECT_TRUE(saved.startsWith(row.start)) << row.name << saved.constData();
        EXPECT_TRUE(saved.endsWith(row.end)) << row.name;
        EXPECT_FALSE(saved.contains(row.absent)) << row.name;
    }
}

TEST_F(KeptFileWriterTest, turnedOffOrReformattedEveryEntryTakesTheWritersLayout)
{
    for (const bool preferenceOff : {true, false}) {
        BibPreferences::globalPreferences()->setWriteUntouchedAsRead(!preferenceOff);
        auto database = openDatabase(file(kFile, preferenceOff ? u"off.bib"_s : u"re.bib"_s));
        ASSERT_TRUE(database);
        if (!preferenceOff) {
            database->reformatAllEntries();
            EXPECT_TRUE(database->isDirty());
        }
        const QByteArray saved = save(*database);
        EXPECT_TRUE(saved.contains("@ARTICLE { first,\n\tauthor = \"Doe, J. and Roe, R.\",\n"))
            << saved.constData();
        EXPECT_TRUE(saved.contains("@BOOK { second,\n"));
        EXPECT_TRUE(saved.contains("@MISC { third,\n"));
        // Off, the macro block too is the writer's; reformatting touches entries only.
        EXPECT_EQ(saved.contains("@string{jan = \"January\", feb = {February}}"), !preferenceOff);
    }
}

// A change that did not mark the entry leaves its kept text out of date: the
// save's check finds it wherever it stands and writes it in the writer's layout.
TEST_F(KeptFileWriterTest, keptTextThatDoesNotReadBackIsCaughtAndRewritten)
{
    const std::pair<const char *, QStringList> rows[] = {
        {"the last entry", QStringList{u"third"_s}},
        {"an entry in the middle", QStringList{u"second"_s}},
        {"the first and the last", QStringList{u"first"_s, u"third"_s}},
    };
    for (const auto &[name, keys] : rows) {
        auto database = openDatabase(file(kFile));
        ASSERT_TRUE(database);
        for (const QString &key : keys) {
            ASSERT_TRUE(database->bibItemForKey(key)->setFieldData(u"Changed"_s, u"note"_s));
            database->bibItemForKey(key)->setUnchangedSinceRead();
        }
        const QByteArray saved = afterSettings(save(*database));
        for (const QString &key : keys) {
            EXPECT_TRUE(database->bibItemForKey(key)->isChangedSinceRead()) << name;
            EXPECT_TRUE(saved.contains(" { " + key.toUtf8() + ",\n")) << name << saved.constData();
        }
        EXPECT_EQ(saved.count("note = \"Changed\""), keys.size()) << name;
        EXPECT_EQ(saved.contains("@book{second, title = {Two}, year = 2001}"),
                  !keys.contains(u"second"_s))
            << name;
    }
}

TEST_F(KeptFileWriterTest, aFileOfSeveralChunksInAJapaneseEncodingKeepsItsBytes)
{
    // Longer than two chunks of kept text; Japanese text on the cuts.
    QString body;
    for (int k = 0; body.size() < 2 * KeptText::kChunkUnits + 1000; ++k)
        body +=
            u"@article{k%1,\n  title = {日本語の論文 第%1号},\n  yomi = {にほんご}\n}\n\n"_s.arg(k);
    for (const quint32 encoding : {TextEncodings::JapaneseEUC, TextEncodings::ISO2022JP}) {
        const QByteArray text = TextEncodings::encode(body, encoding);
        const QByteArray settings = "@COMMENT { Quirefold_Settings,\n\ttextencoding = {" +
                                    QByteArray::number(encoding) + "}\n}\n\n";
        auto database = openDatabase(file(settings + text, u"j%1.bib"_s.arg(encoding)));
        ASSERT_TRUE(database);
        ASSERT_EQ(database->encoding(), encoding);
        ASSERT_GT(database->keptText()->textSize(), 2 * KeptText::kChunkUnits);
        EXPECT_EQ(afterSettings(save(*database)), text) << encoding;
    }
}
