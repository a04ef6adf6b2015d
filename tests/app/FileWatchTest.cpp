// Files changed by other programs while they are open, and the auto-save
// timer: a clean database follows its file, a changed one asks, auto-save
// never asks and skips what it must not write.
#include "app/AppTestSupport.h"

#include "GuiTestMain.h"
#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"
#include "storage/DatabaseGroup.h"
#include "storage/LocalDatabase.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

using namespace AppTest;
using namespace Qt::StringLiterals;

namespace {

QByteArray threeEntries()
{
    return kSmallBib + "\n@misc{third,\n  title = {Third}\n}\n";
}

void edit(LocalDatabase *database)
{
    const BibItemPtr item = database->allItems()->front();
    item->setFieldData(u"Mine"_s, u"title"_s);
    item->fixChanged();
}

// Rewrites the file as another program would, with a later time stamp.
void changeOnDisk(const QString &path, const QByteArray &text)
{
    QTest::qWait(20);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5),
                             QFileDevice::FileModificationTime));
}

} // namespace

class FileWatchTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QFMainController> m_window;
    DBListController *m_list = nullptr;

    LocalDatabase *open(const QString &name)
    {
        LocalDatabase *database =
            m_list->appendLocalDatabase(writeFile(*m_dir, name, kSmallBib), false);
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
    }

    void cleanup() { m_window.reset(); }

    void aCleanDatabaseFollowsItsFile()
    {
        LocalDatabase *database = open(u"small.bib"_s);
        changeOnDisk(database->fullPath(), threeEntries());
        m_list->checkFileOnDisk(database);
        QVERIFY(waitForLoading(m_list));
        QCOMPARE(database->numItems(), 3);
        QCOMPARE(treeRows(m_list).at(1), u"  small (3)"_s);
        QVERIFY(m_list->statusLabel()->text().contains(
            Texts::format(u"Win_StatusReloaded", {u"small"_s})));
    }

    void theWatcherNoticesAnOutsideWrite()
    {
        LocalDatabase *database = open(u"small.bib"_s);
        changeOnDisk(database->fullPath(), threeEntries());
        QTRY_COMPARE_WITH_TIMEOUT(database->numItems(), 3, 10000);
    }

    void aChangedDatabaseAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("stillMine");
        QTest::newRow("Keep mine") << 1 << 2 << true;
        QTest::newRow("Reload drops mine") << 0 << 3 << false;
    }

    void aChangedDatabaseAsks()
    {
        QFETCH(int, answer);
        QFETCH(int, items);
        QFETCH(bool, stillMine);
        LocalDatabase *database = open(u"small.bib"_s);
        edit(database);
        changeOnDisk(database->fullPath(), threeEntries());
        ScriptedAlertPresenter alerts({answer});
        m_list->checkFileOnDisk(database);
        QCOMPARE(alerts.requests().size(), size_t(1));
        QCOMPARE(alerts.requests().front().title, Texts::text(u"Win_ChangedOnDisk"));
        QVERIFY(waitForLoading(m_list));
        QCOMPARE(database->numItems(), items);
        QCOMPARE(database->isDirty(), stillMine);
        if (stillMine) {
            // Kept deliberately: the next save writes mine without asking again.
            QVERIFY(m_list->saveSelection());
            QCOMPARE(alerts.requests().size(), size_t(1));
            QVERIFY(readFile(database->fullPath()).contains("Mine"));
        }
    }

    void aSaveNeverOverwritesAnOutsideChangeUnasked()
    {
        LocalDatabase *database = open(u"small.bib"_s);
        edit(database);
        changeOnDisk(database->fullPath(), threeEntries());
        ScriptedAlertPresenter alerts({0}); // reload from disk
        m_list->selectDatabase(database);
        QVERIFY(!m_list->saveSelection());
        QCOMPARE(alerts.requests().size(), size_t(1));
        QCOMPARE(readFile(database->fullPath()), threeEntries());
    }

    void autoSaveSavesEachDatabaseAndNeverAsks()
    {
        LocalDatabase *first = open(u"first.bib"_s);
        LocalDatabase *second = open(u"second.bib"_s);
        LocalDatabase *third = open(u"third.bib"_s);
        edit(first);
        edit(second);
        edit(third);
        // The second file was changed by another program: auto-save leaves it.
        changeOnDisk(second->fullPath(), threeEntries());
        QFile::remove(third->fullPath());
        QDir().mkdir(third->fullPath()); // the third cannot be written
        ScriptedAlertPresenter alerts({}, 1);
        m_list->autoSave();
        QVERIFY(alerts.requests().empty());
        QVERIFY(readFile(first->fullPath()).contains("Mine"));
        QVERIFY(!first->isDirty());
        QCOMPARE(readFile(second->fullPath()), threeEntries());
        QVERIFY(second->isDirty());
        QVERIFY(third->isDirty());
        QVERIFY(m_list->statusLabel()->text().contains(u"third"_s));
    }

    void autoSaveRunsAtLeastAMinuteApart()
    {
        BibPreferences *prefs = BibPreferences::globalPreferences();
        prefs->setValue(BibPreferences::kAutoSaveInterval, 0);
        prefs->setAutoSave(true);
        m_list->stopAutoSave();
        m_list->startAutoSave();
        const QList<QTimer *> timers = m_list->findChildren<QTimer *>();
        bool found = false;
        for (const QTimer *timer : timers)
            found = found || (timer->isActive() && timer->interval() == 60 * 1000);
        QVERIFY(found);
        prefs->setAutoSave(false);
        m_list->stopAutoSave();
    }
};

QF_GUI_TEST_MAIN(FileWatchTest)
#include "FileWatchTest.moc"
