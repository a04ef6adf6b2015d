#include "storage/FilePathFormatConvert.h"
#include "storage/FileUtilities.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(FilePathFormatConvert, volumePathsBecomeUnixPaths)
{
    struct Row
    {
        const char *name;
        QString path;
        QStringList mounts;
        QString expected;
    };
    const Row rows[] = {
        {"no colon is unchanged", u"papers/x.pdf"_s, {u"/Volumes/Data"_s}, u"papers/x.pdf"_s},
        {"mounted volume",
         u"Data:papers:x.pdf"_s,
         {u"/Volumes/Data"_s},
         u"/Volumes/Data/papers/x.pdf"_s},
        {"mount with trailing slash",
         u"Data:x.pdf"_s,
         {u"/media/me/Data/"_s},
         u"/media/me/Data/x.pdf"_s},
        {"unknown volume starts at root",
         u"Data:papers:x.pdf"_s,
         {u"/mnt/Other"_s},
         u"/papers/x.pdf"_s},
        {"root is never a volume", u"x:a.pdf"_s, {u"/"_s}, u"/a.pdf"_s},
        {"absolute path with a colon in a name",
         u"/home/me/paper: a study.pdf"_s,
         {u"/Volumes/Data"_s},
         u"/home/me/paper: a study.pdf"_s},
        {"home path with a colon", u"~/a:b.pdf"_s, {}, u"~/a:b.pdf"_s},
        {"url", u"https://example.org/a.pdf"_s, {}, u"https://example.org/a.pdf"_s},
    };
    for (const Row &row : rows)
        EXPECT_EQ(FilePathFormatConvert::convertToUnix(row.path, row.mounts), row.expected)
            << row.name;
}

TEST(FilePathFormatConvert, mountedVolumesNeverIncludeTheRoot)
{
    EXPECT_FALSE(FilePathFormatConvert::mountedVolumePaths().contains(u"/"_s));
}

TEST(FileUtilities, resolvesSymbolicLinksOnly)
{
    QTemporaryDir dir;
    const QString real = dir.filePath(u"real.bib"_s);
    {
        QFile file(real);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString link = dir.filePath(u"link.bib"_s);
    const QString chain = dir.filePath(u"chain.bib"_s);
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(QFile::link(link, chain));
    const QString canonicalReal = QFileInfo(real).canonicalFilePath();
    EXPECT_EQ(FileUtilities::resolvAliasAndSymlink(real), real);
    EXPECT_EQ(FileUtilities::resolvAliasAndSymlink(link), canonicalReal);
    EXPECT_EQ(FileUtilities::resolvAliasAndSymlink(chain), canonicalReal);
    EXPECT_EQ(FileUtilities::resolvAliasAndSymlink(QString()), QString());

    const QString dangling = dir.filePath(u"dangling.bib"_s);
    ASSERT_TRUE(QFile::link(dir.filePath(u"gone.bib"_s), dangling));
    EXPECT_EQ(FileUtilities::resolvAliasAndSymlink(dangling), dir.filePath(u"gone.bib"_s));
}
