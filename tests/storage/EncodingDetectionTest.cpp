#include "StorageTestSupport.h"

#include "core/TextEncodings.h"
#include "storage/EncodingSniffer.h"
#include "storage/TextPlausibility.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// Bibliographies of real text, one per language, in UTF-8 (encoding-samples/).
QString sample(const char *language)
{
    QFile file(QStringLiteral(QF_SOURCE_DIR "/tests/storage/encoding-samples/") +
               QString::fromUtf8(language) + u".bib"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QStringList entriesOf(const QString &text)
{
    QStringList entries;
    for (const QString &part : text.split(QRegularExpression(u"\n(?=@)"_s))) {
        if (part.trimmed().startsWith(u'@'))
            entries << part.trimmed() + u'\n';
    }
    return entries;
}

// English entries, as most of a real bibliography is.
const QStringList &englishEntries()
{
    static const QStringList entries = {
        u"@inproceedings{abbasi15,\n  author = {Abbasi-Yadkori, Yasin and Bartlett, Peter},\n"
        "  title = {Large-Scale Markov Decision Problems with {KL} Control Cost},\n"
        "  booktitle = {Proceedings of the 32nd International Conference on Machine Learning},\n"
        "  pages = {1053--1062},\n  year = {2015}\n}\n"_s,
        u"@article{knuth84,\n  author = {Knuth, Donald E.},\n  title = {Literate Programming},\n"
        "  journal = {The Computer Journal},\n  volume = {27},\n  number = {2},\n"
        "  pages = {97--111},\n  year = {1984},\n  publisher = {Oxford University Press}\n}\n"_s,
        u"@book{lamport94,\n  author = {Lamport, Leslie},\n"
        "  title = {{\\LaTeX}: A Document Preparation System},\n  edition = {2nd},\n"
        "  publisher = {Addison-Wesley},\n  address = {Reading, Massachusetts},\n"
        "  year = {1994}\n}\n"_s,
    };
    return entries;
}

enum class Mix
{
    Entries,   // every entry in the language
    OneInFour, // one entry in the language among three English ones
    NamesOnly  // English entries whose authors are named in the language
};

const char *mixName(Mix mix)
{
    return std::array{"entries", "one in four", "names only"}[static_cast<size_t>(mix)];
}

QStringList authorsOf(const QString &text)
{
    QStringList authors;
    const QRegularExpression field(u"author = \\{([^}]*)\\}"_s);
    for (auto it = field.globalMatch(text); it.hasNext();)
        authors << it.next().captured(1);
    return authors;
}

// A file of about `size` bytes in `code`: whole lines of the sample text.
QByteArray makeFile(const QString &text, quint32 code, qsizetype size, Mix mix)
{
    const QStringList local = entriesOf(text);
    const QStringList authors = authorsOf(text);
    QByteArray bytes;
    for (int i = 0; bytes.size() < size + 1; ++i) {
        if (mix == Mix::NamesOnly) {
            QString entry = englishEntries().at(i % englishEntries().size());
            entry.replace(QRegularExpression(u"author = \\{[^}]*\\}"_s),
                          u"author = {"_s + authors.at(i % authors.size()) + u'}');
            bytes += TextEncodings::encode(entry, code) + '\n';
            continue;
        }
        bytes += TextEncodings::encode(local.at(i % local.size()), code) + '\n';
        if (mix == Mix::OneInFour) {
            for (int k = 0; k < 3; ++k)
                bytes += TextEncodings::encode(englishEntries().at(k), code) + '\n';
        }
    }
    const qsizetype cut = bytes.lastIndexOf('\n', size);
    bytes.truncate(cut + 1);
    return bytes;
}

struct DetectionRow
{
    const char *language;
    const char *encodingName;
    quint32 code;
};

const DetectionRow kRows[] = {
    {"ru", "windows-1251", TextEncodings::WindowsCP1251},
    {"ru", "KOI8-R", 0x80000A02u},
    {"ru", "ISO 8859-5", 0x80000205u},
    {"zh-hans", "GBK", 0x80000631u},
    {"zh-hant", "Big5", 0x80000A03u},
    {"ko", "EUC-KR", 0x80000940u},
    {"ja", "Shift_JIS", TextEncodings::ShiftJISCF},
    {"ja", "EUC-JP", TextEncodings::JapaneseEUC},
    {"pl", "ISO 8859-2", TextEncodings::ISOLatin2},
    {"el", "ISO 8859-7", 0x80000207u},
    {"fr", "windows-1252", TextEncodings::WindowsCP1252},
    {"de", "windows-1252", TextEncodings::WindowsCP1252},
};

const qsizetype kSizes[] = {300, 600, 1000, 2000, 5000, 20000, 50000};

} // namespace

// Files of real text in each legacy encoding, read where UTF-8 was expected:
// the text must come out as written. Prints the share decoded right per size;
// every file of 2 KB or more must be right.
TEST(EncodingDetection, legacyEncodedBibliographiesDecodeAsWritten)
{
    // (mix, size) -> (decoded right, files)
    std::map<std::pair<int, qsizetype>, std::pair<int, int>> rightOfSize;
    for (const Mix mix : {Mix::Entries, Mix::OneInFour, Mix::NamesOnly}) {
        for (const DetectionRow &row : kRows) {
            const QString text = sample(row.language);
            ASSERT_FALSE(text.isEmpty()) << row.language;
            ASSERT_TRUE(TextEncodings::canEncode(text, row.code))
                << row.language << " in " << row.encodingName;
            for (const qsizetype size : kSizes) {
                const QByteArray bytes = makeFile(text, row.code, size, mix);
                const std::optional<QString> meant = TextEncodings::decode(bytes, row.code);
                ASSERT_TRUE(meant.has_value());
                ASSERT_FALSE(TextEncodings::decode(bytes, TextEncodings::UTF8).has_value());
                const EncodingSniffer::Reading reading =
                    EncodingSniffer::readInAnotherEncoding(bytes, TextEncodings::UTF8);
                const bool right = reading.text == *meant && !reading.repaired;
                auto &[rightCount, all] = rightOfSize[{static_cast<int>(mix), size}];
                rightCount += right ? 1 : 0;
                ++all;
                if (size >= 2000) {
                    EXPECT_TRUE(right)
                        << row.language << " in " << row.encodingName << ", " << size << " bytes, "
                        << mixName(mix) << ": read as "
                        << TextEncodings::nameOfEncoding(reading.encoding).toStdString();
                }
                // Right or wrong, nothing is lost: the bytes written back in
                // the encoding read are the file's own.
                if (!reading.repaired) {
                    EXPECT_EQ(TextEncodings::encode(reading.text, reading.encoding), bytes)
                        << row.language << " in " << row.encodingName << ", " << size;
                }
            }
        }
    }
    for (const auto &[mixAndSize, counts] : rightOfSize)
        std::printf("[ share    ] %-11s %6lld bytes: %2d of %2d decoded right\n",
                    mixName(static_cast<Mix>(mixAndSize.first)),
                    static_cast<long long>(mixAndSize.second), counts.first, counts.second);
}

// The signs of a wrong decoding, each on its own (the detection table above
// weighs them on real text); text in one script with its own punctuation is plausible.
TEST(EncodingDetection, implausibilityCountsTheSignsOfAWrongDecoding)
{
    const std::tuple<const char *, QString, bool> rows[] = {
        {"ascii", u"@article{k, title = {Plain}}"_s, true},
        {"japanese", u"\u65e5\u672c\u8a9e\u306e\u6587\u66f8"_s, true},
        {"noBreakSpaceAndDegrees", u"Test\u00a0I. 20\u00b0C \u00bbZitat\u00ab"_s, true},
        {"symbolInsideWord", u"D\u00b1browski"_s, false},
        {"controlCharacter", u"na\u0093ve"_s, false},
        {"accentedRun", u"\u00c3\u00a9\u00c3\u00a8tude"_s, false},
        {"cyrillicCaseFlip", u"\u0438\u0412\u0410\u041d"_s, false},
        {"latinCaseFlip", u"\u0165Sprache und Situation\u0164"_s, false},
        {"boxDrawingByLetters", u"\u2568\u2564\u0430"_s, false},
        {"scriptsMixed", u"\u0430\u03b1"_s, false},
        {"halfWidthKatakana", u"\uff86\uff8e\uff9d"_s, false},
    };
    for (const auto &[name, text, plausible] : rows)
        EXPECT_EQ(TextPlausibility::implausibility(text) == 0, plausible) << name;
}

// Curly quotes and dashes (bytes 0x80-0x9F) are Windows Latin 1, never the
// control characters of ISO Latin 1, whether Latin 1 was the file's encoding
// or the bytes were found not to be UTF-8; the small GBK file of other
// parsers' tests (ten Chinese characters) reads as Chinese.
TEST(EncodingDetection, shortFilesInOtherEncodingsReadAsTheirText)
{
    const QByteArray curly = "@misc{k, title = {\x93Quoted\x94 \x96 caf\xE9}}\n";
    EXPECT_EQ(EncodingSniffer::windowsLatin1Instead(curly, TextEncodings::ISOLatin1),
              TextEncodings::WindowsCP1252);
    EXPECT_EQ(EncodingSniffer::windowsLatin1Instead("@misc{k, title = {caf\xE9}}\n",
                                                    TextEncodings::ISOLatin1),
              TextEncodings::ISOLatin1);
    EXPECT_EQ(EncodingSniffer::windowsLatin1Instead(curly, TextEncodings::ISOLatin2),
              TextEncodings::ISOLatin2);
    const QString chinese = u"@ARTICLE{\u51ef\u64922013,\n  author = {\u51ef\u6492},\n"
                            "  title = {Test Title},\n  year = {2013},\n"
                            "  journal = {\u6d4b\u8bd5\u671f\u520a}\n}\n"_s;
    const std::tuple<QByteArray, QString, quint32> rows[] = {
        {curly, u"@misc{k, title = {\u201cQuoted\u201d \u2013 caf\u00e9}}\n"_s,
         TextEncodings::WindowsCP1252},
        {TextEncodings::encode(chinese, 0x80000631u), chinese, 0x80000631u},
    };
    for (const auto &[bytes, text, code] : rows) {
        const EncodingSniffer::Reading reading =
            EncodingSniffer::readInAnotherEncoding(bytes, TextEncodings::UTF8);
        EXPECT_EQ(reading.text, text);
        EXPECT_EQ(reading.encoding, code);
        EXPECT_FALSE(reading.repaired);
    }
}

// Stray bytes are read as Windows Latin 1 inside UTF-8 only when they are few
// and stand alone; a run of them is text in another encoding.
TEST(EncodingDetection, strayBytesAreRepairedOnlyWhenFewAndIsolated)
{
    const QByteArray utf8 = "@misc{a, title = {na\xC3\xAFve \xC3\xA9t\xC3\xA9 \xE2\x80\x93 "
                            "\xC3\xBC\xC3\xB6}}\n";
    const std::tuple<const char *, QByteArray, bool> rows[] = {
        {"oneStrayLatin1Letter", utf8 + "% caf\xE9\n", true},
        {"twoApart", utf8 + "% caf\xE9 na\xEFve\n", true},
        {"runOfThree", utf8 + "% \xC8\xE2\xE0\xED\xEE\xE2\n", false},
        {"noUtf8AtAll", "@misc{a, title = {caf\xE9 M\xFCller}}\n", false},
    };
    for (const auto &[name, bytes, repaired] : rows) {
        QString text;
        EXPECT_GT(EncodingSniffer::decodeUtf8Repairing(bytes, text).strayBytes, 0) << name;
        EXPECT_EQ(EncodingSniffer::readInAnotherEncoding(bytes, TextEncodings::UTF8).repaired,
                  repaired)
            << name;
    }
}

// "Reopen with encoding" in an encoding the bytes are not valid in: reported,
// and nothing is read (the coordinator's test reopens in a valid one).
TEST(EncodingDetection, forcedEncodingThatFailsReadsNothing)
{
    BibFixture fixture;
    auto database = LocalDatabase::localDatabaseWithFile(
        fixture.write(u"ru.bib"_s,
                      makeFile(sample("ru"), TextEncodings::WindowsCP1251, 3000, Mix::Entries)),
        false);
    database->setReadEncoding(TextEncodings::UTF8);
    database->startLoading();
    database->waitForLoading();
    database->setWaitingStatus(0);
    EXPECT_TRUE(database->readIncomplete());
    EXPECT_TRUE(keysOf(*database).isEmpty());
    EXPECT_EQ(errorsOf(*database).size(), 1);
}

// Candidates are weighed on the start of a large file; one whose bytes turn
// invalid further on gives way to the next, and nothing is lost either way.
TEST(EncodingDetection, candidateInvalidLaterInALargeFileGivesWay)
{
    const quint32 gbk = 0x80000631u;
    QByteArray bytes = makeFile(sample("zh-hans"), gbk, 400000, Mix::Entries);
    ASSERT_TRUE(TextEncodings::decode(bytes, gbk).has_value());
    bytes += "% \x81 \n"; // a lead byte without its second byte
    ASSERT_FALSE(TextEncodings::decode(bytes, gbk).has_value());
    const EncodingSniffer::Reading reading =
        EncodingSniffer::readInAnotherEncoding(bytes, TextEncodings::UTF8);
    EXPECT_NE(reading.encoding, gbk);
    EXPECT_FALSE(reading.text.isEmpty());
    if (!reading.repaired) {
        EXPECT_EQ(TextEncodings::encode(reading.text, reading.encoding), bytes);
    }
}
