#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;

// Writes the bytes of a database file so that a failure never costs the
// previous contents: the new bytes go to a temporary file beside the target,
// are read back and checked, the backups rotate, and only then does the
// temporary file replace the target in one rename. Used on the main thread;
// one writer per save.
class SafeFileWriter
{
public:
    // What went wrong: a text key ("BackupError_Save", ...) and the path it
    // concerns. Empty after success.
    struct Failure
    {
        QString key;
        QString path;
        QString detail; // the system's own words, for logs and the CLI
    };

    // Checks the bytes written, once the temporary file read back holds exactly
    // them; answers false (and may fill `detail`) when they do not hold what
    // was meant.
    using Verifier = std::function<bool(const QByteArray &written, QString &detail)>;

    SafeFileWriter() = default;
    virtual ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter &) = delete;
    SafeFileWriter &operator=(const SafeFileWriter &) = delete;

    // Replaces the contents of `path` by `data`. With `backups` > 0 the backups
    // "path.1" … "path.N" rotate first (".1" the newest, a copy of the file
    // being replaced). The file keeps its permissions; a symbolic link keeps
    // pointing at the file, which is written in place of its target.
    bool writeFile(const QString &path, const QByteArray &data, int backups, const Verifier &verify,
                   Failure &failure);

    // Rotates the backups of `path`: removes ".N", moves ".i-1" to ".i" for
    // i = N … 2, and copies the file itself to ".1" (the file stays in place).
    // Refuses ("BackupError_Folder") when any backup name is a folder.
    static bool rotateBackups(const QString &path, int backups, Failure &failure);
    // The first of the names ".1" … ".N" of `path` that is a folder (not a
    // link to one); absent when there is none.
    static std::optional<QString> folderAmongBackups(const QString &path, int backups);

    // The name of backup `index` of `path`.
    static QString backupPath(const QString &path, int index);

protected:
    // Writes `data` to `device`; a test may override it to fail midway.
    virtual bool writeData(QIODevice &device, const QByteArray &data);
    // Puts the finished temporary file in place of `target` atomically.
    virtual bool replaceFile(const QString &temporary, const QString &target, QString &detail);
};
