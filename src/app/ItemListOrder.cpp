#include "app/ItemListOrder.h"

#include "model/BibItem.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QSet>

#include <algorithm>
#include <numeric>

namespace {

// Past this many steps the oldest texts of a typing are forgotten.
constexpr size_t kMaxSteps = 32;

// For each text its place among the distinct texts in collation order;
// texts the collator finds equal share a place.
std::vector<int> collationOrdinals(const std::vector<QString> &texts)
{
    static thread_local const QCollator collator;
    QHash<QString, int> ids;
    ids.reserve(static_cast<qsizetype>(texts.size()));
    std::vector<int> idOf(texts.size());
    std::vector<std::pair<QCollatorSortKey, int>> distinct;
    for (size_t i = 0; i < texts.size(); ++i) {
        auto it = ids.find(texts[i]);
        if (it == ids.end()) {
            it = ids.insert(texts[i], static_cast<int>(distinct.size()));
            distinct.emplace_back(collator.sortKey(texts[i]), *it);
        }
        idOf[i] = *it;
    }
    std::sort(distinct.begin(), distinct.end(),
              [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
    std::vector<int> ordinalOfId(distinct.size());
    int ordinal = 0;
    for (size_t i = 0; i < distinct.size(); ++i) {
        if (i > 0 && distinct[i].first.compare(distinct[i - 1].first) != 0)
            ++ordinal;
        ordinalOfId[static_cast<size_t>(distinct[i].second)] = ordinal;
    }
    std::vector<int> ordinals(texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        ordinals[i] = ordinalOfId[static_cast<size_t>(idOf[i])];
    return ordinals;
}

bool isNumberColumn(const QString &column)
{
    return column == u"06_year" || column == u"07_volume" || column == u"08_page";
}

} // namespace

void ItemListOrder::setItems(BibItemList items)
{
    m_items = std::move(items);
    m_sortedValid = false;
}

void ItemListOrder::setSortColumn(const QString &identifier, bool ascending)
{
    if (identifier == m_sortColumn && ascending == m_sortAscending)
        return;
    const bool reverse = m_universeValid && identifier == m_sortColumn;
    m_sortColumn = identifier;
    m_sortAscending = ascending;
    m_sortedValid = false;
    if (reverse) {
        for (const BibItemPtr &item : *m_universe)
            item->setSortIdentifier(identifier, ascending);
        reverseUniverse();
    } else {
        m_universeValid = false;
    }
}

void ItemListOrder::itemChanged(const BibItem *item)
{
    m_keyOrdinals.clear();
    const auto rank = m_rank.constFind(item);
    if (rank != m_rank.constEnd())
        m_index.forget(static_cast<size_t>(*rank));
    m_universeValid = false;
    m_sortedValid = false;
}

void ItemListOrder::invalidate()
{
    m_keyOrdinals.clear();
    m_index.reset(0);
    m_universeValid = false;
    m_sortedValid = false;
}

const BibItemList &ItemListOrder::sortedItems()
{
    if (m_sortedValid)
        return *m_sorted;
    forgetSearch();
    m_sortedValid = true;
    if (m_universeValid && m_items.size() == m_universeInput.size() &&
        std::equal(m_items.begin(), m_items.end(), m_universeInput.begin())) {
        m_sorted = m_universe;
        m_sortedRanks.resize(m_sorted->size());
        std::iota(m_sortedRanks.begin(), m_sortedRanks.end(), 0);
        return *m_sorted;
    }
    // A part of the sorted set keeps the set's order.
    std::vector<int> ranks;
    if (m_universeValid && m_items.size() <= m_universe->size()) {
        ranks.reserve(m_items.size());
        for (const BibItemPtr &item : m_items) {
            const auto it = m_rank.constFind(item.get());
            if (it == m_rank.constEnd())
                break;
            ranks.push_back(*it);
        }
    }
    if (!m_universeValid || ranks.size() != m_items.size()) {
        if (!m_universeValid || !mergeIntoUniverse())
            sortUniverse();
        m_sorted = m_universe;
        m_sortedRanks.resize(m_sorted->size());
        std::iota(m_sortedRanks.begin(), m_sortedRanks.end(), 0);
        return *m_sorted;
    }
    const BibItemList &universe = *m_universe;
    if (ranks.size() < universe.size() / 16) {
        std::sort(ranks.begin(), ranks.end());
        ranks.erase(std::unique(ranks.begin(), ranks.end()), ranks.end());
    } else {
        std::vector<bool> kept(universe.size());
        for (int rank : ranks)
            kept[static_cast<size_t>(rank)] = true;
        ranks.clear();
        for (size_t row = 0; row < kept.size(); ++row) {
            if (kept[row])
                ranks.push_back(static_cast<int>(row));
        }
    }
    auto sorted = std::make_shared<BibItemList>();
    sorted->reserve(ranks.size());
    for (int rank : ranks)
        sorted->push_back(universe[static_cast<size_t>(rank)]);
    m_sorted = std::move(sorted);
    m_sortedRanks = std::move(ranks);
    return *m_sorted;
}

void ItemListOrder::sortUniverse()
{
    if (m_items.size() != m_universeInput.size() ||
        !std::equal(m_items.begin(), m_items.end(), m_universeInput.begin()))
        m_keyOrdinals.clear();
    m_universeInput = m_items;
    auto universe = std::make_shared<BibItemList>(m_items);
    sortItems(*universe, m_ties);
    // The search texts follow their entries to their new rows; those of
    // entries no longer in the set are dropped.
    std::vector<int> from(universe->size(), -1);
    for (size_t row = 0; row < universe->size(); ++row)
        from[row] = m_rank.value((*universe)[row].get(), -1);
    m_index.move(from);
    m_rank.clear();
    m_rank.reserve(static_cast<qsizetype>(universe->size()));
    for (size_t row = 0; row < universe->size(); ++row)
        m_rank.insert((*universe)[row].get(), static_cast<int>(row));
    m_universe = std::move(universe);
    m_universeValid = true;
}

bool ItemListOrder::mergeIntoUniverse()
{
    const BibItemList &universe = *m_universe;
    if (m_items.size() <= universe.size() ||
        std::find(m_ties.begin(), m_ties.end(), true) != m_ties.end())
        return false;
    // Every entry of the sorted set once, and the others new (once each).
    std::vector<bool> seen(universe.size(), false);
    BibItemList added;
    QSet<const BibItem *> addedSeen;
    for (const BibItemPtr &item : m_items) {
        const auto it = m_rank.constFind(item.get());
        if (it != m_rank.constEnd()) {
            if (seen[static_cast<size_t>(*it)])
                return false;
            seen[static_cast<size_t>(*it)] = true;
        } else {
            if (addedSeen.contains(item.get()))
                return false;
            addedSeen.insert(item.get());
            added.push_back(item);
        }
    }
    // Merging costs comparisons by the entries' own (slower) comparison:
    // worth it while the new entries are a small part.
    if (added.size() + universe.size() != m_items.size() || added.size() > universe.size() / 4)
        return false;
    std::vector<bool> addedTies;
    sortItems(added, addedTies);
    m_keyOrdinals.clear(); // made for the new entries alone
    if (std::find(addedTies.begin(), addedTies.end(), true) != addedTies.end())
        return false;

    // Each new entry's place: after the rows it sorts after, found by
    // galloping from the place of the one before.
    bool tie = false;
    const auto before = [&tie](const BibItemPtr &item, const BibItemPtr &row) {
        const int order = item->sortByIdentifier(*row);
        tie = tie || order == 0;
        return order < 0;
    };
    std::vector<size_t> places;
    places.reserve(added.size());
    size_t from = 0;
    for (const BibItemPtr &item : added) {
        size_t low = from, step = 1;
        while (low + step - 1 < universe.size() && !before(item, universe[low + step - 1])) {
            low += step;
            step *= 2;
        }
        const size_t high = std::min(low + step - 1, universe.size());
        auto first = universe.begin() + static_cast<qsizetype>(low);
        const auto last = universe.begin() + static_cast<qsizetype>(high);
        first = std::partition_point(first, last,
                                     [&](const BibItemPtr &row) { return !before(item, row); });
        from = static_cast<size_t>(first - universe.begin());
        places.push_back(from);
        if (tie)
            return false;
    }

    const size_t count = m_items.size();
    auto merged = std::make_shared<BibItemList>();
    merged->reserve(count);
    std::vector<int> moved(count, -1); // each merged row's row in the old set
    size_t next = 0;
    for (size_t row = 0; row <= universe.size(); ++row) {
        for (; next < added.size() && places[next] == row; ++next)
            merged->push_back(added[next]);
        if (row < universe.size()) {
            moved[merged->size()] = static_cast<int>(row);
            merged->push_back(universe[row]);
        }
    }
    m_index.move(moved);
    m_rank.clear();
    m_rank.reserve(static_cast<qsizetype>(count));
    for (size_t row = 0; row < count; ++row)
        m_rank.insert((*merged)[row].get(), static_cast<int>(row));
    m_ties.assign(count, false);
    m_universeInput = m_items;
    m_universe = std::move(merged);
    return true;
}

void ItemListOrder::sortItems(BibItemList &items, std::vector<bool> &ties) const
{
    const QString &column = m_sortColumn;
    for (const BibItemPtr &item : items)
        item->setSortIdentifier(column, m_sortAscending);
    ties.assign(items.size(), false);
    // Time stamps compare by their own rules, some as dates and some as text.
    if (column == u"13_modified") {
        std::stable_sort(items.begin(), items.end(), [](const BibItemPtr &a, const BibItemPtr &b) {
            return a->sortByIdentifier(*b) < 0;
        });
        for (size_t i = 1; i < items.size(); ++i)
            ties[i] = items[i]->sortByIdentifier(*items[i - 1]) == 0;
        return;
    }
    // An empty value first, then the value (a number column: by its leading
    // number, and texts without one by their text), then the key; all
    // reversed for a descending order, as sortByIdentifier orders them.
    // Texts are compared by their collation ordinals, made once per distinct
    // text; the keys' ordinals only when values are the same.
    struct Keyed
    {
        int hasText;
        int number;
        int text; // collation ordinal
        int key;  // collation ordinal of the key, -1 until needed
        int input;
    };
    const bool numbers = isNumberColumn(column);
    const int direction = m_sortAscending ? 1 : -1;
    std::vector<Keyed> keyed(items.size());
    std::vector<QString> texts;
    std::vector<int> textOf;
    texts.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        Keyed &entry = keyed[i];
        const QString text = column.isEmpty()
                                 ? QString()
                                 : items[i]->valueForColumn(column).value_or(ListCell()).text;
        entry = {!text.isEmpty(), 0, 0, -1, static_cast<int>(i)};
        if (entry.hasText && numbers)
            entry.number = BibItem::leadingInteger(text);
        if (entry.hasText && entry.number == 0) {
            textOf.push_back(static_cast<int>(i));
            texts.push_back(text);
        }
    }
    const std::vector<int> textOrdinals = collationOrdinals(texts);
    for (size_t t = 0; t < textOf.size(); ++t)
        keyed[static_cast<size_t>(textOf[t])].text = textOrdinals[t];
    const auto compareValues = [](const Keyed &a, const Keyed &b) {
        if (a.hasText != b.hasText)
            return a.hasText - b.hasText;
        if (a.number != b.number)
            return a.number < b.number ? -1 : 1;
        return a.text == b.text ? 0 : (a.text < b.text ? -1 : 1);
    };
    std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed &a, const Keyed &b) {
        return compareValues(a, b) * direction < 0;
    });
    // Each run of equal values by key.
    const std::vector<int> *keyOrdinals = nullptr;
    size_t begin = 0;
    while (begin < keyed.size()) {
        size_t end = begin + 1;
        while (end < keyed.size() && compareValues(keyed[begin], keyed[end]) == 0)
            ++end;
        if (end - begin > 1) {
            if (!keyOrdinals)
                keyOrdinals = &this->keyOrdinals(items);
            for (size_t i = begin; i < end; ++i)
                keyed[i].key = (*keyOrdinals)[static_cast<size_t>(keyed[i].input)];
            std::stable_sort(keyed.begin() + static_cast<qsizetype>(begin),
                             keyed.begin() + static_cast<qsizetype>(end),
                             [direction](const Keyed &a, const Keyed &b) {
                                 return (a.key - b.key) * direction < 0;
                             });
            for (size_t i = begin + 1; i < end; ++i)
                ties[i] = keyed[i].key == keyed[i - 1].key;
        }
        begin = end;
    }
    BibItemList sorted;
    sorted.reserve(items.size());
    for (const Keyed &entry : keyed)
        sorted.push_back(std::move(items[static_cast<size_t>(entry.input)]));
    items = std::move(sorted);
}

