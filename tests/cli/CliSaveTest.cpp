// The save command, and export --format bibtex, which prints what a save writes.
#include "CliRunner.h"

#include <QDir>

using namespace Qt::StringLiterals;
using QfTest::readAll;

namespace {

const QByteArray kSample = "@STRING{jan = \"January\"}\n"
                           "@ARTICLE{doe99, author = {Doe, John}, title = {T}, month = jan,\n"
                           "  file = {papers/x.pdf}}\n"
                           "@BOOK{roe01, author = \"Roe, R.\", title = {B\\\"{u}ch}}\n";

class CliSave : public ::testing::Test
{
protected:
    CliHome dir;
    QString bib = dir.write(u"refs.bib"_s, kSample);
};

} // namespace

TEST_F(CliSave, savesInPlaceWithABackupAndTheBlocksAsRead)
{
    const CliRun exported = dir.run({u"export"_s, bib, u"--format"_s, u"bibtex"_s});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    EXPECT_EQ(readAll(bib), kSample);

    const CliRun run = dir.run({u"save"_s, bib});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(bib + u".1"_s), kSample);
    const QByteArray saved = readAll(bib);
    // Nothing changed: the blocks are written as they were read.
    EXPECT_TRUE(saved.startsWith("@COMMENT { Quirefold_Settings,\n") &&
                saved.endsWith("}\n\n" + kSample))
        << saved.constData();
    EXPECT_TRUE(exported.out.startsWith(u"@COMMENT { Quirefold_Settings,\n"_s) &&
                exported.out.endsWith(QString::fromUtf8(kSample)));
}

TEST_F(CliSave, reformatWritesEveryEntryInTheWritersLayout)
{
    const CliRun run = dir.run({u"save"_s, bib, u"--reformat"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // The @STRING block was not changed: it keeps its text.
    const QByteArray saved = readAll(bib);
    EXPECT_TRUE(saved.contains("@ARTICLE { doe99,") && saved.contains("\tmonth = jan") &&
                saved.contains("@BOOK { roe01,") && saved.contains("@STRING{jan = \"January\"}\n"))
        << saved.constData();
}

TEST_F(CliSave, saveAsWritesACopyWithTheOptions)
{
    const QString out = dir.path(u"copy.bib"_s);
    const CliRun run = dir.run({u"save"_s, bib, u"-o"_s, out, u"--encoding"_s, u"10"_s,
                                u"--line-ending"_s, u"1"_s, u"--attachments"_s, u"0"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // The original is untouched; the copy is in UTF-16.
    EXPECT_TRUE(readAll(bib) == kSample && !QFile::exists(bib + u".1"_s));
    EXPECT_TRUE(readAll(out).startsWith("\xfe\xff") || readAll(out).startsWith("\xff\xfe"));
    const CliRun exported = dir.run({u"export"_s, out, u"--format"_s, u"json"_s});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    // Attachments left out.
    EXPECT_TRUE(exported.out.contains(u"doe99") && !exported.out.contains(u"papers/x.pdf"));
}

TEST_F(CliSave, saveOntoAFolderOrOverABackupFolderFailsAndKeepsEverything)
{
    const QString folder = dir.path(u"folder.bib"_s);
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_EQ(dir.run({u"save"_s, bib, u"-o"_s, folder}).exitCode, 1);
    EXPECT_EQ(readAll(bib), kSample);

    // A save never removes or moves a folder that has a backup's name.
    const QString backup = bib + u".1"_s;
    ASSERT_TRUE(QDir().mkdir(backup));
    dir.write(u"refs.bib.1/notes.txt"_s, "keep");
    const CliRun run = dir.run({u"save"_s, bib});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(backup) && run.err.contains(u"folder"_s)) << run.err.toStdString();
    EXPECT_EQ(readAll(backup + u"/notes.txt"_s), "keep");
    EXPECT_EQ(readAll(bib), kSample);
}
