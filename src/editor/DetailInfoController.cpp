#include "editor/DetailInfoController.h"

#include "app/ActionRegistry.h"
#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "editor/AnnotationText.h"
#include "editor/AttachmentPanel.h"
#include "editor/BibFieldDataField.h"
#include "editor/BibTypeField.h"
#include "editor/FileDropFilter.h"
#include "editor/InputPaletteDock.h"
#include "editor/RawFieldText.h"
#include "model/BibItem.h"
#include "model/ItemDatabase.h"
#include "model/MacroList.h"
#include "prefs/BibPreferences.h"
#include "storage/RealDatabase.h"
#include "tex/InputSupportTemplate.h"
#include "tex/TeXtoText.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QTabWidget>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString kTabBasic = u"basic"_s;
const QString kTabOptional = u"optional"_s;
const QString kTabAnnote = u"annote"_s;
const QString kTabLinks = u"links"_s;
const QString kTabRaw = u"raw"_s;

// The slots of each tab: [first, last] (1-based, inclusive).
struct TabSlots
{
    const QString *identifier;
    int first;
    int last;
};

} // namespace

DetailInfoController::DetailInfoController(QObject *parent) : QObject(parent)
{
    buildView();
    new FileDropFilter(
        m_view, [this] { return m_attachmentPanel->acceptsFiles(); },
        [this](const QStringList &paths) { m_attachmentPanel->attachFiles(paths); });
    m_drawerInputSupport = new InputPaletteDock;
    m_drawerInputSupport->hide();
    connect(m_drawerInputSupport, &InputPaletteDock::buttonPressed, this,
            [this](QAbstractButton *button) { insertFromPalette(button); });
    m_popupMacroSupport = new QMenu(Texts::text(u"MacroMenuTitle"), m_view);
    connect(m_popupMacroSupport, &QMenu::aboutToShow, this, [this] { buildMacroMenu(); });
    buildMacroMenu();
    setUndefinedFieldNames();
    showTab(BibPreferences::globalPreferences()->lastEditTab());
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && m_view && m_view->isAncestorOf(now) &&
            (qobject_cast<BibFieldDataField *>(now) || qobject_cast<EntryTextView *>(now)))
            m_lastEditWidget = now;
        updateDisplayForm();
    });
    setEnableEdit(false);
}

DetailInfoController::~DetailInfoController()
{
    delete m_drawerInputSupport;
    delete m_view;
}

