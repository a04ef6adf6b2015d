// The search and dups commands: loading files as the window does and printing
// what a smart library collects.
#include "CliRunner.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kFirst =
    "@article{graph1, author = {Doe, Jane}, title = {Graph Theory}, year = 1999}\n"
    "@book{alg, author = {Roe, Max}, title = {Algebra}, year = 2005}\n"
    "@article{graph2, author = {Poe, Ed}, title = {Random graphs}, year = 2010}\n";
const QByteArray kSecond =
    "@article{copy, author = {Doe, Jane}, title = {graph theory}, year = 1999, note = {x}}\n"
    "@misc{other, title = {Nothing alike}}\n"
    "@book{alg2, author = {Roe, Max}, title = {ALGEBRA}, year = 2005}\n";

} // namespace

TEST(LibraryCommands, searchPrintsMatchingEntriesInListOrder)
{
    CliHome dir;
    const QString first = dir.write(u"first.bib"_s, kFirst);
    const QString second = dir.write(u"second.bib"_s, kSecond);
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

TEST(LibraryCommands, searchCaseFlagAndTextWithCommas)
{
    CliHome dir;
    const QString path = dir.write(
        u"t.bib"_s, "@misc{a, title = {Graph, Theory}}\n@misc{b, title = {graph, theory}}\n");
    EXPECT_EQ(runCli({u"search"_s, u"--where"_s, u"14,1,Graph,case"_s, path}).out,
              path + u"\ta\n"_s);
    EXPECT_EQ(runCli({u"search"_s, u"--where"_s, u"14,1,h, t"_s, path}).out,
              path + u"\ta\n"_s + path + u"\tb\n"_s);
}

TEST(LibraryCommands, dupsPrintsGroupsOfTwinsInFileOrder)
{
    CliHome dir;
    const QString first = dir.write(u"first.bib"_s, kFirst);
    const QString second = dir.write(u"second.bib"_s, kSecond);
    const CliRun run = runCli({u"dups"_s, first, second});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    // "copy" differs by a note, so it is no twin; the two algebra books are.
    EXPECT_EQ(run.out, first + u"\talg\n"_s + second + u"\talg2\n"_s);
}

TEST(LibraryCommands, dupsSeparatesGroupsWithAnEmptyLine)
{
    CliHome dir;
    const QString path = dir.write(
        u"d.bib"_s, "@misc{a1, title = {A}}\n@misc{b1, title = {B}}\n"
                    "@misc{b2, title = {b}}\n@misc{a2, title = {a}}\n@misc{c, title = {C}}\n");
    const CliRun run = runCli({u"dups"_s, path});
    EXPECT_EQ(run.out,
              path + u"\ta1\n"_s + path + u"\ta2\n\n"_s + path + u"\tb1\n"_s + path + u"\tb2\n"_s);
}
