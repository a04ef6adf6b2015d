#include "app/ItemListController.h"

#include "app/ActionRegistry.h"
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
#include "model/MacroList.h"
#include "prefs/BibPreferences.h"
#include "storage/BibFileReader.h"
#include "storage/LocalDatabase.h"
#include "storage/LocalDatabaseProperties.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCollator>
#include <QCollatorSortKey>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <QSet>
#include <QToolButton>
#include <QUndoStack>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

ItemListController::ItemListController(DBListController *dbList, QWidget *parentWidget,
                                       QObject *parent)
    : QObject(parent), m_dbList(dbList)
{
    m_pane = new QWidget(parentWidget);
    m_pane->setObjectName(QStringLiteral("itemPane"));
    auto *layout = new QVBoxLayout(m_pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    auto *searchRow = new QHBoxLayout;
    m_stringSearch = new QLineEdit(m_pane);
    m_stringSearch->setObjectName(QStringLiteral("itemSearch"));
    m_stringSearch->setPlaceholderText(Texts::text(u"Win_ItemSearch"));
    m_stringSearch->setAccessibleName(Texts::text(u"Win_ItemSearch"));
    m_stringSearch->setClearButtonEnabled(true);
    auto *targets = new QToolButton(m_pane);
    targets->setText(Texts::text(u"MenuSearchTargetTitle"));
    targets->setPopupMode(QToolButton::InstantPopup);
    m_searchMenu = new QMenu(targets);
    targets->setMenu(m_searchMenu);
    m_checkCaseSensitive = new QCheckBox(Texts::text(u"Win_CaseSensitive"), m_pane);
    m_checkCaseSensitive->setObjectName(QStringLiteral("caseSensitive"));
    searchRow->addWidget(m_stringSearch, 1);
    searchRow->addWidget(targets);
    searchRow->addWidget(m_checkCaseSensitive);
    layout->addLayout(searchRow);

    m_model = new ItemListModel(this);
    m_tableItemList = new ItemListTableView(m_pane);
    m_tableItemList->setAccessibleName(Texts::text(u"Win_Pane_Items"));
    m_tableItemList->setModel(m_model);
    m_tableItemList->setColumnHeaders();
    m_tableItemList->setContextMenuPolicy(Qt::ActionsContextMenu);
    layout->addWidget(m_tableItemList, 1);

    m_statusBibItems = new QLabel(m_pane);
    m_statusBibItems->setObjectName(QStringLiteral("itemStatus"));
    m_statusBibItems->setAccessibleName(Texts::text(u"Win_Status"));
    layout->addWidget(m_statusBibItems);

    const BibPreferences *prefs = BibPreferences::globalPreferences();
    if (prefs) {
        m_lastSortedColumn = prefs->sortColumnIdentifier();
        m_lastSortedAscend = prefs->sortAscending();
        m_checkCaseSensitive->setChecked(prefs->quickSearchCase());
    }
    if (m_model->columnOfIdentifier(m_lastSortedColumn) < 0)
        m_lastSortedColumn.clear();
    m_order.setSortColumn(m_lastSortedColumn, m_lastSortedAscend);
    QHeaderView *header = m_tableItemList->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(m_model->columnOfIdentifier(m_lastSortedColumn),
                             m_lastSortedAscend ? Qt::AscendingOrder : Qt::DescendingOrder);
    connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
        const ItemListModel::Column &column = m_model->columns().value(section);
        if (!column.sortable)
            return;
        const bool ascending = column.identifier == m_lastSortedColumn ? !m_lastSortedAscend : true;
        sortByColumn(column.identifier, ascending);
    });

    connect(m_stringSearch, &QLineEdit::textChanged, this, &ItemListController::fieldSearch);
    connect(m_checkCaseSensitive, &QCheckBox::toggled, this, [this] {
        if (!m_stringSearch->text().isEmpty())
            fieldSearch();
    });
    connect(m_tableItemList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ItemListController::selectionChanged);
    connect(m_model, &ItemListModel::markToggled, this, &ItemListController::markChanged);
    connect(m_tableItemList, &ItemListTableView::toggleMarkRequested, this,
            &ItemListController::toggleMarks);
    connect(m_tableItemList, &ItemListTableView::openRequested, this, [this] {
        if (m_openHandler && !selectedItems().empty())
            m_openHandler();
    });
    m_opener = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    m_folderChooser = [this] {
        return QFileDialog::getExistingDirectory(m_pane, Texts::text(u"SaveAttachmentMessage"));
    };
    m_undoStack = new QUndoStack(this);
    connect(m_undoStack, &QUndoStack::indexChanged, this, [this] {
        m_model->allChanged();
        updateActions();
    });
    if (m_dbList) {
        // An edited entry may move and finds its search text anew.
        connect(m_dbList, &DBListController::itemChanged, this,
                [this](const BibItem *item) { m_order.itemChanged(item); });
        // Entries dropped onto the tree are undone here as pasted ones are.
        connect(m_dbList, &DBListController::itemsDropped, this,
                [this](BibDatabase *node, const BibItemList &added) {
                    pushUndo(static_cast<int>(ItemListUndoCommand::Change::Added), *node, added,
                             Texts::text(u"Undo_Drop"));
                });
        // Undoing against a database read anew would act on entries it no
        // longer holds (and report nothing): the steps are dropped.
        connect(m_dbList, &DBListController::nodesClosing, m_undoStack, &QUndoStack::clear);
    }
    rebuildSearchMenu();
    refleshStatus();
}

