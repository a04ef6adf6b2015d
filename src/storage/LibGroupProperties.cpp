#include "storage/LibGroupProperties.h"

using namespace Qt::StringLiterals;

LibGroupProperties::LibGroupProperties()
{
    setIcon(u"folder"_s);
}

LibGroupProperties::LibGroupProperties(BibDatabase *database) : DatabaseProperties(database)
{
    setIcon(u"folder"_s);
}

std::unique_ptr<LibGroupProperties>
LibGroupProperties::propertiesWithDatabase(BibDatabase *database)
{
    return std::make_unique<LibGroupProperties>(database);
}

std::unique_ptr<LibGroupProperties>
LibGroupProperties::propertiesWithDictionary(const QVariantMap &dictionary, BibDatabase *database)
{
    auto properties = std::make_unique<LibGroupProperties>(database);
    properties->readFromDictionary(dictionary);
    return properties;
}

std::unique_ptr<LibGroupProperties>
LibGroupProperties::propertiesWithProperties(const DatabaseProperties &other)
{
    auto properties = std::make_unique<LibGroupProperties>();
    properties->makeCopyOf(other);
    return properties;
}
