#include "model/ItemFootprint.h"

#include "model/BibItem.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// glibc keeps one size word before every chunk.
constexpr qint64 kChunkHeader = 8;

qint64 chunkAt(const void *block)
{
#if defined(__GLIBC__)
    return static_cast<qint64>(malloc_usable_size(const_cast<void *>(block))) + kChunkHeader;
#else
    Q_UNUSED(block);
    return 0;
#endif
}

} // namespace

qint64 ItemFootprint::chunkOf(qint64 requested)
{
    // glibc: the request plus the size word, rounded up to 16, at least 32.
    return std::max<qint64>(32, (requested + kChunkHeader + 15) & ~qint64(15));
}

void ItemFootprint::addArrayData(Kind kind, const void *data)
{
    // Null for literals and empty values, which own no heap.
    if (!data || m_seen.contains(data))
        return;
    m_seen.insert(data);
    m_bytes[kind] += chunkAt(data);
}

void ItemFootprint::addBlock(Kind kind, const void *block, qint64 bytes)
{
    if (!block || m_seen.contains(block))
        return;
    m_seen.insert(block);
    m_bytes[kind] += bytes;
}

void ItemFootprint::addString(Kind kind, const QString &text)
{
    addArrayData(kind, const_cast<QString &>(text).data_ptr().d_ptr());
}

void ItemFootprint::addNames(const QList<AuthorName> &names)
{
    addList(Names, names);
    for (const AuthorName &name : names) {
        addString(Names, name.familyName());
        addString(Names, name.givenName());
        addString(Names, name.nameForSearch());
    }
}

void ItemFootprint::addItem(const BibItem &item)
{
    // make_shared puts the object and its counts in one chunk.
    m_bytes[Item] += chunkOf(static_cast<qint64>(sizeof(BibItem)) + 16);
    addString(Item, item.m_bibType);
    addString(Item, item.m_bibKey);
    addString(Item, item.m_promisedDbID);
    addString(Item, item.m_sortIdentifier);
    if (item.m_extras) {
        m_bytes[Item] += chunkOf(static_cast<qint64>(sizeof(BibItem::Extras)));
        addString(Item, item.m_extras->fileIcon);
        if (item.m_extras->originalAuthorList)
            addNames(*item.m_extras->originalAuthorList);
        if (item.m_extras->originalEditorList)
            addNames(*item.m_extras->originalEditorList);
    }

    const auto addMap = [this](Kind kind, const auto &map) {
        addList(kind, map.entries());
        for (const auto &entry : map.entries())
            addString(Elements, entry.key); // field names count with the elements
    };

    addMap(Elements, item.m_bibFieldsElements);
    for (const auto &entry : item.m_bibFieldsElements.entries()) {
        if (entry.value.size() != 1) // one element is held inline
            addList(Elements, entry.value.toList());
        for (const BibElement &element : entry.value)
            addString(Elements, element.stringContents());
    }
    addMap(EditForms, item.m_bibFieldsForEdit);
    for (const auto &entry : item.m_bibFieldsForEdit.entries())
        addString(EditForms, entry.value);
    addMap(DisplayForms, item.m_bibFieldsForDisplay);
    for (const auto &entry : item.m_bibFieldsForDisplay.entries())
        addString(DisplayForms, entry.value);
    addMap(ListCells, item.m_bibFieldsForListView);
    for (const auto &entry : item.m_bibFieldsForListView.entries()) {
        if (entry.value)
            addString(ListCells, entry.value->text);
    }
    addNames(item.m_authorList);
    addNames(item.m_editorList);
}

qint64 ItemFootprint::total() const
{
    qint64 sum = 0;
    for (const qint64 bytes : m_bytes)
        sum += bytes;
    return sum;
}

const char *ItemFootprint::nameOf(Kind kind)
{
    static const char *const names[KindCount] = {
        "item objects", "elements", "edit forms", "display forms",       "list cells",
        "search text",  "names",    "kept text",  "indexes and the rest"};
    return names[kind];
}
