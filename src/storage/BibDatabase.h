#pragma once

#include "storage/DatabaseProperties.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AuthorName;
class BibItem;
class LoadingCoordinator;
class RealDatabase;

using BibItemPtr = std::shared_ptr<BibItem>;
using BibItemList = std::vector<BibItemPtr>;

// One person in a node's author index: the name and every item naming the
// person, once per occurrence (an item naming the person as author and as
// editor is there twice).
struct AuthorIndexEntry
{
    std::shared_ptr<const AuthorName> name;
    BibItemList items;
};
// The author index: the name's text form -> entry.
using AuthorIndex = QHash<QString, AuthorIndexEntry>;

// A node of the tree of databases and libraries. The root is a plain
// BibDatabase (kind 0); groups own their children (unique_ptr) and children
// keep a raw pointer to their parent; items are shared. Main thread only,
// except that a loading LocalDatabase fills its own lists on its loading
// thread while it reports isLoading() (its accessors answer nothing then).
class BibDatabase
{
public:
    enum Kind
    {
        Root = 0,
        DatabaseGroupKind = 1,
        LibraryGroupKind = 2,
        SmartLibraryKind = 3,
        ManualLibraryKind = 4,
        LocalDatabaseKind = 5,
        RemoteDatabaseKind = 6
    };

    // A plain node (the root, kind 0) with fresh properties; `isGroup` gives
    // it an (empty) child list.
    BibDatabase();
    virtual ~BibDatabase();
    BibDatabase(const BibDatabase &) = delete;
    BibDatabase &operator=(const BibDatabase &) = delete;

    // ---- construction and persistence
    // Rebuilds the root from the root's property dictionary of a stored tree
    // (its "Database Tree Children"); absent or empty gives an empty root.
    static std::unique_ptr<BibDatabase> createRootNodeWithDictionary(const QVariantMap &dictionary);
    // {"Database Tree Property": properties (+ "Database Tree Children" for groups)}.
    QVariantMap makeTreeDictionary() const;
    // Makes the libraries of kinds 3 and 4 from their property dictionaries;
    // installed by the library classes. Answers null when it cannot.
    using LibraryFactory =
        std::function<std::unique_ptr<BibDatabase>(int kind, const QVariantMap &properties)>;
    static void setLibraryFactory(LibraryFactory factory);
    // A child node built from a node dictionary's property dictionary, or null
    // for a kind outside `acceptedKinds` or a node that cannot be made.
    static std::unique_ptr<BibDatabase>
    nodeWithDictionary(const QVariantMap &properties, std::initializer_list<int> acceptedKinds);

    // ---- kind and identity
    int kind() const { return m_kind; }
    bool isGroup() const { return m_kind < 3; }
    bool isLeaf() const { return m_kind > 2; }
    bool isDatabaseNode() const { return m_kind == 1; }
    bool isLibraryGroup() const { return m_kind == 2; }
    bool isSmartLib() const { return m_kind == 3; }
    bool isManualLib() const { return m_kind == 4; }
    bool isLibrary() const { return m_kind == 3 || m_kind == 4; }
    bool isLocalDatabase() const { return m_kind == 5; }
    bool isRealDatabase() const { return m_kind > 4; }

    DatabaseProperties &properties() { return *m_properties; }
    const DatabaseProperties &properties() const { return *m_properties; }
    QString uniqueID() const { return m_properties->uniqueID(); }
    QString description() const { return m_properties->description(); }
    QString icon() const { return m_properties->icon(); }
    // "description (count)", as the outline shows it.
    QString attributedName() const;
    // Orders by kind, then by locale-aware comparison of the descriptions.
    int compare(const BibDatabase &other) const;
    bool groupExpanded() const { return m_properties->groupExpanded(); }
    void setExpanded(bool expanded) { m_properties->setExpanded(expanded); }
    // Every expanded group below (and with) this node that has a parent.
    void expandedGroups(std::vector<BibDatabase *> &out);

    virtual void openProperty() {}
    // The properties were edited: asks for a reload and marks the node changed.
    virtual void propertiesChanged();

    // ---- items (nothing while loading)
    virtual int numItems() const;
    int numAuthors() const;
    const BibItemList *allItems() const;
    const AuthorIndex *allAuthors() const;
    bool containsItem(const BibItem *item) const;
    bool childContainsItem(const BibItem *item) const;
    // Every field name used by the node's items, name -> name.
    QHash<QString, QString> fieldNameList() const;

    // ---- tree structure
    BibDatabase *nodeParent() const { return m_nodeParent; }
    void setNodeParent(BibDatabase *parent) { m_nodeParent = parent; }
    // Index -1 or past the end appends.
    BibDatabase *insertChild(std::unique_ptr<BibDatabase> child, int index);
    void insertChildren(std::vector<std::unique_ptr<BibDatabase>> children, int index);
    // Takes the child out and hands it back (null when it is not a child).
    std::unique_ptr<BibDatabase> removeChild(BibDatabase *child);
    std::unique_ptr<BibDatabase> removeFromParent();
    virtual std::vector<std::unique_ptr<BibDatabase>>
    removeChildrenIdenticalTo(const std::vector<BibDatabase *> &nodes);
    int indexOfChild(const BibDatabase *child) const;
    int indexOfChildIdenticalTo(const BibDatabase *child) const { return indexOfChild(child); }
    int numberOfChildren() const { return static_cast<int>(m_nodeChildren.size()); }
    std::vector<BibDatabase *> children() const;
    BibDatabase *firstChild() const;
    BibDatabase *lastChild() const;
    BibDatabase *childAtIndex(int index) const;
    bool isDescendantOfNode(const BibDatabase *node) const;
    bool isDescendantOfNodeInArray(const std::vector<BibDatabase *> &nodes) const;
    // Moves `node` under this node at `index` (-1: after the last child).
    virtual void move(BibDatabase *node, int index);