// ---- commands and menus

void ItemListController::registerActions(ActionRegistry *actions)
{
    m_actions = actions;
    const auto rule = [this](int tag) { return [this, tag] { return validateMenuItem(tag); }; };
    struct Command
    {
        int tag;
        const char16_t *key;
        QKeySequence shortcut;
        std::function<void()> run;
    };
    const std::vector<Command> commands = {
        {TagUndo, u"Win_Action_Undo", QKeySequence::Undo, [this] { m_undoStack->undo(); }},
        {TagRedo, u"Win_Action_Redo", QKeySequence::Redo, [this] { m_undoStack->redo(); }},
        {TagCut, u"Win_Action_Cut", QKeySequence::Cut, [this] { cut(); }},
        {TagCopy, u"Win_Action_Copy", QKeySequence::Copy, [this] { copy(); }},
        {TagPaste, u"Win_Action_Paste", QKeySequence::Paste, [this] { paste(); }},
        {TagCopyAsBibkey, u"Win_Action_CopyAsBibkey", {}, [this] { copyAsFormat(0); }},
        {TagCopyAsCite, u"Win_Action_CopyAsCite", QKeySequence(u"Ctrl+Shift+C"_s),
         [this] { copyAsFormat(1); }},
        {TagCopyAsNocite, u"Win_Action_CopyAsNocite", {}, [this] { copyAsFormat(2); }},
        {TagCopyAsBibitemList, u"Win_Action_CopyAsBibitemList", {}, [this] { copyAsFormat(3); }},
        {TagCopyAsHTMLList, u"Win_Action_CopyAsHTMLList", {}, [this] { copyAsFormat(4); }},
        {TagCopyAsTabList, u"Win_Action_CopyAsTabList", {}, [this] { copyAsFormat(5); }},
        {TagCopyAsTextList, u"Win_Action_CopyAsTextList", {}, [this] { copyAsRichList(); }},
        {TagCopyAsRTFList, u"Win_Action_CopyAsRTFList", {}, [this] { copyAsRichList(); }},
        {TagCheckSelection, u"Win_Action_CheckSelection", {}, [this] { setMarks(true, true); }},
        {TagUncheckSelection,
         u"Win_Action_UncheckSelection",
         {},
         [this] { setMarks(true, false); }},
        {TagCheckAll, u"Win_Action_CheckAll", {}, [this] { setMarks(false, true); }},
        {TagUncheckAll, u"Win_Action_UncheckAll", {}, [this] { setMarks(false, false); }},
        {TagSelectChecked, u"Win_Action_SelectChecked", {}, [this] { selectMarked(true); }},
        {TagSelectUnchecked, u"Win_Action_SelectUnchecked", {}, [this] { selectMarked(false); }},
        {TagOpenAttachments, u"Win_Action_OpenAttachments", QKeySequence(u"Ctrl+Shift+O"_s),
         [this] { openAttachments(); }},
        {TagOpenURLs, u"Win_Action_OpenURLs", {}, [this] { openURLs(); }},
        {TagSendEmails, u"Win_Action_SendEmails", {}, [this] { sendEmails(); }},
        {TagCopyAttachments, u"Win_Action_CopyAttachments", {}, [this] { copyAttachments(); }},
        {TagOpenFile, u"Win_Action_OpenFile", {}, [this] { openAttachments(true); }},
        {TagOpenURL, u"Win_Action_OpenURL", {}, [this] { openURLs(true); }},
        {TagCreateNewMail, u"Win_Action_CreateNewMail", {}, [this] { sendEmails(true); }},
        {TagGenerateBibKeys,
         u"Win_Action_GenerateBibKeys",
         {},
         [this] { generateSelectedBibKeys(); }},
        {TagRemove, u"Win_Action_RemoveItems", QKeySequence::Delete, [this] { removeBibItem(); }},
    };
    for (const Command &command : commands) {
        QAction *action = actions->add(command.tag, QString::fromUtf16(command.key),
                                       command.shortcut, rule(command.tag), command.run);
        // The shortcuts belong to the table, so that the search fields keep
        // their own copy and paste.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_tableItemList->addAction(action);
    }
}

