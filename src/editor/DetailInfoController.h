#pragma once

#include "editor/FieldVerdict.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <memory>

class ActionRegistry;
class AnnotationText;
class AttachmentPanel;
class BibFieldDataField;
class BibItem;
class BibTypeField;
class EntryTextView;
class InputPaletteDock;
class QAbstractButton;
class ItemDatabase;
class QLabel;
class QMenu;
class QTabWidget;
class QToolButton;
class QWidget;
class RawFieldText;

// The entry editor: the panel below the entry list that shows the selected
// entry in 22 field slots laid out by its type (tabs "basic", "optional",
// "links"), its annotation ("annote") and its BibTeX text ("raw"). Editing is
// switched on with a backup of the entry; every change of entry, tab, type or
// key commits it first, and a value the entry did not accept is never dropped
// without asking. Owns its widgets (view()) and the macro menu; created by the
// application controller. Main thread only.
class DetailInfoController : public QObject
{
    Q_OBJECT

public:
    static constexpr int kSlotCount = 22;
    enum Tag
    {
        TagLockItemEdit = 8090,
        TagGenerateBibKey = 8102,
        TagMacroTitle = 4998,
        TagEditMacros = 4999,
        TagDatabaseMacros = 5000,
        TagCommonMacros = 6000
    };

    explicit DetailInfoController(QObject *parent = nullptr);
    ~DetailInfoController() override;
    DetailInfoController(const DetailInfoController &) = delete;
    DetailInfoController &operator=(const DetailInfoController &) = delete;

    QWidget *view() const { return m_view; }
    // Adds the editor's commands (lock 8090, key 8102) to `actions`.
    void registerActions(ActionRegistry *actions);

    // ---- the entry shown
    // Shows `item` (or nothing). False, showing the old entry still, when the
    // user chose to go on editing a value that was not accepted.
    bool setItem(const std::shared_ptr<BibItem> &item);
    const std::shared_ptr<BibItem> &currentItem() const { return m_currentItem; }
    void reload();
    // The databases changed (closed, reloaded, reserved): an entry that can no
    // longer be edited is shown read-only.
    void databaseStateChanged();
    void clearFieldData();
    void setUndefinedFieldNames();
    // The panel is shown or hidden by the window.
    void showDetail(bool show);

    // ---- editing
    void setEnableEdit(bool on);
    bool isEnableEdit() const { return m_enableEdit; }
    void forceEditMode();
    void unlockItemEdit();
    // Commits the edit in progress.
    void fixCurrentItem();
    void undoEdit();
    // Before quitting, switching entries or tabs: true when nothing rejected
    // is left or the user discarded it; false (the value focused) to go on
    // editing.
    bool resolveRejectedValues();
    // Commits for quitting; false when the user goes on editing.
    bool commitBeforeQuit();
    void showTab(const QString &identifier);
    QString currentTab() const;
    void generateBibKey();
    void prefsChanged();

    // ---- change notices of the widgets
    void fieldDataChanged();
    void rawDataChanged();
    // The type field's normalised text: stored and shown again.
    void bibtypeChanged(const QString &type);

    // ---- the macro menu
    void buildMacroMenu();
    QMenu *macroMenu() const { return m_popupMacroSupport; }
    // The macro name of a menu tag, or empty.
    QString macroNameForTag(int tag) const;
    // Inserts the macro of `tag` into the focused (or last focused) field.
    void macroMenuSelected(int tag);

    // ---- the input palettes
    InputPaletteDock *inputPanel() const;
    // Inserts the text of a palette button into the field being edited.
    void insertFromPalette(const QAbstractButton *button);

    bool validateMenuItem(int tag) const;
    // What the widgets share of the entry shown.
    bool currentItemEditable() const { return m_itemEditable; }
    unsigned dbEncoding() const { return m_dbEncoding; }
    bool executingUndo() const { return m_executingUndo; }
    void enableUndoButton();

    // ---- for tests and the window
    BibFieldDataField *field(int slot) const; // 2..22
    BibTypeField *typeField() const { return m_typeField; }
    AnnotationText *annotationText() const { return m_textAnnotation; }
    RawFieldText *rawFieldText() const { return m_textRawField; }
    AttachmentPanel *attachmentPanel() const { return m_attachmentPanel; }
    QLabel *titleLabel(int slot) const;
    QTabWidget *tabView() const { return m_tabViewDetail; }
    QToolButton *enableEditButton() const { return m_buttonEnableEdit; }
    QToolButton *undoButton() const { return m_buttonUndoEdit; }
    QToolButton *generateKeyButton() const { return m_buttonGenerateBibKey; }
    QLabel *reasonLabel() const { return m_reasonLabel; }
    QLabel *displayFormLabel() const { return m_displayForm; }
    const QString &lastDisplayedBibType() const { return m_lastDisplayedBibType; }

private:
    void buildView();
    void layoutForType(const QString &type);
    void giveItemToWidgets();
    void focusFirstEditable();
    void tabChanged(int index);
    void updateButtons();
    void retitleLockItem();
    void updateDisplayForm();

    // Owned here until the window takes it into its layout.
    QPointer<QWidget> m_view;
    QTabWidget *m_tabViewDetail = nullptr;
    QToolButton *m_buttonEnableEdit = nullptr;
    QToolButton *m_buttonUndoEdit = nullptr;
    QToolButton *m_buttonGenerateBibKey = nullptr;
    QLabel *m_reasonLabel = nullptr;
    // The display form of the field being edited, beside its edit form.
    QLabel *m_displayForm = nullptr;
    BibTypeField *m_typeField = nullptr;
    // Slots 2..22 at indexes 1..21 (index 0, the type slot, is m_typeField).
    std::array<BibFieldDataField *, kSlotCount> m_bibfieldDataObjects{};
    std::array<QLabel *, kSlotCount> m_titleFields{};
    AnnotationText *m_textAnnotation = nullptr;
    RawFieldText *m_textRawField = nullptr;
    AttachmentPanel *m_attachmentPanel = nullptr;
    QMenu *m_popupMacroSupport = nullptr;
    // Owned here until the window docks it.
    QPointer<InputPaletteDock> m_drawerInputSupport;
    ActionRegistry *m_actions = nullptr;
    QPointer<QWidget> m_lastEditWidget;

    std::shared_ptr<BibItem> m_currentItem;
    QString m_lastDisplayedBibType;
    QString m_lastTabView;
    int m_currentTabIndex = 0;
    const ItemDatabase *m_databaseForMacro = nullptr;
    bool m_macroMenuBuilt = false;
    unsigned m_dbEncoding = 10;
    bool m_itemEditable = false;
    bool m_enableEdit = false;
    bool m_executingUndo = false;
    bool m_panelShown = true;
    bool m_switchingTab = false;
};
