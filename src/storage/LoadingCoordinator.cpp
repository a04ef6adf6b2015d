#include "storage/LoadingCoordinator.h"

#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "storage/DatabaseGroup.h"
#include "storage/LoadingErrorAlert.h"
#include "storage/LocalDatabase.h"
#include "storage/StoragePrefs.h"

#include <QFileInfo>

#include <algorithm>
#include <atomic>

using namespace Qt::StringLiterals;

namespace {

std::atomic<LoadingCoordinator *> globalInstance{nullptr};

bool takeOut(std::vector<BibDatabase *> &list, BibDatabase *node)
{
    const auto it = std::find(list.begin(), list.end(), node);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

} // namespace

LoadingCoordinator::LoadingCoordinator(QObject *parent) : QObject(parent)
{
    globalInstance.store(this);
    m_errorAlertHandler = [](BibDatabase *node, const QStringList &errors) {
        LoadingErrorAlert::openAlertWithDatabase(node, errors);
    };
    setRootNode(std::make_unique<BibDatabase>());
}

LoadingCoordinator::~LoadingCoordinator()
{
    // The tree goes first: loading threads are stopped and joined by their nodes.
    m_rootNode.reset();
    LoadingCoordinator *self = this;
    globalInstance.compare_exchange_strong(self, nullptr);
}

LoadingCoordinator *LoadingCoordinator::global()
{
    return globalInstance.load();
}

void LoadingCoordinator::setRootNode(std::unique_ptr<BibDatabase> root)
{
    m_rootNode = std::move(root);
    m_databaseNode = dynamic_cast<DatabaseGroup *>(m_rootNode->firstChild());
    if (!m_databaseNode)
        m_databaseNode =
            static_cast<DatabaseGroup *>(m_rootNode->insertChild(DatabaseGroup::dbGroup(), 0));
}

void LoadingCoordinator::reloadDatabases()
{
    m_initialLoading = true;
    const QVariantMap tree = StoragePrefs::dbTreeDictionary();
    auto root =
        BibDatabase::createRootNodeWithDictionary(tree.value(u"Database Tree Property"_s).toMap());
    const bool hadGroup = dynamic_cast<DatabaseGroup *>(root->firstChild()) != nullptr;
    setRootNode(std::move(root));
    if (hadGroup)
        m_databaseNode->loadAllDatabases();
    if (m_databaseNode->numberOfChildren() == 0)
        m_initialLoading = false;
    for (BibDatabase *library : m_rootNode->getManualLibraries())
        setLibraryForPostProcess(library);
    Q_EMIT reloadRequested(false);
}

LocalDatabase *LoadingCoordinator::appendLocalDatabase(const QString &path, bool canCreate,
                                                       bool editFormsOnly,
                                                       std::optional<quint32> readEncoding)
{
    const QFileInfo info(path);
    const QString resolved = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    if (LocalDatabase *open = m_databaseNode->findDatabaseWithFullPath(resolved))
        return open;
    std::unique_ptr<LocalDatabase> database =
        LocalDatabase::localDatabaseWithFile(resolved, canCreate);
    if (!database)
        return nullptr;
    database->setLoadEditFormsOnly(editFormsOnly);
    database->setReadEncoding(readEncoding);
    auto *node = static_cast<LocalDatabase *>(m_databaseNode->insertChild(std::move(database), -1));
    node->startLoading();
    Q_EMIT reloadRequested(true);
    return node;
}

bool LoadingCoordinator::reopenWithEncoding(LocalDatabase *database, quint32 encoding)
{
    if (!database || database->isLoading())
        return false;
    m_rootNode->databaseClosed(database);
    database->setReadEncoding(encoding);
    if (!database->loadFromFile(database->fullPath(), false))
        return false;
    database->startLoading();
    Q_EMIT reloadRequested(true);
    return true;
}

std::unique_ptr<BibDatabase> LoadingCoordinator::removeDatabase(BibDatabase *node)
{
    if (!node || node->kind() < 2)
        return nullptr;
    std::unique_ptr<BibDatabase> taken = node->removeFromParent();
    if (!taken)
        return nullptr;
    if (auto *real = dynamic_cast<RealDatabase *>(taken.get()))
        m_rootNode->databaseClosed(real);
    else if (taken->isManualLib() || taken->isLibraryGroup())
        taken->removeLibDataFile();
    Q_EMIT reloadRequested(true);
    return taken;
}

// ---- hand-over between the nodes and the timer

void LoadingCoordinator::databaseStartLoading(BibDatabase *node)
{
    {
        std::lock_guard lock(m_loadingListLock);
        m_loadingDatabase.push_back(node);
    }
    startTimerIfNeeded();
}

bool LoadingCoordinator::databaseFinishedLoading(BibDatabase *node)
{
    std::lock_guard lock(m_loadingListLock);
    if (!takeOut(m_loadingDatabase, node))
        return false;
    m_finishedDatabase.push_back(node);
    // Wake the main thread at once rather than at the next tick.
    QMetaObject::invokeMethod(this, &LoadingCoordinator::checkLoading, Qt::QueuedConnection);
    return true;
}

void LoadingCoordinator::setLibraryForPostProcess(BibDatabase *library)
{
    {
        std::lock_guard lock(m_loadingListLock);
        m_waitingLibraries.push_back(library);
    }
    startTimerIfNeeded();
}

void LoadingCoordinator::forgetNode(BibDatabase *node)
{
    std::lock_guard lock(m_loadingListLock);
    takeOut(m_loadingDatabase, node);
    takeOut(m_finishedDatabase, node);
    takeOut(m_waitingDatabase, node);
    takeOut(m_waitingLibraries, node);
}

void LoadingCoordinator::startTimerIfNeeded()
{
    if (m_loadingCheckTimer)
        return;
    m_loadingCheckTimer = new QTimer(this);
    m_loadingCheckTimer->setInterval(300);
    connect(m_loadingCheckTimer, &QTimer::timeout, this, &LoadingCoordinator::checkLoading);
    m_loadingCheckTimer->start();
    Q_EMIT loadingStarted();
}

void LoadingCoordinator::setErrorAlertHandler(ErrorAlertHandler handler)
{
    m_errorAlertHandler = std::move(handler);
}

void LoadingCoordinator::checkLoading()
{
    BibDatabase *node = nullptr;

    // 1. A database whose errors the user has seen (or is looking at).
    {
        std::unique_lock lock(m_loadingListLock);
        node = m_waitingDatabase.empty() ? nullptr : m_waitingDatabase.front();
        if (node) {
            const int status = node->waitingStatus();
            if (status == 1) {
                lock.unlock();
                Q_EMIT reloadRequested(false);
                return;
            }
            m_waitingDatabase.erase(m_waitingDatabase.begin());
            lock.unlock();
            if (status == 2) {
                const QString description = node->description();
                node->cleanForCancelLoading();
                removeDatabase(node); // the node is destroyed here
                Q_EMIT databaseDropped(description);
            } else {
                loadingPostProcess(node);
            }
            scheduleNextCheck();
            return;
        }
    }

    // 2. A database that has finished reading.
    {
        std::unique_lock lock(m_loadingListLock);
        node = m_finishedDatabase.empty() ? nullptr : m_finishedDatabase.front();
        if (node) {
            m_finishedDatabase.erase(m_finishedDatabase.begin());
            lock.unlock();
            if (auto *local = dynamic_cast<LocalDatabase *>(node))
                local->completeLoadingOnMainThread();
            if (const std::optional<QStringList> errors = node->readingErrors()) {
                node->setWaitingStatus(1);
                {
                    std::lock_guard again(m_loadingListLock);
                    m_waitingDatabase.push_back(node);
                }
                if (m_errorAlertHandler)
                    m_errorAlertHandler(node, *errors);
                Q_EMIT reloadRequested(false);
            } else {
                loadingPostProcess(node);
            }
            scheduleNextCheck();
            return;
        }
    }

    // 3. Databases still reading.
    {
        std::unique_lock lock(m_loadingListLock);
        if (!m_loadingDatabase.empty()) {
            lock.unlock();
            Q_EMIT reloadRequested(false);
            return;
        }
    }

    // 4. Libraries waiting for their post-processing.
    {
        std::unique_lock lock(m_loadingListLock);
        node = m_waitingLibraries.empty() ? nullptr : m_waitingLibraries.front();
        if (node) {
            m_waitingLibraries.erase(m_waitingLibraries.begin());
            lock.unlock();
            node->loadRemainingItems();
            loadingPostProcess(node);
            scheduleNextCheck();
            return;
        }
    }

    // 5. All loading is over.
    if (!m_loadingCheckTimer)
        return;
    {
        m_loadingCheckTimer->stop();
        m_loadingCheckTimer->deleteLater();
        m_loadingCheckTimer = nullptr;
    }
    m_initialLoading = false;
    Q_EMIT loadingFinished();
}

void LoadingCoordinator::scheduleNextCheck()
{
    // What is ready is taken one step at a time, without waiting for the tick.
    QMetaObject::invokeMethod(this, &LoadingCoordinator::checkLoading, Qt::QueuedConnection);
}

void LoadingCoordinator::loadingPostProcess(BibDatabase *node)
{
    if (auto *real = dynamic_cast<RealDatabase *>(node))
        m_rootNode->databaseOpened(real);
    Q_EMIT databaseReady(node);
    Q_EMIT reloadRequested(true);
}

LocalDatabase *LoadingCoordinator::findDatabaseOfID(const QString &uniqueID) const
{
    return dynamic_cast<LocalDatabase *>(
        m_rootNode->findDatabaseID(uniqueID, BibDatabase::LocalDatabaseKind));
}

// ---- tree messages

void LoadingCoordinator::appendNewItemForSmartLib(const BibItemPtr &item)
{
    m_rootNode->appendNewItemForSmartLib(item);
}

void LoadingCoordinator::removeItemFromLibraries(const BibItemPtr &item)
{
    m_rootNode->removeItemFromLibraries(item);
}

void LoadingCoordinator::replaceAuthorsForLib(const BibItemPtr &item)
{
    m_rootNode->replaceAuthorsForLib(item);
}

void LoadingCoordinator::reload(bool selectionChanged)
{
    Q_EMIT reloadRequested(selectionChanged);
}

void LoadingCoordinator::selectionChanged()
{
    Q_EMIT selectionChangeRequested();
}
