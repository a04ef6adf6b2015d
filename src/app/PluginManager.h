#pragma once

#include "app/ExportPluginProtocol.h"
#include "app/ImportPluginProtocol.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

class QPluginLoader;

// Loads the import and export plug-ins: every library directly in one folder
// (the installed plug-in folder, never the current directory), in the order
// the file system lists them. A class offering export is tried as export
// first and, only when that fails, as import; a library that does not load,
// offers neither, or refuses initializeClass is skipped without a message.
// Owns the plug-in instances; the libraries stay loaded until the process
// ends. Main thread only.
class PluginManager
{
public:
    // The installed folder: <prefix>/lib/quirefold/plugins beside the program.
    PluginManager();
    explicit PluginManager(const QString &folder);
    ~PluginManager();
    PluginManager(const PluginManager &) = delete;
    PluginManager &operator=(const PluginManager &) = delete;

    static QString installedPluginFolder();
    QString folder() const { return m_folder; }

    // Loads the plug-ins of the folder (once; later calls do nothing).
    void loadPlugins();

    QList<ImportPlugin *> importPlugins() const;
    QList<ExportPlugin *> exportPlugins() const;

private:
    QString m_folder;
    bool m_loaded = false;
    std::vector<std::unique_ptr<QPluginLoader>> m_loaders;
    std::vector<std::unique_ptr<ImportPlugin>> m_importPlugins;
    std::vector<std::unique_ptr<ExportPlugin>> m_exportPlugins;
    // The plug-in classes whose initializeClass succeeded, told to terminate
    // when the manager goes.
    std::vector<ImportPluginProtocol *> m_importClasses;
    std::vector<ExportPluginProtocol *> m_exportClasses;
};
