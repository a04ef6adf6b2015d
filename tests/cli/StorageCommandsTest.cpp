// The check, export and genkeys commands, run as a user runs them.
#include "CliRunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kClean =
    "@string{acm = {ACM}}\n@preamble{\\def\\x{y}}\n@comment{c}\n"
    "@article{Harmon69, author = {Harmon, Walter E.}, journal = acm, volume = 12, "
    "year = 1969, title = {Pattern}}\n"
    "@book{Knuth84, author = {Knuth, Donald}, title = {{The \\TeX book}}, year = 1984}\n";

} // namespace

// Counts and the encoding per file; reading errors listed and answered with 1,
// a missing file with 2; --json gives one object per file.
TEST(CheckCommand, reportsCountsErrorsAndMissingFiles)
{
    CliHome files;
    const QString path = files.write(u"clean.bib"_s, kClean);
    const QString bad = files.write(u"bad.bib"_s, "@misc{a, t={1}}\nstray text\n@misc{a, t={2}}\n");
    const QString counts =
        u": 2 entries, 1 macros, 1 preambles, 1 comments, encoding Unicode (UTF-8) (4)\n"_s;
    expectRuns({{"clean", {u"check"_s, path}, 0, path + counts}});
    CliRun run = runCli({u"check"_s, bad});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out.count(u"\n  * "_s), 2) << run.out.toStdString(); // one line per error
    run = runCli({u"check"_s, path, u"/no/such/file.bib"_s});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out == path + counts && !run.err.isEmpty()) << run.out.toStdString();

    run = runCli({u"check"_s, u"--json"_s, path, bad});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList objects = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(objects.size(), 2);
    EXPECT_EQ(objects[0], u"{\"comments\":1,\"encoding\":{\"code\":4,\"name\":\"Unicode (UTF-8)\"},"
                          "\"entries\":2,\"errors\":[],\"file\":\""_s +
                              path + u"\",\"macros\":1,\"preambles\":1}"_s);
    EXPECT_EQ(QJsonDocument::fromJson(objects[1].toUtf8())[u"errors"_s].toArray().size(), 2);
}

TEST(ExportCommand, jsonListsEntriesInFileOrderWithoutPseudoFields)
{
    CliHome files;
    const QString path = files.write(u"e.bib"_s, kClean);
    const CliRun run = runCli({u"export"_s, path});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray entries = QJsonDocument::fromJson(run.out.toUtf8()).array();
    ASSERT_EQ(entries.size(), 2);
    const QJsonObject first = entries[0].toObject();
    const QJsonObject fields = first.value(u"fields"_s).toObject();
    const QJsonObject journal = fields.value(u"journal"_s).toObject();
    EXPECT_EQ(QStringList({first.value(u"key"_s).toString(), first.value(u"type"_s).toString(),
                           fields.keys().join(u','), journal.value(u"edit"_s).toString(),
                           journal.value(u"display"_s).toString(),
                           entries[1].toObject().value(u"key"_s).toString()}),
              QStringList({u"Harmon69"_s, u"ARTICLE"_s, u"author,journal,title,volume,year"_s,
                           u"@acm"_s, u"ACM"_s, u"Knuth84"_s}));
}

TEST(ExportCommand, formatsFollowTheCopyTableAndKeysPickEntriesInOrder)
{
    CliHome files;
    const QString path = files.write(u"e.bib"_s, kClean);
    const auto format = [&path](const char *name, QStringList more = {}) {
        return QStringList{u"export"_s, path, u"--format"_s, QString::fromUtf8(name)} + more;
    };
    expectRuns({
        {"keys", format("keys"), 0, u"Harmon69, Knuth84\n"_s},
        {"cite", format("cite"), 0, u"\\cite{Harmon69, Knuth84}\n"_s},
        {"nocite", format("nocite"), 0, u"\\nocite{Harmon69, Knuth84}\n"_s},
        {"picked keys", format("keys", {u"--keys"_s, u"Knuth84,Harmon69"_s}), 0,
         u"Knuth84, Harmon69\n"_s},
        {"unknown key", format("keys", {u"--keys"_s, u"Nobody"_s}), 1},
    });
    const CliRun numbered = runCli(format("html", {u"--prefix"_s, u"2"_s}));
    EXPECT_TRUE(numbered.out.startsWith(u"<ol style=\"list-style-type:decimal;\">"_s) &&
                numbered.out.trimmed().endsWith(u"</ol>"_s))
        << numbered.out.toStdString();
    const CliRun bare = runCli(format("html", {u"--prefix"_s, u"0"_s}));
    EXPECT_FALSE(bare.out.contains(u"<ol"_s) || bare.out.contains(u"<ul"_s));
}

TEST(GenkeysCommand, eachKeyCountsTheOnesBefore)
{
    CliHome files;
    const QString path =
        files.write(u"g.bib"_s, "@article{x1, author = {Smith, John}, year = 2000}\n"
                                "@article{x2, author = {Smith, John}, year = 2000}\n"
                                "@article{x3, author = {Smith, John}, year = 2000}\n");
    const CliRun run = runCli({u"genkeys"_s, path, u"--rule"_s, u"[<fam>][:<year>]"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, u"x1\tSmith:2000\nx2\tSmith:2000.1\nx3\tSmith:2000.2\n"_s);
}