void DetailInfoController::buildView()
{
    m_view = new QWidget;
    m_view->setObjectName(u"Win_Pane_Editor"_s);
    m_view->setAccessibleName(Texts::text(u"Win_Pane_Editor"));
    auto *column = new QVBoxLayout(m_view);
    column->setContentsMargins(4, 4, 4, 4);

    auto *bar = new QHBoxLayout;
    const auto button = [this, bar](const QString &key) {
        auto *b = new QToolButton(m_view);
        b->setText(Texts::text(key));
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        bar->addWidget(b);
        return b;
    };
    m_buttonEnableEdit = button(u"Editor_EnableEdit"_s);
    m_buttonEnableEdit->setCheckable(true);
    m_buttonUndoEdit = button(u"Editor_UndoEdit"_s);
    m_buttonGenerateBibKey = button(u"Editor_GenerateKey"_s);
    m_reasonLabel = new QLabel(m_view);
    m_reasonLabel->setStyleSheet(u"color: #a03000"_s);
    bar->addWidget(m_reasonLabel, 1);
    column->addLayout(bar);
    connect(m_buttonEnableEdit, &QToolButton::clicked, this, [this](bool on) {
        if (!on && !resolveRejectedValues()) {
            m_buttonEnableEdit->setChecked(true);
            return;
        }
        setEnableEdit(on);
    });
    connect(m_buttonUndoEdit, &QToolButton::clicked, this, [this] { undoEdit(); });
    connect(m_buttonGenerateBibKey, &QToolButton::clicked, this, [this] { generateBibKey(); });

    m_tabViewDetail = new QTabWidget(m_view);
    m_tabViewDetail->setObjectName(u"tabViewDetail"_s);
    column->addWidget(m_tabViewDetail, 1);
    m_displayForm = new QLabel(m_view);
    m_displayForm->setObjectName(u"displayForm"_s);
    m_displayForm->setTextFormat(Qt::PlainText);
    m_displayForm->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(m_displayForm);
    const auto slotPage = [this](const QString &identifier, const QString &titleKey, int first,
                                 int last) {
        auto *page = new QWidget;
        page->setObjectName(identifier);
        auto *grid = new QGridLayout(page);
        grid->setColumnStretch(1, 1);
        for (int slot = first; slot <= last; ++slot) {
            auto *label = new QLabel(page);
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_titleFields[slot - 1] = label;
            QWidget *editor = nullptr;
            if (slot == 1) {
                m_typeField = new BibTypeField(this, label, page);
                editor = m_typeField;
            } else {
                auto *field = new BibFieldDataField(this, label, page);
                field->setObjectName(u"slot%1"_s.arg(slot));
                m_bibfieldDataObjects[slot - 1] = field;
                editor = field;
            }
            label->setBuddy(editor);
            grid->addWidget(label, slot - first, 0);
            grid->addWidget(editor, slot - first, 1);
        }
        grid->setRowStretch(last - first + 1, 1);
        m_tabViewDetail->addTab(page, Texts::text(titleKey));
        return grid;
    };
    slotPage(kTabBasic, u"Editor_Tab_Basic"_s, 1, 10);
    slotPage(kTabOptional, u"Editor_Tab_Optional"_s, 11, 19);
    m_textAnnotation = new AnnotationText(this, nullptr);
    m_textAnnotation->setObjectName(kTabAnnote);
    m_tabViewDetail->addTab(m_textAnnotation, Texts::text(u"Editor_Tab_Annote"));
    QGridLayout *links = slotPage(kTabLinks, u"Editor_Tab_Links"_s, 20, 22);
    m_attachmentPanel = new AttachmentPanel(this, links->parentWidget());
    links->setRowStretch(3, 0);
    links->addWidget(m_attachmentPanel, 3, 0, 1, 2);
    links->setRowStretch(4, 1);
    m_textRawField = new RawFieldText(this, nullptr);
    m_textRawField->setObjectName(kTabRaw);
    m_tabViewDetail->addTab(m_textRawField, Texts::text(u"Editor_Tab_Raw"));
    connect(m_tabViewDetail, &QTabWidget::currentChanged, this,
            [this](int index) { tabChanged(index); });

    auto *startEditing = new QShortcut(QKeySequence(Qt::Key_F2), m_view);
    startEditing->setContext(Qt::WidgetWithChildrenShortcut);
    connect(startEditing, &QShortcut::activated, this, [this] { forceEditMode(); });
}

void DetailInfoController::registerActions(ActionRegistry *actions)
{
    m_actions = actions;
    m_attachmentPanel->setActions(actions);
    actions->add(TagLockItemEdit, u"UnLockItemEdit"_s, QKeySequence(u"Ctrl+E"_s), nullptr,
                 [this] { unlockItemEdit(); });
    actions->add(
        TagGenerateBibKey, u"Editor_GenerateKey"_s, QKeySequence(u"Ctrl+K"_s),
        [this] { return validateMenuItem(TagGenerateBibKey); }, [this] { generateBibKey(); });
    retitleLockItem();
}

BibFieldDataField *DetailInfoController::field(int slot) const
{
    return slot >= 2 && slot <= kSlotCount ? m_bibfieldDataObjects[slot - 1] : nullptr;
}

QLabel *DetailInfoController::titleLabel(int slot) const
{
    return slot >= 1 && slot <= kSlotCount ? m_titleFields[slot - 1] : nullptr;
}

// ---- the entry shown

