#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The file side of attachments: naming after the citation key, the
// attachment folder, the overwrite question, copying, moving and linking
// attached files into place, and the desktop trash. Used by LocalDatabase on
// the main thread; file operations are synchronous.
class AttachmentManager
{
public:
    AttachmentManager() = delete;

    // A file-system failure: the text key ("FileError_Copy", ...) and the path.
    struct Failure
    {
        QString key;
        QString path;
    };

    // How one database stores attachments.
    struct Settings
    {
        int mode = 1;             // 0 leave in place, 1 copy, 2 move, 3 symbolic link
        QString attachmentFolder; // absolute
        bool renameAfterBibkey = true;
        bool keepFullPath = false;
        // Makes an absolute path relative to the database's folder.
        std::function<QString(const QString &)> relativePathOf;
    };

    // The key as a file-system name: '.', ':', '/' and spaces (no-break and
    // ideographic ones too) become '_'.
    static QString nameForFile(const QString &key);

    // Creates the folder when nothing is at `path` (not its parents);
    // otherwise answers whether what is there is a folder.
    static bool checkAttachmentFolder(const QString &path);
    // A new folder folder/name, or folder/name_1, name_2, ... when taken.
    static std::optional<QString> createTargetFolder(const QString &folder, const QString &name);
    // True when nothing is at `path` (a link is not followed); otherwise asks
    // whether to overwrite, and removes what is there when the user agrees.
    // A removal that fails is reported through `failure` ("FileError_Remove").
    static bool checkOverwriteFile(const QString &path, Failure &failure);

    // Puts `paths` in place for an entry with citation key `key` whose current
    // attachment is `current` (absolute; empty when none) and answers the text
    // to store in its "file" field, or nothing (with `failure` set, unless the
    // user cancelled an overwrite).
    static std::optional<QString> appendAttachments(const QStringList &paths, const QString &key,
                                                    const QString &current, bool append,
                                                    const Settings &settings, Failure &failure);

    // Moves the file or folder to the desktop trash.
    static bool moveFileToUserTrash(const QString &path);

private:
    static bool transfer(int mode, const QString &source, const QString &destination,
                         Failure &failure);
};
