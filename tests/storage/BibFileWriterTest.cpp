#include "storage/BibFileWriter.h"
#include "storage/ReadSnapshot.h"

#include "core/Texts.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <gtest/gtest.h>

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

TEST(BibFileWriterSettings, minimalBlockHasTheFixedRowsInOrder)
{
    const QString lf = u"\n"_s;
    const QString block = BibFileWriter::settingsBlock(sampleSettings(), lf, kTime);
    const QString stamp = BibFileWriter::lastSavedText(kTime);
    EXPECT_EQ(block, u"@COMMENT { Quirefold_Settings,\n"
                     "\ttextencoding = {4},\n"
                     "\tlinemode = {2},\n"
                     "\tdatabase_ID = {abc},\n"
                     "\tattachment_mode = {1},\n"
                     "\trename_after_bibkey = {YES},\n"
                     "\tkeep_full_path = {NO},\n"
                     "\tlast_saved = {"_s +
                         stamp + u"}\n}\n\n"_s);
}

TEST(BibFileWriterSettings, optionalRowsAppearOnlyWhenSetAndUnescaped)
{
    BibFileWriter::Settings s = sampleSettings();
    s.description = u"My {refs}\nsecond line"_s;
    s.attachmentPath = u"Attachments"_s;
    s.privilegedHost = u"host"_s;
    s.privilegedUser = u"me"_s;
    s.privilegedSince = u"2026-01-02T03:04:05Z"_s;
    const QString block = BibFileWriter::settingsBlock(s, u"\r\n"_s, kTime);
    const qsizetype desc = block.indexOf(u"\tdescription = {My {refs}\nsecond line},\r\n"_s);
    const qsizetype path = block.indexOf(u"\tattachment_path = {Attachments},\r\n"_s);
    const qsizetype host = block.indexOf(u"\tprivileged_host = {host},\r\n"_s);
    const qsizetype user = block.indexOf(u"\tprivileged_user = {me},\r\n"_s);
    const qsizetype since = block.indexOf(u"\tprivileged_since = {2026-01-02T03:04:05Z},\r\n"_s);
    const qsizetype saved = block.indexOf(u"\tlast_saved = {"_s);
    ASSERT_GT(desc, 0);
    EXPECT_LT(desc, path);
    EXPECT_LT(path, host);
    EXPECT_LT(host, user);
    EXPECT_LT(user, since);
    EXPECT_LT(since, saved);
    EXPECT_TRUE(block.endsWith(u"}\r\n}\r\n\r\n"_s));
}

TEST(BibFileWriterSettings, encodingCodesAboveTwoToTheThirtyOneAreSigned)
{
    struct Row
    {
        quint32 code;
        const char *written;
    };
    const Row rows[] = {{4, "{4}"},
                        {0x80000001u, "{-2147483647}"},
                        {0x80000628u, "{-2147482072}"},
                        {0x80000A01u, "{-2147481087}"}};
    for (const Row &row : rows) {
        BibFileWriter::Settings s = sampleSettings();
        s.encoding = row.code;
        const QString block = BibFileWriter::settingsBlock(s, u"\n"_s, kTime);
        EXPECT_TRUE(block.contains(u"textencoding = "_s + QString::fromLatin1(row.written)))
            << row.code;
    }
}

TEST(BibFileWriterSettings, firstEightyBytesHoldTheEncodingForTheReader)
{
    BibFileWriter::Settings s = sampleSettings();
    s.encoding = 0x80000A01u;
    const QString block = BibFileWriter::settingsBlock(s, u"\r\n"_s, kTime);
    EXPECT_TRUE(block.left(80).contains(u"textencoding = {-2147481087}"_s));
}

TEST(BibFileWriterSettings, lastSavedHasTheSignedZoneOffset)
{
    const QString text = BibFileWriter::lastSavedText(kTime);
    static const QRegularExpression form(uR"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} [+-]\d{4}$)"_s);
    EXPECT_TRUE(form.match(text).hasMatch()) << qPrintable(text);
    // The same instant, whatever the local zone.
    const QDateTime back = QDateTime::fromString(text.left(19), u"yyyy-MM-dd HH:mm:ss"_s);
    const int sign = text.at(20) == u'-' ? -1 : 1;
    const int offset = sign * (text.mid(21, 2).toInt() * 3600 + text.mid(23, 2).toInt() * 60);
    QDateTime restored = back;
    restored.setTimeZone(QTimeZone(offset));
    EXPECT_EQ(restored.toSecsSinceEpoch(), kTime.toSecsSinceEpoch());
}

