#include "CliRunner.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using QfTest::readAll;

const QByteArray kBefore = "% Shared with a co-author: please keep this layout.\n"
                           "@string{jan = \"January\", feb = \"February\"}\n"
                           "\n"
                           "@article{doe99,\n"
                           "  author = {Doe, John},\n"
                           "  title  = \"A Title\",\n"
                           "  year   = 1999\n"
                           "}\n"
                           "\n";
const QByteArray kTarget = "@book{roe01,\n"
                           "\ttitle = {B\\\"{u}ch},\n"
                           "\tyear = {2001}\n"
                           "}\n";
const QByteArray kAfter = "\n"
                          "@comment{ between }\n"
                          "@misc{third, note = {Three}}\n";

class CliSet : public ::testing::Test
{
protected:
    CliHome dir;
    QString bib = dir.write(u"refs.bib"_s, kBefore + kTarget + kAfter);

    // The saved file after its settings block.
    QByteArray savedBlocks() const
    {
        const QByteArray saved = readAll(bib);
        EXPECT_TRUE(saved.startsWith("@COMMENT { Quirefold_Settings,\n"));
        const qsizetype end = saved.indexOf("\n}\n\n");
        return end < 0 ? saved : saved.mid(end + 4);
    }
};

} // namespace

TEST_F(CliSet, changesOneEntryAndNothingElse)
{
    struct Row
    {
        const char *name;
        QStringList args;
        QByteArray expected; // in the changed entry
        QByteArray absent;   // not in it any more
    };
    const Row rows[] = {
        {"plain text", {u"title"_s, u"New Title"_s}, "\ttitle = \"New Title\"", "B\\\"{u}ch"},
        {"a macro with the @ convention", {u"month"_s, u"@feb"_s}, "\tmonth = feb", ""},
        {"an expression", {u"note"_s, u"@\"Vol. \" # jan"_s}, "\tnote = \"Vol. \" # jan", ""},
        {"an empty value removes the field", {u"year"_s, u""_s}, "\ttitle = ", "year"},
        {"digits are written bare", {u"year"_s, u"2002"_s}, "\tyear = 2002", "2001"},
        {"the type", {u"--type"_s, u"INCOLLECTION"_s}, "@INCOLLECTION { roe01,", "@book"},
    };
    for (const Row &row : rows) {
        dir.write(u"refs.bib"_s, kBefore + kTarget + kAfter);
        QFile::remove(bib + u".1"_s);
        const CliRun run = dir.run(QStringList{u"set"_s, bib, u"roe01"_s} + row.args);
        ASSERT_EQ(run.exitCode, 0) << row.name << ": " << run.err.toStdString();
        // The ordinary save: the former file is the newest backup.
        EXPECT_EQ(readAll(bib + u".1"_s), kBefore + kTarget + kAfter) << row.name;
        const QByteArray blocks = savedBlocks();
        // Everything around the entry keeps its text.
        ASSERT_TRUE(blocks.startsWith(kBefore)) << row.name << "\n" << blocks.constData();
        ASSERT_TRUE(blocks.endsWith(kAfter)) << row.name << "\n" << blocks.constData();
        const QByteArray entry = blocks.mid(kBefore.size(), blocks.size() - kBefore.size() - kAfter.size());
        EXPECT_TRUE(entry.contains(row.expected)) << row.name << "\n" << entry.constData();
        if (!row.absent.isEmpty()) {
            EXPECT_FALSE(entry.contains(row.absent)) << row.name << "\n" << entry.constData();
        }
        EXPECT_TRUE(entry.contains("\tmodified = ")) << row.name;
    }
}

TEST_F(CliSet, refusesAndLeavesTheFileAlone)
{
    const QStringList rows[] = {
        {u"nobody"_s, u"title"_s, u"x"_s},        // unknown key
        {u"roe01"_s, u"title"_s, u"A {b"_s},      // unbalanced braces
        {u"roe01"_s, u"note"_s, u"@\"a\" #"_s},  // an expression that does not read
        {u"roe01"_s, u"bibkey"_s, u"doe99"_s},    // a key another entry has
        {u"roe01"_s, u"--type"_s, u"no type"_s}, // a type with blanks
    };
    for (const QStringList &args : rows) {
        const CliRun run = dir.run(QStringList{u"set"_s, bib} + args);
        const std::string name = args.join(u' ').toStdString();
        EXPECT_EQ(run.exitCode, 1) << name << ": " << run.err.toStdString();
        EXPECT_FALSE(run.err.isEmpty()) << name;
        EXPECT_EQ(readAll(bib), kBefore + kTarget + kAfter) << name;
        EXPECT_FALSE(QFile::exists(bib + u".1"_s)) << name;
    }
}

TEST_F(CliSet, keepsCrLfAndTheFilesEncoding)
{
    // A file with CR LF line breaks and no settings block of its own.
    QByteArray text = "@misc{a,\r\n  note = {caf\xc3\xa9}\r\n}\r\n\r\n@misc{b, note = {x}}\r\n";
    dir.write(u"refs.bib"_s, text);
    const CliRun run = dir.run({u"set"_s, bib, u"b"_s, u"note"_s, u"y"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray saved = readAll(bib);
    EXPECT_TRUE(saved.contains("\r\n@misc{a,\r\n  note = {caf\xc3\xa9}\r\n}\r\n\r\n@MISC { b,\r\n"))
        << saved.constData();
    EXPECT_FALSE(QByteArray(saved).replace("\r\n", "").contains('\n'));
}
