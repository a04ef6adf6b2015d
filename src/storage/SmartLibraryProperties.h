#pragma once

#include "model/SmartSearchCondition.h"
#include "storage/DatabaseProperties.h"

#include <QString>
#include <QVariantMap>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class BibItem;

// The property record of a smart library (icon "smartlib"): the database it
// searches (none: every real database), its conditions joined by "all" or
// "any", and its update code (0 kept current, 1 filled at start-up, 2 by
// explicit update only). Owned by its SmartLibrary. The search settings are
// guarded, so the library's worker thread may match entries while the main
// thread edits them; everything else is main-thread only.
class SmartLibraryProperties : public DatabaseProperties
{
public:
    SmartLibraryProperties();
    explicit SmartLibraryProperties(BibDatabase *database);

    static std::unique_ptr<SmartLibraryProperties> propertiesWithDatabase(BibDatabase *database);
    static std::unique_ptr<SmartLibraryProperties>
    propertiesWithDictionary(const QVariantMap &dictionary, BibDatabase *database);
    static std::unique_ptr<SmartLibraryProperties>
    propertiesWithProperties(const DatabaseProperties &other);

    // Absent keys leave their field at its default.
    void readFromDictionary(const QVariantMap &dictionary) override;
    QVariantMap makePropertyDictionary() const override;
    // The base fields, then the search settings (a copy that shares nothing).
    void makeCopyOf(const DatabaseProperties &other) override;

    std::optional<QString> targetDatabaseID() const;
    // An empty text stores none (every database).
    void setTargetDatabaseID(const std::optional<QString> &uniqueID);
    bool matchesAllConditions() const;
    void setMatchesAllConditions(bool all);
    int updateCondition() const;
    void setUpdateCondition(int code);
    std::vector<SmartSearchCondition> searchConditions() const;
    void setSearchConditions(const std::vector<SmartSearchCondition> &conditions);

    // Whether entries of the database with this unique ID are searched.
    bool databaseOfInterest(const QString &uniqueID) const;
    // The database is of interest and the conditions hold ("all" or "any");
    // false without conditions. `databaseID` is the entry's database (empty
    // for an entry without one).
    bool conditionMatchesItem(const BibItem &item, const QString &databaseID) const;
    // The smallest day count of the time conditions (1e10 without any).
    double minimumTimeInterval() const;
    // The first condition is the duplicate search.
    bool conditionIsIdentical() const;

protected:
    int defaultKind() const override { return 3; }

private:
    mutable std::mutex m_searchMutex; // guards the four search fields below
    std::optional<QString> m_targetDatabaseID;
    bool m_matchesAllConditions = true;
    int m_updateCondition = 0;
    std::vector<SmartSearchCondition> m_searchConditions;
};
