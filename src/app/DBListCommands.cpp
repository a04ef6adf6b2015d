// The database list's commands: opening, creating, removing, saving and
// save-as, smart libraries, and drops on the tree.
#include "app/DBListController.h"

#include "app/DatabaseTreeModel.h"
#include "app/ItemListController.h"
#include "app/ItemMimeData.h"
#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "prefs/BibPreferences.h"
#include "settings/PropertySheets.h"
#include "storage/DatabaseGroup.h"
#include "storage/DatabaseSaver.h"
#include "storage/LibraryGroup.h"
#include "storage/LoadingCoordinator.h"
#include "storage/LocalDatabase.h"
#include "storage/ManualLibrary.h"
#include "storage/SmartLibrary.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QInputDialog>
#include <QMimeData>
#include <QTreeView>
#include <QUrl>

namespace {

AlertRequest canNotProceed()
{
    AlertRequest request;
    request.title = Texts::text(u"CanNotProceed");
    request.message = Texts::text(u"NowLoadingMessage");
    request.defaultButton = Texts::text(u"OK");
    return request;
}

// The local paths of a drop of files; empty when any of them is not a .bib file.
QStringList bibFilesOf(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    QStringList paths;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile() || !url.toLocalFile().endsWith(QStringLiteral(".bib")))
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}

} // namespace

DBListController::Choosers DBListController::defaultChoosers()
{
    Choosers choosers;
    choosers.openFiles = [this] {
        QFileDialog dialog(m_window, Texts::text(u"ChooseLocalDB"));
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setNameFilter(QStringLiteral("BibTeX (*.bib)"));
        dialog.setLabelText(QFileDialog::Accept, Texts::text(u"Open"));
        dialog.setWindowModality(Qt::WindowModal);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
    };
    choosers.newFile = [this] {
        QFileDialog dialog(m_window, Texts::text(u"CreateBibTitle"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(QStringLiteral("BibTeX (*.bib)"));
        dialog.setDefaultSuffix(QStringLiteral("bib"));
        dialog.setLabelText(QFileDialog::FileName, Texts::text(u"CreateAs"));
        dialog.setLabelText(QFileDialog::Accept, Texts::text(u"Create"));
        dialog.setWindowModality(Qt::WindowModal);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().first()
                   : QString();
    };
    choosers.saveAs = [this](const QString &message, SaveAsDialog::Choice &choice) {
        return SaveAsDialog::run(m_window, message, choice);
    };
    choosers.reopenEncoding = [this](LocalDatabase *database) -> std::optional<int> {
        return SaveAsDialog::chooseEncoding(
            m_window, Texts::format(u"Win_ReopenPrompt", {database->description()}),
            static_cast<int>(database->encoding()));
    };
    return choosers;
}

bool DBListController::refuseWhileLoading() const
{
    if (!isLoading())
        return false;
    AlertPresenter::show(canNotProceed());
    return true;
}

// ---- opening and creating

LocalDatabase *DBListController::appendLocalDatabase(const QString &path, bool canCreate)
{
    // The node tells the user itself when the file cannot be opened.
    LocalDatabase *database = m_coordinator->appendLocalDatabase(path, canCreate);
    if (!database)
        return nullptr;
    reload(false);
    selectDatabase(database);
    watchDatabase(database);
    Q_EMIT fileOpened(database->fullPath());
    return database;
}

void DBListController::openLocalDatabase()
{
    if (refuseWhileLoading())
        return;
    for (const QString &path : m_choosers.openFiles())
        appendLocalDatabase(path, false);
}

void DBListController::createNewDatabase()
{
    if (refuseWhileLoading())
        return;
    QString path = m_choosers.newFile();
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".bib")))
        path += QStringLiteral(".bib");
    appendLocalDatabase(path, true);
}

BibDatabase *DBListController::newItemParent() const
{
    BibDatabase *selected = selectedDatabase();
    if (!selected || selected->isLocalDatabase() || selected->isDatabaseNode())
        return rootNode();
    if (selected->isGroup())
        return selected;
    return selected->nodeParent() ? selected->nodeParent() : rootNode();
}

void DBListController::addNewNode(std::unique_ptr<BibDatabase> node, bool expand)
{
    BibDatabase *added = newItemParent()->insertChild(std::move(node), -1);
    if (expand)
        added->setExpanded(true);
    reload(false);
    selectDatabase(added);
    if (expand)
        m_tableDatabase->expand(m_model->indexOf(added));
    openPropertySheet(added);
}

QDialog *DBListController::openPropertySheet(BibDatabase *node)
{
    if (!node)
        return nullptr;
    return PropertySheets::open(*node, m_window, [this] { return rootNode(); });
}

void DBListController::createLibraryGroup()
{
    if (refuseWhileLoading())
        return;
    addNewNode(LibraryGroup::libGroup(), true);
}

void DBListController::createSmartLibrary()
{
    if (refuseWhileLoading())
        return;
    addNewNode(SmartLibrary::smartLibrary(), false);
}

