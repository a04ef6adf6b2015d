#include "app/ItemListModel.h"

#include "app/ItemMimeData.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"

#include <QApplication>
#include <QBrush>
#include <QIcon>
#include <QStyle>

#include <set>

using namespace Qt::StringLiterals;

namespace {

Qt::Alignment alignmentOf(ListCell::Alignment alignment)
{
    switch (alignment) {
    case ListCell::Alignment::Center:
        return Qt::AlignCenter;
    case ListCell::Alignment::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case ListCell::Alignment::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// The attachment column's picture by attachment state, link and address.
QIcon attachmentIcon(const BibItem &item)
{
    QStyle *style = QApplication::style();
    switch (item.fileState()) {
    case 1:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case 2:
        return style->standardIcon(QStyle::SP_FileIcon);
    case 3:
        return style->standardIcon(QStyle::SP_DirIcon);
    case 4:
        return style->standardIcon(QStyle::SP_DriveNetIcon);
    default:
        break;
    }
    if (item.attachedURL())
        return style->standardIcon(QStyle::SP_FileLinkIcon);
    if (item.attachedEmail())
        return style->standardIcon(QStyle::SP_DialogYesButton);
    return {};
}

} // namespace

ItemListModel::ItemListModel(QObject *parent) : QAbstractTableModel(parent)
{
    setColumnsFromPreferences();
}

void ItemListModel::setColumnsFromPreferences()
{
    beginResetModel();
    m_columns.clear();
    const BibPreferences *prefs = BibPreferences::globalPreferences();
    const QVariantMap definitions = prefs ? prefs->listViewDefinitions() : QVariantMap();
    const QStringList order = prefs ? prefs->listColumnOrder() : QStringList();
    for (const QString &identifier : order) {
        const QVariantList definition = definitions.value(identifier).toList();
        if (definition.size() < 7)
            continue;
        Column column;
        column.identifier = identifier;
        if (identifier == u"01_file")
            column.title = Texts::text(u"column_title_file");
        else if (identifier == u"00_mark")
            column.title = Texts::text(u"column_title_mark");
        else
            column.title = definition[0].toString();
        column.width = qRound(definition[1].toDouble());
        column.minWidth = qRound(definition[2].toDouble());
        column.maxWidth = qRound(definition[3].toDouble());
        column.cellKind = definition[5].toString();
        column.sortable = definition[6].toString() == u"sort";
        m_columns << column;
    }
    endResetModel();
}

int ItemListModel::columnOfIdentifier(const QString &identifier) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].identifier == identifier)
            return i;
    }
    return -1;
}

void ItemListModel::setItems(std::shared_ptr<const BibItemList> items)
{
    beginResetModel();
    m_items = items ? std::move(items) : std::make_shared<const BibItemList>();
    endResetModel();
}

BibItemPtr ItemListModel::itemAt(int row) const
{
    return row >= 0 && row < static_cast<int>(m_items->size()) ? (*m_items)[row] : nullptr;
}

int ItemListModel::rowOfItem(const BibItem *item) const
{
    for (size_t row = 0; row < m_items->size(); ++row) {
        if ((*m_items)[row].get() == item)
            return static_cast<int>(row);
    }
    return -1;
}

void ItemListModel::itemChanged(const BibItem *item)
{
    const int row = rowOfItem(item);
    if (row >= 0 && !m_columns.isEmpty())
        Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void ItemListModel::allChanged()
{
    if (!m_items->empty() && !m_columns.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int ItemListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_items->size());
}

int ItemListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant ItemListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const BibItem &item = *(*m_items)[index.row()];
    const Column &column = m_columns[index.column()];
    if (column.identifier == u"00_mark") {
        if (role == Qt::CheckStateRole)
            return item.mark() ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    if (column.identifier == u"01_file") {
        if (role == Qt::DecorationRole)
            return attachmentIcon(item);
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const std::optional<ListCell> cell = item.valueForColumn(column.identifier);
        return cell ? cell->text : QString();
    }
    case Qt::ForegroundRole:
        return item.strayItem() ? QBrush(Qt::red) : QVariant();
    case Qt::TextAlignmentRole: {
        const std::optional<ListCell> cell = item.valueForColumn(column.identifier);
        return QVariant::fromValue(alignmentOf(cell ? cell->alignment : ListCell::Alignment::Left));
    }
    default:
        return {};
    }
}

bool ItemListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::CheckStateRole ||
        m_columns[index.column()].identifier != u"00_mark")
        return false;
    const BibItemPtr item = (*m_items)[index.row()];
    if (item->strayItem())
        return false;
    const bool marked = value.toInt() == Qt::Checked;
    Q_EMIT markToggled(item, marked);
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ItemListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
    if (m_columns[index.column()].identifier == u"00_mark" && !(*m_items)[index.row()]->strayItem())
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[section].title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

Qt::DropActions ItemListModel::supportedDragActions() const
{
    return Qt::CopyAction;
}

QStringList ItemListModel::mimeTypes() const
{
    return {ItemMimeData::kBibItemMimeType, u"text/plain"_s};
}

QMimeData *ItemListModel::mimeData(const QModelIndexList &indexes) const
{
    std::set<int> rows;
    for (const QModelIndex &index : indexes)
        rows.insert(index.row());
    BibItemList items;
    for (int row : rows) {
        if ((*m_items)[row]->strayItem())
            return nullptr; // entries of no database are not dragged
        items.push_back((*m_items)[row]);
    }
    if (items.empty())
        return nullptr;
    return new ItemMimeData(std::move(items));
}
