#include "GuiTestMain.h"

#include "app/ActionRegistry.h"
#include "app/DBListController.h"
#include "app/ItemListController.h"
#include "app/ItemListModel.h"
#include "app/MainWindow.h"
#include "app/QFMainController.h"
#include "editor/DetailInfoController.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"
#include "settings/PreferencesDialog.h"
#include "settings/WelcomeController.h"
#include "storage/DatabaseGroup.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

// What is confirmed in the preferences dialog shows at once in the window:
// the entry list's columns and author cells, the copy commands' text and the
// key generation.
class WindowFollowsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QFMainController> m_window;
    std::unique_ptr<QAbstractItemModelTester> m_tester;

    BibPreferences &prefs() { return *BibPreferences::globalPreferences(); }
    ItemListController *items() const { return m_window->controllerItemList(); }

    PreferencesDialog *openPreferences()
    {
        m_window->actions()->action(QFMainController::TagPreferences)->trigger();
        return m_window->mainWindow()->findChild<PreferencesDialog *>();
    }

    BibItemPtr entry() const
    {
        const BibDatabase *database = m_window->controllerDbList()->databaseNode()->firstChild();
        return database->allItems()->front();
    }

    QString cell(const QString &column) const
    {
        ItemListModel *model = items()->model();
        const int col = model->columnOfIdentifier(column);
        if (col < 0)
            return {};
        return model->index(0, col).data().toString();
    }

private Q_SLOTS:
    void init()
    {
        QFile file(m_dir.filePath(u"refs.bib"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("@ARTICLE{old, author = {Doe, John and Roe, Richard}, title = {Waves},\n"
                   "  journal = {J. Fluid Mech.}, volume = {12}, year = {1999}}\n");
        file.close();
        m_window = std::make_unique<QFMainController>();
        m_window->applicationWillFinishLaunching();
        if (WelcomeController *welcome = m_window->welcomeController(); welcome->isRunning())
            welcome->ok();
        prefs().setDefaults();
        m_window->relayPreferencesChanged(false, true);
        DBListController *list = m_window->controllerDbList();
        QVERIFY(m_window->openFile(file.fileName()));
        QTRY_VERIFY_WITH_TIMEOUT(!list->isLoading(), 20000);
        list->selectDatabase(list->databaseNode()->firstChild());
        m_tester = std::make_unique<QAbstractItemModelTester>(
            items()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(items()->model()->rowCount(), 1);
    }

    void cleanup()
    {
        m_tester.reset();
        m_window.reset();
        QFile::remove(m_dir.filePath(u"refs.bib"_s));
    }

    void anAddedColumnAppearsInTheEntryList()
    {
        QCOMPARE(items()->model()->columnOfIdentifier(u"07_volume"_s), -1);
        PreferencesDialog *dialog = openPreferences();
        const auto volume = dialog->columnList()->findItems(u"Vol."_s, Qt::MatchExactly);
        QCOMPARE(volume.size(), qsizetype(1));
        volume.front()->setCheckState(Qt::Checked);
        dialog->buttons()->button(QDialogButtonBox::Ok)->click();
        QVERIFY(items()->model()->columnOfIdentifier(u"07_volume"_s) >= 0);
        QCOMPARE(cell(u"07_volume"_s), u"12"_s);
    }

    // A changed author format alone re-makes the list cells without expanding
    // every entry again; the busy indicator shows meanwhile and goes after.
    void aChangedAuthorFormatChangesTheAuthorCells()
    {
        const QString before = cell(u"04_author"_s);
        QVERIFY(before.contains(u"Doe"_s));
        QList<bool> indicatorShown;
        connect(m_window.get(), &QFMainController::busyChanged, this, [&](bool busy) {
            indicatorShown << !m_window->controllerDbList()->loadingIndicator()->isHidden();
            QCOMPARE(m_window->isBusy(), busy);
        });
        PreferencesDialog *dialog = openPreferences();
        QComboBox *format = dialog->authorListFormatPopup();
        format->setCurrentIndex((format->currentIndex() + 1) % format->count());
        dialog->buttons()->button(QDialogButtonBox::Ok)->click();
        QVERIFY(cell(u"04_author"_s).contains(u"Doe"_s));
        QVERIFY(cell(u"04_author"_s) != before);
        QCOMPARE(indicatorShown, (QList<bool>{true, false}));
    }

    void aChangedTemplateChangesTheCopiedText()
    {
        PreferencesDialog *dialog = openPreferences();
        dialog->typePopup()->setCurrentIndex(dialog->typePopup()->findData(u"ARTICLE"_s));
        dialog->formatsField()->setPlainText(u"[<title>][ / <year>]"_s);
        dialog->buttons()->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(items()->selectBibItems({entry()}), 1);
        m_window->actions()->updateEnabled();
        m_window->actions()->action(ItemListController::TagCopyAsTextList)->trigger();
        const QString copied = QGuiApplication::clipboard()->mimeData()->text();
        QVERIFY2(copied.contains(u"Waves / 1999"_s), qPrintable(copied));
        QVERIFY2(!copied.contains(u"Doe"_s), qPrintable(copied));
    }

    void theKeyRuleIsUsedByKeyGeneration()
    {
        PreferencesDialog *dialog = openPreferences();
        dialog->keyRuleField()->setText(u"[<fam>][:<year>]"_s);
        dialog->buttons()->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(items()->selectBibItems({entry()}), 1);
        m_window->controllerDetail()->setEnableEdit(true);
        m_window->actions()->updateEnabled();
        QAction *generate = m_window->actions()->action(DetailInfoController::TagGenerateBibKey);
        QVERIFY(generate->isEnabled());
        generate->trigger();
        QCOMPARE(entry()->bibKey(), u"Doe:1999"_s);
    }
};

QF_GUI_TEST_MAIN(WindowFollowsTest)
#include "WindowFollowsTest.moc"
