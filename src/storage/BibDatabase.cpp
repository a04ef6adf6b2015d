#include "storage/BibDatabase.h"

#include "storage/DatabaseSaver.h" // saving

#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "model/AuthorName.h"
#include "model/BibItem.h"
#include "storage/DatabaseGroup.h"
#include "storage/LibraryGroup.h"
#include "storage/LoadingCoordinator.h"
#include "storage/LocalDatabase.h"
#include "storage/RealDatabase.h"

#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

BibDatabase::LibraryFactory &libraryFactory()
{
    static BibDatabase::LibraryFactory factory;
    return factory;
}

const QString treePropertyKey = u"Database Tree Property"_s;
const QString treeChildrenKey = u"Database Tree Children"_s;

} // namespace

BibDatabase::BibDatabase() : BibDatabase(Root, std::make_unique<DatabaseProperties>()) {}

BibDatabase::BibDatabase(int kind, std::unique_ptr<DatabaseProperties> properties)
    : m_kind(kind), m_properties(std::move(properties)), m_hasChildren(kind < 3),
      m_controllerDbList(LoadingCoordinator::global())
{
    m_properties->setDatabase(this);
}

BibDatabase::~BibDatabase()
{
    // Children go first, while their parent pointer is still valid.
    m_nodeChildren.clear();
}

void BibDatabase::setProperties(std::unique_ptr<DatabaseProperties> properties)
{
    m_properties = std::move(properties);
    m_properties->setDatabase(this);
}

// ---- construction and persistence

void BibDatabase::setLibraryFactory(LibraryFactory factory)
{
    libraryFactory() = std::move(factory);
}

std::unique_ptr<BibDatabase>
BibDatabase::nodeWithDictionary(const QVariantMap &properties,
                                std::initializer_list<int> acceptedKinds)
{
    bool ok = false;
    const int kind = properties.value(u"kind"_s).toInt(&ok);
    if (!ok || std::find(acceptedKinds.begin(), acceptedKinds.end(), kind) == acceptedKinds.end())
        return nullptr;
    switch (kind) {
    case DatabaseGroupKind:
        return DatabaseGroup::dbGroupWithDictionary(properties);
    case LibraryGroupKind:
        return LibraryGroup::libGroupWithDictionary(properties);
    case SmartLibraryKind:
    case ManualLibraryKind:
        return libraryFactory() ? libraryFactory()(kind, properties) : nullptr;
    case LocalDatabaseKind:
        return LocalDatabase::localDatabaseWithDictionary(properties);
    default:
        return nullptr;
    }
}

void BibDatabase::readChildren(const QVariantMap &dictionary,
                               std::initializer_list<int> acceptedKinds)
{
    const QVariantList children = dictionary.value(treeChildrenKey).toList();
    for (const QVariant &child : children) {
        const QVariantMap properties = child.toMap().value(treePropertyKey).toMap();
        if (auto node = nodeWithDictionary(properties, acceptedKinds))
            insertChild(std::move(node), -1);
    }
}

std::unique_ptr<BibDatabase>
BibDatabase::createRootNodeWithDictionary(const QVariantMap &dictionary)
{
    auto root = std::make_unique<BibDatabase>();
    if (!dictionary.isEmpty())
        root->readChildren(dictionary, {1, 2, 3, 4, 5});
    return root;
}

QVariantMap BibDatabase::makeTreeDictionary() const
{
    QVariantMap properties = m_properties->makePropertyDictionary();
    if (m_hasChildren) {
        QVariantList children;
        for (const auto &child : m_nodeChildren)
            children.append(child->makeTreeDictionary());
        properties.insert(treeChildrenKey, children);
    }
    return {{treePropertyKey, properties}};
}

// ---- identity and display

QString BibDatabase::attributedName() const
{
    return QStringLiteral("%1 (%2)").arg(description()).arg(numItems());
}

