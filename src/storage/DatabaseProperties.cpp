#include "storage/DatabaseProperties.h"

#include "storage/BibDatabase.h"

#include <ctime>
#include <random>

using namespace Qt::StringLiterals;

namespace {

// The generator behind node IDs: seeded once, shared by every thread.
std::mutex generatorMutex; // guards generator()
std::mt19937 &generator()
{
    static std::mt19937 instance{std::random_device{}()};
    return instance;
}

} // namespace

DatabaseProperties::DatabaseProperties() : m_uniqueID(generateUniqueID()) {}

DatabaseProperties::DatabaseProperties(BibDatabase *database)
    : m_uniqueID(generateUniqueID()), m_database(database)
{}

DatabaseProperties::~DatabaseProperties() = default;

QString DatabaseProperties::generateUniqueID()
{
    static constexpr char16_t alphabet[] =
        u"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    QString id;
    id.reserve(32);
    std::lock_guard lock(generatorMutex);
    std::mt19937 &random = generator();
    random.discard(static_cast<unsigned long long>(std::time(nullptr) % 100));
    for (int word = 0; word < 8; ++word) {
        const std::uint32_t value = random();
        for (int byte = 0; byte < 4; ++byte)
            id.append(QChar(alphabet[((value >> (8 * byte)) & 0xFF) % 62]));
    }
    return id;
}

QString DatabaseProperties::storedDescription() const
{
    std::lock_guard lock(m_descriptionMutex);
    return m_description;
}

void DatabaseProperties::setDescription(const QString &description)
{
    std::lock_guard lock(m_descriptionMutex);
    m_description = description;
}

int DatabaseProperties::kind() const
{
    return m_database ? m_database->kind() : defaultKind();
}

void DatabaseProperties::propertiesChanged()
{
    if (m_database)
        m_database->propertiesChanged();
}

void DatabaseProperties::readFromDictionary(const QVariantMap &dictionary)
{
    if (const auto it = dictionary.constFind(u"unique ID"_s); it != dictionary.constEnd())
        m_uniqueID = it->toString();
    if (const auto it = dictionary.constFind(u"description"_s); it != dictionary.constEnd())
        setDescription(it->toString());
    if (const auto it = dictionary.constFind(u"expanded"_s); it != dictionary.constEnd())
        m_groupExpanded = it->toBool();
}

QVariantMap DatabaseProperties::makePropertyDictionary() const
{
    QVariantMap dictionary;
    dictionary.insert(u"kind"_s, kind());
    dictionary.insert(u"expanded"_s, m_groupExpanded);
    const QString text = storedDescription();
    if (!text.isEmpty())
        dictionary.insert(u"description"_s, text);
    if (!m_uniqueID.isEmpty())
        dictionary.insert(u"unique ID"_s, m_uniqueID);
    return dictionary;
}

void DatabaseProperties::makeCopyOf(const DatabaseProperties &other)
{
    m_database = other.m_database;
    setDescription(other.storedDescription());
    m_icon = other.m_icon;
    m_groupExpanded = other.m_groupExpanded;
}
