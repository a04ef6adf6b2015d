#include "prefs/WordListFile.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

using QfTest::readAll;
using QfTest::writeAll;

TEST(WordListFile, wordsAreNormalisedByCategory)
{
    const std::tuple<const char16_t *, WordListFile::Category, const char16_t *> rows[] = {
        {u"  einstein\n", WordListFile::ProperNouns, u"Einstein"},
        {u"Between", WordListFile::LongConjunctions, u"between"},
        {u" TWO ", WordListFile::ShortNormals, u"two"},
        {u" \t", WordListFile::ShortNormals, u""},
    };
    for (const auto &[word, category, expected] : rows)
        EXPECT_EQ(WordListFile::normalizedWord(QString::fromUtf16(word), category),
                  QString::fromUtf16(expected))
            << QString::fromUtf16(word).toStdString();
}

TEST(WordListFile, exportWritesSortedUtf8LinesOrNamesTheCause)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"nouns.txt"_s);
    writeAll(path, "old contents\n");
    QString errorKey = u"unset"_s;
    ASSERT_TRUE(WordListFile::exportWords({u"Zeeman"_s, u"Dirac"_s, u"Bohr"_s}, path, errorKey));
    EXPECT_EQ(readAll(path), QByteArray("Bohr\nDirac\nZeeman\n"));
    // Letters outside Mac OS Roman survive export and import.
    const QStringList words = {u"\u00c5ngstr\u00f6m"_s, u"\u010cerenkov"_s, u"\u6e6f\u5ddd"_s};
    ASSERT_TRUE(WordListFile::exportWords(words, path, errorKey));
    EXPECT_EQ(WordListFile::importWords({}, path, WordListFile::ProperNouns).added,
              WordListFile::sortedWords(words));

    ASSERT_TRUE(QDir(dir.path()).mkdir(u"folder.txt"_s));
    EXPECT_FALSE(WordListFile::exportWords({u"Bohr"_s}, dir.filePath(u"folder.txt"_s), errorKey));
    EXPECT_EQ(errorKey, u"ExportErrorRemove"_s);
    EXPECT_FALSE(
        WordListFile::exportWords({u"Bohr"_s}, dir.filePath(u"missing/nouns.txt"_s), errorKey));
    EXPECT_EQ(errorKey, u"ExportErrorWrite"_s);
    EXPECT_TRUE(
        WordListFile::exportErrorAlert(errorKey, u"/x/n.txt"_s).message.contains(u"/x/n.txt"));
}

TEST(WordListFile, decodesUtf8FirstAndOldEncodingsOnlyWhenItFails)
{
    // expected: nullptr: nothing
    const std::tuple<const char *, QByteArray, const char16_t *> rows[] = {
        {"UTF-8", "Schr\xc3\xb6\x64inger\n", u"Schr\u00f6dinger\n"},
        {"UTF-8 with a byte-order mark", "\xef\xbb\xbf@", u"@"},
        {"UTF-16 with a byte-order mark", QByteArray("\xff\xfe@\0", 4), u"@"},
        {"Mac OS Roman", "Schr\x9a\x64inger\n", u"Schr\u00f6dinger\n"},
        {"empty", "", nullptr},
    };
    for (const auto &[name, bytes, expected] : rows) {
        const std::optional<QString> text = WordListFile::decodeWordFile(bytes);
        EXPECT_EQ(text.value_or(u"<nothing>"_s),
                  expected ? QString::fromUtf16(expected) : u"<nothing>"_s)
            << name;
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
    EXPECT_EQ(missing.words, QStringList{u"with"_s});
}

TEST(WordListFile, importSummaryNamesTheWordsOrCountsThem)
{
    // words, added, ignored, readable
    const WordListFile::ImportResult one{{}, {u"Bohr"_s}, 1, true};
    const WordListFile::ImportResult many{{}, {u"Bohr"_s, u"Dirac"_s, u"Fermi"_s}, 4, true};
    EXPECT_FALSE(WordListFile::importSummaryAlert({}).message.isEmpty());
    EXPECT_TRUE(WordListFile::importSummaryAlert(one).message.contains(u"Bohr"_s));
    const QString manyText = WordListFile::importSummaryAlert(many).message;
    EXPECT_TRUE(manyText.contains(u'3') && manyText.contains(u'4')) << qPrintable(manyText);
}
