#pragma once

#include "storage/LibGroupProperties.h"

// The property record of the database group (icon "localfiles"). Owned by its node.
class DbGroupProperties : public LibGroupProperties
{
public:
    DbGroupProperties();
    explicit DbGroupProperties(BibDatabase *database);

    static std::unique_ptr<DbGroupProperties> propertiesWithDatabase(BibDatabase *database);
    static std::unique_ptr<DbGroupProperties>
    propertiesWithDictionary(const QVariantMap &dictionary, BibDatabase *database);
    static std::unique_ptr<DbGroupProperties>
    propertiesWithProperties(const DatabaseProperties &other);

protected:
    int defaultKind() const override { return 1; }
};
