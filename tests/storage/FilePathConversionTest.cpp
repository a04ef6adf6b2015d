#include "TestFiles.h"
#include "storage/FilePathFormatConvert.h"
#include "storage/FileUtilities.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

TEST(FilePathFormatConvert, volumePathsBecomeUnixPaths)
{
    const QStringList data = {u"/Volumes/Data"_s};
    // (path, mounted volumes, Unix path)
    const std::tuple<QString, QStringList, QString> rows[] = {
        {u"papers/x.pdf"_s, data, u"papers/x.pdf"_s}, // no colon
        {u"Data:papers:x.pdf"_s, data, u"/Volumes/Data/papers/x.pdf"_s},
        {u"Data:x.pdf"_s, {u"/media/me/Data/"_s}, u"/media/me/Data/x.pdf"_s},
        {u"Data:papers:x.pdf"_s, {u"/mnt/Other"_s}, u"/papers/x.pdf"_s}, // unknown volume
        {u"x:a.pdf"_s, {u"/"_s}, u"/a.pdf"_s}, // the root is never a volume
        {u"/home/me/paper: a study.pdf"_s, data, u"/home/me/paper: a study.pdf"_s},
        {u"~/a:b.pdf"_s, {}, u"~/a:b.pdf"_s},
        {u"https://example.org/a.pdf"_s, {}, u"https://example.org/a.pdf"_s},
    };
    for (const auto &[path, mounts, expected] : rows)
        EXPECT_EQ(FilePathFormatConvert::convertToUnix(path, mounts), expected)
            << path.toStdString();
    EXPECT_FALSE(FilePathFormatConvert::mountedVolumePaths().contains(u"/"_s));
}

TEST(FileUtilities, resolvesSymbolicLinksOnly)
{
    QTemporaryDir dir;
    const QString real = dir.filePath(u"real.bib"_s);
    QfTest::writeAll(real, {});
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
