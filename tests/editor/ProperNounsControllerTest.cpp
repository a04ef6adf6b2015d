#include "editor/ProperNounsController.h"
#include "../GuiTestMain.h"
#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "editor/WordListModel.h"
#include "prefs/BibPreferences.h"
#include "settings/PreferencesDialog.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The word-list sheet on its own: the three lists, editing in place,
// duplicates, Delete, import and export through a scripted file chooser and
// scripted alerts.
class ProperNounsControllerTest : public QObject
{
    Q_OBJECT

private:
    static TitleSmartPaste::WordLists sampleLists()
    {
        TitleSmartPaste::WordLists lists;
        lists.properNouns = {u"Zeeman"_s, u"Bohr"_s, u"Dirac"_s};
        lists.lowercaseWords = {u"between"_s, u"through"_s};
        lists.captalizeWords = {u"two"_s};
        return lists;
    }
    static bool enabledForFiles(const ProperNounsController &sheet)
    {
        return sheet.okButton()->isEnabled() && sheet.importButton()->isEnabled() &&
               sheet.exportButton()->isEnabled();
    }
    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void listsAreShownSortedOneCategoryAtATime()
    {
        ProperNounsController sheet(sampleLists());
        QAbstractItemModelTester tester(sheet.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(sheet.model()->words(), (QStringList{u"Bohr"_s, u"Dirac"_s, u"Zeeman"_s}));
        QCOMPARE(sheet.model()->rowCount(), 4); // and the row that adds a word
        sheet.categoryPopup()->setCurrentIndex(WordListFile::LongConjunctions);
        QCOMPARE(sheet.model()->words(), (QStringList{u"between"_s, u"through"_s}));
        sheet.categoryPopup()->setCurrentIndex(WordListFile::ShortNormals);
        QCOMPARE(sheet.model()->words(), QStringList{u"two"_s});
        // Each list goes back where it came from.
        const TitleSmartPaste::WordLists lists = sheet.lists();
        QCOMPARE(lists.properNouns, (QStringList{u"Bohr"_s, u"Dirac"_s, u"Zeeman"_s}));
        QCOMPARE(lists.lowercaseWords, (QStringList{u"between"_s, u"through"_s}));
        QCOMPARE(lists.captalizeWords, QStringList{u"two"_s});
    }

    void editsAreNormalisedOrRefused_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("new proper noun capitalised")
            << 0 << 3 << u"  monte\n"_s << true
            << QStringList{u"Bohr"_s, u"Dirac"_s, u"Zeeman"_s, u"Monte"_s};
        QTest::newRow("long word lower-cased")
            << 1 << 2 << u"BEYOND"_s << true
            << QStringList{u"between"_s, u"through"_s, u"beyond"_s};
        QTest::newRow("word changed in place")
            << 0 << 1 << u"dyson"_s << true << QStringList{u"Bohr"_s, u"Dyson"_s, u"Zeeman"_s};
        QTest::newRow("empty word deletes the row")
            << 0 << 0 << u"  "_s << true << QStringList{u"Dirac"_s, u"Zeeman"_s};
        QTest::newRow("empty adding row adds nothing")
            << 2 << 1 << QString() << true << QStringList{u"two"_s};
        QTest::newRow("duplicate of another row refused")
            << 0 << 0 << u"ZEEMAN"_s << false << QStringList{u"Bohr"_s, u"Dirac"_s, u"Zeeman"_s};
        QTest::newRow("duplicate added refused")
            << 2 << 1 << u"Two"_s << false << QStringList{u"two"_s};
    }
    void editsAreNormalisedOrRefused()
    {
        QFETCH(int, category);
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(QStringList, after);
        ProperNounsController sheet(sampleLists());
        QAbstractItemModelTester tester(sheet.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        sheet.showCategory(category);
        WordListModel *model = sheet.model();
        QCOMPARE(model->setData(model->index(row), typed), accepted);
        QCOMPARE(model->words(), after);
        QCOMPARE(model->rowCount(), after.size() + 1);
        QVERIFY(enabledForFiles(sheet));
    }

    void duplicateTypedIsRedAndHoldsOk()
    {
        ProperNounsController sheet(sampleLists());
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QListView *view = sheet.listView();
        const QModelIndex adding = sheet.model()->index(3);
        view->setCurrentIndex(adding);
        view->edit(adding);
        auto *editor = view->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        QTest::keyClicks(editor, u"dira"_s);
        QVERIFY(enabledForFiles(sheet));
        QTest::keyClicks(editor, u"c"_s);
        QCOMPARE(editor->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(editor->toolTip(), Texts::text(u"FieldDupNameError"));
        QVERIFY(!sheet.okButton()->isEnabled());
        QVERIFY(!sheet.importButton()->isEnabled());
        QVERIFY(!sheet.exportButton()->isEnabled());
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, u"k"_s);
        QVERIFY(enabledForFiles(sheet));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!view->viewport()->findChild<QLineEdit *>() ||
                    !view->viewport()->findChild<QLineEdit *>()->isVisible());
        QVERIFY(sheet.model()->words().contains(u"Dirak"_s));
    }

