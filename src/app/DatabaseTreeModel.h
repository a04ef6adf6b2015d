#pragma once

#include <QAbstractItemModel>

#include <functional>
#include <vector>

class BibDatabase;

// The tree of databases and libraries as an item model: one row per node,
// the root's children at the top level, each row showing "description (count)"
// with the node kind's icon and an unsaved-changes marker. The tree itself is
// owned by the loading coordination; the model only reads it and is told to
// refresh() after every change. Drags carry nodes and accept .bib files; the
// controller decides and performs drops through the two hooks. Main thread only.
class DatabaseTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    static constexpr int KindRole = Qt::UserRole + 1;
    static inline const QString kNodeMimeType = QStringLiteral("application/x-quirefold-node");

    using RootProvider = std::function<BibDatabase *()>;
    // Answers whether the drop of `data` on `parent` at `row` (-1: onto it) may happen.
    using DropCheck = std::function<bool(const QMimeData *data, BibDatabase *parent, int row)>;
    // Performs the drop; answers whether it happened.
    using DropAction = std::function<bool(const QMimeData *data, BibDatabase *parent, int row)>;

    explicit DatabaseTreeModel(RootProvider root, QObject *parent = nullptr);
    void setDropHooks(DropCheck check, DropAction action);

    BibDatabase *rootNode() const { return m_root ? m_root() : nullptr; }
    BibDatabase *nodeOf(const QModelIndex &index) const;
    QModelIndex indexOf(const BibDatabase *node) const;
    // Whether `node` is still in the tree.
    bool containsNode(const BibDatabase *node) const;
    // Re-reads the tree: a changed structure resets the model, otherwise
    // every row's text and icon are refreshed.
    void refresh();
    // The node a drag carries (null when it is no longer in the tree).
    BibDatabase *draggedNode(const QMimeData *data) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

private:
    struct Shape
    {
        const BibDatabase *node;
        const BibDatabase *parent;
        bool operator==(const Shape &) const = default;
    };
    std::vector<Shape> currentShape() const;
    BibDatabase *parentNodeOf(const QModelIndex &parent) const;

    RootProvider m_root;
    DropCheck m_dropCheck;
    DropAction m_dropAction;
    std::vector<Shape> m_shape;
};
