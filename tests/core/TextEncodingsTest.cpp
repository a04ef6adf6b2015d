#include "core/TextEncodings.h"

#include "core/Texts.h"

#include <QSet>

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <tuple>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const std::pair<const char *, quint32> kJapaneseEncodings[] = {
    {"EUC-JP", TextEncodings::JapaneseEUC},
    {"Shift-JIS (8)", TextEncodings::ShiftJIS},
    {"ISO-2022-JP", TextEncodings::ISO2022JP},
    {"Mac Japanese", TextEncodings::MacJapanese},
    {"DOS Japanese", TextEncodings::DOSJapanese},
    {"Shift_JIS X0213", TextEncodings::ShiftJISX0213},
    {"Shift_JIS", TextEncodings::ShiftJISCF},
    {"UTF-8", TextEncodings::UTF8},
    {"UTF-16", TextEncodings::UTF16},
    {"UTF-16BE", TextEncodings::UTF16BigEndian},
    {"UTF-16LE", TextEncodings::UTF16LittleEndian},
    {"UTF-32", TextEncodings::UTF32},
    {"GB 18030", 0x80000632u},
};

QString japaneseSample()
{
    return u"@ARTICLE{yamada2001,\n  author = {山田 太郎 and 鈴木 花子},\n"
           u"  title = {日本語の{\\TeX}処理 ～ カタカナ・ひらがな ①},\n"
           u"  yomi = {やまだ たろう}, note = {path\\to~file}\n}\n"_s;
}

} // namespace

TEST(TextEncodingsTable, namesAndCodesAgreeAndNamesAreSorted)
{
    const QStringList names = TextEncodings::encodingNames();
    ASSERT_GT(names.size(), 30);
    QSet<quint32> codes;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const quint32 code = TextEncodings::encodingOfName(names[i]);
        EXPECT_NE(code, 0u) << qPrintable(names[i]);
        EXPECT_EQ(TextEncodings::nameOfEncoding(code), names[i]);
        EXPECT_TRUE(TextEncodings::isKnown(code)) << qPrintable(names[i]);
        codes.insert(code);
        if (i > 0) {
            EXPECT_LE(names[i - 1].compare(names[i], Qt::CaseInsensitive), 0)
                << qPrintable(names[i]);
        }
    }
    EXPECT_EQ(codes.size(), names.size());
    // Codes that settings blocks of existing files name.
    EXPECT_EQ(TextEncodings::nameOfEncoding(0x80000A01u), u"Japanese (Shift JIS)");
    EXPECT_EQ(TextEncodings::nameOfEncoding(0x90000100u), u"Unicode (UTF-16BE)");
    // An alias answers the name of its encoding, and that name the main code.
    EXPECT_EQ(TextEncodings::nameOfEncoding(0x80000420u), u"Japanese (Windows, DOS)");
    EXPECT_EQ(TextEncodings::encodingOfName(TextEncodings::nameOfEncoding(0x80000420u)), 8u);
    EXPECT_EQ(TextEncodings::encodingOfName(Texts::text(u"DefaultTextEncoding")),
              quint32(TextEncodings::UTF8));
    // Unknown names and codes.
    EXPECT_EQ(TextEncodings::encodingOfName(u"Klingon (pIqaD)"), 0u);
    EXPECT_EQ(TextEncodings::encodingOfName(u""), 0u);
    EXPECT_TRUE(TextEncodings::nameOfEncoding(0x7777).isEmpty());
    EXPECT_FALSE(TextEncodings::isKnown(0));
    EXPECT_FALSE(TextEncodings::decode("abc", 0x7777).has_value());
    EXPECT_TRUE(TextEncodings::encode(u"abc", 0x7777).isEmpty());
}

TEST(TextEncodingsActive, defaultSelectionHoldsUnicodeAndOtherEncodings)
{
    const QList<quint32> active = TextEncodings::defaultActiveEncodings();
    const QString unicodeText = Texts::text(u"UnicodeEncode");
    const QString otherText = Texts::text(u"OtherEncode");
    ASSERT_FALSE(active.isEmpty());
    EXPECT_TRUE(active.contains(quint32(TextEncodings::UTF8)));
    EXPECT_TRUE(active.contains(quint32(TextEncodings::UTF16)));
    qsizetype expected = 0;
    for (const QString &name : TextEncodings::encodingNames()) {
        const bool matches = name.contains(unicodeText) || name.contains(otherText);
        EXPECT_EQ(active.contains(TextEncodings::encodingOfName(name)), matches)
            << qPrintable(name);
        expected += matches ? 1 : 0;
    }
    EXPECT_EQ(active.size(), expected);
}

