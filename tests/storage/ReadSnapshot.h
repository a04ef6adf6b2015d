#pragma once

#include "model/BibItem.h"
#include "model/MacroList.h"
#include "storage/BibFileReader.h"
#include "storage/LocalDatabase.h"

#include <QByteArray>
#include <QStringList>

#include <algorithm>
#include <atomic>

// Everything one reading of a file's bytes gives, as plain comparable data:
// entries (type, key, every edit form), comments, kept texts, preambles,
// macros, errors and whether the reading was complete.
struct ReadSnapshot
{
    QStringList entries;
    QStringList comments;
    QStringList unreadTexts;
    QStringList preambles;
    MacroDefinition macros;
    QStringList errors;
    bool complete = true;
    unsigned encoding = 0;
    bool operator==(const ReadSnapshot &) const = default;

    // Reads `bytes` in up to `parts` pieces of at least `minimumPiece` characters.
    static ReadSnapshot of(const QByteArray &bytes, int parts, qsizetype minimumPiece)
    {
        LocalDatabase scratch;
        std::atomic<bool> stop{false};
        std::atomic<int> count{0};
        BibFileReader reader(scratch, scratch.localProperties(), stop, count);
        reader.setParallelReading(parts, minimumPiece);
        reader.setEditFormsOnly(true);
        const BibFileContents contents = reader.readBytes(bytes);
        ReadSnapshot snapshot;
        for (const BibItemPtr &item : contents.items) {
            QStringList fields;
            for (const auto &field : item->bibFieldsForEdit().entries())
                fields << field.key + u'=' + field.value;
            std::sort(fields.begin(), fields.end());
            snapshot.entries << item->bibType() + u'|' + item->bibKey() + u'|' + fields.join(u'|');
        }
        snapshot.comments = contents.comments;
        snapshot.unreadTexts = contents.unreadTexts;
        snapshot.preambles = contents.preambles;
        snapshot.macros = contents.macros->definition();
        snapshot.errors = contents.errors;
        snapshot.complete = contents.complete;
        snapshot.encoding = contents.encoding;
        return snapshot;
    }
};