bool DetailInfoController::setItem(const std::shared_ptr<BibItem> &item)
{
    if (item == m_currentItem)
        return true;
    if (!resolveRejectedValues())
        return false;
    if (m_enableEdit && m_currentItem) {
        m_currentItem->fixChanged();
        m_currentItem->releaseBackup();
    }
    m_currentItem = item;
    m_itemEditable = FieldVerdict::itemEditable(item.get());
    m_dbEncoding = FieldVerdict::encodingOf(item.get());
    m_buttonUndoEdit->setEnabled(false);
    const QString reason = item ? FieldVerdict::readOnlyReason(item.get()) : QString();
    m_reasonLabel->setText(reason.isEmpty() ? QString() : Texts::text(reason));

    if (m_panelShown) {
        if (!item)
            clearFieldData();
        else
            giveItemToWidgets();
    }
    const ItemDatabase *database = item ? item->database() : nullptr;
    if (database != m_databaseForMacro || !m_macroMenuBuilt) {
        m_databaseForMacro = database;
        buildMacroMenu();
    }
    if (item && m_enableEdit)
        item->backupOriginal();
    updateButtons();
    return true;
}

void DetailInfoController::layoutForType(const QString &type)
{
    m_lastDisplayedBibType = type;
    const QVariantMap definitions = BibPreferences::globalPreferences()->bibTypeDefinitions();
    QVariantList definition = definitions.value(type).toList();
    if (definition.size() < 2)
        definition = definitions.value(BibPreferences::kUndefinedBibType).toList();
    const QVariantList names = definition.value(0).toList();
    const QVariantList required = definition.value(1).toList();
    for (int slot = 2; slot <= kSlotCount; ++slot)
        field(slot)->setFieldName(names.value(slot - 1).toString(),
                                  required.value(slot - 1).toBool());
}

void DetailInfoController::giveItemToWidgets()
{
    if (m_currentItem->bibType() != m_lastDisplayedBibType)
        layoutForType(m_currentItem->bibType());
    m_typeField->setItem(m_currentItem);
    for (int slot = 2; slot <= kSlotCount; ++slot)
        field(slot)->setItem(m_currentItem);
    m_textAnnotation->setItem(m_currentItem);
    m_textRawField->setItem(m_currentItem);
    m_attachmentPanel->setItem(m_currentItem);
}

void DetailInfoController::reload()
{
    if (m_currentItem && m_panelShown)
        giveItemToWidgets();
    else if (!m_currentItem)
        clearFieldData();
}

void DetailInfoController::databaseStateChanged()
{
    const bool editable = FieldVerdict::itemEditable(m_currentItem.get());
    if (editable == m_itemEditable)
        return;
    m_itemEditable = editable;
    const QString reason = FieldVerdict::readOnlyReason(m_currentItem.get());
    m_reasonLabel->setText(reason.isEmpty() ? QString() : Texts::text(reason));
    reload();
    updateButtons();
}

void DetailInfoController::clearFieldData()
{
    m_typeField->setItem(nullptr);
    for (int slot = 2; slot <= kSlotCount; ++slot)
        field(slot)->setItem(nullptr);
    m_textAnnotation->setItem(nullptr);
    m_textRawField->setItem(nullptr);
    m_attachmentPanel->setItem(nullptr);
}

void DetailInfoController::setUndefinedFieldNames()
{
    m_lastDisplayedBibType.clear();
    for (int slot = 2; slot <= kSlotCount; ++slot) {
        field(slot)->setFieldName(QString(), false);
        field(slot)->setItem(nullptr);
    }
}

void DetailInfoController::showDetail(bool show)
{
    m_panelShown = show;
    if (show)
        reload();
}

// ---- editing

void DetailInfoController::setEnableEdit(bool on)
{
    if (on) {
        if (m_currentItem)
            m_currentItem->backupOriginal();
        if (m_view->parentWidget())
            m_view->parentWidget()->show();
    } else if (m_currentItem) {
        m_currentItem->fixChanged();
        m_currentItem->releaseBackup();
    }
    m_enableEdit = on;
    m_buttonEnableEdit->setChecked(on);
    m_buttonUndoEdit->setEnabled(false);
    m_typeField->setEditMode(on);
    for (int slot = 2; slot <= kSlotCount; ++slot)
        field(slot)->setEditMode(on);
    m_textAnnotation->setEditMode(on);
    m_textRawField->setEditMode(on);
    if (on && BibPreferences::globalPreferences()->autoOpenInputPanel())
        m_drawerInputSupport->show();
    else if (!on)
        m_drawerInputSupport->hide();
    if (on && m_currentItem)
        focusFirstEditable();
    retitleLockItem();
    updateButtons();
}

