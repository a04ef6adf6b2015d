#pragma once

#include "storage/RealDatabaseProperties.h"

#include <memory>

// The property record of one .bib file: where it lies, its text encoding and
// line ending, how attachments are stored and who holds its write reservation.
// Owned by its LocalDatabase; belongs to the loading thread while the database
// loads, to the main thread otherwise (the description is guarded in the base).
class LocalDatabaseProperties : public RealDatabaseProperties
{
public:
    LocalDatabaseProperties();
    explicit LocalDatabaseProperties(BibDatabase *database);

    static std::unique_ptr<LocalDatabaseProperties> propertiesWithDatabase(BibDatabase *database);
    static std::unique_ptr<LocalDatabaseProperties>
    propertiesWithDictionary(const QVariantMap &dictionary, BibDatabase *database);
    static std::unique_ptr<LocalDatabaseProperties>
    propertiesWithProperties(const LocalDatabaseProperties &other);

    void readFromDictionary(const QVariantMap &dictionary) override;
    QVariantMap makePropertyDictionary() const override;
    void makeCopyOf(const DatabaseProperties &other) override;

    // The stored description, or the file name without its extension.
    QString description() const override;

    QString fullPath() const { return m_fullPath; }
    QString filePath() const { return m_filePath; }
    QString fileName() const { return m_fileName; }
    // Stores the path and derives the folder and the file name from it.
    void setFullPath(const QString &path);
    // The folder for display, with the home folder written as "~".
    QString relativeFilePath() const;
    // None: the folder; a relative path without ':': joined to the folder; else unchanged.
    QString fullPathOfFile(const QString &path) const;
    // The folder itself: ""; inside the folder: the part after it; else unchanged.
    QString relativePathOfFile(const QString &path) const;

    unsigned encoding() const { return m_encoding; }
    void setEncoding(unsigned encoding) { m_encoding = encoding; }
    int lineEnding() const { return m_lineEnding; }
    void setLineEnding(int lineEnding) { m_lineEnding = lineEnding; }
    int fileAttachmentMode() const { return m_fileAttachmentMode; }
    void setFileAttachmentMode(int mode) { m_fileAttachmentMode = mode; }
    QString attachmentPath() const { return m_attachmentPath; }
    void setAttachmentPath(const QString &path) { m_attachmentPath = path; }
    bool renameAfterBibkey() const { return m_renameAfterBibkey; }
    void setRenameAfterBibkey(bool rename) { m_renameAfterBibkey = rename; }
    bool keepFullPath() const { return m_keepFullPath; }
    void setKeepFullPath(bool keep) { m_keepFullPath = keep; }
    QString privilegedHost() const { return m_privilegedHost; }
    void setPrivilegedHost(const QString &host) { m_privilegedHost = host; }
    QString privilegedUser() const { return m_privilegedUser; }
    void setPrivilegedUser(const QString &user) { m_privilegedUser = user; }
    // When the reservation was taken (ISO 8601, UTC); empty when unknown.
    QString privilegedSince() const { return m_privilegedSince; }
    void setPrivilegedSince(const QString &since) { m_privilegedSince = since; }
    // Takes the reservation for this user on this computer, as of now.
    void reserve();
    // Gives up the reservation, whoever holds it.
    void release();

    // YES unless the write reservation names another computer or another user.
    bool hasPrivilegeToWrite() const;
    // The login name of the user running this process, and this computer's name.
    static QString consoleUserName();
    static QString computerName();

protected:
    int defaultKind() const override { return 5; }

private:
    QString m_fullPath;
    QString m_filePath;
    QString m_fileName;
    unsigned m_encoding;
    int m_lineEnding;
    int m_fileAttachmentMode = 1;
    QString m_attachmentPath;
    bool m_renameAfterBibkey = true;
    bool m_keepFullPath = false;
    QString m_privilegedHost;
    QString m_privilegedUser;
    QString m_privilegedSince;
};
