#include "GuiTestMain.h"

#include "core/TextEncodings.h"
#include "prefs/BibPreferences.h"
#include "settings/EncodingListEditor.h"
#include "settings/EncodingPopup.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>

class EncodingPopupTest : public QObject
{
    Q_OBJECT

private:
    BibPreferences &preferences() { return *BibPreferences::globalPreferences(); }

    static const QList<quint32> &westernAndUnicode()
    {
        static const QList<quint32> codes = {TextEncodings::UTF8, TextEncodings::ISOLatin1,
                                             TextEncodings::UTF16};
        return codes;
    }

private Q_SLOTS:
    void init() { preferences().setActiveEncodings(westernAndUnicode()); }

    void rebuildKeepsTheSelection_data()
    {
        QTest::addColumn<quint32>("selected");
        QTest::addColumn<QList<quint32>>("activeAfter");
        QTest::addColumn<int>("expectedCount");
        QTest::newRow("still active")
            << quint32(TextEncodings::ISOLatin1)
            << QList<quint32>{TextEncodings::ISOLatin1, TextEncodings::UTF8} << 4;
        QTest::newRow("no longer active: extra item")
            << quint32(TextEncodings::ISOLatin1) << QList<quint32>{TextEncodings::UTF8} << 4;
        QTest::newRow("never active: extra item")
            << quint32(TextEncodings::ShiftJIS) << QList<quint32>{TextEncodings::UTF8} << 4;
    }

    void rebuildKeepsTheSelection()
    {
        QFETCH(quint32, selected);
        QFETCH(QList<quint32>, activeAfter);
        QFETCH(int, expectedCount);
        EncodingPopup popup;
        popup.setEncoding(static_cast<int>(selected));
        QCOMPARE(popup.encoding(), static_cast<int>(selected));
        preferences().setActiveEncodings(activeAfter);
        popup.rebuild();
        QCOMPARE(popup.count(), expectedCount);
        QCOMPARE(popup.encoding(), static_cast<int>(selected));
        QCOMPARE(popup.currentText(), TextEncodings::nameOfEncoding(selected));
        QCOMPARE(preferences().activeEncodings(), activeAfter);
    }

    void unknownCodeKeepsTheSelection()
    {
        EncodingPopup popup;
        popup.setEncoding(TextEncodings::UTF16);
        popup.setEncoding(0);
        popup.setEncoding(0x7fff1234);
        QCOMPARE(popup.encoding(), int(TextEncodings::UTF16));
    }

    void activeListOfUnknownCodesStillYieldsAnEncoding()
    {
        preferences().setActiveEncodings({0x7fff1234});
        EncodingPopup popup;
        QCOMPARE(popup.encoding(), int(TextEncodings::UTF8));
        QCOMPARE(popup.currentText(), TextEncodings::nameOfEncoding(TextEncodings::UTF8));
    }

    void editItemNeverYieldsZero()
    {
        EncodingPopup popup;
        popup.setEncoding(TextEncodings::ISOLatin1);
        QSignalSpy changes(&popup, &EncodingPopup::encodingChanged);
        popup.setCurrentIndex(0); // as a program or a stray key would
        QCOMPARE(popup.encoding(), int(TextEncodings::ISOLatin1));
        QTRY_COMPARE(popup.currentText(), TextEncodings::nameOfEncoding(TextEncodings::ISOLatin1));
        QCOMPARE(changes.count(), 0);
        QVERIFY(popup.openEditor() == nullptr);
    }

    void choosingAnEncodingSignalsIt()
    {
        EncodingPopup popup;
        popup.setEncoding(TextEncodings::ISOLatin1);
        QSignalSpy changes(&popup, &EncodingPopup::encodingChanged);
        popup.setCurrentIndex(popup.findText(TextEncodings::nameOfEncoding(TextEncodings::UTF16)));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.at(0).at(0).toInt(), int(TextEncodings::UTF16));
        QCOMPARE(popup.encoding(), int(TextEncodings::UTF16));
    }

    void editorConfirmedStoresListAndKeepsEncoding()
    {
        EncodingPopup popup;
        popup.setEncoding(TextEncodings::ISOLatin1);
        popup.setFocus();
        QTest::keyClick(&popup, Qt::Key_Home); // the user picks the editor item
        QCOMPARE(popup.encoding(), int(TextEncodings::ISOLatin1));
        EncodingListEditor *editor = popup.openEditor();
        QVERIFY(editor != nullptr);
        QVERIFY(editor->isVisible());

        editor->uncheckAllButton()->click();
        QVERIFY(!editor->okButton()->isEnabled());
        QVERIFY(!editor->checkContainsButton()->isEnabled());
        QTest::keyClicks(editor->searchField(), u"japan"_qs);
        QTest::keyClick(editor->searchField(), Qt::Key_Return); // checks, does not confirm
        QVERIFY(editor->isVisible());
        QVERIFY(editor->okButton()->isEnabled());
        const QList<quint32> marked = editor->markedEncodings();
        QVERIFY(marked.contains(TextEncodings::ShiftJIS));
        QVERIFY(!marked.contains(TextEncodings::ISOLatin1));
        editor->accept();

        QTRY_VERIFY(popup.openEditor() == nullptr);
        QCOMPARE(preferences().activeEncodings(), marked);
        QCOMPARE(popup.encoding(), int(TextEncodings::ISOLatin1)); // now the extra item
        QCOMPARE(popup.count(), 2 + marked.size() + 1);
    }

    void editorCancelledChangesNothing()
    {
        EncodingPopup popup;
        popup.setEncoding(TextEncodings::UTF16);
        QTest::keyClick(&popup, Qt::Key_Home);
        EncodingListEditor *editor = popup.openEditor();
        QVERIFY(editor != nullptr);
        editor->uncheckAllButton()->click();
        editor->list()->item(0)->setCheckState(Qt::Checked);
        editor->reject();
        QTRY_VERIFY(popup.openEditor() == nullptr);
        QCOMPARE(preferences().activeEncodings(), westernAndUnicode());
        QCOMPARE(popup.encoding(), int(TextEncodings::UTF16));
    }
};

QF_GUI_TEST_MAIN(EncodingPopupTest)
#include "EncodingPopupTest.moc"