void DetailInfoController::focusFirstEditable()
{
    const QString tab = currentTab();
    QWidget *target = nullptr;
    if (tab == kTabBasic) {
        target = field(2);
    } else if (tab == kTabOptional) {
        for (int slot = 11; slot <= 19 && !target; ++slot) {
            if (field(slot)->isEnableEdit())
                target = field(slot);
        }
    } else if (tab == kTabAnnote) {
        target = m_textAnnotation;
    } else if (tab == kTabLinks) {
        target = field(22);
    } else {
        target = m_textRawField;
    }
    if (target)
        target->setFocus(Qt::OtherFocusReason);
}

void DetailInfoController::forceEditMode()
{
    if (!m_enableEdit)
        setEnableEdit(true);
}

void DetailInfoController::unlockItemEdit()
{
    if (m_enableEdit && !resolveRejectedValues())
        return;
    setEnableEdit(!m_enableEdit);
}

void DetailInfoController::retitleLockItem()
{
    if (m_actions)
        m_actions->setTitle(TagLockItemEdit,
                            m_enableEdit ? u"LockItemEdit"_s : u"UnLockItemEdit"_s);
}

void DetailInfoController::updateButtons()
{
    const bool editing = m_enableEdit && m_currentItem && m_itemEditable;
    m_buttonGenerateBibKey->setEnabled(editing);
    m_popupMacroSupport->setEnabled(editing);
    m_drawerInputSupport->enableSupportButtons(editing);
    m_attachmentPanel->setEditing(editing);
    if (m_actions)
        m_actions->updateEnabled();
}

void DetailInfoController::enableUndoButton()
{
    m_buttonUndoEdit->setEnabled(true);
}

void DetailInfoController::fixCurrentItem()
{
    if (m_currentItem)
        m_currentItem->fixChanged();
}

void DetailInfoController::undoEdit()
{
    if (!m_currentItem)
        return;
    m_textRawField->undoEdit();
    m_textAnnotation->undoEdit();
    m_executingUndo = true;
    m_typeField->undoEdit();
    for (int slot = 2; slot <= kSlotCount; ++slot)
        field(slot)->undoEdit();
    m_executingUndo = false;
    m_buttonUndoEdit->setEnabled(false);
    fixCurrentItem();
    // The type may be back to another layout; every widget shows the entry.
    if (m_currentItem->bibType() != m_lastDisplayedBibType)
        giveItemToWidgets();
}

bool DetailInfoController::resolveRejectedValues()
{
    if (!m_enableEdit || !m_currentItem)
        return true;
    QWidget *rejected = nullptr;
    QString name;
    if (m_typeField->verdict() != FieldVerdict::Accepted) {
        rejected = m_typeField;
        name = u"bibtype"_s;
    }
    for (int slot = 2; slot <= kSlotCount && !rejected; ++slot) {
        if (field(slot)->verdict() != FieldVerdict::Accepted) {
            rejected = field(slot);
            name = field(slot)->fieldName();
        }
    }
    if (!rejected && m_textAnnotation->verdict() != FieldVerdict::Accepted) {
        rejected = m_textAnnotation;
        name = BibPreferences::globalPreferences()->annoteIdentifier();
    }
    if (!rejected && m_textRawField->verdict() != FieldVerdict::Accepted) {
        rejected = m_textRawField;
        name = Texts::text(u"Editor_Tab_Raw");
    }
    if (!rejected)
        return true;
    AlertRequest request;
    request.title = Texts::text(u"Editor_RejectedTitle");
    request.message = Texts::format(u"Editor_RejectedMessage", {name, rejected->toolTip()});
    request.defaultButton = Texts::text(u"Editor_KeepEditing");
    request.alternateButton = Texts::text(u"Editor_DiscardValue");
    if (AlertPresenter::show(request) != 0) {
        for (int i = 0; i < m_tabViewDetail->count(); ++i) {
            QWidget *page = m_tabViewDetail->widget(i);
            if (page == rejected || page->isAncestorOf(rejected)) {
                m_switchingTab = true;
                m_tabViewDetail->setCurrentIndex(i);
                m_currentTabIndex = i;
                m_switchingTab = false;
            }
        }
        rejected->setFocus(Qt::OtherFocusReason);
        return false;
    }
    // Discarded: every widget shows what the entry holds.
    m_typeField->setupData();
    for (int slot = 2; slot <= kSlotCount; ++slot)
        field(slot)->setupData();
    m_textAnnotation->setupData();
    m_textRawField->setupData();
    return true;
}

