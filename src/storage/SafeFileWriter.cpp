#include "storage/SafeFileWriter.h"

#include "core/Texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Permissions for a new file: read and write as the process's umask allows.
QFileDevice::Permissions newFilePermissions()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    QFileDevice::Permissions permissions;
    const mode_t mode = 0666 & ~mask;
    if (mode & S_IRUSR)
        permissions |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (mode & S_IWUSR)
        permissions |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    if (mode & S_IRGRP)
        permissions |= QFileDevice::ReadGroup;
    if (mode & S_IWGRP)
        permissions |= QFileDevice::WriteGroup;
    if (mode & S_IROTH)
        permissions |= QFileDevice::ReadOther;
    if (mode & S_IWOTH)
        permissions |= QFileDevice::WriteOther;
    return permissions;
}

bool fail(SafeFileWriter::Failure &failure, const QString &key, const QString &path,
          const QString &detail)
{
    failure.key = key;
    failure.path = path;
    failure.detail = detail;
    return false;
}

// Whether `device` holds exactly `data`, read to its end.
bool readsBackAs(QIODevice &device, const QByteArray &data)
{
    constexpr qsizetype chunk = 1 << 20;
    QByteArray piece(chunk, Qt::Uninitialized);
    qsizetype offset = 0;
    for (;;) {
        const qint64 got = device.read(piece.data(), chunk);
        if (got < 0)
            return false;
        if (got == 0)
            return offset == data.size();
        if (offset + got > data.size() || std::memcmp(piece.constData(), data.constData() + offset,
                                                      static_cast<size_t>(got)) != 0)
            return false;
        offset += got;
    }
}

// Something exists at `path`, a dangling symbolic link included.
bool existsAt(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

SafeFileWriter::~SafeFileWriter() = default;

QString SafeFileWriter::backupPath(const QString &path, int index)
{
    return path + u'.' + QString::number(index);
}

std::optional<QString> SafeFileWriter::folderAmongBackups(const QString &path, int backups)
{
    for (int i = 1; i <= backups; ++i) {
        const QFileInfo info(backupPath(path, i));
        if (info.isDir() && !info.isSymLink())
            return info.filePath();
    }
    return std::nullopt;
}

bool SafeFileWriter::rotateBackups(const QString &path, int backups, Failure &failure)
{
    if (backups <= 0)
        return true;
    // A folder is never removed nor moved by a rotation: it is the user's.
    if (const std::optional<QString> folder = folderAmongBackups(path, backups))
        return fail(failure, QF_KEY("BackupError_Folder"), *folder, QString());
    const QString last = backupPath(path, backups);
    if (existsAt(last) && !QFile::remove(last))
        return fail(failure, QF_KEY("BackupError_Remove"), last, QString());
    for (int i = backups; i >= 2; --i) {
        const QString source = backupPath(path, i - 1);
        if (!existsAt(source))
            continue;
        if (!QFile::rename(source, backupPath(path, i)))
            return fail(failure, QF_KEY("BackupError_Rename"), source, QString());
    }
    if (QFileInfo(path).isFile()) {
        QFile source(path);
        if (!source.copy(backupPath(path, 1)))
            return fail(failure, QF_KEY("BackupError_Rename"), path, source.errorString());
    }
    return true;
}

bool SafeFileWriter::writeData(QIODevice &device, const QByteArray &data)
{
    constexpr qsizetype chunk = 1 << 20;
    for (qsizetype offset = 0; offset < data.size(); offset += chunk) {
        const qsizetype length = std::min(chunk, data.size() - offset);
        if (device.write(data.constData() + offset, length) != length)
            return false;
    }
    return true;
}

bool SafeFileWriter::replaceFile(const QString &temporary, const QString &target, QString &detail)
{
    const QByteArray from = QFile::encodeName(temporary);
    const QByteArray to = QFile::encodeName(target);
    if (std::rename(from.constData(), to.constData()) != 0) {
        detail = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

bool SafeFileWriter::writeFile(const QString &path, const QByteArray &data, int backups,
                               const Verifier &verify, Failure &failure)
{
    failure = {};
    const QString saveKey = QF_KEY("BackupError_Save");
    // A symbolic link stays a link: its target is the file that is replaced.
    QString target = path;
    const QFileInfo given(path);
    if (given.isSymLink()) {
        const QString resolved = given.canonicalFilePath();
        target = resolved.isEmpty()
                     ? QDir::cleanPath(given.absoluteDir().absoluteFilePath(given.symLinkTarget()))
                     : resolved;
    }
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && !targetInfo.isFile())
        return fail(failure, saveKey, path, QStringLiteral("not a regular file"));
    const QFileDevice::Permissions permissions =
        targetInfo.exists() ? QFile::permissions(target) : newFilePermissions();
    // Checked before anything is written, so that a refusal leaves no trace.
    if (const std::optional<QString> folder = folderAmongBackups(path, backups))
        return fail(failure, QF_KEY("BackupError_Folder"), *folder, QString());

    // 1. The new bytes into a temporary file in the same folder.
    QTemporaryFile temporary(targetInfo.absolutePath() + u"/."_s + targetInfo.fileName() +
                             u".XXXXXX"_s);
    temporary.setAutoRemove(true);
    if (!temporary.open())
        return fail(failure, saveKey, path, temporary.errorString());
    if (!writeData(temporary, data) || !temporary.flush())
        return fail(failure, saveKey, path, temporary.errorString());
    if (::fsync(temporary.handle()) != 0)
        return fail(failure, saveKey, path, QString::fromLocal8Bit(std::strerror(errno)));

    // 2. Read back what actually landed on the disk and check it. The bytes
    // are compared a piece at a time; once they equal `data`, the entries
    // are checked in `data` (a second copy of the file is never held).
    {
        QFile readBack(temporary.fileName());
        if (!readBack.open(QIODevice::ReadOnly))
            return fail(failure, saveKey, path, readBack.errorString());
        if (!readsBackAs(readBack, data))
            return fail(failure, saveKey, path, QStringLiteral("the bytes read back differ"));
        QString detail;
        if (verify && !verify(data, detail))
            return fail(failure, saveKey, path, detail);
    }
    temporary.close();
    if (!temporary.setPermissions(permissions))
        return fail(failure, saveKey, path, temporary.errorString());

    // 3. The backups rotate; the file itself is still the old one.
    if (!rotateBackups(path, backups, failure))
        return false;

    // 4. One rename puts the new file in place.
    QString detail;
    if (!replaceFile(temporary.fileName(), target, detail))
        return fail(failure, saveKey, path, detail);
    temporary.setAutoRemove(false);
    return true;
}
