#include "storage/SafeFileWriter.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

using QfTest::readAll;
using QfTest::writeAll;

// A device that takes part of the data and then fails, like a full disk.
class FailingWriter : public SafeFileWriter
{
protected:
    bool writeData(QIODevice &device, const QByteArray &data) override
    {
        device.write(data.left(data.size() / 2));
        return false;
    }
};

// Writes what `alter` makes of the data and reports success.
class AlteringWriter : public SafeFileWriter
{
public:
    explicit AlteringWriter(std::function<QByteArray(QByteArray)> alter) : m_alter(std::move(alter))
    {}

protected:
    bool writeData(QIODevice &device, const QByteArray &data) override
    {
        const QByteArray written = m_alter(data);
        return device.write(written) == written.size();
    }

private:
    std::function<QByteArray(QByteArray)> m_alter;
};

class RenameFailingWriter : public SafeFileWriter
{
protected:
    bool replaceFile(const QString &, const QString &, QString &detail) override
    {
        detail = u"injected"_s;
        return false;
    }
};

class SafeFileWriterTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    SafeFileWriter writer;
    SafeFileWriter::Failure failure;
    QString path(const QString &name) const { return dir.filePath(name); }
};

} // namespace

// Backups rotate newest first; gaps are filled without inventing backups.
TEST_F(SafeFileWriterTest, rotatesBackupsNewestFirst)
{
    // Files before and after as "suffix=content"; "" is the file itself.
    const std::tuple<const char *, int, const char *> rows[] = {
        {"=now .1=one .2=two .3=three", 3, "=new .1=now .2=one .3=two"},
        {"=now .2=two", 3, "=new .1=now .3=two"}, // a gap
        {"=old", 0, "=new"},
        {"", 5, "=new"}, // a new file
    };
    for (const auto &[before, backups, expected] : rows) {
        SCOPED_TRACE(before);
        QTemporaryDir local;
        const QString file = local.filePath(u"a.bib"_s);
        for (const QString &entry : QString::fromUtf8(before).split(u' ', Qt::SkipEmptyParts))
            writeAll(file + entry.section(u'=', 0, 0), entry.section(u'=', 1).toUtf8());
        ASSERT_TRUE(writer.writeFile(file, "new", backups, {}, failure))
            << qPrintable(failure.detail);
        QStringList after;
        for (const QString &name :
             QDir(local.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name))
            after << name.mid(5) + u'=' + QString::fromUtf8(readAll(local.filePath(name)));
        EXPECT_EQ(after.join(u' '), QString::fromUtf8(expected));
    }
}

// The new file keeps the old one's permissions; a link stays a link to its
// target, which is written; the verifier sees the bytes on disk.
TEST_F(SafeFileWriterTest, replacedFileKeepsPermissionsAndLinksAndIsVerified)
{
    const QString real = path(u"real.bib"_s);
    const QString link = path(u"link.bib"_s);
    writeAll(real, "old");
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(real, mode));
    ASSERT_TRUE(QFile::link(real, link));
    QByteArray seen;
    const auto verify = [&seen](const QByteArray &bytes, QString &) {
        seen = bytes;
        return true;
    };
    ASSERT_TRUE(writer.writeFile(link, "new", 1, verify, failure));
    EXPECT_EQ(seen, "new");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readAll(real), "new");
    EXPECT_EQ(readAll(link + u".1"_s), "old");
    EXPECT_EQ(QFile::permissions(real) & 0x7077, mode & 0x7077);
}

// Every way a write can fail leaves the file and its backups exactly as they were.
TEST_F(SafeFileWriterTest, failedWritesLeaveFileAndBackupsUntouched)
{
    const auto refuse = [](const QByteArray &, QString &detail) {
        detail = u"entries differ"_s;
        return false;
    };
    FailingWriter diskFull;
    AlteringWriter corrupting(
        [](QByteArray data) { return data.replace(data.size() / 2, 1, "X"); });
    SafeFileWriter plain;
    RenameFailingWriter renameFails;
    // (name, writer, verifier, backups after)
    const std::tuple<const char *, SafeFileWriter *, SafeFileWriter::Verifier, QByteArray> rows[] =
        {
            {"disk full midway", &diskFull, {}, "one<absent>"},
            {"a byte corrupted, as a bad disk might", &corrupting, {}, "one<absent>"},
            {"verifier refuses", &plain, refuse, "one<absent>"},
            {"rename fails: the backups may rotate", &renameFails, {}, "oldone"},
        };
    for (const auto &[name, failing, verify, backups] : rows) {
        SCOPED_TRACE(name);
        QTemporaryDir local;
        const QString file = local.filePath(u"a.bib"_s);
        writeAll(file, "old");
        writeAll(file + u".1"_s, "one");
        EXPECT_FALSE(failing->writeFile(file, "new contents", 2, verify, failure));
        EXPECT_EQ(failure.key + u' ' + failure.path, u"BackupError_Save "_s + file);
        EXPECT_EQ(readAll(file), "old");
        EXPECT_EQ(readAll(file + u".1"_s) + readAll(file + u".2"_s), backups);
        for (const QString &left :
             QDir(local.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot))
            EXPECT_FALSE(left.startsWith(u'.')) << qPrintable(left);
    }
}