TEST(BibFileWriterBlocks, emptyGroupsStillWriteTheirBlankLine)
{
    EXPECT_EQ(BibFileWriter::commentsString({}, u"\n"_s), u"\n"_s);
    EXPECT_EQ(BibFileWriter::preamblesString({}, u"\r\n"_s), u"\r\n"_s);
}

TEST(BibFileWriterBlocks, commentsKeepTheirInsideAndFramesUseTheLineBreak)
{
    const QString out = BibFileWriter::commentsString({u"one\nline two"_s, u"x"_s}, u"\r\n"_s);
    EXPECT_EQ(out, u"@COMMENT {\r\none\nline two\r\n}\r\n@COMMENT {\r\nx\r\n}\r\n\r\n"_s);
}

TEST(BibFileWriterBlocks, commentLinesWithUnbalancedBracesReadBackAsTheyWere)
{
    // Such lines would end a comment block early; written as lines between
    // blocks they read back whole, and two groups of them stay two.
    const QStringList comments = {u"% see {x"_s, u"%\"Journal\"}"_s, u"balanced {z}"_s,
                                  u"% a\n% b}"_s, u"# c}"_s};
    for (const QString &lf : {u"\n"_s, u"\r\n"_s}) {
        const QString text = BibFileWriter::commentsString(comments, lf) +
                             u"@misc{k, title = {T}}"_s + lf;
        const ReadSnapshot read = ReadSnapshot::of(text.toUtf8(), 1, 1);
        EXPECT_EQ(read.comments, comments);
        EXPECT_TRUE(read.errors.isEmpty()) << qPrintable(read.errors.join(u'\n'));
        EXPECT_EQ(read.entries.size(), 1);
    }
}

TEST(BibFileWriterBlocks, preamblesAreOneLineEach)
{
    const QString out = BibFileWriter::preamblesString({u"\\def\\a{b}"_s, u"p2"_s}, u"\r"_s);
    EXPECT_EQ(out, u"@PREAMBLE { \\def\\a{b} }\r@PREAMBLE { p2 }\r\r"_s);
}

TEST(BibFileWriterFinish, replacesNoBreakSpacesAndYenForJapaneseEncodingsOnly)
{
    const QString yen = Texts::text(u"yenmark");
    EXPECT_EQ(yen, QString(QChar(0x00A5)));
    struct Row
    {
        const char *name;
        quint32 code;
        bool yen;
    };
    const Row rows[] = {{"utf-8", 4, false},
                        {"euc-jp", 3, false},
                        {"plain shift-jis", 8, false},
                        {"iso-2022-jp", 21, true},
                        {"mac japanese", 0x80000001u, true},
                        {"shift_jis x0213", 0x80000628u, true},
                        {"shift_jis", 0x80000A01u, true}};
    const QString text = u"a\u00a0b \\emph{c}"_s;
    for (const Row &row : rows) {
        const QString out = BibFileWriter::finishText(text, row.code);
        EXPECT_FALSE(out.contains(QChar(0x00A0))) << row.name;
        EXPECT_TRUE(out.startsWith(u"a b "_s)) << row.name;
        EXPECT_EQ(out.contains(u'\\'), !row.yen) << row.name;
        EXPECT_EQ(out.contains(yen), row.yen) << row.name;
    }
}

TEST(BibFileWriterEncode, lossyButNeverFailingForKnownEncodings)
{
    struct Row
    {
        const char *name;
        quint32 code;
        QString text;
        QByteArray expected;
    };
    const Row rows[] = {
        {"utf-8", 4, u"Gr\u00fc\u00df"_s, QByteArray("Gr\xc3\xbc\xc3\x9f")},
        {"utf-8 Japanese", 4, u"\u65e5\u672c"_s, QByteArray("\xe6\x97\xa5\xe6\x9c\xac")},
        {"utf-8 beyond the first plane", 4, u"\u65e5\U0001F600"_s,
         QByteArray("\xe6\x97\xa5\xf0\x9f\x98\x80")},
        {"ascii drops accents", 1, u"Ren\u00e9"_s, QByteArray("Rene")},
        {"shift_jis yen becomes 0x5c", 0x80000A01u, u"\\a"_s,
         QByteArray("\x5c"
                    "a")},
    };
    for (const Row &row : rows) {
        const auto bytes = BibFileWriter::finishAndEncode(row.text, row.code);
        ASSERT_TRUE(bytes.has_value()) << row.name;
        EXPECT_EQ(*bytes, row.expected) << row.name;
    }
    EXPECT_FALSE(BibFileWriter::encodeText(u"x"_s, 0x7fff1234u).has_value());
}
