#include "storage/DbGroupProperties.h"

using namespace Qt::StringLiterals;

DbGroupProperties::DbGroupProperties()
{
    setIcon(u"localfiles"_s);
}

DbGroupProperties::DbGroupProperties(BibDatabase *database) : LibGroupProperties(database)
{
    setIcon(u"localfiles"_s);
}

std::unique_ptr<DbGroupProperties> DbGroupProperties::propertiesWithDatabase(BibDatabase *database)
{
    return std::make_unique<DbGroupProperties>(database);
}

std::unique_ptr<DbGroupProperties>
DbGroupProperties::propertiesWithDictionary(const QVariantMap &dictionary, BibDatabase *database)
{
    auto properties = std::make_unique<DbGroupProperties>(database);
    properties->readFromDictionary(dictionary);
    return properties;
}

std::unique_ptr<DbGroupProperties>
DbGroupProperties::propertiesWithProperties(const DatabaseProperties &other)
{
    auto properties = std::make_unique<DbGroupProperties>();
    properties->makeCopyOf(other);
    return properties;
}
