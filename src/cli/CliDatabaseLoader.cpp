#include "cli/CliDatabaseLoader.h"

#include "cli/CliIo.h"
#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "storage/DatabaseGroup.h"
#include "storage/LoadingCoordinator.h"
#include "storage/LocalDatabase.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace {

// Alerts of a command line run: the message is the answer's text.
class RecordingPresenter final : public AlertPresenter
{
public:
    int run(const AlertRequest &request) override
    {
        last = request.message;
        return 1;
    }
    QString last;
};

} // namespace

CliDatabaseLoader::CliDatabaseLoader() : m_coordinator(std::make_unique<LoadingCoordinator>()) {}

CliDatabaseLoader::~CliDatabaseLoader()
{
    // A command ends the process right after this: the system takes the loaded
    // files' memory back at once, where freeing a large file entry by entry
    // takes a tenth of the run. Nothing is written on destruction. Kept
    // reachable, so that leak checkers do not count it.
    static auto *const kept = new std::vector<std::unique_ptr<LoadingCoordinator>>;
    kept->push_back(std::move(m_coordinator));
}

std::vector<CliDatabaseLoader::Loaded> CliDatabaseLoader::load(const QStringList &files,
                                                               bool editFormsOnly,
                                                               std::optional<quint32> readEncoding)
{
    RecordingPresenter presenter;
    AlertPresenter *previous = &AlertPresenter::current();
    AlertPresenter::install(&presenter);

    QHash<LocalDatabase *, QStringList> errorsOf;
    m_coordinator->setErrorAlertHandler([&errorsOf](BibDatabase *node, const QStringList &errors) {
        if (auto *local = dynamic_cast<LocalDatabase *>(node))
            errorsOf.insert(local, errors);
        node->setWaitingStatus(0);
    });

    std::vector<Loaded> loaded;
    bool anyStarted = false;
    for (const QString &file : files) {
        Loaded record;
        record.file = file;
        const QFileInfo info(file);
        QFile probe(file);
        if (!info.exists() || info.isDir() || !probe.open(QIODevice::ReadOnly)) {
            record.problem = info.exists() ? probe.errorString() : QString();
            loaded.push_back(record);
            continue;
        }
        probe.close();
        presenter.last.clear();
        record.database =
            m_coordinator->appendLocalDatabase(file, false, editFormsOnly, readEncoding);
        if (!record.database)
            record.problem = presenter.last;
        else
            anyStarted = true;
        loaded.push_back(record);
    }

    if (anyStarted && m_coordinator->isLoading()) {
        QEventLoop loop;
        QObject::connect(m_coordinator.get(), &LoadingCoordinator::loadingFinished, &loop,
                         &QEventLoop::quit);
        loop.exec();
    }
    for (Loaded &record : loaded) {
        if (record.database)
            record.errors = errorsOf.value(record.database);
    }
    AlertPresenter::install(previous == &presenter ? nullptr : previous);
    return loaded;
}

CliDatabaseLoader::Loaded CliDatabaseLoader::loadOne(const QString &file, bool editFormsOnly,
                                                     std::optional<quint32> readEncoding)
{
    Loaded record = load({file}, editFormsOnly, readEncoding).front();
    if (!record.database)
        CliIo::errLine(Texts::format(u"Cli_CannotOpen", {record.file, record.problem}));
    return record;
}

CliDatabaseLoader::LoadedEntry CliDatabaseLoader::loadEntry(const QString &file, const QString &key)
{
    LoadedEntry entry;
    entry.database = loadOne(file).database;
    if (!entry.database) {
        entry.exitCode = 2;
        return entry;
    }
    entry.item = entry.database->bibItemForKey(key);
    if (!entry.item) {
        CliIo::errLine(Texts::format(u"Cli_UnknownKey", {key}));
        entry.exitCode = 1;
    }
    return entry;
}
