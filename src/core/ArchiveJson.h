#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QVariant>

#include <optional>

// Converts archived dictionaries (the database tree, manual libraries, the
// private pasteboard type) to and from JSON so that reading gives back the
// same values: text, booleans, integers and reals kept apart, dates and data
// kept, arrays as QVariantList and dictionaries as QVariantMap. The encoding
// is described in docs/decisions/archive-format.md. Stateless; safe from any
// thread.
class ArchiveJson
{
public:
    // One value. Absent when the value holds a type an archive cannot keep
    // (`errorKey` names the problem).
    static std::optional<QJsonValue> toJson(const QVariant &value, QString &errorKey);
    // The value a JSON value stands for.
    static QVariant fromJson(const QJsonValue &json);

    // A whole archive: a JSON object naming the format (`kind`, e.g.
    // "tree"), its version and the root value, indented for reading.
    static std::optional<QByteArray> encodeDocument(const QVariant &root, const QString &kind,
                                                    QString &errorKey);
    // The root value of an archive of `kind`; absent when the bytes are not
    // such an archive (`errorKey` says why).
    static std::optional<QVariant> decodeDocument(const QByteArray &bytes, const QString &kind,
                                                  QString &errorKey);

    // Writes an archive to `path` atomically (the old file stays intact until
    // the new one is complete). False with `errorKey` and `systemError` set.
    static bool writeFile(const QString &path, const QVariant &root, const QString &kind,
                          QString &errorKey, QString &systemError);
    // Reads an archive from `path`. Absent with `errorKey` set when the file
    // cannot be read or is not an archive of `kind`.
    static std::optional<QVariant> readFile(const QString &path, const QString &kind,
                                            QString &errorKey, QString &systemError);

    // Moves a file that cannot be read aside as "<path>.damaged" (numbered
    // when that exists) and answers the new path; empty when moving failed.
    static QString keepDamagedFile(const QString &path);
};
