// The database list driven through the real window: opening real files,
// the tree's rows and counts, the status line, the loading-error sheet,
// removing with each answer, libraries, drops, saving and save-as.
#include "app/AppTestSupport.h"

#include "GuiTestMain.h"

#include "app/ActionRegistry.h"
#include "app/DatabaseTreeModel.h"
#include "app/MainWindow.h"
#include "app/RecentFiles.h"
#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "model/ItemChangeObserver.h"
#include "storage/DatabaseGroup.h"
#include "storage/LocalDatabase.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

using namespace AppTest;
using namespace Qt::StringLiterals;

namespace {

// Edits the first entry's title through the entry's own commit.
void editFirstTitle(LocalDatabase *database, const QString &title)
{
    const BibItemPtr item = database->allItems()->front();
    item->setFieldData(title, QStringLiteral("title"));
    item->fixChanged();
}

QMimeData *fileDrop(const QStringList &paths)
{
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

} // namespace

class DatabaseListTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QFMainController> m_window;
    DBListController *m_list = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QAbstractItemModelTester> m_tester;

    LocalDatabase *openSmall(const QString &name = QStringLiteral("small.bib"))
    {
        const QString path = writeFile(*m_dir, name, kSmallBib);
        LocalDatabase *database = m_list->appendLocalDatabase(path, false);
        waitForLoading(m_list);
        return database;
    }

private Q_SLOTS:
    void init()
    {
        resetStoredState();
        m_dir = std::make_unique<QTemporaryDir>();
        m_window = startWindow();
        m_list = m_window->controllerDbList();
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_list->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(waitForLoading(m_list));
    }

    void cleanup()
    {
        m_tester.reset();
        m_window.reset();
        m_dir.reset();
    }

    void openingRealFilesShowsRowsCountsAndStatus()
    {
        QCOMPARE(m_list->statusLabel()->text(), QStringLiteral("Databases: 0 / Libraries: 0"));
        const QString annotations = copyCorpusFile(*m_dir, QStringLiteral("biber/annotations.bib"));
        QVERIFY(m_window->openFile(annotations));
        openSmall();
        QCOMPARE(treeRows(m_list),
                 (QStringList{QStringLiteral("All Databases (4)"),
                              QStringLiteral("  annotations (2)"), QStringLiteral("  small (2)")}));
        QCOMPARE(m_list->statusLabel()->text(), QStringLiteral("Databases: 2 / Libraries: 0"));
        QCOMPARE(m_list->selectedDatabase()->description(), QStringLiteral("small"));

        // The same file again selects its node and makes none.
        QVERIFY(m_window->openFile(annotations));
        QCOMPARE(treeRows(m_list).size(), 3);
        QCOMPARE(m_list->selectedDatabase()->description(), QStringLiteral("annotations"));
    }

    void openingAMissingFileTellsAndAddsNothing()
    {
        ScriptedAlertPresenter alerts;
        QVERIFY(!m_window->openFile(m_dir->filePath(QStringLiteral("gone.bib"))));
        QCOMPARE(alerts.requests().size(), size_t(1));
        QCOMPARE(treeRows(m_list).size(), 1);
    }

