// The search and dups commands: loading files as the window does and printing
// what a smart library collects.
#include <QFile>
#include "CliRunner.h"
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {


class LibraryCommands : public ::testing::Test
{
protected:
    QString write(const QString &name, const QByteArray &text)
    {
        const QString path = m_dir.path() + u'/' + name;
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
        return path;
    }

    QTemporaryDir m_dir;
};

const QByteArray kFirst =
    "@article{graph1, author = {Doe, Jane}, title = {Graph Theory}, year = 1999}\n"
    "@book{alg, author = {Roe, Max}, title = {Algebra}, year = 2005}\n"
    "@article{graph2, author = {Poe, Ed}, title = {Random graphs}, year = 2010}\n";
const QByteArray kSecond =
    "@article{copy, author = {Doe, Jane}, title = {graph theory}, year = 1999, note = {x}}\n"
    "@misc{other, title = {Nothing alike}}\n"
    "@book{alg2, author = {Roe, Max}, title = {ALGEBRA}, year = 2005}\n";

} // namespace

TEST_F(LibraryCommands, searchPrintsMatchingEntriesInListOrder)
{
    const QString first = write(u"first.bib"_s, kFirst);
    const QString second = write(u"second.bib"_s, kSecond);
    const CliRun all = runCli(
        {u"search"_s, u"--where"_s, u"14,1,graph"_s, u"--where"_s, u"20,20,2000"_s, first, second});
    EXPECT_EQ(all.exitCode, 0) << all.err.toStdString();
    EXPECT_EQ(all.out, first + u"\tgraph2\n"_s);

    const CliRun any = runCli({u"search"_s, u"--any"_s, u"--where"_s, u"14,1,graph"_s, u"--where"_s,
                               u"20,20,2000"_s, first, second});
    EXPECT_EQ(any.exitCode, 0);
    EXPECT_EQ(any.out, first + u"\tgraph1\n"_s + first + u"\talg\n"_s + first + u"\tgraph2\n"_s +
                           second + u"\tcopy\n"_s + second + u"\talg2\n"_s);
}

TEST_F(LibraryCommands, searchCaseFlagAndTextWithCommas)
{
    const QString path =
        write(u"t.bib"_s, "@misc{a, title = {Graph, Theory}}\n@misc{b, title = {graph, theory}}\n");
    EXPECT_EQ(runCli({u"search"_s, u"--where"_s, u"14,1,Graph,case"_s, path}).out,
              path + u"\ta\n"_s);
    EXPECT_EQ(runCli({u"search"_s, u"--where"_s, u"14,1,h, t"_s, path}).out,
              path + u"\ta\n"_s + path + u"\tb\n"_s);
}

TEST_F(LibraryCommands, searchRejectsBadArguments)
{
    const QString path = write(u"t.bib"_s, kFirst);
    struct Row
    {
        const char *name;
        QStringList args;
    };
    const Row rows[] = {
        {"no condition", {u"search"_s, path}},
        {"not numeric", {u"search"_s, u"--where"_s, u"title,contains,x"_s, path}},
        {"one part", {u"search"_s, u"--where"_s, u"14"_s, path}},
        {"no file", {u"search"_s, u"--where"_s, u"14,1,x"_s}},
        {"unknown option", {u"search"_s, u"--what"_s, u"--where"_s, u"14,1,x"_s, path}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const CliRun run = runCli(row.args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count(u'\n'), 1);
    }
}

TEST_F(LibraryCommands, dupsPrintsGroupsOfTwinsInFileOrder)
{
    const QString first = write(u"first.bib"_s, kFirst);
    const QString second = write(u"second.bib"_s, kSecond);
    const CliRun run = runCli({u"dups"_s, first, second});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    // "copy" differs by a note, so it is no twin; the two algebra books are.
    EXPECT_EQ(run.out, first + u"\talg\n"_s + second + u"\talg2\n"_s);
}

TEST_F(LibraryCommands, dupsSeparatesGroupsWithAnEmptyLine)
{
    const QString path = write(
        u"d.bib"_s, "@misc{a1, title = {A}}\n@misc{b1, title = {B}}\n"
                    "@misc{b2, title = {b}}\n@misc{a2, title = {a}}\n@misc{c, title = {C}}\n");
    const CliRun run = runCli({u"dups"_s, path});
    EXPECT_EQ(run.out,
              path + u"\ta1\n"_s + path + u"\ta2\n\n"_s + path + u"\tb1\n"_s + path + u"\tb2\n"_s);
    EXPECT_EQ(runCli({u"dups"_s}).exitCode, 2);
    const CliRun missing = runCli({u"dups"_s, m_dir.path() + u"/absent.bib"_s});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.out.isEmpty());
}
