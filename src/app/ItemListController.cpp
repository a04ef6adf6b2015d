#include "app/ItemListController.h"

#include "app/ActionRegistry.h"
#include "app/CopyFormats.h"
#include "app/DBListController.h"
#include "app/ItemListModel.h"
#include "app/ItemListTableView.h"
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
    if (m_dbList) {
        // An edited entry may move and finds its search text anew.
        connect(m_dbList, &DBListController::itemChanged, this,
                [this](const BibItem *item) { m_order.itemChanged(item); });
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
    for (int tag : {int(TagCut),
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
                    0,
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
    const QModelIndexList rows = m_tableItemList->selectionModel()
                                     ? m_tableItemList->selectionModel()->selectedRows()
                                     : QModelIndexList();
    const bool selected = !rows.isEmpty();
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
    case TagOpenURLs:
        return selected &&
               anySelected([](const BibItem &item) { return item.attachedURL().has_value(); });
    case TagSendEmails:
        return selected &&
               anySelected([](const BibItem &item) { return item.attachedEmail().has_value(); });
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
    m_model->setItems(m_order.shownItems(
        m_stringSearch->text(), fields,
        m_checkCaseSensitive->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive));
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
    if (!m_tableItemList->selectionModel())
        return items;
    QModelIndexList rows = m_tableItemList->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    for (const QModelIndex &index : rows) {
        if (BibItemPtr item = m_model->itemAt(index.row()))
            items.push_back(item);
    }
    return items;
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

// ---- marks

void ItemListController::markChanged(const BibItemPtr &item, bool marked)
{
    if (item->mark() == marked || item->strayItem())
        return;
    item->setMark(marked);
    m_dbList->bibItemChanged(*item);
    m_model->itemChanged(item.get());
}

void ItemListController::setMarks(bool selection, bool marked)
{
    const BibItemList items = selection ? selectedItems() : m_model->items();
    for (const BibItemPtr &item : items)
        markChanged(item, marked);
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
    m_dbList->reload(true);
}

// ---- links, attachments, e-mail

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

void ItemListController::openURLs()
{
    QList<QUrl> urls;
    for (const BibItemPtr &item : selectedItems()) {
        if (std::optional<QUrl> url = item->attachedURL()) {
            if (url->scheme() == u"doi")
                url = QUrl(u"https://doi.org/"_s + url->path());
            urls << *url;
        }
    }
    if (urls.isEmpty() || !confirmOpening(urls))
        return;
    for (const QUrl &url : std::as_const(urls))
        QDesktopServices::openUrl(url);
}

void ItemListController::openAttachments()
{
    QList<QUrl> urls;
    for (const BibItemPtr &item : selectedItems()) {
        if (item->fileState() < 2 || item->fileState() > 4)
            continue;
        if (const std::optional<QString> path = item->attachedFile())
            urls << (item->fileState() == 4 ? QUrl(*path) : QUrl::fromLocalFile(*path));
    }
    if (urls.isEmpty() || !confirmOpening(urls))
        return;
    for (const QUrl &url : std::as_const(urls))
        QDesktopServices::openUrl(url);
}

void ItemListController::sendEmails()
{
    // Only plain address syntax; the address is percent-encoded, so a field
    // cannot add "?attach=" or other parameters.
    static const QRegularExpression address(QStringLiteral(
        "^[A-Za-z0-9.!#$%'*+/=^_`{|}~-]+@[A-Za-z0-9](?:[A-Za-z0-9.-]*[A-Za-z0-9])?$"));
    QList<QUrl> urls;
    for (const BibItemPtr &item : selectedItems()) {
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
        QDesktopServices::openUrl(url);
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
