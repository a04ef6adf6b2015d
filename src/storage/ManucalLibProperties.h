#pragma once

#include "storage/DatabaseProperties.h"

#include <memory>

// The property record of a manual library (icon "manulib"): the base fields
// only. Owned by its ManualLibrary; main thread only.
class ManucalLibProperties : public DatabaseProperties
{
public:
    ManucalLibProperties();
    explicit ManucalLibProperties(BibDatabase *database);

    static std::unique_ptr<ManucalLibProperties> propertiesWithDatabase(BibDatabase *database);
    static std::unique_ptr<ManucalLibProperties>
    propertiesWithDictionary(const QVariantMap &dictionary, BibDatabase *database);
    static std::unique_ptr<ManucalLibProperties>
    propertiesWithProperties(const DatabaseProperties &other);

protected:
    int defaultKind() const override { return 4; }
};