bool DetailInfoController::commitBeforeQuit()
{
    if (!resolveRejectedValues())
        return false;
    fixCurrentItem();
    return true;
}

QString DetailInfoController::currentTab() const
{
    const QWidget *page = m_tabViewDetail->currentWidget();
    return page ? page->objectName() : kTabBasic;
}

void DetailInfoController::showTab(const QString &identifier)
{
    for (int i = 0; i < m_tabViewDetail->count(); ++i) {
        if (m_tabViewDetail->widget(i)->objectName() == identifier)
            m_tabViewDetail->setCurrentIndex(i);
    }
}

void DetailInfoController::tabChanged(int index)
{
    if (m_switchingTab)
        return;
    if (!resolveRejectedValues()) {
        return; // the rejected value's tab was brought back
    }
    m_currentTabIndex = index;
    if (m_currentItem && m_currentItem->isDirty()) {
        m_currentItem->fixChanged();
        reload();
    }
    m_lastTabView = currentTab();
    BibPreferences::globalPreferences()->setLastEditTab(m_lastTabView);
}

void DetailInfoController::generateBibKey()
{
    if (!m_currentItem || !m_enableEdit || !m_itemEditable || !resolveRejectedValues())
        return;
    m_currentItem->fixChanged();
    const QString key = m_currentItem->generateBibKey();
    if (key.isEmpty())
        return;
    m_currentItem->changeBibKey(key);
    field(2)->setItem(m_currentItem);
    reload();
}

void DetailInfoController::prefsChanged()
{
    fixCurrentItem();
    setUndefinedFieldNames();
    m_typeField->reloadPreferences();
    for (int slot = 2; slot <= kSlotCount; ++slot)
        field(slot)->reloadPreferences();
    m_textAnnotation->reloadPreferences();
    m_textRawField->reloadPreferences();
    m_macroMenuBuilt = false;
    buildMacroMenu();
    reload();
}

// ---- change notices

void DetailInfoController::updateDisplayForm()
{
    auto *line = qobject_cast<BibFieldDataField *>(QApplication::focusWidget());
    if (!line || !line->isEnableEdit() || !m_view->isAncestorOf(line)) {
        m_displayForm->clear();
        return;
    }
    // Plain text converts as it is typed; an expression needs the macros,
    // so it shows the form of the last commit.
    const QString text = line->text();
    m_displayForm->setText(line->fieldName() + u": "_s +
                           (text.startsWith(u'@')
                                ? m_currentItem->fieldDataForView(line->fieldName())
                                : TeXtoText::convertString(text)));
}

void DetailInfoController::fieldDataChanged()
{
    if (m_executingUndo)
        return;
    updateDisplayForm();
    m_textRawField->setDirty();
    // The raw text follows the fields while it is not on screen.
    if (m_tabViewDetail->currentWidget() != m_textRawField)
        m_textRawField->setupData();
}

void DetailInfoController::rawDataChanged()
{
    if (m_executingUndo)
        return;
    m_typeField->setDirty();
    for (int slot = 2; slot <= kSlotCount; ++slot)
        field(slot)->setDirty();
    m_textAnnotation->setDirty();
}

void DetailInfoController::bibtypeChanged(const QString &type)
{
    if (!m_currentItem)
        return;
    m_currentItem->fixChanged();
    m_currentItem->setFieldData(type, u"bibtype"_s);
    m_currentItem->fixChanged();
    giveItemToWidgets();
    enableUndoButton();
}

// ---- the macro menu

