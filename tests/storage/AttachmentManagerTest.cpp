#include "storage/AttachmentManager.h"

#include "TestFiles.h"
#include "core/AlertPresenter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using QfTest::readAll;
using QfTest::writeAll;

class AttachmentManagerTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString database; // the database's folder
    QString outside;  // where dropped files come from
    AttachmentManager::Settings settings;

    void SetUp() override
    {
        database = dir.filePath(u"bib"_s);
        outside = dir.filePath(u"downloads"_s);
        ASSERT_TRUE(QDir().mkpath(database));
        ASSERT_TRUE(QDir().mkpath(outside));
        settings.mode = 1;
        settings.attachmentFolder = database + u"/Attachments"_s;
        settings.renameAfterBibkey = true;
        settings.keepFullPath = false;
        const QString folder = database;
        settings.relativePathOf = [folder](const QString &path) {
            return path.startsWith(folder + u'/') ? path.mid(folder.size() + 1) : path;
        };
    }

    AttachmentManager::Failure failure;

    std::optional<QString> append(const QStringList &files, const QString &key,
                                  const QString &current = {})
    {
        failure = {};
        return AttachmentManager::appendAttachments(files, key, current, !current.isEmpty(),
                                                    settings, failure);
    }

    QString dropped(const QString &name, const QByteArray &data = "pdf")
    {
        const QString path = outside + u'/' + name;
        writeAll(path, data);
        return path;
    }
};

} // namespace

TEST(AttachmentNames, keyBecomesAFileSystemName)
{
    EXPECT_EQ(AttachmentManager::nameForFile(u"Smith:2001.a/b\u00a0c\u3000d"_s),
              u"Smith_2001_a_b_c_d"_s);
}

