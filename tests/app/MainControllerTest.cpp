// The application controller: the quit question from the window and from the
// quit command, restoring the tree at the next start, the window layout from
// the preferences, the editor pane's command and the preferences relay.
#include "app/AppTestSupport.h"

#include "GuiTestMain.h"
#include "app/ActionRegistry.h"
#include "app/MainWindow.h"
#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"
#include "prefs/WindowLayout.h"
#include "settings/EncodingPopup.h"
#include "settings/LineEndingPopup.h"
#include "settings/WelcomeController.h"
#include "storage/DatabaseGroup.h"
#include "storage/LocalDatabase.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>

using namespace AppTest;
using namespace Qt::StringLiterals;

class MainControllerTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    static QByteArray bigFile()
    {
        QByteArray big;
        for (int i = 0; i < 40000; ++i)
            big += "@article{key" + QByteArray::number(i) +
                   ",\n  author = {A. Author and B. Writer},\n  title = {Title " +
                   QByteArray::number(i) + "},\n  year = 2001\n}\n\n";
        return big;
    }

    LocalDatabase *openEdited(QFMainController &window, const QString &name)
    {
        const QString path = writeFile(*m_dir, name, kSmallBib);
        LocalDatabase *database = window.controllerDbList()->appendLocalDatabase(path, false);
        waitForLoading(window.controllerDbList());
        const BibItemPtr item = database->allItems()->front();
        item->setFieldData(u"Edited"_s, u"title"_s);
        item->fixChanged();
        return database;
    }

