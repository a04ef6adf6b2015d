#pragma once

#include "storage/BibDatabase.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The entry list's case-insensitive quick search, made fast for large lists:
// the display texts of an entry's searched fields are kept case-folded as one
// compact UTF-8 text (made when the entry is first searched), in which a
// folded search text is found with memmem. Texts are kept by slot (the
// entry's row in the list's sorted set). Finds exactly what the entry's own
// containsString finds ignoring case (code point by code point simple case
// folding); search texts it cannot fold alike are left to the caller (see
// fold). Owned by the entry list's order; main thread only.
class QuickSearchIndex
{
public:
    // The searched fields; a change forgets every kept text.
    void setFields(const QStringList &fields);
    const QStringList &fields() const { return m_fields; }
    // Forgets every kept text and makes room for `count` slots.
    void reset(size_t count);
    void forget(size_t slot);
    // The slots move: new slot i takes old slot `from[i]` (-1: a new entry).
    void move(const std::vector<int> &from);

    // The folded form of a search text, or nothing when the index cannot
    // answer for it (an unpaired surrogate, a NUL, a replacement character).
    static std::optional<QByteArray> fold(QStringView text);
    // Whether the searched fields of `item`, kept in `slot`, contain the
    // folded text.
    bool contains(size_t slot, const BibItem &item, const QByteArray &folded);

private:
    struct Kept
    {
        QByteArray text;
        bool made = false;
    };

    QStringList m_fields;
    std::vector<Kept> m_texts;
};
