// The window's alerts: button order and answers, and long messages kept to a
// readable size with the whole text behind the details.
#include "app/QtAlertPresenter.h"
#include "GuiTestMain.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class QtAlertPresenterTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersAndLongMessages_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("click");
        QTest::addColumn<int>("answer");
        QTest::newRow("short, default") << 3 << u"Save"_s << 1;
        QTest::newRow("short, alternate") << 3 << u"Cancel"_s << 0;
        QTest::newRow("long, other") << 500 << u"Discard"_s << -1;
    }

    void answersAndLongMessages()
    {
        QFETCH(int, lines);
        QFETCH(QString, click);
        QFETCH(int, answer);
        AlertRequest request;
        request.title = u"Title"_s;
        QStringList text;
        for (int i = 0; i < lines; ++i)
            text << u"* problem %1"_s.arg(i);
        request.message = text.join(u'\n');
        request.defaultButton = u"Save"_s;
        request.alternateButton = u"Cancel"_s;
        request.otherButton = u"Discard"_s;
        QString shown;
        QString details;
        QTimer::singleShot(50, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown = box->informativeText();
            details = box->detailedText();
            for (QAbstractButton *button : box->buttons())
                if (button->text() == click)
                    button->click();
        });
        QtAlertPresenter presenter;
        QCOMPARE(presenter.run(request), answer);
        QVERIFY(shown.count(u'\n') < 15);
        QCOMPARE(details.isEmpty(), lines < 15);
        if (lines >= 15)
            QCOMPARE(details, request.message);
    }
};

QF_GUI_TEST_MAIN(QtAlertPresenterTest)
#include "QtAlertPresenterTest.moc"
