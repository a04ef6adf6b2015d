// BibItem: its formatted forms (list cells, template slots, references) and
// key generation; the logic lives in ItemFormatter and KeyGenerator.
#include "model/BibItem.h"

#include "model/FormatElement.h"
#include "model/ItemDatabase.h"
#include "model/ItemFormatter.h"
#include "model/ItemServices.h"
#include "model/KeyGenerator.h"
#include "model/ModifiedStamp.h"

using namespace Qt::StringLiterals;

void BibItem::makeAttributedStringForList()
{
    m_bibFieldsForListView.clear();
}

void BibItem::makeAttributedStringForIdentifier(const QString &identifier)
{
    m_bibFieldsForListView.remove(identifier);
}

std::optional<ListCell> BibItem::valueForColumn(const QString &identifier) const
{
    const auto kept = m_bibFieldsForListView.constFind(identifier);
    if (kept != m_bibFieldsForListView.constEnd())
        return *kept;
    for (const ItemServices::Column &column : ItemServices::listColumns()) {
        if (column.identifier != identifier)
            continue;
        std::optional<ListCell> cell =
            ItemFormatter::cellForColumn(*this, column, ItemServices::authorListFormat());
        m_bibFieldsForListView.insert(identifier, cell);
        return cell;
    }
    return std::nullopt;
}

BibItem::ListCells BibItem::bibFieldsForListView() const
{
    ListCells cells;
    for (const ItemServices::Column &column : ItemServices::listColumns()) {
        if (std::optional<ListCell> cell = valueForColumn(column.identifier))
            cells.insert(column.identifier, std::move(*cell));
    }
    return cells;
}

std::optional<QString> BibItem::makeAuthorsForList(int format) const
{
    return ItemFormatter::authorsForList(*this, format);
}

std::optional<QString> BibItem::makeEditorsForList(int format) const
{
    return ItemFormatter::editorsForList(*this, format);
}

std::optional<QString> BibItem::makePagesForList() const
{
    return ItemFormatter::pagesForList(fieldDataForView(u"pages"_s));
}

std::optional<QString> BibItem::makeModifiedForList() const
{
    // Most items carry no stamp: read the clock only for those that do.
    const QString stamp = fieldDataForView(u"modified"_s);
    if (stamp.isEmpty())
        return std::nullopt;
    return ItemFormatter::modifiedForList(stamp, ModifiedStamp::now());
}

QString BibItem::fieldDataForListFormat(const QString &field) const
{
    return ItemFormatter::fieldDataForListFormat(*this, field);
}

std::optional<QString> BibItem::nameListForListFormat(const QString &texNames) const
{
    return ItemFormatter::nameListForListFormat(texNames, ItemServices::copyNameSettings());
}

QString BibItem::abbrevString(QStringView text)
{
    return ItemFormatter::abbrevString(text);
}

QString BibItem::makeItemsTextWithFormat(int kind, int index, int prefix) const
{
    if (kind <= 2)
        return m_bibKey;
    const QString text = stringFromGenRule(ItemServices::listFormatOfType(m_bibType), kind);
    return ItemFormatter::wrapReference(kind, index, prefix, m_bibKey, text);
}

QString BibItem::stringFromGenRule(const QString &rule, int kind) const
{
    // A template error ends the elements at the faulty one; the message is the
    // settings dialog's business.
    QString error;
    QString text;
    for (const FormatElement &element : FormatElement::elementArrayWithString(rule, error))
        text += element.elementStringOfItem(*this, kind);
    return text;
}

QString BibItem::bibKeyFromGenRule(const QString &rule) const
{
    return KeyGenerator::keyFromRenderedRule(stringFromGenRule(rule, 7));
}

QString BibItem::uniqueBibKey(const QString &key) const
{
    return m_masterDatabase ? m_masterDatabase->uniqueBibKey(key, this) : key;
}

QString BibItem::generateBibKey() const
{
    return uniqueBibKey(bibKeyFromGenRule(ItemServices::bibkeyGenRule()));
}
