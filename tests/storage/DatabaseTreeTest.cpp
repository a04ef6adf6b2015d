#include "StorageTestSupport.h"

#include "core/AlertPresenter.h"
#include "model/BibElement.h"
#include "model/BibItem.h"
#include "storage/BibDatabase.h"
#include "storage/DatabaseGroup.h"
#include "storage/LibraryGroup.h"
#include "storage/LocalDatabase.h"

#include <tuple>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QVariantMap node(const QVariantMap &properties)
{
    return {{u"Database Tree Property"_s, properties}};
}

QVariantMap group(int kind, const QVariantList &children, const QString &id = {})
{
    QVariantMap p{
        {u"kind"_s, kind}, {u"expanded"_s, true}, {u"Database Tree Children"_s, children}};
    if (!id.isEmpty())
        p.insert(u"unique ID"_s, id);
    return p;
}

std::vector<QString> descriptions(const BibDatabase &parent)
{
    std::vector<QString> list;
    for (BibDatabase *child : parent.children())
        list.push_back(child->description());
    return list;
}

std::unique_ptr<BibDatabase> namedGroup(const QString &name)
{
    return LibraryGroup::libGroupWithName(name, {});
}

} // namespace

// ---- the tree dictionary

TEST(DatabaseTree, unknownKindsWrongPlacesAndMissingFilesAreSkipped)
{
    const QVariantMap library = group(2, {}, u"L1"_s);
    const QVariantMap root =
        group(0, {node(group(1, {node(library)})), node({{u"kind"_s, 7}}), node(library)});
    EXPECT_EQ(BibDatabase::createRootNodeWithDictionary({})->numberOfChildren(), 0);
    auto tree = BibDatabase::createRootNodeWithDictionary(root);
    ASSERT_EQ(tree->numberOfChildren(), 2);
    EXPECT_TRUE(tree->childAtIndex(0)->isDatabaseNode());
    EXPECT_EQ(tree->childAtIndex(0)->numberOfChildren(), 0); // the database group holds no library
    EXPECT_TRUE(tree->childAtIndex(1)->isLibraryGroup());
    EXPECT_EQ(tree->childAtIndex(1)->uniqueID(), u"L1"_s);
    // A database whose file is missing is left out, with an alert.
    ScriptedAlertPresenter presenter;
    const QVariantMap missing{{u"kind"_s, 5}, {u"Full Path"_s, u"/no/such/file.bib"_s}};
    tree = BibDatabase::createRootNodeWithDictionary(group(0, {node(group(1, {node(missing)}))}));
    EXPECT_EQ(tree->childAtIndex(0)->numberOfChildren(), 0);
    EXPECT_EQ(presenter.requests().size(), 1u);
}

TEST(DatabaseTree, treeDictionaryRoundTrips)
{
    BibFixture fixture;
    const QString path = fixture.write(u"a.bib"_s, "@misc{k, title={T}}\n");
    const QVariantMap database{{u"kind"_s, 5},
                               {u"Full Path"_s, path},
                               {u"unique ID"_s, u"DB1"_s},
                               {u"Text Encoding"_s, 5},
                               {u"Line Ending Code"_s, 1},
                               {u"attachment_mode"_s, 2},
                               {u"keep_full_path"_s, true},
                               {u"expanded"_s, false},
                               {u"description"_s, u"Mine"_s}};
    const QVariantMap libraries = group(2, {node(group(2, {}, u"Inner"_s))}, u"Outer"_s);
    auto tree = BibDatabase::createRootNodeWithDictionary(
        group(0, {node(group(1, {node(database)})), node(libraries)}));
    const QVariantMap written = tree->makeTreeDictionary();
    auto again = BibDatabase::createRootNodeWithDictionary(
        written.value(u"Database Tree Property"_s).toMap());
    // The root gets fresh properties of its own; everything below comes back.
    const auto children = [](const QVariantMap &dictionary) {
        return dictionary.value(u"Database Tree Property"_s)
            .toMap()
            .value(u"Database Tree Children"_s);
    };
    EXPECT_EQ(children(again->makeTreeDictionary()), children(written));
    auto *local = dynamic_cast<LocalDatabase *>(again->childAtIndex(0)->childAtIndex(0));
    ASSERT_TRUE(local);
    EXPECT_EQ(local->encoding(), 5u);
    EXPECT_TRUE(local->keepFullPath());
}

