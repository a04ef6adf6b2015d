#include "StorageTestSupport.h"

#include "core/AlertPresenter.h"
#include "model/BibItem.h"
#include "storage/DatabaseGroup.h"
#include "storage/LoadingCoordinator.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray entries(int count, const QByteArray &prefix)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += "@article{" + prefix + QByteArray::number(i) + ", author = {Doe, Jane and Roe, R" +
                 QByteArray::number(i % 7) + "}, title = {Title " + QByteArray::number(i) +
                 "}, year = 2001}\n";
    return bytes;
}

// Runs the event loop until the coordinator reports that loading is over.
bool waitUntilLoaded(LoadingCoordinator &coordinator)
{
    if (!coordinator.isLoading())
        return true;
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&coordinator, &LoadingCoordinator::loadingFinished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    return finished;
}

} // namespace

TEST(LoadingCoordinator, severalFilesLoadAtOnceAndOpenInTheTree)
{
    BibFixture fixture;
    LoadingCoordinator coordinator;
    std::vector<LocalDatabase *> nodes;
    for (int f = 0; f < 4; ++f) {
        nodes.push_back(coordinator.appendLocalDatabase(
            fixture.write(u"f%1.bib"_s.arg(f), entries(500, "k" + QByteArray::number(f) + "_")),
            false));
        ASSERT_TRUE(nodes.back());
    }
    int ready = 0;
    QObject::connect(&coordinator, &LoadingCoordinator::databaseReady,
                     [&ready](BibDatabase *) { ++ready; });
    ASSERT_TRUE(waitUntilLoaded(coordinator));
    EXPECT_EQ(ready, 4);
    for (LocalDatabase *node : nodes)
        EXPECT_TRUE(!node->isLoading() && node->allItems() && node->allItems()->size() == 500u);
    EXPECT_EQ(coordinator.databaseNode()->numItems(), 2000);
    EXPECT_FALSE(coordinator.isLoading() || coordinator.initialLoading());
    // Removing a database takes its entries out of the group; the group nodes stay.
    ASSERT_TRUE(coordinator.removeDatabase(nodes[0]));
    EXPECT_EQ(coordinator.databaseNode()->numItems(), 1500);
    EXPECT_FALSE(coordinator.removeDatabase(coordinator.databaseNode()));
    EXPECT_FALSE(coordinator.removeDatabase(coordinator.rootNode()));
}

// Opening a file already open gives its node; a missing file is refused with an alert.
TEST(LoadingCoordinator, openFilesAreReusedAndMissingOnesRefused)
{
    BibFixture fixture;
    ScriptedAlertPresenter presenter;
    LoadingCoordinator coordinator;
    EXPECT_FALSE(coordinator.appendLocalDatabase(u"/no/such/dir/x.bib"_s, false));
    EXPECT_EQ(presenter.requests().size(), 1u);
    EXPECT_FALSE(coordinator.isLoading());
    const QString path = fixture.write(u"same.bib"_s, entries(3, "s"));
    LocalDatabase *first = coordinator.appendLocalDatabase(path, false);
    EXPECT_EQ(coordinator.appendLocalDatabase(path, false), first);
    EXPECT_EQ(coordinator.databaseNode()->numberOfChildren(), 1);
    ASSERT_TRUE(waitUntilLoaded(coordinator));
}

// The answer to the reading errors decides whether the database stays: OK keeps, Cancel drops.
TEST(LoadingCoordinator, answerToReadingErrorsDecidesWhetherTheDatabaseStays)
{
    for (const bool kept : {true, false}) {
        BibFixture fixture;
        ScriptedAlertPresenter presenter({kept ? 1 : 0});
        LoadingCoordinator coordinator;
        const QString path =
            fixture.write(u"bad.bib"_s, "@misc{a, title={x}}\nstray words\n@misc{a, title={y}}\n");
        ASSERT_TRUE(coordinator.appendLocalDatabase(path, false));
        QString dropped;
        QObject::connect(&coordinator, &LoadingCoordinator::databaseDropped,
                         [&](const QString &d) { dropped = d; });
        ASSERT_TRUE(waitUntilLoaded(coordinator));
        const auto requests = presenter.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].message.count(u"* "_s), 2); // both problems, one per line
        EXPECT_EQ(coordinator.databaseNode()->numberOfChildren(), kept ? 1 : 0);
        EXPECT_EQ(dropped.isEmpty(), kept);
        EXPECT_EQ(coordinator.databaseNode()->numItems(), kept ? 2 : 0);
    }
}

