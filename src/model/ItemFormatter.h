#pragma once

#include "model/BibItem.h"
#include "model/ItemServices.h"
#include "model/ListCell.h"

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

// The formatted forms of an entry: the cells of the item list, the values that
// format templates insert, the name lists for copying and the wrapping of one
// formatted reference per output kind and list prefix. Stateless; the settings
// come in as arguments (BibItem passes the preferences), so it is safe from any
// thread that may read the item.
class ItemFormatter
{
public:
    // One cell: the mark and attachment columns by their rules, any other
    // column by its first candidate field that has a value; nothing when none has.
    static std::optional<ListCell>
    cellForColumn(const BibItem &item, const ItemServices::Column &column, int authorFormat);
    // The candidate cells only (no special handling of mark and attachment).
    static std::optional<ListCell>
    candidateCell(const BibItem &item, const ItemServices::Column &column, int authorFormat);

    static std::optional<QString> authorsForList(const BibItem &item, int format);
    static std::optional<QString> editorsForList(const BibItem &item, int format);
    // The first page: the text before the first page delimiter.
    static std::optional<QString> pagesForList(const QString &pages);
    // A short text of a time stamp, by its age at `now`: time of day, month and
    // day, or year and month.
    static std::optional<QString> modifiedForList(const QString &stamp, const QDateTime &now);

    // The value of one template slot.
    static QString fieldDataForListFormat(const BibItem &item, const QString &field);
    // The names of a TeX author list, formatted for copying with the et-al rules.
    static std::optional<QString>
    nameListForListFormat(const QString &texNames, const ItemServices::CopyNameSettings &settings);
    static std::optional<QString> nameList(const BibItem::NameList &names,
                                           const ItemServices::CopyNameSettings &settings);
    // Upper-case letters, digits and characters from U+2900 on; a backslash
    // drops itself and the character after it.
    static QString abbrevString(QStringView text);

    // One reference `text` wrapped for output kind `kind` and list prefix
    // `prefix` (the running number `index`, the citation key `key`).
    static QString wrapReference(int kind, int index, int prefix, const QString &key,
                                 const QString &text);
};
