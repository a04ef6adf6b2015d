#include "app/QFMainController.h"

#include "app/ActionRegistry.h"
#include "app/AuthorListController.h"
#include "app/DBListController.h"
#include "app/ExportPluginProtocol.h"
#include "app/HelpBook.h"
#include "app/ImportPluginProtocol.h"
#include "app/ItemListController.h"
#include "app/ItemListTableView.h"
#include "app/MainWindow.h"
#include "app/NodeIcons.h"
#include "app/PluginManager.h"
#include "app/RecentFiles.h"
#include "app/TreeItemChangeObserver.h"
#include "core/AlertPresenter.h"
#include "core/StringInputStream.h"
#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "editor/DetailInfoController.h"
#include "editor/FieldVerdict.h"
#include "editor/InputPaletteDock.h"
#include "editor/NewEntryController.h"
#include "editor/ProperNounsController.h"
#include "prefs/BibPreferences.h"
#include "prefs/WindowLayout.h"
#include "settings/DatabaseEditors.h"
#include "settings/EncodingPopup.h"
#include "settings/FileViewController.h"
#include "settings/LineEndingPopup.h"
#include "settings/PreferencesDialog.h"
#include "settings/WelcomeController.h"
#include "storage/DatabaseGroup.h"
#include "storage/LocalDatabase.h"
#include "storage/RealDatabase.h"
#include "tex/TeXtoHTML.h"
#include "tex/TeXtoText.h"
#include "tex/UnicodeToTeX.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QSessionManager>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <cstdlib>
#include <ctime>

using namespace Qt::StringLiterals;

namespace {

QFMainController *globalInstance = nullptr;

const char *const kHelpKeys[] = {
    "Win_Help_QuickStart", "Win_Help_Databases", "Win_Help_Editing",   "Win_Help_Attachments",
    "Win_Help_Searching",  "Win_Help_Libraries", "Win_Help_CopyLists", "Win_Help_Properties",
    "Win_Help_Settings",   "Win_Help_TipsAndFaq"};

} // namespace

QFMainController::QFMainController(QObject *parent) : QObject(parent)
{
    // The shared tables and the preferences exist before any window or file.
    m_appTerminatedByClosing = false;
    TextEncodings::createGlobalObject();
    TeXtoText::createGlobalObject();
    TeXtoHTML::createGlobalObject();
    UnicodeToTeX::createGlobalObject();
    if (!BibPreferences::globalPreferences())
        BibPreferences::createGlobalObject();
    StringInputStream::setupCharacterSets();
    globalInstance = this;
    awakeFromNib();
}

QFMainController::~QFMainController()
{
    m_itemObserver.reset();
    // Sheets still open go first: a dialog hiding itself while the window
    // is being torn down would hand the focus to half-destroyed widgets.
    if (m_mainWindow)
        qDeleteAll(m_mainWindow->findChildren<QDialog *>(Qt::FindDirectChildrenOnly));
    delete m_mainWindow;
    if (globalInstance == this)
        globalInstance = nullptr;
}

QFMainController *QFMainController::globalMainController()
{
    return globalInstance;
}

