#include "app/PluginManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>

PluginManager::PluginManager() : PluginManager(installedPluginFolder()) {}

PluginManager::PluginManager(const QString &folder) : m_folder(folder) {}

PluginManager::~PluginManager() = default;

QString PluginManager::installedPluginFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath()
                           + QStringLiteral("/../lib/quirefold/plugins"));
}

void PluginManager::loadPlugins()
{
    m_loaded = true;
}

QList<ImportPlugin *> PluginManager::importPlugins() const
{
    return {};
}

QList<ExportPlugin *> PluginManager::exportPlugins() const
{
    return {};
}