// `stored` is the path the entry keeps: "D" stands for the database's folder,
// "O" for the folder the file came from.
TEST_F(AttachmentManagerTest, singleFileInEachMode)
{
    struct Row
    {
        const char *name;
        int mode;
        bool rename, keepFullPath;
        const char *stored;
        bool originalStays, isLink;
    };
    const Row rows[] = {
        {"copy renamed", 1, true, false, "Attachments/doe99.PDF", true, false},
        {"copy keeps name", 1, false, false, "Attachments/paper.PDF", true, false},
        {"move renamed", 2, true, false, "Attachments/doe99.PDF", false, false},
        {"link renamed", 3, true, false, "Attachments/doe99.PDF", true, true},
        {"left in place, renamed there", 0, true, false, "O/doe99.PDF", false, false},
        {"full path kept", 1, true, true, "D/Attachments/doe99.PDF", true, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        const QString source = dropped(u"paper.PDF"_s, row.name);
        settings.mode = row.mode;
        settings.renameAfterBibkey = row.rename;
        settings.keepFullPath = row.keepFullPath;
        const auto stored = append({source}, u"doe99"_s);
        ASSERT_TRUE(stored.has_value()) << qPrintable(failure.key);
        const QString expected = QString::fromUtf8(row.stored);
        const QString start = expected.startsWith(u"D/")   ? database + u'/'
                              : expected.startsWith(u"O/") ? outside + u'/'
                                                           : QString();
        EXPECT_EQ(*stored, start.isEmpty() ? expected : start + expected.mid(2));
        const QString destination = stored->startsWith(u'/') ? *stored : database + u'/' + *stored;
        EXPECT_EQ(readAll(destination), QByteArray(row.name));
        EXPECT_EQ(QFile::exists(source), row.originalStays);
        EXPECT_EQ(QFileInfo(destination).isSymLink(), row.isLink);
        EXPECT_EQ(QFileInfo::exists(settings.attachmentFolder), row.mode != 0);
        QDir(settings.attachmentFolder).removeRecursively();
    }
}

// Appending to a single file makes a folder holding both, to a folder adds to
// it, to a missing file replaces it; several files go into a key folder, whose
// name gets a suffix when taken.
TEST_F(AttachmentManagerTest, appendingToAFileOrAFolderAndSeveralFiles)
{
    const QString folder = settings.attachmentFolder + u"/doe99"_s;
    const QString single =
        database + u'/' + append({dropped(u"a.pdf"_s, "A")}, u"doe99"_s).value_or(QString());
    EXPECT_EQ(append({dropped(u"b.pdf"_s, "B")}, u"doe99"_s, single).value_or(failure.key),
              u"Attachments/doe99"_s);
    EXPECT_FALSE(QFile::exists(single));
    EXPECT_EQ(append({dropped(u"c.pdf"_s, "C")}, u"doe99"_s, folder).value_or(failure.key),
              u"Attachments/doe99"_s);
    EXPECT_EQ(readAll(folder + u"/doe99.pdf"_s) + readAll(folder + u"/b.pdf"_s) +
                  readAll(folder + u"/c.pdf"_s),
              "ABC");
    EXPECT_EQ(append({dropped(u"d.pdf"_s, "D"), dropped(u"e.pdf"_s, "E")}, u"doe99"_s)
                  .value_or(failure.key),
              u"Attachments/doe99_1"_s);
    EXPECT_EQ(readAll(folder + u"_1/d.pdf"_s) + readAll(folder + u"_1/e.pdf"_s), "DE");
    EXPECT_EQ(
        append({dropped(u"f.pdf"_s)}, u"other"_s, database + u"/gone.pdf"_s).value_or(failure.key),
        u"Attachments/other.pdf"_s);
}

TEST_F(AttachmentManagerTest, overwriteQuestionDecidesAndIsAskedOnce)
{
    const QString taken = settings.attachmentFolder + u"/doe99.pdf"_s;
    ASSERT_TRUE(QDir().mkpath(settings.attachmentFolder));
    writeAll(taken, "OLD");
    for (const int answer : {1, 0}) { // Cancel, Overwrite
        ScriptedAlertPresenter alerts({answer});
        EXPECT_EQ(append({dropped(u"n.pdf"_s, "NEW")}, u"doe99"_s).has_value(), answer == 0);
        EXPECT_TRUE(failure.key.isEmpty());
        ASSERT_EQ(alerts.requests().size(), 1u);
        EXPECT_EQ(alerts.requests()[0].alternateButton, u"Overwrite"_s);
        EXPECT_EQ(readAll(taken), answer == 0 ? "NEW" : "OLD");
    }
}

// The headless answer never overwrites; overwriting a folder removes its contents.
TEST_F(AttachmentManagerTest, overwritingIsAskedAndAFolderLosesItsContents)
{
    const QString existing = dir.filePath(u"taken.pdf"_s);
    writeAll(existing, "KEEP");
    EXPECT_FALSE(AttachmentManager::checkOverwriteFile(existing, failure));
    EXPECT_EQ(readAll(existing), "KEEP");
    const QString folder = dir.filePath(u"taken"_s);
    ASSERT_TRUE(QDir().mkpath(folder + u"/inner"_s));
    writeAll(folder + u"/inner/x"_s, "x");
    ScriptedAlertPresenter alerts({0});
    EXPECT_TRUE(AttachmentManager::checkOverwriteFile(folder, failure));
    EXPECT_FALSE(QFileInfo::exists(folder));
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_TRUE(alerts.requests()[0].message.contains(folder));
}

// Failures name the operation and the path: a file where the attachment
// folder should be, a missing source to copy or to move.
TEST_F(AttachmentManagerTest, failuresNameTheOperationAndThePath)
{
    writeAll(settings.attachmentFolder, "not a folder");
    EXPECT_FALSE(append({dropped(u"x.pdf"_s)}, u"k"_s));
    EXPECT_EQ(failure.key + u' ' + failure.path,
              u"FileError_CreateFolder "_s + settings.attachmentFolder);
    QFile::remove(settings.attachmentFolder);
    for (const auto &[mode, key] : {std::pair{1, u"FileError_Copy"_s}, {2, u"FileError_Move"_s}}) {
        settings.mode = mode;
        EXPECT_FALSE(append({outside + u"/none.pdf"_s}, u"k"_s));
        EXPECT_EQ(failure.key + u' ' + failure.path,
                  key + u' ' + settings.attachmentFolder + u"/k.pdf"_s);
    }
}

TEST_F(AttachmentManagerTest, trashTakesTheFileAwayIntoTheDataFolder)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QDir(data).removeRecursively(); // the data folder need not exist beforehand
    const QString file = dropped(u"old.pdf"_s);
    ASSERT_TRUE(AttachmentManager::moveFileToUserTrash(file));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(QFileInfo::exists(data + u"/Trash/files/old.pdf"_s));
    EXPECT_FALSE(QFileInfo::exists(QDir::currentPath() + u"/Trash"_s) &&
                 QFileInfo::exists(QDir::currentPath() + u"/Trash/files/old.pdf"_s));
}
