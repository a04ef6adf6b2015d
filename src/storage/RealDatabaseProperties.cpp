#include "storage/RealDatabaseProperties.h"

std::unique_ptr<RealDatabaseProperties>
RealDatabaseProperties::propertiesWithDatabase(BibDatabase *database)
{
    return std::make_unique<RealDatabaseProperties>(database);
}
