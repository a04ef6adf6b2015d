#pragma once

#include "storage/BibDatabase.h"

#include <QAbstractListModel>
#include <QCollatorSortKey>
#include <QLocale>
#include <QStringList>

#include <optional>
#include <vector>

// The rows of the author list: row 0 stands for all names, then the names of
// the selected node's author index in locale order, narrowed by a search
// text matched against each name's search form without regard to case.
// Keeps its own copy of the index. Main thread only.
class AuthorListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit AuthorListModel(QObject *parent = nullptr);

    // A copy of `index` (none: empty); the rows are rebuilt.
    void setAuthors(const AuthorIndex *index);
    void setSearchText(const QString &text);
    // Rebuilds the rows from the index and the search text.
    void rebuild();

    int totalAuthors() const { return static_cast<int>(m_allNames.size()); }
    int displayedAuthors() const;
    // The name text of a row ("" for row 0 and rows out of range).
    QString nameAt(int row) const;
    int rowOfName(const QString &name) const;
    // The union of the entries of the given rows, first occurrence kept, in
    // row order; row 0 among them means every shown row.
    BibItemList itemsOfRows(QList<int> rows) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    AuthorIndex m_allNames;
    QStringList m_sortedKeys; // every name text, locale order
    // The collation key of each of m_sortedKeys (in the locale below): a
    // changed index only collates the names it adds.
    std::vector<QCollatorSortKey> m_collationKeys;
    QLocale m_collationLocale;
    QStringList m_rows; // shown name texts, without the all-authors row
    QString m_search;
    mutable std::optional<BibItemList> m_allRowsItems; // itemsOfRows of every row
};
