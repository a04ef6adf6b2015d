// The entry list's commands on the selected entries: whole entries through
// the clipboard, the copy formats, marks, removal, links, attachments and
// e-mail, and their undo.
#include "app/ItemListController.h"

#include "app/ActionRegistry.h"
#include "app/AttachmentCopier.h"
#include "app/CopyFormats.h"
#include "app/DBListController.h"
#include "app/ItemListModel.h"
#include "app/ItemListTableView.h"
#include "app/ItemListUndoCommand.h"
#include "app/ItemMimeData.h"
#include "core/AlertPresenter.h"
#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "storage/BibFileReader.h"
#include "storage/LocalDatabase.h"
#include "storage/LocalDatabaseProperties.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QUndoStack>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

// ---- copy and paste

void ItemListController::copy()
{
    const BibItemList items = selectedItems();
    if (items.empty())
        return;
    QGuiApplication::clipboard()->setMimeData(new ItemMimeData(items, false));
    updateActions();
}

void ItemListController::cut()
{
    const BibItemList items = selectedItems();
    BibDatabase *node = m_dbList->selectedDatabase();
    if (items.empty() || !node || node->kind() <= 3 || m_dbList->isLoading())
        return;
    copy();
    node->removeBibItems(items, false);
    pushUndo(int(ItemListUndoCommand::Change::Removed), *node, items, Texts::text(u"Undo_Cut"));
    m_dbList->reload(true);
}

BibItemList ItemListController::addCopyOfBibItems(const BibItemList &items, BibDatabase *target,
                                                  int &failed)
{
    failed = 0;
    BibItemList added;
    if (!target || target->kind() <= 3 || target->isLoading()) {
        failed = static_cast<int>(items.size());
        return added;
    }
    for (const BibItemPtr &item : items) {
        if (BibItemPtr copy = target->addCopyOfBibItem(item))
            added.push_back(std::move(copy));
        else
            ++failed;
    }
    return added;
}

bool ItemListController::paste()
{
    BibDatabase *node = m_dbList->selectedDatabase();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!node || node->kind() <= 3 || !data)
        return false;
    if (m_dbList->isLoading()) {
        AlertRequest request;
        request.title = Texts::text(u"CanNotProceed");
        request.message = Texts::text(u"NowLoadingMessage");
        request.defaultButton = Texts::text(u"OK");
        AlertPresenter::show(request);
        return false;
    }
    if (!ItemMimeData::hasItems(data)) {
        if (!data->hasText() || !node->isRealDatabase())
            return false;
        int failed = 0;
        const BibItemList added = pasteBibTeXText(data->text(), node, failed);
        if (added.empty() && failed == 0)
            return false;
        return finishPaste(*node, added, failed);
    }
    QString error;
    const BibItemList items = ItemMimeData::decodeItems(ItemMimeData::itemsData(data), error);
    if (!error.isEmpty() || items.empty()) {
        AlertRequest request;
        request.title = Texts::text(u"PasteFailed");
        request.message = Texts::text(error.isEmpty() ? u"PasteNothingMessage"_s : error);
        request.defaultButton = Texts::text(u"OK");
        AlertPresenter::show(request);
        return false;
    }
    int failed = 0;
    const BibItemList added = addCopyOfBibItems(items, node, failed);
    return finishPaste(*node, added, failed);
}

bool ItemListController::finishPaste(const BibDatabase &node, const BibItemList &added, int failed)
{
    pushUndo(int(ItemListUndoCommand::Change::Added), node, added, Texts::text(u"Undo_Paste"));
    m_dbList->reload(true);
    selectBibItems(added);
    if (failed > 0) {
        AlertRequest request;
        request.title = Texts::text(u"PasteFailed");
        request.message = Texts::format(u"PasteFailedMessage", {QString::number(failed)});
        request.defaultButton = Texts::text(u"OK");
        AlertPresenter::show(request);
    }
    return !added.empty();
}

