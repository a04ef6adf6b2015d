// A save never removes or moves a folder that has a backup's name.
#include "CliRunner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(CliBackupFolder, saveIsRefusedWithAMessageNamingTheFolder)
{
    QTemporaryDir dir;
    const QString bib = dir.filePath(u"refs.bib"_s);
    const QByteArray original = "@article{a, title = {Alpha}}\n";
    {
        QFile file(bib);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(original);
    }
    const QString folder = bib + u".1"_s;
    ASSERT_TRUE(QDir().mkdir(folder));
    {
        QFile inside(folder + u"/notes.txt"_s);
        ASSERT_TRUE(inside.open(QIODevice::WriteOnly));
        inside.write("keep");
    }
    const CliRun run = runCli({u"save"_s, bib}, {}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(folder)) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(u"folder"_s)) << run.err.toStdString();
    QFile inside(folder + u"/notes.txt"_s);
    ASSERT_TRUE(inside.open(QIODevice::ReadOnly));
    EXPECT_EQ(inside.readAll(), "keep");
    QFile file(bib);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), original);
}