int BibDatabase::compare(const BibDatabase &other) const
{
    if (m_kind != other.m_kind)
        return m_kind < other.m_kind ? -1 : 1;
    const int order = QString::localeAwareCompare(description(), other.description());
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

void BibDatabase::expandedGroups(std::vector<BibDatabase *> &out)
{
    if (!m_hasChildren)
        return;
    if (m_nodeParent && groupExpanded())
        out.push_back(this);
    for (const auto &child : m_nodeChildren)
        child->expandedGroups(out);
}

void BibDatabase::propertiesChanged()
{
    announcePropertiesChanged(false);
}

void BibDatabase::announcePropertiesChanged(bool descriptionChanged)
{
    if (m_controllerDbList)
        m_controllerDbList->reload(descriptionChanged);
    setDirty(true);
}

// ---- items

int BibDatabase::numItems() const
{
    if (isLoading())
        return numLoading();
    return static_cast<int>(m_itemList.size());
}

int BibDatabase::numAuthors() const
{
    return isLoading() ? 0 : static_cast<int>(m_authorList.size());
}

const BibItemList *BibDatabase::allItems() const
{
    return isLoading() ? nullptr : &m_itemList;
}

const AuthorIndex *BibDatabase::allAuthors() const
{
    return isLoading() ? nullptr : &m_authorList;
}

bool BibDatabase::containsItem(const BibItem *item) const
{
    if (isLoading() || isSmartLib()) {
        return std::any_of(m_itemList.begin(), m_itemList.end(),
                           [item](const BibItemPtr &own) { return own.get() == item; });
    }
    if (!m_itemIndexValid) {
        m_itemIndex.clear();
        m_itemIndex.reserve(static_cast<qsizetype>(m_itemList.size()));
        for (const BibItemPtr &own : m_itemList)
            m_itemIndex.insert(own.get());
        m_itemIndexValid = true;
    }
    return m_itemIndex.contains(item);
}

bool BibDatabase::childContainsItem(const BibItem *item) const
{
    return std::any_of(m_nodeChildren.begin(), m_nodeChildren.end(),
                       [item](const auto &child) { return child->containsItem(item); });
}

QHash<QString, QString> BibDatabase::fieldNameList() const
{
    QHash<QString, QString> names;
    for (const BibItemPtr &item : m_itemList) {
        const auto &fields = item->bibFieldsElements();
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            if (!it->isEmpty())
                names.insert(it.key(), it.key());
        }
    }
    return names;
}

// ---- tree structure

BibDatabase *BibDatabase::insertChild(std::unique_ptr<BibDatabase> child, int index)
{
    if (!child)
        return nullptr;
    child->m_nodeParent = this;
    BibDatabase *raw = child.get();
    if (index < 0 || index >= numberOfChildren())
        m_nodeChildren.push_back(std::move(child));
    else
        m_nodeChildren.insert(m_nodeChildren.begin() + index, std::move(child));
    return raw;
}

void BibDatabase::insertChildren(std::vector<std::unique_ptr<BibDatabase>> children, int index)
{
    for (auto &child : children) {
        insertChild(std::move(child), index);
        if (index >= 0)
            ++index;
    }
}

std::unique_ptr<BibDatabase> BibDatabase::removeChild(BibDatabase *child)
{
    const int index = indexOfChild(child);
    if (index < 0)
        return nullptr;
    std::unique_ptr<BibDatabase> node = std::move(m_nodeChildren[static_cast<size_t>(index)]);
    m_nodeChildren.erase(m_nodeChildren.begin() + index);
    node->m_nodeParent = nullptr;
    return node;
}

std::unique_ptr<BibDatabase> BibDatabase::removeFromParent()
{
    return m_nodeParent ? m_nodeParent->removeChild(this) : nullptr;
}

std::vector<std::unique_ptr<BibDatabase>>
BibDatabase::removeChildrenIdenticalTo(const std::vector<BibDatabase *> &nodes)
{
    std::vector<std::unique_ptr<BibDatabase>> removed;
    for (BibDatabase *node : nodes) {
        if (auto taken = removeChild(node))
            removed.push_back(std::move(taken));
    }
    return removed;
}

