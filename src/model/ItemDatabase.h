#pragma once

#include <QString>

#include <memory>

class BibItem;
class MacroList;

// What an item needs of the database that holds it. The storage layer's
// RealDatabase implements this, so the model does not depend on storage; an
// item keeps a raw, non-owning pointer to it (the database outlives its items'
// link: it calls BibItem::databaseClosed before it goes). Main thread only,
// except while a database fills its own items during loading.
class ItemDatabase
{
public:
    virtual ~ItemDatabase() = default;

    // The identifier and display name of the node.
    virtual QString uniqueID() const = 0;
    virtual QString description() const = 0;

    // Attached-file paths: whether paths are kept absolute, and the conversions
    // between stored (possibly relative) and absolute paths.
    virtual bool keepFullPath() const = 0;
    virtual QString relativePathOf(const QString &path) const = 0;
    virtual QString fullPathOf(const QString &path) const = 0;

    // The database's own @STRING macros; they fall back to the common list.
    virtual const MacroList *macroList() const = 0;

    // The key index: the item holding `key`, or null.
    virtual std::shared_ptr<BibItem> bibItemForKey(const QString &key) const = 0;
    // A key that no other item of the database holds (`item` may be null).
    virtual QString uniqueBibKey(const QString &key, const BibItem *item) = 0;
    // Moves the item in the key index from its original key to its current one.
    virtual void replaceBibKey(BibItem &item) = 0;
    // Re-indexes the item's authors and editors (from the backed-up lists to
    // the current ones).
    virtual void replaceAuthorsForItem(BibItem &item) = 0;
    virtual void setDirty(bool dirty) = 0;
};