TEST(TextEncodingsDecode, japaneseTextRoundTripsThroughEveryJapaneseEncoding)
{
    const QString sample = japaneseSample();
    for (const auto &[label, code] : kJapaneseEncodings) {
        ASSERT_TRUE(TextEncodings::canEncode(sample, code)) << label;
        const QByteArray bytes = TextEncodings::encode(sample, code);
        ASSERT_FALSE(bytes.isEmpty()) << label;
        EXPECT_EQ(TextEncodings::decode(bytes, code), std::optional<QString>(sample)) << label;
    }
}

TEST(TextEncodingsDecode, backslashAndTildeKeepTheirBytesInShiftJis)
{
    const quint32 codes[] = {TextEncodings::ShiftJIS,      TextEncodings::ShiftJISCF,
                             TextEncodings::DOSJapanese,   TextEncodings::MacJapanese,
                             TextEncodings::ShiftJISX0213, TextEncodings::JapaneseEUC};
    for (const quint32 code : codes) {
        EXPECT_EQ(TextEncodings::encode(u"\\alpha~", code), QByteArray("\\alpha~")) << code;
        EXPECT_EQ(TextEncodings::decode(QByteArray("\\cite{x}~"), code),
                  std::optional<QString>(u"\\cite{x}~"_s))
            << code;
    }
    // The second byte of a double-byte character may be 0x5C: it stays part of
    // that character.
    EXPECT_EQ(TextEncodings::decode(QByteArray("\x95\x5c\\", 3), TextEncodings::ShiftJIS),
              std::optional<QString>(u"表\\"_s));
    // The writer turns backslashes into yen signs for the encodings that show
    // 0x5C as a yen sign; the bytes must still be 0x5C.
    for (const quint32 code :
         {quint32(TextEncodings::ShiftJISCF), quint32(TextEncodings::MacJapanese),
          quint32(TextEncodings::ShiftJISX0213)}) {
        EXPECT_EQ(TextEncodings::encode(u"¥alpha", code), QByteArray("\\alpha")) << code;
        EXPECT_FALSE(TextEncodings::canEncode(u"¥", code)) << code;
    }
}

TEST(TextEncodingsDecode, invalidBytesFail)
{
    const std::tuple<const char *, QByteArray, quint32> rows[] = {
        {"UTF-8 lone continuation byte", QByteArray("ab\x80 cd"), TextEncodings::UTF8},
        {"UTF-8 truncated sequence", QByteArray("ab\xe6\x97"), TextEncodings::UTF8},
        {"UTF-8 overlong slash", QByteArray("\xc0\xaf"), TextEncodings::UTF8},
        {"UTF-8 encoded surrogate", QByteArray("\xed\xa0\x80"), TextEncodings::UTF8},
        {"ASCII high byte", QByteArray("caf\xe9"), TextEncodings::ASCII},
        {"Shift-JIS bad trail byte", QByteArray("\x81\x20"), TextEncodings::ShiftJIS},
        {"Shift-JIS lone lead byte at end", QByteArray("abc\x81"), TextEncodings::ShiftJISCF},
        {"EUC-JP given Shift-JIS bytes", QByteArray("\x93\xfa\x96\x7b"),
         TextEncodings::JapaneseEUC},
        {"EUC-JP truncated", QByteArray("\xc6"), TextEncodings::JapaneseEUC},
        {"ISO-2022-JP with 8-bit bytes", QByteArray("\xa4\xa2"), TextEncodings::ISO2022JP},
        {"UTF-8 full-width mark read as Shift-JIS", QByteArray("a\xef\xbc\x81"),
         TextEncodings::ShiftJIS},
        {"UTF-16LE odd length", QByteArray("a\0b", 3), TextEncodings::UTF16LittleEndian},
        {"UTF-16BE lone high surrogate", QByteArray("\xd8\x00\x00\x41", 4),
         TextEncodings::UTF16BigEndian},
    };
    for (const auto &[label, bytes, code] : rows)
        EXPECT_FALSE(TextEncodings::decode(bytes, code).has_value()) << label;
}