int BibDatabase::indexOfChild(const BibDatabase *child) const
{
    for (size_t i = 0; i < m_nodeChildren.size(); ++i) {
        if (m_nodeChildren[i].get() == child)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<BibDatabase *> BibDatabase::children() const
{
    std::vector<BibDatabase *> list;
    list.reserve(m_nodeChildren.size());
    for (const auto &child : m_nodeChildren)
        list.push_back(child.get());
    return list;
}

BibDatabase *BibDatabase::firstChild() const
{
    return m_nodeChildren.empty() ? nullptr : m_nodeChildren.front().get();
}

BibDatabase *BibDatabase::lastChild() const
{
    return m_nodeChildren.empty() ? nullptr : m_nodeChildren.back().get();
}

BibDatabase *BibDatabase::childAtIndex(int index) const
{
    if (index < 0 || index >= numberOfChildren())
        return nullptr;
    return m_nodeChildren[static_cast<size_t>(index)].get();
}

bool BibDatabase::isDescendantOfNode(const BibDatabase *node) const
{
    for (const BibDatabase *walk = this; walk; walk = walk->m_nodeParent) {
        if (walk == node)
            return true;
    }
    return false;
}

bool BibDatabase::isDescendantOfNodeInArray(const std::vector<BibDatabase *> &nodes) const
{
    return std::any_of(nodes.begin(), nodes.end(),
                       [this](const BibDatabase *n) { return isDescendantOfNode(n); });
}

void BibDatabase::move(BibDatabase *node, int index)
{
    if (!node || node == this || isDescendantOfNode(node))
        return;
    BibDatabase *oldParent = node->m_nodeParent;
    if (oldParent != this) {
        std::unique_ptr<BibDatabase> taken = oldParent ? oldParent->removeChild(node) : nullptr;
        if (!taken)
            return;
        insertChild(std::move(taken), index);
        if (oldParent) {
            oldParent->rebuildBibItemList(oldParent->m_nodeParent != m_nodeParent);
        }
        rebuildBibItemList(true);
        return;
    }
    const int current = indexOfChild(node);
    int target = index < 0 ? numberOfChildren() : index;
    if (target > current)
        target -= 1;
    if (target == current)
        return;
    std::unique_ptr<BibDatabase> taken = removeChild(node);
    insertChild(std::move(taken), target);
}

// ---- item operations

void BibDatabase::appendItemAndAuthors(const BibItemPtr &item)
{
    m_itemList.push_back(item);
    if (m_itemIndexValid)
        m_itemIndex.insert(item.get());
    addAuthorsForItem(item);
}

bool BibDatabase::appendBibItem(const BibItemPtr &item)
{
    if (!item || containsItem(item.get()))
        return false;
    appendItemAndAuthors(item);
    if (m_nodeParent)
        m_nodeParent->appendBibItem(item);
    m_needsUpdate = true;
    setDirty(true);
    return true;
}

bool BibDatabase::removeBibItem(const BibItemPtr &item, bool)
{
    if (!item || !containsItem(item.get()))
        return true;
    removeAuthorsForItem(item);
    std::erase_if(m_itemList, [&](const BibItemPtr &own) { return own.get() == item.get(); });
    if (m_itemIndexValid)
        m_itemIndex.remove(item.get());
    if (m_nodeParent)
        m_nodeParent->bibItemRemoved(item);
    m_needsUpdate = true;
    setDirty(true);
    return true;
}

void BibDatabase::bibItemRemoved(const BibItemPtr &item)
{
    if (!containsItem(item.get()) || childContainsItem(item.get()))
        return;
    BibDatabase::removeBibItem(item, false);
}

int BibDatabase::removeBibItems(const BibItemList &items, bool removeFile)
{
    std::vector<RealDatabase *> order;
    QHash<RealDatabase *, BibItemList> byDatabase;
    BibItemList orphans;
    for (const BibItemPtr &item : items) {
        auto *owner = dynamic_cast<RealDatabase *>(item->database());
        if (!owner) {
            orphans.push_back(item);
            continue;
        }
        if (!byDatabase.contains(owner))
            order.push_back(owner);
        byDatabase[owner].push_back(item);
    }
    if (!orphans.empty()) {
        AlertRequest request;
        request.title = Texts::text(u"RemoveFailed");
        request.defaultButton = Texts::text(u"OK");
        if (orphans.size() == 1) {
            request.message = Texts::format(u"RemoveClosed1Message", {orphans.front()->bibKey()});
        } else {
            QStringList keys;
            for (size_t i = 0; i < orphans.size() && i < 10; ++i)
                keys << orphans[i]->bibKey();
            QString list = keys.join(u", "_s);
            if (orphans.size() > 10)
                list += u", ..."_s;
            request.message =
                Texts::format(u"RemoveClosedMessage", {QString::number(orphans.size()), list});
        }
        AlertPresenter::show(request);
    }
    int removed = 0;
    for (RealDatabase *database : order)
        removed += database->removeBibItems(byDatabase.value(database), removeFile);
    return removed;
}

void BibDatabase::removeItemFromLibraries(const BibItemPtr &item)
{
    if (isGroup()) {
        for (const auto &child : m_nodeChildren)
            child->removeItemFromLibraries(item);
    } else if (isLibrary()) {
        removeBibItem(item, false);
    }
}

void BibDatabase::appendNewItemForSmartLib(const BibItemPtr &item)
{
    if (isGroup() && !isDatabaseNode()) {
        for (const auto &child : m_nodeChildren)
            child->appendNewItemForSmartLib(item);
    } else if (isSmartLib()) {
        appendBibItem(item);
    }
}

void BibDatabase::rebuildBibItemList(bool) {}

void BibDatabase::cleanForCancelLoading()
{
    m_itemList.clear();
    itemListChanged();
    m_authorList.clear();
}

BibItemPtr BibDatabase::addCopyOfBibItem(const BibItemPtr &)
{
    return nullptr;
}

// ---- author index

const AuthorName &BibDatabase::addAuthor(const AuthorName &name, const BibItemPtr &item)
{
    const QString key = name.stringValue();
    auto it = m_authorList.find(key);
    if (it == m_authorList.end())
        it = m_authorList.insert(key,
                                 AuthorIndexEntry{std::make_shared<const AuthorName>(name), {}});
    it->items.push_back(item);
    return *it->name;
}

void BibDatabase::removeAuthor(const AuthorName &name, const BibItem *item)
{
    auto it = m_authorList.find(name.stringValue());
    if (it == m_authorList.end())
        return;
    std::erase_if(it->items, [item](const BibItemPtr &own) { return own.get() == item; });
    if (it->items.empty())
        m_authorList.erase(it);
}

void BibDatabase::addAuthorsForItem(const BibItemPtr &item)
{
    // An author of many entries is held once: each entry's name takes the
    // text of the one in the index.
    item->shareNames([this, &item](const AuthorName &name) -> const AuthorName * {
        return name.isOthers() ? nullptr : &addAuthor(name, item);
    });
    setDirty(true);
}

void BibDatabase::removeAuthorsForItem(const BibItemPtr &item)
{
    for (const AuthorName &name : item->originalAuthorList()) {
        if (!name.isOthers())
            removeAuthor(name, item.get());
    }
    for (const AuthorName &name : item->originalEditorList()) {
        if (!name.isOthers())
            removeAuthor(name, item.get());
    }
    setDirty(true);
}

void BibDatabase::replaceAuthorsForItem(const BibItemPtr &item)
{
    if (!containsItem(item.get()))
        return;
    removeAuthorsForItem(item);
    addAuthorsForItem(item);
    if (isRealDatabase() && m_controllerDbList)
        m_controllerDbList->replaceAuthorsForLib(item);
    setDirty(true);
}

void BibDatabase::replaceAuthorsForLib(const BibItemPtr &item)
{
    if (isGroup()) {
        replaceAuthorsForItem(item);
        if (!isDatabaseNode()) {
            for (const auto &child : m_nodeChildren)
                child->replaceAuthorsForLib(item);
        }
    } else if (isLibrary()) {
        replaceAuthorsForItem(item);
    }
}

void BibDatabase::makeAuthorList()
{
    for (const BibItemPtr &item : m_itemList)
        addAuthorsForItem(item);
}

// ---- tree-wide messages

void BibDatabase::databaseOpened(RealDatabase *database)
{
    for (const auto &child : m_nodeChildren)
        child->databaseOpened(database);
}

void BibDatabase::databaseClosed(RealDatabase *database)
{
    if (!m_hasChildren)
        return;
    for (const auto &child : m_nodeChildren)
        child->databaseClosed(database);
    rebuildBibItemList(false);
}

bool BibDatabase::bibItemChanged(const BibItemPtr &item)
{
    bool changed = false;
    for (const auto &child : m_nodeChildren)
        changed = child->bibItemChanged(item) || changed;
    return changed;
}

void BibDatabase::prefsChanged()
{
    for (const auto &child : m_nodeChildren)
        child->prefsChanged();
}

void BibDatabase::updateSmartLibrary(BibDatabase *databaseGroup)
{
    if (!isLibraryGroup())
        return;
    for (const auto &child : m_nodeChildren)
        child->updateSmartLibrary(databaseGroup);
}

bool BibDatabase::containsManualSmartLib() const
{
    if (isDatabaseNode())
        return false;
    for (const auto &child : m_nodeChildren) {
        if (child->isSmartLib() && child->manualUpdateOnLaunch(false))
            return true;
        if (child->isGroup() && child->containsManualSmartLib())
            return true;
    }
    return false;
}

void BibDatabase::resetNeedsUpdate()
{
    m_needsUpdate = false;
    for (const auto &child : m_nodeChildren)
        child->resetNeedsUpdate();
}

// ---- lookup and counting

BibDatabase *BibDatabase::findDatabaseID(const QString &uniqueID, int kind)
{
    if (m_kind == kind && this->uniqueID() == uniqueID)
        return this;
    for (const auto &child : m_nodeChildren) {
        if (BibDatabase *found = child->findDatabaseID(uniqueID, kind))
            return found;
    }
    return nullptr;
}

void BibDatabase::getNumLocal(int &numLocal, int &numRemote, int &numSmart, int &numManual) const
{
    switch (m_kind) {
    case LocalDatabaseKind:
        ++numLocal;
        break;
    case RemoteDatabaseKind:
        ++numRemote;
        break;
    case SmartLibraryKind:
        ++numSmart;
        break;
    case ManualLibraryKind:
        ++numManual;
        break;
    default:
        break;
    }
    for (const auto &child : m_nodeChildren)
        child->getNumLocal(numLocal, numRemote, numSmart, numManual);
}

QStringList BibDatabase::getManualLibFiles() const
{
    QStringList files;
    for (const auto &child : m_nodeChildren) {
        if (child->isManualLib())
            files << child->uniqueID() + u".manlib"_s;
        else if (child->isLibraryGroup())
            files << child->getManualLibFiles();
    }
    return files;
}

std::vector<BibDatabase *> BibDatabase::getManualLibraries()
{
    std::vector<BibDatabase *> libraries;
    for (const auto &child : m_nodeChildren) {
        if (child->isManualLib()) {
            libraries.push_back(child.get());
        } else if (child->isLibraryGroup()) {
            const auto below = child->getManualLibraries();
            libraries.insert(libraries.end(), below.begin(), below.end());
        }
    }
    return libraries;
}

// ---- saving hooks (file-backed nodes override them)

// Saving (DatabaseSaver)
QVariantMap BibDatabase::defaultSaveOptions() const
{
    return DatabaseSaver::defaultSaveOptions(*this);
}

bool BibDatabase::saveDatabase()
{
    setDirty(false);
    return true;
}

bool BibDatabase::saveAsDatabase(const QString &path, const QVariantMap &options)
{
    return DatabaseSaver::saveAsDatabase(*this, path, options);
}

std::optional<QByteArray> BibDatabase::makeContentsDataWithOptions(const QVariantMap &options)
{
    return DatabaseSaver::makeContentsData(*this, options);
}

bool BibDatabase::saveManualLibs()
{
    for (const auto &child : m_nodeChildren)
        child->saveManualLibs();
    return true;
}

void BibDatabase::removeLibDataFile()
{
    for (const auto &child : m_nodeChildren)
        child->removeLibDataFile();
}

void BibDatabase::removeAllChildren()
{
    for (const auto &child : m_nodeChildren)
        child->removeAllChildren();
}

// ---- loading

void BibDatabase::startLoading()
{
    m_nowLoading.store(true);
    m_stopLoading.store(false);
    m_waitingStatus = 0;
    m_numLoading.store(0);
    if (m_controllerDbList)
        m_controllerDbList->databaseStartLoading(this);
}

void BibDatabase::finishLoading()
{
    m_nowLoading.store(false);
    if (m_controllerDbList)
        m_controllerDbList->databaseFinishedLoading(this);
}

void BibDatabase::fileOperationError(const QString &messageKey, const QString &path)
{
    AlertRequest request;
    request.title = Texts::text(u"FileOperationError");
    request.message = Texts::substitute(Texts::text(messageKey), {path});
    request.defaultButton = Texts::text(u"OK");
    AlertPresenter::show(request);
}
