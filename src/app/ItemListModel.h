#pragma once

#include "storage/BibDatabase.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <memory>

// The rows of the entry list: the displayed entries (already filtered and
// sorted by the controller) in the columns the preferences define. Cells
// come from the entries' list cells, made when a row is first painted; the
// mark column is a check box (only for entries of a database), the
// attachment column an icon. Main thread only.
class ItemListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    struct Column
    {
        QString identifier;
        QString title;
        int width = 100;
        int minWidth = 10;
        int maxWidth = 1000;
        QString cellKind; // "check", "icon", "abbrev" or text
        bool sortable = false;
    };

    explicit ItemListModel(QObject *parent = nullptr);

    // Re-reads "List Column Order" and "List View Definitions".
    void setColumnsFromPreferences();
    const QList<Column> &columns() const { return m_columns; }
    int columnOfIdentifier(const QString &identifier) const;

    // The rows (shared: a large list is handed over without copying).
    void setItems(std::shared_ptr<const BibItemList> items);
    const BibItemList &items() const { return *m_items; }
    BibItemPtr itemAt(int row) const;
    // The row of an entry by identity, or -1.
    int rowOfItem(const BibItem *item) const;
    // Every row of `item` repaints (its mark or cells changed).
    void itemChanged(const BibItem *item);
    void allChanged();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::DropActions supportedDragActions() const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;

Q_SIGNALS:
    // The user clicked a mark check box.
    void markToggled(const BibItemPtr &item, bool marked);

private:
    QList<Column> m_columns;
    std::shared_ptr<const BibItemList> m_items = std::make_shared<const BibItemList>();
};
