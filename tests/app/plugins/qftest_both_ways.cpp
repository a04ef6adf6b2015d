// A plug-in class offering both protocols: it must load once, as export.
#include "app/ExportPluginProtocol.h"
#include "app/ImportPluginProtocol.h"

#include <QObject>

namespace {

class BothWaysPlugin final : public ImportPlugin, public ExportPlugin
{
public:
    QString importItems() override { return QStringLiteral("@misc{a,}"); }
    bool exportItems(const QString &text) override { return !text.isEmpty(); }
    QString pluginName() const override { return QStringLiteral("BothWays"); }
    QString pluginVersion() const override { return QStringLiteral("1.0"); }
    QString pluginCopyright() const override { return QStringLiteral("test"); }
};

} // namespace

class BothWaysClass : public QObject, public ExportPluginProtocol, public ImportPluginProtocol
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QF_EXPORT_PLUGIN_IID)
    Q_INTERFACES(ExportPluginProtocol ImportPluginProtocol)

public:
    bool initializeClass(const QString &pluginPath) override { return !pluginPath.isEmpty(); }
    std::unique_ptr<ExportPlugin> createExportPlugin() override
    {
        return std::make_unique<BothWaysPlugin>();
    }
    std::unique_ptr<ImportPlugin> createImportPlugin() override
    {
        return std::make_unique<BothWaysPlugin>();
    }
    void terminateClass() override {}
};

#include "qftest_both_ways.moc"
