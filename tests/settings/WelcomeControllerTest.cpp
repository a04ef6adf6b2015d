#include "GuiTestMain.h"

#include "core/TextEncodings.h"
#include "prefs/BibPreferences.h"
#include "settings/EncodingPopup.h"
#include "settings/LineEndingPopup.h"
#include "settings/WelcomeController.h"
#include "storage/StoragePrefs.h"

#include <QDialog>
#include <QMainWindow>
#include <QSignalSpy>

class WelcomeControllerTest : public QObject
{
    Q_OBJECT

private:
    BibPreferences &preferences() { return *BibPreferences::globalPreferences(); }

private Q_SLOTS:
    void init()
    {
        preferences().setDatabaseEncoding(TextEncodings::UTF8);
        preferences().setDatabaseLineMode(2);
    }

    void sheetShowsThePreferencesAndHoldsTheLoaders()
    {
        QMainWindow window;
        window.show();
        WelcomeController welcome(&window);
        preferences().setDatabaseLineMode(1);
        welcome.openWelcomeMessage();
        QVERIFY(welcome.isRunning());
        QVERIFY(StoragePrefs::runningWelcome());
        QVERIFY(welcome.panel()->isVisible());
        QCOMPARE(welcome.panel()->windowModality(), Qt::WindowModal);
        QCOMPARE(welcome.encodingPopup()->encoding(), int(TextEncodings::UTF8));
        QCOMPARE(welcome.lineEndingPopup()->lineEnding(), 1);
        welcome.ok();
        QVERIFY(!StoragePrefs::runningWelcome());
    }

    void endingTheSheet_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("OK stores the choices") << true;
        QTest::newRow("closed otherwise: defaults kept, loading goes on") << false;
    }

    void endingTheSheet()
    {
        QFETCH(bool, confirm);
        QMainWindow window;
        window.show();
        WelcomeController welcome(&window);
        QSignalSpy finished(&welcome, &WelcomeController::finished);
        welcome.openWelcomeMessage();
        welcome.encodingPopup()->setEncoding(TextEncodings::ShiftJIS);
        welcome.lineEndingPopup()->setLineEnding(0);
        if (confirm)
            welcome.ok();
        else
            QTest::keyClick(welcome.panel(), Qt::Key_Escape);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!welcome.isRunning());
        QVERIFY(!StoragePrefs::runningWelcome());
        QCOMPARE(preferences().databaseEncoding(),
                 confirm ? quint32(TextEncodings::ShiftJIS) : quint32(TextEncodings::UTF8));
        QCOMPARE(preferences().databaseLineMode(), confirm ? 0 : 2);
        QTRY_VERIFY(welcome.panel() == nullptr);
    }

    void controllerGoneReleasesTheLoaders()
    {
        QMainWindow window;
        {
            WelcomeController welcome(&window);
            welcome.openWelcomeMessage();
            QVERIFY(StoragePrefs::runningWelcome());
        }
        QVERIFY(!StoragePrefs::runningWelcome());
    }
};

QF_GUI_TEST_MAIN(WelcomeControllerTest)
#include "WelcomeControllerTest.moc"
