#include "storage/FilePathFormatConvert.h"

#include <QStorageInfo>

using namespace Qt::StringLiterals;

QString FilePathFormatConvert::convertToUnix(const QString &path)
{
    if (!path.contains(u':'))
        return path;
    if (path.startsWith(u'/') || path.startsWith(u'~') || path.contains(u"://"_s))
        return path;
    return convertToUnix(path, mountedVolumePaths());
}

QString FilePathFormatConvert::convertToUnix(const QString &path, const QStringList &mountPoints)
{
    // A path that is already a Unix path (absolute, home-relative or a URL)
    // may still hold a colon inside a file name; it is left alone.
    if (!path.contains(u':') || path.startsWith(u'/') || path.startsWith(u'~') ||
        path.contains(u"://"_s))
        return path;
    QStringList parts = path.split(u':');
    const QString volume = parts.first();
    QString mount;
    for (const QString &point : mountPoints) {
        if (point == u"/"_s || point.isEmpty())
            continue;
        QString trimmed = point;
        while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
            trimmed.chop(1);
        if (trimmed.section(u'/', -1) == volume) {
            mount = trimmed;
            break;
        }
    }
    parts.first() = mount;
    return parts.join(u'/');
}

QStringList FilePathFormatConvert::mountedVolumePaths()
{
    QStringList paths;
    const auto volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &volume : volumes) {
        if (!volume.isValid() || !volume.isReady() || volume.isRoot())
            continue;
        paths << volume.rootPath();
    }
    return paths;
}
