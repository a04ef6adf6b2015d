#pragma once

#include "model/ItemDatabase.h"
#include "storage/BibDatabase.h"

#include <QHash>
#include <QStringList>

class MacroList;

// A node that owns entries: the key index, comments, preambles and the
// file's own macros. Main thread only, except that a LocalDatabase's loading
// thread fills these lists while the database reports isLoading().
class RealDatabase : public BibDatabase, public ItemDatabase
{
public:
    ~RealDatabase() override;

    // ItemDatabase
    QString uniqueID() const override { return BibDatabase::uniqueID(); }
    QString description() const override { return BibDatabase::description(); }
    bool keepFullPath() const override { return false; }
    QString relativePathOf(const QString &path) const override { return path; }
    QString fullPathOf(const QString &path) const override { return path; }
    const MacroList *macroList() const override { return m_localMacro.get(); }
    MacroList *macroList() { return m_localMacro.get(); }
    std::shared_ptr<BibItem> bibItemForKey(const QString &key) const override;
    QString uniqueBibKey(const QString &key, const BibItem *item) override;
    void replaceBibKey(BibItem &item) override;
    void replaceAuthorsForItem(BibItem &item) override;
    void setDirty(bool dirty) override { BibDatabase::setDirty(dirty); }

    bool appendBibItem(const BibItemPtr &item) override;
    bool removeBibItem(const BibItemPtr &item, bool removeFile) override;
    // A new entry of `type` with the numbered untitled key; null when it cannot be added.
    BibItemPtr appendNewBibItemWithType(const QString &type);
    BibItemPtr addCopyOfBibItem(const BibItemPtr &item) override;
    void cleanForCancelLoading() override;
    void prefsChanged() override;

    // Every item's display form rebuilt with this database's macros.
    void applyMacrosToBibitems();
    void macroListChanged();
    const QStringList &commentList() const { return m_commentList; }
    const QStringList &preambleList() const { return m_preambleList; }
    void setPreambleList(const QStringList &preambles);
    void preamblesChanged() { setDirty(true); }
    const QHash<QString, BibItemPtr> &bibKeyList() const { return m_bibKeyList; }
    // The file's text encoding (UTF-16 for nodes without a file).
    virtual unsigned encoding() const { return 10; }
    virtual void editMacros() {}
    virtual void editPreambles() {}

    // Stores attached files for `item` and answers the text for its "file"
    // field, or nothing on failure. Nodes without a folder keep the paths.
    virtual std::optional<QString> appendAttachments(const QStringList &paths, BibItem &item,
                                                     bool append);

protected:
    RealDatabase(int kind, std::unique_ptr<DatabaseProperties> properties);

    QHash<QString, BibItemPtr> m_bibKeyList;
    QStringList m_commentList;
    QStringList m_preambleList;
    std::unique_ptr<MacroList> m_localMacro;
};
