#pragma once

#include "storage/AttachmentManager.h"
#include "storage/KeptText.h"
#include "storage/LocalDatabaseProperties.h"
#include "storage/RealDatabase.h"

#include <QStringList>

#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// One .bib file in the tree (kind 5). It reads its file on a loading thread
// of its own (startLoading); the thread fills only this database, reading the
// stop flag between blocks, and hands its results over at the end, after
// which the loading coordination takes the node on the main thread. Owned by
// its parent group; the loading thread is joined when the node goes away.
class LocalDatabase : public RealDatabase
{
public:
    LocalDatabase();
    ~LocalDatabase() override;

    // A node for the file at `path` (created empty when missing and
    // `canCreate`); null, after telling the user, when it cannot be opened.
    static std::unique_ptr<LocalDatabase> localDatabaseWithFile(const QString &path,
                                                                bool canCreate);
    // A node from its stored property dictionary; null when its file is gone.
    static std::unique_ptr<LocalDatabase>
    localDatabaseWithDictionary(const QVariantMap &dictionary);

    // Prepares reading the file at `path` (reading happens at startLoading).
    bool loadFromFile(const QString &path, bool canCreate);

    LocalDatabaseProperties &localProperties()
    {
        return static_cast<LocalDatabaseProperties &>(properties());
    }
    const LocalDatabaseProperties &localProperties() const
    {
        return static_cast<const LocalDatabaseProperties &>(properties());
    }

    // ---- loading
    void startLoading() override;
    // The next loading builds the entries' edit forms only, not what the
    // window shows (display forms, names, author index): for a command that
    // only writes the file back. Set before startLoading.
    void setLoadEditFormsOnly(bool editFormsOnly) { m_loadEditFormsOnly = editFormsOnly; }
    // The next loadings read the file in `encoding`, whatever its bytes or
    // its settings block say ("Reopen with encoding"); absent: the encoding
    // is found as usual. Set before startLoading. Bytes that are not valid in
    // the encoding are reported and the file counts as not read completely.
    void setReadEncoding(std::optional<quint32> encoding) { m_readEncoding = encoding; }
    std::optional<quint32> readEncoding() const { return m_readEncoding; }
    void finishLoading() override;
    void setWaitingStatus(int status) override;
    std::optional<QStringList> readingErrors() const override;
    bool loadingCompleted() const { return m_loadingCompleted; }
    // The checks that need the tree and the preferences (the file's database
    // ID, the write reservation); run on the main thread when the loading
    // thread has handed over. Runs once per load.
    void completeLoadingOnMainThread();
    // Waits for the loading thread and completes the load (headless use, tests).
    void waitForLoading();
    // The file, or a part of it, was not read (unreadable, or loading was
    // stopped): an ordinary save must not write over the file.
    bool readIncomplete() const { return m_readIncomplete; }
    // Text of the file that no block could carry and that a save must write
    // back as it stands (unreadable blocks whose braces do not balance).
    const QStringList &unreadTextList() const { return m_unreadTextList; }
    // The encoding the file was read in differs from the one chosen for it;
    // the properties now hold the one that was used.
    bool encodingChangedOnRead() const { return m_encodingChangedOnRead; }
    // The text every block of the file was read from (absent for a database
    // not read from a file): a save writes the unchanged blocks with it.
    const KeptText *keptText() const { return m_keptText.get(); }
    // "Reformat all entries": marks every entry changed, so that the next
    // save writes each one in the writer's layout.
    void reformatAllEntries();

    // ---- the file (forwarded to the properties)
    QString fullPath() const { return localProperties().fullPath(); }
    QString filePath() const { return localProperties().filePath(); }
    QString fileName() const { return localProperties().fileName(); }
    unsigned encoding() const override { return localProperties().encoding(); }
    int fileAttachmentMode() const { return localProperties().fileAttachmentMode(); }
    void setFileAttachmentMode(int mode);
    QString attachmentPath() const { return localProperties().attachmentPath(); }
    void setAttachmentPath(const QString &path);
    bool renameAfterBibkey() const { return localProperties().renameAfterBibkey(); }
    void setRenameAfterBibkey(bool rename);
    bool keepFullPath() const override { return localProperties().keepFullPath(); }
    QString fullPathOf(const QString &path) const override
    {
        return localProperties().fullPathOfFile(path);
    }
    QString relativePathOf(const QString &path) const override
    {
        return localProperties().relativePathOfFile(path);
    }
    // Never dirty while someone else holds the write reservation.
    bool isDirty() const override;

    // ---- saving (LocalDatabaseSaving.cpp)
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
    // ---- end of saving

private:
    void loadFileInThread();

    bool m_prevKeepFullPath = false;
    QString m_prevDescription;
    bool m_loadingCompleted = true;
    bool m_completedOnMainThread = true;
    std::thread m_loadingThread;
    mutable std::mutex
        m_handOverMutex; // guards m_readingErrors and m_fileDatabaseID (written at the hand-over)
    std::optional<QStringList> m_readingErrors;
    std::optional<QString> m_fileDatabaseID;
    bool m_readIncomplete = false;
    bool m_loadEditFormsOnly = false;
    bool m_encodingChangedOnRead = false;
    std::optional<quint32> m_readEncoding;
    QStringList m_unreadTextList;
    std::shared_ptr<const KeptText> m_keptText;
};
