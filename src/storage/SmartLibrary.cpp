#include "storage/SmartLibrary.h"

#include "core/Texts.h"
#include "model/BibItem.h"
#include "model/ItemDatabase.h"
#include "storage/LoadingCoordinator.h"
#include "storage/ManualLibrary.h"
#include "storage/RealDatabase.h"

#include <QObject>
#include <QTimer>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const bool libraryKindsRegistered = [] {
    SmartLibrary::registerLibraryKinds();
    return true;
}();

void collectOpenDatabases(BibDatabase *node, std::vector<RealDatabase *> &out)
{
    if (auto *real = dynamic_cast<RealDatabase *>(node)) {
        if (real->allItems())
            out.push_back(real);
        return;
    }
    for (BibDatabase *child : node->children())
        collectOpenDatabases(child, out);
}

} // namespace

void SmartLibrary::registerLibraryKinds()
{
    (void)libraryKindsRegistered;
    BibDatabase::setLibraryFactory(
        [](int kind, const QVariantMap &properties) -> std::unique_ptr<BibDatabase> {
            if (kind == SmartLibraryKind)
                return smartLibraryWithDictionary(properties);
            if (kind == ManualLibraryKind)
                return ManualLibrary::manualLibraryWithDictionary(properties);
            return nullptr;
        });
}

SmartLibrary::SmartLibrary(const QString &name)
    : BibDatabase(SmartLibraryKind, std::make_unique<SmartLibraryProperties>()),
      m_mainThreadContext(std::make_unique<QObject>())
{
    properties().setDescription(name.isEmpty() ? Texts::text(u"NewSmartLibName") : name);
}

SmartLibrary::~SmartLibrary()
{
    m_timeDependentCheck.reset();
    stopMerging();
    if (m_controllerDbList && m_controllerDbList == LoadingCoordinator::global())
        m_controllerDbList->forgetNode(this);
    // The context goes before the lists; a pending end-of-merge call goes with it.
    m_mainThreadContext.reset();
}

std::unique_ptr<SmartLibrary> SmartLibrary::smartLibrary()
{
    return std::make_unique<SmartLibrary>();
}

std::unique_ptr<SmartLibrary> SmartLibrary::smartLibraryWithName(const QString &name)
{
    return std::make_unique<SmartLibrary>(name);
}

std::unique_ptr<SmartLibrary>
SmartLibrary::smartLibraryWithDictionary(const QVariantMap &dictionary)
{
    auto library = std::make_unique<SmartLibrary>();
    library->setProperties(
        SmartLibraryProperties::propertiesWithDictionary(dictionary, library.get()));
    library->triggerForTimeDependentCondition();
    return library;
}

std::unique_ptr<SmartLibrary> SmartLibrary::smartLibraryForDupSearch()
{
    auto library = std::make_unique<SmartLibrary>(Texts::text(u"NewSmartLibForDupSearch"));
    library->smartProperties().setUpdateCondition(2);
    library->smartProperties().setSearchConditions(
        {SmartSearchCondition::newConditionForDupSearch()});
    return library;
}

// ---- update codes

bool SmartLibrary::automaticUpdateOnLaunch(bool set) const
{
    const int code = smartProperties().updateCondition();
    return set ? (code == 0 || code == 1) : code == 0;
}

bool SmartLibrary::manualUpdateOnLaunch(bool set)
{
    const int code = smartProperties().updateCondition();
    return set ? code == 2 : (code == 1 || code == 2);
}

bool SmartLibrary::initialLoading() const
{
    return m_controllerDbList && m_controllerDbList == LoadingCoordinator::global() &&
           m_controllerDbList->initialLoading();
}

QString SmartLibrary::databaseIDOf(const BibItem &item)
{
    return item.database() ? item.database()->uniqueID() : QString();
}

bool SmartLibrary::conditionMatchesItem(const BibItem &item) const
{
    return smartProperties().conditionMatchesItem(item, databaseIDOf(item));
}

// ---- the guarded lists

bool SmartLibrary::addLocked(const BibItemPtr &item)
{
    if (m_itemSet.contains(item.get()))
        return false;
    m_itemSet.insert(item.get());
    appendItemAndAuthors(item);
    return true;
}

bool SmartLibrary::removeLocked(const BibItemPtr &item)
{
    if (!m_itemSet.remove(item.get()))
        return false;
    removeAuthorsForItem(item);
    const auto it = std::find_if(m_itemList.begin(), m_itemList.end(),
                                 [&](const BibItemPtr &own) { return own.get() == item.get(); });
    if (it != m_itemList.end())
        m_itemList.erase(it);
    return true;
}

void SmartLibrary::propagateAdded(const BibItemList &items)
{
    if (items.empty())
        return;
    for (const BibItemPtr &item : items) {
        if (m_nodeParent)
            m_nodeParent->appendBibItem(item);
    }
    m_needsUpdate = true;
}