    void loadingErrorSheet_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rows");
        QTest::newRow("OK keeps the database") << 1 << 2;
        QTest::newRow("Cancel removes it") << 0 << 1;
    }

    void loadingErrorSheet()
    {
        QFETCH(int, answer);
        QFETCH(int, rows);
        ScriptedAlertPresenter alerts({answer});
        m_window->openFile(copyCorpusFile(*m_dir, QStringLiteral("bibtex-ruby/errors.bib")));
        QVERIFY(waitForLoading(m_list));
        QCOMPARE(alerts.requests().size(), size_t(1));
        QVERIFY(alerts.requests().front().message.startsWith(u"* "));
        QCOMPARE(treeRows(m_list).size(), rows);
    }

    void removingADirtyDatabase_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Save writes, then removes") << 1 << true << true;
        QTest::newRow("Discard removes unsaved") << 0 << true << false;
        QTest::newRow("Cancel keeps it") << -1 << false << false;
    }

    void removingADirtyDatabase()
    {
        QFETCH(int, answer);
        QFETCH(bool, removed);
        QFETCH(bool, saved);
        LocalDatabase *database = openSmall();
        const QString path = database->fullPath();
        editFirstTitle(database, QStringLiteral("Changed Title"));
        QVERIFY(database->isDirty());
        QVERIFY(treeRows(m_list).at(1).endsWith(u"\u2022"));
        ScriptedAlertPresenter alerts({answer});
        m_window->actions()->action(8011)->trigger();
        QCOMPARE(alerts.requests().front().title, Texts::text(u"RemoveDirty"));
        QCOMPARE(treeRows(m_list).size(), removed ? 1 : 2);
        QCOMPARE(readFile(path).contains("Changed Title"), saved);
    }

    void aDatabaseWhoseSaveFailsIsNotRemoved()
    {
        QTemporaryDir folder;
        const QString path = writeFile(folder, QStringLiteral("doomed.bib"), kSmallBib);
        LocalDatabase *database = m_list->appendLocalDatabase(path, false);
        QVERIFY(waitForLoading(m_list));
        editFirstTitle(database, QStringLiteral("Changed Title"));
        QVERIFY(folder.remove()); // nowhere left to write
        ScriptedAlertPresenter alerts({1}, 1);
        m_list->removeFromList();
        QCOMPARE(treeRows(m_list).size(), 2);
        QVERIFY(database->isDirty());
    }

    void removingLibrariesAsks_data()
    {
        QTest::addColumn<bool>("group");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rowsLeft");
        QTest::newRow("library, Remove") << false << 0 << 1;
        QTest::newRow("library, Cancel") << false << 1 << 2;
        QTest::newRow("group with a library, Remove") << true << 0 << 1;
        QTest::newRow("group with a library, Cancel") << true << 1 << 3;
    }

    void removingLibrariesAsks()
    {
        QFETCH(bool, group);
        QFETCH(int, answer);
        QFETCH(int, rowsLeft);
        ScriptedAlertPresenter alerts({answer});
        if (group) {
            m_window->actions()->action(8002)->trigger();
            BibDatabase *libraryGroup = m_list->selectedDatabase();
            m_window->actions()->action(8003)->trigger();
            // A library made while a group is selected goes into that group.
            QCOMPARE(m_list->selectedDatabase()->nodeParent(), libraryGroup);
            m_list->selectDatabase(libraryGroup);
        } else {
            m_window->actions()->action(8004)->trigger();
            QVERIFY(waitForLoading(m_list));
        }
        m_window->actions()->action(8011)->trigger();
        QCOMPARE(alerts.requests().size(), size_t(1));
        QCOMPARE(treeRows(m_list).size(), rowsLeft);
        QCOMPARE(m_list->statusLabel()->text().startsWith(u"Databases: 0"), true);
    }

    void theRootAndTheDatabaseGroupCannotBeRemoved()
    {
        m_list->selectDatabase(m_list->databaseNode());
        QVERIFY(!m_window->actions()->action(8011)->isEnabled());
        m_list->removeDatabase(m_list->databaseNode());
        m_list->removeDatabase(m_list->rootNode());
        QCOMPARE(treeRows(m_list).size(), 1);
    }

    void droppingFiles_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("rows");
        QTest::newRow("two .bib files") << QStringList{u"a.bib"_s, u"b.bib"_s} << 3;
        QTest::newRow("one of them is not .bib") << QStringList{u"a.bib"_s, u"notes.txt"_s} << 1;
    }

    void droppingFiles()
    {
        QFETCH(QStringList, names);
        QFETCH(int, rows);
        QStringList paths;
        for (const QString &name : names)
            paths << writeFile(*m_dir, name, kSmallBib);
        std::unique_ptr<QMimeData> data(fileDrop(paths));
        // Dropped anywhere, files go to the database group.
        m_list->model()->dropMimeData(data.get(), Qt::CopyAction, -1, 0, {});
        QVERIFY(waitForLoading(m_list));
        QCOMPARE(treeRows(m_list).size(), rows);
    }

    void droppingNodes_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("library to the root's end") << u"library"_s << u"root"_s << -1 << false;
        QTest::newRow("library to the root's first place")
            << u"library"_s << u"root"_s << 0 << false;
        QTest::newRow("library to the root's second place")
            << u"library"_s << u"root"_s << 1 << true;
        QTest::newRow("library into a group") << u"library"_s << u"group"_s << -1 << true;
        QTest::newRow("library into the database group")
            << u"library"_s << u"databases"_s << 0 << false;
        QTest::newRow("library into a leaf") << u"library"_s << u"other"_s << -1 << false;
        QTest::newRow("group into its own child") << u"group"_s << u"child"_s << -1 << false;
        QTest::newRow("group into itself") << u"group"_s << u"group"_s << -1 << false;
        QTest::newRow("database within the database group")
            << u"database"_s << u"databases"_s << 0 << true;
        QTest::newRow("database onto the database group")
            << u"database"_s << u"databases"_s << -1 << false;
        QTest::newRow("database into a group") << u"database"_s << u"group"_s << -1 << false;
    }

    void droppingNodes()
    {
        QFETCH(QString, what);
        QFETCH(QString, where);
        QFETCH(int, row);
        QFETCH(bool, accepted);
        openSmall(QStringLiteral("one.bib"));
        LocalDatabase *database = openSmall(QStringLiteral("two.bib"));
        ActionRegistry *actions = m_window->actions();
        m_list->selectDatabase(m_list->rootNode());
        actions->action(8004)->trigger();
        BibDatabase *library = m_list->selectedDatabase();
        QVERIFY(waitForLoading(m_list));
        actions->action(8003)->trigger();
        BibDatabase *other = m_list->selectedDatabase();
        m_list->selectDatabase(m_list->databaseNode());
        actions->action(8002)->trigger();
        BibDatabase *group = m_list->selectedDatabase();
        actions->action(8002)->trigger();
        BibDatabase *child = m_list->selectedDatabase();
        QCOMPARE(child->nodeParent(), group);

        const QHash<QString, BibDatabase *> nodes{{u"library"_s, library},
                                                  {u"other"_s, other},
                                                  {u"group"_s, group},
                                                  {u"child"_s, child},
                                                  {u"database"_s, database},
                                                  {u"root"_s, m_list->rootNode()},
                                                  {u"databases"_s, m_list->databaseNode()}};
        BibDatabase *node = nodes.value(what);
        BibDatabase *target = nodes.value(where);
        std::unique_ptr<QMimeData> data(
            m_list->model()->mimeData({m_list->model()->indexOf(node)}));
        const QModelIndex parent = m_list->model()->indexOf(target);
        QCOMPARE(m_list->model()->canDropMimeData(data.get(), Qt::MoveAction, row, 0, parent),
                 accepted);
        const bool moved =
            m_list->model()->dropMimeData(data.get(), Qt::MoveAction, row, 0, parent);
        QCOMPARE(moved, accepted);
        if (accepted && target != m_list->rootNode())
            QCOMPARE(node->nodeParent(), target);
        // Whatever happened, the database group stays first.
        QCOMPARE(m_list->rootNode()->firstChild(), m_list->databaseNode());
    }

    void savingWritesTheFile()
    {
        LocalDatabase *database = openSmall();
        QVERIFY(!m_window->actions()->action(7002)->isEnabled());
        editFirstTitle(database, QStringLiteral("Saved Title"));
        m_window->updateState();
        QVERIFY(m_window->actions()->action(7002)->isEnabled());
        QVERIFY(m_window->mainWindow()->isWindowModified());
        m_window->actions()->action(7002)->trigger();
        QVERIFY(!database->isDirty());
        QVERIFY(readFile(database->fullPath()).contains("Saved Title"));
        QVERIFY(readFile(database->fullPath()).contains("lamport94"));
        QVERIFY(!m_window->mainWindow()->isWindowModified());
    }

    void saveAs_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("lineEnding");
        QTest::addColumn<bool>("written");
        QTest::newRow("a new file with CR LF") << u"copy.bib"_s << 1 << true;
        QTest::newRow("another open database's file is refused") << u"other.bib"_s << 1 << false;
        QTest::newRow("its own file takes the new line ending") << u"small.bib"_s << 1 << true;
    }

    void saveAs()
    {
        QFETCH(QString, target);
        QFETCH(int, lineEnding);
        QFETCH(bool, written);
        const QString otherPath = writeFile(*m_dir, QStringLiteral("other.bib"), kSmallBib);
        m_list->appendLocalDatabase(otherPath, false);
        LocalDatabase *database = openSmall();
        const QString path = m_dir->filePath(target);
        const QByteArray before = readFile(path);
        DBListController::Choosers choosers;
        choosers.saveAs = [&](const QString &message, SaveAsDialog::Choice &choice) {
            [&] { QVERIFY(message.contains(u"small")); }();
            choice.path = path;
            choice.lineEnding = lineEnding;
            return true;
        };
        m_list->setChoosers(choosers);
        ScriptedAlertPresenter alerts;
        m_list->selectDatabase(database);
        m_window->actions()->action(7003)->trigger();
        const QByteArray after = readFile(path);
        QCOMPARE(after != before, written);
        if (written) {
            // Untouched entries keep their text, in the new line ending.
            QVERIFY(after.contains("knuth84,\r\n  author = {Donald E. Knuth},\r\n"));
            QVERIFY(after.contains("linemode = {1}"));
            QVERIFY(after.contains("lamport94"));
        } else {
            QCOMPARE(alerts.requests().size(), size_t(1));
        }
    }

    void openedFilesAreRecent()
    {
        LocalDatabase *first = openSmall(u"first.bib"_s);
        LocalDatabase *second = openSmall(u"second.bib"_s);
        const QStringList recent = m_window->recentFiles()->files();
        QCOMPARE(recent.mid(0, 2), (QStringList{second->fullPath(), first->fullPath()}));
    }

    void reopeningWithAnotherEncoding()
    {
        // Latin-1 bytes: read as UTF-8 they are not what the user wrote.
        const QString path =
            writeFile(*m_dir, u"latin.bib"_s, "@misc{k,\n  title = {Caf\xe9 cr\xe8me}\n}\n");
        ScriptedAlertPresenter alerts({1}, 1);
        LocalDatabase *database = m_list->appendLocalDatabase(path, false);
        QVERIFY(waitForLoading(m_list));
        DBListController::Choosers choosers;
        choosers.reopenEncoding = [](LocalDatabase *) { return std::optional<int>(5); };
        m_list->setChoosers(choosers);
        m_list->selectDatabase(database);
        database->setDirty(false);
        m_window->actions()->action(QFMainController::TagReopenWithEncoding)->trigger();
        QVERIFY(waitForLoading(m_list));
        QCOMPARE(database->encoding(), 5u);
        QCOMPARE(database->allItems()->front()->bibFieldsForEdit().value(u"title"_s),
                 u"Caf\u00e9 cr\u00e8me"_s);
    }

    void theEditRelayReachesTheTree()
    {
        LocalDatabase *database = openSmall();
        QSignalSpy changes(m_list, &DBListController::stateChanged);
        editFirstTitle(database, QStringLiteral("Relayed"));
        QVERIFY(!changes.isEmpty());
        QCOMPARE(ItemChangeObserver::global().findDatabaseOfID(database->uniqueID()),
                 static_cast<ItemDatabase *>(database));
        QVERIFY(treeRows(m_list).at(1).endsWith(u"\u2022"));
    }

    void commandsFollowTheSelection_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QList<int>>("enabled");
        QTest::addColumn<QList<int>>("disabled");
        QTest::newRow("database group")
            << u"databases"_s << QList<int>{8000, 8001, 8015} << QList<int>{8011, 7003, 7002, 8012};
        QTest::newRow("clean database")
            << u"database"_s << QList<int>{8011, 7003, 9902} << QList<int>{7002, 7000, 8012, 8017};
    }

    void commandsFollowTheSelection()
    {
        QFETCH(QString, selected);
        QFETCH(QList<int>, enabled);
        QFETCH(QList<int>, disabled);
        LocalDatabase *database = openSmall();
        m_list->selectDatabase(selected == u"database" ? static_cast<BibDatabase *>(database)
                                                       : m_list->databaseNode());
        for (int tag : enabled)
            QVERIFY2(m_window->actions()->action(tag)->isEnabled(),
                     qPrintable(QString::number(tag)));
        for (int tag : disabled)
            QVERIFY2(!m_window->actions()->action(tag)->isEnabled(),
                     qPrintable(QString::number(tag)));
    }
};

QF_GUI_TEST_MAIN(DatabaseListTest)
#include "DatabaseListTest.moc"
