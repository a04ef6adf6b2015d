#pragma once

// Opening a corpus file the way the window does, for the corpus tests.
#include "storage/LocalDatabase.h"

#include <QString>

#include <memory>

namespace QfTest {

// The database of the file at `path`, loaded; its loading errors are
// answered with OK so that it opens. Null when the file cannot be opened.
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

} // namespace QfTest
