#pragma once

#include "storage/LocalDatabase.h"

#include <QString>

#include <memory>

// The database of the file at `path`, loaded as the window loads it; its
// reading errors are answered with OK so that it opens. Null when the file
// cannot be opened.
inline std::unique_ptr<LocalDatabase> openDatabase(const QString &path)
{
    auto database = LocalDatabase::localDatabaseWithFile(path, false);
    if (!database)
        return nullptr;
    database->startLoading();
    database->waitForLoading();
    if (database->isLoading())
        database->setWaitingStatus(0);
    return database;
}
