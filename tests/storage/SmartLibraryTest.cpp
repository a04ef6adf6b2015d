#include "storage/SmartLibrary.h"

#include "LibraryTestSupport.h"
#include "model/SmartSearchCondition.h"
#include "storage/LibraryGroup.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Title contains "graph".
SmartSearchCondition titleContains(const QString &text)
{
    return SmartSearchCondition::conditionWith(14, 1, text, false);
}

SmartSearchCondition yearAfter(const QString &year)
{
    return SmartSearchCondition::conditionWith(20, 20, year, false);
}

std::unique_ptr<SmartLibrary> libraryWith(std::vector<SmartSearchCondition> conditions,
                                          int updateCode = 0, bool all = true)
{
    auto library = SmartLibrary::smartLibraryWithName(u"Test"_s);
    library->smartProperties().setSearchConditions(conditions);
    library->smartProperties().setUpdateCondition(updateCode);
    library->smartProperties().setMatchesAllConditions(all);
    return library;
}

SmartLibrary *addToTree(LibraryTree &tree, std::unique_ptr<SmartLibrary> library)
{
    return static_cast<SmartLibrary *>(tree.root().insertChild(std::move(library), -1));
}

QStringList rowsFor(int database, int count)
{
    QStringList rows;
    for (int i = 0; i < count; ++i) {
        const QString title = i % 3 == 0 ? u"Graph theory %1"_s.arg(i) : u"Algebra %1"_s.arg(i);
        rows << u"k%1_%2|article|author = {Doe, Jane}, title = {%3}, year = %4"_s.arg(database)
                    .arg(i)
                    .arg(title, QString::number(1990 + i % 20));
    }
    return rows;
}

} // namespace

// ---- properties

// Through the tree dictionary, and copied; an empty target is no target.
TEST(SmartLibraryProperties, treeDictionaryAndCopyKeepEverySearchSetting)
{
    LibraryTree tree;
    auto library = libraryWith(
        {titleContains(u"graph"_s), SmartSearchCondition::conditionWith(25, 25, u"7"_s, true)}, 1,
        false);
    library->smartProperties().setTargetDatabaseID(u"DB1"_s);
    library->smartProperties().setDescription(u"Recent"_s);
    const SmartLibraryProperties &source = library->smartProperties();
    auto rebuilt = BibDatabase::createRootNodeWithDictionary(
        {{u"Database Tree Children"_s, QVariantList{library->makeTreeDictionary()}}});
    auto *read = dynamic_cast<SmartLibrary *>(rebuilt->firstChild());
    ASSERT_TRUE(rebuilt->numberOfChildren() == 1 && read);
    EXPECT_EQ(read->uniqueID(), library->uniqueID());
    SmartLibraryProperties copy;
    copy.makeCopyOf(source);
    EXPECT_NE(copy.uniqueID(), source.uniqueID());
    for (const SmartLibraryProperties *properties : {&read->smartProperties(), &copy}) {
        EXPECT_EQ(properties->targetDatabaseID().value_or(QString()) + properties->description() +
                      QString::number(properties->updateCondition()) +
                      QString::number(properties->matchesAllConditions()),
                  u"DB1Recent10"_s);
        EXPECT_EQ(properties->searchConditions(), source.searchConditions());
    }
    SmartLibraryProperties empty;
    empty.readFromDictionary({{u"Search Target"_s, QString()}});
    EXPECT_FALSE(empty.targetDatabaseID().has_value());
    EXPECT_EQ(empty.makePropertyDictionary().value(u"Search Target"_s).toString(), QString());
}

// ---- matching

TEST(SmartLibraryMatching, allAnyTargetAndNoConditions)
{
    LibraryTree tree;
    auto database =
        LibraryTree::makeDatabase(u"A"_s, {u"g|article|title = {Graph theory}, year = 1995"_s});
    const BibItem &item = *database->allItems()->front();
    const auto matches = [&item](std::vector<SmartSearchCondition> conditions, bool all) {
        return libraryWith(std::move(conditions), 0, all)->conditionMatchesItem(item);
    };
    EXPECT_FALSE(matches({}, false)) << "no conditions match nothing";
    EXPECT_FALSE(matches({titleContains(u"graph"_s), yearAfter(u"2000"_s)}, true));
    EXPECT_TRUE(matches({titleContains(u"graph"_s), yearAfter(u"2000"_s)}, false));
    EXPECT_TRUE(matches({titleContains(u"graph"_s), yearAfter(u"1990"_s)}, true));
    auto targeted = libraryWith({titleContains(u"graph"_s)});
    targeted->smartProperties().setTargetDatabaseID(u"B"_s);
    EXPECT_FALSE(targeted->conditionMatchesItem(item));
    targeted->smartProperties().setTargetDatabaseID(u"A"_s);
    EXPECT_TRUE(targeted->conditionMatchesItem(item));
}

