#include "CliRunner.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

CliRun runUnicode2Tex(const QStringList &args, const QByteArray &input = {})
{
    return runCli(QStringList{u"unicode2tex"_s} + args, input);
}


} // namespace

TEST(Unicode2TexCommand, convertsTheArgument)
{
    const struct
    {
        const char *name;
        QStringList args;
        const char16_t *expected;
    } rows[] = {
        {"all three", {u"\u2014\u03b1 \u00d8"_s}, u"---$\\alpha$ {\\O}\n"},
        {"letters only", {u"--letters"_s, u"\u2014\u03b1 \u00d8"_s}, u"\u2014\u03b1 {\\O}\n"},
        {"symbols only", {u"--symbols"_s, u"\u2014\u03b1 \u00d8"_s}, u"---\u03b1 \u00d8\n"},
        {"math only", {u"--math"_s, u"\u2014\u03b1 \u00d8"_s}, u"\u2014$\\alpha$ \u00d8\n"},
        {"two of them",
         {u"--math"_s, u"--symbols"_s, u"\u2014\u03b1 \u00d8"_s},
         u"---$\\alpha$ \u00d8\n"},
        {"option after text", {u"\u221a2"_s, u"--math"_s}, u"$\\sqrt2$\n"},
        {"text after double dash", {u"--"_s, u"--\u03b1"_s}, u"--$\\alpha$\n"},
        {"empty text", {u""_s}, u"\n"},
    };
    for (const auto &row : rows) {
        const CliRun r = runUnicode2Tex(row.args);
        EXPECT_EQ(r.exitCode, 0) << row.name;
        EXPECT_EQ(r.out, QString::fromUtf16(row.expected)) << row.name;
        EXPECT_TRUE(r.err.isEmpty()) << row.name;
    }
}

TEST(Unicode2TexCommand, symbolsRunBeforeLetters)
{
    // The ring A is a letter; the number sign a symbol whose TeX must not be
    // touched by the later steps.
    const CliRun r = runUnicode2Tex({u"#\u00c5"_s});
    EXPECT_EQ(r.out, u"{\\#}{\\AA}\n"_s);
}

TEST(Unicode2TexCommand, readsStandardInputAsAWhole)
{
    const CliRun r = runUnicode2Tex({}, u"\u03b1\n\u2264 2\n"_s.toUtf8());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, u"$\\alpha$\n$\\leq$ 2\n\n"_s);
}

TEST(Unicode2TexCommand, rejectsBadArgumentsAndInput)
{
    const CliRun unknown = runUnicode2Tex({u"--greek"_s, u"x"_s});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.out.isEmpty());
    EXPECT_TRUE(unknown.err.contains(u"--greek"_s));
    EXPECT_EQ(unknown.err.count(u'\n'), 1);

    const CliRun tooMany = runUnicode2Tex({u"a"_s, u"b"_s});
    EXPECT_EQ(tooMany.exitCode, 2);
    EXPECT_TRUE(tooMany.out.isEmpty());

    const CliRun notUtf8 = runUnicode2Tex({}, QByteArray("caf\xe9\n"));
    EXPECT_EQ(notUtf8.exitCode, 1);
    EXPECT_TRUE(notUtf8.out.isEmpty());
    EXPECT_FALSE(notUtf8.err.isEmpty());
}
