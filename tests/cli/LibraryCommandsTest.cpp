// The search and dups commands: loading files as the window does and printing
// what a smart library collects.
#include "CliRunner.h"

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

// Each line is the file as given and the key, in list order; --where is
// FIELD,OPERATOR,TEXT[,case], the text running to the last comma.
TEST(LibraryCommands, searchPrintsMatchingEntriesInListOrder)
{
    CliHome dir;
    const QString first = dir.write(u"first.bib"_s, kFirst);
    const QString second = dir.write(u"second.bib"_s, kSecond);
    const QString commas = dir.write(u"t.bib"_s, "@misc{a, title = {Graph, Theory}}\n");
    const QString search = u"search"_s, where = u"--where"_s;
    const QStringList both = {where, u"14,1,graph"_s, where, u"20,20,2000"_s};
    expectRuns({
        {"all", QStringList{search} + both + QStringList{first, second}, 0,
         first + u"\tgraph2\n"_s},
        {"any", QStringList{search, u"--any"_s} + both + QStringList{first, second}, 0,
         u"%1\tgraph1\n%1\talg\n%1\tgraph2\n%2\tcopy\n%2\talg2\n"_s.arg(first, second)},
        {"case", {search, where, u"14,1,Graph,case"_s, first}, 0, first + u"\tgraph1\n"_s},
        {"text with a comma", {search, where, u"14,1,h, T"_s, commas}, 0, commas + u"\ta\n"_s},
    });
}

TEST(LibraryCommands, dupsPrintsGroupsOfTwinsInFileOrder)
{
    CliHome dir;
    const QString first = dir.write(u"first.bib"_s, kFirst);
    const QString second = dir.write(u"second.bib"_s, kSecond);
    const QString third = dir.write(u"d.bib"_s, "@misc{a1, title = {A}}\n@misc{b1, title = {B}}\n"
                                                "@misc{b2, title = {b}}\n@misc{a2, title = {a}}\n");
    // "copy" differs by a note, so it is no twin; the two algebra books are.
    // Groups are parted by an empty line.
    expectRuns({
        {"two files", {u"dups"_s, first, second}, 0, first + u"\talg\n"_s + second + u"\talg2\n"_s},
        {"two groups", {u"dups"_s, third}, 0, u"%1\ta1\n%1\ta2\n\n%1\tb1\n%1\tb2\n"_s.arg(third)},
    });
}
