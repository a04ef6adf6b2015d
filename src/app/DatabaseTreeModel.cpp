#include "app/DatabaseTreeModel.h"

#include "app/ItemMimeData.h"

#include "app/NodeIcons.h"
#include "core/Texts.h"
#include "storage/BibDatabase.h"

#include <QFont>
#include <QIcon>

#include <QMimeData>

DatabaseTreeModel::DatabaseTreeModel(RootProvider root, QObject *parent)
    : QAbstractItemModel(parent), m_root(std::move(root))
{
    m_shape = currentShape();
}

void DatabaseTreeModel::setDropHooks(DropCheck check, DropAction action)
{
    m_dropCheck = std::move(check);
    m_dropAction = std::move(action);
}

BibDatabase *DatabaseTreeModel::nodeOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<BibDatabase *>(index.internalPointer()) : nullptr;
}

BibDatabase *DatabaseTreeModel::parentNodeOf(const QModelIndex &parent) const
{
    return parent.isValid() ? nodeOf(parent) : rootNode();
}

QModelIndex DatabaseTreeModel::indexOf(const BibDatabase *node) const
{
    if (!node || node == rootNode() || !node->nodeParent())
        return {};
    const int row = node->nodeParent()->indexOfChild(node);
    if (row < 0)
        return {};
    return createIndex(row, 0, const_cast<BibDatabase *>(node));
}

bool DatabaseTreeModel::containsNode(const BibDatabase *node) const
{
    if (!node)
        return false;
    for (const Shape &shape : m_shape)
        if (shape.node == node)
            return true;
    return false;
}

std::vector<DatabaseTreeModel::Shape> DatabaseTreeModel::currentShape() const
{
    std::vector<Shape> shape;
    BibDatabase *root = rootNode();
    if (!root)
        return shape;
    std::vector<BibDatabase *> stack{root};
    while (!stack.empty()) {
        BibDatabase *node = stack.back();
        stack.pop_back();
        const std::vector<BibDatabase *> children = node->children();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            shape.push_back({*it, node});
            stack.push_back(*it);
        }
    }
    return shape;
}

void DatabaseTreeModel::refresh()
{
    std::vector<Shape> shape = currentShape();
    if (shape != m_shape) {
        beginResetModel();
        m_shape = std::move(shape);
        endResetModel();
        return;
    }
    // Same nodes in the same places: only the names, counts and marks changed.
    std::vector<const BibDatabase *> parents{rootNode()};
    for (const Shape &entry : m_shape)
        if (entry.node->numberOfChildren() > 0)
            parents.push_back(entry.node);
    for (const BibDatabase *node : parents) {
        const int rows = node->numberOfChildren();
        if (rows == 0)
            continue;
        const QModelIndex parentIndex = indexOf(node);
        Q_EMIT dataChanged(index(0, 0, parentIndex), index(rows - 1, 0, parentIndex));
    }
}

QModelIndex DatabaseTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    BibDatabase *parentNode = parentNodeOf(parent);
    if (!parentNode || row >= parentNode->numberOfChildren())
        return {};
    return createIndex(row, 0, parentNode->childAtIndex(row));
}

QModelIndex DatabaseTreeModel::parent(const QModelIndex &child) const
{
    const BibDatabase *node = nodeOf(child);
    if (!node)
        return {};
    return indexOf(node->nodeParent());
}

int DatabaseTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    const BibDatabase *node = parentNodeOf(parent);
    return node ? node->numberOfChildren() : 0;
}

int DatabaseTreeModel::columnCount(const QModelIndex &parent) const
{
    (void)parent;
    return 1;
}

bool DatabaseTreeModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant DatabaseTreeModel::data(const QModelIndex &index, int role) const
{
    const BibDatabase *node = nodeOf(index);
    if (!node)
        return {};
    const bool unsaved = node->isRealDatabase() && node->isDirty();
    switch (role) {
    case Qt::DisplayRole:
        if (node->isLoading() && node->isLocalDatabase())
            return node->description() + QStringLiteral(" (%1\u2026)").arg(node->numLoading());
        return unsaved ? node->attributedName() + QStringLiteral(" \u2022")
                       : node->attributedName();
    case Qt::EditRole:
        return node->description();
    case Qt::DecorationRole:
        return node->isLoading() ? NodeIcons::loadingIcon() : NodeIcons::iconForKind(node->kind());
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return unsaved ? node->attributedName() + QStringLiteral(", ") + Texts::text(u"Win_Unsaved")
                       : node->attributedName();
    case Qt::FontRole:
        if (unsaved) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    case KindRole:
        return node->kind();
    default:
        return {};
    }
}

Qt::ItemFlags DatabaseTreeModel::flags(const QModelIndex &index) const
{
    const BibDatabase *node = nodeOf(index);
    if (!node)
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!node->isDatabaseNode())
        flags |= Qt::ItemIsDragEnabled;
    if (node->isGroup())
        flags |= Qt::ItemIsDropEnabled;
    return flags;
}

Qt::DropActions DatabaseTreeModel::supportedDropActions() const
{
    return Qt::MoveAction | Qt::CopyAction | Qt::LinkAction;
}

Qt::DropActions DatabaseTreeModel::supportedDragActions() const
{
    return Qt::MoveAction;
}

QStringList DatabaseTreeModel::mimeTypes() const
{
    return {kNodeMimeType, QStringLiteral("text/uri-list"), ItemMimeData::kBibItemMimeType};
}

QMimeData *DatabaseTreeModel::mimeData(const QModelIndexList &indexes) const
{
    if (indexes.size() != 1)
        return nullptr;
    const BibDatabase *node = nodeOf(indexes.first());
    if (!node || node->isDatabaseNode())
        return nullptr;
    auto *data = new QMimeData;
    data->setData(kNodeMimeType, QByteArray::number(reinterpret_cast<quintptr>(node)));
    return data;
}

BibDatabase *DatabaseTreeModel::draggedNode(const QMimeData *data) const
{
    if (!data || !data->hasFormat(kNodeMimeType))
        return nullptr;
    bool ok = false;
    const quintptr address = data->data(kNodeMimeType).toULongLong(&ok);
    // Only an address that is a node of this tree is taken.
    for (const Shape &shape : m_shape)
        if (ok && reinterpret_cast<quintptr>(shape.node) == address)
            return const_cast<BibDatabase *>(shape.node);
    return nullptr;
}

bool DatabaseTreeModel::canDropMimeData(const QMimeData *data, Qt::DropAction action, int row,
                                        int column, const QModelIndex &parent) const
{
    (void)action;
    (void)column;
    return m_dropCheck && m_dropCheck(data, parentNodeOf(parent), row);
}

bool DatabaseTreeModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row,
                                     int column, const QModelIndex &parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    // The controller moves a dragged node itself; the model has no removeRows,
    // so the view's clean-up after a move changes nothing.
    const bool done = m_dropAction && m_dropAction(data, parentNodeOf(parent), row);
    return done;
}