// ---- collecting

// The same entries however the databases arrive: one at a time, all at once
// while the worker is merging, or by an explicit update.
TEST(SmartLibraryConcurrency, sameEntriesHoweverDatabasesArrive)
{
    constexpr int kDatabases = 40;
    QStringList expected;
    for (int d = 0; d < kDatabases; ++d) {
        for (int i = 0; i < 30; i += 3)
            expected << u"k%1_%2"_s.arg(d).arg(i);
    }
    std::sort(expected.begin(), expected.end());
    for (const char *way : {"one at a time", "all at once while merging", "explicit update"}) {
        SCOPED_TRACE(way);
        LibraryTree tree;
        SmartLibrary *library =
            addToTree(tree, libraryWith({titleContains(u"graph"_s)}, way[0] == 'e' ? 2 : 0));
        std::vector<std::unique_ptr<LocalDatabase>> databases;
        for (int d = 0; d < kDatabases; ++d)
            databases.push_back(LibraryTree::makeDatabase(u"D%1"_s.arg(d), rowsFor(d, 30)));
        for (auto &database : databases) {
            tree.open(std::move(database));
            if (way[0] == 'o')
                library->waitForMerging();
        }
        if (way[0] == 'e') {
            library->updateSmartLibrary(&tree.databases());
            library->updateSmartLibrary(&tree.databases()); // again, while the first may run
        }
        library->waitForMerging();
        EXPECT_FALSE(library->isMerging());
        EXPECT_EQ(sortedKeysOf(library->itemsSnapshot()), expected);
        EXPECT_EQ(library->numItems(), expected.size());
    }
}

TEST(SmartLibraryConcurrency, closingADatabaseWhileMergingLeavesNoneOfItsEntries)
{
    LibraryTree tree;
    SmartLibrary *library = addToTree(tree, libraryWith({titleContains(u"graph"_s)}));
    std::vector<LocalDatabase *> open;
    for (int d = 0; d < 20; ++d)
        open.push_back(tree.open(LibraryTree::makeDatabase(u"D%1"_s.arg(d), rowsFor(d, 60))));
    std::vector<std::unique_ptr<BibDatabase>> closed;
    for (int d = 0; d < 20; d += 2)
        closed.push_back(tree.close(open[static_cast<size_t>(d)]));
    library->waitForMerging();
    for (const BibItemPtr &item : library->itemsSnapshot())
        EXPECT_EQ(item->bibKey().mid(1).section(u'_', 0, 0).toInt() % 2, 1)
            << item->bibKey().toStdString();
    EXPECT_EQ(library->itemsSnapshot().size(), 10u * 20u);
}

// ---- following changes

// Code 0 collects at once and follows edits; codes 1 and 2 wait for an
// explicit update after start-up and take edits in only then.
TEST(SmartLibraryFollow, changedEntryShowsAtOnceOnlyInCodeZero)
{
    for (const int code : {0, 1, 2}) {
        SCOPED_TRACE(code);
        LibraryTree tree;
        SmartLibrary *library = addToTree(tree, libraryWith({titleContains(u"graph"_s)}, code));
        LocalDatabase *database = tree.open(LibraryTree::makeDatabase(u"A"_s, rowsFor(1, 3)));
        library->waitForMerging();
        EXPECT_EQ(library->itemsSnapshot().empty(), code != 0);
        library->updateSmartLibrary(&tree.databases());
        library->waitForMerging();
        EXPECT_EQ(keysOfItems(library->itemsSnapshot()), QStringList{u"k1_0"_s});
        const BibItemPtr item = database->allItems()->at(1); // "Algebra 1"
        ASSERT_TRUE(item->setFieldData(u"Graph colouring"_s, u"title"_s));
        item->fixChanged();
        tree.root().bibItemChanged(item);
        EXPECT_EQ(library->containsItem(item.get()), code == 0);
        library->updateSmartLibrary(&tree.databases());
        library->waitForMerging();
        EXPECT_TRUE(library->containsItem(item.get()));

        // And out again when it stops matching.
        ASSERT_TRUE(item->setFieldData(u"Algebra again"_s, u"title"_s));
        item->fixChanged();
        tree.root().bibItemChanged(item);
        EXPECT_EQ(library->containsItem(item.get()), code != 0);
    }
}