void DBListController::createManualLibrary()
{
    if (refuseWhileLoading())
        return;
    std::unique_ptr<ManualLibrary> library = ManualLibrary::manualLibrary();
    BibDatabase *node = library.get();
    addNewNode(std::move(library), false);
    m_coordinator->setLibraryForPostProcess(node);
    // Taken at once rather than at the next tick.
    QMetaObject::invokeMethod(m_coordinator.get(), &LoadingCoordinator::checkLoading,
                              Qt::QueuedConnection);
}

// ---- removing

void DBListController::removeFromList()
{
    if (refuseWhileLoading())
        return;
    BibDatabase *node = selectedDatabase();
    if (!node || node->kind() < 2)
        return;
    if (node->isRealDatabase() && node->isDirty()) {
        AlertRequest request;
        request.title = Texts::text(u"RemoveDirty");
        request.message = Texts::format(u"RemoveDirtyMessage", {node->description()});
        request.defaultButton = Texts::text(u"Save");
        request.alternateButton = Texts::text(u"DiscardChanges");
        request.otherButton = Texts::text(u"Cancel");
        const int answer = AlertPresenter::show(request);
        if (answer == -1)
            return;
        // A database whose save failed stays in the tree with its changes.
        if (answer == 1 && !saveDatabaseChecked(node))
            return;
    } else if (node->isLibrary() || node->isLibraryGroup()) {
        AlertRequest request;
        request.title = Texts::text(node->isLibraryGroup() ? u"RemoveGroup" : u"RemoveLibrary");
        request.message =
            Texts::text(node->isLibraryGroup() ? u"RemoveGroupMessage" : u"RemoveLibraryMessage");
        request.defaultButton = Texts::text(u"Cancel");
        request.alternateButton = Texts::text(u"Remove");
        if (AlertPresenter::show(request) != 0)
            return;
        if (node->isLibraryGroup())
            node->removeAllChildren();
    }
    removeDatabase(node);
}

void DBListController::removeDatabase(BibDatabase *node)
{
    if (!node || node->kind() < 2 || !m_model->containsNode(node))
        return;
    Q_EMIT nodesClosing();
    if (node == selectedDatabase() ||
        (m_selected && m_model->containsNode(m_selected) && m_selected->isDescendantOfNode(node))) {
        // The selection moves to the row above.
        const QModelIndex above = m_tableDatabase->indexAbove(m_model->indexOf(node));
        m_selected = above.isValid() ? m_model->nodeOf(above) : databaseNode();
    }
    if (node == m_initialSelection)
        m_initialSelection = nullptr;
    if (auto *local = dynamic_cast<LocalDatabase *>(node)) {
        m_watcher->removePath(local->fullPath());
        m_knownStamps.remove(local->fullPath());
    }
    m_coordinator->forgetNode(node);
    std::unique_ptr<BibDatabase> removed = m_coordinator->removeDatabase(node);
    removed.reset();
    selectDatabase(m_selected);
    Q_EMIT selectionChanged();
    refleshStatus();
}

// ---- saving

bool DBListController::saveDatabaseChecked(BibDatabase *node)
{
    auto *local = dynamic_cast<LocalDatabase *>(node);
    if (local) {
        // What another program wrote since the last read is never overwritten unasked.
        if (!checkFileOnDisk(local) || !m_model->containsNode(node))
            return false;
    }
    const bool saved = node->saveDatabase();
    if (local && saved)
        rememberFileStamp(local);
    reload(false);
    return saved;
}

bool DBListController::saveSelection()
{
    BibDatabase *node = selectedDatabase();
    return node && node->isRealDatabase() && saveDatabaseChecked(node);
}

bool DBListController::saveDocuments()
{
    // Like the group's saveDocuments: in order, stopping at the first failure.
    for (LocalDatabase *database : localDatabases())
        if (database->isDirty() && !saveDatabaseChecked(database))
            return false;
    reload(false);
    return true;
}

int DBListController::unsavedDatabases(QString &names)
{
    rootNode()->saveManualLibs();
    return databaseNode()->unsavedDatabases(names);
}

