#include "CliRunner.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {


} // namespace

TEST(Tex2TextCommand, convertsTheArgumentOrStandardInput)
{
    const struct
    {
        const char *name;
        QStringList args;
        QByteArray input;
        QString expected;
    } rows[] = {
        {"text argument", {u"tex2text"_s, u"Erd\\H{o}s -- $\\alpha^2$"_s}, {}, u"Erdős – α²\n"_s},
        {"html argument", {u"tex2html"_s, u"\\textbf{B} \\~n"_s}, {}, u"<b>B</b> &ntilde;\n"_s},
        {"text from standard input, as a whole",
         {u"tex2text"_s},
         QByteArray("Fran\\c{c}ois\nna\\\"\\i ve"),
         u"François\nnaïve\n"_s},
        {"html from standard input",
         {u"tex2html"_s},
         QByteArray("$x_i$"),
         u"<var>x</var><sub><var>i</var></sub>\n"_s},
        {"empty argument", {u"tex2text"_s, u""_s}, {}, u"\n"_s},
        {"empty standard input", {u"tex2html"_s}, {}, u"\n"_s},
    };
    for (const auto &row : rows) {
        const CliRun result = runCli(row.args, row.input);
        EXPECT_EQ(result.exitCode, 0) << row.name;
        EXPECT_EQ(result.out, row.expected) << row.name;
        EXPECT_TRUE(result.err.isEmpty()) << row.name;
    }
}

TEST(Tex2TextCommand, tooManyArgumentsIsAUsageError)
{
    for (const QString &command : {u"tex2text"_s, u"tex2html"_s}) {
        const CliRun result = runCli({command, u"a"_s, u"b"_s});
        EXPECT_EQ(result.exitCode, 2) << qPrintable(command);
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_TRUE(result.err.contains(command));
    }
}

TEST(Tex2TextCommand, helpNamesBothCommands)
{
    const CliRun result = runCli({u"--help"_s});
    EXPECT_TRUE(result.out.contains(u"tex2text"_s));
    EXPECT_TRUE(result.out.contains(u"tex2html"_s));
}
