#include "storage/DatabaseSaver.h"

#include "StorageTestSupport.h"
#include "TestFiles.h"
#include "core/AlertPresenter.h"
#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"
#include "storage/DatabaseGroup.h"
#include "storage/LocalDatabase.h"
#include "storage/ReadSnapshot.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <deque>
#include <tuple>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using QfTest::readAll;
using QfTest::writeAll;

// Every entry of the file at `path` as type, key and edit forms but the
// database's name.
QStringList entriesOf(const QString &path)
{
    static const QRegularExpression name(u"\\|database=[^|]*"_s);
    return ReadSnapshot::of(readAll(path), 1, 1).entries.replaceInStrings(name, QString());
}

class FailingWriter : public SafeFileWriter
{
protected:
    bool writeData(QIODevice &device, const QByteArray &data) override
    {
        device.write(data.left(data.size() / 3));
        return false;
    }
};

const QByteArray kSample = "@STRING{jan = \"January\"}\n"
                           "@PREAMBLE{\"\\newcommand{\\x}{y}\"}\n"
                           "@COMMENT{a comment\nover two lines}\n"
                           "@ARTICLE{doe99,\n  author = {Doe, John},\n  title = {A {T}itle},\n"
                           "  year = 1999,\n  month = jan\n}\n"
                           "@BOOK{roe01, author = \"Roe, R.\", title = {Book}}\n";

class DatabaseSaverTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    int savedBackups = 0;

    // These tests are about the writer's own layout: every block reformatted.
    void SetUp() override
    {
        savedBackups = BibPreferences::globalPreferences()->numBackups();
        BibPreferences::globalPreferences()->setWriteUntouchedAsRead(false);
    }
    void TearDown() override
    {
        BibPreferences::globalPreferences()->setNumBackups(savedBackups);
        BibPreferences::globalPreferences()->setWriteUntouchedAsRead(true);
    }

    QString file(const QString &name, const QByteArray &data = kSample)
    {
        const QString path = dir.filePath(name);
        writeAll(path, data);
        return path;
    }
};

} // namespace

TEST_F(DatabaseSaverTest, fileLayoutHasItsBlocksInOrderWithTheChosenLineEnding)
{
    auto database = openDatabase(file(u"a.bib"_s));
    ASSERT_TRUE(database);
    const QString text = QString::fromUtf8(
        *DatabaseSaver::makeContentsData(*database, database->defaultSaveOptions()));
    // Macros come before the preambles, which may use them.
    const QStringList blocks =
        u"@COMMENT { Quirefold_Settings,\n|@COMMENT {\na comment\nover two lines\n}\n\n|"
        u"@STRING { JAN = \"January\" }\n\n|@PREAMBLE { |@ARTICLE { doe99,\n|\tmonth = jan|"
        u"\tyear = 1999|@BOOK { roe01,\n"_s.split(u'|');
    qsizetype last = -1;
    for (const QString &block : blocks) {
        const qsizetype at = text.indexOf(block);
        EXPECT_GT(at, last) << qPrintable(block) << qPrintable(text);
        last = std::max(at, last);
    }
    EXPECT_TRUE(text.startsWith(blocks[0]));
    // With CR LF every line ends so but the comment's, which keeps the break it was read with.
    QVariantMap options = database->defaultSaveOptions();
    options.insert(DatabaseSaver::lineFeedKey(), u"\r\n"_s);
    const QByteArray data = *DatabaseSaver::makeContentsData(*database, options);
    const QList<QByteArray> lines = data.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        EXPECT_TRUE(lines[i].endsWith('\r') || lines[i] == "a comment") << lines[i].constData();
    EXPECT_FALSE(data.contains("\r\r"));
}

TEST_F(DatabaseSaverTest, ordinarySaveRotatesBackups)
{
    BibPreferences::globalPreferences()->setNumBackups(2);
    const QString path = file(u"a.bib"_s);
    writeAll(path + u".1"_s, "one");
    writeAll(path + u".2"_s, "two");
    auto database = openDatabase(path);
    database->setDirty(true);
    ASSERT_TRUE(database->saveDatabase()) << qPrintable(DatabaseSaver::lastFailureDetail());
    EXPECT_FALSE(database->isDirty());
    EXPECT_EQ(readAll(path + u".1"_s) + readAll(path + u".2"_s), kSample + "one");
    EXPECT_FALSE(QFile::exists(path + u".3"_s));
}

