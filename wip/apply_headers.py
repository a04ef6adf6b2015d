import sys, re
root = sys.argv[1]
def edit(path, old, new):
    p = root + '/' + path
    s = open(p).read()
    if new in s:
        return
    if old not in s:
        print('MISSING anchor in', path, repr(old[:60])); return
    s = s.replace(old, new, 1)
    open(p, 'w').write(s)

edit('src/storage/LocalDatabase.h', '    // ---- saving (LocalDatabaseSaving.cpp)\n    // ---- end of saving',
'''    // ---- saving (LocalDatabaseSaving.cpp)
    QVariantMap defaultSaveOptions() const override;
    bool saveDatabase() override;
    bool saveAsDatabase(const QString &path, const QVariantMap &options) override;
    std::optional<QByteArray> makeContentsDataWithOptions(const QVariantMap &options) override;
    // The settings block, first in the file.
    QString databasePropertyStringWithLF(const QString &lf) const;

    // ---- attachments (LocalDatabaseAttachments.cpp)
    std::optional<QString> appendAttachments(const QStringList &paths, BibItem &item,
                                             bool append) override;
    // The key as a file-system name.
    static QString nameForFile(const QString &key);
    static std::optional<QString> createTargetFolder(const QString &folder, const QString &name);
    static bool checkAttachmentFolder(const QString &path);
    // Asks before anything at `path` is overwritten; reports a failed removal.
    static bool checkOverwriteFile(const QString &path);
    static bool moveFileToUserTrash(const QString &path);
    bool removeBibItem(const BibItemPtr &item, bool removeFile) override;
    int removeBibItems(const BibItemList &items, bool removeFile) override;
    void openProperty() override;
    void propertiesChanged() override;
    void remakeFilePath();
    void remakeDescription();
    // How this database stores attachments.
    AttachmentManager::Settings attachmentSettings() const;
    // ---- end of saving''')
edit('src/storage/LocalDatabase.h', '#include "storage/LocalDatabaseProperties.h"\n',
     '#include "storage/AttachmentManager.h"\n#include "storage/LocalDatabaseProperties.h"\n')

edit('src/model/BibItem.h', '    // --- Attachments (the attachment side, BibItemAttachments.cpp) ---\n    // --- end of attachments ---',
'''    // --- Attachments (the attachment side, BibItemAttachments.cpp) ---
    // The state of the attached file: 0 none, 1 missing, 2 a file, 3 a folder,
    // 4 an entry of a remote database (not tested); refreshes the file icon.
    int checkFileState();
    // The "file" field made absolute with the owning database; absent when empty.
    std::optional<QString> attachedFile() const;
    std::optional<QUrl> attachedURL() const;
    std::optional<QString> attachedEmail() const;
    // "file" becomes `path` (removed when empty); the item is marked changed.
    void setAttachment(const QString &path);
    // The "file" path between absolute and relative form.
    void remakeFilePath(bool keepFull);
    // The "database" pseudo-field becomes `description`.
    void remakeDescription(const QString &description);
    // Attaches files as a drop does (asking append or replace when
    // `interactive`); the text to store with setAttachment, or nothing.
    std::optional<QString> appendAttachments(const QStringList &paths, bool interactive);
    std::optional<QString> appendAttachment(const QString &path, bool interactive);
    // --- end of attachments ---''')
edit('src/model/BibItem.h', '#include <QStringView>\n', '#include <QStringView>\n#include <QUrl>\n')

# The base node's save operations forward to the saver.
edit('src/storage/BibDatabase.cpp', '''QVariantMap BibDatabase::defaultSaveOptions() const
{
    return {};
}''', '''// Saving (DatabaseSaver)
QVariantMap BibDatabase::defaultSaveOptions() const
{
    return DatabaseSaver::defaultSaveOptions(*this);
}''')
edit('src/storage/BibDatabase.cpp', '''bool BibDatabase::saveAsDatabase(const QString &, const QVariantMap &)
{
    return false;
}''', '''bool BibDatabase::saveAsDatabase(const QString &path, const QVariantMap &options)
{
    return DatabaseSaver::saveAsDatabase(*this, path, options);
}''')
edit('src/storage/BibDatabase.cpp', '''std::optional<QByteArray> BibDatabase::makeContentsDataWithOptions(const QVariantMap &)
{
    return std::nullopt;
}''', '''std::optional<QByteArray> BibDatabase::makeContentsDataWithOptions(const QVariantMap &options)
{
    return DatabaseSaver::makeContentsData(*this, options);
}''')
edit('src/storage/BibDatabase.cpp', '#include "storage/BibDatabase.h"\n', '#include "storage/BibDatabase.h"\n\n#include "storage/DatabaseSaver.h" // saving\n')

# export --format bibtex
edit('src/cli/ExportCommand.cpp', '#include "cli/CliCommand.h"\n', '#include "cli/BibtexExport.h" // the bibtex format\n#include "cli/CliCommand.h"\n')
edit('src/cli/ExportCommand.cpp', '{u"text"_s, copyFormat(7)},', '{u"text"_s, copyFormat(7)},\n        // The text an ordinary save would write.\n        {u"bibtex"_s, [](const ExportRequest &request) { return bibtexExportText(*request.database); }},')
