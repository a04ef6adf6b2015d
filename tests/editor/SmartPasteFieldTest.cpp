#include "editor/EditorTestSupport.h"

#include "../GuiTestMain.h"
#include "app/ActionRegistry.h"
#include "app/MainWindow.h"
#include "editor/BibFieldDataField.h"
#include "editor/DetailInfoController.h"
#include "editor/ProperNounsController.h"
#include "editor/WordListModel.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"

#include <QAction>
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace Qt::StringLiterals;
using EditorTest::fieldNamed;
using EditorTest::OpenWindow;

// Pasting through the clipboard into the entry editor of the real window: the
// author and title fields rewrite what arrived, every other field and a paste
// with the switch off take it as it is.
class SmartPasteFieldTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static void pasteInto(QLineEdit *field, const QString &clip)
    {
        QGuiApplication::clipboard()->setText(clip);
        field->setFocus();
        QTest::keySequence(field, QKeySequence::Paste);
    }
    static void setSwitches(const OpenWindow &window, bool author, bool title)
    {
        BibPreferences *prefs = BibPreferences::globalPreferences();
        prefs->setSmartAuthorPaste(author);
        prefs->setSmartTitlePaste(title);
        window.editor()->prefsChanged();
    }

private Q_SLOTS:
    void init()
    {
        if (!BibPreferences::globalPreferences())
            BibPreferences::createGlobalObject();
        BibPreferences::globalPreferences()->setSmartAuthorPaste(true);
        BibPreferences::globalPreferences()->setSmartTitlePaste(true);
    }

    void pasteIsRewrittenWhereItArrived_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("before"); // the text, "|" the insertion point,
        QTest::addColumn<QString>("clip");   // "[...]" a selection
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("cursor");
        QTest::newRow("author list into an empty field")
            << u"author"_s << u"|"_s << u"SMITH J, JONES K"_s << u"Smith, J. and Jones, K."_s << 23;
        QTest::newRow("author list replacing the selection")
            << u"author"_s << u"[Donald E. Knuth]"_s << u"Smith J, Jones K"_s
            << u"Smith, J. and Jones, K."_s << 23;
        QTest::newRow("author list after the names there")
            << u"author"_s << u"Donald E. Knuth and |"_s << u"SMITH J, JONES K"_s
            << u"Donald E. Knuth and Smith, J. and Jones, K."_s << 43;
        QTest::newRow("author list before the names there")
            << u"author"_s << u"| and Donald E. Knuth"_s << u"A. B. Smith, C. Jones"_s
            << u"A. B. Smith and C. Jones and Donald E. Knuth"_s << 24;
        QTest::newRow("line breaks of a copied column")
            << u"author"_s << u"|"_s << u"Smith J,\nJones K\n"_s << u"Smith, J. and Jones, K."_s
            << 23;
        QTest::newRow("marks and letters to TeX")
            << u"author"_s << u"|"_s << u"M\u00fcller A1*, Jones K2"_s
            << u"M{\\\"u}ller, A. and Jones, K."_s << 28;
        QTest::newRow("title with acronym, formula and ion")
            << u"title"_s << u"|"_s << u"a study of the DNA double helix with CO2 and Ca2+ ions"_s
            << u"a Study of the {DNA} Double Helix with {CO}$_2$ and {Ca}$^{2+}$ Ions"_s << 68;
        QTest::newRow("title after a prefix")
            << u"title"_s << u"Part 1:|"_s << u"electronic structure of H2O"_s
            << u"Part 1: Electronic Structure of {H}$_2${O}"_s << 42;
        QTest::newRow("four characters are a plain paste")
            << u"author"_s << u"Donald E. Knuth and |"_s << u"Li Y"_s
            << u"Donald E. Knuth and Li Y"_s << 24;
        QTest::newRow("TeX is a plain paste")
            << u"author"_s << u"|"_s << u"M{\\\"u}ller, J. and Jones, K."_s
            << u"M{\\\"u}ller, J. and Jones, K."_s << 28;
        QTest::newRow("journal is never rewritten")
            << u"journal"_s << u"|"_s << u"JOURNAL OF CHEMICAL PHYSICS"_s
            << u"JOURNAL OF CHEMICAL PHYSICS"_s << 27;
    }
    void pasteIsRewrittenWhereItArrived()
    {
        QFETCH(QString, field);
        QFETCH(QString, before);
        QFETCH(QString, clip);
        QFETCH(QString, after);
        QFETCH(int, cursor);
        const OpenWindow window = EditorTest::openKnuth(m_dir, true);
        BibFieldDataField *edit = fieldNamed(window.editor(), field);
        QVERIFY(edit && !edit->isReadOnly());
        const qsizetype open = before.indexOf(u'[');
        QString plain = before;
        plain.remove(u'[').remove(u']').remove(u'|');
        edit->setText(plain);
        if (open >= 0)
            edit->setSelection(int(open), int(before.indexOf(u']') - open - 1));
        else
            edit->setCursorPosition(int(before.indexOf(u'|')));

        pasteInto(edit, clip);
        QCOMPARE(edit->text(), after);
        QCOMPARE(edit->cursorPosition(), cursor);
        QVERIFY(!edit->hasSelectedText());
        QCOMPARE(window.item(u"knuth84"_s)->fieldDataForEdit(field), after);
        QCOMPARE(edit->verdict(), FieldVerdict::Accepted);
    }

    void undoGivesBackThePastedText()
    {
        const OpenWindow window = EditorTest::openKnuth(m_dir, true);
        BibFieldDataField *author = fieldNamed(window.editor(), u"author"_s);
        author->selectAll();
        pasteInto(author, u"SMITH J, JONES K"_s);
        QCOMPARE(author->text(), u"Smith, J. and Jones, K."_s);

        // The field's undo: one step back to the paste as it came, stored as it is.
        QTest::keySequence(author, QKeySequence::Undo);
        QCOMPARE(author->text(), u"SMITH J, JONES K"_s);
        QCOMPARE(window.item(u"knuth84"_s)->fieldDataForEdit(u"author"_s), u"SMITH J, JONES K"_s);
        QTest::keySequence(author, QKeySequence::Undo);
        QCOMPARE(author->text(), u"Donald E. Knuth"_s);
        QTest::keySequence(author, QKeySequence::Redo);
        QCOMPARE(author->text(), u"SMITH J, JONES K"_s);

        // The editor's undo button goes back to the value before editing.
        pasteInto(author, u", LAMPORT L"_s);
        window.editor()->undoButton()->click();
        QCOMPARE(window.item(u"knuth84"_s)->fieldDataForEdit(u"author"_s), u"Donald E. Knuth"_s);
    }

    void switchesOffMeanPlainPaste_data()
    {
        QTest::addColumn<bool>("authorSwitch");
        QTest::addColumn<bool>("titleSwitch");
        QTest::addColumn<QString>("authorAfter");
        QTest::addColumn<QString>("titleAfter");
        const QString names = u"SMITH J, JONES K"_s;
        const QString title = u"the DNA of CO2"_s;
        QTest::newRow("both off") << false << false << names << title;
        QTest::newRow("author off") << false << true << names << u"the {DNA} of {CO}$_2$"_s;
        QTest::newRow("title off") << true << false << u"Smith, J. and Jones, K."_s << title;
    }
    void switchesOffMeanPlainPaste()
    {
        QFETCH(bool, authorSwitch);
        QFETCH(bool, titleSwitch);
        QFETCH(QString, authorAfter);
        QFETCH(QString, titleAfter);
        const OpenWindow window = EditorTest::openKnuth(m_dir, true);
        setSwitches(window, authorSwitch, titleSwitch);
        DetailInfoController *editor = window.editor();
        QVERIFY(editor->isEnableEdit());
        BibFieldDataField *author = fieldNamed(editor, u"author"_s);
        BibFieldDataField *title = fieldNamed(editor, u"title"_s);
        QCOMPARE(author->pasteKind() == SmartPaste::Kind::Author, authorSwitch);
        QCOMPARE(title->pasteKind() == SmartPaste::Kind::Title, titleSwitch);
        author->selectAll();
        pasteInto(author, u"SMITH J, JONES K"_s);
        title->selectAll();
        pasteInto(title, u"the DNA of CO2"_s);
        QCOMPARE(author->text(), authorAfter);
        QCOMPARE(title->text(), titleAfter);
    }

    void typingAndContextMenuPaste()
    {
        const OpenWindow window = EditorTest::openKnuth(m_dir, true);
        BibFieldDataField *author = fieldNamed(window.editor(), u"author"_s);
        // Typed text is never taken for a paste, however it grows.
        author->setFocus();
        author->end(false);
        QTest::keyClicks(author, u" and SMITH J"_s);
        QCOMPARE(author->text(), u"Donald E. Knuth and SMITH J"_s);
        // The context menu's Paste runs through the same rewriting.
        author->selectAll();
        QGuiApplication::clipboard()->setText(u"JONES K, BROWN D"_s);
        std::unique_ptr<QMenu> menu(author->createContextMenu());
        QAction *paste = nullptr;
        for (QAction *action : menu->actions()) {
            if (action->text().startsWith(u"&Paste"))
                paste = action;
        }
        QVERIFY(paste);
        paste->trigger();
        QCOMPARE(author->text(), u"Jones, K. and Brown, D."_s);
    }

    void droppedTextIsFoundByComparingTheTexts()
    {
        const OpenWindow window = EditorTest::openKnuth(m_dir, true);
        BibFieldDataField *author = fieldNamed(window.editor(), u"author"_s);
        author->setFocus();
        author->end(false);
        QTest::keyClicks(author, u" and "_s);
        QMimeData data;
        data.setText(u"SMITH J, JONES K"_s);
        // Dropped from another program, after the end of the text.
        QDropEvent drop(QPointF(author->width() - 2, author->height() / 2), Qt::CopyAction, &data,
                        Qt::LeftButton, Qt::NoModifier);
        // Straight to the field: without a drag in progress the application
        // would not deliver it.
        static_cast<QObject *>(author)->event(&drop);
        QCOMPARE(author->text(), u"Donald E. Knuth and Smith, J. and Jones, K."_s);
        QCOMPARE(window.item(u"knuth84"_s)->fieldDataForEdit(u"author"_s), author->text());
    }

    void wordListsFromTheMenuSteerTheTitlePaste()
    {
        const OpenWindow window = EditorTest::openKnuth(m_dir, true);
        BibPreferences *prefs = BibPreferences::globalPreferences();
        const QStringList nouns = prefs->properNouns();
        QVERIFY(!nouns.contains(u"Helix"_s));
        window.controller->actions()->action(QFMainController::TagWordLists)->trigger();
        auto *sheet = window.controller->mainWindow()->findChild<ProperNounsController *>();
        QVERIFY(sheet);
        QVERIFY(sheet->isVisible());
        WordListModel *model = sheet->model();
        QVERIFY(model->setData(model->index(model->rowCount() - 1), u"helix"_s));
        sheet->okButton()->click();
        QVERIFY(prefs->properNouns().contains(u"Helix"_s));
        QCOMPARE(prefs->properNouns().size(), nouns.size() + 1);

        // The editor reloaded its settings: the new noun is braced.
        DetailInfoController *editor = window.editor();
        QVERIFY(editor->isEnableEdit());
        BibFieldDataField *title = fieldNamed(editor, u"title"_s);
        title->selectAll();
        pasteInto(title, u"the double Helix"_s);
        QCOMPARE(title->text(), u"the Double {Helix}"_s);
        prefs->setProperNouns(nouns);
    }
};

QF_GUI_TEST_MAIN(SmartPasteFieldTest)
#include "SmartPasteFieldTest.moc"