TEST(TextEncodingsDecode, byteOrderMarksAreConsumed)
{
    const std::tuple<QByteArray, quint32, QString> rows[] = {
        {QByteArray("\xff\xfe"
                    "a\0",
                    4),
         TextEncodings::UTF16, u"a"_s},
        {QByteArray("\xfe\xff\0a", 4), TextEncodings::UTF16, u"a"_s},
        {QByteArray("\xef\xbb\xbf@a"), TextEncodings::UTF8, u"@a"_s},
        {QByteArray(), TextEncodings::UTF8, QString()},
    };
    for (const auto &[bytes, code, text] : rows)
        EXPECT_EQ(TextEncodings::decode(bytes, code), std::optional<QString>(text)) << code;
}

TEST(TextEncodingsEncode, lossyEncodingUsesNearestCharacterOrQuestionMark)
{
    const std::tuple<const char *, const char16_t *, quint32, QByteArray> rows[] = {
        {"accent dropped in ASCII", u"café", TextEncodings::ASCII, "cafe"},
        {"sharp s spelt out", u"Straße", TextEncodings::ASCII, "Strasse"},
        {"em dash and quotes", u"“a”—b", TextEncodings::ASCII, "\"a\"-b"},
        {"ligature", u"ﬁx", TextEncodings::ISOLatin1, "fix"},
        {"kana in Latin-1", u"aかb", TextEncodings::ISOLatin1, "a?b"},
        {"CJK in ASCII", u"日本", TextEncodings::ASCII, "??"},
        {"emoji in Shift-JIS", u"x😀y", TextEncodings::ShiftJIS, "x?y"},
        {"lone surrogate in UTF-8",
         u"a\xD800"
         u"b",
         TextEncodings::UTF8, "a?b"},
        {"Latin-1 keeps its own letters", u"café", TextEncodings::ISOLatin1, "caf\xe9"},
        {"Cyrillic in Latin-2", u"Ж", TextEncodings::ISOLatin2, "?"},
        {"accented letter in Shift-JIS", u"é", TextEncodings::ShiftJISCF, "e"},
    };
    for (const auto &[label, text, code, expected] : rows) {
        const QByteArray bytes = TextEncodings::encode(QString::fromUtf16(text), code);
        EXPECT_EQ(bytes, expected) << label;
        EXPECT_EQ(bytes.indexOf('\x1a'), -1) << label;
    }
    // In a stateful encoding the substitutes keep the bytes decodable.
    const QByteArray bytes = TextEncodings::encode(u"日本 é 😀 語"_s, TextEncodings::ISO2022JP);
    EXPECT_EQ(TextEncodings::decode(bytes, TextEncodings::ISO2022JP),
              std::optional<QString>(u"日本 e ? 語"_s));
}

TEST(TextEncodingsAscii, lossyAsciiDropsMarksAndCharactersWithoutAsciiForm)
{
    const std::tuple<const char *, const char16_t *, const char16_t *> rows[] = {
        {"plain", u"Knuth", u"Knuth"},
        {"accents", u"Erdős Gödel Müller", u"Erdos Godel Muller"},
        {"stroke letters", u"Łukasiewicz Ørsted", u"Lukasiewicz Orsted"},
        {"sharp s", u"Weiß", u"Weiss"},
        {"CJK lost", u"山田 Taro", u" Taro"},
        {"empty", u"", u""},
    };
    for (const auto &[label, text, expected] : rows)
        EXPECT_EQ(TextEncodings::lossyAsciiString(QString::fromUtf16(text)),
                  QString::fromUtf16(expected))
            << label;
}

