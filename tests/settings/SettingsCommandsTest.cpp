#include "GuiTestMain.h"

#include "app/ActionRegistry.h"
#include "app/DBListController.h"
#include "app/MainWindow.h"
#include "app/QFMainController.h"
#include "core/AlertPresenter.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"
#include "settings/DescriptionSheet.h"
#include "settings/LocalPropertySheet.h"
#include "settings/MacroEditor.h"
#include "settings/PreambleEditor.h"
#include "settings/SmartLibrarySheet.h"
#include "settings/WelcomeController.h"
#include "storage/DatabaseGroup.h"
#include "storage/LocalDatabase.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

// The window's commands open the sheet or editor that fits the selected node.
class SettingsCommandsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QFMainController> m_window;

    template<typename Dialog> Dialog *openDialog()
    {
        const auto found = m_window->mainWindow()->findChildren<Dialog *>();
        for (Dialog *dialog : found)
            if (dialog->isVisible())
                return dialog;
        return nullptr;
    }

    void trigger(int tag)
    {
        m_window->actions()->updateEnabled();
        m_window->actions()->action(tag)->trigger();
    }

private Q_SLOTS:
    void init()
    {
        m_window = std::make_unique<QFMainController>();
        m_window->applicationWillFinishLaunching();
        if (WelcomeController *welcome = m_window->welcomeController(); welcome->isRunning())
            welcome->ok();
    }

    void cleanup() { m_window.reset(); }

    void newLibrariesOpenTheirSheet()
    {
        trigger(8003);
        SmartLibrarySheet *smart = openDialog<SmartLibrarySheet>();
        QVERIFY(smart);
        smart->reject();
        trigger(8004);
        DescriptionSheet *manual = openDialog<DescriptionSheet>();
        QVERIFY(manual);
        manual->descriptionField()->setText(u"Reading"_s);
        manual->accept();
        QCOMPARE(m_window->controllerDbList()->selectedDatabase()->description(), u"Reading"_s);
    }

    void databaseCommandsOpenTheirEditors()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.bib"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("@STRING{jcp = \"J. Chem. Phys.\"}\n@ARTICLE{a1, journal = jcp}\n");
        file.close();
        DBListController *list = m_window->controllerDbList();
        m_window->openFile(path);
        QElapsedTimer timer;
        timer.start();
        while (list->isLoading() && timer.elapsed() < 20000)
            QTest::qWait(20);
        BibDatabase *database = list->databaseNode()->firstChild();
        QVERIFY(database);
        list->selectDatabase(database);
        m_window->actions()->updateEnabled();

        trigger(8010);
        LocalPropertySheet *sheet = openDialog<LocalPropertySheet>();
        QVERIFY(sheet);
        QCOMPARE(sheet->properties().fullPath(), path);
        sheet->reject();
        trigger(8013);
        MacroEditor *macros = openDialog<MacroEditor>();
        QVERIFY(macros);
        QCOMPARE(macros->macros().macroNameList(), QStringList{u"JCP"_s});
        macros->reject();
        trigger(8014);
        QVERIFY(openDialog<PreambleEditor>());
    }

    void reformatAllEntries_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("reformat") << 1;
        QTest::newRow("cancel") << 0;
    }

    // Untouched entries keep their hand-made text on save; after "Reformat
    // all entries" the save writes every entry in the writer's layout.
    void reformatAllEntries()
    {
        QFETCH(int, answer);
        BibPreferences::globalPreferences()->setWriteUntouchedAsRead(true);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"hand.bib"_s);
        const QByteArray hand = "@article{doe99,\n  title={Waves},  author = \"Doe, J.\",\n"
                                "  year=1999}\n\n@book{roe01, year = 2001, title = {Tides}}\n";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(hand);
        file.close();
        DBListController *list = m_window->controllerDbList();
        m_window->openFile(path);
        QTRY_VERIFY_WITH_TIMEOUT(!list->isLoading(), 20000);
        BibDatabase *database = list->databaseNode()->firstChild();
        list->selectDatabase(database);
        m_window->actions()->updateEnabled();
        QVERIFY(m_window->actions()->action(QFMainController::TagReformatAll)->isEnabled());

        ScriptedAlertPresenter alerts({answer});
        trigger(QFMainController::TagReformatAll);
        QCOMPARE(alerts.requests().size(), size_t(1));
        QCOMPARE(database->isDirty(), answer == 1);
        if (answer != 1)
            return;
        trigger(7002); // save
        QVERIFY(!database->isDirty());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString saved = QString::fromUtf8(file.readAll());
        QVERIFY2(!saved.contains(u"@article{doe99"_s), qPrintable(saved));
        for (const BibItemPtr &item : *database->allItems()) {
            const QString written = item->bibItemStringWithAttachments(-1, u"\n").trimmed();
            QVERIFY2(saved.contains(written), qPrintable(saved + u"\n---\n"_s + written));
        }
    }

    void reformatNeedsAWritableLocalDatabase()
    {
        m_window->actions()->updateEnabled();
        QVERIFY(!m_window->actions()->action(QFMainController::TagReformatAll)->isEnabled());
        trigger(8004); // a manual library
        if (DescriptionSheet *sheet = openDialog<DescriptionSheet>())
            sheet->accept();
        m_window->actions()->updateEnabled();
        QVERIFY(!m_window->actions()->action(QFMainController::TagReformatAll)->isEnabled());
    }
};

QF_GUI_TEST_MAIN(SettingsCommandsTest)
#include "SettingsCommandsTest.moc"