void QFMainController::awakeFromNib()
{
    // Node identifiers are drawn from the C generator.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    const int r = std::rand();
    for (int i = 0; i < r % 100; ++i)
        std::rand();

    m_mainWindow = new MainWindow;
    m_mainWindow->setWindowTitle(QStringLiteral("Quirefold[*]"));
    m_mainWindow->setWindowIcon(NodeIcons::applicationIcon());
    m_mainWindow->setCloseHandler([this] { return windowShouldClose(); });
    AlertPresenter::current(); // the window installs its own presenter in main()

    m_controllerDbList = new DBListController(m_mainWindow, this);
    m_controllerAuthorList = new AuthorListController(m_mainWindow, this);
    m_controllerItemList = new ItemListController(m_controllerDbList, m_mainWindow, this);
    m_itemObserver = std::make_unique<TreeItemChangeObserver>(m_controllerDbList);
    m_controllerWelcome = new WelcomeController(m_mainWindow, this);
    m_controllerDetail = new DetailInfoController(this);
    m_controllerFileView = new FileViewController(this);
    m_newEntry = new NewEntryController(m_controllerDbList, m_controllerDetail, this);
    connect(m_controllerDbList, &DBListController::stateChanged, m_controllerDetail,
            &DetailInfoController::databaseStateChanged);
    connectEditorToItemList();
    m_actions = new ActionRegistry(this);
    m_recentFiles = new RecentFiles(this);
    m_plugins = std::make_unique<PluginManager>();

    buildPanes();
    registerActions();
    buildMenus();

    // The frame and the panes from the preferences, kept on a screen and
    // within the panes' limits.
    const BibPreferences *prefs = BibPreferences::globalPreferences();
    QRect frame = prefs->windowFrame().toRect();
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    frame = WindowLayout::clampFrame(frame, screens);
    m_mainWindow->setGeometry(frame);
    m_splitView->setSizes(
        WindowLayout::paneWidths(frame.width(), prefs->dbSplitWidth(), prefs->itemSplitWidth()));

    m_actions->setTitle(TagShowDetail, QStringLiteral("MenuHideDetail"));
    if (!prefs->openDetailInfo())
        showDetail(false);

    connect(m_controllerDbList, &DBListController::stateChanged, this,
            &QFMainController::updateState);
    connect(m_controllerDbList, &DBListController::stateChanged, m_controllerFileView,
            &FileViewController::followItem);
    connect(m_controllerDbList, &DBListController::fileOpened, m_recentFiles, &RecentFiles::add);
    // The selected node's names go to the author list, whose selection
    // narrows the entry list.
    m_controllerAuthorList->setItemsSink(
        [this](BibItemList items) { m_controllerItemList->setItems(std::move(items)); });
    m_controllerItemList->setOpenHandler([this] { forceShowDetail(); });
    m_controllerItemList->setCommitHandler([this] { m_controllerDetail->fixCurrentItem(); });
    // The author and entry selections of the last session, by name and key.
    connect(m_controllerDbList, &DBListController::initialSelectionReady, this, [this] {
        const BibPreferences *saved = BibPreferences::globalPreferences();
        m_controllerAuthorList->selectAuthorsByNames(saved->lastSelectedAuthors());
        m_controllerItemList->selectItemsByBibkeys(saved->lastSelectedItems());
    });
    connect(m_controllerDbList, &DBListController::savingSettings, this, [this] {
        BibPreferences *saved = BibPreferences::globalPreferences();
        saved->setLastSelectedAuthors(m_controllerAuthorList->selectedAuthorNames());
        saved->setLastSelectedItems(m_controllerItemList->selectedBibKeys());
    });
    connect(m_controllerDbList, &DBListController::selectionChanged, this, [this] {
        const BibDatabase *node = m_controllerDbList->selectedDatabase();
        m_controllerItemList->mergeFieldNameList(node);
        m_controllerAuthorList->setAuthors(node ? node->allAuthors() : nullptr);
        m_actions->updateEnabled();
    });
    connect(m_recentFiles, &RecentFiles::openRequested, this,
            [this](const QString &path) { openFile(path); });
    connect(m_controllerDbList, &DBListController::selectionChanged, this, [this] {
        // The node's kind decides the titles of three commands.
        const BibDatabase *node = m_controllerDbList->selectedDatabase();
        if (!node)
            return;
        const bool real = node->isRealDatabase();
        const bool library = node->isLibrary();
        m_actions->setTitle(8010, real      ? u"GetInfoDB"_s
                                  : library ? u"GetInfoLib"_s
                                            : u"GetInfoGroup"_s);
        m_actions->setTitle(8011, real ? u"CloseDB"_s : library ? u"CloseLib"_s : u"CloseGroup"_s);
        m_actions->setTitle(7003, real      ? u"SaveDBAs"_s
                                  : library ? u"SaveLibAsDB"_s
                                            : u"SaveGroupAsDB"_s);
    });
    connect(
        qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state != Qt::ApplicationActive && !m_terminated && !m_controllerDbList->isLoading())
                saveCurrentSettings();
        });
    connect(qApp, &QGuiApplication::commitDataRequest, this, &QFMainController::commitData);
    updateState();
}

