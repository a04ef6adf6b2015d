// The program as a user starts it: --help and --version need no display, and
// a second start hands its files to the running window and ends.
#include "GuiTestMain.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class ProgramTest : public QObject
{
    Q_OBJECT

private:
    static QProcessEnvironment withoutDisplay()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
        environment.remove(u"QT_QPA_PLATFORM"_s);
        return environment;
    }

private Q_SLOTS:
    void answersWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("--version") << QStringList{u"--version"_s} << 0 << u"Quirefold 0.1.0"_s;
        QTest::newRow("--help") << QStringList{u"--help"_s} << 0 << u"FILE.bib"_s;
        QTest::newRow("a file") << QStringList{u"x.bib"_s} << 1 << u"xvfb-run"_s;
    }

    void answersWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        QProcess program;
        program.setProcessEnvironment(withoutDisplay());
        program.start(QStringLiteral(QF_PROGRAM_PATH), arguments);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), exitCode);
        const QString output =
            QString::fromUtf8(program.readAllStandardOutput() + program.readAllStandardError());
        QVERIFY2(output.contains(expected), qPrintable(output));
    }

    void aSecondStartHandsItsFilesOver()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(u"first.bib"_s);
        const QString second = dir.filePath(u"second.bib"_s);
        for (const QString &path : {first, second}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("@misc{k, title = {T}}\n");
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        QProcess running;
        running.setProcessEnvironment(environment);
        running.start(QStringLiteral(QF_PROGRAM_PATH), {first});
        QVERIFY(running.waitForStarted());
        // The second start ends at once once the first one listens.
        bool handedOver = false;
        for (int attempt = 0; attempt < 50 && !handedOver; ++attempt) {
            QTest::qWait(100);
            QProcess later;
            later.setProcessEnvironment(environment);
            later.start(QStringLiteral(QF_PROGRAM_PATH), {second});
            QVERIFY(later.waitForStarted());
            if (later.waitForFinished(1500)) {
                handedOver = later.exitCode() == 0;
            } else {
                later.kill(); // it became the first instance itself
                later.waitForFinished();
            }
        }
        QVERIFY(handedOver);
        QCOMPARE(running.state(), QProcess::Running);
        running.kill();
        running.waitForFinished();
    }
};

QF_GUI_TEST_MAIN(ProgramTest)
#include "ProgramTest.moc"
