#pragma once

#include "core/StringInputStream.h"
#include "model/BibItem.h"
#include "model/SmartSearchCondition.h"
#include "prefs/BibPreferences.h"
#include "storage/DatabaseGroup.h"
#include "storage/LoadingCoordinator.h"
#include "storage/LocalDatabase.h"
#include "tex/TeXtoText.h"

#include <QStringList>

#include <algorithm>
#include <memory>

// The shared services entries need, created once.
inline void setUpLibraryServices()
{
    StringInputStream::setupCharacterSets();
    TeXtoText::createGlobalObject();
    if (!BibPreferences::globalPreferences())
        BibPreferences::createGlobalObject();
}

// A tree with its loading coordination and in-memory databases, opened and
// closed the way the coordination announces them.
class LibraryTree
{
public:
    LibraryTree() { setUpLibraryServices(); }

    LoadingCoordinator &coordinator() { return *m_coordinator; }
    BibDatabase &root() { return *m_coordinator->rootNode(); }
    DatabaseGroup &databases() { return *m_coordinator->databaseNode(); }

    // An in-memory database with `id`, filled from "key|type|field lines"
    // rows, not yet in the tree.
    static std::unique_ptr<LocalDatabase> makeDatabase(const QString &id, const QStringList &rows)
    {
        auto database = std::make_unique<LocalDatabase>();
        database->properties().setUniqueID(id);
        database->properties().setDescription(id + QStringLiteral(".bib"));
        for (const QString &row : rows)
            addEntry(*database, row);
        database->setDirty(false);
        return database;
    }

    static BibItemPtr addEntry(LocalDatabase &database, const QString &row)
    {
        const QStringList parts = row.split(u'|');
        BibItem::FieldElements fields;
        BibItem::checkRawValidity(parts.value(2), fields);
        auto item = BibItem::bibItemOfType(parts.value(1), parts.value(0), fields, &database);
        item->expandWithMacro(nullptr);
        database.appendBibItem(item);
        return item;
    }

    // Puts the database into the database group and announces it.
    LocalDatabase *open(std::unique_ptr<LocalDatabase> database)
    {
        auto *node = static_cast<LocalDatabase *>(databases().insertChild(std::move(database), -1));
        root().databaseOpened(node);
        return node;
    }

    // Announces the closing and takes the database out of the tree.
    std::unique_ptr<BibDatabase> close(LocalDatabase *database)
    {
        return m_coordinator->removeDatabase(database);
    }

private:
    std::unique_ptr<LoadingCoordinator> m_coordinator = std::make_unique<LoadingCoordinator>();
};

inline QStringList keysOfItems(const BibItemList &items)
{
    QStringList keys;
    for (const BibItemPtr &item : items)
        keys << item->bibKey();
    return keys;
}

inline QStringList sortedKeysOf(const BibItemList &items)
{
    QStringList keys = keysOfItems(items);
    std::sort(keys.begin(), keys.end());
    return keys;
}
