#include "app/AttachmentCopier.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

using namespace Qt::StringLiterals;

bool AttachmentCopier::copyReplacing(const QString &source, const QString &target, QString &error)
{
    const QFileInfo info(target);
    const QString temporary = info.dir().filePath(
        u".%1.%2.part"_s.arg(info.fileName(), QUuid::createUuid().toString(QUuid::Id128).left(8)));
    if (!copyTree(source, temporary, error)) {
        removeItem(temporary);
        return false;
    }
    if (QFileInfo::exists(target) || info.isSymLink()) {
        if (!removeItem(target)) {
            removeItem(temporary);
            error = QFile(target).errorString();
            return false;
        }
    }
    if (!QDir().rename(temporary, target)) {
        error = QFile(temporary).errorString();
        removeItem(temporary);
        return false;
    }
    return true;
}

bool AttachmentCopier::copyTree(const QString &source, const QString &target, QString &error)
{
    const QFileInfo info(source);
    if (!info.isDir()) {
        QFile file(source);
        if (!file.copy(target)) {
            error = file.errorString();
            return false;
        }
        return true;
    }
    if (!QDir().mkpath(target)) {
        error = QFile(target).errorString();
        return false;
    }
    const QDir dir(source);
    for (const QFileInfo &entry :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (!copyTree(entry.filePath(), QDir(target).filePath(entry.fileName()), error))
            return false;
    }
    return true;
}

bool AttachmentCopier::removeItem(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return !info.exists() && !info.isSymLink() ? true : QFile::remove(path);
}
