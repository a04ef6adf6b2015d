#include "GuiTestMain.h"

#include "app/ActionRegistry.h"
#include "app/DBListController.h"
#include "app/MainWindow.h"
#include "app/QFMainController.h"
#include "core/Texts.h"
#include "model/FormatElement.h"
#include "model/MacroList.h"
#include "prefs/BibPreferences.h"
#include "settings/PreferencesDialog.h"
#include "settings/WelcomeController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>

using namespace Qt::StringLiterals;

class PreferencesDialogTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QFMainController> m_window;

    BibPreferences &prefs() { return *BibPreferences::globalPreferences(); }

    PreferencesDialog *openThroughTheMenu()
    {
        m_window->actions()->action(QFMainController::TagPreferences)->trigger();
        return m_window->mainWindow()->findChild<PreferencesDialog *>();
    }

private Q_SLOTS:
    void init()
    {
        m_window = std::make_unique<QFMainController>();
        m_window->applicationWillFinishLaunching();
        if (WelcomeController *welcome = m_window->welcomeController(); welcome->isRunning())
            welcome->ok();
        prefs().setDefaults();
    }

    void cleanup() { m_window.reset(); }

    void confirmingWritesAndAnnounces()
    {
        QSignalSpy announced(m_window.get(), &QFMainController::preferencesChanged);
        PreferencesDialog *dialog = openThroughTheMenu();
        QVERIFY(dialog);
        dialog->backupsBox()->setValue(2);
        QVERIFY(dialog->writeUntouchedCheck()->isChecked());
        dialog->writeUntouchedCheck()->setChecked(false);
        dialog->separatorField()->setText(u";"_s);
        dialog->authorListFormatPopup()->setCurrentIndex(1);
        // The first shown column goes; a hidden one comes.
        QListWidgetItem *first = dialog->columnList()->item(0);
        const QString removed = first->data(Qt::UserRole).toString();
        first->setCheckState(Qt::Unchecked);
        const auto added = dialog->columnList()->findItems(u"Vol."_s, Qt::MatchExactly);
        QCOMPARE(added.size(), qsizetype(1));
        added.front()->setCheckState(Qt::Checked);
        dialog->keyRuleField()->setText(u"[<fam>][:<year>]"_s);
        dialog->properNounsField()->setPlainText(u"Bohr  Dirac\nFermi"_s);
        dialog->buttonTable()->item(0, 0)->setText(u"\\varpi"_s);
        MacroList macros = *prefs().macroList();
        macros.setMacroWithName(u"prl"_s, u"Phys. Rev. Lett."_s);
        dialog->setCommonMacros(macros);
        prefs().setDirty(false);
        dialog->buttons()->button(QDialogButtonBox::Ok)->click();

        QCOMPARE(prefs().numBackups(), 2);
        QVERIFY(!prefs().writeUntouchedAsRead());
        QCOMPARE(prefs().authorSeparatorOnCopy(), u"; "_s);
        QCOMPARE(prefs().authorListFormat(), 1);
        QVERIFY(!prefs().listColumnOrder().contains(removed));
        QVERIFY(prefs().listColumnOrder().contains(u"07_volume"_s));
        QCOMPARE(prefs().bibkeyGenRule(), u"[<fam>][:<year>]"_s);
        QCOMPARE(prefs().properNouns(), (QStringList{u"Bohr"_s, u"Dirac"_s, u"Fermi"_s}));
        const QVariantList buttons = prefs().inputButtonDefinitions();
        QCOMPARE(buttons.size(), qsizetype(30));
        QCOMPARE(buttons.front().toList(),
                 (QVariantList{u"\\varpi"_s, QString(), 1, Texts::text(u"support_others_01")}));
        QCOMPARE(prefs().macroList()->expandMacro(u"PRL"_s, false), u"Phys. Rev. Lett."_s);
        QVERIFY(prefs().dirty());
        QCOMPARE(announced.size(), 1);
        QCOMPARE(announced.front().at(0).toBool(), true); // macros
        QCOMPARE(announced.front().at(1).toBool(), true); // the author format of the list
    }

    void templatesAreCheckedAsTyped_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("valid");
        QTest::newRow("sound") << u"[<fam>][<year>]"_s << u"[<author>, ][<year>]"_s << true;
        QTest::newRow("rule: stray ]") << u"]<fam>["_s << u"[<author>]"_s << false;
        QTest::newRow("format: < in a slot") << u"[<fam>]"_s << u"[<auth<or>]"_s << false;
        QTest::newRow("format: empty") << u"[<fam>]"_s << QString() << false;
    }

    void templatesAreCheckedAsTyped()
    {
        QFETCH(QString, rule);
        QFETCH(QString, format);
        QFETCH(bool, valid);
        PreferencesDialog dialog(prefs());
        dialog.keyRuleField()->setText(rule);
        dialog.formatsField()->setPlainText(format);
        QCOMPARE(dialog.isValid(), valid);
        QCOMPARE(dialog.buttons()->button(QDialogButtonBox::Ok)->isEnabled(), valid);
        QCOMPARE(dialog.keyRuleError()->text().isEmpty() && dialog.formatError()->text().isEmpty(),
                 valid);
    }

    void aChangedListFormatIsStoredNormalised()
    {
        QSignalSpy announced(m_window.get(), &QFMainController::preferencesChanged);
        PreferencesDialog *dialog = openThroughTheMenu();
        dialog->typePopup()->setCurrentIndex(dialog->typePopup()->findData(u"BOOK"_s));
        dialog->formatsField()->setPlainText(u"[<title>]   [ (<year>)]"_s);
        dialog->buttons()->button(QDialogButtonBox::Ok)->click();
        const QStringList formats =
            prefs().bibTypeDefinitions().value(u"BOOK"_s).toList().value(2).toStringList();
        QString error;
        QCOMPARE(formats,
                 QStringList{FormatElement::normalizedStringOf(u"[<title>] [ (<year>)]"_s, error)});
        QCOMPARE(announced.size(), 1);
        QCOMPARE(announced.front().at(0).toBool(), false);
        QCOMPARE(announced.front().at(1).toBool(), true);
    }

    void cancelChangesNothingAndAutoSaveResumes()
    {
        prefs().setAutoSave(true);
        m_window->controllerDbList()->startAutoSave();
        QVERIFY(m_window->controllerDbList()->autoSaveRunning());
        const QVariant before = prefs().value(BibPreferences::kNumberOfBackupFiles);
        QSignalSpy announced(m_window.get(), &QFMainController::preferencesChanged);
        PreferencesDialog *dialog = openThroughTheMenu();
        QVERIFY(!m_window->controllerDbList()->autoSaveRunning());
        QVERIFY(prefs().prefInitialized()); // the settings were saved before it opened
        dialog->backupsBox()->setValue(9);
        dialog->buttons()->button(QDialogButtonBox::Cancel)->click();
        QCOMPARE(prefs().value(BibPreferences::kNumberOfBackupFiles), before);
        QVERIFY(announced.isEmpty());
        QVERIFY(m_window->controllerDbList()->autoSaveRunning());
    }

    void opening()
    {
        QBENCHMARK
        {
            PreferencesDialog dialog(prefs());
            dialog.show();
            QCoreApplication::processEvents();
        }
    }
};

QF_GUI_TEST_MAIN(PreferencesDialogTest)
#include "PreferencesDialogTest.moc"
