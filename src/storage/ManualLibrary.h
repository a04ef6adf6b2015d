#pragma once

#include "storage/BibDatabase.h"
#include "storage/ManucalLibProperties.h"

#include <QMap>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>

// A hand-picked set of entries from any open database (tree node kind 4). It
// owns no entries: its list holds the databases' live entries, or stray copies
// while their database is closed. Its membership lives in "<unique ID>.manlib"
// in the support folder (an archived dictionary, see
// docs/decisions/archive-format.md). Owned by its parent group; main thread only.
class ManualLibrary : public BibDatabase
{
public:
    // A stored member: its citation key and its record (every field as text,
    // "bibtype" and "PromisedID" included).
    using MemberRecord = QMap<QString, QString>;
    using MemberList = QMap<QString, MemberRecord>;

    // An empty library named `name` ("NewManualLibName" when empty).
    explicit ManualLibrary(const QString &name = QString());
    ~ManualLibrary() override;

    static std::unique_ptr<ManualLibrary> manualLibrary();
    static std::unique_ptr<ManualLibrary> manualLibraryWithName(const QString &name);
    // From the tree dictionary; null when the library file cannot be read.
    static std::unique_ptr<ManualLibrary>
    manualLibraryWithDictionary(const QVariantMap &dictionary);
    // From a library file the tree does not list (its unique ID is the file's
    // base name); null when the file cannot be read.
    static std::unique_ptr<ManualLibrary> manualLibraryWithFile(const QString &path);

    // The library file of a unique ID in the support folder; empty when there
    // is no support folder.
    static QString libraryFilePath(const QString &uniqueID);
    QString libraryFilePath() const { return libraryFilePath(uniqueID()); }

    // Members read from the file and not yet resolved (none once resolved).
    const std::optional<MemberList> &remainingItemsDic() const { return m_remainingItemsDic; }

    // Resolves the stored members against the open databases: live entries
    // for open databases, stray entries for the others.
    void loadRemainingItems() override;
    void databaseOpened(RealDatabase *database) override;
    void databaseClosed(RealDatabase *database) override;

    // Adds the live entry of `item`'s database with `item`'s key; null when
    // there is none (a stray entry cannot be added).
    BibItemPtr addCopyOfBibItem(const BibItemPtr &item) override;
    // Takes the entries out of the library only; attached files are kept.
    int removeBibItems(const BibItemList &items, bool removeFile) override;
    bool removeBibItem(const BibItemPtr &item, bool removeFile) override;

    // Writes the library file when the library has changed. False when there
    // is no support folder or the file cannot be written (the user is told
    // and the library stays changed).
    bool saveManualLibs() override;
    // Moves the library file to the trash (tree-wide form of removeLibDataFile).
    void removeLibDataFile() override;
    // The same, answering the outcome: true when there is no file or it went
    // to the trash; false, after telling the user, when it could not be moved.
    bool trashLibDataFile();

    // The file content: {"Description": ..., "Bib Item List": {key: record}}.
    QVariantMap makeFileDictionary() const;

private:
    bool readLibraryFile(const QString &path);

    std::optional<MemberList> m_remainingItemsDic;
};
