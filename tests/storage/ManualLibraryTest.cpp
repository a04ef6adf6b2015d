#include "storage/ManualLibrary.h"

#include "LibraryTestSupport.h"
#include "TestFiles.h"
#include "core/AlertPresenter.h"
#include "core/ArchiveJson.h"
#include "storage/SmartLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QStringList kRowsA = {u"a1|article|author = {Doe, Jane}, title = {First}"_s,
                            u"a2|book|author = {Roe, Max}, title = {Second}"_s};
const QStringList kRowsB = {u"b1|article|author = {Poe, Ed}, title = {Third}"_s,
                            u"shared|misc|title = {From B}"_s};

ManualLibrary *addLibrary(LibraryTree &tree, std::unique_ptr<ManualLibrary> library)
{
    return static_cast<ManualLibrary *>(tree.root().insertChild(std::move(library), -1));
}

QVariantMap storedContent(const ManualLibrary &library)
{
    QString errorKey;
    QString systemError;
    return ArchiveJson::readFile(library.libraryFilePath(), u"manlib"_s, errorKey, systemError)
        .value_or(QVariant())
        .toMap();
}

// The tree entry of a library "Picked" holding `fromA` of A (`rowsA`) and
// `fromB` of B, saved; the databases are closed again.
QVariantMap savedLibrary(const QStringList &rowsA, const QString &fromA, const QString &fromB)
{
    LibraryTree tree;
    LocalDatabase *a = tree.open(LibraryTree::makeDatabase(u"A"_s, rowsA));
    LocalDatabase *b = tree.open(LibraryTree::makeDatabase(u"B"_s, kRowsB));
    ManualLibrary *library = addLibrary(tree, ManualLibrary::manualLibraryWithName(u"Picked"_s));
    EXPECT_TRUE(library->addCopyOfBibItem(a->bibItemForKey(fromA)));
    EXPECT_TRUE(library->addCopyOfBibItem(b->bibItemForKey(fromB)));
    EXPECT_TRUE(library->saveManualLibs());
    return library->makeTreeDictionary().value(u"Database Tree Property"_s).toMap();
}

class ManualLibraryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setUpLibraryServices();
        // Each test starts with an empty support folder.
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir(folder).removeRecursively();
    }
};

} // namespace

TEST_F(ManualLibraryTest, membersSurviveARestartLiveOrStray)
{
    const QVariantMap treeEntry = savedLibrary(kRowsA, u"a1"_s, u"b1"_s);
    // Restart with only A open.
    LibraryTree tree;
    LocalDatabase *a = tree.open(LibraryTree::makeDatabase(u"A"_s, kRowsA));
    auto restored = ManualLibrary::manualLibraryWithDictionary(treeEntry);
    ASSERT_TRUE(restored);
    ManualLibrary *library = addLibrary(tree, std::move(restored));
    EXPECT_EQ(library->description(), u"Picked"_s);
    ASSERT_TRUE(library->remainingItemsDic().has_value());
    tree.root().databaseOpened(a); // nothing happens before the members are resolved
    EXPECT_EQ(library->numItems(), 0);

    library->loadRemainingItems();
    EXPECT_FALSE(library->remainingItemsDic().has_value());
    ASSERT_EQ(library->numItems(), 2);
    const BibItemPtr liveA = a->bibItemForKey(u"a1"_s);
    EXPECT_TRUE(library->containsItem(liveA.get()));
    const BibItemPtr strayB = library->allItems()->at(liveA == library->allItems()->front());
    EXPECT_TRUE(strayB->strayItem());
    EXPECT_EQ(strayB->promisedDbID() + strayB->fieldDataForView(u"title"_s), u"BThird"_s);

    // B opens: its member becomes the live entry.
    LocalDatabase *b = tree.open(LibraryTree::makeDatabase(u"B"_s, kRowsB));
    EXPECT_EQ(library->numItems(), 2);
    EXPECT_TRUE(library->containsItem(b->bibItemForKey(u"b1"_s).get()));
    EXPECT_FALSE(library->containsItem(strayB.get()));
}

// Only live entries are added; removing leaves them in their database; closing
// the database keeps its members as stray entries, written back with the library.
TEST_F(ManualLibraryTest, membersAreLiveEntriesAndStayAsStrayOnesWhenTheirDatabaseCloses)
{
    LibraryTree tree;
    LocalDatabase *a = tree.open(LibraryTree::makeDatabase(u"A"_s, kRowsA));
    ManualLibrary *library = addLibrary(tree, ManualLibrary::manualLibrary());
    const BibItemPtr stray = BibItem::bibItemOfKey(u"a1"_s, {{u"title"_s, u"Copy"_s}});
    EXPECT_TRUE(library->addCopyOfBibItem(stray) == nullptr && library->numItems() == 0);
    EXPECT_EQ(library->addCopyOfBibItem(a->bibItemForKey(u"a1"_s)), a->bibItemForKey(u"a1"_s));
    EXPECT_TRUE(library->isDirty());
    ASSERT_TRUE(library->addCopyOfBibItem(a->bibItemForKey(u"a2"_s)));
    EXPECT_EQ(library->removeBibItems({a->bibItemForKey(u"a1"_s)}, true), 1);
    EXPECT_EQ(a->numItems(), 2);
    tree.close(a).reset(); // the database is gone
    ASSERT_EQ(library->numItems(), 1);
    EXPECT_TRUE(library->allItems()->front()->strayItem());
    ASSERT_TRUE(library->saveManualLibs());
    const QVariantMap record =
        storedContent(*library).value(u"Bib Item List"_s).toMap().value(u"a2"_s).toMap();
    EXPECT_EQ(record.value(u"PromisedID"_s).toString() + record.value(u"title"_s).toString() +
                  record.value(u"bibtype"_s).toString().toLower(),
              u"ASecondbook"_s);
}

