#include "storage/AttachmentManager.h"

#include "core/AlertPresenter.h"
#include "core/Texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

bool existsAt(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool fail(AttachmentManager::Failure &failure, const QString &key, const QString &path)
{
    failure.key = key;
    failure.path = path;
    return false;
}

// Removes a file, a link or a folder with its contents.
bool removeItem(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

// Copies a file, or a folder with everything in it.
bool copyItem(const QString &source, const QString &destination)
{
    const QFileInfo info(source);
    if (!info.isDir())
        return QFile::copy(source, destination);
    if (!QDir().mkdir(destination))
        return false;
    const QDir from(source);
    const auto entries =
        from.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (!copyItem(entry.absoluteFilePath(), destination + u'/' + entry.fileName()))
            return false;
    }
    return true;
}

// Moves within a file system by rename, across file systems by copy and remove.
bool moveItem(const QString &source, const QString &destination)
{
    if (QFile::rename(source, destination))
        return true;
    if (!copyItem(source, destination)) {
        removeItem(destination);
        return false;
    }
    return removeItem(source);
}

QString lastComponent(const QString &path)
{
    return QFileInfo(path).fileName();
}

} // namespace

QString AttachmentManager::nameForFile(const QString &key)
{
    QString name = key;
    for (QChar &c : name) {
        const char16_t u = c.unicode();
        if (u == u'.' || u == u':' || u == u'/' || u == u' ' || u == 0x00A0 || u == 0x3000 ||
            u == u'\t')
            c = u'_';
    }
    return name;
}

bool AttachmentManager::checkAttachmentFolder(const QString &path)
{
    if (!existsAt(path))
        return QDir().mkdir(path);
    return QFileInfo(path).isDir();
}

std::optional<QString> AttachmentManager::createTargetFolder(const QString &folder,
                                                             const QString &name)
{
    QString candidate = folder + u'/' + name;
    for (int i = 1; existsAt(candidate); ++i) {
        if (i > 100000)
            return std::nullopt;
        candidate = folder + u'/' + Texts::substitute(u"%@_%d"_s, {name, QString::number(i)});
    }
    if (!QDir().mkdir(candidate))
        return std::nullopt;
    return candidate;
}

bool AttachmentManager::checkOverwriteFile(const QString &path, Failure &failure)
{
    if (!existsAt(path))
        return true;
    const bool folder = QFileInfo(path).isDir() && !QFileInfo(path).isSymLink();
    AlertRequest request;
    request.title = folder ? Texts::text(u"FolderExists") : Texts::text(u"FileExists");
    request.message = folder ? Texts::format(u"FolderExistsMessage", {path})
                             : Texts::format(u"FileExistsMessage", {path});
    request.defaultButton = Texts::text(u"Cancel");
    request.alternateButton = Texts::text(u"Overwrite");
    if (AlertPresenter::show(request) != 0)
        return false;
    if (!removeItem(path))
        return fail(failure, QF_KEY("FileError_Remove"), path);
    return true;
}

bool AttachmentManager::transfer(int mode, const QString &source, const QString &destination,
                                 Failure &failure)
{
    switch (mode) {
    case 1:
        return copyItem(source, destination) || fail(failure, QF_KEY("FileError_Copy"), destination);
    case 3:
        return QFile::link(source, destination) ||
               fail(failure, QF_KEY("FileError_Alias"), destination);
    default:
        return moveItem(source, destination) ||
               fail(failure, QF_KEY("FileError_Move"), destination);
    }
}

std::optional<QString> AttachmentManager::appendAttachments(const QStringList &givenPaths,
                                                            const QString &key,
                                                            const QString &current, bool append,
                                                            const Settings &settings,
                                                            Failure &failure)
{
    failure = {};
    QStringList paths;
    for (const QString &given : givenPaths)
        paths << QFileInfo(given).absoluteFilePath();
    if (paths.isEmpty())
        return std::nullopt;
    const int mode = settings.mode;
    const QString name = nameForFile(key);
    const QString sourceFolder = QFileInfo(paths.first()).absolutePath();
    const auto stored = [&](const QString &path) {
        return settings.keepFullPath || !settings.relativePathOf ? path
                                                                 : settings.relativePathOf(path);
    };

    // Appending makes sense only to an attachment that exists.
    bool appendToFolder = false;
    if (append) {
        const QFileInfo info(current);
        append = !current.isEmpty() && (info.exists() || info.isSymLink());
        appendToFolder = append && info.isDir();
    }

    QString target;
    if (appendToFolder) {
        target = current;
    } else if (mode == 0) {
        target = sourceFolder;
    } else {
        target = settings.attachmentFolder;
        if (!checkAttachmentFolder(target)) {
            fail(failure, QF_KEY("FileError_CreateFolder"), target);
            return std::nullopt;
        }
    }

    if (paths.size() == 1 && !append) {
        const QString &path = paths.first();
        QString newName = lastComponent(path);
        if (settings.renameAfterBibkey) {
            const QString suffix = QFileInfo(newName).suffix();
            newName = suffix.isEmpty() ? name : name + u'.' + suffix;
        }
        const QString destination = target + u'/' + newName;
        if (QDir::cleanPath(destination) != QDir::cleanPath(path)) {
            if (!checkOverwriteFile(destination, failure))
                return std::nullopt;
            if (!transfer(mode, path, destination, failure))
                return std::nullopt;
        }
        return stored(destination);
    }

    if (!appendToFolder) {
        const auto folder = createTargetFolder(target, name);
        if (!folder) {
            fail(failure, QF_KEY("FileError_CreateFolder"), target + u'/' + name);
            return std::nullopt;
        }
        target = *folder;
    }
    for (const QString &path : paths) {
        const QString destination = target + u'/' + lastComponent(path);
        // Leaving in place copies: the files still go together in the key folder.
        const int how = mode == 0 ? 1 : mode;
        if (!transfer(how, path, destination, failure))
            return std::nullopt;
    }
    if (append && !appendToFolder) {
        const QString destination = target + u'/' + lastComponent(current);
        if (!moveItem(current, destination)) {
            fail(failure, QF_KEY("FileError_Move"), destination);
            return std::nullopt;
        }
    }
    return stored(target);
}

bool AttachmentManager::moveFileToUserTrash(const QString &path)
{
    // Without the data folder, Qt builds the trash relative to the current
    // folder; make sure the real one is there first.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || !QDir().mkpath(data))
        return false;
    return QFile::moveToTrash(path);
}
