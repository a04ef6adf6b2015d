#include "storage/LocalDatabase.h"

#include "core/Texts.h"
#include "model/BibItem.h"
#include "model/MacroList.h"
#include "storage/BibFileReader.h"
#include "storage/LoadingCoordinator.h"
#include "storage/StoragePrefs.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <semaphore>

using namespace Qt::StringLiterals;

LocalDatabase::LocalDatabase()
    : RealDatabase(LocalDatabaseKind, std::make_unique<LocalDatabaseProperties>())
{}

LocalDatabase::~LocalDatabase()
{
    m_stopLoading.store(true);
    if (m_loadingThread.joinable())
        m_loadingThread.join();
    if (LoadingCoordinator *coordinator = controllerDbList())
        coordinator->forgetNode(this);
    // Items may outlive their database (libraries, the pasteboard): they become
    // stray. Once the indexes let go, an item held by nobody else dies with the
    // list and needs no stray form.
    m_bibKeyList.clear();
    m_authorList.clear();
    for (const BibItemPtr &item : m_itemList) {
        if (item.use_count() > 1 && item->database() == static_cast<ItemDatabase *>(this))
            item->databaseClosed(this);
    }
}

std::unique_ptr<LocalDatabase> LocalDatabase::localDatabaseWithFile(const QString &path,
                                                                    bool canCreate)
{
    auto database = std::make_unique<LocalDatabase>();
    if (!database->loadFromFile(path, canCreate))
        return nullptr;
    return database;
}

std::unique_ptr<LocalDatabase>
LocalDatabase::localDatabaseWithDictionary(const QVariantMap &dictionary)
{
    auto database = std::make_unique<LocalDatabase>();
    database->setProperties(
        LocalDatabaseProperties::propertiesWithDictionary(dictionary, database.get()));
    if (!database->loadFromFile(database->fullPath(), false))
        return nullptr;
    return database;
}

bool LocalDatabase::loadFromFile(const QString &path, bool canCreate)
{
    m_itemList.clear();
    itemListChanged();
    m_authorList.clear();
    m_bibKeyList.clear();
    {
        std::lock_guard lock(m_handOverMutex);
        m_readingErrors = QStringList();
        m_fileDatabaseID.reset();
    }
    m_loadingCompleted = false;
    setDirty(false);
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        if (!canCreate || path.isEmpty()) {
            fileOperationError(u"FileError_NotExists"_s, path);
            return false;
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            fileOperationError(u"FileError_Create"_s, path);
            return false;
        }
        file.close();
        m_loadingCompleted = true;
        localProperties().setFullPath(path);
        return true;
    }
    localProperties().setFullPath(path);
    return true;
}

// ---- loading

void LocalDatabase::startLoading()
{
    if (m_loadingCompleted)
        return;
    m_loadingCompleted = true;
    if (m_loadingThread.joinable())
        m_loadingThread.join();
    m_completedOnMainThread = false;
    RealDatabase::startLoading();
    m_loadingThread = std::thread([this] { loadFileInThread(); });
}

namespace {

// Files read at the same time: every database has its loading thread, but
// only this many read at once, so that opening hundreds of files does not
// hold them all in memory half-read.
std::counting_semaphore<64> &readingSlots()
{
    static std::counting_semaphore<64> slots(
        static_cast<std::ptrdiff_t>(std::clamp(std::thread::hardware_concurrency(), 2u, 64u)));
    return slots;
}

} // namespace

