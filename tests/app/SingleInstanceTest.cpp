#include "GuiTestMain.h"

#include "app/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <future>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

class SingleInstanceTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString socketPath(const char *name) const
    {
        return m_folder.filePath(QString::fromLatin1(name));
    }

    // Hands the files over on another thread, as a second program would,
    // while this thread serves the running instance.
    static bool handOverServed(const SingleInstance &later, const QStringList &files)
    {
        auto answer =
            std::async(std::launch::async, [&later, files] { return later.handOver(files); });
        while (answer.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
            QCoreApplication::processEvents();
        return answer.get();
    }

private Q_SLOTS:
    void nobodyListeningTakesNothing()
    {
        SingleInstance later(socketPath("none.socket"));
        QVERIFY(!later.handOver({QStringLiteral("a.bib")}));
    }

    void secondStartHandsItsFilesOver()
    {
        SingleInstance running(socketPath("one.socket"));
        QVERIFY(running.listen());
        QSignalSpy received(&running, &SingleInstance::filesReceived);

        SingleInstance later(socketPath("one.socket"));
        QVERIFY(!later.listen());
        const QStringList files = {QStringLiteral("relative.bib"),
                                   QStringLiteral("/abs/ol/ute.bib")};
        QVERIFY(handOverServed(later, files));
        QTRY_COMPARE(received.count(), 1);
        const QStringList expected = {
            QDir::current().absoluteFilePath(QStringLiteral("relative.bib")),
            QStringLiteral("/abs/ol/ute.bib")};
        QCOMPARE(received.at(0).at(0).toStringList(), expected);

        QVERIFY(handOverServed(later, {})); // a bare start only raises the window
        QTRY_COMPARE(received.count(), 2);
        QVERIFY(received.at(1).at(0).toStringList().isEmpty());
    }

    void staleSocketIsTakenOver()
    {
        // A socket file left by a program that died: bound, never served.
        const QByteArray path = QFile::encodeName(socketPath("stale.socket"));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, path.constData(), sizeof(address.sun_path));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
        ::close(fd);
        QVERIFY(QFileInfo::exists(socketPath("stale.socket")));

        SingleInstance later(socketPath("stale.socket"));
        QVERIFY(!later.handOver({QStringLiteral("a.bib")}));
        QVERIFY(later.listen());
        QVERIFY(later.isListening());
    }
};

QF_GUI_TEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