// ---- structure

// Moves as the outline drops: (node moved, index given, order after).
TEST(DatabaseTree, movesReorderAParentOrRebuildBothParents)
{
    const std::tuple<int, int, std::vector<QString>> rows[] = {
        {0, 3, {u"b"_s, u"c"_s, u"a"_s}},  // first to after the last
        {0, 1, {u"a"_s, u"b"_s, u"c"_s}},  // first to one stays put
        {2, 0, {u"c"_s, u"a"_s, u"b"_s}},  // last to the front
        {0, -1, {u"b"_s, u"c"_s, u"a"_s}}, // -1 means last
    };
    for (const auto &[moved, target, expected] : rows) {
        BibDatabase root;
        for (const QString &name : {u"a"_s, u"b"_s, u"c"_s})
            root.insertChild(namedGroup(name), -1);
        root.move(root.childAtIndex(moved), target);
        EXPECT_EQ(descriptions(root), expected) << moved << " to " << target;
    }
    // To another parent: both lists are rebuilt.
    BibDatabase root;
    BibDatabase *left = root.insertChild(namedGroup(u"left"_s), -1);
    BibDatabase *right = root.insertChild(namedGroup(u"right"_s), -1);
    BibDatabase *inner = left->insertChild(namedGroup(u"inner"_s), -1);
    right->move(inner, -1);
    EXPECT_TRUE(left->numberOfChildren() == 0 && right->childAtIndex(0) == inner);
    EXPECT_EQ(inner->nodeParent(), right);
    EXPECT_TRUE(inner->isDescendantOfNode(&root) && !inner->isDescendantOfNode(left));
}

// ---- items, keys and the author index

TEST(DatabaseItems, authorIndexCountsEveryOccurrenceAndForgetsRemovedEntries)
{
    BibFixture fixture;
    auto database = fixture.load(
        "@article{Smith2000, author = {Smith, John and Doe, Jane}, editor = {Smith, John},"
        " title = {One}}\n@book{Other, author = {Roe, Richard and others}, title = {Two}}\n");
    ASSERT_TRUE(database);
    // "others" is no name; the author and editor of one entry count twice.
    const AuthorIndex *authors = database->allAuthors();
    ASSERT_TRUE(authors);
    EXPECT_EQ(authors->size(), 3);
    for (auto it = authors->cbegin(); it != authors->cend(); ++it)
        EXPECT_EQ(it->items.size(), it.key().contains(u"Smith") ? 2u : 1u);
    EXPECT_TRUE(database->removeBibItem(database->bibItemForKey(u"Other"_s), false));
    EXPECT_FALSE(database->bibItemForKey(u"Other"_s));
    EXPECT_TRUE(database->allAuthors()->size() == 2 && database->numItems() == 1);
    EXPECT_TRUE(database->isDirty());
}

