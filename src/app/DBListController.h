#pragma once

#include "app/SaveAsDialog.h"
#include "storage/BibDatabase.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class BibDatabase;
class BibItem;
class DatabaseGroup;
class DatabaseTreeModel;
class LoadingCoordinator;
class LocalDatabase;
class QFileSystemWatcher;
class QLabel;
class QMimeData;
class QProgressBar;
class QDialog;
class QTimer;
class QTreeView;
class QWidget;

// The controller of the database tree in the window's left pane: it owns the
// loading coordination (and with it the tree), the tree model and its view,
// the status line and the loading indicator, and runs every command on the
// tree: opening, creating, removing, saving, save-as, auto-save, smart-library
// updates, drops, and watching the open files for changes made outside.
// Created by the application controller; main thread only.
class DBListController : public QObject
{
    Q_OBJECT

public:
    // What the file and option dialogs answer; tests replace them.
    struct Choosers
    {
        std::function<QStringList()> openFiles;
        std::function<QString()> newFile;
        std::function<bool(const QString &message, SaveAsDialog::Choice &choice)> saveAs;
        std::function<std::optional<int>(LocalDatabase *database)> reopenEncoding;
    };

    explicit DBListController(QWidget *window, QObject *parent = nullptr);
    ~DBListController() override;
    DBListController(const DBListController &) = delete;
    DBListController &operator=(const DBListController &) = delete;

    static DBListController *globalDBListController();

    LoadingCoordinator *coordinator() const { return m_coordinator.get(); }
    DatabaseTreeModel *model() const { return m_model; }
    QTreeView *view() const { return m_tableDatabase; }
    QLabel *statusLabel() const { return m_statusText; }
    QProgressBar *loadingIndicator() const { return m_loadingIndicator; }
    BibDatabase *rootNode() const;
    // Opens the node's property sheet (window-modal; it returns at once).
    QDialog *openPropertySheet(BibDatabase *node);
    DatabaseGroup *databaseNode() const;
    void setChoosers(Choosers choosers);

    // ---- start-up and loading
    void reloadDatabases();
    bool isLoading() const;
    bool initialLoading() const;
    // Stops every database still reading and waits for its thread.
    void stopAllLoading();

    // ---- opening and creating
    LocalDatabase *appendLocalDatabase(const QString &path, bool canCreate);
    void openLocalDatabase();
    void createNewDatabase();
    void createLibraryGroup();
    void createSmartLibrary();
    void createManualLibrary();
    BibDatabase *newItemParent() const;

    // ---- removing
    void removeFromList();
    void removeDatabase(BibDatabase *node);

    // ---- saving
    bool saveSelection();
    void saveSelectionAs();
    bool saveDocuments();
    int unsavedDatabases(QString &names);
    void startAutoSave();
    void stopAutoSave();
    bool autoSaveRunning() const { return m_autoSaveTimer != nullptr; }
    void autoSave();

    // ---- smart libraries
    void updateSmartLib();
    void updateAllSmartLibs();
    void searchDuplicates();
    void stopLoadingDB();

    // ---- files changed outside
    // Checks the file of `database` against what was last read or written:
    // a clean database is reloaded, a changed one asks. Answers whether the
    // database's own version may still be written over the file.
    bool checkFileOnDisk(LocalDatabase *database);
    void reloadFromDisk(LocalDatabase *database);
    void reloadSelectionFromDisk();
    void reopenWithEncoding();

    // ---- selection, outline and status
    BibDatabase *selectedDatabase() const;
    void selectDatabase(BibDatabase *node);
    BibDatabase *selectDatabaseID(const QString &uniqueID, int kind);
    void reload(bool selectionChanged);
    void refleshStatus();
    QString statusText() const;
    int maxColumnWidth() const { return 250; }
    void prefsChanged(bool globalMacrosChanged, bool listFormatsChanged);
    void saveCurrentSettings();
    // The enabling rule of a command tag of the database menu.
    bool validateMenuItem(int tag) const;
    // Shows a short note in the status line until the next status refresh.
    void showNote(const QString &note);

    // ---- drops (the model asks these)
    bool acceptsDrop(const QMimeData *data, BibDatabase *target, int row) const;
    bool performDrop(const QMimeData *data, BibDatabase *target, int row);

    // An entry was changed: libraries follow it, counts and status update.
    void bibItemChanged(BibItem &item);

Q_SIGNALS:
    // Selection, loading, dirtiness or structure changed: actions and title follow.
    void stateChanged();
    // The selection moved to another node (or its contents changed).
    void selectionChanged();
    // An entry changed (before the tree and the lists follow).
    void itemChanged(const BibItem *item);
    // Entries dropped onto `node` were added (the copies or references).
    void itemsDropped(BibDatabase *node, const BibItemList &added);
    // A node is about to be closed or a database read again from its file:
    // entries held for it (the list's undo) no longer belong to it.
    void nodesClosing();
    // The node selected when the program last quit is loaded and shown: the
    // author and entry lists restore their saved selections.
    void initialSelectionReady();
    // The settings are being saved: the lists store their selections.
    void savingSettings();
    // A file was opened (for the recent-files list).
    void fileOpened(const QString &path);

private:
    Choosers defaultChoosers();
    void loadingStarted();
    void loadingFinished();
    void databaseReady(BibDatabase *node);
    void restoreExpansion();
    void scanManualLibraries();
    void addNewNode(std::unique_ptr<BibDatabase> node, bool expand);
    bool refuseWhileLoading() const;
    void watchDatabase(LocalDatabase *database);
    void rememberFileStamp(LocalDatabase *database);
    void fileChanged(const QString &path);
    bool saveDatabaseChecked(BibDatabase *node);
    QList<LocalDatabase *> localDatabases() const;
    LocalDatabase *databaseOfPath(const QString &path) const;

    struct FileStamp
    {
        QDateTime modified;
        qint64 size = -1;
        bool operator==(const FileStamp &) const = default;
    };
    static FileStamp stampOf(const QString &path);

    QWidget *m_window;
    std::unique_ptr<LoadingCoordinator> m_coordinator;
    DatabaseTreeModel *m_model = nullptr;
    QTreeView *m_tableDatabase = nullptr;
    QLabel *m_statusText = nullptr;
    QProgressBar *m_loadingIndicator = nullptr;
    QTimer *m_autoSaveTimer = nullptr;
    QFileSystemWatcher *m_watcher = nullptr;
    QHash<QString, FileStamp> m_knownStamps; // file path -> as last read or written
    BibDatabase *m_initialSelection = nullptr;
    bool m_restoreSelections = false; // set when the saved node is ready, until the next reload
    BibDatabase *m_selected = nullptr;
    QString m_note;
    bool m_restoring = false;
    bool m_askingAboutFile = false;
    Choosers m_choosers;
};
