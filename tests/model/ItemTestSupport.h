#pragma once

#include "core/StringInputStream.h"
#include "model/BibItem.h"
#include "model/ItemChangeObserver.h"
#include "model/ItemDatabase.h"
#include "model/MacroList.h"
#include "model/ModifiedStamp.h"
#include "prefs/BibPreferences.h"
#include "tex/TeXtoText.h"

#include <QDateTime>
#include <QHash>
#include <QStringList>

#include <memory>

// The shared services every item test needs, created once.
inline void setUpItemServices()
{
    StringInputStream::setupCharacterSets();
    TeXtoText::createGlobalObject();
    if (!BibPreferences::globalPreferences())
        BibPreferences::createGlobalObject();
}

// A database for item tests: a key index and a log of what the item told it.
class FakeDatabase : public ItemDatabase
{
public:
    QString id = QStringLiteral("DB-1");
    QString name = QStringLiteral("refs.bib");
    bool fullPaths = false;
    MacroList macros;
    QHash<QString, std::shared_ptr<BibItem>> keys;
    QStringList calls;

    QString uniqueID() const override { return id; }
    QString description() const override { return name; }
    bool keepFullPath() const override { return fullPaths; }
    QString relativePathOf(const QString &path) const override
    {
        return path.startsWith(QStringLiteral("/base/")) ? path.mid(6) : path;
    }
    QString fullPathOf(const QString &path) const override
    {
        return path.startsWith(u'/') ? path : QStringLiteral("/base/") + path;
    }
    const MacroList *macroList() const override { return &macros; }
    std::shared_ptr<BibItem> bibItemForKey(const QString &key) const override
    {
        return keys.value(key);
    }
    QString uniqueBibKey(const QString &key, const BibItem *) override
    {
        calls << QStringLiteral("uniqueBibKey ") + key;
        return keys.contains(key) ? key + QStringLiteral(".1") : key;
    }
    void replaceBibKey(BibItem &item) override
    {
        calls << QStringLiteral("replaceBibKey ") + item.originalBibKey() + u' ' + item.bibKey();
        keys.remove(item.originalBibKey());
        keys.insert(item.bibKey(), item.shared_from_this());
    }
    void replaceAuthorsForItem(BibItem &) override { calls << QStringLiteral("replaceAuthors"); }
    void setDirty(bool dirty) override
    {
        calls << (dirty ? QStringLiteral("setDirty") : QStringLiteral("setClean"));
    }

    // An item of this database, in its key index and expanded.
    std::shared_ptr<BibItem> add(const QString &type, const QString &key,
                                 const BibItem::FieldElements &fields)
    {
        auto item = BibItem::bibItemOfType(type, key, fields, this);
        item->expandWithMacro(&macros);
        keys.insert(key, item);
        return item;
    }
};

// Records what committed changes announce; finds `database` by its identifier.
class RecordingObserver : public ItemChangeObserver
{
public:
    QStringList calls;
    ItemDatabase *database = nullptr;
    RecordingObserver() { ItemChangeObserver::setGlobal(this); }
    ~RecordingObserver() override { ItemChangeObserver::setGlobal(nullptr); }
    void bibItemChanged(BibItem &item) override
    {
        calls << QStringLiteral("changed ") + item.bibKey();
    }
    void selectionChanged() override { calls << QStringLiteral("selectionChanged"); }
    void resortItems() override { calls << QStringLiteral("resortItems"); }
    ItemDatabase *findDatabaseOfID(const QString &id) override
    {
        return database && database->uniqueID() == id ? database : nullptr;
    }
};

// A fixed clock for the tests that read or write time stamps.
struct FixedClock
{
    static inline QDateTime moment;
    static QDateTime now() { return moment; }
    explicit FixedClock(const QDateTime &at)
    {
        moment = at;
        ModifiedStamp::setClock(&FixedClock::now);
    }
    ~FixedClock() { ModifiedStamp::setClock(nullptr); }
};

// Field elements from BibTeX field lines, e.g. "title = {X}, year = 2004".
inline BibItem::FieldElements fieldsFrom(const QString &lines)
{
    BibItem::FieldElements fields;
    BibItem::checkRawValidity(lines, fields);
    return fields;
}
