#pragma once

#include <QString>
#include <QStringList>

// Turns the colon-separated volume paths of older "file" fields
// ("Volume:folder:file.pdf") into Unix paths. Stateless; safe from any thread.
class FilePathFormatConvert
{
public:
    FilePathFormatConvert() = delete;

    // The Unix form of `path`, looked up against the mounted volumes.
    static QString convertToUnix(const QString &path);
    // The same against the given mount points (the root "/" is never used).
    static QString convertToUnix(const QString &path, const QStringList &mountPoints);
    // The mount points of the volumes mounted now, the root left out.
    static QStringList mountedVolumePaths();
};
