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

using E = TextEncodings;

// Every Japanese encoding, the Unicode ones and one from the 0x80000000 range.
const quint32 kJapaneseEncodings[] = {
    E::JapaneseEUC,       E::ShiftJIS,   E::ISO2022JP, E::MacJapanese, E::DOSJapanese,
    E::ShiftJISX0213,     E::ShiftJISCF, E::UTF8,      E::UTF16,       E::UTF16BigEndian,
    E::UTF16LittleEndian, E::UTF32,      0x80000632u};

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
        EXPECT_EQ(TextEncodings::nameOfEncoding(code), names[i]);
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
    EXPECT_EQ(TextEncodings::encodingOfName(Texts::text(u"DefaultTextEncoding")), quint32(E::UTF8));
    // Unknown names and codes.
    EXPECT_EQ(TextEncodings::encodingOfName(u"Klingon (pIqaD)"), 0u);
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
    for (const quint32 code : kJapaneseEncodings) {
        ASSERT_TRUE(TextEncodings::canEncode(sample, code)) << code;
        EXPECT_EQ(TextEncodings::decode(TextEncodings::encode(sample, code), code),
                  std::optional<QString>(sample))
            << code;
    }
}

TEST(TextEncodingsDecode, backslashAndTildeKeepTheirBytesInShiftJis)
{
    const quint32 codes[] = {E::ShiftJIS,    E::ShiftJISCF,    E::DOSJapanese,
                             E::MacJapanese, E::ShiftJISX0213, E::JapaneseEUC};
    for (const quint32 code : codes) {
        EXPECT_EQ(TextEncodings::encode(u"\\alpha~", code), QByteArray("\\alpha~")) << code;
        EXPECT_EQ(TextEncodings::decode(QByteArray("\\cite{x}~"), code),
                  std::optional<QString>(u"\\cite{x}~"_s))
            << code;
    }
    // The second byte of a double-byte character may be 0x5C: it stays part of
    // that character.
    EXPECT_EQ(TextEncodings::decode(QByteArray("\x95\x5c\\", 3), E::ShiftJIS),
              std::optional<QString>(u"表\\"_s));
    // The writer turns backslashes into yen signs for the encodings that show
    // 0x5C as a yen sign; the bytes must still be 0x5C.
    for (const quint32 code :
         {quint32(E::ShiftJISCF), quint32(E::MacJapanese), quint32(E::ShiftJISX0213)}) {
        EXPECT_EQ(TextEncodings::encode(u"¥alpha", code), QByteArray("\\alpha")) << code;
        EXPECT_FALSE(TextEncodings::canEncode(u"¥", code)) << code;
    }
}

TEST(TextEncodingsDecode, invalidBytesFailAndByteOrderMarksAreConsumed)
{
    // expected: nullptr: the bytes do not decode
    const std::tuple<const char *, QByteArray, quint32, const char16_t *> rows[] = {
        {"UTF-8 lone continuation byte", QByteArray("ab\x80 cd"), E::UTF8, nullptr},
        {"ASCII high byte", QByteArray("caf\xe9"), E::ASCII, nullptr},
        {"Shift-JIS lone lead byte at end", QByteArray("abc\x81"), E::ShiftJISCF, nullptr},
        {"EUC-JP given Shift-JIS bytes", QByteArray("\x93\xfa\x96\x7b"), E::JapaneseEUC, nullptr},
        {"ISO-2022-JP with 8-bit bytes", QByteArray("\xa4\xa2"), E::ISO2022JP, nullptr},
        {"UTF-16LE odd length", QByteArray("a\0b", 3), E::UTF16LittleEndian, nullptr},
        {"UTF-16BE lone high surrogate", QByteArray("\xd8\x00\x00\x41", 4), E::UTF16BigEndian,
         nullptr},
        {"UTF-16 little-endian mark", QByteArray("\xff\xfe\x61\0", 4), E::UTF16, u"a"},
        {"UTF-16 big-endian mark", QByteArray("\xfe\xff\0a", 4), E::UTF16, u"a"},
        {"UTF-8 mark", QByteArray("\xef\xbb\xbf@a"), E::UTF8, u"@a"},
    };
    for (const auto &[label, bytes, code, text] : rows)
        EXPECT_EQ(TextEncodings::decode(bytes, code).value_or(u"<fails>"_s),
                  text ? QString::fromUtf16(text) : u"<fails>"_s)
            << label;
}

