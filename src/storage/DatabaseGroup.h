#pragma once

#include "storage/LibraryGroup.h"

class LocalDatabase;

// The group of open database files (kind 1), the root's first child; holds
// only local databases and shows all their items. Main thread only.
class DatabaseGroup : public LibraryGroup
{
public:
    DatabaseGroup();

    static std::unique_ptr<DatabaseGroup> dbGroup();
    static std::unique_ptr<DatabaseGroup> dbGroupWithDictionary(const QVariantMap &dictionary);

    bool isDirty() const override;
    LocalDatabase *findDatabaseWithFullPath(const QString &path) const;
    bool saveDocuments();
    // The dirty children's descriptions joined by ", "; answers their number.
    int unsavedDatabases(QString &names) const;
    std::vector<BibDatabase *> getDbListExceptFor(const BibDatabase *database) const;
    QStringList getFullPathList() const;
    void loadAllDatabases();

    void databaseOpened(RealDatabase *database) override;
    void databaseClosed(RealDatabase *database) override;
    bool bibItemChanged(const BibItemPtr &item) override;
    void move(BibDatabase *node, int index) override;
};