void SmartLibrary::propagateRemoved(const BibItemList &items)
{
    if (items.empty())
        return;
    for (const BibItemPtr &item : items) {
        if (m_nodeParent)
            m_nodeParent->bibItemRemoved(item);
    }
    m_needsUpdate = true;
}

BibItemList SmartLibrary::itemsSnapshot() const
{
    std::lock_guard lock(m_itemsLock);
    return m_itemList;
}

std::vector<BibItemList> SmartLibrary::identicalGroups() const
{
    std::lock_guard lock(m_itemsLock);
    std::vector<BibItemList> groups;
    if (!m_identicalCheckList)
        return groups;
    for (const BibItemList &group : *m_identicalCheckList) {
        if (group.size() > 1)
            groups.push_back(group);
    }
    return groups;
}

void SmartLibrary::clearEntries()
{
    std::lock_guard lock(m_itemsLock);
    m_itemList.clear();
    m_authorList.clear();
    m_itemSet.clear();
    m_identicalCheckList.reset();
    m_identicalKeyOf.clear();
    m_needsUpdate = true;
}

// ---- duplicate grouping

void SmartLibrary::appendToGroupLocked(const BibItemPtr &item, BibItemList &added)
{
    if (!m_identicalCheckList)
        m_identicalCheckList.emplace();
    // An entry is filed once; offering it again (a database queued twice)
    // must not make it its own twin.
    if (m_identicalKeyOf.contains(item.get()))
        return;
    const QString key = item->matchKey(false);
    BibItemList &group = (*m_identicalCheckList)[key];
    m_identicalKeyOf.insert(item.get(), key);
    if (group.empty()) {
        group.push_back(item);
        return;
    }
    if (group.size() == 1 && addLocked(group.front()))
        added.push_back(group.front());
    group.push_back(item);
    if (addLocked(item))
        added.push_back(item);
}

void SmartLibrary::removeFromGroupLocked(const BibItemPtr &item, BibItemList &removed)
{
    const auto keyIt = m_identicalKeyOf.constFind(item.get());
    if (!m_identicalCheckList || keyIt == m_identicalKeyOf.constEnd()) {
        if (removeLocked(item))
            removed.push_back(item);
        return;
    }
    // The group is the one the entry was filed under, whatever its content
    // says now.
    const QString key = *keyIt;
    m_identicalKeyOf.erase(keyIt);
    const auto groupIt = m_identicalCheckList->find(key);
    if (groupIt == m_identicalCheckList->end())
        return;
    BibItemList &group = *groupIt;
    std::erase_if(group, [&](const BibItemPtr &own) { return own.get() == item.get(); });
    if (removeLocked(item))
        removed.push_back(item);
    if (group.size() == 1) {
        if (removeLocked(group.front()))
            removed.push_back(group.front());
    } else if (group.empty()) {
        m_identicalCheckList->erase(groupIt);
    }
}

void SmartLibrary::appendItemToIdenticalList(const BibItemPtr &item)
{
    if (!item)
        return;
    BibItemList added;
    {
        std::lock_guard lock(m_itemsLock);
        appendToGroupLocked(item, added);
    }
    propagateAdded(added);
}

void SmartLibrary::removeItemFromIdenticalList(const BibItemPtr &item)
{
    if (!item)
        return;
    BibItemList removed;
    {
        std::lock_guard lock(m_itemsLock);
        removeFromGroupLocked(item, removed);
    }
    propagateRemoved(removed);
}

// ---- entries

bool SmartLibrary::offerItem(const BibItemPtr &item, const QString &databaseID, bool onWorker)
{
    if (!item)
        return false;
    if (!isLoading() && smartProperties().updateCondition() != 0)
        return false;
    BibItemList added;
    if (smartProperties().conditionIsIdentical()) {
        std::lock_guard lock(m_itemsLock);
        if (m_itemSet.contains(item.get()))
            return false;
        appendToGroupLocked(item, added);
    } else {
        {
            std::lock_guard lock(m_itemsLock);
            if (m_itemSet.contains(item.get()))
                return false;
        }
        if (!smartProperties().conditionMatchesItem(*item, databaseID))
            return false;
        std::lock_guard lock(m_itemsLock);
        if (addLocked(item))
            added.push_back(item);
    }
    const bool itemAdded = std::any_of(
        added.begin(), added.end(), [&](const BibItemPtr &own) { return own.get() == item.get(); });
    if (!onWorker)
        propagateAdded(added);
    return itemAdded;
}

bool SmartLibrary::appendBibItem(const BibItemPtr &item)
{
    return item && offerItem(item, databaseIDOf(*item), false);
}

