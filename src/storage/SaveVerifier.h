#pragma once

#include "model/FieldMap.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Compares the entries a save meant to write with those read back from the
// written bytes, so that a save is reported as done only when the file holds
// every entry. The static functions are stateless and safe from any thread;
// a Comparison belongs to one thread.
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

    // The judgement of sameEntries made one entry read back at a time, with
    // the entries meant made when they are compared: neither side is held
    // as a whole.
    class Comparison
    {
    public:
        // The entry meant at a place (0 to the count less one), made on demand.
        using Meant = std::function<Entry(qsizetype place)>;
        // With `listDiffering` every entry that differs is noted (see
        // sameEntries); without, the first difference decides.
        Comparison(qsizetype meantCount, Meant meant, quint32 encoding, RoundTrip roundTrip,
                   bool listDiffering);

        // Takes the next entry read back.
        void take(const Entry &read);
        // After the last entry read back: whether they were exactly the entries
        // meant; on a difference `detail` names the first one, and `differing`
        // (when listing) receives the places that differ.
        bool finish(QString &detail, QList<qsizetype> *differing = nullptr) const;

    private:
        // Where an entry read back differs: the entry itself (its type or key;
        // no field) or one of its fields.
        struct Difference
        {
            QString key; // the key meant
            QString field;
        };
        std::optional<Difference> differenceOf(const Entry &meant, const Entry &read) const;
        bool same(const QString &expected, const QString &got) const;

        qsizetype m_meantCount;
        Meant m_meant;
        quint32 m_encoding;
        RoundTrip m_roundTrip;
        bool m_yen;
        bool m_listDiffering;
        qsizetype m_readCount = 0;
        QString m_firstExtraKey; // the first entry read back beyond those meant
        std::optional<Difference> m_first;
        QList<qsizetype> m_differing;
    };
};
