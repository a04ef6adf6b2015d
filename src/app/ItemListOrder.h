#pragma once

#include "app/QuickSearchIndex.h"
#include "storage/BibDatabase.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The rows of the entry list before they reach the model: the entries handed
// over by the author list in the order of the sort column, narrowed by the
// quick search. Made for large lists: the largest set of entries sorted so
// far is kept with each entry's rank, so a smaller selection out of it (one
// author after all authors) is put in order without sorting again; a search
// text that grows narrows the previous result, and going back to an earlier
// text of the same typing reuses its result. Owned by the entry list's
// controller; main thread only.
class ItemListOrder
{
public:
    using SharedList = std::shared_ptr<const BibItemList>;

    void setItems(BibItemList items);
    const BibItemList &items() const { return m_items; }
    void setSortColumn(const QString &identifier, bool ascending);
    // One entry changed: its place and search text are found anew.
    void itemChanged(const BibItem *item);
    // Entries or their cells changed in general: everything is found anew.
    void invalidate();

    // The entries in the list's order.
    const BibItemList &sortedItems();
    // The sorted entries whose `fields` contain `text` (all of them when the
    // text or the fields are empty).
    SharedList shownItems(const QString &text, const QStringList &fields,
                          Qt::CaseSensitivity sensitivity);

private:
    // One text of the current typing and the rows (into m_sorted) it kept.
    struct Step
    {
        QString text;
        std::vector<int> rows;
    };
    void sortUniverse();
    // The sorted set plus entries it does not know (pasted ones): the new
    // entries are sorted alone and merged in. False (nothing changed) when
    // `m_items` is not such a set or an entry would compare the same as
    // another, whose order the whole set's sort decides.
    bool mergeIntoUniverse();
    // Sorts as the entries' own comparison (sortByIdentifier) does, with the
    // compared texts' collation keys computed once per entry; `ties` tells
    // which entries compare the same as the one before.
    void sortItems(BibItemList &items, std::vector<bool> &ties) const;
    // The keys' collation ordinals of `items` (the set as handed over).
    const std::vector<int> &keyOrdinals(const BibItemList &items) const;
    // The sorted set in the other direction, without sorting again.
    void reverseUniverse();
    std::vector<int> filterRows(const std::vector<int> *within, const QString &text,
                                const QStringList &fields, Qt::CaseSensitivity sensitivity);
    void forgetSearch();

    BibItemList m_items;
    QString m_sortColumn;
    bool m_sortAscending = true;

    // The largest set sorted so far: as handed over, sorted, and each
    // entry's row in the sorted list.
    BibItemList m_universeInput;
    SharedList m_universe;
    QHash<const BibItem *, int> m_rank;
    std::vector<bool> m_ties;               // a row of m_universe the same as the one before
    mutable std::vector<int> m_keyOrdinals; // by m_universeInput's row, made when needed
    bool m_universeValid = false;

    SharedList m_sorted = std::make_shared<const BibItemList>();
    std::vector<int> m_sortedRanks; // each sorted entry's row in m_universe
    bool m_sortedValid = false;

    QuickSearchIndex m_index;
    std::vector<Step> m_steps; // each text contains the one before
    QStringList m_stepFields;
    Qt::CaseSensitivity m_stepSensitivity = Qt::CaseInsensitive;
};