    void duplicatesInTheSettingsAreRed()
    {
        TitleSmartPaste::WordLists lists = sampleLists();
        lists.lowercaseWords << u"between"_s;
        ProperNounsController sheet(lists);
        QVERIFY(!sheet.okButton()->isEnabled());
        sheet.showCategory(WordListFile::LongConjunctions);
        const QModelIndex first = sheet.model()->index(0);
        QCOMPARE(first.data().toString(), u"between"_s);
        QCOMPARE(first.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
        QCOMPARE(first.data(Qt::ToolTipRole).toString(), Texts::text(u"FieldDupNameError"));
        QVERIFY(!sheet.model()->index(2).data(Qt::ForegroundRole).isValid());
        sheet.model()->setData(first, QString());
        QVERIFY(sheet.okButton()->isEnabled());
        QCOMPARE(sheet.lists().lowercaseWords, (QStringList{u"between"_s, u"through"_s}));
    }

    void deleteKeyRemovesTheSelectedWords()
    {
        ProperNounsController sheet(sampleLists());
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QListView *view = sheet.listView();
        view->setFocus();
        view->selectionModel()->select(sheet.model()->index(0), QItemSelectionModel::Select);
        view->selectionModel()->select(sheet.model()->index(2), QItemSelectionModel::Select);
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(sheet.model()->words(), QStringList{u"Dirac"_s});
        // The adding row cannot be deleted.
        view->selectionModel()->select(sheet.model()->index(1),
                                       QItemSelectionModel::ClearAndSelect);
        sheet.deleteButton()->click();
        QCOMPARE(sheet.model()->rowCount(), 2);
    }

    void importAddsNewWordsAndSaysSo()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"words.txt"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("schr\xc3\xb6"
                   "dinger, BOHR\n\xc3\xa5ngstr\xc3\xb6m; dirac\n");
        file.close();

        ProperNounsController sheet(sampleLists());
        sheet.setFileChooser([&](bool forExport) { return forExport ? QString() : path; });
        ScriptedAlertPresenter alerts({1});
        sheet.importButton()->click();
        QStringList words = sheet.model()->words();
        QCOMPARE(words, WordListFile::sortedWords(words));
        words.sort();
        QCOMPARE(words, (QStringList{u"Bohr"_s, u"Dirac"_s, u"Schr\u00f6dinger"_s, u"Zeeman"_s,
                                     u"\u00c5ngstr\u00f6m"_s}));
        QModelIndexList selected = sheet.listView()->selectionModel()->selectedIndexes();
        QCOMPARE(selected.size(), 2);
        const auto requests = alerts.requests();
        QCOMPARE(requests.size(), std::size_t(1));
        QCOMPARE(requests[0].title, Texts::text(u"ImportWordsNote"));
        QCOMPARE(requests[0].message, Texts::format(u"ImportWordsNoteMessage", {u"2"_s}) +
                                          Texts::format(u"ImportWordsNoteIgnored", {u"2"_s}));

        // A cancelled chooser changes nothing and asks nothing.
        sheet.setFileChooser([](bool) { return QString(); });
        sheet.importButton()->click();
        QCOMPARE(sheet.model()->words().size(), 5);
        QCOMPARE(alerts.requests().size(), std::size_t(1));
    }

    void exportWritesTheShownListOrSaysWhyNot()
    {
        QTemporaryDir dir;
        ProperNounsController sheet(sampleLists());
        ScriptedAlertPresenter alerts({1});
        QString target = dir.filePath(u"long.txt"_s);
        sheet.setFileChooser([&](bool forExport) { return forExport ? target : QString(); });
        sheet.showCategory(WordListFile::LongConjunctions);
        sheet.model()->setData(sheet.model()->index(2), u"\u00fcber"_s);
        sheet.exportButton()->click();
        QCOMPARE(readFile(target), QByteArray("between\nthrough\n\xc3\xbc"
                                              "ber\n"));
        QVERIFY(alerts.requests().empty());

        // A folder where the file should go.
        target = dir.filePath(u"folder"_s);
        QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
        sheet.exportButton()->click();
        const auto requests = alerts.requests();
        QCOMPARE(requests.size(), std::size_t(1));
        QCOMPARE(requests[0].title, Texts::text(u"ExportError"));
        QCOMPARE(requests[0].message, Texts::format(u"ExportErrorRemove", {target}));
    }

    void okHandsTheListsBackAndCancelDoesNot()
    {
        TitleSmartPaste::WordLists received;
        int calls = 0;
        QWidget parent;
        ProperNounsController *sheet = ProperNounsController::editProperNouns(
            sampleLists(), &parent, [&](const TitleSmartPaste::WordLists &lists) {
                received = lists;
                ++calls;
            });
        sheet->showCategory(WordListFile::ShortNormals);
        sheet->model()->setData(sheet->model()->index(1), u"ray"_s);
        sheet->okButton()->click();
        QCOMPARE(calls, 1);
        QCOMPARE(received.captalizeWords, (QStringList{u"two"_s, u"ray"_s}));

        sheet = ProperNounsController::editProperNouns(
            sampleLists(), &parent, [&](const TitleSmartPaste::WordLists &) { ++calls; });
        sheet->model()->setData(sheet->model()->index(0), QString());
        sheet->reject();
        QCOMPARE(calls, 1);
    }

    void preferencesDialogOpensTheSheetOnItsLists()
    {
        if (!BibPreferences::globalPreferences())
            BibPreferences::createGlobalObject();
        PreferencesDialog dialog(*BibPreferences::globalPreferences());
        dialog.properNounsField()->setPlainText(u"Bohr Dirac"_s);
        QPushButton *edit = nullptr;
        for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
            if (button->text() == Texts::text(u"ProperNouns_Edit"))
                edit = button;
        }
        QVERIFY(edit);
        edit->click();
        auto *sheet = dialog.findChild<ProperNounsController *>();
        QVERIFY(sheet);
        QCOMPARE(sheet->model()->words(), (QStringList{u"Bohr"_s, u"Dirac"_s}));
        sheet->model()->setData(sheet->model()->index(2), u"fermi"_s);
        sheet->okButton()->click();
        QCOMPARE(dialog.properNounsField()->toPlainText(), u"Bohr Dirac Fermi"_s);
    }
};

QF_GUI_TEST_MAIN(ProperNounsControllerTest)
#include "ProperNounsControllerTest.moc"