private Q_SLOTS:
    void init()
    {
        resetStoredState();
        m_dir = std::make_unique<QTemporaryDir>();
    }

    void quitting_data()
    {
        QTest::addColumn<int>("edited");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("byClosing");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("terminated");
        QTest::addColumn<bool>("saved");
        QTest::newRow("nothing unsaved, quit") << 0 << 1 << false << 0 << true << false;
        QTest::newRow("nothing unsaved, close") << 0 << 1 << true << 0 << true << false;
        QTest::newRow("one unsaved, Save All") << 1 << 1 << false << 1 << true << true;
        QTest::newRow("one unsaved, Cancel") << 1 << 0 << false << 1 << false << false;
        QTest::newRow("one unsaved, Discard") << 1 << -1 << false << 1 << true << false;
        QTest::newRow("two unsaved, close, Save All") << 2 << 1 << true << 1 << true << true;
        QTest::newRow("two unsaved, close, Cancel") << 2 << 0 << true << 1 << false << false;
    }

    void quitting()
    {
        QFETCH(int, edited);
        QFETCH(int, answer);
        QFETCH(bool, byClosing);
        QFETCH(int, questions);
        QFETCH(bool, terminated);
        QFETCH(bool, saved);
        auto window = startWindow();
        QList<LocalDatabase *> databases;
        for (int i = 0; i < edited; ++i)
            databases << openEdited(*window, u"db%1.bib"_s.arg(i));
        QSignalSpy ends(window.get(), &QFMainController::terminated);
        ScriptedAlertPresenter alerts({answer});
        const bool closed =
            byClosing ? window->mainWindow()->close() : window->applicationShouldTerminate();
        QCOMPARE(closed, terminated);
        QCOMPARE(window->hasTerminated(), terminated);
        QCOMPARE(ends.size(), terminated ? 1 : 0);
        // Asked once, whichever way the program ends.
        QCOMPARE(int(alerts.requests().size()), questions);
        if (edited == 1)
            QCOMPARE(alerts.requests().front().message,
                     Texts::format(u"SaveBeforeQuitMessage1", {u"db0"_s}));
        if (edited == 2)
            QCOMPARE(alerts.requests().front().message,
                     Texts::format(u"SaveBeforeQuitMessage", {u"db0, db1"_s}));
        for (LocalDatabase *database : databases)
            QCOMPARE(readFile(database->fullPath()).contains("Edited"), saved);
    }

    void aFailedSaveCancelsQuitting()
    {
        auto window = startWindow();
        QTemporaryDir folder;
        const QString path = writeFile(folder, u"doomed.bib"_s, kSmallBib);
        LocalDatabase *database = window->controllerDbList()->appendLocalDatabase(path, false);
        QVERIFY(waitForLoading(window->controllerDbList()));
        database->setDirty(true);
        QVERIFY(folder.remove());
        ScriptedAlertPresenter alerts({1}, 1);
        QVERIFY(!window->mainWindow()->close());
        QVERIFY(!window->hasTerminated());
    }

    void theNextStartRestoresTreeAndSelection()
    {
        QString selectedID;
        {
            auto window = startWindow();
            DBListController *list = window->controllerDbList();
            window->openFile(copyCorpusFile(*m_dir, u"biber/annotations.bib"_s));
            window->openFile(writeFile(*m_dir, u"small.bib"_s, kSmallBib));
            QVERIFY(waitForLoading(list));
            window->actions()->action(8003)->trigger(); // a smart library at the root
            BibDatabase *first = list->databaseNode()->firstChild();
            list->selectDatabase(first);
            selectedID = first->uniqueID();
            window->mainWindow()->resize(700, 500);
            QVERIFY(window->applicationShouldTerminate());
        }
        auto window = startWindow();
        DBListController *list = window->controllerDbList();
        QVERIFY(waitForLoading(list));
        const QStringList rows = treeRows(list);
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows.at(1), u"  annotations (2)"_s);
        QCOMPARE(rows.at(2), u"  small (2)"_s);
        QCOMPARE(list->selectedDatabase()->uniqueID(), selectedID);
        QCOMPARE(window->mainWindow()->width(), 700);
    }

    void manualLibraryFilesOfTheSupportFolderJoinTheTree()
    {
        {
            auto window = startWindow();
            window->actions()->action(8004)->trigger();
            QVERIFY(waitForLoading(window->controllerDbList()));
            window->controllerDbList()->selectedDatabase()->setDirty(true); // written on quit
            QVERIFY(window->applicationShouldTerminate());
        }
        // The tree forgets the library; its file stays in the support folder.
        QVERIFY(QFile::remove(BibPreferences::dbTreeFilePath()));
        auto window = startWindow();
        QVERIFY(waitForLoading(window->controllerDbList()));
        const QStringList rows = treeRows(window->controllerDbList());
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(1), window->controllerDbList()->rootNode()->lastChild()->attributedName());
        QVERIFY(window->controllerDbList()->rootNode()->lastChild()->isManualLib());
    }

    void stoppingALoadKeepsTheFileUntouched()
    {
        const QByteArray big = bigFile();
        const QString path = writeFile(*m_dir, u"big.bib"_s, big);
        auto window = startWindow();
        DBListController *list = window->controllerDbList();
        ScriptedAlertPresenter alerts({}, 1); // the reading problems: keep the database
        window->openFile(path);
        QVERIFY(window->actions()->action(8012)->isEnabled());
        window->actions()->action(8012)->trigger();
        QVERIFY(waitForLoading(list));
        auto *database = static_cast<LocalDatabase *>(list->databaseNode()->firstChild());
        QVERIFY(database->readIncomplete());
        QVERIFY(database->numItems() < 40000);
        database->setDirty(true);
        QVERIFY(!list->saveDocuments()); // "Cancel" is the default of the lossy-save question
        QCOMPARE(readFile(path), big);
    }

    void quittingWhileLoadingStillSavesTheTree()
    {
        const QByteArray big = bigFile();
        const QString path = writeFile(*m_dir, u"big.bib"_s, big);
        {
            auto window = startWindow();
            window->openFile(path);
            QVERIFY(window->controllerDbList()->isLoading());
            QVERIFY(window->controllerDbList()->statusLabel()->text().startsWith(u"Loading big ("));
            QVERIFY(treeRows(window->controllerDbList()).value(1).startsWith(u"  big ("));
            QVERIFY(window->applicationShouldTerminate());
        }
        auto window = startWindow();
        QVERIFY(waitForLoading(window->controllerDbList()));
        QCOMPARE(treeRows(window->controllerDbList()).value(1), u"  big (40000)"_s);
        QCOMPARE(readFile(path), big); // a stopped load never wrote anything
    }

    void loadingWaitsForTheFirstStartSheet()
    {
        const QString path = writeFile(*m_dir, u"small.bib"_s, kSmallBib);
        {
            auto window = startWindow();
            window->openFile(path);
            QVERIFY(waitForLoading(window->controllerDbList()));
            QVERIFY(window->applicationShouldTerminate());
        }
        BibPreferences::globalPreferences()->setValue(BibPreferences::kPreferencesInitialized,
                                                      false);
        QFMainController window;
        window.applicationWillFinishLaunching();
        WelcomeController *welcome = window.welcomeController();
        QVERIFY(welcome->isRunning());
        QVERIFY(window.runningWelcome());
        QTest::qWait(400);
        QVERIFY(window.controllerDbList()->isLoading());
        welcome->ok();
        QVERIFY(!welcome->isRunning());
        QVERIFY(waitForLoading(window.controllerDbList()));
        QCOMPARE(treeRows(window.controllerDbList()).value(1), u"  small (2)"_s);
    }

    void paneWidths_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("db");
        QTest::addColumn<double>("item");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("stored widths") << 900 << 150.0 << 430.0 << QList<int>{150, 295, 430};
        QTest::newRow("database pane too wide")
            << 900 << 400.0 << 430.0 << QList<int>{250, 195, 430};
        QTest::newRow("database pane too narrow")
            << 900 << 10.0 << 430.0 << QList<int>{90, 355, 430};
        QTest::newRow("entry pane gives way") << 800 << 158.0 << 600.0 << QList<int>{158, 90, 527};
        QTest::newRow("window too narrow") << 500 << 158.0 << 457.0 << QList<int>{90, 90, 430};
    }

    void paneWidths()
    {
        QFETCH(int, width);
        QFETCH(double, db);
        QFETCH(double, item);
        QFETCH(QList<int>, widths);
        QCOMPARE(WindowLayout::paneWidths(width, db, item), widths);
    }

    void splitterLimits()
    {
        QCOMPARE(WindowLayout::constrainMaxCoordinate(400, 0), 250);
        QCOMPARE(WindowLayout::constrainMaxCoordinate(300, 0), 210);
        QCOMPARE(WindowLayout::constrainMaxCoordinate(900, 1), 470);
        QCOMPARE(WindowLayout::constrainMinCoordinate(0, 1), 90);
    }

    void framesAreKeptOnAScreen_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("clamped");
        const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        QTest::newRow("on the first screen")
            << QRect(80, 100, 800, 522) << QRect(80, 100, 800, 522);
        QTest::newRow("on the second screen")
            << QRect(2000, 50, 800, 522) << QRect(2000, 50, 800, 522);
        QTest::newRow("off every screen")
            << QRect(-5000, 3000, 800, 522) << QRect(0, 558, 800, 522);
        QTest::newRow("larger than the screen")
            << QRect(0, 0, 4000, 3000) << QRect(0, 0, 1920, 1080);
        QTest::newRow("hanging off the right")
            << QRect(1800, 10, 800, 500) << QRect(1920, 10, 800, 500);
    }

    void framesAreKeptOnAScreen()
    {
        QFETCH(QRect, frame);
        QFETCH(QRect, clamped);
        const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        QCOMPARE(WindowLayout::clampFrame(frame, screens), clamped);
    }

    void theEditorPaneCommand()
    {
        auto window = startWindow();
        QAction *action = window->actions()->action(QFMainController::TagShowDetail);
        QCOMPARE(action->text(), Texts::text(u"MenuHideDetail"));
        action->trigger();
        QVERIFY(window->detailPane()->isHidden());
        QCOMPARE(action->text(), Texts::text(u"MenuShowDetail"));
        QVERIFY(!BibPreferences::globalPreferences()->openDetailInfo());
        window->forceShowDetail();
        QVERIFY(!window->detailPane()->isHidden());
        QVERIFY(BibPreferences::globalPreferences()->openDetailInfo());
    }

    void preferencesChangesAreRelayed()
    {
        auto window = startWindow();
        QSignalSpy relayed(window.get(), &QFMainController::preferencesChanged);
        window->relayPreferencesChanged(true, false);
        QCOMPARE(relayed.size(), 1);
        QCOMPARE(relayed.front(), (QVariantList{true, false}));
    }

    void everyCommandHasAShortcutOrAMenu()
    {
        auto window = startWindow();
        const QList<int> keyed{8000,
                               8001,
                               7002,
                               7003,
                               7000,
                               8011,
                               QFMainController::TagQuit,
                               QFMainController::TagReload};
        for (int tag : keyed)
            QVERIFY2(!window->actions()->action(tag)->shortcut().isEmpty(),
                     qPrintable(QString::number(tag)));
        QCOMPARE(window->actions()->action(QFMainController::TagReload)->shortcut(),
                 QKeySequence(Qt::Key_F5));
    }
};

QF_GUI_TEST_MAIN(MainControllerTest)
#include "MainControllerTest.moc"
