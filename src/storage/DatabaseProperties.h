#pragma once

#include <QString>
#include <QVariantMap>

#include <mutex>

class BibDatabase;

// The property record of one tree node: unique ID, display name, icon name
// and expansion flag; subclasses add per-kind settings. Owned by its node.
// Thread rules: the description may be read from any thread (it is guarded);
// everything else belongs to the thread that owns the node (the main thread,
// or a database's loading thread while that database loads).
class DatabaseProperties
{
public:
    DatabaseProperties();
    explicit DatabaseProperties(BibDatabase *database);
    virtual ~DatabaseProperties();
    DatabaseProperties(const DatabaseProperties &) = delete;
    DatabaseProperties &operator=(const DatabaseProperties &) = delete;

    // Reads "unique ID", "description" and "expanded" where present.
    virtual void readFromDictionary(const QVariantMap &dictionary);
    // "kind", "expanded", and "description" / "unique ID" when set.
    virtual QVariantMap makePropertyDictionary() const;
    // Copies node, description, icon and expansion flag (not the ID).
    virtual void makeCopyOf(const DatabaseProperties &other);

    // 32 characters out of 0-9, a-z, A-Z.
    static QString generateUniqueID();

    QString uniqueID() const { return m_uniqueID; }
    void setUniqueID(const QString &uniqueID) { m_uniqueID = uniqueID; }
    // The display name; subclasses may supply a fallback when none is stored.
    virtual QString description() const { return storedDescription(); }
    // The display name as stored (empty when none was set).
    QString storedDescription() const;
    void setDescription(const QString &description);
    QString icon() const { return m_icon; }
    void setIcon(const QString &icon) { m_icon = icon; }
    bool groupExpanded() const { return m_groupExpanded; }
    void setExpanded(bool expanded) { m_groupExpanded = expanded; }
    BibDatabase *database() const { return m_database; }
    void setDatabase(BibDatabase *database) { m_database = database; }

    // The node's kind; a record without a node answers its own default.
    int kind() const;
    // Tells the node that the properties were edited.
    void propertiesChanged();

protected:
    virtual int defaultKind() const { return 0; }

private:
    QString m_uniqueID;
    mutable std::mutex
        m_descriptionMutex; // guards m_description (read by the display while loading)
    QString m_description;
    QString m_icon;
    bool m_groupExpanded = false;
    BibDatabase *m_database = nullptr;
};
