#pragma once

#include <QString>

class KeptText;
class LocalDatabase;

// Writes a database file so that only what the user changed changes: every
// block that did not change since it was read (entries, comments, preambles,
// @STRING blocks, unreadable text) is written with the text it was read from,
// in file order with the text between blocks. A changed entry is written in
// the writer's layout at its place; new entries follow at the end; removed
// ones leave no text. A list of comments, preambles or macros that changed is
// written whole in the writer's layout after the settings block, which is
// always the writer's own. Stateless; main thread (it reads the items).
class KeptFileWriter
{
public:
    KeptFileWriter() = delete;

    struct Options
    {
        QString lineFeed = QStringLiteral("\n");
        quint32 encoding = 4;
        int attachments = -1; // how "file" is written (see BibItem)
    };

    // Whether `database` can be written this way (it was read from a file).
    static bool canWrite(const LocalDatabase &database);
    // The whole file as text ready to be encoded: what the writer made is
    // finished (no-break spaces replaced, yen marks for the yen encodings),
    // the kept text is as it was read.
    // `settingsBlock` is the settings block as the writer writes it.
    static QString makeContentsText(const LocalDatabase &database, const QString &settingsBlock,
                                    const Options &options);
    // Whether `encoding` can carry `text` (it reads back the same).
    static bool encodingCarries(const QString &text, quint32 encoding);
};
