#pragma once

#include <QList>
#include <QSet>
#include <QString>

#include <array>

class BibItem;
class AuthorName;

// Counts the heap an entry holds, by kind: what a benchmark reports as the
// memory per entry. Each allocation is counted once, for the first kind that
// reaches it, so that text shared between forms or between entries (a value
// whose edit and display forms are one string, an interned field name) is not
// counted twice. Sizes are the allocator's chunks (usable size plus its
// header), not the bytes asked for.
class ItemFootprint
{
public:
    enum Kind
    {
        Item,         // the item object and its own small strings (type, key)
        Elements,     // the parsed value elements and the field names
        EditForms,    // the edit texts
        DisplayForms, // the display texts
        ListCells,    // the cells of the item list
        SearchText,   // the lower-case search text
        Names,        // the author and editor lists
        KeptText,     // the text kept for writing untouched entries back
        Indexes,      // key and author indexes, the item list
        KindCount
    };

    void addItem(const BibItem &item);
    // Bytes the caller counted itself (a buffer, an index estimate).
    void addBytes(Kind kind, qint64 bytes) { m_bytes[kind] += bytes; }
    // One heap block of Qt's array data (a string's or a list's), once.
    void addArrayData(Kind kind, const void *data);
    void addString(Kind kind, const QString &text);
    // A list's array (its header and capacity), once; not what its elements own.
    template<typename T> void addList(Kind kind, const QList<T> &list)
    {
        if (list.capacity() > 0)
            addBlock(kind, list.constData(),
                     chunkOf(16 + list.capacity() * static_cast<qint64>(sizeof(T))));
    }
    void addNames(const QList<AuthorName> &names);

    qint64 bytes(Kind kind) const { return m_bytes[kind]; }
    qint64 total() const;
    static const char *nameOf(Kind kind);
    // The chunk a block of `requested` bytes occupies in the allocator.
    static qint64 chunkOf(qint64 requested);

private:
    void addBlock(Kind kind, const void *block, qint64 bytes);

    QSet<const void *> m_seen;
    std::array<qint64, KindCount> m_bytes{};
};