TEST(TextEncodingsMacJapanese, singleByteExtrasAreReadAndWritten)
{
    // 0x80 backslash, 0xA0 no-break space, 0xFD copyright, 0xFE trade mark,
    // 0xFF ellipsis; 0x95 0x5C is one double-byte character whose second byte
    // must not be taken for anything else.
    const QByteArray bytes("\x80\xa0\xfd\xfe\xff\x95\x5c\\x\x82\xa0", 11);
    const std::optional<QString> text = TextEncodings::decode(bytes, TextEncodings::MacJapanese);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, u"\\\u00a0©™…表\\xあ"_s);
    EXPECT_EQ(TextEncodings::encode(*text, TextEncodings::MacJapanese),
              QByteArray("\\\xa0\xfd\xfe\x81\x63\x95\x5c\\x\x82\xa0", 12));
    EXPECT_TRUE(TextEncodings::canEncode(u"©™\u00a0日本"_s, TextEncodings::MacJapanese));
    // The same bytes are not Windows-31J.
    EXPECT_FALSE(TextEncodings::decode(bytes, TextEncodings::ShiftJIS).has_value());
    EXPECT_FALSE(TextEncodings::canEncode(u"©"_s, TextEncodings::ShiftJIS));
    // A lead byte at the very end still fails.
    EXPECT_FALSE(TextEncodings::decode(QByteArray("\xfd\x82"), TextEncodings::MacJapanese));
}

TEST(TextEncodingsThreads, conversionsRunConcurrently)
{
    // Loaders decode on worker threads while the main thread saves.
    const QString sample = japaneseSample() + u"Erdős — “naïve” ﬁx"_s;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&sample, &failures, t] {
            const quint32 code =
                t % 2 ? quint32(TextEncodings::ShiftJIS) : quint32(TextEncodings::JapaneseEUC);
            for (int i = 0; i < 50; ++i) {
                const QByteArray bytes = TextEncodings::encode(sample, code);
                const std::optional<QString> back = TextEncodings::decode(bytes, code);
                if (!back || back->isEmpty() || !back->startsWith(u"@ARTICLE"))
                    ++failures;
                if (TextEncodings::lossyAsciiString(u"Erdős"_s) != u"Erdos"_s)
                    ++failures;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST(TextEncodingsRandom, randomBytesEitherFailOrRoundTripInEveryEncoding)
{
    // Whatever bytes a file holds, decoding never crashes, and text that
    // decoded is written back to bytes that read as the same text.
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> length(0, 48);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> ascii(0x20, 0x7e);
    QStringList mismatches;
    for (const QString &name : TextEncodings::encodingNames()) {
        const quint32 code = TextEncodings::encodingOfName(name);
        for (int round = 0; round < 200; ++round) {
            QByteArray bytes;
            const int size = length(random);
            for (int i = 0; i < size; ++i)
                bytes.append(char(round % 2 ? byte(random) : ascii(random)));
            const std::optional<QString> text = TextEncodings::decode(bytes, code);
            if (!text)
                continue;
            const std::optional<QString> again =
                TextEncodings::decode(TextEncodings::encode(*text, code), code);
            if (again != text && mismatches.size() < 20)
                mismatches.append(name + u": "_s + QString::fromLatin1(bytes.toHex(' ')));
        }
    }
    EXPECT_TRUE(mismatches.isEmpty()) << qPrintable(mismatches.join(u'\n'));
}

TEST(TextEncodingsEncode, lossIsReportedWhenAsked)
{
    const std::tuple<const char *, const char16_t *, quint32, bool> rows[] = {
        {"ASCII text in ASCII", u"plain \\TeX", TextEncodings::ASCII, false},
        {"accent in ASCII", u"café", TextEncodings::ASCII, true},
        {"Japanese in Shift-JIS", u"日本語", TextEncodings::ShiftJIS, false},
        {"yen sign in Shift-JIS (falls back to 0x5C)", u"¥", TextEncodings::ShiftJIS, true},
        {"emoji in UTF-8", u"😀", TextEncodings::UTF8, false},
        {"emoji in Shift-JIS", u"😀", TextEncodings::ShiftJIS, true},
        {"lone surrogate in UTF-16", u"a\xD800", TextEncodings::UTF16, true},
        {"accent in Latin-1", u"café", TextEncodings::ISOLatin1, false},
        {"empty", u"", TextEncodings::ISO2022JP, false},
    };
    for (const auto &[label, text, code, expectLost] : rows) {
        bool lost = !expectLost;
        const QByteArray bytes = TextEncodings::encode(QString::fromUtf16(text), code, lost);
        EXPECT_EQ(lost, expectLost) << label;
        EXPECT_EQ(TextEncodings::canEncode(QString::fromUtf16(text), code), !expectLost) << label;
        EXPECT_EQ(bytes, TextEncodings::encode(QString::fromUtf16(text), code)) << label;
    }
}
