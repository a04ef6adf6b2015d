#include "app/TreeItemChangeObserver.h"

#include "app/DBListController.h"
#include "storage/LoadingCoordinator.h"
#include "storage/LocalDatabase.h"

TreeItemChangeObserver::TreeItemChangeObserver(DBListController *dbList) : m_dbList(dbList)
{
    ItemChangeObserver::setGlobal(this);
}

TreeItemChangeObserver::~TreeItemChangeObserver()
{
    if (&ItemChangeObserver::global() == this)
        ItemChangeObserver::setGlobal(nullptr);
}

void TreeItemChangeObserver::bibItemChanged(BibItem &item)
{
    m_dbList->bibItemChanged(item);
}

void TreeItemChangeObserver::selectionChanged()
{
    Q_EMIT m_dbList->selectionChanged();
}

void TreeItemChangeObserver::resortItems()
{
    // The entry list sorts itself once it exists; the tree has nothing to sort.
}

ItemDatabase *TreeItemChangeObserver::findDatabaseOfID(const QString &uniqueID)
{
    return m_dbList->coordinator()->findDatabaseOfID(uniqueID);
}
