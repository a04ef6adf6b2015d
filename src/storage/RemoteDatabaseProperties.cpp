#include "storage/RemoteDatabaseProperties.h"

std::unique_ptr<RemoteDatabaseProperties>
RemoteDatabaseProperties::propertiesWithDatabase(BibDatabase *database)
{
    return std::make_unique<RemoteDatabaseProperties>(database);
}
