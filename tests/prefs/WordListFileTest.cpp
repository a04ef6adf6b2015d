#include "prefs/WordListFile.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using QfTest::readAll;
using QfTest::writeAll;

TEST(WordListFile, wordsAreNormalisedByCategory)
{
    const struct
    {
        const char16_t *word;
        WordListFile::Category category;
        const char16_t *expected;
    } rows[] = {
        {u"  einstein\n", WordListFile::ProperNouns, u"Einstein"},
        {u"LORENTZ", WordListFile::ProperNouns, u"Lorentz"},
        {u"\u00e5ngstr\u00f6m", WordListFile::ProperNouns, u"\u00c5ngstr\u00f6m"},
        {u"Between", WordListFile::LongConjunctions, u"between"},
        {u" TWO ", WordListFile::ShortNormals, u"two"},
        {u" \t", WordListFile::ShortNormals, u""},
    };
    for (const auto &row : rows)
        EXPECT_EQ(WordListFile::normalizedWord(QString::fromUtf16(row.word), row.category),
                  QString::fromUtf16(row.expected))
            << QString::fromUtf16(row.word).toStdString();
}

TEST(WordListFile, exportWritesSortedUtf8Lines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"nouns.txt"_s);
    writeAll(dir.filePath(u"nouns.txt"_s), "old contents\n");
    QString errorKey = u"unset"_s;
    ASSERT_TRUE(WordListFile::exportWords({u"Zeeman"_s, u"Dirac"_s, u"Bohr"_s}, path, errorKey));
    EXPECT_TRUE(errorKey.isEmpty());
    EXPECT_EQ(readAll(path), QByteArray("Bohr\nDirac\nZeeman\n"));
    // A letter outside Mac OS Roman survives.
    ASSERT_TRUE(WordListFile::exportWords({u"\u010cerenkov"_s}, path, errorKey));
    EXPECT_EQ(readAll(path), u"\u010cerenkov\n"_s.toUtf8());
}

TEST(WordListFile, exportFailuresNameTheirCause)
{
    QTemporaryDir dir;
    QString errorKey;
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"folder.txt"_s));
    EXPECT_FALSE(WordListFile::exportWords({u"Bohr"_s}, dir.filePath(u"folder.txt"_s), errorKey));
    EXPECT_EQ(errorKey, u"ExportErrorRemove"_s);
    EXPECT_FALSE(
        WordListFile::exportWords({u"Bohr"_s}, dir.filePath(u"missing/nouns.txt"_s), errorKey));
    EXPECT_EQ(errorKey, u"ExportErrorWrite"_s);

    const AlertRequest alert = WordListFile::exportErrorAlert(errorKey, u"/x/nouns.txt"_s);
    EXPECT_FALSE(alert.title.isEmpty());
    EXPECT_TRUE(alert.message.contains(u"/x/nouns.txt"_s));
    EXPECT_FALSE(alert.defaultButton.isEmpty());
}

TEST(WordListFile, decodesUtf8FirstAndOldEncodingsOnlyWhenItFails)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        const char16_t *expected; // nullptr: nothing
    } rows[] = {
        {"UTF-8",
         "Schr\xc3\xb6"
         "dinger\n\xc4\x8c"
         "ech\n",
         u"Schr\u00f6dinger\n\u010cech\n"},
        {"UTF-8 with a byte-order mark",
         "\xef\xbb\xbf"
         "Bohr\n",
         u"Bohr\n"},
        {"UTF-16 with a byte-order mark",
         QByteArray("\xff\xfe"
                    "B\0o\0h\0r\0",
                    10),
         u"Bohr"},
        {"Mac OS Roman",
         "Schr\x9a"
         "dinger\n",
         u"Schr\u00f6dinger\n"},
        {"empty", "", nullptr},
    };
    for (const auto &row : rows) {
        const std::optional<QString> text = WordListFile::decodeWordFile(row.bytes);
        if (!row.expected) {
            EXPECT_FALSE(text.has_value()) << row.name;
            continue;
        }
        ASSERT_TRUE(text.has_value()) << row.name;
        EXPECT_EQ(*text, QString::fromUtf16(row.expected)) << row.name;
    }
}

TEST(WordListFile, importAddsNewWordsAndCountsTheOthers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"words.txt"_s);
    writeAll(path, "bohr, Dirac;einstein\n\nDIRAC (fermi)\n");
    const WordListFile::ImportResult result =
        WordListFile::importWords({u"Dirac"_s, u"Zeeman"_s}, path, WordListFile::ProperNouns);
    EXPECT_TRUE(result.readable);
    EXPECT_EQ(result.added, (QStringList{u"Bohr"_s, u"Einstein"_s, u"Fermi"_s}));
    EXPECT_EQ(result.ignored, 2);
    EXPECT_EQ(result.words,
              (QStringList{u"Bohr"_s, u"Dirac"_s, u"Einstein"_s, u"Fermi"_s, u"Zeeman"_s}));

    const WordListFile::ImportResult missing = WordListFile::importWords(
        {u"with"_s}, dir.filePath(u"none.txt"_s), WordListFile::LongConjunctions);
    EXPECT_FALSE(missing.readable);
    EXPECT_TRUE(missing.added.isEmpty());
    EXPECT_EQ(missing.words, QStringList{u"with"_s});
}

TEST(WordListFile, exportThenImportKeepsEveryLetter)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"round.txt"_s);
    const QStringList words = {u"\u00c5ngstr\u00f6m"_s, u"\u010cerenkov"_s, u"\u6e6f\u5ddd"_s};
    QString errorKey;
    ASSERT_TRUE(WordListFile::exportWords(words, path, errorKey));
    const auto result = WordListFile::importWords({}, path, WordListFile::ProperNouns);
    EXPECT_EQ(result.added, WordListFile::sortedWords(words));
}

TEST(WordListFile, importSummaryMessages)
{
    WordListFile::ImportResult none;
    WordListFile::ImportResult one;
    one.added = {u"Bohr"_s};
    one.ignored = 1;
    WordListFile::ImportResult many;
    many.added = {u"Bohr"_s, u"Dirac"_s, u"Fermi"_s};
    many.ignored = 4;

    const AlertRequest noneAlert = WordListFile::importSummaryAlert(none);
    const AlertRequest oneAlert = WordListFile::importSummaryAlert(one);
    const AlertRequest manyAlert = WordListFile::importSummaryAlert(many);
    EXPECT_FALSE(noneAlert.title.isEmpty());
    EXPECT_FALSE(noneAlert.message.isEmpty());
    EXPECT_TRUE(oneAlert.message.contains(u"Bohr"_s));
    EXPECT_TRUE(manyAlert.message.contains(u'3'));
    EXPECT_TRUE(manyAlert.message.contains(u'4'));
    EXPECT_NE(oneAlert.message, manyAlert.message);
}
