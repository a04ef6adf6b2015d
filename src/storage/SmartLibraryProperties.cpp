#include "storage/SmartLibraryProperties.h"

#include "model/BibItem.h"

#include <QDateTime>
#include <QVariantList>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The attached file: the item's own resolver where it has one, else the
// stored path of its "file" field.
template<typename Item> std::optional<QString> attachedFileOf(const Item &item)
{
    if constexpr (requires { item.attachedFile(); }) {
        return item.attachedFile();
    } else {
        const QString stored = item.fieldDataForEdit(u"file"_s);
        return stored.isEmpty() ? std::nullopt : std::optional<QString>(stored);
    }
}

// An entry as the conditions read it: the item's accessors, with the display
// fields as key and value lists and the attached file's stored path where the
// item has no resolver of its own.
class ConditionEntry
{
public:
    explicit ConditionEntry(const BibItem &item) : m_item(item) {}

    struct DisplayFields
    {
        const BibItem::FieldTexts &fields;
        QStringList keys() const { return fields.keys(); }
        QStringList values() const
        {
            QStringList list;
            list.reserve(fields.size());
            for (auto it = fields.begin(); it != fields.end(); ++it)
                list << it.value();
            return list;
        }
    };

    DisplayFields bibFieldsForDisplay() const { return {m_item.bibFieldsForDisplay()}; }
    QString fieldDataForView(const QString &field) const { return m_item.fieldDataForView(field); }
    const QString &bibType() const { return m_item.bibType(); }
    const QString &bibKey() const { return m_item.bibKey(); }
    const BibItem::NameList &authorList() const { return m_item.authorList(); }
    const BibItem::NameList &editorList() const { return m_item.editorList(); }
    int fileState() const { return m_item.fileState(); }
    std::optional<QString> attachedFile() const { return attachedFileOf(m_item); }

private:
    const BibItem &m_item;
};

const QString kTargetKey = u"Search Target"_s;
const QString kMatchAllKey = u"Match All Conditions"_s;
const QString kUpdateKey = u"Smart Update Condition"_s;
const QString kConditionsKey = u"Search Conditions"_s;

} // namespace

SmartLibraryProperties::SmartLibraryProperties()
{
    setIcon(u"smartlib"_s);
}

SmartLibraryProperties::SmartLibraryProperties(BibDatabase *database) : DatabaseProperties(database)
{
    setIcon(u"smartlib"_s);
}

std::unique_ptr<SmartLibraryProperties>
SmartLibraryProperties::propertiesWithDatabase(BibDatabase *database)
{
    return std::make_unique<SmartLibraryProperties>(database);
}

std::unique_ptr<SmartLibraryProperties>
SmartLibraryProperties::propertiesWithDictionary(const QVariantMap &dictionary,
                                                 BibDatabase *database)
{
    auto properties = std::make_unique<SmartLibraryProperties>(database);
    properties->readFromDictionary(dictionary);
    return properties;
}

std::unique_ptr<SmartLibraryProperties>
SmartLibraryProperties::propertiesWithProperties(const DatabaseProperties &other)
{
    auto properties = std::make_unique<SmartLibraryProperties>();
    properties->makeCopyOf(other);
    return properties;
}

void SmartLibraryProperties::readFromDictionary(const QVariantMap &dictionary)
{
    DatabaseProperties::readFromDictionary(dictionary);
    if (const auto it = dictionary.constFind(kTargetKey); it != dictionary.constEnd())
        setTargetDatabaseID(it->toString());
    if (const auto it = dictionary.constFind(kMatchAllKey); it != dictionary.constEnd())
        setMatchesAllConditions(it->toBool());
    if (const auto it = dictionary.constFind(kUpdateKey); it != dictionary.constEnd())
        setUpdateCondition(it->toInt());
    if (const auto it = dictionary.constFind(kConditionsKey); it != dictionary.constEnd()) {
        std::vector<SmartSearchCondition> conditions;
        for (const QVariant &record : it->toList())
            conditions.push_back(SmartSearchCondition::conditionWithDictionary(record.toMap()));
        setSearchConditions(conditions);
    }
}

QVariantMap SmartLibraryProperties::makePropertyDictionary() const
{
    QVariantMap dictionary = DatabaseProperties::makePropertyDictionary();
    std::lock_guard lock(m_searchMutex);
    dictionary.insert(kTargetKey, m_targetDatabaseID.value_or(QString()));
    dictionary.insert(kMatchAllKey, m_matchesAllConditions);
    dictionary.insert(kUpdateKey, m_updateCondition);
    QVariantList conditions;
    for (const SmartSearchCondition &condition : m_searchConditions)
        conditions.append(condition.coniditionDictionary());
    dictionary.insert(kConditionsKey, conditions);
    return dictionary;
}

