#include "storage/LocalDatabaseProperties.h"

#include "storage/StoragePrefs.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

LocalDatabaseProperties::LocalDatabaseProperties() : LocalDatabaseProperties(nullptr) {}

LocalDatabaseProperties::LocalDatabaseProperties(BibDatabase *database)
    : RealDatabaseProperties(database), m_encoding(StoragePrefs::databaseEncoding()),
      m_lineEnding(StoragePrefs::databaseLineMode()), m_attachmentPath(u"Attachments"_s)
{
    setIcon(u"localfile"_s);
}

std::unique_ptr<LocalDatabaseProperties>
LocalDatabaseProperties::propertiesWithDatabase(BibDatabase *database)
{
    return std::make_unique<LocalDatabaseProperties>(database);
}

std::unique_ptr<LocalDatabaseProperties>
LocalDatabaseProperties::propertiesWithDictionary(const QVariantMap &dictionary,
                                                  BibDatabase *database)
{
    auto properties = std::make_unique<LocalDatabaseProperties>(database);
    properties->readFromDictionary(dictionary);
    return properties;
}

std::unique_ptr<LocalDatabaseProperties>
LocalDatabaseProperties::propertiesWithProperties(const LocalDatabaseProperties &other)
{
    auto properties = std::make_unique<LocalDatabaseProperties>();
    properties->makeCopyOf(other);
    return properties;
}

void LocalDatabaseProperties::readFromDictionary(const QVariantMap &dictionary)
{
    RealDatabaseProperties::readFromDictionary(dictionary);
    auto has = [&](const QString &key) { return dictionary.contains(key); };
    if (has(u"Full Path"_s))
        setFullPath(dictionary.value(u"Full Path"_s).toString());
    if (has(u"Text Encoding"_s))
        m_encoding = static_cast<unsigned>(dictionary.value(u"Text Encoding"_s).toLongLong());
    if (has(u"Line Ending Code"_s))
        m_lineEnding = dictionary.value(u"Line Ending Code"_s).toInt();
    if (has(u"attachment_mode"_s))
        m_fileAttachmentMode = dictionary.value(u"attachment_mode"_s).toInt();
    if (has(u"attachment_path"_s))
        m_attachmentPath = dictionary.value(u"attachment_path"_s).toString();
    if (has(u"rename_after_bibkey"_s))
        m_renameAfterBibkey = dictionary.value(u"rename_after_bibkey"_s).toBool();
    if (has(u"keep_full_path"_s))
        m_keepFullPath = dictionary.value(u"keep_full_path"_s).toBool();
    if (has(u"privileged_host"_s))
        m_privilegedHost = dictionary.value(u"privileged_host"_s).toString();
    if (has(u"privileged_user"_s))
        m_privilegedUser = dictionary.value(u"privileged_user"_s).toString();
    if (has(u"privileged_since"_s))
        m_privilegedSince = dictionary.value(u"privileged_since"_s).toString();
}

QVariantMap LocalDatabaseProperties::makePropertyDictionary() const
{
    QVariantMap dictionary = RealDatabaseProperties::makePropertyDictionary();
    if (!m_fullPath.isEmpty())
        dictionary.insert(u"Full Path"_s, m_fullPath);
    dictionary.insert(u"Text Encoding"_s, static_cast<qlonglong>(m_encoding));
    dictionary.insert(u"Line Ending Code"_s, m_lineEnding);
    dictionary.insert(u"attachment_mode"_s, m_fileAttachmentMode);
    if (!m_attachmentPath.isEmpty())
        dictionary.insert(u"attachment_path"_s, m_attachmentPath);
    dictionary.insert(u"rename_after_bibkey"_s, m_renameAfterBibkey);
    dictionary.insert(u"keep_full_path"_s, m_keepFullPath);
    if (!m_privilegedHost.isEmpty())
        dictionary.insert(u"privileged_host"_s, m_privilegedHost);
    if (!m_privilegedUser.isEmpty())
        dictionary.insert(u"privileged_user"_s, m_privilegedUser);
    if (!m_privilegedSince.isEmpty())
        dictionary.insert(u"privileged_since"_s, m_privilegedSince);
    return dictionary;
}