bool SmartLibrary::removeBibItem(const BibItemPtr &item, bool)
{
    if (!item)
        return true;
    BibItemList removed;
    {
        std::lock_guard lock(m_itemsLock);
        if (smartProperties().conditionIsIdentical())
            removeFromGroupLocked(item, removed);
        else if (removeLocked(item))
            removed.push_back(item);
    }
    propagateRemoved(removed);
    return true;
}

int SmartLibrary::removeBibItems(const BibItemList &items, bool removeFile)
{
    int deleted = 0;
    for (const BibItemPtr &item : items) {
        if (!item)
            continue;
        auto *owner = dynamic_cast<RealDatabase *>(item->database());
        if (owner && owner->removeBibItem(item, removeFile))
            ++deleted;
        // Gone from its database, it is gone from here too.
        removeBibItem(item, false);
    }
    return deleted;
}

// ---- following the tree

bool SmartLibrary::followChange(const BibItemPtr &item)
{
    if (smartProperties().conditionIsIdentical()) {
        BibItemList removed;
        BibItemList added;
        {
            std::lock_guard lock(m_itemsLock);
            removeFromGroupLocked(item, removed);
            appendToGroupLocked(item, added);
        }
        propagateRemoved(removed);
        propagateAdded(added);
        return !removed.empty() || !added.empty();
    }
    const bool matches = conditionMatchesItem(*item);
    BibItemList changed;
    {
        std::lock_guard lock(m_itemsLock);
        const bool contained = m_itemSet.contains(item.get());
        if (matches && !contained && addLocked(item))
            changed.push_back(item);
        else if (!matches && contained && removeLocked(item))
            changed.push_back(item);
    }
    if (changed.empty())
        return false;
    if (matches)
        propagateAdded(changed);
    else
        propagateRemoved(changed);
    return true;
}

bool SmartLibrary::bibItemChanged(const BibItemPtr &item)
{
    if (!item || smartProperties().updateCondition() != 0)
        return false;
    if (!smartProperties().databaseOfInterest(databaseIDOf(*item)))
        return false;
    return followChange(item);
}

void SmartLibrary::databaseOpened(RealDatabase *database)
{
    if (!database || !automaticUpdateOnLaunch(initialLoading()))
        return;
    if (!smartProperties().databaseOfInterest(database->uniqueID()))
        return;
    queueDatabase(database);
}

void SmartLibrary::databaseClosed(RealDatabase *database)
{
    if (!database || !smartProperties().databaseOfInterest(database->uniqueID()))
        return;
    {
        // A closing database must not be merged any more: out of the queue,
        // and the worker leaves it if it is at it.
        std::unique_lock lock(m_mergingListLock);
        std::erase_if(m_mergingDatabaseList, [database](const QueuedDatabase &queued) {
            return queued.database == database;
        });
        if (m_currentMerge == database) {
            m_skipDatabase.store(database);
            m_mergeProgress.wait(lock, [&] { return m_currentMerge != database; });
            m_skipDatabase.store(nullptr);
        }
    }
    const BibItemList *own = database->allItems();
    if (!own)
        return;
    std::lock_guard lock(m_itemsLock);
    if (smartProperties().conditionIsIdentical()) {
        BibItemList removed;
        for (const BibItemPtr &item : *own)
            removeFromGroupLocked(item, removed);
    } else {
        QSet<const BibItem *> leaving;
        for (const BibItemPtr &item : *own) {
            if (m_itemSet.remove(item.get())) {
                removeAuthorsForItem(item);
                leaving.insert(item.get());
            }
        }
        if (!leaving.isEmpty())
            std::erase_if(m_itemList,
                          [&](const BibItemPtr &item) { return leaving.contains(item.get()); });
    }
    // The parent group rebuilds itself once its children have been told.
    m_needsUpdate = true;
}

void SmartLibrary::updateSmartLibrary(BibDatabase *databaseGroup)
{
    if (smartProperties().updateCondition() == 0)
        return;
    stopMerging();
    clearEntries();
    if (databaseGroup) {
        for (BibDatabase *child : databaseGroup->children()) {
            auto *real = dynamic_cast<RealDatabase *>(child);
            if (real && smartProperties().databaseOfInterest(real->uniqueID()))
                queueDatabase(real);
        }
    }
    if (m_nodeParent)
        m_nodeParent->rebuildBibItemList(true);
}

void SmartLibrary::propertiesChanged()
{
    if (smartProperties().updateCondition() == 0) {
        stopMerging();
        clearEntries();
        BibDatabase *root = this;
        while (root->nodeParent())
            root = root->nodeParent();
        std::vector<RealDatabase *> open;
        collectOpenDatabases(root, open);
        for (RealDatabase *database : open)
            databaseOpened(database);
        if (m_nodeParent)
            m_nodeParent->rebuildBibItemList(true);
    }
    BibDatabase::propertiesChanged();
    triggerForTimeDependentCondition();
}

// ---- merging