TEST(LoadingCoordinator, stoppingLoadsAndClosingTheTreeIsSafe)
{
    BibFixture fixture;
    auto coordinator = std::make_unique<LoadingCoordinator>();
    std::vector<LocalDatabase *> nodes;
    for (int f = 0; f < 3; ++f)
        nodes.push_back(coordinator->appendLocalDatabase(
            fixture.write(u"s%1.bib"_s.arg(f), entries(2000, "z")), false));
    for (LocalDatabase *node : nodes)
        node->setStopLoading(true);
    // Destroying the coordinator destroys the tree, which joins the loading threads.
    coordinator.reset();
    SUCCEED();
}

TEST(LoadingCoordinator, treeIsRebuiltFromTheStoredDictionary)
{
    LoadingCoordinator coordinator;
    coordinator.reloadDatabases();
    ASSERT_TRUE(coordinator.databaseNode());
    EXPECT_EQ(coordinator.rootNode()->firstChild(), coordinator.databaseNode());
    EXPECT_FALSE(coordinator.initialLoading()); // no database in the tree
}

TEST(LoadingCoordinator, displayMayPollALoadingDatabase)
{
    // What the outline reads while a database loads: name, count, state.
    BibFixture fixture;
    LoadingCoordinator coordinator;
    LocalDatabase *node =
        coordinator.appendLocalDatabase(fixture.write(u"poll.bib"_s, entries(3000, "p")), false);
    ASSERT_TRUE(node);
    int polls = 0;
    while (node->isLoading() && polls < 100000) {
        (void)node->attributedName();
        (void)node->numItems();
        (void)node->isDirty();
        (void)node->allItems();
        (void)coordinator.databaseNode()->isDirty();
        ++polls;
    }
    ASSERT_TRUE(waitUntilLoaded(coordinator));
    EXPECT_EQ(node->numItems(), 3000);
}

// "Reopen with encoding": the open database reads its file again in the
// chosen encoding; the tree holds its entries once, read the new way.
TEST(LoadingCoordinator, reopenWithEncodingReadsTheFileAgainInThatEncoding)
{
    // "Иванов" in windows-1251; the settings block names windows-1251.
    const QByteArray bytes = "@COMMENT { Quirefold_Settings, textencoding = {11}}\n"
                             "@article{iv, author = {\xC8\xE2\xE0\xED\xEE\xE2, S.}}\n" +
                             entries(3, "x");
    BibFixture fixture;
    LoadingCoordinator coordinator;
    LocalDatabase *database =
        coordinator.appendLocalDatabase(fixture.write(u"ru.bib"_s, bytes), false);
    ASSERT_TRUE(database);
    ASSERT_TRUE(waitUntilLoaded(coordinator));
    ASSERT_EQ(coordinator.databaseNode()->numItems(), 4);
    EXPECT_EQ(database->bibItemForKey(u"iv"_s)->fieldDataForEdit(u"author"_s),
              u"\u0418\u0432\u0430\u043d\u043e\u0432, S."_s);

    ASSERT_TRUE(coordinator.reopenWithEncoding(database, 0x80000A02u));
    EXPECT_FALSE(coordinator.reopenWithEncoding(database, 0x80000A02u)); // still loading
    ASSERT_TRUE(waitUntilLoaded(coordinator));
    EXPECT_EQ(database->encoding(), 0x80000A02u);
    EXPECT_EQ(coordinator.databaseNode()->numItems(), 4);
    EXPECT_EQ(database->bibItemForKey(u"iv"_s)->fieldDataForEdit(u"author"_s),
              u"\u0445\u0411\u042e\u041c\u041d\u0411, S."_s);
}
