#include "app/ItemListTableView.h"

#include "app/ItemListModel.h"
#include "prefs/BibPreferences.h"

#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>

ItemListTableView::ItemListTableView(QWidget *parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("tableItemList"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideMiddle);
    setWordWrap(false);
    setShowGrid(false);
    setAlternatingRowColors(true);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &) { Q_EMIT openRequested(); });
}

void ItemListTableView::setColumnHeaders()
{
    auto *list = qobject_cast<ItemListModel *>(model());
    if (!list)
        return;
    QHeaderView *header = horizontalHeader();
    for (int i = 0; i < list->columns().size(); ++i) {
        const ItemListModel::Column &column = list->columns()[i];
        header->moveSection(header->visualIndex(i), i);
        header->resizeSection(i, std::clamp(column.width, column.minWidth,
                                            std::max(column.minWidth, column.maxWidth)));
    }
}

void ItemListTableView::saveCurrentSettings()
{
    auto *list = qobject_cast<ItemListModel *>(model());
    BibPreferences *prefs = BibPreferences::globalPreferences();
    if (!list || !prefs || list->columns().isEmpty())
        return;
    QHeaderView *header = horizontalHeader();
    QStringList order;
    QVariantMap widths;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        const QString &identifier = list->columns()[logical].identifier;
        order << identifier;
        widths.insert(identifier, header->sectionSize(logical));
    }
    prefs->setListColumnOrder(order);
    prefs->setListColumnWidth(widths);
}

void ItemListTableView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        Q_EMIT toggleMarkRequested();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        Q_EMIT openRequested();
        return;
    }
    QTableView::keyPressEvent(event);
}

void ItemListTableView::startDrag(Qt::DropActions supportedActions)
{
    // The model refuses (no data) when an entry of no database is among the rows.
    const QModelIndexList rows = selectionModel()->selectedRows();
    QMimeData *mime = model()->mimeData(rows);
    if (!mime)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(supportedActions & Qt::CopyAction ? Qt::CopyAction : supportedActions,
               Qt::CopyAction);
}