void ItemListController::buildMenu(QMenuBar *bar)
{
    if (!m_actions)
        return;
    QMenu *edit = bar->addMenu(Texts::text(u"Win_Menu_Entries"));
    for (int tag : {int(TagUndo),
                    int(TagRedo),
                    0,
                    int(TagCut),
                    int(TagCopy),
                    int(TagPaste),
                    0,
                    int(TagCopyAsBibkey),
                    int(TagCopyAsCite),
                    int(TagCopyAsNocite),
                    int(TagCopyAsBibitemList),
                    int(TagCopyAsHTMLList),
                    int(TagCopyAsTabList),
                    int(TagCopyAsTextList),
                    int(TagCopyAsRTFList),
                    0,
                    int(TagCheckSelection),
                    int(TagUncheckSelection),
                    int(TagCheckAll),
                    int(TagUncheckAll),
                    int(TagSelectChecked),
                    int(TagSelectUnchecked),
                    0,
                    int(TagOpenAttachments),
                    int(TagOpenURLs),
                    int(TagSendEmails),
                    int(TagCopyAttachments),
                    0,
                    int(TagOpenFile),
                    int(TagOpenURL),
                    int(TagCreateNewMail),
                    0,
                    int(TagGenerateBibKeys),
                    int(TagRemove)}) {
        if (tag == 0)
            edit->addSeparator();
        else
            edit->addAction(m_actions->action(tag));
    }
    connect(edit, &QMenu::aboutToShow, m_actions, &ActionRegistry::updateEnabled);
}

void ItemListController::updateActions()
{
    if (m_actions)
        m_actions->updateEnabled();
}

bool ItemListController::validateMenuItem(int tag) const
{
    const size_t selectedCount = selectedRows().size();
    const bool selected = selectedCount > 0;
    const BibDatabase *node = m_dbList ? m_dbList->selectedDatabase() : nullptr;
    const bool itemNode = node && node->kind() > 3;
    const auto anySelected = [this](auto test) {
        const BibItemList items = selectedItems();
        return std::any_of(items.begin(), items.end(),
                           [&test](const BibItemPtr &item) { return test(*item); });
    };
    switch (tag) {
    case TagCut:
        return selected && itemNode && !m_dbList->isLoading();
    case TagCopy:
        return selected;
    case TagPaste: {
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        return itemNode && !m_dbList->isLoading() && data &&
               (ItemMimeData::hasItems(data) || (node->isRealDatabase() && data->hasText()));
    }
    case TagCopyAsBibkey:
    case TagCopyAsCite:
    case TagCopyAsNocite:
    case TagCopyAsBibitemList:
    case TagCopyAsHTMLList:
    case TagCopyAsTabList:
    case TagCopyAsTextList:
    case TagCopyAsRTFList:
    case TagCheckSelection:
    case TagUncheckSelection:
    case TagRemove:
    case TagGenerateBibKeys:
        return selected;
    case TagCheckAll:
    case TagUncheckAll:
    case TagSelectChecked:
    case TagSelectUnchecked:
        return displayedItems() > 0;
    case TagOpenAttachments:
        return selected && anySelected([](const BibItem &item) {
                   return item.fileState() >= 2 && item.fileState() <= 4;
               });
    case TagCopyAttachments:
        return selected && anySelected([](const BibItem &item) {
                   return item.fileState() == 2 || item.fileState() == 3;
               });
    case TagOpenFile:
        return selectedCount == 1 && firstSelection()->fileState() >= 2 &&
               firstSelection()->fileState() <= 4;
    case TagOpenURL:
        return selectedCount == 1 && !firstSelection()->fieldDataForView(u"url"_s).isEmpty();
    case TagCreateNewMail:
        return selectedCount == 1 && !firstSelection()->fieldDataForView(u"email"_s).isEmpty();
    case TagOpenURLs:
        return selected &&
               anySelected([](const BibItem &item) { return item.attachedURL().has_value(); });
    case TagSendEmails:
        return selected &&
               anySelected([](const BibItem &item) { return item.attachedEmail().has_value(); });
    case TagUndo:
        return m_undoStack->canUndo() && !(m_dbList && m_dbList->isLoading());
    case TagRedo:
        return m_undoStack->canRedo() && !(m_dbList && m_dbList->isLoading());
    case TagSearchTargetTitle:
    case TagSearchCheckAll:
    case TagSearchUncheckAll:
        return true;
    default:
        return false;
    }
}

