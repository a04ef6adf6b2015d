#pragma once

#include "storage/RealDatabaseProperties.h"

#include <memory>

// The property record of the reserved remote-database kind. Owned by its node.
class RemoteDatabaseProperties : public RealDatabaseProperties
{
public:
    using RealDatabaseProperties::RealDatabaseProperties;

    static std::unique_ptr<RemoteDatabaseProperties> propertiesWithDatabase(BibDatabase *database);

protected:
    int defaultKind() const override { return 6; }
};
