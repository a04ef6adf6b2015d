// macros --bst: the @STRING block of a style file's MACRO commands.
#include "CliRunner.h"

#include "core/TextEncodings.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(MacrosCommand, printsTheStringBlockOfAStyleFile)
{
    CliHome dir;
    // The UTF-16 file is read through its byte-order mark.
    QByteArray utf16("\xFF\xFE");
    const QString text = u"MACRO {jp} {\"日本\"}\n"_s;
    utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    expectRuns({
        {"small style",
         {u"macros"_s, u"--bst"_s,
          dir.write(u"small.bst"_s, "% a style\nMACRO {jan} {\"January\"}\n"
                                    "MACRO {both}\n  {jan # \" 1\"}\nFUNCTION {x} { }\n")},
         0,
         u"@STRING { JAN = \"January\" }\n@STRING { BOTH = jan # \" 1\" }\n\n"_s},
        {"UTF-16", {u"macros"_s, u"--bst"_s, dir.write(u"u16.bst"_s, utf16)}, 0,
         u"@STRING { JP = \"日本\" }\n\n"_s},
    });
}

TEST(MacrosCommand, encodingOptionDecodesShiftJis)
{
    CliHome dir;
    // "MACRO {jp} {"日本"}" in Shift_JIS, CR line ends.
    const QString path = dir.write(u"sjis.bst"_s, "MACRO {jp} {\"\x93\xFA\x96\x7B\"}\r");
    const auto run = [&path](const QString &encoding) {
        return runCli({u"macros"_s, u"--bst"_s, path, u"--encoding"_s, encoding});
    };
    // Not valid UTF-8: an error naming the file, nothing guessed.
    const CliRun wrong = run(u"4"_s);
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.err.contains(path)) << qPrintable(wrong.err);
    EXPECT_TRUE(wrong.out.isEmpty());
    for (const QString &encoding :
         {u"8"_s, TextEncodings::nameOfEncoding(TextEncodings::ShiftJIS)}) {
        const CliRun right = run(encoding);
        EXPECT_EQ(right.exitCode, 0) << qPrintable(right.err);
        EXPECT_EQ(right.out, u"@STRING { JP = \"日本\" }\n\n"_s);
    }
}

// A journal style's "nt/f" is kept, as a .bib file can hold it; a name no
// .bib file can hold is left out and named.
TEST(MacrosCommand, keepsEveryNameABibFileCanHoldAndNamesTheOthers)
{
    CliHome dir;
    const QString path = dir.write(u"journal.bst"_s,
                                   "MACRO {nt/f} {\"Nuclear Technology/Fusion\"}\n"
                                   "MACRO {bad name} {\"x\"}\n"
                                   "MACRO {j-acm} {\"Journal of the ACM\"}\n");
    const CliRun run = runCli({u"macros"_s, u"--bst"_s, path});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, u"@STRING { NT/F = \"Nuclear Technology/Fusion\" }\n"
                       "@STRING { J-ACM = \"Journal of the ACM\" }\n\n"_s);
    EXPECT_TRUE(run.err.contains(u"BAD NAME"_s)) << qPrintable(run.err);
}
