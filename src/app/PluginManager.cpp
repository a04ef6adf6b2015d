#include "app/PluginManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QPluginLoader>
#include <QtDebug>

PluginManager::PluginManager() : PluginManager(installedPluginFolder()) {}

PluginManager::PluginManager(const QString &folder) : m_folder(folder) {}

PluginManager::~PluginManager()
{
    // Instances go before their classes are told to terminate; the libraries
    // stay loaded (their code may still be referenced by Qt's plug-in cache).
    m_importPlugins.clear();
    m_exportPlugins.clear();
    for (ExportPluginProtocol *pluginClass : m_exportClasses)
        pluginClass->terminateClass();
    for (ImportPluginProtocol *pluginClass : m_importClasses)
        pluginClass->terminateClass();
}

QString PluginManager::installedPluginFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../lib/quirefold/plugins"));
}

void PluginManager::loadPlugins()
{
    if (m_loaded)
        return;
    m_loaded = true;
    // Only an absolute folder: a relative one would depend on the current
    // directory, which must never supply code.
    const QFileInfo folderInfo(m_folder);
    if (m_folder.isEmpty() || folderInfo.isRelative() || !folderInfo.isDir())
        return;
    const QFileInfoList entries =
        QDir(m_folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        const QString path = entry.absoluteFilePath();
        if (!QLibrary::isLibrary(path))
            continue;
        auto loader = std::make_unique<QPluginLoader>(path);
        QObject *root = loader->instance();
        if (root == nullptr)
            continue;
        bool taken = false;
        if (auto *exporter = qobject_cast<ExportPluginProtocol *>(root);
            exporter && exporter->initializeClass(path)) {
            if (std::unique_ptr<ExportPlugin> plugin = exporter->createExportPlugin()) {
                qInfo().noquote() << plugin->pluginName();
                m_exportPlugins.push_back(std::move(plugin));
            }
            m_exportClasses.push_back(exporter);
            taken = true;
        } else if (auto *importer = qobject_cast<ImportPluginProtocol *>(root);
                   importer && importer->initializeClass(path)) {
            if (std::unique_ptr<ImportPlugin> plugin = importer->createImportPlugin()) {
                qInfo().noquote() << plugin->pluginName();
                m_importPlugins.push_back(std::move(plugin));
            }
            m_importClasses.push_back(importer);
            taken = true;
        }
        if (taken)
            m_loaders.push_back(std::move(loader));
        else
            loader->unload();
    }
}

QList<ImportPlugin *> PluginManager::importPlugins() const
{
    QList<ImportPlugin *> plugins;
    for (const auto &plugin : m_importPlugins)
        plugins.append(plugin.get());
    return plugins;
}

QList<ExportPlugin *> PluginManager::exportPlugins() const
{
    QList<ExportPlugin *> plugins;
    for (const auto &plugin : m_exportPlugins)
        plugins.append(plugin.get());
    return plugins;
}
