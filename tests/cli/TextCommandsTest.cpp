// The commands that convert one text: tex2text, tex2html, unicode2tex, paste
// and names. Each takes its argument, or standard input as a whole.
#include "CliRunner.h"

#include "prefs/BibPreferences.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

TEST(TextCommands, convertTheArgumentOrStandardInput)
{
    const QString mixed = u"—α Ø"_s, u2t = u"unicode2tex"_s, paste = u"paste"_s;
    expectRuns({
        {"tex2text", {u"tex2text"_s, u"Erd\\H{o}s -- $\\alpha^2$"_s}, 0, u"Erdős – α²\n"_s},
        {"tex2html", {u"tex2html"_s, u"\\textbf{B} \\~n"_s}, 0, u"<b>B</b> &ntilde;\n"_s},
        {"tex2text input", {u"tex2text"_s}, 0, u"François\nï\n"_s, "Fran\\c{c}ois\n\\\"\\i"},
        {"tex2html input", {u"tex2html"_s}, 0, u"<var>x</var><sub><var>i</var></sub>\n"_s, "$x_i$"},
        {"u2t all three", {u2t, mixed}, 0, u"---$\\alpha$ {\\O}\n"_s},
        {"letters only", {u2t, u"--letters"_s, mixed}, 0, u"—α {\\O}\n"_s},
        {"symbols only", {u2t, u"--symbols"_s, mixed}, 0, u"---α Ø\n"_s},
        {"math only", {u2t, u"--math"_s, mixed}, 0, u"—$\\alpha$ Ø\n"_s},
        // The number sign's TeX is not touched again by the letter step.
        {"symbols before letters", {u2t, u"#Å"_s}, 0, u"{\\#}{\\AA}\n"_s},
        {"u2t option after text", {u2t, u"√2"_s, u"--math"_s}, 0, u"$\\sqrt2$\n"_s},
        {"u2t after double dash", {u2t, u"--"_s, u"--α"_s}, 0, u"--$\\alpha$\n"_s},
        {"u2t input", {u2t}, 0, u"$\\alpha$\n\n"_s, "\xce\xb1\n"},
        {"author", {paste, u"--author"_s, u"LI J, XU K"_s}, 0, u"Li, J. and Xu, K.\n"_s},
        {"author input", {paste, u"--author"_s}, 0, u"Li, J. and Xu, K.\n"_s, "Li J,\nXu K"},
        {"title", {paste, u"--title"_s, u"Fe3+ in H2O"_s}, 0, u"{Fe}$^{3+}$ in {H}$_2${O}\n"_s},
        {"title after double dash", {paste, u"--title"_s, u"--"_s, u"--x"_s}, 0, u"--$x$\n"_s},
        {"names of an empty text", {u"names"_s, QString()}, 0, u""_s},
        // Standard input must be UTF-8.
        {"u2t input not UTF-8", {u2t}, 1, u""_s, "caf\xe9\n"},
        {"paste input not UTF-8", {paste, u"--author"_s}, 1, u""_s, "M\xfcller K\n"},
    });
}

// One JSON object per name and line, its fields in a fixed order.
TEST(TextCommands, namesPrintOneObjectPerName)
{
    const auto objects = [](const QStringList &args, const QByteArray &input = {}) {
        const CliRun run = runCli(QStringList{u"names"_s} + args, input);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        QStringList lines = run.out.split(u'\n');
        EXPECT_EQ(lines.takeLast(), QString());
        return lines;
    };
    const QStringList names = objects({u"Walter E. Harmon and others"_s});
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(names[0], u"{\"family\":\"Harmon\",\"given\":\"W.E.\",\"search\":\"Harmon, W.E.\","
                        "\"japanese\":false,\"others\":false,\"display0\":\"Harmon, W.E.\","
                        "\"display1\":\"W.E. Harmon\",\"display2\":\"Harmon\"}"_s);
    EXPECT_TRUE(names[1].contains(u"\"others\":true"_s)) << names[1].toStdString();
    // The TeX of a name (here read from standard input) is converted unless
    // --tex keeps it.
    EXPECT_TRUE(objects({}, "{\\'E}mile Zola").value(0).contains(u"\"given\":\"E.\""_s));
    EXPECT_TRUE(objects({u"--tex"_s, u"{\\'E}mile Zola"_s})
                    .value(0)
                    .contains(u"\"given\":\"{\\\\'{E}}.\""_s));
    // Quotes and backslashes are escaped: the line is still one object.
    const QStringList quoted = objects({u"Bob \"Quote\\\" Tab"_s});
    EXPECT_EQ(QJsonDocument::fromJson(quoted.value(0).toUtf8()).object().size(), 8);
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
    expectRuns({{"own proper nouns",
                 {u"paste"_s, u"--title"_s, u"double Helix of Bohr"_s},
                 0,
                 u"Double {Helix} of Bohr\n"_s}},
               home.home());
}

TEST(TextCommands, helpListsEveryCommand)
{
    const CliRun list = runCli({u"--help"_s});
    for (const QString &command : {u"  paste "_s, u"tex2text"_s, u"set"_s, u"macros"_s})
        EXPECT_TRUE(list.out.contains(command)) << command.toStdString();
    const CliRun help = runCli({u"help"_s, u"paste"_s});
    EXPECT_TRUE(help.exitCode == 0 && help.out.contains(u"--author"_s)) << help.err.toStdString();
}