void QFMainController::buildPanes()
{
    m_splitView = new QSplitter(Qt::Horizontal, m_mainWindow);
    m_splitView->setObjectName(QStringLiteral("splitView"));
    m_splitView->setChildrenCollapsible(false);

    m_dbListSubPane = m_controllerDbList->view();
    m_dbListSubPane->setMinimumWidth(WindowLayout::kMinimumPane);
    m_dbListSubPane->setMaximumWidth(m_controllerDbList->maxColumnWidth());
    m_splitView->addWidget(m_dbListSubPane);

    m_authorListSubPane = m_controllerAuthorList->pane();
    m_authorListSubPane->setMinimumWidth(WindowLayout::kMinimumPane);
    m_splitView->addWidget(m_authorListSubPane);

    m_viewBibItems = new QSplitter(Qt::Vertical, m_splitView);
    m_viewBibItems->setObjectName(QStringLiteral("viewBibItems"));
    m_viewBibItems->setChildrenCollapsible(false);
    m_itemListSubPane = m_controllerItemList->pane();
    // The editor scrolls when the window is too low for all its slots, so the
    // entry list keeps its share of the height.
    auto *detailScroll = new QScrollArea(m_viewBibItems);
    detailScroll->setWidget(m_controllerDetail->view());
    detailScroll->setWidgetResizable(true);
    detailScroll->setFrameShape(QFrame::NoFrame);
    m_detailPane = detailScroll;
    m_viewBibItems->addWidget(m_itemListSubPane);
    m_viewBibItems->addWidget(m_detailPane);
    // The entry list takes the height the editor does not need.
    m_viewBibItems->setStretchFactor(0, 1);
    m_viewBibItems->setStretchFactor(1, 0);
    m_viewBibItems->setMinimumWidth(WindowLayout::kMinimumItemPane);
    m_splitView->addWidget(m_viewBibItems);
    m_splitView->setStretchFactor(1, 1);
    m_splitView->setStretchFactor(2, 1);
    m_mainWindow->setCentralWidget(m_splitView);
    m_mainWindow->addDockWidget(Qt::RightDockWidgetArea, m_controllerDetail->inputPanel());
    // The attachment viewer opens from the Window menu, beside the entry list,
    // and is open at start when it was open at the last close.
    m_mainWindow->addDockWidget(Qt::RightDockWidgetArea, m_controllerFileView->dock());
    m_controllerFileView->restoreOpenState();

    QStatusBar *status = m_mainWindow->statusBar();
    status->addWidget(m_controllerDbList->statusLabel(), 1);
    status->addPermanentWidget(m_controllerDbList->loadingIndicator());
}

