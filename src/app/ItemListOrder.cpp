#include "app/ItemListOrder.h"

#include "model/BibItem.h"

#include <QCollator>
#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>

namespace {

// Past this many steps the oldest texts of a typing are forgotten.
constexpr size_t kMaxSteps = 32;

// The leading integer of a text, as C's atoi reads it (as the entries'
// comparison reads years, volumes and pages).
int leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+'))
        negative = text.at(i++) == u'-';
    long long value = 0;
    while (i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9' && value < 1'000'000'000)
        value = value * 10 + (text.at(i++).unicode() - u'0');
    return static_cast<int>(negative ? -value : value);
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
    m_sortColumn = identifier;
    m_sortAscending = ascending;
    m_universeValid = false;
    m_sortedValid = false;
}

void ItemListOrder::itemChanged(const BibItem *item)
{
    const auto rank = m_rank.constFind(item);
    if (rank != m_rank.constEnd())
        m_index.forget(static_cast<size_t>(*rank));
    m_universeValid = false;
    m_sortedValid = false;
}

void ItemListOrder::invalidate()
{
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
    m_universeInput = m_items;
    auto universe = std::make_shared<BibItemList>(m_items);
    sortItems(*universe);
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

void ItemListOrder::sortItems(BibItemList &items) const
{
    const QString &column = m_sortColumn;
    for (const BibItemPtr &item : items)
        item->setSortIdentifier(column, m_sortAscending);
    // Time stamps compare by their own rules, some as dates and some as text.
    if (column == u"13_modified") {
        std::stable_sort(items.begin(), items.end(), [](const BibItemPtr &a, const BibItemPtr &b) {
            return a->sortByIdentifier(*b) < 0;
        });
        return;
    }
    // An empty value first, then the value (a number column: by its leading
    // number, and texts without one by their text), then the key; all
    // reversed for a descending order, as sortByIdentifier orders them.
    struct Keyed
    {
        bool hasText;
        int number;
        QCollatorSortKey text;
        QCollatorSortKey key;
        BibItemPtr item;
    };
    static thread_local const QCollator collator;
    const bool numbers = isNumberColumn(column);
    std::vector<Keyed> keyed;
    keyed.reserve(items.size());
    for (BibItemPtr &item : items) {
        const QString text =
            column.isEmpty() ? QString() : item->valueForColumn(column).value_or(ListCell()).text;
        const int number = numbers && !text.isEmpty() ? leadingNumber(text) : 0;
        keyed.push_back({!text.isEmpty(), number,
                         collator.sortKey(number == 0 ? text : QString()),
                         collator.sortKey(item->bibKey()), std::move(item)});
    }
    const auto ascending = [](const Keyed &a, const Keyed &b) {
        if (a.hasText != b.hasText)
            return !a.hasText;
        if (a.hasText) {
            if (a.number != b.number)
                return a.number < b.number;
            if (a.number == 0) {
                const int order = a.text.compare(b.text);
                if (order != 0)
                    return order < 0;
            }
        }
        return a.key.compare(b.key) < 0;
    };
    if (m_sortAscending)
        std::stable_sort(keyed.begin(), keyed.end(), ascending);
    else
        std::stable_sort(keyed.begin(), keyed.end(),
                         [&ascending](const Keyed &a, const Keyed &b) { return ascending(b, a); });
    for (size_t i = 0; i < keyed.size(); ++i)
        items[i] = std::move(keyed[i].item);
}

// ---- the quick search

void ItemListOrder::forgetSearch()
{
    m_steps.clear();
}

ItemListOrder::SharedList ItemListOrder::shownItems(const QString &text,
                                                   const QStringList &fields,
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
        std::vector<int> rows =
            filterRows(base < m_steps.size() ? &m_steps[base].rows : nullptr, text, fields,
                       sensitivity);
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
