// The commands that convert one text: tex2text, tex2html, unicode2tex, paste
// and names. Each takes its argument, or standard input as a whole.
#include "CliRunner.h"

#include "prefs/BibPreferences.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(TextCommands, convertTheArgumentOrStandardInput)
{
    const QString mixed = u"\u2014\u03b1 \u00d8"_s;
    expectRuns({
        {"tex2text", {u"tex2text"_s, u"Erd\\H{o}s -- $\\alpha^2$"_s}, 0, u"Erdős – α²\n"_s},
        {"tex2html", {u"tex2html"_s, u"\\textbf{B} \\~n"_s}, 0, u"<b>B</b> &ntilde;\n"_s},
        {"tex2text input as a whole", {u"tex2text"_s}, 0, u"François\nnaïve\n"_s,
         "Fran\\c{c}ois\nna\\\"\\i ve"},
        {"tex2html input", {u"tex2html"_s}, 0, u"<var>x</var><sub><var>i</var></sub>\n"_s, "$x_i$"},
        {"tex2text empty argument", {u"tex2text"_s, u""_s}, 0, u"\n"_s},
        {"tex2html empty input", {u"tex2html"_s}, 0, u"\n"_s},
        {"unicode2tex all three", {u"unicode2tex"_s, mixed}, 0, u"---$\\alpha$ {\\O}\n"_s},
        {"letters only", {u"unicode2tex"_s, u"--letters"_s, mixed}, 0, u"\u2014\u03b1 {\\O}\n"_s},
        {"symbols only", {u"unicode2tex"_s, u"--symbols"_s, mixed}, 0, u"---\u03b1 \u00d8\n"_s},
        {"math only", {u"unicode2tex"_s, u"--math"_s, mixed}, 0, u"\u2014$\\alpha$ \u00d8\n"_s},
        {"math and symbols", {u"unicode2tex"_s, u"--math"_s, u"--symbols"_s, mixed}, 0,
         u"---$\\alpha$ \u00d8\n"_s},
        // The number sign's TeX is not touched again by the letter step.
        {"symbols before letters", {u"unicode2tex"_s, u"#\u00c5"_s}, 0, u"{\\#}{\\AA}\n"_s},
        {"unicode2tex option after text", {u"unicode2tex"_s, u"\u221a2"_s, u"--math"_s}, 0,
         u"$\\sqrt2$\n"_s},
        {"unicode2tex text after double dash", {u"unicode2tex"_s, u"--"_s, u"--\u03b1"_s}, 0,
         u"--$\\alpha$\n"_s},
        {"unicode2tex input", {u"unicode2tex"_s}, 0, u"$\\alpha$\n$\\leq$ 2\n\n"_s,
         u"\u03b1\n\u2264 2\n"_s.toUtf8()},
        {"authors", {u"paste"_s, u"--author"_s, u"SMITH J, JONES K"_s}, 0,
         u"Smith, J. and Jones, K.\n"_s},
        {"authors, option after text", {u"paste"_s, u"A. Smith a, B. M\u00fcller b"_s, u"--author"_s},
         0, u"A. Smith and B. M{\\\"u}ller\n"_s},
        {"authors input as one paste", {u"paste"_s, u"--author"_s}, 0,
         u"Smith, J. and Jones, K.\n"_s, "Smith J,\nJones K\n"},
        {"title", {u"paste"_s, u"--title"_s, u"Fe3+ ions in H2O"_s}, 0,
         u"{Fe}$^{3+}$ Ions in {H}$_2${O}\n"_s},
        {"title input", {u"paste"_s, u"--title"_s}, 0, u"a Study of the {DNA} Double Helix\n"_s,
         "a study of the DNA\ndouble helix\n"},
        {"title after double dash", {u"paste"_s, u"--title"_s, u"--"_s, u"--x"_s}, 0, u"--$x$\n"_s},
        {"names of an empty text", {u"names"_s, QString()}, 0, u""_s},
        // Standard input must be UTF-8.
        {"unicode2tex input not UTF-8", {u"unicode2tex"_s}, 1, u""_s, "caf\xe9\n"},
        {"paste input not UTF-8", {u"paste"_s, u"--author"_s}, 1, u""_s, "M\xfcller K\n"},
    });
}

TEST(TextCommands, namesPrintOneObjectPerNameWithTheFieldsInOrder)
{
    const auto objects = [](const CliRun &run) {
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        QList<QJsonObject> list;
        for (const QString &line : run.out.split(u'\n', Qt::SkipEmptyParts))
            list << QJsonDocument::fromJson(line.toUtf8()).object();
        return list;
    };
    const CliRun run = runCli({u"names"_s, u"Walter E. Harmon and 山田 太郎 and others"_s});
    EXPECT_TRUE(run.out.startsWith(
        u"{\"family\":\"Harmon\",\"given\":\"W.E.\",\"search\":\"Harmon, W.E.\","
        "\"japanese\":false,\"others\":false,\"display0\":\"Harmon, W.E.\","
        "\"display1\":\"W.E. Harmon\",\"display2\":\"Harmon\"}\n"_s));
    const QList<QJsonObject> names = objects(run);
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(names[1].value(u"display1").toString(), u"山田 太郎");
    EXPECT_TRUE(names[1].value(u"japanese").toBool());
    EXPECT_EQ(names[2].value(u"family").toString(), u"etc.");
    EXPECT_TRUE(names[2].value(u"others").toBool());

    EXPECT_EQ(objects(runCli({u"names"_s, u"--tex"_s, u"{\\'E}mile Zola"_s}))
                  .value(0).value(u"given").toString(), u"{\\'{E}}.");
    EXPECT_EQ(objects(runCli({u"names"_s, u"{\\'E}mile Zola"_s})).value(0).value(u"given").toString(),
              u"E.");
    const QList<QJsonObject> read = objects(runCli({u"names"_s}, "D. Knuth and L. Lamport\n"));
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[1].value(u"search").toString(), u"Lamport, L.");
    // Quotes and backslashes are escaped: the line is still one object.
    EXPECT_EQ(objects(runCli({u"names"_s, u"Bob \"Quote\\\" Tab"_s})).value(0).size(), 8);
}

TEST(TextCommands, pasteUsesTheUsersWordLists)
{
    // Settings of its own, whose proper nouns are only "Helix": Bohr is no longer one.
    CliHome home;
    ASSERT_TRUE(QDir().mkpath(home.path(u"config/Quirefold"_s)));
    {
        BibPreferences preferences(home.path(u"config/Quirefold/Quirefold.conf"_s));
        preferences.setDefaults();
        preferences.setProperNouns({u"Helix"_s});
        ASSERT_TRUE(preferences.savePreferences());
    }
    expectRuns({{"own proper nouns", {u"paste"_s, u"--title"_s, u"double Helix of Bohr"_s}, 0,
                 u"Double {Helix} of Bohr\n"_s}},
               home.home());
}

TEST(TextCommands, helpListsEveryCommand)
{
    const CliRun list = runCli({u"--help"_s});
    for (const QString &command : {u"  paste "_s, u"tex2text"_s, u"tex2html"_s, u"unicode2tex"_s,
                                   u"names"_s, u"set"_s, u"macros"_s})
        EXPECT_TRUE(list.out.contains(command)) << command.toStdString();
    const CliRun help = runCli({u"help"_s, u"paste"_s});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(u"--author"_s) && help.out.contains(u"--title"_s));
}