const std::vector<int> &ItemListOrder::keyOrdinals(const BibItemList &items) const
{
    // Kept for the set as handed over: sorting by another column needs them
    // again.
    if (m_keyOrdinals.size() != items.size()) {
        std::vector<QString> keys;
        keys.reserve(items.size());
        for (const BibItemPtr &item : items)
            keys.push_back(item->bibKey());
        m_keyOrdinals = collationOrdinals(keys);
    }
    return m_keyOrdinals;
}

void ItemListOrder::reverseUniverse()
{
    // Reversed, but entries the same in value and key keep their order (as a
    // stable sort in the other direction leaves them).
    const BibItemList &old = *m_universe;
    const size_t count = old.size();
    auto reversed = std::make_shared<BibItemList>();
    reversed->reserve(count);
    std::vector<bool> ties(count, false);
    std::vector<int> from(count);
    size_t end = count;
    while (end > 0) {
        size_t begin = end - 1;
        while (begin > 0 && m_ties[begin])
            --begin;
        for (size_t i = begin; i < end; ++i) {
            ties[reversed->size()] = i > begin;
            from[reversed->size()] = static_cast<int>(i);
            reversed->push_back(old[i]);
        }
        end = begin;
    }
    std::vector<int> newOfOld(count);
    for (size_t row = 0; row < count; ++row)
        newOfOld[static_cast<size_t>(from[row])] = static_cast<int>(row);
    for (auto it = m_rank.begin(); it != m_rank.end(); ++it)
        it.value() = newOfOld[static_cast<size_t>(it.value())];
    m_index.move(from);
    m_universe = std::move(reversed);
    m_ties = std::move(ties);
}

