// An import plug-in whose class refuses to initialise: it must be skipped.
#include "app/ImportPluginProtocol.h"

#include <QObject>

class RefusingClass : public QObject, public ImportPluginProtocol
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QF_IMPORT_PLUGIN_IID)
    Q_INTERFACES(ImportPluginProtocol)

public:
    bool initializeClass(const QString &) override { return false; }
    std::unique_ptr<ImportPlugin> createImportPlugin() override { return nullptr; }
    void terminateClass() override {}
};

#include "qftest_refusing.moc"
