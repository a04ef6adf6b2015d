#include "app/ItemMimeData.h"

#include "app/CopyFormats.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

ItemMimeData::ItemMimeData(BibItemList items, bool lazy) : m_items(std::move(items))
{
    if (!lazy) {
        setData(kBibItemMimeType, encodeItems(m_items));
        setText(textOfItems(m_items));
    }
}

QStringList ItemMimeData::formats() const
{
    return {kBibItemMimeType, kBibItemPboardType, u"text/plain"_s};
}

bool ItemMimeData::hasFormat(const QString &mimeType) const
{
    return formats().contains(mimeType);
}

QVariant ItemMimeData::retrieveData(const QString &mimeType, QMetaType type) const
{
    if (mimeType == kBibItemMimeType || mimeType == kBibItemPboardType)
        return encodeItems(m_items);
    if (mimeType == u"text/plain")
        return textOfItems(m_items);
    return QMimeData::retrieveData(mimeType, type);
}

QByteArray ItemMimeData::encodeItems(const BibItemList &items)
{
    QJsonArray array;
    for (const BibItemPtr &item : items)
        array.append(item->encodeWithCoder());
    QJsonObject root;
    root.insert(u"kind"_s, u"quirefold-bibitems"_s);
    root.insert(u"version"_s, 1);
    root.insert(u"items"_s, array);
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

BibItemList ItemMimeData::decodeItems(const QByteArray &data, QString &error)
{
    BibItemList items;
    error.clear();
    const QJsonDocument document = QJsonDocument::fromJson(data);
    if (!document.isObject() || document.object().value(u"kind"_s) != u"quirefold-bibitems"_s) {
        error = QF_KEY("ArchiveError_NotAnItem");
        return items;
    }
    const QJsonArray array = document.object().value(u"items"_s).toArray();
    for (const QJsonValue &value : array) {
        QString itemError;
        BibItemPtr item = BibItem::initWithCoder(value.toObject(), itemError);
        if (!item) {
            error = itemError;
            return {};
        }
        items.push_back(std::move(item));
    }
    return items;
}

bool ItemMimeData::hasItems(const QMimeData *data)
{
    return data && (data->hasFormat(kBibItemMimeType) || data->hasFormat(kBibItemPboardType));
}

QByteArray ItemMimeData::itemsData(const QMimeData *data)
{
    if (!data)
        return {};
    if (data->hasFormat(kBibItemMimeType))
        return data->data(kBibItemMimeType);
    return data->data(kBibItemPboardType);
}

QString ItemMimeData::textOfItems(const BibItemList &items)
{
    const BibPreferences *prefs = BibPreferences::globalPreferences();
    return CopyFormats::itemsText(items, prefs ? prefs->copyItemFormat() : 0);
}