// ---- the list

void ItemListController::setItems(BibItemList items)
{
    m_order.setItems(std::move(items));
    refleshItemList();
    refleshStatus();
}

void ItemListController::refleshItemList()
{
    const BibItemList remembered = selectedItems();
    QStringList fields;
    for (auto it = m_fieldNameList.cbegin(); it != m_fieldNameList.cend(); ++it) {
        if (it.value())
            fields << it.key();
    }
    m_model->setItems(m_order.shownItems(m_stringSearch->text(), fields,
                                         m_checkCaseSensitive->isChecked() ? Qt::CaseSensitive
                                                                           : Qt::CaseInsensitive));
    selectBibItems(remembered);
}

void ItemListController::refleshStatus()
{
    const int total = totalItems();
    QString text = Texts::text(total > 1 ? u"ItemStatus" : u"ItemStatus1");
    text.replace(QStringLiteral("<N>"), QString::number(total));
    text.replace(QStringLiteral("<n>"), QString::number(displayedItems()));
    m_statusBibItems->setText(text);
}

void ItemListController::fieldSearch()
{
    refleshItemList();
    refleshStatus();
}

void ItemListController::clearIncrementalSearch()
{
    m_stringSearch->clear();
    fieldSearch();
}

void ItemListController::mergeFieldNameList(const BibDatabase *database)
{
    if (!database)
        return;
    const QHash<QString, QString> names = database->fieldNameList();
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        if (!m_fieldNameList.contains(it.key()))
            m_fieldNameList.insert(it.key(), true);
    }
    rebuildSearchMenu();
}

void ItemListController::setSearchTarget(const QString &field, bool on)
{
    m_fieldNameList.insert(field, on);
    rebuildSearchMenu();
}

void ItemListController::rebuildSearchMenu()
{
    m_searchMenu->clear();
    QAction *title = m_searchMenu->addAction(Texts::text(u"MenuSearchTargetTitle"));
    title->setEnabled(false);
    m_searchMenu->addAction(Texts::text(u"MenuSearchCheckAll"), this, [this] {
        for (auto it = m_fieldNameList.begin(); it != m_fieldNameList.end(); ++it)
            it.value() = true;
        rebuildSearchMenu();
    });
    m_searchMenu->addAction(Texts::text(u"MenuSearchUncheckAll"), this, [this] {
        for (auto it = m_fieldNameList.begin(); it != m_fieldNameList.end(); ++it)
            it.value() = false;
        rebuildSearchMenu();
    });
    m_searchMenu->addSeparator();
    QStringList names = m_fieldNameList.keys();
    QCollator collator;
    std::sort(names.begin(), names.end(), [&collator](const QString &a, const QString &b) {
        return collator.compare(a, b) < 0;
    });
    for (const QString &name : std::as_const(names)) {
        QAction *action = m_searchMenu->addAction(name);
        action->setCheckable(true);
        action->setChecked(m_fieldNameList.value(name));
        connect(action, &QAction::toggled, this,
                [this, name](bool on) { m_fieldNameList.insert(name, on); });
    }
}

