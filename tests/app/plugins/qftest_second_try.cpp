// Offers both protocols but refuses the first initialisation: it must be
// tried again, and loaded, as import.
#include "app/ExportPluginProtocol.h"
#include "app/ImportPluginProtocol.h"

#include <QObject>

namespace {

class SecondTryPlugin final : public ImportPlugin
{
public:
    QString importItems() override { return {}; }
    QString pluginName() const override { return QStringLiteral("SecondTry"); }
    QString pluginVersion() const override { return QStringLiteral("1.0"); }
    QString pluginCopyright() const override { return QStringLiteral("test"); }
};

} // namespace

class SecondTryClass : public QObject, public ExportPluginProtocol, public ImportPluginProtocol
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QF_IMPORT_PLUGIN_IID)
    Q_INTERFACES(ExportPluginProtocol ImportPluginProtocol)

public:
    bool initializeClass(const QString &) override { return ++m_calls > 1; }
    std::unique_ptr<ExportPlugin> createExportPlugin() override { return nullptr; }
    std::unique_ptr<ImportPlugin> createImportPlugin() override
    {
        return std::make_unique<SecondTryPlugin>();
    }
    void terminateClass() override {}

private:
    int m_calls = 0;
};

#include "qftest_second_try.moc"