void SmartLibrary::queueDatabase(RealDatabase *database)
{
    const BibItemList *items = database->allItems();
    if (!items)
        return; // still loading: it is offered again when it opens
    QueuedDatabase queued{database, database->uniqueID(), *items};
    std::lock_guard lock(m_mergingListLock);
    m_mergingDatabaseList.push_back(std::move(queued));
    if (isLoading())
        return; // the running worker takes it
    startWorkerLocked();
}

void SmartLibrary::startWorkerLocked()
{
    // A worker that marked the library idle has released the lock and is
    // about to end.
    if (m_worker.joinable())
        m_worker.join();
    m_stopWorker.store(false);
    startLoading();
    m_worker = std::thread([this] { mergeDatabasesInThread(); });
}

void SmartLibrary::mergeDatabasesInThread()
{
    std::unique_lock lock(m_mergingListLock);
    while (!m_mergingDatabaseList.empty() && !m_stopWorker.load()) {
        QueuedDatabase next = std::move(m_mergingDatabaseList.front());
        m_mergingDatabaseList.pop_front();
        m_currentMerge = next.database;
        lock.unlock();
        for (const BibItemPtr &item : next.items) {
            if (m_stopWorker.load() || m_skipDatabase.load() == next.database)
                break;
            if (offerItem(item, next.uniqueID, true))
                m_numLoading.fetch_add(1);
        }
        lock.lock();
        m_currentMerge = nullptr;
        m_mergeProgress.notify_all();
    }
    // Still holding the lock: a database queued from now on finds the library
    // idle and starts a new worker.
    finishLoading();
    QObject *context = m_mainThreadContext.get();
    QMetaObject::invokeMethod(
        context, [this] { mergeFinishedOnMainThread(); }, Qt::QueuedConnection);
}

void SmartLibrary::mergeFinishedOnMainThread()
{
    if (isLoading())
        return; // a newer merge runs; its end will do this
    m_needsUpdate = true;
    if (m_nodeParent)
        m_nodeParent->rebuildBibItemList(true);
}

void SmartLibrary::stopMerging()
{
    {
        std::lock_guard lock(m_mergingListLock);
        m_mergingDatabaseList.clear();
        m_stopWorker.store(true);
    }
    if (m_worker.joinable())
        m_worker.join();
    m_stopWorker.store(false);
}

void SmartLibrary::waitForMerging()
{
    if (m_worker.joinable())
        m_worker.join();
    mergeFinishedOnMainThread();
}

bool SmartLibrary::isMerging() const
{
    return isLoading();
}

void SmartLibrary::startLoading()
{
    if (m_controllerDbList == LoadingCoordinator::global()) {
        BibDatabase::startLoading();
        return;
    }
    m_nowLoading.store(true);
    m_numLoading.store(0);
}

void SmartLibrary::finishLoading()
{
    if (m_controllerDbList == LoadingCoordinator::global())
        BibDatabase::finishLoading();
    else
        m_nowLoading.store(false);
}

// ---- the time-dependent timer

std::optional<int> SmartLibrary::timerIntervalForDays(double days)
{
    if (std::isnan(days) || days >= 366)
        return std::nullopt;
    if (days > 24)
        return 86400;
    const double seconds = days * 3600;
    return seconds < kMinimumTimerSeconds ? kMinimumTimerSeconds
                                          : static_cast<int>(std::lround(seconds));
}

void SmartLibrary::triggerForTimeDependentCondition()
{
    m_timeDependentCheck.reset();
    if (smartProperties().updateCondition() != 0)
        return;
    const std::optional<int> seconds =
        timerIntervalForDays(smartProperties().minimumTimeInterval());
    if (!seconds)
        return;
    m_timeDependentCheck = std::make_unique<QTimer>();
    m_timeDependentCheck->setInterval(*seconds * 1000);
    QObject::connect(m_timeDependentCheck.get(), &QTimer::timeout, m_mainThreadContext.get(),
                     [this] { timeDependentCheck(); });
    m_timeDependentCheck->start();
}

std::optional<int> SmartLibrary::timeDependentInterval() const
{
    if (!m_timeDependentCheck || !m_timeDependentCheck->isActive())
        return std::nullopt;
    return m_timeDependentCheck->interval() / 1000;
}

void SmartLibrary::timeDependentCheck()
{
    bool changed = false;
    {
        std::lock_guard lock(m_mergingListLock);
        // Nothing is re-tested while databases wait or a merge runs.
        if (!m_mergingDatabaseList.empty() || isLoading())
            return;
        for (const BibItemPtr &item : itemsSnapshot())
            changed = bibItemChanged(item) || changed;
    }
    if (m_nodeParent)
        m_nodeParent->rebuildBibItemList(true);
    if (changed && m_controllerDbList && m_controllerDbList == LoadingCoordinator::global())
        m_controllerDbList->reload(false);
}