void ItemListController::sortByColumn(const QString &identifier, bool ascending)
{
    m_lastSortedColumn = identifier;
    m_lastSortedAscend = ascending;
    m_tableItemList->horizontalHeader()->setSortIndicator(m_model->columnOfIdentifier(identifier),
                                                          ascending ? Qt::AscendingOrder
                                                                    : Qt::DescendingOrder);
    m_order.setSortColumn(identifier, ascending);
    refleshItemList();
}

// ---- selection

BibItemList ItemListController::selectedItems() const
{
    BibItemList items;
    for (int row : selectedRows()) {
        if (BibItemPtr item = m_model->itemAt(row))
            items.push_back(item);
    }
    return items;
}

std::vector<int> ItemListController::selectedRows() const
{
    std::vector<int> rows;
    const QItemSelectionModel *model = m_tableItemList->selectionModel();
    if (!model)
        return rows;
    // Whole rows (as the table selects) are read off the ranges at once: the
    // selection model's own row query copies the selection for each row,
    // which takes seconds with a thousand scattered rows.
    const QItemSelection selection = model->selection();
    const int lastColumn = m_model->columnCount() - 1;
    const bool wholeRows =
        std::all_of(selection.cbegin(), selection.cend(), [lastColumn](const auto &range) {
            return !range.parent().isValid() && range.left() == 0 && range.right() == lastColumn;
        });
    if (wholeRows) {
        for (const QItemSelectionRange &range : selection) {
            for (int row = range.top(); row <= range.bottom(); ++row)
                rows.push_back(row);
        }
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        return rows;
    }
    for (const QModelIndex &index : model->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

BibItemPtr ItemListController::firstSelection() const
{
    const BibItemList items = selectedItems();
    return items.empty() ? nullptr : items.front();
}

int ItemListController::displayedItems() const
{
    return m_model->rowCount();
}

int ItemListController::selectBibItems(const BibItemList &items)
{
    QSet<const BibItem *> wanted;
    for (const BibItemPtr &item : items)
        wanted.insert(item.get());
    QItemSelection selection;
    int first = -1;
    int found = 0;
    const BibItemList &shown = m_model->items();
    for (int row = 0; row < static_cast<int>(shown.size()) && found < wanted.size(); ++row) {
        if (!wanted.contains(shown[row].get()))
            continue;
        selection.select(m_model->index(row, 0), m_model->index(row, 0));
        if (first < 0)
            first = row;
        ++found;
    }
    m_tableItemList->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
    if (first >= 0) {
        m_tableItemList->selectionModel()->setCurrentIndex(m_model->index(first, 0),
                                                           QItemSelectionModel::NoUpdate);
        m_tableItemList->scrollTo(m_model->index(first, 0));
    }
    return found;
}

void ItemListController::selectItemsByBibkeys(const QStringList &keys)
{
    QStringList remaining = keys;
    BibItemList items;
    for (const BibItemPtr &item : m_model->items()) {
        if (remaining.isEmpty())
            break;
        if (remaining.removeOne(item->bibKey()))
            items.push_back(item);
    }
    selectBibItems(items);
}

QStringList ItemListController::selectedBibKeys() const
{
    QStringList keys;
    for (const BibItemPtr &item : selectedItems())
        keys << item->bibKey();
    return keys;
}

void ItemListController::selectionChanged()
{
    refleshStatus();
    updateActions();
}

// ---- settings

void ItemListController::saveCurrentSettings()
{
    BibPreferences *prefs = BibPreferences::globalPreferences();
    if (!prefs)
        return;
    if (!m_lastSortedColumn.isEmpty())
        prefs->setSortColumnIdentifier(m_lastSortedColumn);
    prefs->setSortAscending(m_lastSortedAscend);
    m_tableItemList->saveCurrentSettings();
    prefs->setQuickSearchCase(m_checkCaseSensitive->isChecked());
}

void ItemListController::prefsChanged()
{
    m_tableItemList->clearSelection();
    m_model->setColumnsFromPreferences();
    m_tableItemList->setColumnHeaders();
    if (m_model->columnOfIdentifier(m_lastSortedColumn) < 0)
        m_lastSortedColumn.clear();
    for (const BibItemPtr &item : m_order.items())
        item->makeAttributedStringForList();
    m_order.setSortColumn(m_lastSortedColumn, m_lastSortedAscend);
    m_order.invalidate();
    refleshItemList();
}