// A library of the entries whose title holds "graph", in a group, over
// database A (k1_0 and k1_3 of six entries match) and B (x matches).
TEST(SmartLibraryCollect, openingTickClosingAndDeletingInAGroup)
{
    LibraryTree tree;
    auto *group =
        static_cast<LibraryGroup *>(tree.root().insertChild(LibraryGroup::libGroup(), -1));
    auto *library = static_cast<SmartLibrary *>(
        group->insertChild(libraryWith({titleContains(u"graph"_s)}), -1));
    LocalDatabase *a = tree.open(LibraryTree::makeDatabase(u"A"_s, rowsFor(1, 6)));
    LocalDatabase *b = tree.open(LibraryTree::makeDatabase(
        u"B"_s, {u"x|book|author = {Roe, Max}, title = {Graph drawing}"_s}));
    library->waitForMerging();
    const QStringList all{u"k1_0"_s, u"k1_3"_s, u"x"_s};
    EXPECT_EQ(sortedKeysOf(library->itemsSnapshot()), all);
    EXPECT_EQ(library->allAuthors()->size(), 2);
    ASSERT_NE(group->allItems(), nullptr); // the parent group shows the collected entries
    EXPECT_EQ(sortedKeysOf(*group->allItems()), all);
    // Changed without telling the tree: only the tick notices.
    ASSERT_TRUE(a->bibItemForKey(u"k1_3"_s)->setFieldData(u"Algebra"_s, u"title"_s));
    a->bibItemForKey(u"k1_3"_s)->fixChanged();
    library->timeDependentCheck();
    EXPECT_EQ(sortedKeysOf(library->itemsSnapshot()), (QStringList{u"k1_0"_s, u"x"_s}));
    auto closed = tree.close(a);
    EXPECT_EQ(keysOfItems(library->itemsSnapshot()), QStringList{u"x"_s});
    EXPECT_EQ(library->allAuthors()->size(), 1);
    // Deleting from a library deletes from the databases.
    EXPECT_EQ(library->removeBibItems(library->itemsSnapshot(), false), 1);
    EXPECT_EQ(b->numItems(), 0);
    EXPECT_TRUE(library->itemsSnapshot().empty());
}

// ---- duplicate search

TEST(SmartLibraryDuplicates, showsOnlyEntriesWithATwinAndFollowsEdits)
{
    LibraryTree tree;
    auto dups = SmartLibrary::smartLibraryForDupSearch();
    dups->smartProperties().setUpdateCondition(0); // follows edits
    SmartLibrary *library = addToTree(tree, std::move(dups));
    LocalDatabase *a = tree.open(LibraryTree::makeDatabase(
        u"A"_s, {u"A|article|author = {Doe, J.}, title = {Same Title}"_s,
                 u"B|article|author = {Doe, J.}, title = {Other}"_s,
                 u"C|article|author = {Doe, J.}, title = {same title}, annote = {mine}"_s}));
    library->waitForMerging();
    EXPECT_EQ(sortedKeysOf(library->itemsSnapshot()), (QStringList{u"A"_s, u"C"_s}));
    ASSERT_EQ(library->identicalGroups().size(), 1u);
    const BibItemPtr c = a->bibItemForKey(u"C"_s);
    ASSERT_TRUE(c->setFieldData(u"Different now"_s, u"title"_s));
    c->fixChanged();
    tree.root().bibItemChanged(c);
    EXPECT_TRUE(library->itemsSnapshot().empty() && library->identicalGroups().empty());
}

TEST(SmartLibraryDuplicates, explicitUpdateGroupsAcrossDatabasesWithoutSelfTwins)
{
    LibraryTree tree;
    SmartLibrary *library = addToTree(tree, SmartLibrary::smartLibraryForDupSearch());
    tree.open(LibraryTree::makeDatabase(
        u"A"_s, {u"a1|book|title = {Twin}"_s, u"a2|book|title = {Alone}"_s}));
    tree.open(LibraryTree::makeDatabase(
        u"B"_s, {u"b1|book|title = {TWIN}"_s, u"b2|article|title = {Alone}"_s}));
    library->updateSmartLibrary(&tree.databases());
    library->waitForMerging();
    EXPECT_EQ(sortedKeysOf(library->itemsSnapshot()), (QStringList{u"a1"_s, u"b1"_s}));
    // Offering an entry a second time does not make it its own twin.
    library->appendItemToIdenticalList(tree.databases().allItems()->at(1));
    EXPECT_EQ(library->itemsSnapshot().size(), 2u);
}

// ---- the time-dependent timer

TEST(SmartLibraryTimer, armedOnlyForCodeZeroWithATimeCondition)
{
    setUpLibraryServices();
    const auto interval = [](int code, const QString &days) {
        SmartLibraryProperties properties;
        properties.setUpdateCondition(code);
        properties.setSearchConditions(
            {SmartSearchCondition::conditionWith(25, 25, days, false), titleContains(u"x"_s)});
        return SmartLibrary::smartLibraryWithDictionary(properties.makePropertyDictionary())
            ->timeDependentInterval();
    };
    EXPECT_EQ(interval(0, u"3"_s), 10800);
    EXPECT_EQ(interval(0, u"30"_s), 86400);
    EXPECT_FALSE(interval(1, u"3"_s));
    auto plain = libraryWith({titleContains(u"x"_s)});
    plain->triggerForTimeDependentCondition();
    EXPECT_FALSE(plain->timeDependentInterval());
}