void QFMainController::registerActions()
{
    DBListController *list = m_controllerDbList;
    const auto rule = [list](int tag) {
        return [list, tag] { return list->validateMenuItem(tag); };
    };
    ActionRegistry *a = m_actions;
    a->add(8000, u"Win_Action_Open"_s, QKeySequence::Open, rule(8000),
           [list] { list->openLocalDatabase(); });
    a->add(8001, u"Win_Action_New"_s, QKeySequence::New, rule(8001),
           [list] { list->createNewDatabase(); });
    a->add(8002, u"Win_Action_NewLibGroup"_s, QKeySequence(u"Ctrl+Shift+G"_s), rule(8002),
           [list] { list->createLibraryGroup(); });
    a->add(8003, u"Win_Action_NewSmartLib"_s, QKeySequence(u"Ctrl+Shift+L"_s), rule(8003),
           [list] { list->createSmartLibrary(); });
    a->add(8004, u"Win_Action_NewManualLib"_s, QKeySequence(u"Ctrl+Shift+M"_s), rule(8004),
           [list] { list->createManualLibrary(); });
    a->add(8010, u"Win_Action_Properties"_s, QKeySequence(u"Ctrl+I"_s), rule(8010),
           [list] { list->openPropertySheet(list->selectedDatabase()); });
    const auto editRealDatabase = [this, list](bool macros) {
        BibDatabase *node = list->selectedDatabase();
        if (!node || !node->isRealDatabase())
            return;
        auto *database = static_cast<RealDatabase *>(node);
        const auto root = [list] { return list->rootNode(); };
        if (macros)
            DatabaseEditors::openMacroEditor(*database, m_mainWindow, root);
        else
            DatabaseEditors::openPreambleEditor(*database, m_mainWindow, root);
    };
    a->add(8013, u"Win_Action_EditMacros"_s, QKeySequence(u"Ctrl+Alt+M"_s), rule(8013),
           [editRealDatabase] { editRealDatabase(true); });
    a->add(8014, u"Win_Action_EditPreambles"_s, QKeySequence(u"Ctrl+Alt+P"_s), rule(8014),
           [editRealDatabase] { editRealDatabase(false); });
    a->add(8011, u"Win_Action_Remove"_s, QKeySequence::Close, rule(8011),
           [list] { list->removeFromList(); });
    a->add(8012, u"Win_Action_StopLoading"_s, QKeySequence(u"Ctrl+."_s), rule(8012),
           [list] { list->stopLoadingDB(); });
    a->add(8015, u"Win_Action_SearchDuplicates"_s, QKeySequence(u"Ctrl+Shift+D"_s), rule(8015),
           [list] { list->searchDuplicates(); });
    a->add(8017, u"Win_Action_UpdateSmartLib"_s, QKeySequence(u"Ctrl+U"_s), rule(8017),
           [list] { list->updateSmartLib(); });
    a->add(8018, u"Win_Action_UpdateAllSmartLibs"_s, QKeySequence(u"Ctrl+Shift+U"_s), rule(8018),
           [list] { list->updateAllSmartLibs(); });
    a->add(7000, u"Win_Action_SaveAll"_s, QKeySequence(u"Ctrl+Alt+S"_s), rule(7000),
           [list] { list->saveDocuments(); });
    a->add(7002, u"Win_Action_Save"_s, QKeySequence::Save, rule(7002),
           [list] { list->saveSelection(); });
    a->add(7003, u"Win_Action_SaveAs"_s, QKeySequence(u"Ctrl+Shift+S"_s), rule(7003),
           [list] { list->saveSelectionAs(); });
    const auto idleLocal = [list] {
        const BibDatabase *node = list->selectedDatabase();
        return !list->isLoading() && node && node->isLocalDatabase();
    };
    a->add(TagReload, u"Win_Action_Reload"_s, QKeySequence(Qt::Key_F5), idleLocal,
           [list] { list->reloadSelectionFromDisk(); });
    a->add(TagReopenWithEncoding, u"Win_Action_ReopenWithEncoding"_s,
           QKeySequence(u"Ctrl+Shift+E"_s), idleLocal, [list] { list->reopenWithEncoding(); });
    a->add(
        TagReformatAll, u"Win_Action_ReformatAll"_s, QKeySequence(),
        [list] {
            const BibDatabase *node = list->selectedDatabase();
            if (list->isLoading() || !node || !node->isLocalDatabase())
                return false;
            const auto *local = static_cast<const LocalDatabase *>(node);
            return !local->readIncomplete() && FieldVerdict::readOnlyReasonOf(local).isEmpty();
        },
        [this] { reformatAllEntries(); });
    a->add(TagShowDetail, u"MenuHideDetail"_s, QKeySequence(u"Ctrl+Shift+I"_s), nullptr,
           [this] { openDetailInfoPanel(); });
    a->add(TagPreferences, u"Win_Action_Preferences"_s, QKeySequence(u"Ctrl+,"_s), nullptr,
           [this] { openPreferences(); });
    a->add(TagWordLists, u"Win_Action_WordLists"_s, QKeySequence(), nullptr, [this] {
        BibPreferences *prefs = BibPreferences::globalPreferences();
        ProperNounsController::editProperNouns(
            TitleSmartPaste::WordLists::fromPreferences(*prefs), m_mainWindow,
            [this, prefs](const TitleSmartPaste::WordLists &lists) {
                prefs->setProperNouns(lists.properNouns);
                prefs->setLongLowercaseWords(lists.lowercaseWords);
                prefs->setShortCaptalWords(lists.captalizeWords);
                relayPreferencesChanged(false, false);
            });
    });
    a->add(TagQuit, u"Win_Action_Quit"_s, QKeySequence(u"Ctrl+Q"_s), nullptr,
           [this] { applicationShouldTerminate(); });
    a->action(TagQuit)->setMenuRole(QAction::QuitRole);
    for (int tag = TagHelpFirst; tag <= TagHelpLast; ++tag) {
        a->add(tag, QString::fromLatin1(kHelpKeys[tag - TagHelpFirst]),
               tag == TagHelpFirst ? QKeySequence(QKeySequence::HelpContents) : QKeySequence(),
               nullptr, [this, tag] { showHelpTopic(tag); });
    }
    m_controllerDetail->registerActions(a);
    m_newEntry->registerActions(a);
    m_controllerItemList->registerActions(a);
    for (int tag : a->tags())
        m_mainWindow->addAction(a->action(tag)); // shortcuts work without a menu open
}