// A clean database, and one someone else has reserved, are not written.
TEST_F(DatabaseSaverTest, cleanOrReservedDatabaseWritesNothing)
{
    for (const bool reserved : {false, true}) {
        const QString path = file(u"a.bib"_s);
        auto database = openDatabase(path);
        if (reserved) {
            database->localProperties().setPrivilegedHost(u"another-computer.invalid"_s);
            database->localProperties().setPrivilegedUser(u"somebody-else"_s);
            database->setDirty(true);
        }
        EXPECT_FALSE(database->isDirty());
        EXPECT_TRUE(database->saveDatabase());
        EXPECT_EQ(readAll(path), kSample);
    }
}

TEST_F(DatabaseSaverTest, saveAsCopyHasItsOwnIdentityAndLeavesTheOriginal)
{
    const QString path = file(u"a.bib"_s);
    auto database = openDatabase(path);
    auto &properties = database->localProperties();
    properties.setPrivilegedHost(LocalDatabaseProperties::computerName());
    properties.setPrivilegedUser(LocalDatabaseProperties::consoleUserName());
    properties.setDescription(u"Mine"_s);
    const QString id = database->uniqueID();
    database->setDirty(true);
    const QString copy = dir.filePath(u"copy.bib"_s);
    ASSERT_TRUE(database->saveAsDatabase(copy, {}));
    const QString text = QString::fromUtf8(readAll(copy));
    EXPECT_TRUE(text.contains(u"database_ID = {"_s) && !text.contains(id));
    EXPECT_FALSE(text.contains(u"privileged_"_s));
    EXPECT_TRUE(
        text.contains(u"description = {"_s + Texts::format(u"NameOfCopy", {u"Mine"_s}) + u'}'));
    // The open database is unchanged and still bound to its own file.
    EXPECT_TRUE(database->uniqueID() == id && properties.storedDescription() == u"Mine" &&
                !properties.privilegedHost().isEmpty() && database->isDirty() &&
                database->fullPath() == path);
    EXPECT_EQ(readAll(path), kSample);
}

TEST_F(DatabaseSaverTest, everyEncodingReadsBackToTheSameEntries)
{
    const QByteArray japanese = u"@ARTICLE{jp, author = {山田 太郎}, title = {日本語の題名 \\TeX}, "
                                "note = {Caf\u00e9}}\n"_s.toUtf8();
    const std::tuple<const char *, quint32, bool> rows[] = {
        {"utf-8", 4, true},   {"utf-16", 10, true},       {"shift_jis", 0x80000A01u, false},
        {"euc-jp", 3, false}, {"iso-2022-jp", 21, false},
    };
    for (const auto &[name, code, keepsAccents] : rows) {
        const QString path = file(QString::fromLatin1(name) + u".bib"_s, japanese);
        auto database = openDatabase(path);
        database->localProperties().setEncoding(code);
        database->setDirty(true);
        ASSERT_TRUE(database->saveDatabase())
            << name << qPrintable(DatabaseSaver::lastFailureDetail());
        auto reloaded = openDatabase(path);
        EXPECT_EQ(reloaded->encoding(), code) << name;
        ASSERT_EQ(keysOf(*reloaded), QStringList{u"jp"_s}) << name;
        const BibItemPtr item = reloaded->allItems()->front();
        EXPECT_EQ(item->fieldDataForEdit(u"author"_s) + u'|' + item->fieldDataForEdit(u"title"_s),
                  u"山田 太郎|日本語の題名 \\TeX"_s)
            << name;
        EXPECT_TRUE(!keepsAccents || item->fieldDataForEdit(u"note"_s) == u"Caf\u00e9") << name;
    }
}

