#include <QDir>
#include <QFile>
#include "CliRunner.h"
#include "TestFiles.h"
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {


using QfTest::readAll;
using QfTest::writeAll;

const QByteArray kSample = "@STRING{jan = \"January\"}\n"
                           "@ARTICLE{doe99, author = {Doe, John}, title = {T}, month = jan,\n"
                           "  file = {papers/x.pdf}}\n"
                           "@BOOK{roe01, author = \"Roe, R.\", title = {B\\\"{u}ch}}\n";

class CliSave : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString bib;
    void SetUp() override
    {
        bib = dir.filePath(u"refs.bib"_s);
        writeAll(bib, kSample);
    }
};

} // namespace

TEST_F(CliSave, savesInPlaceWithABackup)
{
    const CliRun run = runCli({u"save"_s, bib}, {}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(bib + u".1"_s), kSample);
    const QByteArray saved = readAll(bib);
    EXPECT_TRUE(saved.startsWith("@COMMENT { Quirefold_Settings,\n"));
    // Nothing changed: the blocks are written as they were read.
    EXPECT_TRUE(saved.endsWith("}\n\n" + kSample)) << saved.constData();
}

TEST_F(CliSave, reformatWritesEveryEntryInTheWritersLayout)
{
    const CliRun run = runCli({u"save"_s, bib, u"--reformat"_s}, {}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray saved = readAll(bib);
    EXPECT_TRUE(saved.contains("@ARTICLE { doe99,"));
    EXPECT_TRUE(saved.contains("\tmonth = jan"));
    EXPECT_TRUE(saved.contains("@BOOK { roe01,"));
    // The @STRING block was not changed: it keeps its text.
    EXPECT_TRUE(saved.contains("@STRING{jan = \"January\"}\n"));
}

TEST_F(CliSave, saveAsWritesACopyWithTheOptions)
{
    const QString out = dir.filePath(u"copy.bib"_s);
    const CliRun run = runCli({u"save"_s, bib, u"-o"_s, out, u"--encoding"_s, u"10"_s,
                            u"--line-ending"_s, u"1"_s, u"--attachments"_s, u"0"_s},
                           {}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(bib), kSample); // the original is untouched
    EXPECT_FALSE(QFile::exists(bib + u".1"_s));
    const QByteArray bytes = readAll(out);
    ASSERT_GE(bytes.size(), 2);
    EXPECT_TRUE(bytes.startsWith("\xfe\xff") || bytes.startsWith("\xff\xfe"));
    const CliRun exported = runCli({u"export"_s, out, u"--format"_s, u"json"_s}, {}, dir.path());
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    EXPECT_TRUE(exported.out.contains(u"doe99"));
    EXPECT_TRUE(exported.out.contains(u"roe01"));
    EXPECT_FALSE(exported.out.contains(u"papers/x.pdf")); // attachments left out
}

TEST_F(CliSave, exportBibtexPrintsWhatASaveWouldWrite)
{
    const CliRun run = runCli({u"export"_s, bib, u"--format"_s, u"bibtex"_s}, {}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(u"@COMMENT { Quirefold_Settings,\n"));
    // A save writes the unchanged blocks as they were read.
    EXPECT_TRUE(run.out.endsWith(QString::fromUtf8(kSample)));
    EXPECT_EQ(readAll(bib), kSample);
}

TEST_F(CliSave, badArgumentsAreUsageErrors)
{
    struct Row
    {
        const char *name;
        QStringList args;
    };
    const Row rows[] = {
        {"no file", {u"save"_s}},
        {"two files", {u"save"_s, u"a.bib"_s, u"b.bib"_s}},
        {"bad line ending", {u"save"_s, u"a.bib"_s, u"--line-ending"_s, u"3"_s}},
        {"bad attachments", {u"save"_s, u"a.bib"_s, u"--attachments"_s, u"2"_s}},
        {"unknown encoding", {u"save"_s, u"a.bib"_s, u"--encoding"_s, u"999999"_s}},
        {"missing value", {u"save"_s, u"a.bib"_s, u"-o"_s}},
        {"unknown option", {u"save"_s, u"a.bib"_s, u"--frobnicate"_s}},
    };
    for (const Row &row : rows) {
        const CliRun run = runCli(row.args, {}, dir.path());
        EXPECT_EQ(run.exitCode, 2) << row.name;
        EXPECT_FALSE(run.err.isEmpty()) << row.name;
    }
}

TEST_F(CliSave, missingFileCannotBeOpened)
{
    const CliRun run = runCli({u"save"_s, dir.filePath(u"none.bib"_s)}, {}, dir.path());
    EXPECT_EQ(run.exitCode, 2);
}

TEST_F(CliSave, saveOntoAFolderFailsAndKeepsTheSource)
{
    const QString folder = dir.filePath(u"folder.bib"_s);
    ASSERT_TRUE(QDir().mkdir(folder));
    const CliRun run = runCli({u"save"_s, bib, u"-o"_s, folder}, {}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(readAll(bib), kSample);
}