BibItemList ItemListController::pasteBibTeXText(const QString &text, BibDatabase *target,
                                                int &failed)
{
    failed = 0;
    if (!text.contains(u'@') || !target || !target->isRealDatabase())
        return {};
    // Read by the file reader into a scratch database that lives until the
    // copies are made.
    LocalDatabase scratch;
    scratch.localProperties().setEncoding(TextEncodings::UTF8);
    std::atomic<bool> stop{false};
    std::atomic<int> count{0};
    BibFileContents contents;
    {
        BibFileReader reader(scratch, scratch.localProperties(), stop, count);
        reader.setForcedEncoding(TextEncodings::UTF8);
        // Words before the first entry (a page's heading) are not a problem.
        contents = reader.readBytes(text.mid(text.indexOf(u'@')).toUtf8());
    }
    if (!contents.errors.isEmpty()) {
        AlertRequest request;
        request.title = Texts::text(u"PasteTextProblems");
        request.message = Texts::format(u"PasteTextProblemsMessage", {contents.errors.join(u'\n')});
        request.defaultButton = Texts::text(u"OK");
        AlertPresenter::show(request);
        return {};
    }
    return addCopyOfBibItems(contents.items, target, failed);
}

void ItemListController::copyAsFormat(int format)
{
    const BibItemList items = selectedItems();
    if (items.empty())
        return;
    QGuiApplication::clipboard()->setText(CopyFormats::itemsText(items, format));
}

void ItemListController::copyAsRichList()
{
    const BibItemList items = selectedItems();
    if (items.empty())
        return;
    QGuiApplication::clipboard()->setMimeData(CopyFormats::richListData(items));
}

// ---- undo

void ItemListController::pushUndo(int change, const BibDatabase &node, const BibItemList &items,
                                  const QString &text)
{
    // Only nodes that can take entries back; smart libraries cannot.
    if (items.empty() || node.kind() <= 3)
        return;
    m_undoStack->push(new ItemListUndoCommand(
        m_dbList, static_cast<ItemListUndoCommand::Change>(change), node, items, text,
        [this](const BibItemList &added) { selectBibItems(added); }));
    updateActions();
}

// ---- key generation

void ItemListController::generateSelectedBibKeys()
{
    const BibItemList items = selectedItems();
    if (items.empty())
        return;
    if (items.size() == 1 && m_commitHandler)
        m_commitHandler();
    BibItemList stray;
    std::copy_if(items.begin(), items.end(), std::back_inserter(stray),
                 [](const BibItemPtr &item) { return item->strayItem(); });
    bool files = false;
    if (!stray.empty()) {
        const QString list = selectionListText(stray, files);
        const bool one = stray.size() == 1;
        AlertRequest request;
        request.title = Texts::text(one ? u"LockedAlert1" : u"LockedAlert");
        request.message =
            one ? Texts::format(u"LockedAlert1Message", {list})
                : Texts::format(u"LockedAlertMessage", {QString::number(stray.size()), list});
        request.defaultButton = Texts::text(u"OK");
        AlertPresenter::show(request);
        return;
    }
    const QString list = selectionListText(items, files);
    const bool one = items.size() == 1;
    AlertRequest request;
    request.title = Texts::text(one ? u"GenerateBibKey" : u"GenerateBibKeys");
    request.message =
        one ? Texts::format(u"GenerateBibKeyMessage", {list})
            : Texts::format(u"GenerateBibKeysMessage", {QString::number(items.size()), list});
    request.defaultButton = Texts::text(u"Cancel");
    request.alternateButton = Texts::text(u"Generate");
    if (AlertPresenter::show(request) != 0)
        return;
    std::vector<ItemListUndoCommand::KeyChange> changes;
    for (const BibItemPtr &item : items) {
        const QString before = item->bibKey();
        const QString key = item->generateBibKey();
        if (key.isEmpty() || key == before || !item->setFieldData(key, u"bibkey"_s))
            continue;
        changes.push_back({item, before, item->bibKey()});
    }
    if (changes.empty())
        return;
    m_undoStack->push(
        new ItemListUndoCommand(m_dbList, std::move(changes), Texts::text(u"Undo_GenerateKeys")));
    m_order.invalidate();
    m_dbList->reload(true);
    refleshItemList();
    updateActions();
}

// ---- marks

void ItemListController::markChanged(const BibItemPtr &item, bool marked)
{
    applyMarks({item}, marked);
}

void ItemListController::applyMarks(const BibItemList &items, bool marked)
{
    std::vector<std::pair<BibItemPtr, bool>> before;
    for (const BibItemPtr &item : items) {
        if (item->mark() == marked || item->strayItem())
            continue;
        before.emplace_back(item, item->mark());
        item->setMark(marked);
        m_dbList->bibItemChanged(*item);
        m_model->itemChanged(item.get());
    }
    if (before.empty())
        return;
    m_undoStack->push(new ItemListUndoCommand(m_dbList, std::move(before), marked,
                                              Texts::text(marked ? u"Undo_Mark" : u"Undo_Unmark")));
    updateActions();
}