void QFMainController::buildMenus()
{
    QMenuBar *bar = m_mainWindow->menuBar();
    const auto addActions = [this](QMenu *menu, std::initializer_list<int> tags) {
        for (int tag : tags) {
            if (tag == 0)
                menu->addSeparator();
            else
                menu->addAction(m_actions->action(tag));
        }
    };
    QMenu *file = bar->addMenu(Texts::text(u"Win_Menu_File"));
    addActions(file, {8000});
    QMenu *recent = file->addMenu(Texts::text(u"Win_Menu_OpenRecent"));
    m_recentFiles->attach(recent, Texts::text(u"Win_Action_ClearRecent"));
    addActions(file, {8001, 0, 7002, 7003, 7000, 0, TagReload, TagReopenWithEncoding, 0, 8011, 0});
    m_menuImportPlugins = file->addMenu(Texts::text(u"Win_Menu_Import"));
    m_menuExportPlugins = file->addMenu(Texts::text(u"Win_Menu_Export"));
    file->addSeparator();
    addActions(file, {TagPreferences, TagWordLists, 0, TagQuit});

    QMenu *database = bar->addMenu(Texts::text(u"Win_Menu_Database"));
    addActions(database,
               {8002, 8003, 8004, 0, 8010, 8013, 8014, TagReformatAll, 8012, 0, 8017, 8018, 8015});
    QMenu *entry = bar->addMenu(Texts::text(u"Win_Menu_Entry"));
    addActions(entry,
               {NewEntryController::kTagAppendBibItem, 0, DetailInfoController::TagLockItemEdit,
                DetailInfoController::TagGenerateBibKey, 0});
    entry->addMenu(m_controllerDetail->macroMenu());
    entry->addAction(m_controllerDetail->inputPanel()->toggleViewAction());
    connect(entry, &QMenu::aboutToShow, m_actions, &ActionRegistry::updateEnabled);
    m_controllerItemList->buildMenu(bar);
    m_menuWindow = bar->addMenu(Texts::text(u"Win_Menu_Window"));
    addActions(m_menuWindow, {TagShowDetail});
    m_menuWindow->addAction(m_controllerFileView->dock()->toggleViewAction());
    m_menuWindow->addAction(m_controllerFileView->previousPageAction());
    m_menuWindow->addAction(m_controllerFileView->nextPageAction());
    QMenu *help = bar->addMenu(Texts::text(u"Win_Menu_Help"));
    for (int tag = TagHelpFirst; tag <= TagHelpLast; ++tag)
        help->addAction(m_actions->action(tag));
    for (QMenu *menu : {file, database, m_menuWindow, help})
        connect(menu, &QMenu::aboutToShow, m_actions, &ActionRegistry::updateEnabled);

    // The tree's context menu shares the same actions.
    QTreeView *tree = m_controllerDbList->view();
    for (int tag : std::initializer_list<int>{7002, 7003, TagReload, TagReopenWithEncoding, 8012,
                                              8017, 8010, 8011})
        tree->addAction(m_actions->action(tag));

    QToolBar *toolbar = m_mainWindow->addToolBar(Texts::text(u"Win_Menu_File"));
    toolbar->setObjectName(QStringLiteral("mainToolbar"));
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (int tag : {8000, 7002, 7000, 8003, 8015})
        toolbar->addAction(m_actions->action(tag));
}

void QFMainController::applicationWillFinishLaunching()
{
    m_plugins->loadPlugins();
    for (ImportPlugin *plugin : m_plugins->importPlugins())
        m_menuImportPlugins->addAction(plugin->pluginName())->setEnabled(false);
    for (ExportPlugin *plugin : m_plugins->exportPlugins())
        m_menuExportPlugins->addAction(plugin->pluginName())->setEnabled(false);
    m_menuImportPlugins->menuAction()->setVisible(!m_menuImportPlugins->isEmpty());
    m_menuExportPlugins->menuAction()->setVisible(!m_menuExportPlugins->isEmpty());

    if (!BibPreferences::globalPreferences()->prefInitialized())
        m_controllerWelcome->openWelcomeMessage();
    m_controllerDbList->reloadDatabases();
    updateState();
}

