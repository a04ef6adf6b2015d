#include "storage/ManualLibrary.h"

#include "core/ArchiveJson.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "model/ItemDatabase.h"
#include "prefs/BibPreferences.h"
#include "storage/RealDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString kArchiveKind = u"manlib"_s;
const QString kDescriptionKey = u"Description"_s;
const QString kItemListKey = u"Bib Item List"_s;
const QString kPromisedKey = u"PromisedID"_s;
// Only in the records of members whose citation key another member already
// uses: the member's own key (its list key then carries the database ID too).
const QString kOwnKeyKey = u"bibkey"_s;

// Every open (not loading) database of the tree that holds `node`.
void collectOpenDatabases(BibDatabase *node, QHash<QString, RealDatabase *> &byID)
{
    if (auto *real = dynamic_cast<RealDatabase *>(node)) {
        if (real->allItems())
            byID.insert(real->uniqueID(), real);
        return;
    }
    for (BibDatabase *child : node->children())
        collectOpenDatabases(child, byID);
}

BibDatabase *rootOf(BibDatabase *node)
{
    while (node->nodeParent())
        node = node->nodeParent();
    return node;
}

} // namespace

ManualLibrary::ManualLibrary(const QString &name)
    : BibDatabase(ManualLibraryKind, std::make_unique<ManucalLibProperties>())
{
    properties().setDescription(name.isEmpty() ? Texts::text(u"NewManualLibName") : name);
}

ManualLibrary::~ManualLibrary() = default;

std::unique_ptr<ManualLibrary> ManualLibrary::manualLibrary()
{
    return std::make_unique<ManualLibrary>();
}

std::unique_ptr<ManualLibrary> ManualLibrary::manualLibraryWithName(const QString &name)
{
    return std::make_unique<ManualLibrary>(name);
}

std::unique_ptr<ManualLibrary>
ManualLibrary::manualLibraryWithDictionary(const QVariantMap &dictionary)
{
    auto library = std::make_unique<ManualLibrary>();
    library->setProperties(
        ManucalLibProperties::propertiesWithDictionary(dictionary, library.get()));
    if (!library->readLibraryFile(library->libraryFilePath()))
        return nullptr;
    return library;
}

std::unique_ptr<ManualLibrary> ManualLibrary::manualLibraryWithFile(const QString &path)
{
    const QString name = QFileInfo(path).completeBaseName();
    auto library = std::make_unique<ManualLibrary>(name);
    if (!library->readLibraryFile(path))
        return nullptr;
    library->properties().setUniqueID(name);
    return library;
}

QString ManualLibrary::libraryFilePath(const QString &uniqueID)
{
    const std::optional<QString> folder = BibPreferences::quirefoldFolder();
    if (!folder || uniqueID.isEmpty())
        return {};
    return *folder + u'/' + uniqueID + u".manlib"_s;
}

bool ManualLibrary::readLibraryFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return false;
    QString errorKey;
    QString systemError;
    const std::optional<QVariant> root =
        ArchiveJson::readFile(path, kArchiveKind, errorKey, systemError);
    if (!root || root->typeId() != QMetaType::QVariantMap)
        return false;
    const QVariantMap content = root->toMap();
    if (const auto it = content.constFind(kDescriptionKey);
        it != content.constEnd() && !it->toString().isEmpty())
        properties().setDescription(it->toString());
    MemberList members;
    const QVariantMap stored = content.value(kItemListKey).toMap();
    for (auto it = stored.constBegin(); it != stored.constEnd(); ++it) {
        const QVariantMap fields = it->toMap();
        MemberRecord record;
        for (auto field = fields.constBegin(); field != fields.constEnd(); ++field)
            record.insert(field.key(), field->toString());
        members.insert(it.key(), record);
    }
    m_remainingItemsDic = std::move(members);
    // Reading the file is not a change of the library.
    setDirty(false);
    return true;
}

// ---- resolving and following databases

void ManualLibrary::loadRemainingItems()
{
    if (!m_remainingItemsDic)
        return;
    QHash<QString, RealDatabase *> openDatabases;
    collectOpenDatabases(rootOf(this), openDatabases);
    const MemberList members = std::exchange(m_remainingItemsDic, std::nullopt).value();
    for (auto it = members.constBegin(); it != members.constEnd(); ++it) {
        MemberRecord record = it.value();
        const QString key = record.contains(kOwnKeyKey) ? record.take(kOwnKeyKey) : it.key();
        BibItemPtr item;
        if (RealDatabase *database = openDatabases.value(record.value(kPromisedKey)))
            item = database->bibItemForKey(key);
        // A member whose database no longer holds its key stays as the stored
        // copy rather than being lost.
        if (!item)
            item = BibItem::bibItemOfKey(key, record);
        if (item)
            BibDatabase::appendBibItem(item);
    }
}

