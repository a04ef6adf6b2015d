#pragma once

#include "storage/BibDatabase.h"
#include "storage/SmartLibraryProperties.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QObject;
class QTimer;

// A saved search (tree node kind 3): it shows the entries of other databases
// that match its conditions and owns none. Databases are merged on a worker
// thread of the library's own, fed through `mergingListLock`; while the update
// code is 0 it follows every committed change and a timer re-tests it when a
// condition depends on time. The duplicate search groups entries by match key
// and shows every entry that has a twin. Owned by its parent group; created,
// told about the tree and destroyed on the main thread; the worker is joined
// before the node goes.
class SmartLibrary : public BibDatabase
{
public:
    // An empty library named `name` ("NewSmartLibName" when empty).
    explicit SmartLibrary(const QString &name = QString());
    ~SmartLibrary() override;

    static std::unique_ptr<SmartLibrary> smartLibrary();
    static std::unique_ptr<SmartLibrary> smartLibraryWithName(const QString &name);
    // From the tree dictionary; the time-dependent timer is armed at once.
    static std::unique_ptr<SmartLibrary> smartLibraryWithDictionary(const QVariantMap &dictionary);
    // The duplicate search: "NewSmartLibForDupSearch", update code 2, one
    // identical-entries condition.
    static std::unique_ptr<SmartLibrary> smartLibraryForDupSearch();
    // Lets the tree rebuild smart and manual libraries from its dictionary
    // (done once when this file is linked in; calling it again is harmless).
    static void registerLibraryKinds();

    SmartLibraryProperties &smartProperties()
    {
        return static_cast<SmartLibraryProperties &>(properties());
    }
    const SmartLibraryProperties &smartProperties() const
    {
        return static_cast<const SmartLibraryProperties &>(properties());
    }

    // ---- update codes
    // Codes 0 and 1 when `set`, else code 0 only.
    bool automaticUpdateOnLaunch(bool set) const;
    // Code 2 when `set`, else codes 1 and 2.
    bool manualUpdateOnLaunch(bool set) override;

    // ---- tree messages
    void databaseOpened(RealDatabase *database) override;
    void databaseClosed(RealDatabase *database) override;
    bool bibItemChanged(const BibItemPtr &item) override;
    void updateSmartLibrary(BibDatabase *databaseGroup) override;
    void propertiesChanged() override;

    // ---- entries
    bool appendBibItem(const BibItemPtr &item) override;
    bool removeBibItem(const BibItemPtr &item, bool removeFile) override;
    // Deletes the entries from their own databases (and so from every library).
    int removeBibItems(const BibItemList &items, bool removeFile) override;
    bool conditionMatchesItem(const BibItem &item) const;
    // A copy of the entry list, safe while a merge runs.
    BibItemList itemsSnapshot() const;
    // The groups of twins (two entries or more), in no particular order.
    std::vector<BibItemList> identicalGroups() const;

    // ---- duplicate grouping
    void appendItemToIdenticalList(const BibItemPtr &item);
    void removeItemFromIdenticalList(const BibItemPtr &item);

    // ---- merging
    // Waits until no worker runs and completes the merge on the calling (main)
    // thread at once (headless use, tests).
    void waitForMerging();
    bool isMerging() const;
    // Loading marks, reported to the loading coordination while it is alive.
    void startLoading() override;
    void finishLoading() override;

    // ---- the time-dependent timer
    void triggerForTimeDependentCondition();
    void timeDependentCheck();
    // The interval of the armed timer in seconds; absent when none runs.
    std::optional<int> timeDependentInterval() const;
    // The interval for a smallest day count (absent: no timer); never below
    // kMinimumTimerSeconds.
    static std::optional<int> timerIntervalForDays(double days);
    static constexpr int kMinimumTimerSeconds = 60;

private:
    struct QueuedDatabase
    {
        RealDatabase *database = nullptr;
        QString uniqueID;
        BibItemList items; // taken on the main thread when queued
    };

    // Offers an entry (steps of appendBibItem); `onWorker` leaves the parent
    // group alone (it is rebuilt on the main thread when the merge ends).
    bool offerItem(const BibItemPtr &item, const QString &databaseID, bool onWorker);
    // Base addition and removal on the guarded lists; answers whether the
    // list changed. Callers hold m_itemsLock.
    bool addLocked(const BibItemPtr &item);
    bool removeLocked(const BibItemPtr &item);
    // Duplicate grouping with m_itemsLock held; collects what was added to or
    // removed from the list.
    void appendToGroupLocked(const BibItemPtr &item, BibItemList &added);
    void removeFromGroupLocked(const BibItemPtr &item, BibItemList &removed);
    // Tells the parent group (main thread).
    void propagateAdded(const BibItemList &items);
    void propagateRemoved(const BibItemList &items);
    // Step 7 of following a change, without the update-code test.
    bool followChange(const BibItemPtr &item);
    void clearEntries();
    // Queues a database and starts a worker unless one runs; main thread.
    void queueDatabase(RealDatabase *database);
    void startWorkerLocked();
    void mergeDatabasesInThread();
    // The merge is over: the parent group learns the new entries.
    void mergeFinishedOnMainThread();
    // Empties the queue and waits for a running worker to stop.
    void stopMerging();
    bool initialLoading() const;
    static QString databaseIDOf(const BibItem &item);

    mutable std::mutex
        m_mergingListLock; // guards m_mergingDatabaseList, m_currentMerge and starting the worker
    std::condition_variable
        m_mergeProgress; // signalled (under m_mergingListLock) when m_currentMerge changes
    std::deque<QueuedDatabase> m_mergingDatabaseList;
    RealDatabase *m_currentMerge = nullptr; // the database the worker is merging
    std::atomic<RealDatabase *> m_skipDatabase{
        nullptr}; // the worker abandons this database (it is closing)
    std::atomic<bool> m_stopWorker{false};
    std::thread m_worker;

    // Guards m_itemList, m_authorList (the base lists), m_itemSet and the
    // identical lists, which the worker fills while the main thread follows
    // changes.
    mutable std::mutex m_itemsLock;
    QSet<const BibItem *> m_itemSet; // the entries of m_itemList, for fast membership
    std::optional<QHash<QString, BibItemList>> m_identicalCheckList;
    QHash<const BibItem *, QString>
        m_identicalKeyOf; // the group key each grouped entry was filed under

    std::unique_ptr<QTimer> m_timeDependentCheck;
    std::unique_ptr<QObject> m_mainThreadContext; // receives the end of a merge on the main thread
};