// A folder at the path, or a path in a missing folder, is refused before anything moves.
TEST_F(SafeFileWriterTest, aFolderOrAMissingFolderAtThePathIsRefused)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"a.bib"_s));
    writeAll(path(u"a.bib.1"_s), "one");
    for (const QString &file : {path(u"a.bib"_s), path(u"no/such/folder/a.bib"_s)}) {
        EXPECT_FALSE(writer.writeFile(file, "new", 2, {}, failure));
        EXPECT_EQ(failure.key + u' ' + failure.path, u"BackupError_Save "_s + file);
    }
    EXPECT_TRUE(QFileInfo(path(u"a.bib"_s)).isDir());
    EXPECT_EQ(readAll(path(u"a.bib.1"_s)), "one");
}

// A backup name that is a folder stops the save: nothing is written, moved or
// removed, and the failure names the folder.
TEST_F(SafeFileWriterTest, aFolderAmongTheBackupNamesIsNeverRemovedNorMoved)
{
    for (const int folderIndex : {3, 1, 2}) { // oldest, newest, middle
        SCOPED_TRACE(folderIndex);
        QTemporaryDir local;
        const QString file = local.filePath(u"refs.bib"_s);
        writeAll(file, "now");
        const QString folder = file + u'.' + QString::number(folderIndex);
        for (int i = 1; i <= 3; ++i)
            writeAll(file + u'.' + QString::number(i), QByteArray::number(i));
        ASSERT_TRUE(QFile::remove(folder) && QDir().mkdir(folder));
        writeAll(folder + u"/inside.txt"_s, "keep");
        EXPECT_FALSE(writer.writeFile(file, "new", 3, {}, failure));
        EXPECT_EQ(failure.key + u' ' + failure.path, u"BackupError_Folder "_s + folder);
        EXPECT_EQ(readAll(file), "now");
        EXPECT_EQ(readAll(folder + u"/inside.txt"_s), "keep");
        for (int i = 1; i <= 3; ++i)
            EXPECT_TRUE(i == folderIndex ||
                        readAll(file + u'.' + QString::number(i)) == QByteArray::number(i));
        // The rotation alone refuses as well.
        EXPECT_FALSE(SafeFileWriter::rotateBackups(file, 3, failure));
        EXPECT_TRUE(QFileInfo(folder).isDir());
        // With fewer backups the folder's name is not a backup name.
        EXPECT_TRUE(writer.writeFile(file, "new", folderIndex - 1, {}, failure));
        EXPECT_EQ(readAll(folder + u"/inside.txt"_s), "keep");
    }
}

// A symbolic link to a folder as the oldest backup is removed as a link; the
// folder it points to stays.
TEST_F(SafeFileWriterTest, aLinkToAFolderAsOldestBackupRemovesOnlyTheLink)
{
    const QString file = path(u"a.bib"_s);
    const QString folder = path(u"keep"_s);
    writeAll(file, "now");
    ASSERT_TRUE(QDir().mkdir(folder));
    writeAll(folder + u"/inside.txt"_s, "keep");
    ASSERT_TRUE(QFile::link(folder, file + u".1"_s));
    ASSERT_TRUE(writer.writeFile(file, "new", 1, {}, failure)) << qPrintable(failure.key);
    EXPECT_EQ(readAll(file + u".1"_s), "now");
    EXPECT_EQ(readAll(folder + u"/inside.txt"_s), "keep");
}

// The file is read back a megabyte at a time: a difference anywhere, a
// missing end or bytes too many are found.
TEST_F(SafeFileWriterTest, readBackFindsEveryDifferenceOfALargeFile)
{
    const std::pair<const char *, std::function<QByteArray(QByteArray)>> rows[] = {
        {"a byte past the first megabyte",
         [](QByteArray data) { return data.replace((1 << 20) + 5, 1, "X"); }},
        {"the last byte missing", [](QByteArray data) { return data.chopped(1); }},
        {"a byte too many", [](QByteArray data) { return data + 'x'; }},
    };
    const QByteArray data(3 * (1 << 20) + 17, 'a');
    for (const auto &[name, alter] : rows) {
        const QString file = path(QString::fromUtf8(name) + u".bib"_s);
        EXPECT_FALSE(AlteringWriter(alter).writeFile(file, data, 0, {}, failure)) << name;
        EXPECT_EQ(failure.detail, u"the bytes read back differ"_s) << name;
        EXPECT_FALSE(QFile::exists(file)) << name;
    }
    EXPECT_TRUE(AlteringWriter([](QByteArray same) {
                    return same;
                }).writeFile(path(u"same.bib"_s), data, 0, {}, failure));
}
