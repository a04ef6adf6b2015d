#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class ActionRegistry;
class AuthorListController;
class DBListController;
class ItemListController;
class DetailInfoController;
class FileViewController;
class NewEntryController;
class MainWindow;
class PluginManager;
class PreferencesDialog;
class QLabel;
class QMenu;
class QSessionManager;
class QSplitter;
class QWidget;
class RecentFiles;
class TreeItemChangeObserver;
class WelcomeController;

// The application controller, created first: it makes the shared converters
// and the preferences store, builds the main window with its three panes
// (database tree, authors, entries with the editor below) from the stored
// layout, registers every command once, loads the plug-ins, restores the
// database tree, opens the files handed to the program and guards quitting
// with one save-or-discard question. Owns the window and its controllers.
// One instance; main thread only.
class QFMainController : public QObject
{
    Q_OBJECT

public:
    // Command tags that are not the database list's.
    enum Tag
    {
        TagShowDetail = 8200,
        TagQuit = 9901,
        TagReload = 9902,
        TagReopenWithEncoding = 9903,
        TagPreferences = 9904,
        TagReformatAll = 9905,
        TagWordLists = 9906,
        TagHelpFirst = 8900,
        TagHelpLast = 8909
    };

    explicit QFMainController(QObject *parent = nullptr);
    ~QFMainController() override;
    QFMainController(const QFMainController &) = delete;
    QFMainController &operator=(const QFMainController &) = delete;

    static QFMainController *globalMainController();

    MainWindow *mainWindow() const { return m_mainWindow; }
    DBListController *controllerDbList() const { return m_controllerDbList; }
    AuthorListController *controllerAuthorList() const { return m_controllerAuthorList; }
    ItemListController *controllerItemList() const { return m_controllerItemList; }
    ActionRegistry *actions() const { return m_actions; }
    QSplitter *splitView() const { return m_splitView; }
    QWidget *detailPane() const { return m_detailPane; }
    DetailInfoController *controllerDetail() const { return m_controllerDetail; }
    FileViewController *controllerFileView() const { return m_controllerFileView; }
    NewEntryController *newEntryController() const { return m_newEntry; }
    RecentFiles *recentFiles() const { return m_recentFiles; }
    WelcomeController *welcomeController() const { return m_controllerWelcome; }
    PluginManager *pluginManager() const { return m_plugins.get(); }

    // Plug-ins, the first-start sheet when the preferences were never saved,
    // then the database tree.
    void applicationWillFinishLaunching();
    // Opens a file handed to the program; true when a database came back.
    bool openFile(const QString &path);

    // ---- quitting
    // 1 save all, 0 cancel, -1 discard (also when nothing is unsaved).
    int askBeforeQuit();
    // The quit command: asks (unless the window's close asked already) and terminates.
    bool applicationShouldTerminate();
    // The window's close: asks once, then terminates.
    bool windowShouldClose();
    // Stops the loaders, saves the libraries, the tree, the layout and the
    // preferences, and tells the program to end (terminated()).
    void terminate();
    bool hasTerminated() const { return m_terminated; }

    void saveCurrentSettings();

    // ---- the entry editor pane
    void showDetail(bool show);
    void forceShowDetail();
    void openDetailInfoPanel();
    bool isDetailShown() const { return m_detailShown; }

    void showHelpTopic(int tag);
    bool runningWelcome() const;
    // The settings dialog accepted new settings: tell every list. When the
    // entries are formatted anew the busy indicator shows while it runs.
    void relayPreferencesChanged(bool globalMacrosChanged, bool listFormatsChanged);
    bool isBusy() const { return m_busy; }
    // Saves the settings, stops auto-save and opens the preferences dialog
    // (window-modal; it returns at once). On OK the values are written and
    // announced; auto-save starts again when the dialog closes.
    PreferencesDialog *openPreferences();
    bool validateMenuItem(int tag) const;
    // "Reformat all entries" of the selected local database, after a question:
    // the next save writes every entry in the writer's layout.
    void reformatAllEntries();
    // Recomputes the actions' state and the window title.
    void updateState();

Q_SIGNALS:
    void preferencesChanged(bool globalMacrosChanged, bool listFormatsChanged);
    // Work on the main thread started (the busy indicator and cursor show) or ended.
    void busyChanged(bool busy);
    // Everything is saved; the program may end.
    void terminated();

private:
    void connectEditorToItemList();
    bool m_followingSelection = false;
    void awakeFromNib();
    void registerActions();
    void buildMenus();
    void buildPanes();
    void commitData(QSessionManager &manager);
    void setBusy(bool busy);

    MainWindow *m_mainWindow = nullptr;
    QSplitter *m_splitView = nullptr;
    QSplitter *m_viewBibItems = nullptr;
    QWidget *m_dbListSubPane = nullptr;
    QWidget *m_authorListSubPane = nullptr;
    QWidget *m_itemListSubPane = nullptr;
    QWidget *m_detailPane = nullptr;
    DBListController *m_controllerDbList = nullptr;
    DetailInfoController *m_controllerDetail = nullptr;
    FileViewController *m_controllerFileView = nullptr;
    NewEntryController *m_newEntry = nullptr;
    AuthorListController *m_controllerAuthorList = nullptr;
    ItemListController *m_controllerItemList = nullptr;
    WelcomeController *m_controllerWelcome = nullptr;
    ActionRegistry *m_actions = nullptr;
    RecentFiles *m_recentFiles = nullptr;
    QMenu *m_menuWindow = nullptr;
    QMenu *m_menuImportPlugins = nullptr;
    QMenu *m_menuExportPlugins = nullptr;
    std::unique_ptr<PluginManager> m_plugins;
    std::unique_ptr<TreeItemChangeObserver> m_itemObserver;
    bool m_appTerminatedByClosing = false;
    bool m_terminated = false;
    bool m_detailShown = true;
    bool m_busy = false;
};
