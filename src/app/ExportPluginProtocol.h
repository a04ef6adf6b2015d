#pragma once

#include <QString>
#include <QtPlugin>

#include <memory>

// One export plug-in instance: it receives the BibTeX text of the chosen
// entries and writes them wherever it writes. Made by its plug-in class
// (ExportPluginProtocol); owned by the PluginManager; main thread only.
class ExportPlugin
{
public:
    virtual ~ExportPlugin() = default;

    // False when the export failed or was cancelled.
    virtual bool exportItems(const QString &bibtexText) = 0;
    virtual QString pluginName() const = 0;
    virtual QString pluginVersion() const = 0;
    virtual QString pluginCopyright() const = 0;
};

// The class side of an export plug-in: the root object of a plug-in library
// (Q_PLUGIN_METADATA with this interface).
class ExportPluginProtocol
{
public:
    virtual ~ExportPluginProtocol() = default;

    // Prepares the class; `pluginPath` is the library's file. False skips it.
    virtual bool initializeClass(const QString &pluginPath) = 0;
    virtual std::unique_ptr<ExportPlugin> createExportPlugin() = 0;
    virtual void terminateClass() = 0;
};

#define QF_EXPORT_PLUGIN_IID "org.quirefold.ExportPluginProtocol/1.0"
Q_DECLARE_INTERFACE(ExportPluginProtocol, QF_EXPORT_PLUGIN_IID)
