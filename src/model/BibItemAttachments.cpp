// The attachment side of an entry: the state of its attached file, the
// attached file, URL and e-mail, and attaching new files through the database.
#include "model/BibItem.h"

#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "storage/AttachmentManager.h"
#include "storage/BibDatabase.h"
#include "storage/RealDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

const QString kFileField = u"file"_s;

bool isRemote(ItemDatabase *database)
{
    const auto *node = dynamic_cast<const BibDatabase *>(database);
    return node && node->kind() == BibDatabase::RemoteDatabaseKind;
}

// Attaches `paths` to `item` in place of the attachment at `current`.
std::optional<QString> replaceAttachment(RealDatabase &database, BibItem &item,
                                         const QStringList &paths, const QString &current)
{
    // The old attachment waits beside itself, under its own name, until the
    // new one is in place: a copy that fails or an overwrite the user declines
    // puts it back, and the entry never names a file that went to the trash.
    const QFileInfo info(current);
    QTemporaryDir aside(info.absolutePath() + u"/.replacing-XXXXXX"_s);
    aside.setAutoRemove(false);
    const QString kept = aside.filePath(info.fileName());
    if (!aside.isValid() || !QDir().rename(current, kept)) {
        if (aside.isValid())
            QDir().rmdir(aside.path());
        BibDatabase::fileOperationError(QF_KEY("FileError_Remove"), current);
        return std::nullopt;
    }
    const std::optional<QString> placed = database.appendAttachments(paths, item, false);
    if (!placed) {
        if (QDir().rename(kept, current))
            QDir().rmdir(aside.path());
        else
            BibDatabase::fileOperationError(QF_KEY("FileError_Move"), kept);
        return std::nullopt;
    }
    if (AttachmentManager::moveFileToUserTrash(kept))
        QDir().rmdir(aside.path());
    else
        BibDatabase::fileOperationError(QF_KEY("FileError_Remove"), kept);
    return placed;
}

} // namespace

int BibItem::checkFileState()
{
    const QString stored = fieldDataForEdit(kFileField);
    if (stored.isEmpty()) {
        m_fileState = 0;
        setFileIcon(QString());
        return m_fileState;
    }
    static const QMimeDatabase mimes;
    if (isRemote(m_masterDatabase)) {
        m_fileState = 4;
        setFileIcon(mimes.mimeTypeForFile(stored, QMimeDatabase::MatchExtension).iconName());
        return m_fileState;
    }
    const QString path = attachedFile().value_or(QString());
    const QFileInfo info(path);
    if (!info.exists()) {
        m_fileState = 1;
        setFileIcon(QString());
    } else if (info.isDir()) {
        m_fileState = 3;
        setFileIcon(u"folder"_s);
    } else {
        m_fileState = 2;
        setFileIcon(mimes.mimeTypeForFile(info).iconName());
    }
    return m_fileState;
}

std::optional<QString> BibItem::attachedFile() const
{
    const QString stored = fieldDataForEdit(kFileField);
    if (stored.isEmpty())
        return std::nullopt;
    return m_masterDatabase ? m_masterDatabase->fullPathOf(stored) : stored;
}

std::optional<QUrl> BibItem::attachedURL() const
{
    const QString text = fieldDataForView(u"url"_s).trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const QUrl url = QUrl::fromUserInput(text);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

std::optional<QString> BibItem::attachedEmail() const
{
    const QString text = fieldDataForView(u"email"_s).trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

void BibItem::setAttachment(const QString &path)
{
    if (path.isEmpty()) {
        removeField(kFileField);
        displayFormsForChange().remove(kFileField);
    } else {
        setQuotedField(kFileField, path);
    }
    checkFileState();
    touch();
}

void BibItem::remakeFilePath(bool keepFull)
{
    const QString stored = fieldDataForEdit(kFileField);
    if (stored.isEmpty() || !m_masterDatabase)
        return;
    const bool relative = QDir::isRelativePath(stored) && !stored.contains(u':');
    QString changed = stored;
    if (keepFull && relative)
        changed = m_masterDatabase->fullPathOf(stored);
    else if (!keepFull && !relative)
        changed = m_masterDatabase->relativePathOf(stored);
    if (changed != stored)
        setAttachment(changed);
}

void BibItem::remakeDescription(const QString &description)
{
    setSpecialField(u"database"_s, description);
    displayFormsForChange().insert(u"database"_s, description);
    makeAttributedStringForList();
}

std::optional<QString> BibItem::appendAttachments(const QStringList &paths, bool interactive)
{
    auto *database = dynamic_cast<RealDatabase *>(m_masterDatabase);
    if (!database || paths.isEmpty())
        return std::nullopt;
    const int state = checkFileState();
    const bool hasAttachment = state == 2 || state == 3;
    bool append = hasAttachment;
    if (interactive && hasAttachment) {
        const QString current = attachedFile().value_or(QString());
        AlertRequest request;
        request.title = state == 2 ? Texts::text(u"ItemHasFile") : Texts::text(u"ItemHasFolder");
        request.message = state == 2 ? Texts::format(u"ItemHasFileMessage", {current})
                                     : Texts::format(u"ItemHasFolderMessage", {current});
        request.defaultButton = Texts::text(u"Append");
        request.alternateButton = Texts::text(u"Replace");
        request.otherButton = Texts::text(u"Cancel");
        const int answer = AlertPresenter::show(request);
        if (answer == -1)
            return std::nullopt;
        if (answer == 0)
            return replaceAttachment(*database, *this, paths, current);
    }
    return database->appendAttachments(paths, *this, append);
}

std::optional<QString> BibItem::appendAttachment(const QString &path, bool interactive)
{
    return appendAttachments(QStringList{path}, interactive);
}
