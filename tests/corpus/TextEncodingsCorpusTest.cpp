#include "core/TextEncodings.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray readCorpusFile(const QString &relativePath)
{
    QFile file(QStringLiteral(QF_CORPUS_DIR "/") + relativePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString withLineFeeds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

} // namespace

// Real Japanese files and their UTF-8 twins: decoding in the file's own
// encoding must give exactly the twin's text.
TEST(TextEncodingsCorpus, japaneseFilesDecodeToTheirUtf8Twins)
{
    if (!QDir(QStringLiteral(QF_CORPUS_DIR)).exists())
        GTEST_SKIP() << "corpus not present";
    struct Row
    {
        const char *file;
        quint32 code;
        const char *twin;
    };
    const Row rows[] = {
        {"japanese/ipsj-ieice-templates/ieicej1.6a/UNIXSJIS/sieicej.bst", TextEncodings::ShiftJIS,
         "japanese/ipsj-ieice-templates/ieicej1.6a/UNIXUTF8/sieicej.bst"},
        {"japanese/ipsj-ieice-templates/ieicej1.6a/WIN/sieicej.bst", TextEncodings::ShiftJISCF,
         "japanese/ipsj-ieice-templates/ieicej1.6a/UNIXUTF8/sieicej.bst"},
        {"japanese/ipsj-ieice-templates/ieicej1.6a/MAC/sieicej.bst", TextEncodings::MacJapanese,
         "japanese/ipsj-ieice-templates/ieicej1.6a/UNIXUTF8/sieicej.bst"},
        {"japanese/ipsj-ieice-templates/ieicej1.6a/UNIXEUC/sieicej.bst", TextEncodings::JapaneseEUC,
         "japanese/ipsj-ieice-templates/ieicej1.6a/UNIXUTF8/sieicej.bst"},
        {"japanese/ipsj-ieice-templates/ipsj-unix/bibsample.bib", TextEncodings::JapaneseEUC,
         "japanese/ipsj-ieice-templates/ipsj-unix/bibsample.utf8.bib"},
        {"japanese/pbibtex-base/jis/jxampl.bib", TextEncodings::ISO2022JP,
         "japanese/pbibtex-base/jxampl.bib"},
        {"japanese/pbibtex-base/jis/jplain.bst", TextEncodings::ISO2022JP,
         "japanese/pbibtex-base/jplain.bst"},
    };
    for (const Row &row : rows) {
        const QByteArray bytes = readCorpusFile(QString::fromUtf8(row.file));
        const QByteArray twinBytes = readCorpusFile(QString::fromUtf8(row.twin));
        ASSERT_FALSE(bytes.isEmpty()) << row.file;
        const std::optional<QString> text = TextEncodings::decode(bytes, row.code);
        const std::optional<QString> twin = TextEncodings::decode(twinBytes, TextEncodings::UTF8);
        ASSERT_TRUE(text.has_value()) << row.file;
        ASSERT_TRUE(twin.has_value()) << row.twin;
        EXPECT_EQ(withLineFeeds(*text), withLineFeeds(*twin)) << row.file;
        // Writing the text back gives the original bytes.
        EXPECT_EQ(TextEncodings::encode(*text, row.code), bytes) << row.file;
    }
}

TEST(TextEncodingsCorpus, japaneseFilesInTheWrongEncodingFail)
{
    if (!QDir(QStringLiteral(QF_CORPUS_DIR)).exists())
        GTEST_SKIP() << "corpus not present";
    struct Row
    {
        const char *file;
        quint32 wrongCode;
    };
    const Row rows[] = {
        {"japanese/ipsj-ieice-templates/ieicej1.6a/UNIXSJIS/sieicej.bst", TextEncodings::UTF8},
        {"japanese/ipsj-ieice-templates/ieicej1.6a/UNIXEUC/sieicej.bst", TextEncodings::UTF8},
        {"japanese/ipsj-ieice-templates/ieicej1.6a/UNIXUTF8/sieicej.bst", TextEncodings::ASCII},
        {"japanese/ipsj-ieice-templates/ipsj-unix/bibsample.utf8.bib", TextEncodings::JapaneseEUC},
        {"japanese/ipsj-ieice-templates/ipsj-unix/bibsample.bib", TextEncodings::ShiftJIS},
    };
    for (const Row &row : rows) {
        const QByteArray bytes = readCorpusFile(QString::fromUtf8(row.file));
        ASSERT_FALSE(bytes.isEmpty()) << row.file;
        EXPECT_FALSE(TextEncodings::decode(bytes, row.wrongCode).has_value()) << row.file;
    }
}
