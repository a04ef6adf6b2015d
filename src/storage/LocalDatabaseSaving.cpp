// The saving side of a database file: its save options, its contents and the
// ordinary save, all through DatabaseSaver.
#include "storage/LocalDatabase.h"

#include "model/BibItem.h"
#include "storage/DatabaseSaver.h"

QVariantMap LocalDatabase::defaultSaveOptions() const
{
    return DatabaseSaver::defaultSaveOptions(*this);
}

bool LocalDatabase::saveDatabase()
{
    return DatabaseSaver::saveDatabase(*this);
}

bool LocalDatabase::saveAsDatabase(const QString &path, const QVariantMap &options)
{
    return DatabaseSaver::saveAsDatabase(*this, path, options);
}

std::optional<QByteArray> LocalDatabase::makeContentsDataWithOptions(const QVariantMap &options)
{
    return DatabaseSaver::makeContentsData(*this, options);
}

QString LocalDatabase::databasePropertyStringWithLF(const QString &lf) const
{
    return DatabaseSaver::databasePropertyString(localProperties(), lf);
}

void LocalDatabase::reformatAllEntries()
{
    for (const BibItemPtr &item : m_itemList)
        item->markChangedSinceRead();
    setDirty(true);
}
