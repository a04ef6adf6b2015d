#include "editor/EditorTestSupport.h"

#include "../GuiTestMain.h"
#include "app/ActionRegistry.h"
#include "app/DBListController.h"
#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "editor/AnnotationText.h"
#include "editor/BibFieldDataField.h"
#include "editor/BibTypeField.h"
#include "editor/DetailInfoController.h"
#include "editor/RawFieldText.h"
#include "model/BibItem.h"
#include "model/MacroList.h"
#include "prefs/BibPreferences.h"
#include "storage/LocalDatabase.h"
#include "storage/LocalDatabaseProperties.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>

using namespace Qt::StringLiterals;
using EditorTest::fieldNamed;
using EditorTest::OpenWindow;

class DetailInfoControllerTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static bool isRed(const QWidget *widget)
    {
        return widget->palette().color(QPalette::Text) == QColor(Qt::red);
    }
    static void typeInto(QWidget *widget, const QString &text)
    {
        widget->setFocus();
        // keyClicks takes printable ASCII only; other characters arrive as
        // the text of a key event, as an input method sends them.
        for (QChar c : text) {
            if (c == u'\n')
                QTest::keyClick(widget, Qt::Key_Return);
            else if (c.unicode() >= 0x20 && c.unicode() < 0x7f)
                QTest::keyClick(widget, char(c.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
        }
    }

private Q_SLOTS:
    void layoutFollowsTheType_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<QString>("shown");
        QTest::newRow("article required author")
            << u"knuth84"_s << 3 << u"author:"_s << u"black"_s << u"Donald E. Knuth"_s;
        QTest::newRow("article empty slot")
            << u"knuth84"_s << 4 << u"-----:"_s << u"#b0b0b0"_s << QString();
        QTest::newRow("article optional volume")
            << u"knuth84"_s << 7 << u"volume:"_s << u"blue"_s << QString();
        QTest::newRow("book editor")
            << u"lamport94"_s << 4 << u"editor:"_s << u"black"_s << QString();
        QTest::newRow("book title as display text")
            << u"lamport94"_s << 5 << u"title:"_s << u"black"_s
            << u"LaTeX: A Document Preparation System"_s;
        QTest::newRow("undefined type editor")
            << u"odd1"_s << 4 << u"editor:"_s << u"blue"_s << u"Ann Editor"_s;
        QTest::newRow("undefined type chapter")
            << u"odd1"_s << 7 << u"chapter:"_s << u"blue"_s << u"3"_s;
        QTest::newRow("database slot locked")
            << u"odd1"_s << 11 << u"database:"_s << u"black"_s << u"test"_s;
    }
    void layoutFollowsTheType()
    {
        QFETCH(QString, key);
        QFETCH(int, slot);
        QFETCH(QString, label);
        QFETCH(QString, colour);
        QFETCH(QString, shown);
        const OpenWindow window = EditorTest::openWindowWith(m_dir, EditorTest::kEntries);
        QVERIFY(window.database);
        DetailInfoController *editor = window.editor();
        QVERIFY(editor->setItem(window.item(key)));
        QCOMPARE(editor->titleLabel(slot)->text(), label);
        QVERIFY2(editor->titleLabel(slot)->styleSheet().endsWith(colour),
                 qPrintable(editor->titleLabel(slot)->styleSheet()));
        QCOMPARE(editor->field(slot)->text(), shown);
        QCOMPARE(editor->typeField()->currentText(), window.item(key)->bibType());
        // Even while editing, empty and database slots stay read-only.
        editor->setEnableEdit(true);
        const bool locked = label == u"-----:" || label == u"database:";
        QCOMPARE(editor->field(slot)->isReadOnly(), locked);
        editor->setEnableEdit(false);
    }

    void typedValuesAreCommittedOnEntryAndTabChange()
    {
        const OpenWindow window = EditorTest::openKnuth(m_dir, false);
        DetailInfoController *editor = window.editor();
        const auto knuth = editor->currentItem();
        QVERIFY(knuth);
        editor->enableEditButton()->click();
        QVERIFY(editor->isEnableEdit());
        QCOMPARE(QApplication::focusWidget(), editor->field(2));

        BibFieldDataField *title = fieldNamed(editor, u"title"_s);
        title->selectAll();
        typeInto(title, u"Literate {\\\"U}bung"_s);
        QCOMPARE(knuth->fieldDataForEdit(u"title"_s), u"Literate {\\\"U}bung"_s);
        QCOMPARE(editor->displayFormLabel()->text(), u"title: Literate Übung"_s);
        QVERIFY(knuth->isDirty());
        QVERIFY(editor->undoButton()->isEnabled());
        // Choosing another tab commits; the raw text follows.
        editor->tabView()->setCurrentIndex(4);
        QVERIFY(!knuth->isDirty());
        QCOMPARE(knuth->fieldDataForView(u"title"_s), u"Literate Übung"_s);
        QVERIFY(editor->rawFieldText()->toPlainText().contains(u"Literate {\\\"U}bung"_s));
        editor->tabView()->setCurrentIndex(0);

        // Another entry: the first is committed and the second backed up.
        BibFieldDataField *year = fieldNamed(editor, u"year"_s);
        year->selectAll();
        typeInto(year, u"1985"_s);
        QVERIFY(knuth->isDirty());
        QVERIFY(editor->setItem(window.item(u"lamport94"_s)));
        QVERIFY(!knuth->isDirty());
        QCOMPARE(knuth->fieldDataForView(u"year"_s), u"1985"_s);
        QCOMPARE(fieldNamed(editor, u"publisher"_s)->text(), u"Addison-Wesley"_s);
        QVERIFY(!fieldNamed(editor, u"publisher"_s)->isReadOnly());
    }

    void escapeCancelsTheChangeAndF2StartsEditing()
    {
        const OpenWindow window = EditorTest::openKnuth(m_dir, false);
        DetailInfoController *editor = window.editor();
        const auto knuth = editor->currentItem();
        QVERIFY(knuth);
        editor->field(5)->setFocus();
        QTest::keyClick(editor->field(5), Qt::Key_F2);
        QVERIFY(editor->isEnableEdit());
        BibFieldDataField *journal = fieldNamed(editor, u"journal"_s);
        journal->setFocus();
        QTest::keyClick(journal, Qt::Key_End);
        typeInto(journal, u" {broken"_s);
        QVERIFY(isRed(journal));
        QTest::keyClick(journal, Qt::Key_Escape);
        QCOMPARE(journal->text(), u"The Computer Journal"_s);
        QVERIFY(!isRed(journal));
        QCOMPARE(knuth->fieldDataForEdit(u"journal"_s), u"The Computer Journal"_s);
    }

    void undoRestoresTheWholeEntry()
    {
        const OpenWindow window = EditorTest::openKnuth(m_dir, true);
        DetailInfoController *editor = window.editor();
        const auto knuth = editor->currentItem();
        QVERIFY(knuth);
        const QString before = knuth->rawField();
        BibFieldDataField *journal = fieldNamed(editor, u"journal"_s);
        journal->selectAll();
        typeInto(journal, u"CJ"_s);
        editor->tabView()->setCurrentIndex(4);
        RawFieldText *raw = editor->rawFieldText();
        raw->moveCursor(QTextCursor::End);
        typeInto(raw, u",\nnote = {added}"_s);
        QCOMPARE(knuth->fieldDataForEdit(u"note"_s), u"added"_s);
        editor->undoButton()->click();
        QCOMPARE(knuth->fieldDataForEdit(u"journal"_s), u"The Computer Journal"_s);
        QVERIFY(!knuth->bibFieldsForEdit().contains(u"note"_s));
        QVERIFY(!editor->undoButton()->isEnabled());
        QString after = knuth->rawField();
        // Only the time stamp of the commit differs.
        const auto withoutModified = [](const QString &text) {
            QStringList lines = text.split(u'\n');
            lines.removeIf([](const QString &line) { return line.startsWith(u"modified"); });
            return lines.join(u'\n').remove(u',');
        };
        QCOMPARE(withoutModified(after), withoutModified(before));
    }

    void rejectedValuesAreRedAndNeverDroppedSilently_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("keep editing") << 1;
        QTest::newRow("discard") << 0;
    }
    void rejectedValuesAreRedAndNeverDroppedSilently()
    {
        QFETCH(int, answer);
        const OpenWindow window = EditorTest::openKnuth(m_dir, true);
        DetailInfoController *editor = window.editor();
        const auto knuth = editor->currentItem();
        QVERIFY(knuth);
        BibFieldDataField *title = fieldNamed(editor, u"title"_s);
        title->selectAll();
        typeInto(title, u"Broken {brace"_s);
        QVERIFY(isRed(title));
        QCOMPARE(title->toolTip(), Texts::text(u"FieldSyntaxError"));
        // The entry holds the last value it accepted, never the broken one.
        QCOMPARE(knuth->fieldDataForEdit(u"title"_s), u"Broken"_s);

        ScriptedAlertPresenter alerts({answer});
        const bool switched = editor->setItem(window.item(u"lamport94"_s));
        QCOMPARE(alerts.requests().size(), size_t(1));
        if (answer == 1) {
            QVERIFY(!switched);
            QCOMPARE(editor->currentItem(), knuth);
            QCOMPARE(title->text(), u"Broken {brace"_s);
            QCOMPARE(QApplication::focusWidget(), title);
            // Leaving editing and quitting ask as well.
            editor->enableEditButton()->click();
            QVERIFY(editor->isEnableEdit());
            QVERIFY(!editor->commitBeforeQuit());
            QCOMPARE(window.controller->askBeforeQuit(), 0); // the quit is cancelled
        } else {
            QVERIFY(switched);
            QCOMPARE(editor->currentItem(), window.item(u"lamport94"_s));
            QCOMPARE(knuth->fieldDataForEdit(u"title"_s), u"Broken"_s);
            QVERIFY(!knuth->isDirty());
            QVERIFY(!isRed(title));
        }
    }

    void unencodableCharactersAreRefused()
    {
        const OpenWindow window = EditorTest::openWindowWith(m_dir, EditorTest::kEntries);
        window.database->localProperties().setEncoding(8); // Shift_JIS
        DetailInfoController *editor = window.editor();
        const auto knuth = window.item(u"knuth84"_s);
        QVERIFY(editor->setItem(knuth));
        editor->setEnableEdit(true);
        BibFieldDataField *title = fieldNamed(editor, u"title"_s);
        title->selectAll();
        typeInto(title, u"日本語"_s);
        QVERIFY(!isRed(title));
        QCOMPARE(knuth->fieldDataForEdit(u"title"_s), u"日本語"_s);
        typeInto(title, u"\u00e9"_s);
        QVERIFY(isRed(title));
        QCOMPARE(title->toolTip(), Texts::text(u"FieldBadCharError"));
        QCOMPARE(knuth->fieldDataForEdit(u"title"_s), u"日本語"_s);
        ScriptedAlertPresenter alerts({0});
        QVERIFY(editor->commitBeforeQuit());
    }

    void rawTextThatDoesNotParseKeepsEveryField()
    {
        const OpenWindow window = EditorTest::openKnuth(m_dir, false);
        DetailInfoController *editor = window.editor();
        const auto knuth = editor->currentItem();
        QVERIFY(knuth);
        editor->showTab(u"raw"_s);
        editor->setEnableEdit(true);
        RawFieldText *raw = editor->rawFieldText();
        QCOMPARE(QApplication::focusWidget(), raw);
        // Field names are highlighted.
        const QTextBlock first = raw->document()->firstBlock();
        QVERIFY(first.text().startsWith(u"author"_s));
        const QList<QTextLayout::FormatRange> formats = first.layout()->formats();
        QVERIFY(std::any_of(formats.begin(), formats.end(), [](const QTextLayout::FormatRange &r) {
            return r.start == 0 && r.length == 6 && r.format.fontWeight() == QFont::Bold;
        }));
        raw->moveCursor(QTextCursor::End);
        QTest::keyClick(raw, Qt::Key_Backspace); // the last line break
        typeInto(raw, u",\nnote = {a\u00a0b \u00a5LaTeX"_s);
        QVERIFY(isRed(raw));
        QCOMPARE(raw->toolTip(), Texts::text(u"FieldSyntaxError"));
        QCOMPARE(knuth->fieldDataForEdit(u"author"_s), u"Donald E. Knuth"_s);
        QCOMPARE(knuth->fieldDataForEdit(u"year"_s), u"1984"_s);
        QVERIFY(!knuth->bibFieldsForEdit().contains(u"note"_s));
        // Closed, it parses and replaces the fields; the no-break space and
        // the yen mark were cleaned with the insertion point kept.
        typeInto(raw, u"}"_s);
        QVERIFY(!isRed(raw));
        QCOMPARE(knuth->fieldDataForEdit(u"note"_s), u"a b \\LaTeX"_s);
        QCOMPARE(knuth->fieldDataForEdit(u"author"_s), u"Donald E. Knuth"_s);
        QCOMPARE(raw->textCursor().position(), raw->toPlainText().size());
        // A field removed from the text is removed from the entry; undo brings it back.
        QTextCursor cursor = raw->textCursor();
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor);
        raw->setTextCursor(cursor);
        QTest::keyClick(raw, Qt::Key_Delete);
        QVERIFY(!isRed(raw));
        QVERIFY(!knuth->bibFieldsForEdit().contains(u"author"_s));
        editor->undoButton()->click();
        QCOMPARE(knuth->fieldDataForEdit(u"author"_s), u"Donald E. Knuth"_s);
        QVERIFY(!knuth->bibFieldsForEdit().contains(u"note"_s));
        editor->showTab(u"basic"_s);
        QCOMPARE(fieldNamed(editor, u"author"_s)->text(),
                 u"Donald E. Knuth"_s); // the fields follow
    }

    void typeIsNormalisedOrRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("rejected");
        QTest::newRow("blanks and case") << u"  in proceedings "_s << u"IN_PROCEEDINGS"_s << false;
        QTest::newRow("empty") << QString() << u"ARTICLE"_s << false;
        QTest::newRow("completed") << u"inpr"_s << u"INPROCEEDINGS"_s << false;
        QTest::newRow("unreadable") << u"bad{type"_s << u"ARTICLE"_s << true;
    }
    void typeIsNormalisedOrRefused()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(bool, rejected);
        const OpenWindow window = EditorTest::openWindowWith(m_dir, EditorTest::kEntries);
        BibPreferences::globalPreferences()->setLastCreatedBibType(u"BOOK"_s);
        DetailInfoController *editor = window.editor();
        const auto knuth = window.item(u"knuth84"_s);
        QVERIFY(editor->setItem(knuth));
        editor->setEnableEdit(true);
        BibTypeField *type = editor->typeField();
        type->lineEdit()->selectAll();
        QTest::keyClick(type->lineEdit(), Qt::Key_Delete);
        typeInto(type->lineEdit(), typed);
        QTest::keyClick(type->lineEdit(), Qt::Key_Return);
        QCOMPARE(knuth->bibType(), stored);
        QCOMPARE(isRed(type->lineEdit()), rejected);
        QCOMPARE(BibPreferences::globalPreferences()->lastCreatedBibType(),
                 rejected || stored == u"ARTICLE" ? u"BOOK"_s : stored);
        if (!rejected && stored != u"ARTICLE") {
            QCOMPARE(editor->lastDisplayedBibType(), stored);
            editor->undoButton()->click();
            QCOMPARE(knuth->bibType(), u"ARTICLE"_s);
            QCOMPARE(type->currentText(), u"ARTICLE"_s);
        }
        ScriptedAlertPresenter alerts({0});
        QVERIFY(editor->setItem(nullptr));
    }

    void macroMenuListsDatabaseThenCommonMacros()
    {
        const OpenWindow window = EditorTest::openKnuth(m_dir, false);
        DetailInfoController *editor = window.editor();
        QVERIFY(editor->currentItem());
        editor->buildMacroMenu();
        QList<int> tags;
        QStringList titles;
        for (QAction *action : editor->macroMenu()->actions()) {
            tags << (action->isSeparator() ? -1 : action->data().toInt());
            titles << action->text();
        }
        QCOMPARE(tags.mid(0, 7), (QList<int>{4998, 4999, -1, 5000, 5001, -1, 6000}));
        const QString prl = window.database->macroList()->macroNameList().at(0);
        QCOMPARE(prl.toLower(), u"prl"_s);
        QCOMPARE(titles.at(3), prl + u" (Physical Review Letters)"_s);
        QCOMPARE(titles.at(1), Texts::format(u"EditMacroMenuTitle", {u"test"_s}));
        const qsizetype common =
            BibPreferences::globalPreferences()->macroList()->macroNameList().size();
        QCOMPARE(tags.size(), 6 + common);
        QCOMPARE(tags.last(), 6000 + int(common) - 1);
    }

    void macroIsInsertedIntoTheFocusedField()
    {
        const OpenWindow window = EditorTest::openKnuth(m_dir, true);
        DetailInfoController *editor = window.editor();
        const auto knuth = editor->currentItem();
        QVERIFY(knuth);
        BibFieldDataField *journal = fieldNamed(editor, u"journal"_s);
        journal->setFocus();
        journal->setText(u"In  Proc. of"_s);
        journal->fieldTextChanged();
        journal->setCursorPosition(2);
        editor->macroMenuSelected(5000);
        const QString prl = window.database->macroList()->macroNameList().at(0);
        const QString expression = u"@\"In \" # "_s + prl + u" # \" Proc. of\""_s;
        QCOMPARE(journal->text(), expression);
        QCOMPARE(journal->cursorPosition(), 12);
        QCOMPARE(knuth->fieldDataForEdit(u"journal"_s), expression);
        knuth->fixChanged();
        QCOMPARE(knuth->fieldDataForView(u"journal"_s), u"In Physical Review Letters Proc. of"_s);
        // The key field takes no macro.
        editor->field(2)->setFocus();
        editor->macroMenuSelected(5001);
        QCOMPARE(editor->field(2)->text(), u"knuth84"_s);
    }

    void keyIsGeneratedWhileEditing()
    {
        const OpenWindow window = EditorTest::openKnuth(m_dir, false);
        DetailInfoController *editor = window.editor();
        const auto knuth = editor->currentItem();
        QVERIFY(knuth);
        QAction *generate = window.controller->actions()->action(8102);
        window.controller->actions()->updateEnabled();
        QVERIFY(!generate->isEnabled());
        window.controller->actions()->action(8090)->trigger();
        QVERIFY(editor->isEnableEdit());
        QCOMPARE(window.controller->actions()->action(8090)->text(), Texts::text(u"LockItemEdit"));
        QVERIFY(generate->isEnabled());
        const QString expected = knuth->generateBibKey();
        QVERIFY(!expected.isEmpty());
        generate->trigger();
        QCOMPARE(knuth->bibKey(), expected);
        QCOMPARE(editor->field(2)->text(), expected);
        QCOMPARE(window.database->bibItemForKey(expected), knuth);
    }

    void reservedDatabasesAreReadOnly()
    {
        const OpenWindow window = EditorTest::openWindowWith(m_dir, EditorTest::kEntries);
        window.database->localProperties().setPrivilegedUser(u"someone-else"_s);
        DetailInfoController *editor = window.editor();
        QVERIFY(editor->setItem(window.item(u"knuth84"_s)));
        editor->setEnableEdit(true);
        QCOMPARE(editor->reasonLabel()->text(), Texts::text(u"Editor_ReservedReadOnly"));
        QVERIFY(fieldNamed(editor, u"title"_s)->isReadOnly());
        QVERIFY(editor->rawFieldText()->isReadOnly());
        QVERIFY(!editor->generateKeyButton()->isEnabled());
        QCOMPARE(fieldNamed(editor, u"title"_s)->text(), u"Literate Programming"_s);
    }

    void closingTheDatabaseMakesTheEntryReadOnly()
    {
        const OpenWindow window = EditorTest::openKnuth(m_dir, true);
        DetailInfoController *editor = window.editor();
        const auto knuth = editor->currentItem();
        QVERIFY(knuth);
        QVERIFY(!fieldNamed(editor, u"title"_s)->isReadOnly());
        ScriptedAlertPresenter alerts({-1}, -1);
        window.controller->controllerDbList()->removeDatabase(window.database);
        QVERIFY(knuth->strayItem());
        QVERIFY(fieldNamed(editor, u"title"_s)->isReadOnly());
        QVERIFY(!editor->generateKeyButton()->isEnabled());
    }

    void fillingTheEditorBenchmark()
    {
        const QByteArray path = qgetenv("QF_BENCH_BIB");
        if (path.isEmpty())
            QSKIP("set QF_BENCH_BIB to a large .bib file to measure");
        QFile file(QString::fromLocal8Bit(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const OpenWindow window = EditorTest::openWindowWith(m_dir, file.readAll());
        QVERIFY(window.database);
        const BibItemList *items = window.database->allItems();
        QVERIFY(items && items->size() > 1000);
        DetailInfoController *editor = window.editor();
        QElapsedTimer timer;
        timer.start();
        const int rounds = 2000;
        for (int i = 0; i < rounds; ++i)
            editor->setItem(items->at((i * 7919) % items->size()));
        qInfo("entries: %lld, fill: %.3f ms per entry", qlonglong(items->size()),
              double(timer.nsecsElapsed()) / 1e6 / rounds);
        editor->setEnableEdit(true);
        timer.restart();
        for (int i = 0; i < rounds; ++i)
            editor->setItem(items->at((i * 7919) % items->size()));
        qInfo("editing: %.3f ms per entry (commit of the previous included)",
              double(timer.nsecsElapsed()) / 1e6 / rounds);
    }
};

QF_GUI_TEST_MAIN(DetailInfoControllerTest)
#include "DetailInfoControllerTest.moc"
