#pragma once

#include "storage/BibDatabase.h"

#include <QMimeData>
#include <QStringList>

// Whole entries on the clipboard or in a drag: the private type (a JSON
// array of the entries' archived form) and, as plain text, the entries in
// the copy format of the preferences. Made when a receiver first asks
// (a drag), or at once (a copy). Main thread only.
class ItemMimeData : public QMimeData
{
    Q_OBJECT

public:
    static inline const QString kBibItemMimeType =
        QStringLiteral("application/x-quirefold-bibitems");
    // The name other programs of the family know the type by.
    static inline const QString kBibItemPboardType = QStringLiteral("QuirefoldBibItemPboardType");

    explicit ItemMimeData(BibItemList items, bool lazy = true);

    const BibItemList &items() const { return m_items; }
    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

    static QByteArray encodeItems(const BibItemList &items);
    // The archived entries of `data`, or none with `error` (a text key) set
    // when the data holds no readable entries.
    static BibItemList decodeItems(const QByteArray &data, QString &error);
    static bool hasItems(const QMimeData *data);
    static QByteArray itemsData(const QMimeData *data);
    // The text the copy puts beside the entries.
    static QString textOfItems(const BibItemList &items);

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    BibItemList m_items;
};
