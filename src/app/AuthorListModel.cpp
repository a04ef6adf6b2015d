#include "app/AuthorListModel.h"

#include "model/AuthorName.h"
#include "model/BibItem.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QSet>

#include <algorithm>

AuthorListModel::AuthorListModel(QObject *parent) : QAbstractListModel(parent) {}

void AuthorListModel::setAuthors(const AuthorIndex *index)
{
    m_allNames = index ? *index : AuthorIndex();
    // Collation keys made once per name: a large index has tens of thousands.
    QCollator collator;
    std::vector<std::pair<QCollatorSortKey, QString>> keyed;
    keyed.reserve(static_cast<size_t>(m_allNames.size()));
    for (auto it = m_allNames.cbegin(); it != m_allNames.cend(); ++it)
        keyed.emplace_back(collator.sortKey(it.key()), it.key());
    std::sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) {
        const int order = a.first.compare(b.first);
        return order != 0 ? order < 0 : a.second < b.second;
    });
    m_sortedKeys.clear();
    m_sortedKeys.reserve(static_cast<qsizetype>(keyed.size()));
    for (auto &entry : keyed)
        m_sortedKeys << std::move(entry.second);
    rebuild();
}

void AuthorListModel::setSearchText(const QString &text)
{
    m_search = text;
    rebuild();
}

void AuthorListModel::rebuild()
{
    beginResetModel();
    m_allRowsItems.reset();
    m_rows.clear();
    for (const QString &key : std::as_const(m_sortedKeys)) {
        const AuthorIndexEntry &entry = m_allNames[key];
        if (m_search.isEmpty() ||
            (entry.name && entry.name->nameForSearch().contains(m_search, Qt::CaseInsensitive)))
            m_rows << key;
    }
    endResetModel();
}

int AuthorListModel::displayedAuthors() const
{
    return m_rows.isEmpty() ? 0 : static_cast<int>(m_rows.size());
}

QString AuthorListModel::nameAt(int row) const
{
    return row >= 1 && row <= m_rows.size() ? m_rows[row - 1] : QString();
}

int AuthorListModel::rowOfName(const QString &name) const
{
    const qsizetype at = m_rows.indexOf(name);
    return at < 0 ? -1 : static_cast<int>(at) + 1;
}

BibItemList AuthorListModel::itemsOfRows(QList<int> rows) const
{
    BibItemList items;
    if (rows.isEmpty())
        return items;
    std::sort(rows.begin(), rows.end());
    if (rows.front() == 0) {
        if (m_allNames.isEmpty())
            return items;
        // Every shown row: made once per rebuild, as all authors are chosen often.
        if (!m_allRowsItems) {
            QList<int> all;
            all.reserve(m_rows.size());
            for (int row = 1; row <= m_rows.size(); ++row)
                all << row;
            m_allRowsItems = itemsOfRows(all);
        }
        return *m_allRowsItems;
    }
    QSet<const BibItem *> seen;
    for (int row : std::as_const(rows)) {
        const auto it = m_allNames.constFind(nameAt(row));
        if (it == m_allNames.constEnd())
            continue;
        for (const BibItemPtr &item : it->items) {
            if (!seen.contains(item.get())) {
                seen.insert(item.get());
                items.push_back(item);
            }
        }
    }
    return items;
}

int AuthorListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size()) + 1;
}

QVariant AuthorListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole)
        return {};
    if (index.row() == 0)
        return AuthorName::authorNameForAllAuthors().familyName();
    const AuthorIndexEntry &entry = m_allNames[m_rows[index.row() - 1]];
    if (entry.name && entry.name->isOthers())
        return entry.name->familyName();
    return QStringLiteral("%1 (%2)").arg(m_rows[index.row() - 1]).arg(entry.items.size());
}
