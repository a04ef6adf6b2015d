// macros --bst: the @STRING block of a style file's MACRO commands.
#include "CliRunner.h"

#include "core/TextEncodings.h"

using namespace Qt::StringLiterals;

TEST(MacrosCommand, printsTheStringBlockOfAStyleFile)
{
    CliHome dir;
    // The UTF-16 file is read through its byte-order mark.
    const QString text = u"MACRO {jp} {\"日本\"}\n"_s;
    const QByteArray utf16 =
        "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    const QString small =
        dir.write(u"small.bst"_s, "% a style\nMACRO {jan} {\"January\"}\n"
                                  "MACRO {both}\n  {jan # \" 1\"}\nFUNCTION {x} { }\n");
    const QString wide = dir.write(u"u16.bst"_s, utf16);
    const QString both = u"@STRING { JAN = \"January\" }\n@STRING { BOTH = jan # \" 1\" }\n\n"_s;
    expectRuns({
        {"small style", {u"macros"_s, u"--bst"_s, small}, 0, both},
        {"UTF-16", {u"macros"_s, u"--bst"_s, wide}, 0, u"@STRING { JP = \"日本\" }\n\n"_s},
    });
}

TEST(MacrosCommand, encodingOptionDecodesShiftJis)
{
    CliHome dir;
    // "MACRO {jp} {"日本"}" in Shift_JIS, CR line ends.
    const QString path = dir.write(u"sjis.bst"_s, "MACRO {jp} {\"\x93\xFA\x96\x7B\"}\r");
    const QStringList args = {u"macros"_s, u"--bst"_s, path, u"--encoding"_s};
    const QString jp = u"@STRING { JP = \"日本\" }\n\n"_s;
    const QString name = TextEncodings::nameOfEncoding(TextEncodings::ShiftJIS);
    // Not valid UTF-8: an error naming the file, nothing guessed.
    expectRuns({
        {"as UTF-8", args + QStringList{u"4"_s}, 1, u""_s},
        {"by code", args + QStringList{u"8"_s}, 0, jp},
        {"by name", args + QStringList{name}, 0, jp},
    });
    EXPECT_TRUE(runCli(args + QStringList{u"4"_s}).err.contains(path));
}

// A journal style's "nt/f" is kept, as a .bib file can hold it; a name no
// .bib file can hold is left out and named.
TEST(MacrosCommand, keepsEveryNameABibFileCanHoldAndNamesTheOthers)
{
    CliHome dir;
    const QString path =
        dir.write(u"journal.bst"_s, "MACRO {nt/f} {\"Nuclear Technology/Fusion\"}\n"
                                    "MACRO {bad name} {\"x\"}\n"
                                    "MACRO {j-acm} {\"Journal of the ACM\"}\n");
    const CliRun run = runCli({u"macros"_s, u"--bst"_s, path});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, u"@STRING { NT/F = \"Nuclear Technology/Fusion\" }\n"
                       "@STRING { J-ACM = \"Journal of the ACM\" }\n\n"_s);
    EXPECT_TRUE(run.err.contains(u"BAD NAME"_s)) << qPrintable(run.err);
}