bool QFMainController::openFile(const QString &path)
{
    return m_controllerDbList->appendLocalDatabase(path, false) != nullptr;
}

bool QFMainController::runningWelcome() const
{
    return m_controllerWelcome->isRunning();
}

// ---- quitting

int QFMainController::askBeforeQuit()
{
    // The edit in progress first; a value not accepted is never dropped silently.
    if (!m_controllerDetail->commitBeforeQuit())
        return 0;
    QString names;
    const int count = m_controllerDbList->unsavedDatabases(names);
    if (count < 1)
        return -1;
    AlertRequest request;
    request.title = Texts::text(u"SaveBeforeQuit");
    request.message =
        Texts::format(count == 1 ? u"SaveBeforeQuitMessage1" : u"SaveBeforeQuitMessage", {names});
    request.defaultButton = Texts::text(u"SaveAll");
    request.alternateButton = Texts::text(u"Cancel");
    request.otherButton = Texts::text(u"DiscardChanges");
    return AlertPresenter::show(request);
}

bool QFMainController::applicationShouldTerminate()
{
    if (!m_appTerminatedByClosing) {
        const int answer = askBeforeQuit();
        if (answer == 0)
            return false;
        if (answer == 1 && !m_controllerDbList->saveDocuments())
            return false;
    }
    terminate();
    return true;
}

bool QFMainController::windowShouldClose()
{
    if (m_terminated)
        return true;
    const int answer = askBeforeQuit();
    if (answer == 0)
        return false;
    if (answer == 1 && !m_controllerDbList->saveDocuments())
        return false;
    m_appTerminatedByClosing = true;
    applicationShouldTerminate();
    return true;
}

void QFMainController::terminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    m_controllerDbList->stopAutoSave();
    // Files still loading are stopped first, so that the tree and the layout
    // are saved as well: the next start opens them again.
    m_controllerDbList->stopAllLoading();
    m_controllerDbList->rootNode()->saveManualLibs();
    saveCurrentSettings();
    Q_EMIT terminated();
}

void QFMainController::commitData(QSessionManager &manager)
{
    if (m_terminated)
        return;
    if (manager.allowsInteraction()) {
        const int answer = askBeforeQuit();
        const bool cancel = answer == 0 || (answer == 1 && !m_controllerDbList->saveDocuments());
        manager.release();
        if (cancel) {
            manager.cancel();
            return;
        }
    }
    m_appTerminatedByClosing = true;
    m_controllerDbList->stopAllLoading();
    m_controllerDbList->rootNode()->saveManualLibs();
    saveCurrentSettings();
}

void QFMainController::saveCurrentSettings()
{
    BibPreferences *prefs = BibPreferences::globalPreferences();
    prefs->setWindowFrame(QRectF(m_mainWindow->geometry()));
    const QList<int> sizes = m_splitView->sizes();
    if (sizes.size() == 3 && sizes[0] > 0) {
        prefs->setDBSplitWidth(sizes[0]);
        prefs->setItemSplitWidth(sizes[2]);
    }
    prefs->setOpenDetailInfo(m_detailShown);
    m_controllerFileView->storeOpenState();
    m_controllerDbList->saveCurrentSettings();
    m_controllerItemList->saveCurrentSettings();
    prefs->savePreferences();
}

// ---- the entry editor pane

void QFMainController::showDetail(bool show)
{
    m_detailShown = show;
    m_detailPane->setVisible(show);
    m_controllerDetail->showDetail(show);
    BibPreferences::globalPreferences()->setOpenDetailInfo(show);
    m_actions->setTitle(TagShowDetail, show ? u"MenuHideDetail"_s : u"MenuShowDetail"_s);
}

void QFMainController::forceShowDetail()
{
    if (!m_detailShown)
        showDetail(true);
}

void QFMainController::openDetailInfoPanel()
{
    showDetail(!m_detailShown);
}

