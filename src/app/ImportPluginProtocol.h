#pragma once

#include <QString>
#include <QtPlugin>

#include <memory>

// One import plug-in instance: it produces BibTeX text that the window reads
// as new entries. Made by its plug-in class (ImportPluginProtocol); owned by
// the PluginManager; main thread only.
class ImportPlugin
{
public:
    virtual ~ImportPlugin() = default;

    // The BibTeX text of the imported entries; empty when nothing was imported.
    virtual QString importItems() = 0;
    virtual QString pluginName() const = 0;
    virtual QString pluginVersion() const = 0;
    virtual QString pluginCopyright() const = 0;
};

// The class side of an import plug-in: the root object of a plug-in library
// (Q_PLUGIN_METADATA with this interface). The creating operation names its
// kind so that one class can offer both import and export.
class ImportPluginProtocol
{
public:
    virtual ~ImportPluginProtocol() = default;

    // Prepares the class; `pluginPath` is the library's file. False skips it.
    virtual bool initializeClass(const QString &pluginPath) = 0;
    virtual std::unique_ptr<ImportPlugin> createImportPlugin() = 0;
    virtual void terminateClass() = 0;
};

#define QF_IMPORT_PLUGIN_IID "org.quirefold.ImportPluginProtocol/1.0"
Q_DECLARE_INTERFACE(ImportPluginProtocol, QF_IMPORT_PLUGIN_IID)
