#include "GuiTestMain.h"

#include "app/ActionRegistry.h"
#include "app/DBListController.h"
#include "app/MainWindow.h"
#include "app/QFMainController.h"
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
};

QF_GUI_TEST_MAIN(SettingsCommandsTest)
#include "SettingsCommandsTest.moc"
