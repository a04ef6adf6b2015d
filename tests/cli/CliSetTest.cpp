// The set command: one field or the type of one entry changed the editor's
// way, the file saved the ordinary way with the text around the entry kept.
#include "CliRunner.h"

using namespace Qt::StringLiterals;

namespace {

using QfTest::readAll;

const QByteArray kBefore = "% Shared with a co-author: please keep this layout.\n"
                           "@string{jan = \"January\"}\n"
                           "\n"
                           "@article{doe99, author = {Doe, John}, year = 1999}\n"
                           "\n";
const QByteArray kTarget = "@book{roe01,\n"
                           "\ttitle = {B\\\"{u}ch},\n"
                           "\tyear = {2001}\n"
                           "}\n";
const QByteArray kAfter = "\n@comment{ between }\n@misc{third, note = {Three}}\n";

class CliSet : public ::testing::Test
{
protected:
    CliHome dir;
    QString bib = dir.write(u"refs.bib"_s, kBefore + kTarget + kAfter);
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
        {"an expression", {u"note"_s, u"@\"Vol. \" # jan"_s}, "\tnote = \"Vol. \" # jan", "@\""},
        {"the type", {u"--type"_s, u"INCOLLECTION"_s}, "@INCOLLECTION { roe01,", "@book"},
    };
    for (const Row &row : rows) {
        dir.write(u"refs.bib"_s, kBefore + kTarget + kAfter);
        QFile::remove(bib + u".1"_s);
        const CliRun run = dir.run(QStringList{u"set"_s, bib, u"roe01"_s} + row.args);
        ASSERT_EQ(run.exitCode, 0) << row.name << ": " << run.err.toStdString();
        // The ordinary save: the former file is the newest backup; the text
        // around the entry is kept.
        EXPECT_EQ(readAll(bib + u".1"_s), kBefore + kTarget + kAfter) << row.name;
        const QByteArray saved = readAll(bib);
        const qsizetype start = saved.indexOf("}\n\n" + kBefore) + 3 + kBefore.size();
        ASSERT_TRUE(start >= kBefore.size() + 3 && saved.endsWith(kAfter)) << saved.constData();
        const QByteArray entry = saved.mid(start, saved.size() - kAfter.size() - start);
        EXPECT_TRUE(entry.contains(row.expected) && !entry.contains(row.absent) &&
                    entry.contains("\tmodified = "))
            << row.name << "\n"
            << entry.constData();
    }
}

TEST_F(CliSet, refusesAndLeavesTheFileAlone)
{
    const QStringList rows[] = {
        {u"nobody"_s, u"title"_s, u"x"_s},       // unknown key
        {u"roe01"_s, u"title"_s, u"A {b"_s},     // unbalanced braces
        {u"roe01"_s, u"note"_s, u"@\"a\" #"_s},  // refused by the save's check
        {u"roe01"_s, u"bibkey"_s, u"doe99"_s},   // a key another entry has
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
