#include "app/AuthorListModel.h"

#include "model/AuthorName.h"
#include "model/BibItem.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QSet>

#include <algorithm>
#include <iterator>
#include <utility>

AuthorListModel::AuthorListModel(QObject *parent) : QAbstractListModel(parent) {}

void AuthorListModel::setAuthors(const AuthorIndex *index)
{
    const AuthorIndex previous = std::exchange(m_allNames, index ? *index : AuthorIndex());
    // Collation keys made once per name: a large index has tens of thousands.
    // Names the previous index had keep theirs, and the new ones are merged in.
    QCollator collator;
    using Keyed = std::pair<QCollatorSortKey, QString>;
    const auto less = [](const Keyed &a, const Keyed &b) {
        const int order = a.first.compare(b.first);
        return order != 0 ? order < 0 : a.second < b.second;
    };
    const bool keep = collator.locale() == m_collationLocale &&
                      m_collationKeys.size() == static_cast<size_t>(m_sortedKeys.size());
    std::vector<Keyed> kept;
    if (keep) {
        kept.reserve(m_collationKeys.size());
        for (qsizetype i = 0; i < m_sortedKeys.size(); ++i) {
            if (m_allNames.contains(m_sortedKeys[i]))
                kept.emplace_back(m_collationKeys[static_cast<size_t>(i)], m_sortedKeys[i]);
        }
    }
    std::vector<Keyed> added;
    for (auto it = m_allNames.cbegin(); it != m_allNames.cend(); ++it) {
        if (!keep || !previous.contains(it.key()))
            added.emplace_back(collator.sortKey(it.key()), it.key());
    }
    std::sort(added.begin(), added.end(), less);
    std::vector<Keyed> keyed;
    keyed.reserve(kept.size() + added.size());
    std::merge(std::make_move_iterator(kept.begin()), std::make_move_iterator(kept.end()),
               std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()),
               std::back_inserter(keyed), less);
    m_sortedKeys.clear();
    m_sortedKeys.reserve(static_cast<qsizetype>(keyed.size()));
    m_collationKeys.clear();
    m_collationKeys.reserve(keyed.size());
    for (auto &entry : keyed) {
        m_sortedKeys << std::move(entry.second);
        m_collationKeys.push_back(std::move(entry.first));
    }
    m_collationLocale = collator.locale();
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
