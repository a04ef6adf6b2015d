#pragma once

#include "model/ItemChangeObserver.h"

class DBListController;

// The window's item-change relay: a committed entry change goes to the
// database list, which passes it down the tree (libraries follow, counts and
// status update); archived entries find their database through it. Installed
// for its lifetime by the application controller; main thread only.
class TreeItemChangeObserver final : public ItemChangeObserver
{
public:
    explicit TreeItemChangeObserver(DBListController *dbList);
    ~TreeItemChangeObserver() override;
    TreeItemChangeObserver(const TreeItemChangeObserver &) = delete;
    TreeItemChangeObserver &operator=(const TreeItemChangeObserver &) = delete;

    void bibItemChanged(BibItem &item) override;
    void selectionChanged() override;
    void resortItems() override;
    ItemDatabase *findDatabaseOfID(const QString &uniqueID) override;

private:
    DBListController *m_dbList;
};
