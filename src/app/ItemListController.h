#pragma once

#include "app/ItemListOrder.h"
#include "storage/BibDatabase.h"

#include <QMap>
#include <QObject>
#include <QStringList>

#include <functional>
#include <vector>

class ActionRegistry;
class DBListController;
class ItemListModel;
class ItemListTableView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QUndoStack;
class QUrl;
class QWidget;

// The entry list of the main window: the entries handed over by the author
// list, filtered by the incremental field search, sorted by the clicked
// column, with the commands on the selected entries (copy formats, whole
// entries through the clipboard, marks, removal, links and e-mail).
// Created by the application controller; main thread only.
class ItemListController : public QObject
{
    Q_OBJECT

public:
    enum Tag
    {
        TagCut = 4990,
        TagCopy = 4991,
        TagPaste = 4992,
        TagUndo = 4993,
        TagRedo = 4994,
        TagCopyAsBibkey = 8020,
        TagCopyAsCite = 8021,
        TagCopyAsNocite = 8022,
        TagCopyAsBibitemList = 8030,
        TagCopyAsHTMLList = 8031,
        TagCopyAsTabList = 8032,
        TagCopyAsTextList = 8033,
        TagCopyAsRTFList = 8034,
        TagCheckSelection = 8040,
        TagUncheckSelection = 8041,
        TagCheckAll = 8042,
        TagUncheckAll = 8043,
        TagSelectChecked = 8044,
        TagSelectUnchecked = 8045,
        TagGenerateBibKeys = 8035,
        TagOpenAttachments = 8050,
        TagCopyAttachments = 8051,
        TagOpenURLs = 8052,
        TagSendEmails = 8053,
        TagRemove = 8101,
        TagEdit = 8103,
        TagOpenFile = 9000,
        TagOpenURL = 9001,
        TagCreateNewMail = 9002,
        TagSearchTargetTitle = 9100,
        TagSearchCheckAll = 9101,
        TagSearchUncheckAll = 9102
    };

    ItemListController(DBListController *dbList, QWidget *parentWidget, QObject *parent = nullptr);

    QWidget *pane() const { return m_pane; }
    ItemListTableView *view() const { return m_tableItemList; }
    ItemListModel *model() const { return m_model; }
    QLineEdit *searchField() const { return m_stringSearch; }
    QCheckBox *caseCheck() const { return m_checkCaseSensitive; }
    QLabel *statusLabel() const { return m_statusBibItems; }
    QMenu *searchMenu() const { return m_searchMenu; }
    // The undo of the list's commands (paste, drops, cut, removal, marks).
    QUndoStack *undoStack() const { return m_undoStack; }

    // Registers every command with its tag, shortcut and enabling rule, and
    // adds them to the table's context menu.
    void registerActions(ActionRegistry *actions);
    void buildMenu(QMenuBar *bar);
    // What to do on double-click or Return (the entry editor).
    void setOpenHandler(std::function<void()> handler) { m_openHandler = std::move(handler); }
    // What commits the edit in progress (the editor's), before key generation.
    void setCommitHandler(std::function<void()> handler) { m_commitHandler = std::move(handler); }
    // Who opens links and files (the desktop by default) and who picks the
    // folder attachments are copied to (a folder dialog by default).
    void setOpener(std::function<void(const QUrl &)> opener) { m_opener = std::move(opener); }
    void setFolderChooser(std::function<QString()> chooser)
    {
        m_folderChooser = std::move(chooser);
    }

    // ---- the list
    void setItems(BibItemList items);
    void refleshItemList();
    void refleshStatus();
    void fieldSearch();
    void clearIncrementalSearch();
    void mergeFieldNameList(const BibDatabase *database);
    void setSearchTarget(const QString &field, bool on);
    void sortByColumn(const QString &identifier, bool ascending);
    QString sortColumn() const { return m_lastSortedColumn; }

    // ---- selection
    BibItemList selectedItems() const;
    // The selected rows in order.
    std::vector<int> selectedRows() const;
    BibItemPtr firstSelection() const;
    int totalItems() const { return static_cast<int>(m_order.items().size()); }
    int displayedItems() const;
    int selectBibItems(const BibItemList &items);
    void selectItemsByBibkeys(const QStringList &keys);
    QStringList selectedBibKeys() const;

    // ---- commands
    void copy();
    void cut();
    bool paste();
    void copyAsFormat(int format);
    void copyAsRichList();
    void setMarks(bool selection, bool marked);
    void selectMarked(bool marked);
    void toggleMarks();
    void removeBibItem();
    // `single`: the first selected entry only (the single-entry commands).
    void openURLs(bool single = false);
    void openAttachments(bool single = false);
    void sendEmails(bool single = false);
    void copyAttachments();
    void generateSelectedBibKeys();
    bool validateMenuItem(int tag) const;
    void saveCurrentSettings();
    void prefsChanged();

    // Copies of `items` added to `target` (a real database: unique keys; a
    // manual library: references); goes on past an entry it cannot add.
    // Answers the added entries; `failed` counts the others.
    static BibItemList addCopyOfBibItems(const BibItemList &items, BibDatabase *target,
                                         int &failed);

    // Entries read from plain BibTeX text (a publisher's page, an editor) added
    // to `target` with unique keys; nothing is added when the text has
    // reading problems (they are shown). Answers the added entries.
    static BibItemList pasteBibTeXText(const QString &text, BibDatabase *target, int &failed);

private:
    // After a paste added `added` to `node` (`failed` could not be added):
    // one undo step, the lists shown again with the new entries selected,
    // and the failures told. Whether anything was added.
    bool finishPaste(const BibDatabase &node, const BibItemList &added, int failed);
    void selectionChanged();
    void rebuildSearchMenu();
    void updateActions();
    void markChanged(const BibItemPtr &item, bool marked);
    // Marks or unmarks the entries, as one step to undo.
    void applyMarks(const BibItemList &items, bool marked);
    // Records a change already made to `node` (an ItemListUndoCommand::Change).
    void pushUndo(int change, const BibDatabase &node, const BibItemList &items,
                  const QString &text);
    // Asks before opening more than ten locations or one that is not a web link.
    bool confirmOpening(const QList<QUrl> &urls);
    QString selectionListText(const BibItemList &items, bool &containsFiles) const;
    BibItemList commandItems(bool single) const;

    DBListController *m_dbList;
    ActionRegistry *m_actions = nullptr;
    QWidget *m_pane = nullptr;
    ItemListTableView *m_tableItemList = nullptr;
    ItemListModel *m_model = nullptr;
    QLineEdit *m_stringSearch = nullptr;
    QCheckBox *m_checkCaseSensitive = nullptr;
    QLabel *m_statusBibItems = nullptr;
    QMenu *m_searchMenu = nullptr;
    QUndoStack *m_undoStack = nullptr;
    // The entries handed over (allItems), in the list's order and searched.
    ItemListOrder m_order;
    QString m_lastSortedColumn;
    bool m_lastSortedAscend = true;
    QMap<QString, bool> m_fieldNameList;
    std::function<void()> m_openHandler;
    std::function<void()> m_commitHandler;
    std::function<void(const QUrl &)> m_opener;
    std::function<QString()> m_folderChooser;
};