// An unchanged library is not written again; a failed write is reported and
// the change mark stays.
TEST_F(ManualLibraryTest, onlyAChangedLibraryIsWrittenAndAFailureKeepsTheMark)
{
    LibraryTree tree;
    LocalDatabase *a = tree.open(LibraryTree::makeDatabase(u"A"_s, kRowsA));
    ManualLibrary *library = addLibrary(tree, ManualLibrary::manualLibrary());
    library->addCopyOfBibItem(a->bibItemForKey(u"a1"_s));
    ASSERT_TRUE(tree.root().saveManualLibs());
    ASSERT_TRUE(QFile::remove(library->libraryFilePath()));
    EXPECT_TRUE(library->saveManualLibs());
    EXPECT_FALSE(QFileInfo::exists(library->libraryFilePath()));
    library->addCopyOfBibItem(a->bibItemForKey(u"a2"_s));
    // A folder where the file should be makes the write fail.
    ASSERT_TRUE(QDir().mkpath(library->libraryFilePath()));
    ScriptedAlertPresenter alerts;
    EXPECT_FALSE(library->saveManualLibs());
    EXPECT_TRUE(library->isDirty());
    ASSERT_EQ(alerts.requests().size(), 1u);
    EXPECT_TRUE(alerts.requests().front().message.contains(library->libraryFilePath()));
}

// A stray file becomes a library named after it; an unreadable one makes none.
TEST_F(ManualLibraryTest, strayFileBecomesALibraryNamedAfterIt)
{
    LibraryTree tree;
    LocalDatabase *a = tree.open(LibraryTree::makeDatabase(u"A"_s, kRowsA));
    ManualLibrary *saved = addLibrary(tree, ManualLibrary::manualLibraryWithName(u"Found"_s));
    saved->addCopyOfBibItem(a->bibItemForKey(u"a2"_s));
    ASSERT_TRUE(saved->saveManualLibs());
    const QString folder = QFileInfo(saved->libraryFilePath()).absolutePath();
    ASSERT_TRUE(QFile::copy(saved->libraryFilePath(), folder + u"/StrayID123.manlib"_s));
    auto library = ManualLibrary::manualLibraryWithFile(folder + u"/StrayID123.manlib"_s);
    ASSERT_TRUE(library);
    EXPECT_EQ(library->uniqueID() + library->description(), u"StrayID123Found"_s);
    ManualLibrary *node = addLibrary(tree, std::move(library));
    node->loadRemainingItems();
    ASSERT_EQ(node->numItems(), 1);
    EXPECT_EQ(node->allItems()->front().get(), a->bibItemForKey(u"a2"_s).get());

    QfTest::writeAll(folder + u"/Broken.manlib"_s, "not an archive");
    EXPECT_TRUE(ManualLibrary::manualLibraryWithFile(folder + u"/Broken.manlib"_s) == nullptr);
    EXPECT_TRUE(ManualLibrary::manualLibraryWithDictionary(
                    {{u"unique ID"_s, u"Missing"_s}, {u"kind"_s, 4}}) == nullptr);
}

TEST_F(ManualLibraryTest, membersWithTheSameKeyFromTwoDatabasesAreBothKept)
{
    const QVariantMap treeEntry =
        savedLibrary({u"shared|misc|title = {From A}"_s}, u"shared"_s, u"shared"_s);
    LibraryTree tree;
    auto restored = ManualLibrary::manualLibraryWithDictionary(treeEntry);
    ASSERT_TRUE(restored);
    ManualLibrary *library = addLibrary(tree, std::move(restored));
    library->loadRemainingItems();
    ASSERT_EQ(library->numItems(), 2);
    QStringList titles;
    for (const BibItemPtr &item : *library->allItems()) {
        EXPECT_EQ(item->bibKey(), u"shared"_s);
        titles << item->fieldDataForView(u"title"_s);
    }
    titles.sort();
    EXPECT_EQ(titles, (QStringList{u"From A"_s, u"From B"_s}));
}

// A saved library comes back through the tree's factory; its file goes to the trash.
TEST_F(ManualLibraryTest, treeRebuildsManualLibrariesAndTheFileGoesToTheTrash)
{
    SmartLibrary::registerLibraryKinds();
    LibraryTree tree;
    ManualLibrary *library = addLibrary(tree, ManualLibrary::manualLibraryWithName(u"Kept"_s));
    EXPECT_TRUE(library->trashLibDataFile()) << "no file: nothing to do";
    library->setDirty(true);
    ASSERT_TRUE(library->saveManualLibs());
    auto root = BibDatabase::createRootNodeWithDictionary(
        {{u"Database Tree Children"_s, QVariantList{library->makeTreeDictionary()}}});
    ASSERT_EQ(root->numberOfChildren(), 1);
    EXPECT_TRUE(root->firstChild()->isManualLib());
    EXPECT_EQ(root->firstChild()->description(), u"Kept"_s);
    const QString path = library->libraryFilePath();
    ASSERT_TRUE(QFileInfo::exists(path));
    EXPECT_TRUE(library->trashLibDataFile());
    EXPECT_FALSE(QFileInfo::exists(path));
}
