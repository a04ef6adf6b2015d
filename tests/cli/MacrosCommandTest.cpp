#include "core/TextEncodings.h"

#include <QDir>
#include <QFile>
#include "CliRunner.h"
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

CliRun runMacros(const QStringList &args)
{
    return runCli(QStringList{QStringLiteral("macros")} + args);
}

QString writeFile(const QTemporaryDir &dir, const char *name, const QByteArray &bytes)
{
    const QString path = dir.filePath(QString::fromUtf8(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

} // namespace

TEST(MacrosCommand, printsTheStringBlockOfAStyleFile)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "small.bst",
                                   "% a style\nMACRO {jan} {\"January\"}\n"
                                   "MACRO {both}\n  {jan # \" 1\"}\nFUNCTION {x} { }\n");
    const CliRun run = runMacros({QStringLiteral("--bst"), path});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, QStringLiteral("@STRING { JAN = \"January\" }\n"
                                      "@STRING { BOTH = jan # \" 1\" }\n\n"));
}

TEST(MacrosCommand, utf16FileIsReadThroughItsByteOrderMark)
{
    QTemporaryDir dir;
    QByteArray bytes("\xFF\xFE");
    const QString text = QString::fromUtf8("MACRO {jp} {\"日本\"}\n");
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    const CliRun run = runMacros({QStringLiteral("--bst"), writeFile(dir, "u16.bst", bytes)});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, QString::fromUtf8("@STRING { JP = \"日本\" }\n\n"));
}

TEST(MacrosCommand, encodingOptionDecodesShiftJis)
{
    QTemporaryDir dir;
    // "MACRO {jp} {"日本"}" in Shift_JIS, CR line ends.
    const QString path =
        writeFile(dir, "sjis.bst", QByteArray("MACRO {jp} {\"\x93\xFA\x96\x7B\"}\r"));
    const CliRun wrong = runMacros(
        {QStringLiteral("--bst"), path, QStringLiteral("--encoding"), QStringLiteral("4")});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.err.contains(path)) << qPrintable(wrong.err);
    EXPECT_TRUE(wrong.out.isEmpty());

    const CliRun right = runMacros(
        {QStringLiteral("--bst"), path, QStringLiteral("--encoding"), QStringLiteral("8")});
    ASSERT_EQ(right.exitCode, 0) << qPrintable(right.err);
    EXPECT_EQ(right.out, QString::fromUtf8("@STRING { JP = \"日本\" }\n\n"));

    const CliRun byName = runMacros({QStringLiteral("--bst"), path, QStringLiteral("--encoding"),
                                        TextEncodings::nameOfEncoding(TextEncodings::ShiftJIS)});
    EXPECT_EQ(byName.exitCode, 0) << qPrintable(byName.err);
    EXPECT_EQ(byName.out, right.out);
}

TEST(MacrosCommand, missingFileIsAClearError)
{
    const QString path = QStringLiteral("/nonexistent/none.bst");
    const CliRun run = runMacros({QStringLiteral("--bst"), path});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(path)) << qPrintable(run.err);
    EXPECT_TRUE(run.out.isEmpty());
}

TEST(MacrosCommand, badArgumentsAreUsageErrors)
{
    EXPECT_EQ(runMacros({}).exitCode, 2);
    EXPECT_EQ(runMacros({QStringLiteral("--bst")}).exitCode, 2);
    EXPECT_EQ(runMacros({QStringLiteral("--bst"), QStringLiteral("x.bst"), QStringLiteral("extra")})
                  .exitCode,
              2);
    EXPECT_EQ(runMacros({QStringLiteral("--bst"), QStringLiteral("x.bst"),
                         QStringLiteral("--encoding"), QStringLiteral("no such encoding")})
                  .exitCode,
              2);
}

// A journal style's "nt/f" is kept, as a .bib file can hold it; a name no
// .bib file can hold is left out and named.
TEST(MacrosCommand, keepsEveryNameABibFileCanHoldAndNamesTheOthers)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "journal.bst",
                                   "MACRO {nt/f} {\"Nuclear Technology/Fusion\"}\n"
                                   "MACRO {bad name} {\"x\"}\n"
                                   "MACRO {j-acm} {\"Journal of the ACM\"}\n");
    const CliRun run = runMacros({QStringLiteral("--bst"), path});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, QStringLiteral("@STRING { NT/F = \"Nuclear Technology/Fusion\" }\n"
                                      "@STRING { J-ACM = \"Journal of the ACM\" }\n\n"));
    EXPECT_TRUE(run.err.contains(QStringLiteral("BAD NAME"))) << qPrintable(run.err);
}
