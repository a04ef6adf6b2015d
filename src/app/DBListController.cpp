#include "app/DBListController.h"

#include "app/DatabaseTreeModel.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"
#include "storage/DatabaseGroup.h"
#include "storage/LoadingCoordinator.h"
#include "storage/LocalDatabase.h"
#include "storage/ManualLibrary.h"
#include "storage/SmartLibrary.h"
#include "storage/StoragePrefs.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QTimer>
#include <QTreeView>

namespace {

DBListController *globalInstance = nullptr;

} // namespace

DBListController::DBListController(QWidget *window, QObject *parent)
    : QObject(parent), m_window(window), m_coordinator(std::make_unique<LoadingCoordinator>())
{
    globalInstance = this;
    SmartLibrary::registerLibraryKinds();
    m_model = new DatabaseTreeModel([this] { return m_coordinator->rootNode(); }, this);
    m_model->setDropHooks([this](const QMimeData *data, BibDatabase *target,
                                 int row) { return acceptsDrop(data, target, row); },
                          [this](const QMimeData *data, BibDatabase *target, int row) {
                              return performDrop(data, target, row);
                          });

    m_tableDatabase = new QTreeView(window);
    m_tableDatabase->setObjectName(QStringLiteral("databaseTree"));
    m_tableDatabase->setAccessibleName(Texts::text(u"Win_Pane_Databases"));
    m_tableDatabase->setModel(m_model);
    m_tableDatabase->setHeaderHidden(true);
    m_tableDatabase->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tableDatabase->setDragDropMode(QAbstractItemView::DragDrop);
    m_tableDatabase->setDefaultDropAction(Qt::MoveAction);
    m_tableDatabase->setDropIndicatorShown(true);
    m_tableDatabase->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_tableDatabase->setUniformRowHeights(true);
    // Long names keep their counts in sight.
    m_tableDatabase->setTextElideMode(Qt::ElideMiddle);
    m_tableDatabase->setIndentation(14);
    connect(m_tableDatabase, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        if (BibDatabase *node = m_model->nodeOf(index); node && !m_restoring)
            node->setExpanded(true);
    });
    connect(m_tableDatabase, &QTreeView::collapsed, this, [this](const QModelIndex &index) {
        if (BibDatabase *node = m_model->nodeOf(index); node && !m_restoring)
            node->setExpanded(false);
    });
    connect(m_tableDatabase->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (m_restoring)
                    return;
                m_selected = m_model->nodeOf(current);
                Q_EMIT selectionChanged();
                Q_EMIT stateChanged();
            });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        // The view forgot its selection and expansion: give them back.
        restoreExpansion();
        selectDatabase(m_model->containsNode(m_selected) ? m_selected : databaseNode());
    });

    m_statusText = new QLabel(window);
    m_statusText->setObjectName(QStringLiteral("databaseStatus"));
    m_statusText->setAccessibleName(Texts::text(u"Win_Status"));
    m_loadingIndicator = new QProgressBar(window);
    m_loadingIndicator->setObjectName(QStringLiteral("loadingIndicator"));
    m_loadingIndicator->setRange(0, 0);
    m_loadingIndicator->setMaximumWidth(120);
    m_loadingIndicator->setAccessibleName(Texts::text(u"Win_Loading"));
    m_loadingIndicator->setVisible(false);

    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &DBListController::fileChanged);

    connect(m_coordinator.get(), &LoadingCoordinator::reloadRequested, this,
            &DBListController::reload);
    connect(m_coordinator.get(), &LoadingCoordinator::selectionChangeRequested, this,
            &DBListController::selectionChanged);
    connect(m_coordinator.get(), &LoadingCoordinator::loadingStarted, this,
            &DBListController::loadingStarted);
    connect(m_coordinator.get(), &LoadingCoordinator::loadingFinished, this,
            &DBListController::loadingFinished);
    connect(m_coordinator.get(), &LoadingCoordinator::databaseReady, this,
            &DBListController::databaseReady);
    connect(m_coordinator.get(), &LoadingCoordinator::databaseDropped, this,
            [this](const QString &description) {
                showNote(Texts::format(u"Win_StatusDropped", {description}));
            });

    m_choosers = defaultChoosers();
    refleshStatus();
    startAutoSave();
}

DBListController::~DBListController()
{
    stopAutoSave();
    if (globalInstance == this)
        globalInstance = nullptr;
}

DBListController *DBListController::globalDBListController()
{
    return globalInstance;
}

BibDatabase *DBListController::rootNode() const
{
    return m_coordinator->rootNode();
}

