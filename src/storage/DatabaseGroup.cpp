#include "storage/DatabaseGroup.h"

#include "core/Texts.h"
#include "model/BibItem.h"
#include "storage/DbGroupProperties.h"
#include "storage/LocalDatabase.h"
#include "storage/RealDatabase.h"

#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

DatabaseGroup::DatabaseGroup()
    : LibraryGroup(DatabaseGroupKind, std::make_unique<DbGroupProperties>())
{
    setExpanded(true);
    properties().setDescription(Texts::text(u"AllDatabase"));
}

std::unique_ptr<DatabaseGroup> DatabaseGroup::dbGroup()
{
    return std::make_unique<DatabaseGroup>();
}

std::unique_ptr<DatabaseGroup> DatabaseGroup::dbGroupWithDictionary(const QVariantMap &dictionary)
{
    auto group = std::make_unique<DatabaseGroup>();
    group->setProperties(DbGroupProperties::propertiesWithDictionary(dictionary, group.get()));
    group->properties().setDescription(Texts::text(u"AllDatabase"));
    group->readChildren(dictionary, {5});
    return group;
}

bool DatabaseGroup::isDirty() const
{
    const auto nodes = children();
    return std::any_of(nodes.begin(), nodes.end(),
                       [](const BibDatabase *child) { return child->isDirty(); });
}

LocalDatabase *DatabaseGroup::findDatabaseWithFullPath(const QString &path) const
{
    for (BibDatabase *child : children()) {
        auto *local = dynamic_cast<LocalDatabase *>(child);
        if (local && local->fullPath() == path)
            return local;
    }
    return nullptr;
}

bool DatabaseGroup::saveDocuments()
{
    for (BibDatabase *child : children()) {
        if (!child->saveDatabase())
            return false;
    }
    return true;
}

int DatabaseGroup::unsavedDatabases(QString &names) const
{
    QStringList dirty;
    for (BibDatabase *child : children()) {
        if (child->isDirty())
            dirty << child->description();
    }
    names = dirty.join(u", "_s);
    return static_cast<int>(dirty.size());
}

std::vector<BibDatabase *> DatabaseGroup::getDbListExceptFor(const BibDatabase *database) const
{
    std::vector<BibDatabase *> list = children();
    std::erase(list, database);
    return list;
}

QStringList DatabaseGroup::getFullPathList() const
{
    QStringList paths;
    for (BibDatabase *child : children()) {
        if (auto *local = dynamic_cast<LocalDatabase *>(child))
            paths << local->fullPath();
    }
    return paths;
}

void DatabaseGroup::loadAllDatabases()
{
    for (BibDatabase *child : children())
        child->startLoading();
}

void DatabaseGroup::databaseOpened(RealDatabase *database)
{
    const BibItemList *own = database ? database->allItems() : nullptr;
    if (!own)
        return;
    for (const BibItemPtr &item : *own)
        appendItemAndAuthors(item);
    m_needsUpdate = true;
}

void DatabaseGroup::databaseClosed(RealDatabase *database)
{
    const BibItemList *own = database ? database->allItems() : nullptr;
    if (!own)
        return;
    QSet<const BibItem *> closing;
    closing.reserve(static_cast<qsizetype>(own->size()));
    for (const BibItemPtr &item : *own) {
        removeAuthorsForItem(item);
        closing.insert(item.get());
    }
    std::erase_if(m_itemList, [&](const BibItemPtr &mine) { return closing.contains(mine.get()); });
    itemListChanged();
    m_needsUpdate = true;
}

bool DatabaseGroup::bibItemChanged(const BibItemPtr &item)
{
    LibraryGroup::bibItemChanged(item);
    return true;
}

void DatabaseGroup::move(BibDatabase *node, int index)
{
    const int current = indexOfChild(node);
    if (current < 0)
        return;
    int target = index < 0 ? numberOfChildren() : index;
    if (target > current)
        target -= 1;
    if (target == current)
        return;
    std::unique_ptr<BibDatabase> taken = removeChild(node);
    insertChild(std::move(taken), target);
}
