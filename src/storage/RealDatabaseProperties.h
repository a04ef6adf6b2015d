#pragma once

#include "storage/DatabaseProperties.h"

#include <memory>

// The property record of a database that owns entries; adds nothing to its base. Owned by its node.
class RealDatabaseProperties : public DatabaseProperties
{
public:
    using DatabaseProperties::DatabaseProperties;

    static std::unique_ptr<RealDatabaseProperties> propertiesWithDatabase(BibDatabase *database);

protected:
    int defaultKind() const override { return 5; }
};