void ItemListController::setMarks(bool selection, bool marked)
{
    applyMarks(selection ? selectedItems() : m_model->items(), marked);
    m_model->allChanged();
}

void ItemListController::toggleMarks()
{
    const BibItemList items = selectedItems();
    if (items.empty())
        return;
    // All marked become unmarked; otherwise all become marked.
    const bool allMarked = std::all_of(items.begin(), items.end(),
                                       [](const BibItemPtr &item) { return item->mark(); });
    setMarks(true, !allMarked);
}

void ItemListController::selectMarked(bool marked)
{
    BibItemList items;
    for (const BibItemPtr &item : m_model->items()) {
        if (item->mark() == marked)
            items.push_back(item);
    }
    selectBibItems(items);
}

// ---- removal

QString ItemListController::selectionListText(const BibItemList &items, bool &containsFiles) const
{
    containsFiles = std::any_of(items.begin(), items.end(), [](const BibItemPtr &item) {
        return item->fileState() >= 2 && item->fileState() <= 4;
    });
    QStringList keys;
    if (items.size() < 5) {
        for (const BibItemPtr &item : items)
            keys << item->bibKey();
        return keys.join(u", "_s);
    }
    for (size_t i = 0; i < 3; ++i)
        keys << items[i]->bibKey();
    return keys.join(u", "_s) + Texts::format(u"AndOthers", {QString::number(items.size() - 3)});
}

void ItemListController::removeBibItem()
{
    const BibItemList items = selectedItems();
    BibDatabase *node = m_dbList->selectedDatabase();
    if (items.empty() || !node)
        return;
    bool files = false;
    const QString list = selectionListText(items, files);
    const bool one = items.size() == 1;
    const QString count = QString::number(items.size());
    AlertRequest request;
    request.defaultButton = Texts::text(u"Cancel");
    if (node->isManualLib()) {
        request.title = Texts::text(one ? u"RemoveALibItem" : u"RemoveLibItems");
        request.message = one ? Texts::format(u"RemoveALibItemMessage", {list})
                              : Texts::format(u"RemoveLibItemsMessage", {count, list});
        request.alternateButton = Texts::text(u"Remove");
    } else if (files) {
        request.title = Texts::text(one ? u"RemoveAnItemWithAFile" : u"RemoveItemsWithFiles");
        request.message = one ? Texts::format(u"RemoveAnItemWithAFileMessage", {list})
                              : Texts::format(u"RemoveItemsWithFilesMessage", {count, list});
        request.alternateButton = Texts::text(u"RemoveItemOnly");
        request.otherButton = Texts::text(u"RemoveWithFile");
    } else {
        request.title = Texts::text(one ? u"RemoveAnItem" : u"RemoveItems");
        request.message = one ? Texts::format(u"RemoveAnItemMessage", {list})
                              : Texts::format(u"RemoveItemsMessage", {count, list});
        request.alternateButton = Texts::text(u"Remove");
    }
    const int answer = AlertPresenter::show(request);
    if (answer == 1)
        return;
    node->removeBibItems(items, files && answer == -1);
    pushUndo(int(ItemListUndoCommand::Change::Removed), *node, items, Texts::text(u"Undo_Remove"));
    m_dbList->reload(true);
}

// ---- links, attachments, e-mail

BibItemList ItemListController::commandItems(bool single) const
{
    BibItemList items = selectedItems();
    if (single && items.size() > 1)
        items.resize(1);
    return items;
}

bool ItemListController::confirmOpening(const QList<QUrl> &urls)
{
    const bool unsafe = std::any_of(urls.begin(), urls.end(), [](const QUrl &url) {
        return url.scheme() != u"http" && url.scheme() != u"https" && url.scheme() != u"doi" &&
               url.scheme() != u"mailto";
    });
    if (!unsafe && urls.size() <= 10)
        return true;
    QStringList shown;
    for (qsizetype i = 0; i < urls.size() && i < 5; ++i)
        shown << urls[i].toDisplayString();
    AlertRequest request;
    request.title = Texts::text(u"OpenLinksQuestion");
    request.message = Texts::format(unsafe ? u"OpenUnsafeLinksMessage" : u"OpenManyLinksMessage",
                                    {QString::number(urls.size()), shown.join(u"\n"_s)});
    request.defaultButton = Texts::text(u"Cancel");
    request.alternateButton = Texts::text(u"Open");
    return AlertPresenter::show(request) == 0;
}