// The suffix scheme: (keys in the file, key asked for, index of the entry
// asking or -1, key given).
TEST(DatabaseItems, uniqueBibKeyFollowsTheSuffixScheme)
{
    const std::tuple<QByteArray, QString, int, QString> rows[] = {
        {"a", u"Smith2000"_s, -1, u"Smith2000"_s},
        {"Smith2000", u"Smith2000"_s, -1, u"Smith2000.1"_s},
        {"Smith2000 Smith2000.1", u"Smith2000"_s, -1, u"Smith2000.2"_s},
        {"Smith2000.1", u"Smith2000"_s, -1, u"Smith2000.2"_s},          // bare key not given out
        {"Smith2000 Smith2000.1", u"Smith2000"_s, 1, u"Smith2000.1"_s}, // the holder keeps it
        {"Smith2000", u"Smith2000"_s, 0, u"Smith2000"_s},
        {"a", u""_s, -1, u"untitled1"_s},
    };
    for (const auto &[existing, asked, index, expected] : rows) {
        QByteArray bytes;
        for (const QByteArray &key : existing.split(' '))
            bytes += "@misc{" + key + ", title = {x}}\n";
        BibFixture fixture;
        auto database = fixture.load(bytes);
        ASSERT_TRUE(database);
        const BibItem *item = index >= 0 ? (*database->allItems())[index].get() : nullptr;
        EXPECT_EQ(database->uniqueBibKey(asked, item), expected) << existing.constData();
    }
}

// ".2" is stripped from a copy, and the bare key is not given out while ".2" exists.
TEST(DatabaseItems, copiedEntryLosesItsNumericSuffix)
{
    BibFixture fixture;
    auto source = fixture.load("@misc{smith2000.2, title = {Src}}\n", u"src.bib"_s);
    auto target = fixture.load("@misc{smith2000.2, title = {Dst}}\n", u"dst.bib"_s);
    ASSERT_TRUE(source && target);
    const BibItemPtr copy = target->addCopyOfBibItem(source->bibItemForKey(u"smith2000.2"_s));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->bibKey(), u"smith2000.1"_s);
    EXPECT_EQ(copy->database(), static_cast<ItemDatabase *>(target.get()));
}

TEST(DatabaseItems, newEntryGetsTheNumberedUntitledKeyAndAChangedKeyMovesInTheIndex)
{
    BibFixture fixture;
    auto database = fixture.load("@misc{old, title = {x}}\n");
    ASSERT_TRUE(database);
    const BibItemPtr added = database->appendNewBibItemWithType(u"BOOK"_s);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->bibKey(), u"untitled2"_s);
    EXPECT_EQ(database->bibItemForKey(u"untitled2"_s), added);
    const BibItemPtr item = database->bibItemForKey(u"old"_s);
    EXPECT_TRUE(item->setFieldData(u"new"_s, u"bibkey"_s));
    EXPECT_EQ(database->bibItemForKey(u"new"_s), item);
    EXPECT_FALSE(database->bibItemForKey(u"old"_s));
}

// Entries of closed databases are named in one alert, ten at most.
TEST(DatabaseItems, itemsOfClosedDatabasesAreNamedInOneAlert)
{
    BibItemList strays;
    for (int i = 0; i < 11; ++i)
        strays.push_back(BibItem::newBibItemOfType(u"MISC"_s, u"k%1"_s.arg(i), nullptr));
    ScriptedAlertPresenter presenter;
    EXPECT_EQ(BibDatabase().removeBibItems(strays, false), 0);
    ASSERT_EQ(presenter.requests().size(), 1u);
    EXPECT_TRUE(presenter.requests()[0].message.endsWith(u"k8, k9, ..."_s))
        << presenter.requests()[0].message.toStdString();
}

TEST(DatabaseItems, groupShowsTheUnionAndKeepsItemsReachedTwice)
{
    const BibItemPtr item = BibItem::newBibItemOfType(u"MISC"_s, u"a"_s, nullptr);
    BibDatabase root;
    BibDatabase *outer = root.insertChild(namedGroup(u"outer"_s), -1);
    BibDatabase *first = outer->insertChild(namedGroup(u"first"_s), -1);
    BibDatabase *second = outer->insertChild(namedGroup(u"second"_s), -1);
    first->appendBibItem(item);
    second->appendBibItem(item);
    EXPECT_EQ(outer->numItems(), 1);
    first->removeBibItem(item, false);
    EXPECT_TRUE(outer->containsItem(item.get()));
    second->removeBibItem(item, false);
    EXPECT_FALSE(outer->containsItem(item.get()));
}
