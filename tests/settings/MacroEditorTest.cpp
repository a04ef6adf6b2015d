#include "GuiTestMain.h"

#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "model/MacroList.h"
#include "settings/DatabaseEditors.h"
#include "settings/MacroEditor.h"
#include "settings/PreambleEditor.h"
#include "storage/LibraryTestSupport.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

class MacroEditorTest : public QObject
{
    Q_OBJECT

private:
    static void setCell(MacroEditor &editor, int row, int column, const QString &text)
    {
        editor.table()->item(row, column)->setText(text);
    }

private Q_SLOTS:
    void initTestCase() { setUpLibraryServices(); }

    void typedTextIsCheckedLive_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("nameTip");
        QTest::addColumn<QString>("valueTip");
        const QString syntax = Texts::text(u"FieldSyntaxError");
        QTest::newRow("sound") << u"jcp"_s << u"J. Chem. Phys."_s << QString() << QString();
        QTest::newRow("leading digit") << u"1abc"_s << u"x"_s << syntax << QString();
        QTest::newRow("inner blank") << u"a b"_s << u"x"_s << syntax << QString();
        QTest::newRow("open brace") << u"ok"_s << u"{x"_s << QString() << syntax;
        QTest::newRow("bad expression") << u"ok"_s << u"@jan # {x"_s << QString() << syntax;
        QTest::newRow("taken name")
            << u"JAN"_s << u"x"_s << Texts::text(u"FieldDupNameError") << QString();
    }

    void typedTextIsCheckedLive()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, nameTip);
        QFETCH(QString, valueTip);
        MacroList list;
        list.setMacroWithName(u"jan"_s, u"January"_s);
        MacroEditor editor(u"t"_s, list);
        editor.addMacro();
        setCell(editor, 1, 0, name);
        setCell(editor, 1, 1, value);
        QCOMPARE(editor.table()->item(1, 0)->toolTip(), nameTip);
        QCOMPARE(editor.table()->item(1, 1)->toolTip(), valueTip);
        const bool sound = nameTip.isEmpty() && valueTip.isEmpty();
        QCOMPARE(editor.isValid(), sound);
        QCOMPARE(editor.buttons()->button(QDialogButtonBox::Ok)->isEnabled(), sound);
    }

    void macroEditsReexpandTheEntries()
    {
        LibraryTree tree;
        LocalDatabase *db =
            tree.open(LibraryTree::makeDatabase(u"db"_s, {u"a1|article|journal = jcp"_s}));
        db->macroList()->setMacroWithName(u"jcp"_s, u"Old Journal"_s);
        db->applyMacrosToBibitems();
        db->setDirty(false);
        const BibItemPtr item = db->allItems()->front();
        QCOMPARE(item->fieldDataForView(u"journal"_s), u"Old Journal"_s);

        MacroEditor editor(u"t"_s, *db->macroList());
        setCell(editor, 0, 1, u"J. Chem. Phys."_s);
        editor.addMacro();
        setCell(editor, 1, 0, u"jacs"_s);
        setCell(editor, 1, 1, u"@jcp"_s);
        QVERIFY(editor.isValid());
        DatabaseEditors::applyMacros(*db, editor.macros());
        QCOMPARE(item->fieldDataForView(u"journal"_s), u"J. Chem. Phys."_s);
        QCOMPARE(db->macroList()->macroNameList(), (QStringList{u"JCP"_s, u"JACS"_s}));
        QCOMPARE(db->macroList()->expandMacro(u"JACS"_s, false), u"J. Chem. Phys."_s);
        QVERIFY(db->isDirty());
    }

    void importFromAStyleFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"x.bst"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("MACRO {jan} {\"Jan.\"}\nMACRO {pr} {\"Phys. Rev.\"}\n");
        file.close();
        MacroList list;
        list.setMacroWithName(u"jan"_s, u"January"_s);
        MacroEditor editor(u"t"_s, list);
        QVERIFY(editor.importFromStyleFile(path));
        const MacroList result = editor.macros();
        QCOMPARE(result.macroNameList(), (QStringList{u"JAN"_s, u"PR"_s}));
        QCOMPARE(result.macroDataForEdit().value(u"JAN"_s), u"Jan."_s);
        ScriptedAlertPresenter alerts;
        QVERIFY(!editor.importFromStyleFile(dir.filePath(u"missing.bst"_s)));
        QCOMPARE(alerts.requests().size(), size_t(1));
    }

    void preamblesAreCheckedAndKeptVerbatim()
    {
        LibraryTree tree;
        LocalDatabase *db = tree.open(LibraryTree::makeDatabase(u"db"_s, {}));
        PreambleEditor editor(u"t"_s, {u"\"\\newcommand{\\x}{y}\""_s});
        editor.addPreamble();
        editor.table()->item(1, 0)->setText(u"{\\def\\a{b}"_s);
        QVERIFY(!editor.isValid());
        // Removing the faulty row lets OK go; a new row is checked again.
        editor.table()->selectRow(1);
        editor.removeSelectedRows();
        QVERIFY(editor.buttons()->button(QDialogButtonBox::Ok)->isEnabled());
        editor.addPreamble();
        editor.table()->item(1, 0)->setText(u"{\\def\\a{b}"_s);
        QVERIFY(!editor.buttons()->button(QDialogButtonBox::Ok)->isEnabled());
        editor.table()->item(1, 0)->setText(u"  {\\def\\a{b}}  "_s);
        QVERIFY(editor.isValid());
        editor.addPreamble(); // left empty: dropped
        DatabaseEditors::applyPreambles(*db, editor.preambles());
        QCOMPARE(db->preambleList(),
                 (QStringList{u"\"\\newcommand{\\x}{y}\""_s, u"{\\def\\a{b}}"_s}));
    }
};

QF_GUI_TEST_MAIN(MacroEditorTest)
#include "MacroEditorTest.moc"