void ManualLibrary::databaseOpened(RealDatabase *database)
{
    if (m_remainingItemsDic || !database)
        return;
    std::vector<std::pair<BibItemPtr, BibItemPtr>> replaced;
    for (const BibItemPtr &member : m_itemList) {
        if (BibItemPtr live = member->identicalItemInDatabase(database))
            replaced.emplace_back(member, live);
    }
    for (auto &[member, live] : replaced)
        member->backupOriginal();
    for (auto &[member, live] : replaced)
        BibDatabase::removeBibItem(member, false);
    for (auto &[member, live] : replaced)
        BibDatabase::appendBibItem(live);
}

void ManualLibrary::databaseClosed(RealDatabase *database)
{
    for (const BibItemPtr &member : m_itemList)
        member->databaseClosed(database);
}

// ---- adding and removing

BibItemPtr ManualLibrary::addCopyOfBibItem(const BibItemPtr &item)
{
    if (!item || !item->database())
        return nullptr;
    BibItemPtr live = item->database()->bibItemForKey(item->bibKey());
    if (!live)
        return nullptr;
    BibDatabase::appendBibItem(live);
    return live;
}

bool ManualLibrary::removeBibItem(const BibItemPtr &item, bool)
{
    return BibDatabase::removeBibItem(item, false);
}

int ManualLibrary::removeBibItems(const BibItemList &items, bool)
{
    int removed = 0;
    for (const BibItemPtr &item : items) {
        if (item && containsItem(item.get()) && BibDatabase::removeBibItem(item, false))
            ++removed;
    }
    return removed;
}

// ---- the library file

QVariantMap ManualLibrary::makeFileDictionary() const
{
    QVariantMap list;
    for (const BibItemPtr &member : m_itemList) {
        const QMap<QString, QString> record = member->bibItemDictionaryForProperty();
        QVariantMap stored;
        for (auto it = record.constBegin(); it != record.constEnd(); ++it)
            stored.insert(it.key(), it.value());
        QString listKey = member->bibKey();
        if (list.contains(listKey)) {
            // Two members with one citation key (from different databases):
            // both are kept, the later one under a key no citation key can
            // have, with its own key in the record.
            stored.insert(kOwnKeyKey, member->bibKey());
            const QString base = listKey + u' ' + record.value(kPromisedKey);
            listKey = base;
            for (int n = 2; list.contains(listKey); ++n)
                listKey = base + u' ' + QString::number(n);
        }
        list.insert(listKey, stored);
    }
    return {{kDescriptionKey, description()}, {kItemListKey, list}};
}

bool ManualLibrary::saveManualLibs()
{
    if (!isDirty())
        return true;
    const QString path = libraryFilePath();
    if (path.isEmpty())
        return false;
    QVariantMap content = makeFileDictionary();
    if (m_remainingItemsDic) {
        // Members not resolved yet are written back as they were read.
        QVariantMap list = content.value(kItemListKey).toMap();
        for (auto it = m_remainingItemsDic->constBegin(); it != m_remainingItemsDic->constEnd();
             ++it) {
            if (list.contains(it.key()))
                continue;
            QVariantMap stored;
            for (auto field = it->constBegin(); field != it->constEnd(); ++field)
                stored.insert(field.key(), field.value());
            list.insert(it.key(), stored);
        }
        content.insert(kItemListKey, list);
    }
    QString errorKey;
    QString systemError;
    if (!ArchiveJson::writeFile(path, content, kArchiveKind, errorKey, systemError)) {
        fileOperationError(QF_KEY("BackupError_Save"), path);
        return false;
    }
    setDirty(false);
    return true;
}

void ManualLibrary::removeLibDataFile()
{
    trashLibDataFile();
}

bool ManualLibrary::trashLibDataFile()
{
    const QString path = libraryFilePath();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return true;
    // The trash lives in the data folder; it must exist before anything can go there.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!dataHome.isEmpty())
        QDir().mkpath(dataHome);
    QFile file(path);
    if (file.moveToTrash())
        return true;
    fileOperationError(QF_KEY("FileError_Remove"), path);
    return false;
}
