#include "CliRunner.h"

#include "prefs/BibPreferences.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

CliRun runPaste(const QStringList &args, const QByteArray &input = {})
{
    return runCli(QStringList{u"paste"_s} + args, input);
}

} // namespace

TEST(PasteCommand, rewritesTheArgument)
{
    const struct
    {
        const char *name;
        QStringList args;
        const char16_t *expected;
    } rows[] = {
        {"authors", {u"--author"_s, u"SMITH J, JONES K"_s}, u"Smith, J. and Jones, K.\n"},
        {"option after text",
         {u"A. Smith a, B. M\u00fcller b"_s, u"--author"_s},
         u"A. Smith and B. M{\\\"u}ller\n"},
        {"title", {u"--title"_s, u"Fe3+ ions in H2O"_s}, u"{Fe}$^{3+}$ Ions in {H}$_2${O}\n"},
        {"text after double dash", {u"--title"_s, u"--"_s, u"--x"_s}, u"--$x$\n"},
        {"empty text", {u"--author"_s, u""_s}, u"\n"},
    };
    for (const auto &row : rows) {
        const CliRun r = runPaste(row.args);
        EXPECT_EQ(r.exitCode, 0) << row.name;
        EXPECT_EQ(r.out, QString::fromUtf16(row.expected)) << row.name;
        EXPECT_TRUE(r.err.isEmpty()) << row.name;
    }
}

TEST(PasteCommand, readsStandardInputAsOnePaste)
{
    const CliRun authors = runPaste({u"--author"_s}, "Smith J,\nJones K\n");
    EXPECT_EQ(authors.exitCode, 0);
    EXPECT_EQ(authors.out, u"Smith, J. and Jones, K.\n"_s);

    const CliRun title = runPaste({u"--title"_s}, "a study of the DNA\ndouble helix\n");
    EXPECT_EQ(title.exitCode, 0);
    EXPECT_EQ(title.out, u"a Study of the {DNA} Double Helix\n"_s);
}

TEST(PasteCommand, usesTheUsersWordLists)
{
    // A settings file of its own, whose proper nouns are only "Helix": Bohr
    // is no longer one.
    QTemporaryDir home;
    ASSERT_TRUE(QDir().mkpath(home.filePath(u"config/Quirefold"_s)));
    {
        BibPreferences preferences(home.filePath(u"config/Quirefold/Quirefold.conf"_s));
        preferences.setDefaults();
        preferences.setProperNouns({u"Helix"_s});
        ASSERT_TRUE(preferences.savePreferences());
    }
    const CliRun r = runCli({u"paste"_s, u"--title"_s, u"double Helix of Bohr"_s}, {}, home.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, u"Double {Helix} of Bohr\n"_s);
}

TEST(PasteCommand, rejectsBadArgumentsAndInput)
{
    const struct
    {
        const char *name;
        QStringList args;
        int exitCode;
    } rows[] = {
        {"no mode", {u"Smith J"_s}, 2},
        {"both modes", {u"--author"_s, u"--title"_s, u"Smith J"_s}, 2},
        {"unknown option", {u"--authors"_s, u"Smith J"_s}, 2},
        {"two texts", {u"--author"_s, u"a"_s, u"b"_s}, 2},
    };
    for (const auto &row : rows) {
        const CliRun r = runPaste(row.args);
        EXPECT_EQ(r.exitCode, row.exitCode) << row.name;
        EXPECT_TRUE(r.out.isEmpty()) << row.name;
        EXPECT_EQ(r.err.count(u'\n'), 1) << row.name;
    }
    const CliRun notUtf8 = runPaste({u"--author"_s}, QByteArray("M\xfcller K\n"));
    EXPECT_EQ(notUtf8.exitCode, 1);
    EXPECT_TRUE(notUtf8.out.isEmpty());
    EXPECT_FALSE(notUtf8.err.isEmpty());
}

TEST(PasteCommand, isListedInTheHelp)
{
    const CliRun list = runCli({u"--help"_s});
    EXPECT_TRUE(list.out.contains(u"  paste "_s));
    const CliRun help = runCli({u"help"_s, u"paste"_s});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(u"--author"_s));
    EXPECT_TRUE(help.out.contains(u"--title"_s));
}
