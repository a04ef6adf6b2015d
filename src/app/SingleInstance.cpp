#include "app/SingleInstance.h"

#include <QLocalServer>

SingleInstance::SingleInstance(const QString &serverName, QObject *parent)
    : QObject(parent), m_serverName(serverName)
{}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultServerName()
{
    return QStringLiteral("quirefold");
}

bool SingleInstance::handOver(const QStringList &) const
{
    return false;
}

bool SingleInstance::listen()
{
    return true;
}

bool SingleInstance::isListening() const
{
    return m_server != nullptr;
}

void SingleInstance::acceptConnection() {}
