#include "editor/EditorTestSupport.h"

#include "../GuiTestMain.h"
#include "editor/BibFieldDataField.h"
#include "editor/DetailInfoController.h"
#include "editor/InputPaletteDock.h"
#include "editor/RawFieldText.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"

#include <QAbstractButton>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(InputPaletteDock::Palette)

class InputPaletteTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static int userButton(const QString &texString)
    {
        const QVariantList rows = BibPreferences::globalPreferences()->inputButtonDefinitions();
        for (int i = 0; i < rows.size(); ++i) {
            if (rows.at(i).toList().value(0).toString() == texString)
                return i;
        }
        return -1;
    }

private Q_SLOTS:
    void buttonsInsertTheirTemplateInsideOrOutsideMath_data()
    {
        QTest::addColumn<InputPaletteDock::Palette>("palette");
        QTest::addColumn<QString>("button"); // an index, or a user button's template
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");
        const auto accents = InputPaletteDock::Accents;
        const auto greeks = InputPaletteDock::Greeks;
        const auto others = InputPaletteDock::Others;
        QTest::newRow("acute, default letter")
            << accents << u"0"_s << u"Caf"_s << 3 << 0 << u"Caf{\\'e}"_s;
        QTest::newRow("double acute on selection")
            << accents << u"5"_s << u"Erdos"_s << 3 << 1 << u"Erd{\\H{o}}s"_s;
        QTest::newRow("letter ss")
            << accents << u"22"_s << u"Strae"_s << 3 << 0 << u"Str{\\ss}ae"_s;
        QTest::newRow("greek outside math")
            << greeks << u"0"_s << u"The  decay"_s << 4 << 0 << u"The $\\alpha$ decay"_s;
        QTest::newRow("greek inside math")
            << greeks << u"0"_s << u"$x+$"_s << 3 << 0 << u"$x+\\alpha$"_s;
        QTest::newRow("superscript on selection outside math")
            << others << u"^{X}"_s << u"x n"_s << 2 << 1 << u"x $^{n}$"_s;
        QTest::newRow("superscript default inside math")
            << others << u"^{X}"_s << u"$x$"_s << 2 << 0 << u"$x^2$"_s;
    }
    void buttonsInsertTheirTemplateInsideOrOutsideMath()
    {
        QFETCH(InputPaletteDock::Palette, palette);
        QFETCH(QString, button);
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, expected);
        const EditorTest::OpenWindow window = EditorTest::openKnuth(m_dir, false);
        DetailInfoController *editor = window.editor();
        const auto knuth = editor->currentItem();
        QVERIFY(knuth);
        InputPaletteDock *dock = editor->inputPanel();
        const int index = palette == InputPaletteDock::Others ? userButton(button) : button.toInt();
        QVERIFY(index >= 0);
        QAbstractButton *pressed = dock->buttons(palette).at(index);
        QVERIFY(!pressed->isEnabled());
        editor->setEnableEdit(true);
        QVERIFY(pressed->isEnabled());

        BibFieldDataField *title = editor->field(5);
        QCOMPARE(title->fieldName(), u"title"_s);
        title->setFocus();
        title->selectAll();
        QTest::keyClicks(title, text);
        title->setSelection(start, length);
        pressed->click();
        QCOMPARE(title->text(), expected);
        QCOMPARE(knuth->fieldDataForEdit(u"title"_s), expected);
        QCOMPARE(QApplication::focusWidget(), title);
    }

    void rawTextTakesPaletteTextAtItsCursor()
    {
        const EditorTest::OpenWindow window = EditorTest::openKnuth(m_dir, false);
        DetailInfoController *editor = window.editor();
        const auto knuth = editor->currentItem();
        QVERIFY(knuth);
        editor->showTab(u"raw"_s);
        editor->setEnableEdit(true);
        RawFieldText *raw = editor->rawFieldText();
        QTextCursor cursor = raw->textCursor();
        const int at = int(raw->toPlainText().indexOf(u"Programming"_s));
        cursor.setPosition(at);
        raw->setTextCursor(cursor);
        editor->inputPanel()->buttons(InputPaletteDock::Greeks).at(1)->click();
        QCOMPARE(knuth->fieldDataForEdit(u"title"_s), u"Literate $\\beta$Programming"_s);
        editor->setEnableEdit(false);
        QVERIFY(!editor->inputPanel()->buttons(InputPaletteDock::Greeks).at(1)->isEnabled());
    }
};

QF_GUI_TEST_MAIN(InputPaletteTest)
#include "InputPaletteTest.moc"