DatabaseGroup *DBListController::databaseNode() const
{
    return m_coordinator->databaseNode();
}

void DBListController::setChoosers(Choosers choosers)
{
    m_choosers = std::move(choosers);
}

bool DBListController::isLoading() const
{
    return m_coordinator->isLoading();
}

bool DBListController::initialLoading() const
{
    return m_coordinator->initialLoading();
}

// ---- start-up restore

void DBListController::reloadDatabases()
{
    m_coordinator->reloadDatabases();
    scanManualLibraries();
    for (LocalDatabase *database : localDatabases())
        watchDatabase(database);
    reload(false);
    refleshStatus();
    selectDatabase(databaseNode());
    restoreExpansion();
    const BibPreferences *prefs = BibPreferences::globalPreferences();
    const QString lastID = prefs->lastSelectedDatabase();
    const std::optional<int> lastKind = prefs->lastSelectedDbKind();
    if (!lastID.isEmpty() && lastKind)
        m_initialSelection = selectDatabaseID(lastID, *lastKind);
}

void DBListController::scanManualLibraries()
{
    const std::optional<QString> folder = BibPreferences::quirefoldFolder();
    if (!folder)
        return;
    const QStringList known = rootNode()->getManualLibFiles();
    const QDir dir(*folder);
    const QStringList names = dir.entryList({QStringLiteral("*.manlib")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        if (known.contains(path) || known.contains(QFileInfo(path).canonicalFilePath()))
            continue;
        if (std::unique_ptr<ManualLibrary> library = ManualLibrary::manualLibraryWithFile(path)) {
            BibDatabase *node = rootNode()->insertChild(std::move(library), -1);
            m_coordinator->setLibraryForPostProcess(node);
        }
    }
}

void DBListController::restoreExpansion()
{
    m_restoring = true;
    std::vector<BibDatabase *> groups;
    rootNode()->expandedGroups(groups);
    for (BibDatabase *group : groups)
        m_tableDatabase->expand(m_model->indexOf(group));
    m_restoring = false;
}

void DBListController::stopAllLoading()
{
    for (LocalDatabase *database : localDatabases()) {
        if (database->isLoading() && database->waitingStatus() == 0) {
            database->setStopLoading(true);
            database->waitForLoading();
        }
    }
}

// ---- loading events

void DBListController::loadingStarted()
{
    m_loadingIndicator->setVisible(true);
    refleshStatus();
    Q_EMIT stateChanged();
}

void DBListController::loadingFinished()
{
    m_loadingIndicator->setVisible(false);
    // The saved author and entry selections return with the saved node.
    const bool restore = m_initialSelection && m_initialSelection == selectedDatabase();
    m_initialSelection = nullptr;
    if (restore)
        Q_EMIT initialSelectionReady();
    refleshStatus();
    Q_EMIT stateChanged();
}

void DBListController::databaseReady(BibDatabase *node)
{
    if (auto *local = dynamic_cast<LocalDatabase *>(node))
        rememberFileStamp(local);
    if (node == m_initialSelection && node == selectedDatabase()) {
        // Restored once the lists show the node (the reload that follows).
        m_restoreSelections = node->isRealDatabase();
        m_initialSelection = nullptr;
    }
}

// ---- selection, outline and status

BibDatabase *DBListController::selectedDatabase() const
{
    return m_model->containsNode(m_selected) ? m_selected : nullptr;
}

void DBListController::selectDatabase(BibDatabase *node)
{
    if (!m_model->containsNode(node))
        return;
    const QModelIndex index = m_model->indexOf(node);
    const bool changed = node != m_selected;
    m_selected = node;
    m_restoring = true;
    m_tableDatabase->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_restoring = false;
    if (changed)
        Q_EMIT selectionChanged();
    Q_EMIT stateChanged();
}

BibDatabase *DBListController::selectDatabaseID(const QString &uniqueID, int kind)
{
    BibDatabase *node = rootNode()->findDatabaseID(uniqueID, kind);
    if (node)
        selectDatabase(node);
    return node;
}

void DBListController::reload(bool selectionChanged)
{
    m_model->refresh();
    refleshStatus();
    if (selectionChanged)
        Q_EMIT this->selectionChanged();
    if (m_restoreSelections) {
        m_restoreSelections = false;
        Q_EMIT initialSelectionReady();
    }
    Q_EMIT stateChanged();
}

QString DBListController::statusText() const
{
    int numLocal = 0, numRemote = 0, numSmart = 0, numManual = 0;
    rootNode()->getNumLocal(numLocal, numRemote, numSmart, numManual);
    const int databases = numLocal + numRemote;
    const int libraries = numSmart + numManual;
    QString dbText = Texts::text(databases <= 1 ? u"DatabaseStatus1" : u"DatabaseStatus");
    dbText.replace(QStringLiteral("<D>"), QString::number(databases));
    QString libText = Texts::text(libraries <= 1 ? u"LibraryStatus1" : u"LibraryStatus");
    libText.replace(QStringLiteral("<L>"), QString::number(libraries));
    return Texts::format(u"Win_StatusJoin", {dbText, libText});
}

void DBListController::refleshStatus()
{
    QString text = statusText();
    if (isLoading()) {
        QStringList loading;
        for (LocalDatabase *database : localDatabases())
            if (database->isLoading())
                loading << QStringLiteral("%1 (%2)").arg(
                    database->description(), QLocale().toString(database->numLoading()));
        if (!loading.isEmpty())
            text = Texts::format(u"Win_StatusLoading", {loading.join(QStringLiteral(", "))});
    }
    if (!m_note.isEmpty())
        text += QStringLiteral(" \u2014 ") + m_note;
    m_statusText->setText(text);
}

void DBListController::showNote(const QString &note)
{
    m_note = note;
    refleshStatus();
    // A note stays a while, then the plain counts come back.
    QTimer::singleShot(15000, this, [this, note] {
        if (m_note == note) {
            m_note.clear();
            refleshStatus();
        }
    });
}

namespace {

// Every entry of the tree forgets its list cells; they are made again, in the
// new format, when a list shows them.
void forgetListCells(const BibDatabase *node)
{
    if (const BibItemList *items = node->allItems())
        for (const BibItemPtr &item : *items)
            item->makeAttributedStringForList();
    for (const BibDatabase *child : node->children())
        forgetListCells(child);
}

} // namespace

void DBListController::prefsChanged(bool globalMacrosChanged, bool listFormatsChanged)
{
    // Changed macros change the entries' values, so every entry is expanded
    // again (which makes its list cells anew). A changed list format alone
    // leaves the values as they are: only the list cells go, which is what
    // keeps applying it quick with a large file open.
    if (globalMacrosChanged)
        rootNode()->prefsChanged();
    else if (listFormatsChanged)
        forgetListCells(rootNode());
    stopAutoSave();
    startAutoSave();
    reload(true);
}

bool DBListController::validateMenuItem(int tag) const
{
    const bool idle = !isLoading();
    const BibDatabase *selected = selectedDatabase();
    switch (tag) {
    case 8000:
    case 8001:
    case 8002:
    case 8003:
    case 8004:
    case 8015:
        return idle;
    case 8010:
    case 8011:
        return selected && selected->kind() >= 2 && !selected->isLoading();
    case 8012:
        return selected && selected->isLoading();
    case 8013:
    case 8014:
        return idle && selected && selected->isRealDatabase();
    case 8017:
        return idle && selected && selected->isSmartLib() &&
               const_cast<BibDatabase *>(selected)->manualUpdateOnLaunch(false);
    case 8018:
        return idle && rootNode()->containsManualSmartLib();
    case 7000:
        return idle && databaseNode()->isDirty();
    case 7002:
        return idle && selected && selected->isRealDatabase() && selected->isDirty();
    case 7003:
        return idle && selected && selected->kind() >= 2;
    default:
        return true;
    }
}

void DBListController::saveCurrentSettings()
{
    StoragePrefs::setDbTreeDictionary(rootNode()->makeTreeDictionary());
    BibPreferences *prefs = BibPreferences::globalPreferences();
    if (const BibDatabase *selected = selectedDatabase()) {
        prefs->setLastSelectedDbKind(selected->kind());
        prefs->setLastSelectedDatabase(selected->uniqueID());
    }
    Q_EMIT savingSettings();
}

void DBListController::bibItemChanged(BibItem &item)
{
    Q_EMIT itemChanged(&item);
    rootNode()->resetNeedsUpdate();
    if (rootNode()->bibItemChanged(item.shared_from_this())) {
        const BibDatabase *selected = selectedDatabase();
        reload(selected && selected->needsUpdate());
    } else {
        reload(false);
    }
}

QList<LocalDatabase *> DBListController::localDatabases() const
{
    QList<LocalDatabase *> list;
    for (BibDatabase *child : databaseNode()->children())
        if (auto *local = dynamic_cast<LocalDatabase *>(child))
            list << local;
    return list;
}

LocalDatabase *DBListController::databaseOfPath(const QString &path) const
{
    for (LocalDatabase *database : localDatabases())
        if (database->fullPath() == path)
            return database;
    return nullptr;
}