void SmartLibraryProperties::makeCopyOf(const DatabaseProperties &other)
{
    DatabaseProperties::makeCopyOf(other);
    setIcon(u"smartlib"_s);
    const auto *smart = dynamic_cast<const SmartLibraryProperties *>(&other);
    if (!smart || smart == this)
        return;
    setTargetDatabaseID(smart->targetDatabaseID());
    setMatchesAllConditions(smart->matchesAllConditions());
    setUpdateCondition(smart->updateCondition());
    // Each condition is rebuilt from its record, so the copy shares nothing.
    std::vector<SmartSearchCondition> conditions;
    for (const SmartSearchCondition &condition : smart->searchConditions())
        conditions.push_back(
            SmartSearchCondition::conditionWithDictionary(condition.coniditionDictionary()));
    setSearchConditions(conditions);
}

std::optional<QString> SmartLibraryProperties::targetDatabaseID() const
{
    std::lock_guard lock(m_searchMutex);
    return m_targetDatabaseID;
}

void SmartLibraryProperties::setTargetDatabaseID(const std::optional<QString> &uniqueID)
{
    std::lock_guard lock(m_searchMutex);
    if (uniqueID && !uniqueID->isEmpty())
        m_targetDatabaseID = uniqueID;
    else
        m_targetDatabaseID.reset();
}

bool SmartLibraryProperties::matchesAllConditions() const
{
    std::lock_guard lock(m_searchMutex);
    return m_matchesAllConditions;
}

void SmartLibraryProperties::setMatchesAllConditions(bool all)
{
    std::lock_guard lock(m_searchMutex);
    m_matchesAllConditions = all;
}

int SmartLibraryProperties::updateCondition() const
{
    std::lock_guard lock(m_searchMutex);
    return m_updateCondition;
}

void SmartLibraryProperties::setUpdateCondition(int code)
{
    std::lock_guard lock(m_searchMutex);
    m_updateCondition = code;
}

std::vector<SmartSearchCondition> SmartLibraryProperties::searchConditions() const
{
    std::lock_guard lock(m_searchMutex);
    return m_searchConditions;
}

void SmartLibraryProperties::setSearchConditions(
    const std::vector<SmartSearchCondition> &conditions)
{
    std::lock_guard lock(m_searchMutex);
    m_searchConditions = conditions;
}

bool SmartLibraryProperties::databaseOfInterest(const QString &uniqueID) const
{
    std::lock_guard lock(m_searchMutex);
    return !m_targetDatabaseID || *m_targetDatabaseID == uniqueID;
}

bool SmartLibraryProperties::conditionMatchesItem(const BibItem &item,
                                                  const QString &databaseID) const
{
    std::lock_guard lock(m_searchMutex);
    if (m_targetDatabaseID && *m_targetDatabaseID != databaseID)
        return false;
    if (m_searchConditions.empty())
        return false;
    const ConditionEntry entry(item);
    // The clock is read once, and only when a condition looks at time stamps.
    const bool timed = std::any_of(m_searchConditions.begin(), m_searchConditions.end(),
                                   [](const SmartSearchCondition &condition) {
                                       return condition.targetFieldChoice() ==
                                              SmartSearchCondition::ModificationTime;
                                   });
    const QDateTime now = timed ? QDateTime::currentDateTime() : QDateTime();
    const auto matches = [&entry, &now](const SmartSearchCondition &condition) {
        return condition.conditionMatchesItem(entry, now);
    };
    if (m_matchesAllConditions)
        return std::all_of(m_searchConditions.begin(), m_searchConditions.end(), matches);
    return std::any_of(m_searchConditions.begin(), m_searchConditions.end(), matches);
}

double SmartLibraryProperties::minimumTimeInterval() const
{
    std::lock_guard lock(m_searchMutex);
    double interval = 1e10;
    for (const SmartSearchCondition &condition : m_searchConditions)
        interval = std::min(interval, condition.minimumTimeInterval());
    return interval;
}

bool SmartLibraryProperties::conditionIsIdentical() const
{
    std::lock_guard lock(m_searchMutex);
    return !m_searchConditions.empty() && m_searchConditions.front().conditionIsIdentical();
}
