#pragma once

#include "storage/BibDatabase.h"

#include <QString>
#include <QUndoCommand>

#include <functional>
#include <utility>
#include <vector>

class DBListController;

// One undoable change made by the entry list's commands: entries added to a
// node (paste, drop), removed from it (cut, removal), marked, or given
// generated keys. Pushed after
// the change was made, so the first redo does nothing. The node is found
// again by its identifier each time (it may have been closed: the command
// then becomes obsolete). Entries come back as copies with unique keys (a
// real database) or as references (a manual library); a file moved to the
// trash with its entry stays there. Owned by the list's undo stack; main
// thread only.
class ItemListUndoCommand : public QUndoCommand
{
public:
    enum class Change
    {
        Added,
        Removed
    };
    using Selector = std::function<void(const BibItemList &)>;
    struct KeyChange
    {
        BibItemPtr item;
        QString before;
        QString after;
    };

    ItemListUndoCommand(DBListController *dbList, Change change, const BibDatabase &node,
                        BibItemList items, const QString &text, Selector select);
    // Marks: each entry with its mark before the change, and the mark it got.
    ItemListUndoCommand(DBListController *dbList, std::vector<std::pair<BibItemPtr, bool>> before,
                        bool marked, const QString &text);

    // Generated keys: each entry with its key before and after.
    ItemListUndoCommand(DBListController *dbList, std::vector<KeyChange> keys, const QString &text);

    void undo() override;
    void redo() override;

    const BibItemList &items() const { return m_items; }

private:
    void apply(bool add);
    void applyMarks(bool undoing);
    void applyKeys(bool undoing);
    BibDatabase *node() const;

    DBListController *m_dbList;
    Change m_change = Change::Added;
    bool m_marks = false;
    std::vector<KeyChange> m_keys;
    QString m_nodeID;
    int m_nodeKind = 0;
    BibItemList m_items;
    std::vector<std::pair<BibItemPtr, bool>> m_before;
    bool m_marked = false;
    Selector m_select;
    bool m_pushed = false; // the change itself was made before the push
};