void ItemListController::openURLs(bool single)
{
    QList<QUrl> urls;
    for (const BibItemPtr &item : commandItems(single)) {
        if (std::optional<QUrl> url = item->attachedURL()) {
            if (url->scheme() == u"doi")
                url = QUrl(u"https://doi.org/"_s + url->path());
            urls << *url;
        }
    }
    if (urls.isEmpty() || !confirmOpening(urls))
        return;
    for (const QUrl &url : std::as_const(urls))
        m_opener(url);
}

void ItemListController::openAttachments(bool single)
{
    QList<QUrl> urls;
    for (const BibItemPtr &item : commandItems(single)) {
        if (item->fileState() < 2 || item->fileState() > 4)
            continue;
        if (const std::optional<QString> path = item->attachedFile())
            urls << (item->fileState() == 4 ? QUrl(*path) : QUrl::fromLocalFile(*path));
    }
    if (urls.isEmpty() || !confirmOpening(urls))
        return;
    for (const QUrl &url : std::as_const(urls))
        m_opener(url);
}

void ItemListController::sendEmails(bool single)
{
    // Only plain address syntax; the address is percent-encoded, so a field
    // cannot add "?attach=" or other parameters.
    static const QRegularExpression address(QStringLiteral(
        "^[A-Za-z0-9.!#$%'*+/=^_`{|}~-]+@[A-Za-z0-9](?:[A-Za-z0-9.-]*[A-Za-z0-9])?$"));
    QList<QUrl> urls;
    for (const BibItemPtr &item : commandItems(single)) {
        const std::optional<QString> email = item->attachedEmail();
        if (!email)
            continue;
        const QString text = email->trimmed();
        if (!address.match(text).hasMatch())
            continue;
        urls << QUrl(u"mailto:"_s + QString::fromLatin1(QUrl::toPercentEncoding(text, "@")));
    }
    if (urls.isEmpty() || !confirmOpening(urls))
        return;
    for (const QUrl &url : std::as_const(urls))
        m_opener(url);
}

void ItemListController::copyAttachments()
{
    QStringList sources;
    for (const BibItemPtr &item : selectedItems()) {
        if (item->fileState() != 2 && item->fileState() != 3)
            continue;
        if (const std::optional<QString> path = item->attachedFile())
            sources << *path;
    }
    if (sources.isEmpty())
        return;
    const QString folder = m_folderChooser ? m_folderChooser() : QString();
    if (folder.isEmpty())
        return;
    const auto ask = [](const QString &title, const QString &message, const QString &first,
                        const QString &second, const QString &third) {
        AlertRequest request;
        request.title = title;
        request.message = message;
        request.defaultButton = first;
        request.alternateButton = second;
        request.otherButton = third;
        return AlertPresenter::show(request);
    };
    const QString destination = QFileInfo(folder).canonicalFilePath();
    for (const QString &source : std::as_const(sources)) {
        const QFileInfo info(source);
        const QString canonical = info.canonicalFilePath();
        const QString target = QDir(destination).filePath(info.fileName());
        // Never onto itself, never into itself.
        if (canonical.isEmpty() || canonical == QFileInfo(target).canonicalFilePath())
            continue;
        if (info.isDir() &&
            (destination == canonical || destination.startsWith(canonical + QDir::separator()))) {
            if (ask(Texts::text(u"FileOperationError"),
                    Texts::format(u"CopyIntoItselfMessage", {source}), Texts::text(u"Proceed"),
                    Texts::text(u"Stop"), QString()) != 1)
                break;
            continue;
        }
        if (QFileInfo::exists(target)) {
            const int answer =
                ask(Texts::text(u"FileExists"), Texts::format(u"FileExistsMessage", {target}),
                    Texts::text(u"Overwrite"), Texts::text(u"Skip"), Texts::text(u"Stop"));
            if (answer == 0)
                continue;
            if (answer == -1)
                break;
        }
        QString error;
        if (!AttachmentCopier::copyReplacing(source, target, error) &&
            ask(Texts::text(u"FileOperationError"),
                Texts::format(u"FileOperationErrorMessage", {error, target}),
                Texts::text(u"Proceed"), Texts::text(u"Stop"), QString()) != 1)
            break;
    }
}
