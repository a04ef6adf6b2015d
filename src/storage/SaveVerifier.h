#pragma once

#include "model/FieldMap.h"

#include <QList>
#include <QString>

// Compares the entries a save meant to write with those read back from the
// written bytes, so that a save is reported as done only when the file holds
// every entry. Stateless; safe from any thread.
class SaveVerifier
{
public:
    SaveVerifier() = delete;

    // One entry as plain data: type, key and the edit form of every field.
    // The fields may include an item's pseudo-fields ("database", "bibkey",
    // "bibtype"), which are not compared: an item's own map serves as it is.
    struct Entry
    {
        QString type;
        QString key;
        FieldMap<QString> fields;
        bool operator==(const Entry &) const = default;
    };

    // What one field value is expected to read back as after writing in
    // `encoding`: no-break spaces as spaces, white-space runs as one space,
    // yen marks as backslashes for the yen encodings, and the encoding's own
    // substitutions (`roundTrip` encodes and decodes; may be null).
    using RoundTrip = QString (*)(const QString &text, quint32 encoding);
    static QString expectedValue(const QString &value, quint32 encoding, RoundTrip roundTrip);

    // Whether `read` holds `meant` entry by entry, in order: same types (without
    // regard to case), keys and field values (compared as expectedValue makes
    // them). Fields with empty values may be missing on either side. On a
    // difference `detail` names the first one. Values read back exactly as
    // meant are not normalised at all, which is nearly every value.
    // With `differing`, every entry that differs is listed there (its place
    // in `meant`); it stays empty when the counts already differ.
    static bool sameEntries(const QList<Entry> &meant, const QList<Entry> &read, quint32 encoding,
                            RoundTrip roundTrip, QString &detail,
                            QList<qsizetype> *differing = nullptr);
};
