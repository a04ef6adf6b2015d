#include "app/SingleInstance.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace {

// The conversation: the later start sends a QDataStream of (magic, paths); the
// running one answers one byte when it took them.
constexpr quint32 kMagic = 0x51464F31; // "QFO1"
constexpr char kTaken = 'T';
constexpr int kTimeoutMs = 3000;
// More than any real command line; a peer sending more is not one of ours.
constexpr qint64 kMaxMessageBytes = 4 * 1024 * 1024;

QString userName()
{
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("LOGNAME");
    return name.isEmpty() ? QStringLiteral("user") : name;
}

} // namespace

SingleInstance::SingleInstance(const QString &serverName, QObject *parent)
    : QObject(parent), m_serverName(serverName)
{}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultServerName()
{
    // The runtime folder is private to the user; without one the name carries
    // the user's name so that two users of one machine do not meet.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/quirefold.socket");
    return QDir::tempPath() + QStringLiteral("/quirefold-") + userName() +
           QStringLiteral(".socket");
}

bool SingleInstance::handOver(const QStringList &files) const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(kTimeoutMs))
        return false;
    QStringList absolutePaths;
    for (const QString &file : files)
        absolutePaths.append(QFileInfo(file).absoluteFilePath());
    QByteArray message;
    {
        QDataStream out(&message, QIODevice::WriteOnly);
        out << kMagic << absolutePaths;
    }
    QByteArray framed;
    {
        QDataStream out(&framed, QIODevice::WriteOnly);
        out << message;
    }
    socket.write(framed);
    if (!socket.waitForBytesWritten(kTimeoutMs))
        return false;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(kTimeoutMs))
            return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kTaken;
}

bool SingleInstance::listen()
{
    if (m_server != nullptr && m_server->isListening())
        return true;
    // Someone answers: another instance runs. Nobody answers: a socket file
    // there was left by a program that died and is replaced. (Listening alone
    // would not tell: with access options the server replaces the file.)
    {
        QLocalSocket probe;
        probe.connectToServer(m_serverName);
        if (probe.waitForConnected(500)) {
            probe.abort();
            return false;
        }
    }
    delete m_server;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    if (m_server->listen(m_serverName))
        return true;
    if (m_server->serverError() == QAbstractSocket::AddressInUseError) {
        QLocalServer::removeServer(m_serverName);
        if (m_server->listen(m_serverName))
            return true;
    }
    delete m_server;
    m_server = nullptr;
    return false;
}

bool SingleInstance::isListening() const
{
    return m_server != nullptr && m_server->isListening();
}

void SingleInstance::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A peer that connects and says nothing is dropped.
        QTimer::singleShot(kTimeoutMs, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->bytesAvailable() > kMaxMessageBytes) {
                socket->abort();
                return;
            }
            QDataStream in(socket);
            in.startTransaction();
            QByteArray message;
            in >> message;
            if (!in.commitTransaction())
                return; // wait for the rest
            QDataStream body(message);
            quint32 magic = 0;
            QStringList paths;
            body >> magic >> paths;
            if (body.status() != QDataStream::Ok || magic != kMagic) {
                socket->abort();
                return;
            }
            QStringList absolutePaths;
            for (const QString &path : std::as_const(paths)) {
                if (QFileInfo(path).isAbsolute())
                    absolutePaths.append(QDir::cleanPath(path));
            }
            socket->putChar(kTaken);
            socket->flush();
            Q_EMIT filesReceived(absolutePaths);
        });
    }
}
