// The database list and the files on disk: watching open files for changes
// made by other programs, reloading, reopening in another encoding, and the
// periodic auto-save.
#include "app/DBListController.h"

#include "app/DatabaseTreeModel.h"
#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "prefs/BibPreferences.h"
#include "storage/DatabaseGroup.h"
#include "storage/LoadingCoordinator.h"
#include "storage/LocalDatabase.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <algorithm>

DBListController::FileStamp DBListController::stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {info.lastModified(), info.size()};
}

void DBListController::watchDatabase(LocalDatabase *database)
{
    const QString path = database->fullPath();
    if (path.isEmpty())
        return;
    if (!m_watcher->files().contains(path))
        m_watcher->addPath(path);
    if (!m_knownStamps.contains(path))
        m_knownStamps.insert(path, stampOf(path));
}

void DBListController::rememberFileStamp(LocalDatabase *database)
{
    const QString path = database->fullPath();
    m_knownStamps.insert(path, stampOf(path));
    // A save replaces the file: the watcher must follow the new one.
    m_watcher->removePath(path);
    m_watcher->addPath(path);
}

void DBListController::fileChanged(const QString &path)
{
    // Editors and git replace files: the watch must be renewed on the new file.
    QTimer::singleShot(200, this, [this, path] {
        if (LocalDatabase *database = databaseOfPath(path)) {
            if (QFileInfo::exists(path) && !m_watcher->files().contains(path))
                m_watcher->addPath(path);
            checkFileOnDisk(database);
        }
    });
}

bool DBListController::checkFileOnDisk(LocalDatabase *database)
{
    if (m_askingAboutFile || database->isLoading())
        return false;
    const QString path = database->fullPath();
    const FileStamp now = stampOf(path);
    const auto known = m_knownStamps.constFind(path);
    if (known == m_knownStamps.constEnd() || *known == now || now.size < 0)
        return true;
    if (!database->isDirty()) {
        reloadFromDisk(database);
        showNote(Texts::format(u"Win_StatusReloaded", {database->description()}));
        return false;
    }
    AlertRequest request;
    request.title = Texts::text(u"Win_ChangedOnDisk");
    request.message = Texts::format(u"Win_ChangedOnDiskMessage", {database->description()});
    request.defaultButton = Texts::text(u"Win_KeepMine");
    request.alternateButton = Texts::text(u"Win_ReloadFromDisk");
    request.otherButton = Texts::text(u"Win_SaveMineAs");
    m_askingAboutFile = true;
    const int answer = AlertPresenter::show(request);
    m_askingAboutFile = false;
    if (!m_model->containsNode(database))
        return false;
    if (answer == 0) {
        reloadFromDisk(database);
        return false;
    }
    if (answer == -1) {
        // Mine goes to another file; the database then follows the file on disk.
        selectDatabase(database);
        m_knownStamps.insert(path, now);
        saveSelectionAs();
        reloadFromDisk(database);
        return false;
    }
    // Keep mine: the next save writes over the other program's version.
    m_knownStamps.insert(path, now);
    return true;
}

void DBListController::reloadFromDisk(LocalDatabase *database)
{
    if (database->isLoading())
        return;
    Q_EMIT nodesClosing();
    rootNode()->databaseClosed(database);
    if (!database->loadFromFile(database->fullPath(), false)) {
        removeDatabase(database);
        return;
    }
    m_knownStamps.insert(database->fullPath(), stampOf(database->fullPath()));
    database->startLoading();
    reload(database == selectedDatabase());
}

void DBListController::reloadSelectionFromDisk()
{
    auto *database = dynamic_cast<LocalDatabase *>(selectedDatabase());
    if (!database || refuseWhileLoading())
        return;
    if (database->isDirty()) {
        AlertRequest request;
        request.title = Texts::text(u"Win_ReopenTitle");
        request.message = Texts::format(u"Win_ReopenUnsaved", {database->description()});
        request.defaultButton = Texts::text(u"Cancel");
        request.alternateButton = Texts::text(u"Win_ReloadFromDisk");
        if (AlertPresenter::show(request) != 0)
            return;
    }
    reloadFromDisk(database);
}

void DBListController::reopenWithEncoding()
{
    auto *database = dynamic_cast<LocalDatabase *>(selectedDatabase());
    if (!database || refuseWhileLoading())
        return;
    const std::optional<int> encoding = m_choosers.reopenEncoding(database);
    if (!encoding || *encoding <= 0)
        return;
    if (database->isDirty()) {
        AlertRequest request;
        request.title = Texts::text(u"Win_ReopenTitle");
        request.message = Texts::format(u"Win_ReopenUnsaved", {database->description()});
        request.defaultButton = Texts::text(u"Cancel");
        request.alternateButton = Texts::text(u"Win_Reopen");
        if (AlertPresenter::show(request) != 0)
            return;
    }
    database->setReadEncoding(static_cast<quint32>(*encoding));
    reloadFromDisk(database);
}

// ---- auto-save

void DBListController::startAutoSave()
{
    const BibPreferences *prefs = BibPreferences::globalPreferences();
    if (!prefs || !prefs->autoSave() || m_autoSaveTimer)
        return;
    m_autoSaveTimer = new QTimer(this);
    const int minutes = std::max(1, prefs->autoSaveInterval());
    m_autoSaveTimer->setInterval(minutes * 60 * 1000);
    connect(m_autoSaveTimer, &QTimer::timeout, this, &DBListController::autoSave);
    m_autoSaveTimer->start();
}

void DBListController::stopAutoSave()
{
    delete m_autoSaveTimer;
    m_autoSaveTimer = nullptr;
}

void DBListController::autoSave()
{
    if (isLoading() || m_askingAboutFile)
        return;
    // No question may come up from the timer: whatever a save would ask is
    // answered with its default (which never writes over anything) and noted.
    QStringList skipped;
    QStringList failed;
    {
        ScriptedAlertPresenter silent({}, 1);
        for (LocalDatabase *database : localDatabases()) {
            if (!database->isDirty() || database->isLoading())
                continue;
            const QString path = database->fullPath();
            const auto known = m_knownStamps.constFind(path);
            const bool changedOutside =
                known != m_knownStamps.constEnd() && *known != stampOf(path);
            if (database->readIncomplete() || !database->localProperties().hasPrivilegeToWrite() ||
                changedOutside) {
                skipped << database->description();
                continue;
            }
            // Each database on its own: one failure does not stop the others.
            if (database->saveDatabase())
                rememberFileStamp(database);
            else
                failed << database->description();
        }
    }
    reload(false);
    if (!failed.isEmpty())
        showNote(Texts::format(u"Win_StatusAutoSaveFailed", {failed.join(QStringLiteral(", "))}));
    else if (!skipped.isEmpty())
        showNote(Texts::format(u"Win_StatusAutoSaveSkipped", {skipped.join(QStringLiteral(", "))}));
}