// ---- the quick search

void ItemListOrder::forgetSearch()
{
    m_steps.clear();
}

ItemListOrder::SharedList ItemListOrder::shownItems(const QString &text, const QStringList &fields,
                                                    Qt::CaseSensitivity sensitivity)
{
    const BibItemList &sorted = sortedItems();
    if (text.isEmpty() || fields.isEmpty()) {
        forgetSearch();
        return m_sorted;
    }
    if (fields != m_stepFields || sensitivity != m_stepSensitivity) {
        forgetSearch();
        m_stepFields = fields;
        m_stepSensitivity = sensitivity;
    }
    // Back to a text of this typing, or on from the longest one it contains.
    size_t base = m_steps.size();
    for (size_t i = m_steps.size(); i-- > 0;) {
        if (m_steps[i].text == text) {
            m_steps.resize(i + 1);
            base = i;
            break;
        }
        if (base == m_steps.size() && text.contains(m_steps[i].text))
            base = i;
    }
    if (base == m_steps.size() || m_steps[base].text != text) {
        std::vector<int> rows = filterRows(base < m_steps.size() ? &m_steps[base].rows : nullptr,
                                           text, fields, sensitivity);
        m_steps.resize(base < m_steps.size() ? base + 1 : 0);
        if (m_steps.size() >= kMaxSteps)
            m_steps.erase(m_steps.begin());
        m_steps.push_back({text, std::move(rows)});
    }
    auto shown = std::make_shared<BibItemList>();
    shown->reserve(m_steps.back().rows.size());
    for (int row : m_steps.back().rows)
        shown->push_back(sorted[static_cast<size_t>(row)]);
    return shown;
}

std::vector<int> ItemListOrder::filterRows(const std::vector<int> *within, const QString &text,
                                           const QStringList &fields,
                                           Qt::CaseSensitivity sensitivity)
{
    const BibItemList &sorted = *m_sorted;
    std::optional<QByteArray> folded;
    if (sensitivity == Qt::CaseInsensitive) {
        folded = QuickSearchIndex::fold(text);
        if (folded)
            m_index.setFields(fields);
    }
    const auto matches = [&](size_t row) {
        const BibItem &item = *sorted[row];
        return folded ? m_index.contains(static_cast<size_t>(m_sortedRanks[row]), item, *folded)
                      : item.containsString(text, fields, sensitivity);
    };
    std::vector<int> rows;
    if (within) {
        for (int row : *within) {
            if (matches(static_cast<size_t>(row)))
                rows.push_back(row);
        }
    } else {
        for (size_t row = 0; row < sorted.size(); ++row) {
            if (matches(row))
                rows.push_back(static_cast<int>(row));
        }
    }
    return rows;
}
