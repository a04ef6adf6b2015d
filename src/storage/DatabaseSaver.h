#pragma once

#include "storage/SafeFileWriter.h"
#include "storage/SaveVerifier.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>
#include <vector>

class BibDatabase;
class BibItem;
class LocalDatabase;
class LocalDatabaseProperties;

// Turns a node of the database tree into the bytes of a .bib file and writes
// them: the ordinary save of a file-backed database with rotating backups and
// the save-as of any node into a new file. Every write goes through
// SafeFileWriter and is verified by reading the entries back. Main thread only.
class DatabaseSaver
{
public:
    DatabaseSaver() = delete;

    // The keys of a save-options dictionary.
    static QString lineFeedKey();    // "Save Options Line Feed": CR, LF or CR LF
    static QString encodingKey();    // "Save Options Encoding": encoding code
    static QString attachmentsKey(); // "Save Options Attachments": 0, 1 or other
    static QString descriptionKey(); // "Save Options Description"
    static QString saveACopyKey();   // "Save Options Save a Copy": presence counts
    // "Save Options Keep Read Text": true writes the blocks of a database read
    // from a file that did not change with the text they were read from.
    static QString keepReadTextKey();

    // The options a save of `node` uses when nothing else is asked for.
    static QVariantMap defaultSaveOptions(const BibDatabase &node);

    // The node's items in list order, each as its entry text.
    static QString databaseBibItemsString(const BibDatabase &node, const QVariantMap &options);
    // The settings block of a database file.
    static QString databasePropertyString(const LocalDatabaseProperties &properties,
                                          const QString &lf);
    // The whole file as text (before the final replacements and encoding).
    static QString makeContentsText(const BibDatabase &node, const QVariantMap &options);
    // The whole file as bytes; absent when the encoding is unknown.
    static std::optional<QByteArray> makeContentsData(const BibDatabase &node,
                                                      const QVariantMap &options);

    // The ordinary save of a database (see LocalDatabase::saveDatabase).
    // `writer` may be given by tests to inject a failing device.
    // `overrides` replace single default options (the command line's
    // attachment form); the file's own settings stay as they are.
    static bool saveDatabase(LocalDatabase &database, SafeFileWriter *writer = nullptr,
                             const QVariantMap &overrides = {});
    // Save As: a copy of any node with the given options.
    static bool saveAsDatabase(BibDatabase &node, const QString &path, const QVariantMap &options,
                               SafeFileWriter *writer = nullptr);

    // Whether `bytes` read back hold the entries a save of `node` with
    // `options` meant to write: each entry is compared as it is read, with
    // the entry meant made for it then.
    // With `differing`, every entry that did not read back is listed there.
    static bool verifyWritten(const QByteArray &bytes, const BibDatabase &node,
                              const QVariantMap &options, QString &detail,
                              QList<qsizetype> *differing = nullptr);
    // The same, reading into `scratch`, an empty database made on the main
    // thread (see WrittenEntryReader::read); safe from another thread while
    // nothing changes `node`.
    static bool verifyWritten(const QByteArray &bytes, const BibDatabase &node,
                              const QVariantMap &options, LocalDatabase &scratch, QString &detail,
                              QList<qsizetype> *differing);
    // defaultSaveOptions overlaid with `options`, as a copy ("NameOfCopy").
    static QVariantMap saveAsOptions(const BibDatabase &node, const QVariantMap &options);

    // The last failure's details (for the command line and logs).
    static QString lastFailureDetail();

private:
    // Builds the bytes and writes them through `writer`, verified. Entries
    // written with their kept text that do not read back as meant are
    // written in the writer's layout instead, and the file written again.
    static bool writeVerified(BibDatabase &node, const QString &path, QVariantMap options,
                              int backups, SafeFileWriter &writer);
};
