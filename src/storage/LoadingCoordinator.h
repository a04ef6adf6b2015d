#pragma once

#include "storage/BibDatabase.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class DatabaseGroup;
class LocalDatabase;

// Owns the tree of databases and libraries and coordinates the loading of
// databases on their worker threads with the main thread: nodes register when
// they start loading, workers hand finished nodes over under the lock, and a
// 0.3-second timer on the main thread takes one node per tick, shows its
// reading errors or announces it to the tree. Widget-free: the window drives
// it and listens to its signals. One instance is the global one.
// Thread rules: databaseFinishedLoading() may be called from any thread;
// everything else runs on the main thread.
class LoadingCoordinator : public QObject
{
    Q_OBJECT

public:
    explicit LoadingCoordinator(QObject *parent = nullptr);
    ~LoadingCoordinator() override;
    LoadingCoordinator(const LoadingCoordinator &) = delete;
    LoadingCoordinator &operator=(const LoadingCoordinator &) = delete;

    // The instance made last and still alive, or null.
    static LoadingCoordinator *global();

    BibDatabase *rootNode() const { return m_rootNode.get(); }
    DatabaseGroup *databaseNode() const { return m_databaseNode; }
    // Replaces the tree (the database group is the root's first child, made when missing).
    void setRootNode(std::unique_ptr<BibDatabase> root);

    // Rebuilds the tree from the stored tree dictionary and starts loading
    // every database in it; hands the manual libraries over for post-processing.
    void reloadDatabases();
    // The database for `path`: the open one when there is one, else a new
    // node appended to the database group and started. Null when the file
    // cannot be opened (the user has been told). `editFormsOnly`: see
    // LocalDatabase::setLoadEditFormsOnly.
    // `readEncoding`: read the file in that encoding (see
    // LocalDatabase::setReadEncoding) instead of finding it.
    LocalDatabase *appendLocalDatabase(const QString &path, bool canCreate,
                                       bool editFormsOnly = false,
                                       std::optional<quint32> readEncoding = std::nullopt);
    // "Reopen with encoding": the open database reads its file again in
    // `encoding`. The tree is told that its entries go (databaseClosed), and
    // the node loads and is announced again like a newly added one, its
    // reading errors shown first. A later save writes that encoding, so the
    // bytes of the file survive. False, doing nothing, while the node loads.
    bool reopenWithEncoding(LocalDatabase *database, quint32 encoding);
    // Takes the node out of the tree and announces its closing; answers it.
    std::unique_ptr<BibDatabase> removeDatabase(BibDatabase *node);

    // ---- called by the nodes
    void databaseStartLoading(BibDatabase *node);
    // Any thread: moves the node from loading to finished; answers whether it was loading.
    bool databaseFinishedLoading(BibDatabase *node);
    void setLibraryForPostProcess(BibDatabase *library);
    // A node that goes away is forgotten by the loading arrays.
    void forgetNode(BibDatabase *node);
    LocalDatabase *findDatabaseOfID(const QString &uniqueID) const;

    // One step of the loading coordination (the timer's tick).
    void checkLoading();
    bool isLoading() const { return m_loadingCheckTimer != nullptr; }
    bool initialLoading() const { return m_initialLoading; }

    // Shows a finished database's reading errors; the handler must end with
    // the node's setWaitingStatus (0 keep, 2 drop), at once or later. The
    // default asks through the alert interface.
    using ErrorAlertHandler = std::function<void(BibDatabase *node, const QStringList &errors)>;
    void setErrorAlertHandler(ErrorAlertHandler handler);

    // ---- tree messages relayed to the root
    void appendNewItemForSmartLib(const BibItemPtr &item);
    void removeItemFromLibraries(const BibItemPtr &item);
    void replaceAuthorsForLib(const BibItemPtr &item);
    void reload(bool selectionChanged);
    void selectionChanged();

Q_SIGNALS:
    void loadingStarted();
    // Every array is empty and the timer has stopped.
    void loadingFinished();
    // A node was post-processed: it is open and its items are in the tree.
    void databaseReady(BibDatabase *node);
    // A node whose loading the user cancelled was removed.
    void databaseDropped(const QString &description);
    void reloadRequested(bool selectionChanged);
    void selectionChangeRequested();

private:
    void startTimerIfNeeded();
    void scheduleNextCheck();
    void loadingPostProcess(BibDatabase *node);

    std::unique_ptr<BibDatabase> m_rootNode;
    DatabaseGroup *m_databaseNode = nullptr;
    mutable std::mutex m_loadingListLock; // guards the four arrays below
    std::vector<BibDatabase *> m_loadingDatabase;
    std::vector<BibDatabase *> m_finishedDatabase;
    std::vector<BibDatabase *> m_waitingDatabase;
    std::vector<BibDatabase *> m_waitingLibraries;
    QTimer *m_loadingCheckTimer = nullptr; // present only while something loads
    bool m_initialLoading = false;
    ErrorAlertHandler m_errorAlertHandler;
};
