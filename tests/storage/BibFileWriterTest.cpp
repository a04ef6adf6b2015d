#include "storage/BibFileWriter.h"
#include "storage/ReadSnapshot.h"

#include "core/Texts.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

const QDateTime kTime(QDate(2008, 4, 1), QTime(17, 5, 9), QTimeZone(9 * 3600));

BibFileWriter::Settings sampleSettings()
{
    BibFileWriter::Settings s;
    s.encoding = 4;
    s.lineEnding = 2;
    s.databaseID = u"abc"_s;
    s.attachmentMode = 1;
    s.renameAfterBibkey = true;
    s.keepFullPath = false;
    return s;
}

} // namespace

// The fixed rows in order, then the optional ones that are set, in the line
// break asked for ("|" parts the rows below).
TEST(BibFileWriterSettings, blockHasTheFixedRowsThenTheOptionalOnesThatAreSet)
{
    BibFileWriter::Settings full = sampleSettings();
    full.description = u"My {refs}\nsecond line"_s;
    full.attachmentPath = u"Attachments"_s;
    full.privilegedHost = u"host"_s;
    full.privilegedUser = u"me"_s;
    full.privilegedSince = u"2026-01-02T03:04:05Z"_s;
    const QString fixed =
        u"textencoding = {4}|linemode = {2}|database_ID = {abc}|"
        u"attachment_mode = {1}|rename_after_bibkey = {YES}|keep_full_path = {NO}"_s;
    const std::tuple<const char *, BibFileWriter::Settings, QString, QString> rows[] = {
        {"minimal", sampleSettings(), u"\n"_s, fixed},
        {"every optional row", full, u"\r\n"_s,
         fixed + u"|description = {My {refs}\nsecond line}|attachment_path = {Attachments}|"
                 u"privileged_host = {host}|privileged_user = {me}|"
                 u"privileged_since = {2026-01-02T03:04:05Z}"_s},
    };
    for (const auto &[name, settings, lf, lines] : rows) {
        const QString expected = u"@COMMENT { Quirefold_Settings,"_s + lf + u'\t' +
                                 QString(lines).replace(u"|"_s, u',' + lf + u'\t') + u',' + lf +
                                 u"\tlast_saved = {"_s + BibFileWriter::lastSavedText(kTime) +
                                 u'}' + lf + u'}' + lf + lf;
        EXPECT_EQ(BibFileWriter::settingsBlock(settings, lf, kTime), expected) << name;
    }
    static const QRegularExpression stamp(uR"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d [+-]\d{4}$)"_s);
    EXPECT_TRUE(stamp.match(BibFileWriter::lastSavedText(kTime)).hasMatch());
}

// Codes above 2^31 are written signed, within the first 80 bytes the reader looks at.
TEST(BibFileWriterSettings, encodingCodesAreSignedAndComeFirst)
{
    const std::pair<quint32, QString> rows[] = {{4, u"{4}"_s}, {0x80000A01u, u"{-2147481087}"_s}};
    for (const auto &[code, written] : rows) {
        BibFileWriter::Settings s = sampleSettings();
        s.encoding = code;
        const QString block = BibFileWriter::settingsBlock(s, u"\r\n"_s, kTime);
        EXPECT_TRUE(block.left(80).contains(u"textencoding = "_s + written)) << code;
    }
}

// Comments keep their inside, preambles are one line each, frames use the
// line break, and even empty groups write their blank line.
TEST(BibFileWriterBlocks, commentsAndPreamblesAreFramedInTheLineBreak)
{
    EXPECT_EQ(BibFileWriter::commentsString({}, u"\n"_s), u"\n"_s);
    EXPECT_EQ(BibFileWriter::preamblesString({}, u"\r\n"_s), u"\r\n"_s);
    EXPECT_EQ(BibFileWriter::commentsString({u"one\nline two"_s, u"x"_s}, u"\r\n"_s),
              u"@COMMENT {\r\none\nline two\r\n}\r\n@COMMENT {\r\nx\r\n}\r\n\r\n"_s);
    EXPECT_EQ(BibFileWriter::preamblesString({u"\\def\\a{b}"_s, u"p2"_s}, u"\r"_s),
              u"@PREAMBLE { \\def\\a{b} }\r@PREAMBLE { p2 }\r\r"_s);
}

TEST(BibFileWriterBlocks, commentLinesWithUnbalancedBracesReadBackAsTheyWere)
{
    // Such lines would end a comment block early; written as lines between
    // blocks they read back whole, and two groups of them stay two.
    const QStringList comments = {u"% see {x"_s, u"%\"Journal\"}"_s, u"balanced {z}"_s,
                                  u"% a\n% b}"_s, u"# c}"_s};
    for (const QString &lf : {u"\n"_s, u"\r\n"_s}) {
        const QString text =
            BibFileWriter::commentsString(comments, lf) + u"@misc{k, title = {T}}"_s + lf;
        const ReadSnapshot read = ReadSnapshot::of(text.toUtf8(), 1, 1);
        EXPECT_EQ(read.comments, comments);
        EXPECT_TRUE(read.errors.isEmpty()) << qPrintable(read.errors.join(u'\n'));
        EXPECT_EQ(read.entries.size(), 1);
    }
}

TEST(BibFileWriterFinish, replacesNoBreakSpacesAndYenForJapaneseEncodingsOnly)
{
    const QString yen = Texts::text(u"yenmark");
    EXPECT_EQ(yen, QString(QChar(0x00A5)));
    const std::tuple<const char *, quint32, bool> rows[] = {{"utf-8", 4, false},
                                                            {"euc-jp", 3, false},
                                                            {"plain shift-jis", 8, false},
                                                            {"iso-2022-jp", 21, true},
                                                            {"shift_jis", 0x80000A01u, true}};
    const QString text = u"a\u00a0b \\emph{c}"_s;
    for (const auto &[name, code, yenWritten] : rows) {
        const QString out = BibFileWriter::finishText(text, code);
        EXPECT_TRUE(out.startsWith(u"a b "_s)) << name; // no no-break space left
        EXPECT_EQ(out.contains(u'\\'), !yenWritten) << name;
        EXPECT_EQ(out.contains(yen), yenWritten) << name;
    }
}

TEST(BibFileWriterEncode, lossyButNeverFailingForKnownEncodings)
{
    const std::tuple<const char *, quint32, QString, QByteArray> rows[] = {
        {"utf-8", 4, u"Gr\u00fc\u00df"_s, QByteArray("Gr\xc3\xbc\xc3\x9f")},
        {"utf-8 beyond the first plane", 4, u"\u65e5\U0001F600"_s,
         QByteArray("\xe6\x97\xa5\xf0\x9f\x98\x80")},
        {"ascii drops accents", 1, u"Ren\u00e9"_s, QByteArray("Rene")},
        {"shift_jis yen becomes 0x5c", 0x80000A01u, u"\\a"_s,
         QByteArray("\x5c"
                    "a")},
    };
    for (const auto &[name, code, text, expected] : rows)
        EXPECT_EQ(BibFileWriter::finishAndEncode(text, code), expected) << name;
    EXPECT_FALSE(BibFileWriter::encodeText(u"x"_s, 0x7fff1234u).has_value());
}