    // ---- item operations
    virtual bool appendBibItem(const BibItemPtr &item);
    virtual bool removeBibItem(const BibItemPtr &item, bool removeFile);
    virtual int removeBibItems(const BibItemList &items, bool removeFile);
    void bibItemRemoved(const BibItemPtr &item);
    virtual void removeItemFromLibraries(const BibItemPtr &item);
    virtual void appendNewItemForSmartLib(const BibItemPtr &item);
    virtual void rebuildBibItemList(bool alsoParent);
    virtual void cleanForCancelLoading();
    // A copy of `item` added to this node (real databases and manual libraries).
    virtual BibItemPtr addCopyOfBibItem(const BibItemPtr &item);

    // ---- author index
    void makeAuthorList();
    void addAuthorsForItem(const BibItemPtr &item);
    void replaceAuthorsForItem(const BibItemPtr &item);
    void removeAuthorsForItem(const BibItemPtr &item);
    // Answers the index's own name (equal to `name`), which the entries share.
    const AuthorName &addAuthor(const AuthorName &name, const BibItemPtr &item);
    void removeAuthor(const AuthorName &name, const BibItem *item);
    virtual void replaceAuthorsForLib(const BibItemPtr &item);

    // ---- tree-wide messages (passed down by groups)
    virtual void databaseOpened(RealDatabase *database);
    virtual void databaseClosed(RealDatabase *database);
    virtual bool bibItemChanged(const BibItemPtr &item);
    virtual void prefsChanged();
    virtual void updateSmartLibrary(BibDatabase *databaseGroup);
    virtual bool containsManualSmartLib() const;
    // Smart libraries answer whether they are updated by hand.
    virtual bool manualUpdateOnLaunch(bool set)
    {
        (void)set;
        return false;
    }
    // Manual libraries resolve their remaining stored members.
    virtual void loadRemainingItems() {}
    void resetNeedsUpdate();
    bool needsUpdate() const { return m_needsUpdate; }

    // ---- lookup and counting
    BibDatabase *findDatabaseID(const QString &uniqueID, int kind);
    void getNumLocal(int &numLocal, int &numRemote, int &numSmart, int &numManual) const;
    QStringList getManualLibFiles() const;
    std::vector<BibDatabase *> getManualLibraries();

    // ---- saving hooks
    virtual bool isDirty() const { return m_dirty.load(); }
    virtual void setDirty(bool dirty) { m_dirty.store(dirty); }
    virtual QVariantMap defaultSaveOptions() const;
    virtual bool saveDatabase();
    virtual bool saveAsDatabase(const QString &path, const QVariantMap &options);
    virtual std::optional<QByteArray> makeContentsDataWithOptions(const QVariantMap &options);
    virtual bool saveManualLibs();
    virtual void removeLibDataFile();
    virtual void removeAllChildren();

    // ---- loading
    virtual void startLoading();
    virtual void finishLoading();
    void setStopLoading(bool stop) { m_stopLoading.store(stop); }
    bool stopLoadingRequested() const { return m_stopLoading.load(); }
    bool isLoading() const { return m_nowLoading.load(); }
    int waitingStatus() const { return m_waitingStatus; }
    virtual void setWaitingStatus(int status) { m_waitingStatus = status; }
    int numLoading() const { return m_numLoading.load(); }
    // The problems found while loading; absent when there were none.
    virtual std::optional<QStringList> readingErrors() const { return std::nullopt; }

    // Shows a file-system failure: the message key's text used as a format
    // with the path, titled "FileOperationError", one button "OK".
    static void fileOperationError(const QString &messageKey, const QString &path);

protected:
    // Asks the database list for a redisplay (re-sorting the tree when the
    // description changed) and marks the node changed.
    void announcePropertiesChanged(bool descriptionChanged);
    // A node of `kind` with the given properties; groups get a child list.
    BibDatabase(int kind, std::unique_ptr<DatabaseProperties> properties);
    void setProperties(std::unique_ptr<DatabaseProperties> properties);
    LoadingCoordinator *controllerDbList() const { return m_controllerDbList; }
    // Reads "Database Tree Children" of a group's property dictionary.
    void readChildren(const QVariantMap &dictionary, std::initializer_list<int> acceptedKinds);
    void appendItemAndAuthors(const BibItemPtr &item);
    // Code that changes m_itemList other than through appendItemAndAuthors
    // and BibDatabase::removeBibItem calls this: the membership index is
    // rebuilt when next asked.
    void itemListChanged() { m_itemIndexValid = false; }

    int m_kind;
    std::unique_ptr<DatabaseProperties> m_properties;
    BibDatabase *m_nodeParent = nullptr;
    bool m_hasChildren = false; // groups hold a child list, leaves do not
    std::vector<std::unique_ptr<BibDatabase>> m_nodeChildren;
    LoadingCoordinator *m_controllerDbList = nullptr;
    BibItemList m_itemList;
    AuthorIndex m_authorList;
    // The entries of m_itemList by identity, so that membership is not a scan
    // (adding n entries one by one would be quadratic). Main thread; not used
    // while loading or by smart libraries, which keep their own set.
    mutable QSet<const BibItem *> m_itemIndex;
    mutable bool m_itemIndexValid = false;
    std::atomic<bool> m_nowLoading{false};
    std::atomic<bool> m_stopLoading{false};
    int m_waitingStatus = 0;
    std::atomic<int> m_numLoading{0};
    bool m_needsUpdate = false;
    std::atomic<bool> m_dirty{false}; // read by the display while a loading thread may set it
};