void LocalDatabaseProperties::makeCopyOf(const DatabaseProperties &other)
{
    RealDatabaseProperties::makeCopyOf(other);
    const auto *local = dynamic_cast<const LocalDatabaseProperties *>(&other);
    if (!local)
        return;
    m_fullPath = local->m_fullPath;
    m_filePath = local->m_filePath;
    m_fileName = local->m_fileName;
    m_encoding = local->m_encoding;
    m_lineEnding = local->m_lineEnding;
    m_fileAttachmentMode = local->m_fileAttachmentMode;
    m_attachmentPath = local->m_attachmentPath;
    m_renameAfterBibkey = local->m_renameAfterBibkey;
    m_keepFullPath = local->m_keepFullPath;
    m_privilegedHost = local->m_privilegedHost;
    m_privilegedUser = local->m_privilegedUser;
    m_privilegedSince = local->m_privilegedSince;
}

QString LocalDatabaseProperties::description() const
{
    const QString stored = storedDescription();
    if (!stored.isEmpty() || m_fileName.isEmpty())
        return stored;
    const qsizetype dot = m_fileName.lastIndexOf(u'.');
    return dot > 0 ? m_fileName.left(dot) : m_fileName;
}

void LocalDatabaseProperties::setFullPath(const QString &path)
{
    m_fullPath = path;
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0) {
        m_filePath.clear();
        m_fileName = path;
    } else {
        m_filePath = slash == 0 ? u"/"_s : path.left(slash);
        m_fileName = path.mid(slash + 1);
    }
}

QString LocalDatabaseProperties::relativeFilePath() const
{
    const QString home = QDir::homePath();
    if (m_filePath == home)
        return u"~"_s;
    if (m_filePath.startsWith(home + u'/'))
        return u'~' + m_filePath.mid(home.size());
    return m_filePath;
}

QString LocalDatabaseProperties::fullPathOfFile(const QString &path) const
{
    if (path.isEmpty())
        return m_filePath;
    if (!path.startsWith(u'/') && !path.contains(u':'))
        return m_filePath.endsWith(u'/') ? m_filePath + path : m_filePath + u'/' + path;
    return path;
}

QString LocalDatabaseProperties::relativePathOfFile(const QString &path) const
{
    if (path == m_filePath)
        return QString(u""_s);
    const QString prefix = m_filePath.endsWith(u'/') ? m_filePath : m_filePath + u'/';
    if (!m_filePath.isEmpty() && path.startsWith(prefix))
        return path.mid(prefix.size());
    return path;
}

QString LocalDatabaseProperties::consoleUserName()
{
    // The login name from the password database, as the reservation stores it.
    passwd entry{};
    passwd *found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) != 0 || !found ||
        !found->pw_name)
        return QString();
    return QString::fromLocal8Bit(found->pw_name);
}

QString LocalDatabaseProperties::computerName()
{
    return QSysInfo::machineHostName();
}

bool LocalDatabaseProperties::hasPrivilegeToWrite() const
{
    if (m_privilegedHost.isEmpty() && m_privilegedUser.isEmpty())
        return true;
    if (!m_privilegedHost.isEmpty() && m_privilegedHost != computerName())
        return false;
    if (m_privilegedUser.isEmpty())
        return true;
    return m_privilegedUser == consoleUserName();
}

void LocalDatabaseProperties::reserve()
{
    m_privilegedHost = computerName();
    m_privilegedUser = consoleUserName();
    m_privilegedSince = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
}

void LocalDatabaseProperties::release()
{
    m_privilegedHost.clear();
    m_privilegedUser.clear();
    m_privilegedSince.clear();
}