void LocalDatabase::loadFileInThread()
{
    if (StoragePrefs::runningWelcome()) {
        // The first-start questions decide the default encoding and line ending.
        while (StoragePrefs::runningWelcome() && !m_stopLoading.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        localProperties().setEncoding(StoragePrefs::databaseEncoding());
        localProperties().setLineEnding(StoragePrefs::databaseLineMode());
    }

    bool slot = false;
    while (!slot && !m_stopLoading.load())
        slot = readingSlots().try_acquire_for(std::chrono::milliseconds(50));
    BibFileReader reader(*this, localProperties(), m_stopLoading, m_numLoading);
    reader.setEditFormsOnly(m_loadEditFormsOnly);
    reader.setForcedEncoding(m_readEncoding);
    BibFileContents contents = reader.readFile();
    if (slot)
        readingSlots().release();

    // Hand-over: the lists become this database's own. Nothing else reads them
    // until the node reports that it is no longer loading.
    m_itemList = std::move(contents.items);
    itemListChanged();
    m_bibKeyList = std::move(contents.keyIndex);
    m_commentList = std::move(contents.comments);
    m_preambleList = std::move(contents.preambles);
    m_localMacro = std::move(contents.macros);
    m_unreadTextList = std::move(contents.unreadTexts);
    m_keptText = std::move(contents.keptText);
    m_readIncomplete = !contents.complete;
    m_encodingChangedOnRead = contents.encodingChanged;
    // The encoding the text was read in is the one a save writes.
    if (contents.encoding != 0)
        localProperties().setEncoding(contents.encoding);
    makeAuthorList();
    setDirty(!contents.errors.isEmpty());
    {
        std::lock_guard lock(m_handOverMutex);
        m_fileDatabaseID = contents.fileDatabaseID;
        if (contents.errors.isEmpty())
            m_readingErrors.reset();
        else
            m_readingErrors = std::move(contents.errors);
    }
    finishLoading();
}

void LocalDatabase::finishLoading()
{
    bool hasErrors = false;
    {
        std::lock_guard lock(m_handOverMutex);
        hasErrors = m_readingErrors.has_value();
    }
    // With errors the database stays loading until the user has seen them.
    if (!hasErrors)
        m_nowLoading.store(false);
    if (LoadingCoordinator *coordinator = controllerDbList())
        coordinator->databaseFinishedLoading(this);
}

void LocalDatabase::completeLoadingOnMainThread()
{
    if (m_completedOnMainThread)
        return;
    m_completedOnMainThread = true;
    std::optional<QString> fileID;
    QStringList errors;
    {
        std::lock_guard lock(m_handOverMutex);
        fileID = m_fileDatabaseID;
        if (m_readingErrors)
            errors = *m_readingErrors;
    }
    const qsizetype before = errors.size();
    if (fileID) {
        LoadingCoordinator *coordinator = controllerDbList();
        LocalDatabase *other = coordinator ? coordinator->findDatabaseOfID(*fileID) : nullptr;
        if (other && other != this) {
            errors.append(Texts::format(u"ReadError_IdAlreadyUsed", {*fileID, uniqueID()}));
        } else {
            properties().setUniqueID(*fileID);
        }
    }
    const LocalDatabaseProperties &props = localProperties();
    if (!props.hasPrivilegeToWrite()) {
        if (!StoragePrefs::suppressWarning(uniqueID()))
            errors.append(Texts::format(u"ReadError_NoPrivilegeToWrite",
                                        {props.privilegedUser(), props.privilegedHost()}));
    } else {
        StoragePrefs::removeSuppressDatabase(uniqueID());
    }
    if (errors.size() != before) {
        std::lock_guard lock(m_handOverMutex);
        m_readingErrors = errors;
    }
    if (!errors.isEmpty()) {
        setDirty(true);
        m_nowLoading.store(true);
    }
}

void LocalDatabase::waitForLoading()
{
    if (m_loadingThread.joinable())
        m_loadingThread.join();
    completeLoadingOnMainThread();
}

void LocalDatabase::setWaitingStatus(int status)
{
    RealDatabase::setWaitingStatus(status);
    m_nowLoading.store(status == 1);
}

std::optional<QStringList> LocalDatabase::readingErrors() const
{
    std::lock_guard lock(m_handOverMutex);
    return m_readingErrors;
}

// ---- the file

void LocalDatabase::setFileAttachmentMode(int mode)
{
    localProperties().setFileAttachmentMode(mode);
    setDirty(true);
}

void LocalDatabase::setAttachmentPath(const QString &path)
{
    localProperties().setAttachmentPath(path);
    setDirty(true);
}

void LocalDatabase::setRenameAfterBibkey(bool rename)
{
    localProperties().setRenameAfterBibkey(rename);
    setDirty(true);
}

bool LocalDatabase::isDirty() const
{
    // While loading, the properties belong to the loading thread.
    if (isLoading())
        return false;
    if (!localProperties().hasPrivilegeToWrite())
        return false;
    return RealDatabase::isDirty();
}
