#include "app/ItemListUndoCommand.h"

#include "app/DBListController.h"
#include "app/ItemListController.h"
#include "model/BibItem.h"

using namespace Qt::StringLiterals;

ItemListUndoCommand::ItemListUndoCommand(DBListController *dbList, Change change,
                                         const BibDatabase &node, BibItemList items,
                                         const QString &text, Selector select)
    : QUndoCommand(text), m_dbList(dbList), m_change(change), m_nodeID(node.uniqueID()),
      m_nodeKind(node.kind()), m_items(std::move(items)), m_select(std::move(select))
{}

ItemListUndoCommand::ItemListUndoCommand(DBListController *dbList,
                                         std::vector<std::pair<BibItemPtr, bool>> before,
                                         bool marked, const QString &text)
    : QUndoCommand(text), m_dbList(dbList), m_marks(true), m_before(std::move(before)),
      m_marked(marked)
{}

ItemListUndoCommand::ItemListUndoCommand(DBListController *dbList, std::vector<KeyChange> keys,
                                         const QString &text)
    : QUndoCommand(text), m_dbList(dbList), m_keys(std::move(keys))
{}

BibDatabase *ItemListUndoCommand::node() const
{
    return m_dbList->rootNode()->findDatabaseID(m_nodeID, m_nodeKind);
}

void ItemListUndoCommand::undo()
{
    if (!m_keys.empty())
        applyKeys(true);
    else if (m_marks)
        applyMarks(true);
    else
        apply(m_change == Change::Removed);
}

void ItemListUndoCommand::redo()
{
    if (!m_pushed) {
        m_pushed = true;
        return;
    }
    if (!m_keys.empty())
        applyKeys(false);
    else if (m_marks)
        applyMarks(false);
    else
        apply(m_change == Change::Added);
}

void ItemListUndoCommand::apply(bool add)
{
    BibDatabase *target = node();
    if (!target || target->isLoading()) {
        setObsolete(true);
        return;
    }
    if (add) {
        int failed = 0;
        m_items = ItemListController::addCopyOfBibItems(m_items, target, failed);
    } else {
        target->removeBibItems(m_items, false);
    }
    m_dbList->reload(true);
    if (add && m_select)
        m_select(m_items);
}

void ItemListUndoCommand::applyMarks(bool undoing)
{
    for (const auto &[item, before] : m_before) {
        const bool mark = undoing ? before : m_marked;
        if (item->mark() == mark || item->strayItem())
            continue;
        item->setMark(mark);
        m_dbList->bibItemChanged(*item);
    }
}

void ItemListUndoCommand::applyKeys(bool undoing)
{
    // Through the editor's own path: a key another entry took meanwhile is
    // refused and that entry keeps its key.
    for (const KeyChange &change : m_keys) {
        if (!change.item->strayItem())
            change.item->setFieldData(undoing ? change.before : change.after, u"bibkey"_s);
    }
    m_dbList->reload(true);
}
