#include "prefs/BibPreferences.h"

#include "core/ArchiveJson.h"
#include "core/Texts.h"
#include "model/MacroList.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

using namespace Qt::StringLiterals;

// Loading, saving and generic access. The typed accessors are in
// BibPreferencesAccessors.cpp, the built-in tables in BibPreferencesDefaults.cpp,
// the support folder and tree file in BibPreferencesFiles.cpp.

namespace {

const QString kDamagedGroup = u"Damaged Settings"_s;

std::unique_ptr<QSettings> openSettings(const QString &path)
{
    if (path.isEmpty())
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           u"Quirefold"_s, u"Quirefold"_s);
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

std::optional<bool> booleanOf(const QVariant &stored)
{
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    const QString text = stored.toString().trimmed().toLower();
    if (text == u"true" || text == u"yes" || text == u"1")
        return true;
    if (text == u"false" || text == u"no" || text == u"0")
        return false;
    return std::nullopt;
}

bool isStringList(const QVariant &value)
{
    if (value.typeId() != QMetaType::QVariantList)
        return false;
    const QVariantList list = value.toList();
    return std::all_of(list.begin(), list.end(), [](const QVariant &element) {
        return element.typeId() == QMetaType::QString;
    });
}

bool isNumber(const QVariant &value)
{
    const int type = value.typeId();
    return type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::Double ||
           type == QMetaType::UInt || type == QMetaType::ULongLong;
}

// Whether a compound value has the shape its readers rely on.
bool isWellFormed(const QString &key, const QVariant &value)
{
    if (key == BibPreferences::kBibTypeDefinitions) {
        const QVariantMap types = value.toMap();
        for (const QVariant &definition : types) {
            const QVariantList parts = definition.toList();
            if (parts.size() != 3 || !isStringList(parts[0]) ||
                parts[1].typeId() != QMetaType::QVariantList || !isStringList(parts[2]) ||
                parts[0].toList().size() != parts[1].toList().size() || parts[2].toList().isEmpty())
                return false;
        }
        return true;
    }
    if (key == BibPreferences::kListViewDefinitions) {
        const QVariantMap columns = value.toMap();
        for (const QVariant &column : columns) {
            if (!isStringList(column) || column.toList().size() < 7)
                return false;
        }
        return true;
    }
    if (key == BibPreferences::kInputSupportButtons) {
        const QVariantList rows = value.toList();
        return std::all_of(rows.begin(), rows.end(), [](const QVariant &row) {
            return row.typeId() == QMetaType::QVariantList && row.toList().size() == 4;
        });
    }
    if (key == BibPreferences::kPredefinedMacros) {
        const QVariantList parts = value.toList();
        return parts.size() == 2 && isStringList(parts[0]) &&
               parts[1].typeId() == QMetaType::QVariantMap;
    }
    if (key == BibPreferences::kMainWindowFrame) {
        const QVariantList numbers = value.toList();
        return numbers.size() == 4 && std::all_of(numbers.begin(), numbers.end(), isNumber);
    }
    if (key == BibPreferences::kActiveTextEncodingList) {
        const QVariantList codes = value.toList();
        return std::all_of(codes.begin(), codes.end(), isNumber);
    }
    if (value.typeId() == QMetaType::QVariantList && key != BibPreferences::kMainWindowFrame)
        return isStringList(value);
    return true;
}

// Compound values are kept in the settings as JSON text in the archive
// encoding, so that they come back with their types.
QString compoundToText(const QVariant &value)
{
    QString errorKey;
    const std::optional<QJsonValue> json = ArchiveJson::toJson(value, errorKey);
    if (!json)
        return {};
    const QJsonDocument document =
        json->isArray() ? QJsonDocument(json->toArray()) : QJsonDocument(json->toObject());
    return QString::fromUtf8(document.toJson(QJsonDocument::Compact));
}

std::optional<QVariant> compoundFromText(const QVariant &stored)
{
    if (stored.typeId() != QMetaType::QString)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(stored.toString().toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    if (document.isArray())
        return ArchiveJson::fromJson(document.array());
    return ArchiveJson::fromJson(document.object());
}

} // namespace

const QList<std::pair<QString, BibPreferences::Kind>> &BibPreferences::loadList()
{
    static const QList<std::pair<QString, Kind>> list = {
        {kBibTypeDefinitions, Kind::Dictionary},
        {kBibKeyGenerationRule, Kind::Text},
        {kLastCreatedBibType, Kind::Text},
        {kListViewDefinitions, Kind::Dictionary},
        {kListColumnOrder, Kind::Array},
        {kPredefinedMacros, Kind::Array},
        {kListFontExpansion, Kind::Real},
        {kAuthorFontExpansion, Kind::Real},
        {kInputSupportButtons, Kind::Array},
        {kLastEditTab, Kind::Text},
        {kLastInputTab, Kind::Text},
        {kAutomaticOpenInputPanel, Kind::Boolean},
        {kCopyBibItemFormat, Kind::Integer},
        {kDatabaseFileTextEncoding, Kind::Integer},
        {kDatabaseFileLineEnding, Kind::Integer},
        {kOpenDetailInfoPanel, Kind::Boolean},
        {kMainWindowFrame, Kind::Array},
        {kDBListSplitWidth, Kind::Real},
        {kItemListSplitWidth, Kind::Real},
        {kSortKeyColumn, Kind::Text},
        {kSortOrder, Kind::Boolean},
        {kAutoSaveChanges, Kind::Boolean},
        {kAutoSaveInterval, Kind::Integer},
        {kNumberOfBackupFiles, Kind::Integer},
        {kCaseSensitiveQuickSearch, Kind::Boolean},
        {kConvertBackslashToYen, Kind::Boolean},
        {kLastSelectedDatabaseID, Kind::Text},
        {kLastSelectedDatabaseKind, Kind::Integer},
        {kActiveTextEncodingList, Kind::Array},
        {kPreferencesInitialized, Kind::Boolean},
        {kSmartAuthorPaste, Kind::Boolean},
        {kSmartTitlePaste, Kind::Boolean},
        {kProperNouns, Kind::Array},
        {kLongLowercaseWords, Kind::Array},
        {kShortCapitalWords, Kind::Array},
        {kSuppressWarningDatabases, Kind::Array},
        {kLastSelectedAuthors, Kind::Array},
        {kLastSelectedBibItems, Kind::Array},
        {kAuthorListFormat, Kind::Integer},
        {kAnnoteFieldIdentifier, Kind::Text},
        {kSearchFieldsTitle, Kind::Array},
        {kSearchFieldsJournal, Kind::Array},
        {kSearchFieldsAnnote, Kind::Array},
        {kListCopyAuthorFormat, Kind::Integer},
        {kListCopyAuthorSeparator, Kind::Text},
        {kListCopyAuthorAbbreviation, Kind::Boolean},
        {kListCopyAuthorNonAbbrevNumber, Kind::Integer},
        {kListCopyAuthorAbbrevNumber, Kind::Integer},
        {kListCopyPrefix, Kind::Integer},
        {kFieldFontSize, Kind::Real},
        {kListFontSize, Kind::Real},
        {kWriteUntouchedAsRead, Kind::Boolean},
        {kRecentAuthorSearches, Kind::Array},
    };
    return list;
}

const QStringList &BibPreferences::retiredKeys()
{
    static const QStringList keys = {
        u"Use Index Number for BibKey"_s,      u"HTML Numbered List Open Command"_s,
        u"HTML Numbered List Close Command"_s, u"HTML Numbered List Item Command"_s,
        u"HTML Bibkey List Open Command"_s,    u"HTML Bibkey List Close Command"_s,
        u"HTML Bibkey List Item Command"_s,    u"RTF Numbered List Open Command"_s,
        u"RTF Numbered List Close Command"_s,  u"RTF Numbered List Item Command"_s,
        u"RTF Bibkey List Open Command"_s,     u"RTF Bibkey List Close Command"_s,
        u"RTF Bibkey List Item Command"_s,     u"Edit Field Font Size"_s,
    };
    return keys;
}

BibPreferences::BibPreferences(const QString &settingsPath) : m_settingsPath(settingsPath)
{
    rebuildCommonMacro();
}

BibPreferences::~BibPreferences() = default;

namespace {
std::unique_ptr<BibPreferences> &globalInstance()
{
    static std::unique_ptr<BibPreferences> instance;
    return instance;
}
std::once_flag &globalOnce()
{
    static std::once_flag once;
    return once;
}
} // namespace

void BibPreferences::createGlobalObject()
{
    std::call_once(globalOnce(), [] {
        auto preferences = std::make_unique<BibPreferences>();
        preferences->setDefaults();
        preferences->loadPreferences();
        preferences->setDirty(true);
        globalInstance() = std::move(preferences);
    });
}

BibPreferences *BibPreferences::globalPreferences()
{
    createGlobalObject();
    return globalInstance().get();
}

QVariant BibPreferences::readStoredValue(QSettings &settings, const QString &key, Kind kind)
{
    const QVariant stored = settings.value(key);
    std::optional<QVariant> value;
    switch (kind) {
    case Kind::Text:
        if (stored.typeId() == QMetaType::QString)
            value = stored;
        else if (stored.typeId() == QMetaType::QStringList)
            value = QVariant(stored.toStringList().join(u", "_s));
        break;
    case Kind::Boolean:
        if (const std::optional<bool> flag = booleanOf(stored))
            value = QVariant(*flag);
        break;
    case Kind::Integer: {
        bool ok = false;
        const qlonglong number = stored.toString().trimmed().toLongLong(&ok);
        if (ok)
            value = QVariant(number);
        break;
    }
    case Kind::Real: {
        bool ok = false;
        const double number = stored.toString().trimmed().toDouble(&ok);
        if (ok)
            value = QVariant(number);
        break;
    }
    case Kind::Array:
    case Kind::Dictionary: {
        std::optional<QVariant> compound = compoundFromText(stored);
        const int wanted = kind == Kind::Array ? QMetaType::QVariantList : QMetaType::QVariantMap;
        if (compound && compound->typeId() == wanted && isWellFormed(key, *compound))
            value = compound;
        break;
    }
    }
    if (value)
        return *value;

    // Keep the damaged value aside (once) and say so; the default stays.
    const QString asideKey = kDamagedGroup + u'/' + key;
    if (!settings.contains(asideKey))
        settings.setValue(asideKey, stored);
    m_loadErrors.append(Texts::format(u"PrefsError_BadValue", {key}));
    return {};
}

void BibPreferences::loadPreferences()
{
    std::unique_ptr<QSettings> settings = openSettings(m_settingsPath);
    QStringList errors;
    bool readable = true;
    (void)settings->allKeys(); // the file is read on first use
    if (settings->status() != QSettings::NoError) {
        const QString path = settings->fileName();
        if (settings->status() == QSettings::FormatError && QFile::exists(path)) {
            // Unreadable as a whole: move it aside and start from the defaults.
            settings.reset();
            const QString aside = ArchiveJson::keepDamagedFile(path);
            errors.append(Texts::format(u"PrefsError_DamagedFile", {path, aside}));
            settings = openSettings(m_settingsPath);
        } else {
            errors.append(Texts::format(u"PrefsError_Unreadable", {path}));
            readable = false;
        }
    }

    QVariantMap loaded;
    {
        std::lock_guard lock(m_mutex);
        m_loadErrors = errors;
        m_storeUnreadable = !readable;
    }
    for (const auto &[key, kind] : loadList()) {
        if (!settings->contains(key))
            continue;
        QVariant value;
        {
            std::lock_guard lock(m_mutex);
            value = readStoredValue(*settings, key, kind);
        }
        if (value.isValid())
            loaded.insert(key, value);
    }
    {
        std::lock_guard lock(m_mutex);
        for (auto it = loaded.cbegin(); it != loaded.cend(); ++it)
            m_preferences.insert(it.key(), normalized(it.key(), it.value()));
    }
    rebuildCommonMacro();

    if (!readable)
        return; // write nothing over a file that could not be read
    for (const QString &key : retiredKeys())
        settings->remove(key);
    settings->sync();
}

bool BibPreferences::savePreferences()
{
    QVariantMap snapshot;
    {
        std::lock_guard lock(m_mutex);
        if (!m_dirty)
            return true;
        if (m_storeUnreadable)
            return false; // never write over settings that could not be read
        m_preferences.insert(kPreferencesInitialized, true);
        snapshot = m_preferences;
    }
    std::unique_ptr<QSettings> settings = openSettings(m_settingsPath);
    for (const auto &[key, kind] : loadList()) {
        const QVariant value = snapshot.value(key);
        if (!value.isValid()) {
            settings->remove(key);
        } else if (kind == Kind::Array || kind == Kind::Dictionary) {
            settings->setValue(key, compoundToText(value));
        } else {
            settings->setValue(key, value);
        }
    }
    for (auto it = snapshot.cbegin(); it != snapshot.cend(); ++it) {
        const bool known = std::any_of(loadList().begin(), loadList().end(),
                                       [&](const auto &entry) { return entry.first == it.key(); });
        if (known)
            continue;
        const QVariant &value = it.value();
        const bool compound = value.typeId() == QMetaType::QVariantList ||
                              value.typeId() == QMetaType::QVariantMap ||
                              value.typeId() == QMetaType::QStringList;
        settings->setValue(it.key(), compound ? QVariant(compoundToText(value)) : value);
    }
    settings->sync();
    if (settings->status() != QSettings::NoError)
        return false;
    std::lock_guard lock(m_mutex);
    m_dirty = false;
    return true;
}

QStringList BibPreferences::loadErrors() const
{
    std::lock_guard lock(m_mutex);
    return m_loadErrors;
}

bool BibPreferences::dirty() const
{
    std::lock_guard lock(m_mutex);
    return m_dirty;
}

void BibPreferences::setDirty(bool dirty)
{
    std::lock_guard lock(m_mutex);
    m_dirty = dirty;
}

bool BibPreferences::prefInitialized() const
{
    return get(kPreferencesInitialized).toBool();
}

QVariant BibPreferences::value(const QString &key) const
{
    return get(key);
}

void BibPreferences::setValue(const QString &key, const QVariant &value)
{
    put(key, value);
}

QVariantMap BibPreferences::dictionary() const
{
    std::lock_guard lock(m_mutex);
    return m_preferences;
}

QVariant BibPreferences::get(const QString &key) const
{
    std::lock_guard lock(m_mutex);
    return m_preferences.value(key);
}

QVariant BibPreferences::normalized(const QString &key, const QVariant &value)
{
    if (key == kFieldFontSize || key == kListFontSize)
        return QVariant(std::max(value.toDouble(), 10.0));
    if (key == kAutoSaveInterval)
        return QVariant(std::max(value.toLongLong(), qlonglong(1)));
    if (key == kNumberOfBackupFiles)
        return QVariant(std::max(value.toLongLong(), qlonglong(0)));
    if (key == kListCopyAuthorSeparator) {
        const QString separator = value.toString();
        if (separator == u",")
            return QVariant(u", "_s);
        if (separator == u";")
            return QVariant(u"; "_s);
    }
    return value;
}

void BibPreferences::put(const QString &key, const QVariant &value)
{
    std::lock_guard lock(m_mutex);
    if (value.isValid())
        m_preferences.insert(key, normalized(key, value));
    else
        m_preferences.remove(key);
    m_dirty = true;
}

QStringList BibPreferences::stringList(const QString &key) const
{
    return get(key).toStringList();
}
