// The attachment side of a database file: storing attached files beside the
// database, removing entries with their files, and the property changes that
// rewrite the entries' "file" and "database" fields.
#include "storage/LocalDatabase.h"

#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "storage/AttachmentManager.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

AttachmentManager::Settings LocalDatabase::attachmentSettings() const
{
    AttachmentManager::Settings settings;
    settings.mode = fileAttachmentMode();
    settings.attachmentFolder = fullPathOf(attachmentPath());
    settings.renameAfterBibkey = renameAfterBibkey();
    settings.keepFullPath = keepFullPath();
    settings.relativePathOf = [this](const QString &path) { return relativePathOf(path); };
    return settings;
}

std::optional<QString> LocalDatabase::appendAttachments(const QStringList &paths, BibItem &item,
                                                        bool append)
{
    AttachmentManager::Failure failure;
    const QString current = item.attachedFile().value_or(QString());
    auto result = AttachmentManager::appendAttachments(paths, item.bibKey(), current, append,
                                                       attachmentSettings(), failure);
    if (!result && !failure.key.isEmpty())
        fileOperationError(failure.key, failure.path);
    return result;
}

QString LocalDatabase::nameForFile(const QString &key)
{
    return AttachmentManager::nameForFile(key);
}

std::optional<QString> LocalDatabase::createTargetFolder(const QString &folder,
                                                         const QString &name)
{
    return AttachmentManager::createTargetFolder(folder, name);
}

bool LocalDatabase::checkAttachmentFolder(const QString &path)
{
    return AttachmentManager::checkAttachmentFolder(path);
}

bool LocalDatabase::checkOverwriteFile(const QString &path)
{
    AttachmentManager::Failure failure;
    if (AttachmentManager::checkOverwriteFile(path, failure))
        return true;
    if (!failure.key.isEmpty())
        fileOperationError(failure.key, failure.path);
    return false;
}

bool LocalDatabase::moveFileToUserTrash(const QString &path)
{
    return AttachmentManager::moveFileToUserTrash(path);
}

bool LocalDatabase::removeBibItem(const BibItemPtr &item, bool removeFile)
{
    if (!item || !containsItem(item.get()))
        return true;
    // The path before the entry leaves the database (it is relative to it).
    const std::optional<QString> attached = item->attachedFile();
    const int state = item->checkFileState();
    if (!RealDatabase::removeBibItem(item, removeFile))
        return false;
    if (removeFile && (state == 2 || state == 3) && attached) {
        const QFileInfo info(*attached);
        if (info.exists() || info.isSymLink())
            return moveFileToUserTrash(*attached);
    }
    return true;
}

int LocalDatabase::removeBibItems(const BibItemList &items, bool removeFile)
{
    // Someone else's reserved file never loses its attached files.
    if (!localProperties().hasPrivilegeToWrite())
        removeFile = false;
    QStringList problems;
    for (const BibItemPtr &item : items) {
        if (!removeBibItem(item, removeFile))
            problems << item->bibKey();
    }
    if (!problems.isEmpty()) {
        AlertRequest request;
        request.title = Texts::text(u"RemoveFailed");
        request.defaultButton = Texts::text(u"OK");
        if (problems.size() == 1) {
            request.message = Texts::format(u"RemoveFailed1Message", {problems.first()});
        } else {
            QString keys = problems.mid(0, 10).join(u", "_s);
            if (problems.size() > 10)
                keys += u", ..."_s;
            request.message = Texts::format(u"RemoveFailedMessage",
                                            {QString::number(problems.size()), keys});
        }
        AlertPresenter::show(request);
    }
    return static_cast<int>(items.size()) - static_cast<int>(problems.size());
}

void LocalDatabase::openProperty()
{
    m_prevKeepFullPath = keepFullPath();
    m_prevDescription = description();
}

void LocalDatabase::propertiesChanged()
{
    if (keepFullPath() != m_prevKeepFullPath)
        remakeFilePath();
    const bool descriptionChanged = description() != m_prevDescription;
    if (descriptionChanged)
        remakeDescription();
    m_prevKeepFullPath = keepFullPath();
    m_prevDescription = description();
    announcePropertiesChanged(descriptionChanged);
}

void LocalDatabase::remakeFilePath()
{
    const bool keep = keepFullPath();
    for (const BibItemPtr &item : m_itemList)
        item->remakeFilePath(keep);
}

void LocalDatabase::remakeDescription()
{
    const QString text = description();
    for (const BibItemPtr &item : m_itemList)
        item->remakeDescription(text);
}