// A writer that fails half way, and a path that became a folder: the save
// fails and says so, and the file, its backups and the dirty flag stay.
TEST_F(DatabaseSaverTest, failedWriteKeepsFileBackupsAndDirtyFlag)
{
    BibPreferences::globalPreferences()->setNumBackups(2);
    for (const bool folder : {false, true}) {
        const QString path = file(folder ? u"folder.bib"_s : u"a.bib"_s);
        writeAll(path + u".1"_s, "one");
        auto database = openDatabase(path);
        ASSERT_TRUE(database);
        if (folder) {
            QFile::remove(path);
            ASSERT_TRUE(QDir().mkdir(path));
        }
        database->setDirty(true);
        ScriptedAlertPresenter alerts;
        FailingWriter failing;
        EXPECT_FALSE(folder ? database->saveDatabase()
                            : DatabaseSaver::saveDatabase(*database, &failing));
        EXPECT_TRUE(database->isDirty()) << folder;
        EXPECT_EQ(readAll(path) + readAll(path + u".1"_s) + readAll(path + u".2"_s),
                  (folder ? QByteArray("<absent>") : kSample) + "one<absent>");
        ASSERT_EQ(alerts.requests().size(), 1u) << folder;
        EXPECT_TRUE(alerts.requests()[0].message.contains(path)) << folder;
    }
}

TEST_F(DatabaseSaverTest, fileReadWithLossIsNotOverwrittenWithoutConsent)
{
    // The file cannot be read when loading starts (it is gone for a moment):
    // the database is empty, and saving it must not wipe the file out.
    const QString path = file(u"a.bib"_s);
    auto database = LocalDatabase::localDatabaseWithFile(path, false);
    ASSERT_TRUE(database);
    ASSERT_TRUE(QFile::rename(path, path + u".away"_s));
    database->startLoading();
    database->waitForLoading();
    if (database->isLoading())
        database->setWaitingStatus(0);
    ASSERT_TRUE(QFile::rename(path + u".away"_s, path));
    ASSERT_TRUE(database->readIncomplete());
    database->setDirty(true);
    // Cancel, the default (the headless answer), then Save anyway.
    const std::pair<std::deque<int>, bool> answers[] = {{{1}, false}, {{}, false}, {{0}, true}};
    for (const auto &[answer, saved] : answers) {
        ScriptedAlertPresenter alerts(answer, 1);
        EXPECT_EQ(database->saveDatabase(), saved);
        EXPECT_EQ(readAll(path) != kSample, saved);
        EXPECT_NE(database->isDirty(), saved);
        ASSERT_EQ(alerts.requests().size(), 1u);
        EXPECT_EQ(alerts.requests()[0].alternateButton, Texts::text(u"SaveAnyway"));
    }
}

TEST_F(DatabaseSaverTest, groupCopyCarriesTheMacrosOfEveryContributingDatabase)
{
    auto group = DatabaseGroup::dbGroup();
    for (const QByteArray &bytes :
         {QByteArray("@STRING{aa = {A}}\n@COMMENT{c}\n@MISC{k1, journal = aa}\n"),
          QByteArray("@STRING{bb = {B}}\n@PREAMBLE{\"p\"}\n@MISC{k2, journal = bb}\n")}) {
        auto database = openDatabase(file(QString::fromLatin1(bytes.mid(8, 2)) + u".bib"_s, bytes));
        ASSERT_TRUE(database);
        group->databaseOpened(
            static_cast<LocalDatabase *>(group->insertChild(std::move(database), -1)));
    }
    const QString out = dir.filePath(u"all.bib"_s);
    ASSERT_TRUE(group->saveAsDatabase(out, {})) << qPrintable(DatabaseSaver::lastFailureDetail());
    const QString text = QString::fromUtf8(readAll(out));
    for (const QString &block : {u"@STRING { AA = \"A\" }"_s, u"@STRING { BB = \"B\" }"_s,
                                 u"@MISC { k1,"_s, u"@MISC { k2,"_s})
        EXPECT_TRUE(text.contains(block)) << qPrintable(block) << qPrintable(text);
    EXPECT_FALSE(text.contains(u"@PREAMBLE"_s));
    EXPECT_EQ(text.count(u"@COMMENT"_s), 1); // the settings block only
}

TEST_F(DatabaseSaverTest, attachmentOptionDecidesTheFileField)
{
    auto database = openDatabase(file(u"a.bib"_s, "@MISC{k, file = {papers/x.pdf}}\n"));
    // (mode, the file line or none)
    const std::pair<int, QString> rows[] = {
        {0, QString()},
        {1, u"file = \""_s + dir.filePath(u"papers/x.pdf"_s) + u'"'},
        {-1, u"file = \"papers/x.pdf\""_s}};
    for (const auto &[mode, expected] : rows) {
        QVariantMap options = database->defaultSaveOptions();
        options.insert(DatabaseSaver::attachmentsKey(), mode);
        const QString text =
            QString::fromUtf8(*DatabaseSaver::makeContentsData(*database, options));
        EXPECT_TRUE(expected.isEmpty() ? !text.contains(u"file ="_s) : text.contains(expected))
            << mode << qPrintable(text);
    }
}