void DetailInfoController::buildMacroMenu()
{
    m_macroMenuBuilt = true;
    m_popupMacroSupport->clear();
    QAction *title = m_popupMacroSupport->addAction(Texts::text(u"MacroMenuTitle"));
    title->setData(int(TagMacroTitle));
    title->setEnabled(false);
    auto *database =
        m_currentItem ? dynamic_cast<RealDatabase *>(m_currentItem->database()) : nullptr;
    QAction *edit = m_popupMacroSupport->addAction(
        database ? Texts::format(u"EditMacroMenuTitle", {database->description()})
                 : Texts::text(u"EditMacroMenuTitleNoDB"));
    edit->setData(int(TagEditMacros));
    edit->setEnabled(database != nullptr);
    if (database)
        connect(edit, &QAction::triggered, this, [database] { database->editMacros(); });
    m_popupMacroSupport->addSeparator();
    const auto addMacros = [this](const MacroList *list, int firstTag) {
        const QStringList &names = list->macroNameList();
        for (int i = 0; i < names.size(); ++i) {
            QAction *item = m_popupMacroSupport->addAction(
                Texts::format(u"MacroMenuItem", {names.at(i), list->macroForEdit(names.at(i))}));
            const int tag = firstTag + i;
            item->setData(tag);
            connect(item, &QAction::triggered, this, [this, tag] { macroMenuSelected(tag); });
        }
    };
    if (database && database->macroList() && !database->macroList()->macroNameList().isEmpty()) {
        addMacros(database->macroList(), TagDatabaseMacros);
        m_popupMacroSupport->addSeparator();
    }
    if (const MacroList *common = BibPreferences::globalPreferences()->macroList())
        addMacros(common, TagCommonMacros);
}

QString DetailInfoController::macroNameForTag(int tag) const
{
    const MacroList *list = nullptr;
    int index = 0;
    if (tag >= TagCommonMacros) {
        list = BibPreferences::globalPreferences()->macroList();
        index = tag - TagCommonMacros;
    } else if (tag >= TagDatabaseMacros && m_currentItem && m_currentItem->database()) {
        list = m_currentItem->database()->macroList();
        index = tag - TagDatabaseMacros;
    }
    if (!list || index < 0 || index >= list->macroNameList().size())
        return QString();
    return list->macroNameList().at(index);
}

void DetailInfoController::macroMenuSelected(int tag)
{
    const QString macro = macroNameForTag(tag);
    QWidget *target = m_lastEditWidget;
    if (auto *field = qobject_cast<BibFieldDataField *>(target))
        field->insertMacro(macro);
    else if (auto *view = qobject_cast<EntryTextView *>(target))
        view->insertAtCursor(macro);
}

void DetailInfoController::insertFromPalette(const QAbstractButton *button)
{
    if (!m_enableEdit)
        return;
    QWidget *target = m_lastEditWidget;
    if (auto *line = qobject_cast<BibFieldDataField *>(target); line && line->isEnableEdit()) {
        const qsizetype start =
            line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        std::optional<QString> selection;
        if (line->hasSelectedText())
            selection = line->selectedText();
        const std::optional<QString> text = m_drawerInputSupport->textForButton(
            button, selection, InputSupportTemplate::isInsideMath(line->text(), start));
        if (!text)
            return;
        line->insert(*text);
        line->fieldTextChanged();
        line->setFocus(Qt::OtherFocusReason);
    } else if (auto *view = qobject_cast<EntryTextView *>(target); view && view->isEnableEdit()) {
        QTextCursor cursor = view->textCursor();
        std::optional<QString> selection;
        if (cursor.hasSelection())
            selection = cursor.selectedText();
        const std::optional<QString> text = m_drawerInputSupport->textForButton(
            button, selection,
            InputSupportTemplate::isInsideMath(view->toPlainText(), cursor.selectionStart()));
        if (!text)
            return;
        cursor.insertText(*text);
        view->setTextCursor(cursor);
        view->setFocus(Qt::OtherFocusReason);
    }
}

bool DetailInfoController::validateMenuItem(int tag) const
{
    if (tag == TagGenerateBibKey)
        return m_buttonGenerateBibKey->isEnabled();
    return tag == TagLockItemEdit;
}

InputPaletteDock *DetailInfoController::inputPanel() const
{
    return m_drawerInputSupport;
}
