#include "storage/LibraryGroup.h"

#include "core/Texts.h"
#include "storage/LibGroupProperties.h"

#include <QSet>

LibraryGroup::LibraryGroup(int kind, std::unique_ptr<DatabaseProperties> properties)
    : BibDatabase(kind, std::move(properties))
{}

LibraryGroup::LibraryGroup() : LibraryGroup(Texts::text(u"NewLibGroupName"), {}) {}

LibraryGroup::LibraryGroup(const QString &name, std::vector<std::unique_ptr<BibDatabase>> children)
    : BibDatabase(LibraryGroupKind, std::make_unique<LibGroupProperties>())
{
    setExpanded(true);
    if (!name.isEmpty())
        properties().setDescription(name);
    insertChildren(std::move(children), -1);
}

std::unique_ptr<LibraryGroup> LibraryGroup::libGroup()
{
    return std::make_unique<LibraryGroup>();
}

std::unique_ptr<LibraryGroup>
LibraryGroup::libGroupWithName(const QString &name,
                               std::vector<std::unique_ptr<BibDatabase>> children)
{
    return std::make_unique<LibraryGroup>(name, std::move(children));
}

std::unique_ptr<LibraryGroup> LibraryGroup::libGroupWithDictionary(const QVariantMap &dictionary)
{
    auto group =
        std::make_unique<LibraryGroup>(QString(), std::vector<std::unique_ptr<BibDatabase>>{});
    group->setProperties(LibGroupProperties::propertiesWithDictionary(dictionary, group.get()));
    group->readChildren(dictionary, {2, 3, 4, 5});
    group->rebuildBibItemList(false);
    return group;
}

std::vector<std::unique_ptr<BibDatabase>>
LibraryGroup::removeChildrenIdenticalTo(const std::vector<BibDatabase *> &nodes)
{
    auto removed = BibDatabase::removeChildrenIdenticalTo(nodes);
    rebuildBibItemList(false);
    return removed;
}

void LibraryGroup::rebuildBibItemList(bool alsoParent)
{
    m_itemList.clear();
    itemListChanged();
    m_authorList.clear();
    // An item in several children is listed once.
    QSet<const BibItem *> listed;
    for (BibDatabase *child : children()) {
        const BibItemList *items = child->allItems();
        if (!items)
            continue;
        for (const BibItemPtr &item : *items) {
            if (!listed.contains(item.get())) {
                listed.insert(item.get());
                appendItemAndAuthors(item);
            }
        }
    }
    m_needsUpdate = true;
    if (alsoParent && nodeParent())
        nodeParent()->rebuildBibItemList(true);
}
