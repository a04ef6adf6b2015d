// Real files in legacy encodings: each reads as the text it holds, and the
// corpus's Japanese and Russian bibliographies, written out in their legacy
// encodings, are found again when read where UTF-8 was expected.
#include "CorpusSupport.h"
#include "storage/EncodingDetector.h"
#include "storage/EncodingSniffer.h"

#include <tuple>

using namespace Qt::StringLiterals;
using QfTest::readCorpusFile;

TEST(EncodingDetectionCorpus, legacyFilesReadAsTheTextTheyHold)
{
    if (!QfTest::hasCorpus())
        GTEST_SKIP() << "no corpus";
    int checked = 0;
    // The encoding found by decoding each file.
    const QHash<QString, QString> encodings = QfTest::listedColumn(8);
    for (auto it = encodings.cbegin(); it != encodings.cend(); ++it) {
        const QString &local = it.key(), &listed = it.value();
        if (listed == u"us-ascii"_s || listed.startsWith(u"utf"_s))
            continue;
        // The listed name as a code ("gbk" is not a charset name of its own).
        const quint32 listedCode =
            listed == u"gbk"_s ? 0x80000631u
                               : EncodingDetector::codeOfCharsetName(listed.toLatin1().data());
        const QByteArray bytes = readCorpusFile(local);
        auto database = QfTest::openDatabase(QfTest::corpusDir() + u'/' + local);
        ASSERT_TRUE(listedCode && database) << local.toStdString();
        // Decoding in ISO Latin 1 always succeeds, so that label proves
        // little: two test files of another parser hold one odd letter each,
        // "Šome title" in ISO Latin 9 ("¦ome" in Latin 1) and "Żome title" in
        // ISO Latin 2 ("¯ome"), which is what they were written as.
        quint32 writtenIn = listedCode;
        if (local == u"biber/encoding1.bib"_s)
            writtenIn = 0x8000020Fu;
        else if (local == u"biber/encoding4.bib"_s)
            writtenIn = TextEncodings::ISOLatin2;
        const std::optional<QString> meant = TextEncodings::decode(bytes, writtenIn);
        EXPECT_TRUE(meant && TextEncodings::decode(bytes, database->encoding()) == meant)
            << local.toStdString() << ": read as "
            << TextEncodings::nameOfEncoding(database->encoding()).toStdString() << ", listed as "
            << listed.toStdString();
        ++checked;
    }
    EXPECT_GE(checked, 10);
}

// Text from the corpus (Japanese, Russian) in the legacy encodings of its
// language, from 300 bytes to 50 KB; every file of 2 KB or more reads right.
TEST(EncodingDetectionCorpus, corpusTextInLegacyEncodingsIsFoundAgain)
{
    const QByteArray japanese = readCorpusFile(u"japanese/jecon-bst/jecon-example.bib"_s) +
                                readCorpusFile(u"japanese/pbibtex-base/jxampl.bib"_s);
    const QByteArray russian =
        readCorpusFile(u"retorquere-bibtex-parser/other/primo_nlr_ru.bib"_s) +
        readCorpusFile(u"pybtex/cyrillic.bib"_s);
    if (japanese.isEmpty() || russian.isEmpty())
        GTEST_SKIP() << "no corpus at " << QfTest::corpusDir().toStdString();
    const std::tuple<const char *, const QByteArray *, quint32> rows[] = {
        {"Japanese in Shift_JIS", &japanese, TextEncodings::ShiftJISCF},
        {"Japanese in EUC-JP", &japanese, TextEncodings::JapaneseEUC},
        {"Russian in windows-1251", &russian, TextEncodings::WindowsCP1251},
        {"Russian in KOI8-R", &russian, 0x80000A02u},
        {"Russian in ISO 8859-5", &russian, 0x80000205u},
    };
    int right = 0, all = 0;
    for (const auto &[name, utf8, code] : rows) {
        // Only lines the encoding holds, as a file in it would have.
        QByteArray whole;
        for (const QByteArray &line : utf8->split('\n')) {
            const QString text = QString::fromUtf8(line);
            if (TextEncodings::canEncode(text, code))
                whole += TextEncodings::encode(text, code) + '\n';
        }
        for (const qsizetype size : {300, 1000, 2000, 5000, 20000, 50000}) {
            QByteArray bytes = whole;
            while (bytes.size() <= size)
                bytes += whole;
            bytes.truncate(bytes.lastIndexOf('\n', size) + 1);
            if (TextEncodings::decode(bytes, TextEncodings::UTF8))
                continue; // nothing but ASCII in this piece
            const EncodingSniffer::Reading reading =
                EncodingSniffer::readInAnotherEncoding(bytes, TextEncodings::UTF8);
            const bool ok = !reading.repaired && reading.text == TextEncodings::decode(bytes, code);
            right += ok;
            ++all;
            EXPECT_TRUE(ok || size < 2000)
                << name << ", " << bytes.size() << " bytes: read as "
                << TextEncodings::nameOfEncoding(reading.encoding).toStdString();
        }
    }
    std::printf("[ share    ] corpus text: %d of %d files decoded right\n", right, all);
}
