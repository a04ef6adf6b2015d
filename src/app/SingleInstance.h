#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

// Keeps one running program per user: the first instance listens on a local
// socket named after the user (in the runtime folder); a later start hands
// its files to it and exits. A socket left by a program that died is removed
// and taken over. handOver() may run on any thread (it uses only its own
// socket); everything else belongs to the main thread.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString &serverName = defaultServerName(),
                            QObject *parent = nullptr);
    ~SingleInstance() override;

    // The per-user socket path.
    static QString defaultServerName();
    QString serverName() const { return m_serverName; }

    // Sends the files (made absolute here) to a running instance; true when
    // one answered that it took them, so the caller can exit.
    bool handOver(const QStringList &files) const;
    // Starts listening; false when another instance listens already or the
    // socket cannot be made.
    bool listen();
    bool isListening() const;

Q_SIGNALS:
    // Files handed over by a later start (possibly none: then it only wants
    // the window raised).
    void filesReceived(const QStringList &absolutePaths);

private:
    void acceptConnection();

    QString m_serverName;
    QLocalServer *m_server = nullptr;
};