void QFMainController::showHelpTopic(int tag)
{
    HelpBook::showHelpTopic(tag);
}

void QFMainController::relayPreferencesChanged(bool globalMacrosChanged, bool listFormatsChanged)
{
    const bool everyEntry = globalMacrosChanged || listFormatsChanged;
    if (everyEntry)
        setBusy(true);
    m_controllerDbList->prefsChanged(globalMacrosChanged, listFormatsChanged);
    m_controllerAuthorList->prefsChanged();
    m_controllerDetail->prefsChanged();
    m_controllerItemList->prefsChanged();
    if (everyEntry)
        setBusy(false);
    Q_EMIT preferencesChanged(globalMacrosChanged, listFormatsChanged);
}

void QFMainController::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    QProgressBar *indicator = m_controllerDbList->loadingIndicator();
    QStatusBar *status = m_mainWindow->statusBar();
    if (busy) {
        indicator->setVisible(true);
        status->showMessage(Texts::text(u"Win_ApplyingSettings"));
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        // The work that follows holds the main thread: paint the indicator now.
        status->repaint();
    } else {
        indicator->setVisible(m_controllerDbList->isLoading());
        status->clearMessage();
        QGuiApplication::restoreOverrideCursor();
    }
    Q_EMIT busyChanged(busy);
}

void QFMainController::reformatAllEntries()
{
    if (!m_actions->validate(TagReformatAll))
        return;
    auto *database = static_cast<LocalDatabase *>(m_controllerDbList->selectedDatabase());
    AlertRequest request;
    request.title = Texts::format(u"ReformatAll", {database->description()});
    request.message = Texts::text(u"ReformatAllMessage");
    request.defaultButton = Texts::text(u"ReformatAllButton");
    request.alternateButton = Texts::text(u"Cancel");
    if (AlertPresenter::show(request) != 1)
        return;
    database->reformatAllEntries();
    updateState();
}

bool QFMainController::validateMenuItem(int tag) const
{
    return m_actions->validate(tag);
}

void QFMainController::updateState()
{
    m_actions->updateEnabled();
    const BibDatabase *node = m_controllerDbList->selectedDatabase();
    QString title = QStringLiteral("Quirefold[*]");
    if (node && node->isRealDatabase())
        title = node->description() + QStringLiteral("[*] \u2014 Quirefold");
    m_mainWindow->setWindowTitle(title);
    m_mainWindow->setWindowModified(m_controllerDbList->databaseNode()->isDirty());
}

PreferencesDialog *QFMainController::openPreferences()
{
    saveCurrentSettings();
    m_controllerDbList->stopAutoSave();
    auto *dialog = new PreferencesDialog(*BibPreferences::globalPreferences(), m_mainWindow);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const PreferencesDialog::Changes changes =
            dialog->applyTo(*BibPreferences::globalPreferences());
        relayPreferencesChanged(changes.globalMacros, changes.listFormats);
    });
    connect(dialog, &QDialog::finished, m_controllerDbList, &DBListController::startAutoSave);
    dialog->open();
    return dialog;
}

// The editor shows the single entry selected in the entry list. When the
// editor keeps the entry it shows (a value it could not accept is still being
// edited), the list's selection goes back to that entry.
void QFMainController::connectEditorToItemList()
{
    connect(m_controllerItemList->view()->selectionModel(), &QItemSelectionModel::selectionChanged,
            this, [this] {
                if (m_followingSelection)
                    return;
                const BibItemList selected = m_controllerItemList->selectedItems();
                const std::shared_ptr<BibItem> item =
                    selected.size() == 1 ? selected.front() : std::shared_ptr<BibItem>();
                m_controllerFileView->setItem(item);
                if (item == m_controllerDetail->currentItem() || m_controllerDetail->setItem(item))
                    return;
                m_followingSelection = true;
                if (const std::shared_ptr<BibItem> &kept = m_controllerDetail->currentItem())
                    m_controllerItemList->selectBibItems({kept});
                m_followingSelection = false;
            });
    connect(m_newEntry, &NewEntryController::itemAppended, this,
            [this](const std::shared_ptr<BibItem> &item) {
                m_followingSelection = true;
                m_controllerItemList->refleshItemList();
                m_controllerItemList->selectBibItems({item});
                m_followingSelection = false;
            });
}
