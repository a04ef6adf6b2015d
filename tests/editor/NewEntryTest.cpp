#include "editor/EditorTestSupport.h"

#include "../GuiTestMain.h"
#include "app/ActionRegistry.h"
#include "app/DBListController.h"
#include "core/AlertPresenter.h"
#include "editor/BibFieldDataField.h"
#include "editor/DetailInfoController.h"
#include "editor/NewEntryController.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"
#include "storage/DatabaseGroup.h"
#include "storage/LocalDatabase.h"
#include "storage/LocalDatabaseProperties.h"

#include <QAction>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

class NewEntryTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void newEntryOpensInTheEditorOnTheKey_data()
    {
        QTest::addColumn<bool>("selectDatabase");
        QTest::addColumn<bool>("secondDatabase");
        QTest::addColumn<int>("choice");
        QTest::newRow("selected database") << true << true << -1;
        QTest::newRow("the only database") << false << false << -1;
        QTest::newRow("chosen in the sheet") << false << true << 0;
        QTest::newRow("sheet cancelled") << false << true << -1;
    }
    void newEntryOpensInTheEditorOnTheKey()
    {
        QFETCH(bool, selectDatabase);
        QFETCH(bool, secondDatabase);
        QFETCH(int, choice);
        const EditorTest::OpenWindow window =
            EditorTest::openWindowWith(m_dir, EditorTest::kEntries);
        QVERIFY(window.database);
        DBListController *list = window.controller->controllerDbList();
        if (secondDatabase) {
            QTemporaryDir other;
            const QString path = other.filePath(u"other.bib"_s);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("@misc{x1, title = {X}}\n");
            file.close();
            QVERIFY(list->appendLocalDatabase(path, false));
            QTRY_VERIFY(!list->isLoading());
        }
        list->selectDatabase(selectDatabase ? static_cast<BibDatabase *>(window.database)
                                            : list->databaseNode());
        BibPreferences::globalPreferences()->setLastCreatedBibType(u"BOOK"_s);
        NewEntryController *command = window.controller->newEntryController();
        QStringList offered;
        command->setChooser([&offered, choice](const QStringList &descriptions) {
            offered = descriptions;
            return choice;
        });
        const int before = window.database->numItems();
        QAction *action = window.controller->actions()->action(8100);
        window.controller->actions()->updateEnabled();
        QVERIFY(action->isEnabled());
        action->trigger();
        const bool asked = !selectDatabase && secondDatabase;
        QCOMPARE(offered.size(), asked ? 2 : 0);
        DetailInfoController *editor = window.editor();
        if (asked && choice < 0) {
            QCOMPARE(window.database->numItems(), before);
            QVERIFY(!editor->isEnableEdit());
            return;
        }
        QCOMPARE(window.database->numItems(), before + 1);
        const auto item = editor->currentItem();
        QVERIFY(item);
        QCOMPARE(item->bibType(), u"BOOK"_s);
        QCOMPARE(item->database(), static_cast<ItemDatabase *>(window.database));
        QVERIFY(editor->isEnableEdit());
        QCOMPARE(editor->tabView()->currentWidget()->objectName(), u"basic"_s);
        QCOMPARE(QApplication::focusWidget(), editor->field(2));
        QCOMPARE(editor->field(2)->text(), item->bibKey());
    }

    void newEntryNeedsAnOpenDatabase()
    {
        QTemporaryDir empty;
        const EditorTest::OpenWindow window = EditorTest::openWindowWith(empty, QByteArray());
        DBListController *list = window.controller->controllerDbList();
        if (window.database)
            list->removeDatabase(window.database);
        window.controller->actions()->updateEnabled();
        QVERIFY(!window.controller->actions()->action(8100)->isEnabled());
        ScriptedAlertPresenter alerts({1});
        QVERIFY(!window.controller->newEntryController()->appendBibItem());
        QCOMPARE(alerts.requests().size(), size_t(1));
    }

    void reservedDatabaseTakesNoNewEntry()
    {
        const EditorTest::OpenWindow window =
            EditorTest::openWindowWith(m_dir, EditorTest::kEntries);
        window.database->localProperties().setPrivilegedUser(u"someone-else"_s);
        window.controller->controllerDbList()->selectDatabase(window.database);
        const int before = window.database->numItems();
        ScriptedAlertPresenter alerts({1});
        QVERIFY(!window.controller->newEntryController()->appendBibItem());
        QCOMPARE(alerts.requests().size(), size_t(1));
        QCOMPARE(window.database->numItems(), before);
    }
};

QF_GUI_TEST_MAIN(NewEntryTest)
#include "NewEntryTest.moc"
