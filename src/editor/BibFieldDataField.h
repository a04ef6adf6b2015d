#pragma once

#include "editor/FieldVerdict.h"
#include "tex/SmartPaste.h"

#include <QLineEdit>
#include <QString>

#include <memory>
#include <optional>

class BibItem;
class DetailInfoController;
class LineEditSpelling;
class QLabel;
class QMenu;

// One single-line field slot of the entry editor. Shows the field's display
// form, or its edit form while the panel edits an editable entry; every change
// is stored in the entry at once (setFieldData) or, when the entry does not
// accept it, kept in red with the reason. Esc puts back the value the field
// had when it became editable. Text pasted into an author or title field is
// rewritten for BibTeX (SmartPaste) when its switch is on; the field's own
// undo then brings the text back as it was pasted. Owned by the panel of its
// controller.
class BibFieldDataField : public QLineEdit
{
    Q_OBJECT

public:
    BibFieldDataField(DetailInfoController *controller, QLabel *titleField, QWidget *parent);

    // The slot's field (lower-cased; empty: an empty, locked slot).
    void setFieldName(const QString &name, bool required);
    const QString &fieldName() const { return m_fieldName; }
    bool isLocked() const { return m_locked; }
    bool permitMacro() const { return m_permitMacro; }
    void setItem(const std::shared_ptr<BibItem> &item);
    void setEditMode(bool on);
    void setupData();
    bool isEnableEdit() const;
    void undoEdit();
    void setDirty();
    bool isDirty() const { return m_dataChanged; }
    void reloadPreferences();
    FieldVerdict::Kind verdict() const { return m_verdict; }
    // The rewriting a paste gets in this field (None: plain paste).
    SmartPaste::Kind pasteKind() const { return m_pasteKind; }

    // The change handling of every edit: clean-up, storing, marking.
    void fieldTextChanged();
    // Inserts `macro` at the insertion point (an expression results).
    void insertMacro(const QString &macro);
    // Underlines misspelt words while the field edits prose.
    LineEditSpelling *spelling() const { return m_spelling; }
    // Pastes the clipboard as the Paste command does, with the smart paste.
    void pasteClipboard();
    // The field's context menu at `pos` (in the field): spelling suggestions
    // for the word there, the toolkit's editing items (Paste through
    // pasteClipboard) and the macro submenu. The caller owns it.
    QMenu *createContextMenu(const QPoint &pos = QPoint());

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Where the edit in progress puts pasted text: known for the Paste
    // command, unknown (found by comparing the texts) for a middle-click
    // paste or a drop.
    struct PasteEdit
    {
        bool positionKnown = false;
        qsizetype start = 0;      // insertion point, or start of the replaced selection
        qsizetype keptLength = 0; // characters of the text the paste leaves in place
    };

    void startUndoPoint();
    // Runs `edit` (the toolkit's own paste) with the paste recorded.
    template<typename Edit> void runPaste(bool positionKnown, Edit edit);
    // The smart paste of the edit in progress; answers whether it rewrote the text.
    bool rewritePaste();

    DetailInfoController *m_infoController;
    QLabel *m_titleField;
    LineEditSpelling *m_spelling;
    std::shared_ptr<BibItem> m_currentItem;
    QString m_fieldName;
    QString m_undoBuffer;
    // The text before the current change; pasted text is recognised by the
    // jump in length since it (the seam of the smart paste).
    QString m_prevText;
    std::optional<PasteEdit> m_pasteEdit;
    SmartPaste::Kind m_pasteKind = SmartPaste::Kind::None;
    FieldVerdict::Kind m_verdict = FieldVerdict::Accepted;
    bool m_locked = true;
    bool m_inEditMode = false;
    bool m_dataChanged = false;
    bool m_settingUp = false;
    bool m_permitMacro = false;
};