TEST_F(DatabaseSaverTest, largeDatabaseWrittenOnThreadsKeepsEntryOrder)
{
    // Enough entries for the text to be written in parts; keys run against
    // the collation order so that any reordering would show.
    QByteArray bytes;
    constexpr int kEntries = 4500;
    for (int i = kEntries; i > 0; --i)
        bytes += "@misc{z" + QByteArray::number(i) + ", title = {T" + QByteArray::number(i) +
                 "}, note = {n}, author = {A}}\n";
    const QString path = file(u"large.bib"_s, bytes);
    auto database = openDatabase(path);
    ASSERT_TRUE(database);
    const QStringList before = entriesOf(path);
    ASSERT_EQ(before.size(), kEntries);
    database->setDirty(true);
    ASSERT_TRUE(database->saveDatabase()) << qPrintable(DatabaseSaver::lastFailureDetail());
    const QByteArray written = readAll(path);
    EXPECT_LT(written.indexOf("z4500,"), written.indexOf("z1,"));
    EXPECT_NE(written.indexOf("\tauthor = \"A\",\n\tnote = \"n\",\n\ttitle = \"T1\"\n}"), -1);
    EXPECT_EQ(entriesOf(path), before);
}

// Files whose text a save must carry through unchanged: kept unread text in
// every arrangement, quotes inside braces, values beginning with "@".
TEST_F(DatabaseSaverTest, keptTextAndUnusualValuesReadBackTheSame)
{
    const std::pair<const char *, QByteArray> rows[] = {
        {"runaway entry then broken entry then stray text",
         "@article{r, abstract = \"x $\\{f_{i}}\\}$ y\",\n year = 2010\n}\n\n"
         "@inproceedings{s, abstract = \"a } b {c\" d ,\n year = 2008\n}\n"
         "@misc{ok, title = {Fine}}\n"},
        {"two unread pieces only parted by a macro",
         "@misc{u, title = {open\n@string{m = {M}}\n} tail {\n@misc{ok, note = m}\n"},
        {"stray closing brace after an entry", "@misc{a, title = {A}}}\n@misc{b, title = {B}}\n"},
        {"unread text at the very end", "@misc{a, title = {A}}\n@misc{z, title = {open\n"},
        {"quotes inside braces",
         "@misc{q, title = {Does the Neuron \"Learn\"?}, note = {\"`Bacho\\TeX\"' Gro\"s},"
         " keywords = {id=\"k0025\"}}\n"},
        {"values beginning with an at", "@misc{h, title = {@home: a study}, note = \"@x\"}\n"},
    };
    ScriptedAlertPresenter alerts({}, 1);
    int n = 0;
    for (const auto &[label, bytes] : rows) {
        const QString name = QString::number(++n);
        auto first = openDatabase(file(name + u".bib"_s, bytes));
        ASSERT_TRUE(first) << label;
        const QString copy = dir.filePath(name + u"-copy.bib"_s);
        ASSERT_TRUE(first->saveAsDatabase(copy, {}))
            << label << ": " << qPrintable(DatabaseSaver::lastFailureDetail());
        auto second = openDatabase(copy);
        ASSERT_TRUE(second) << label;
        EXPECT_EQ(entriesOf(copy), entriesOf(dir.filePath(name + u".bib"_s))) << label;
        EXPECT_EQ(second->unreadTextList(), first->unreadTextList()) << label;
        EXPECT_EQ(second->commentList(), first->commentList()) << label;
        const QString again = dir.filePath(name + u"-again.bib"_s);
        ASSERT_TRUE(second->saveAsDatabase(again, {})) << label;
        static const QRegularExpression volatileLines(
            u"(last_saved|database_ID|description) = \\{[^\\n]*\\n"_s);
        EXPECT_EQ(QString::fromUtf8(readAll(again)).remove(volatileLines),
                  QString::fromUtf8(readAll(copy)).remove(volatileLines))
            << label;
    }
}