void DBListController::saveSelectionAs()
{
    if (refuseWhileLoading())
        return;
    BibDatabase *node = selectedDatabase();
    if (!node || node->kind() < 2)
        return;
    auto *local = dynamic_cast<LocalDatabase *>(node);
    const QVariantMap defaults = node->defaultSaveOptions();
    SaveAsDialog::Choice choice;
    choice.encoding = defaults.value(DatabaseSaver::encodingKey()).toInt();
    choice.lineEnding = BibPreferences::lineEndingFromString(
        defaults.value(DatabaseSaver::lineFeedKey()).toString());
    QString message;
    if (local) {
        message = Texts::format(u"SaveAsMessage", {node->description()});
        choice.path = local->fullPath();
        choice.attachments = 2; // the file's own attachment paths stay as they are
    } else if (node->isLibrary()) {
        message = Texts::format(u"SaveLibAsDBMessage", {node->description()});
        choice.attachments = 1; // library entries come from several folders
    } else if (node->isLibraryGroup()) {
        message = Texts::format(u"SaveGroupAsDBMessage", {node->description()});
        choice.attachments = 1;
    } else {
        return;
    }
    if (!m_choosers.saveAs(message, choice))
        return;

    const QFileInfo info(choice.path);
    const QString target = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    LocalDatabase *owner = databaseNode()->findDatabaseWithFullPath(target);
    if (owner && owner != node) {
        AlertRequest request;
        request.title = Texts::text(u"Win_SaveAsOpenFile");
        request.message = Texts::format(u"Win_SaveAsOpenFileMessage", {target});
        request.defaultButton = Texts::text(u"OK");
        AlertPresenter::show(request);
        return;
    }
    if (owner == node) {
        // The node's own file: saved in place with the chosen encoding and line ending.
        local->localProperties().setEncoding(static_cast<unsigned>(choice.encoding));
        local->localProperties().setLineEnding(choice.lineEnding);
        local->setDirty(true);
        saveDatabaseChecked(local);
        return;
    }
    QVariantMap options;
    options.insert(DatabaseSaver::lineFeedKey(),
                   BibPreferences::stringFromLineEnding(choice.lineEnding));
    options.insert(DatabaseSaver::encodingKey(), static_cast<quint32>(choice.encoding));
    options.insert(DatabaseSaver::attachmentsKey(), choice.attachments);
    node->saveAsDatabase(target, options);
    reload(false);
}

// ---- smart libraries and loading

void DBListController::updateSmartLib()
{
    if (refuseWhileLoading())
        return;
    BibDatabase *node = selectedDatabase();
    if (node && node->isSmartLib() && node->manualUpdateOnLaunch(false))
        node->updateSmartLibrary(databaseNode());
    reload(true);
}

void DBListController::updateAllSmartLibs()
{
    if (refuseWhileLoading())
        return;
    rootNode()->updateSmartLibrary(databaseNode());
    reload(true);
}

void DBListController::searchDuplicates()
{
    if (refuseWhileLoading())
        return;
    BibDatabase *node = rootNode()->insertChild(SmartLibrary::smartLibraryForDupSearch(), -1);
    reload(false);
    selectDatabase(node);
    node->updateSmartLibrary(databaseNode());
}

void DBListController::stopLoadingDB()
{
    if (BibDatabase *node = selectedDatabase(); node && node->isLoading())
        node->setStopLoading(true);
}

// ---- drops

bool DBListController::acceptsDrop(const QMimeData *data, BibDatabase *target, int row) const
{
    if (!data)
        return false;
    if (data->hasFormat(DatabaseTreeModel::kNodeMimeType)) {
        BibDatabase *node = m_model->draggedNode(data);
        if (!node || node->isDatabaseNode() || !target)
            return false;
        BibDatabase *group = databaseNode();
        if (node->nodeParent() == group)
            return target == group && row >= 0;
        if (target == group || target->isDescendantOfNode(group))
            return false;
        // Never into itself or below itself, never into a leaf.
        if (target == node || target->isDescendantOfNode(node) || target->isLeaf())
            return false;
        // The database group stays the root's first child.
        if (target == rootNode() && row <= 0)
            return false;
        return true;
    }
    if (ItemMimeData::hasItems(data)) // entries go onto a database or a manual library
        return !isLoading() && target && target->kind() > 3 && row < 0;
    if (data->hasUrls())
        return !isLoading() && !bibFilesOf(data).isEmpty();
    return false;
}

bool DBListController::performDrop(const QMimeData *data, BibDatabase *target, int row)
{
    if (!acceptsDrop(data, target, row))
        return false;
    if (data->hasFormat(DatabaseTreeModel::kNodeMimeType)) {
        BibDatabase *node = m_model->draggedNode(data);
        const bool wasSelected = node == selectedDatabase();
        target->move(node, row);
        reload(!wasSelected);
        selectDatabase(node);
        return true;
    }
    if (ItemMimeData::hasItems(data)) {
        QString error;
        const BibItemList items = ItemMimeData::decodeItems(ItemMimeData::itemsData(data), error);
        int failed = 0;
        const BibItemList added = ItemListController::addCopyOfBibItems(items, target, failed);
        if (failed > 0) {
            AlertRequest request;
            request.title = Texts::text(u"PasteFailed");
            request.message = Texts::format(u"PasteFailedMessage", {QString::number(failed)});
            request.defaultButton = Texts::text(u"OK");
            AlertPresenter::show(request);
        }
        if (!added.empty())
            Q_EMIT itemsDropped(target, added);
        reload(target == selectedDatabase());
        return !added.empty();
    }
    bool any = false;
    for (const QString &path : bibFilesOf(data))
        any = appendLocalDatabase(path, false) || any;
    return any;
}
