#pragma once

#include "storage/DatabaseProperties.h"

#include <memory>

// The property record of a library group (icon "folder"). Owned by its node.
class LibGroupProperties : public DatabaseProperties
{
public:
    LibGroupProperties();
    explicit LibGroupProperties(BibDatabase *database);

    static std::unique_ptr<LibGroupProperties> propertiesWithDatabase(BibDatabase *database);
    static std::unique_ptr<LibGroupProperties>
    propertiesWithDictionary(const QVariantMap &dictionary, BibDatabase *database);
    static std::unique_ptr<LibGroupProperties>
    propertiesWithProperties(const DatabaseProperties &other);

protected:
    int defaultKind() const override { return 2; }
};