TEST(TextEncodingsEncode, lossyEncodingUsesNearestCharacterOrQuestionMarkAndSaysSo)
{
    const std::tuple<const char *, const char16_t *, quint32, QByteArray, bool> rows[] = {
        {"ASCII text in ASCII", u"plain \\TeX", E::ASCII, "plain \\TeX", false},
        {"accent dropped in ASCII", u"café", E::ASCII, "cafe", true},
        {"sharp s spelt out", u"Straße", E::ASCII, "Strasse", true},
        {"ligature", u"ﬁx", E::ISOLatin1, "fix", true},
        {"CJK in ASCII", u"日本", E::ASCII, "??", true},
        {"yen sign in Shift-JIS falls back to 0x5C", u"¥", E::ShiftJIS, "\\", true},
        {"emoji in UTF-8", u"😀", E::UTF8, "\xf0\x9f\x98\x80", false},
        {"emoji in Shift-JIS", u"x😀y", E::ShiftJIS, "x?y", true},
        {"lone surrogate in UTF-8", u"a\xD800 b", E::UTF8, "a? b", true},
        {"Latin-1 keeps its own letters", u"café", E::ISOLatin1, "caf\xe9", false},
    };
    for (const auto &[label, text, code, expected, expectLost] : rows) {
        bool lost = !expectLost;
        const QByteArray bytes = TextEncodings::encode(QString::fromUtf16(text), code, lost);
        EXPECT_EQ(bytes, expected) << label;
        EXPECT_EQ(lost, expectLost) << label;
        EXPECT_EQ(TextEncodings::canEncode(QString::fromUtf16(text), code), !expectLost) << label;
    }
    EXPECT_FALSE(TextEncodings::canEncode(u"a\xD800"_s, E::UTF16));
    // In a stateful encoding the substitutes keep the bytes decodable.
    const QByteArray bytes = TextEncodings::encode(u"日本 é 😀 語"_s, E::ISO2022JP);
    EXPECT_EQ(TextEncodings::decode(bytes, E::ISO2022JP), std::optional<QString>(u"日本 e ? 語"_s));
}

TEST(TextEncodingsAscii, lossyAsciiDropsMarksAndCharactersWithoutAsciiForm)
{
    const std::tuple<const char *, const char16_t *, const char16_t *> rows[] = {
        {"plain", u"Knuth", u"Knuth"},
        {"accents", u"Gödel", u"Godel"},
        {"stroke letters", u"Łukasiewicz Ørsted", u"Lukasiewicz Orsted"},
        {"CJK lost", u"山田 Taro", u" Taro"},
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
    const std::optional<QString> text = TextEncodings::decode(bytes, E::MacJapanese);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, u"\\\u00a0©™…表\\xあ"_s);
    EXPECT_EQ(TextEncodings::encode(*text, E::MacJapanese),
              QByteArray("\\\xa0\xfd\xfe\x81\x63\x95\x5c\\x\x82\xa0", 12));
    EXPECT_TRUE(TextEncodings::canEncode(u"©™\u00a0日本"_s, E::MacJapanese));
    // The same bytes are not Windows-31J.
    EXPECT_FALSE(TextEncodings::decode(bytes, E::ShiftJIS).has_value());
    EXPECT_FALSE(TextEncodings::canEncode(u"©"_s, E::ShiftJIS));
    // A lead byte at the very end still fails.
    EXPECT_FALSE(TextEncodings::decode(QByteArray("\xfd\x82"), E::MacJapanese));
}

TEST(TextEncodingsThreads, conversionsRunConcurrently)
{
    // Loaders decode on worker threads while the main thread saves.
    const QString sample = japaneseSample() + u"Erdős — “naïve” ﬁx"_s;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&sample, &failures, t] {
            const quint32 code = t % 2 ? quint32(E::ShiftJIS) : quint32(E::JapaneseEUC);
            for (int i = 0; i < 50; ++i) {
                const auto back = TextEncodings::decode(TextEncodings::encode(sample, code), code);
                if (!back.value_or(QString()).startsWith(u"@ARTICLE"))
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
            QByteArray bytes(length(random), 0);
            for (char &c : bytes)
                c = char(round % 2 ? byte(random) : ascii(random));
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
