#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class BibItem;
class LoadingCoordinator;
class LocalDatabase;

// Loads .bib files for the commands of quirefold-cli through the same tree,
// reader and loading coordination as the window: every file becomes a node of
// the database group, loads on its own thread, and the event loop runs until
// the coordination is done. Reading errors are collected (the database is
// kept) instead of being asked about. Main thread only. The loaded databases
// are never freed: a command's process ends with its loader.
class CliDatabaseLoader
{
public:
    CliDatabaseLoader();
    ~CliDatabaseLoader();
    CliDatabaseLoader(const CliDatabaseLoader &) = delete;
    CliDatabaseLoader &operator=(const CliDatabaseLoader &) = delete;

    struct Loaded
    {
        QString file;                      // as given
        LocalDatabase *database = nullptr; // null when the file cannot be opened
        QString problem;                   // why it cannot be opened
        QStringList errors;                // the reading errors
    };

    // Loads every file; answers one record per file, in the given order.
    // `editFormsOnly`: for a command that only writes the files back (see
    // LocalDatabase::setLoadEditFormsOnly).
    // `readEncoding`: read every file in that encoding (--from-encoding).
    std::vector<Loaded> load(const QStringList &files, bool editFormsOnly = false,
                             std::optional<quint32> readEncoding = std::nullopt);
    // Loads one file; when it cannot be opened, says so on standard error and
    // answers a record without a database.
    Loaded loadOne(const QString &file, bool editFormsOnly = false,
                   std::optional<quint32> readEncoding = std::nullopt);

    // Loads one file and finds the entry `key` in it. Without the entry,
    // `exitCode` says why (2: the file cannot be opened, 1: no such key),
    // and standard error has said so.
    struct LoadedEntry
    {
        LocalDatabase *database = nullptr;
        std::shared_ptr<BibItem> item;
        int exitCode = 0;
    };
    LoadedEntry loadEntry(const QString &file, const QString &key);

private:
    std::unique_ptr<LoadingCoordinator> m_coordinator;
};
