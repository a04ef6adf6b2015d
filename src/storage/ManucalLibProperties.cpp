#include "storage/ManucalLibProperties.h"

using namespace Qt::StringLiterals;

ManucalLibProperties::ManucalLibProperties()
{
    setIcon(u"manulib"_s);
}

ManucalLibProperties::ManucalLibProperties(BibDatabase *database) : DatabaseProperties(database)
{
    setIcon(u"manulib"_s);
}

std::unique_ptr<ManucalLibProperties>
ManucalLibProperties::propertiesWithDatabase(BibDatabase *database)
{
    return std::make_unique<ManucalLibProperties>(database);
}

std::unique_ptr<ManucalLibProperties>
ManucalLibProperties::propertiesWithDictionary(const QVariantMap &dictionary, BibDatabase *database)
{
    auto properties = std::make_unique<ManucalLibProperties>(database);
    properties->readFromDictionary(dictionary);
    return properties;
}

std::unique_ptr<ManucalLibProperties>
ManucalLibProperties::propertiesWithProperties(const DatabaseProperties &other)
{
    auto properties = std::make_unique<ManucalLibProperties>();
    properties->makeCopyOf(other);
    properties->setIcon(u"manulib"_s);
    return properties;
}
