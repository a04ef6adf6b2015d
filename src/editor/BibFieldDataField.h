#pragma once

#include "editor/FieldVerdict.h"

#include <QLineEdit>
#include <QString>

#include <memory>

class BibItem;
class DetailInfoController;
class LineEditSpelling;
class QLabel;

// One single-line field slot of the entry editor. Shows the field's display
// form, or its edit form while the panel edits an editable entry; every change
// is stored in the entry at once (setFieldData) or, when the entry does not
// accept it, kept in red with the reason. Esc puts back the value the field
// had when it became editable. Owned by the panel of its controller.
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

    // The change handling of every edit: clean-up, storing, marking.
    void fieldTextChanged();
    // Inserts `macro` at the insertion point (an expression results).
    void insertMacro(const QString &macro);
    // Underlines misspelt words while the field edits prose.
    LineEditSpelling *spelling() const { return m_spelling; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void startUndoPoint();

    DetailInfoController *m_infoController;
    QLabel *m_titleField;
    LineEditSpelling *m_spelling;
    std::shared_ptr<BibItem> m_currentItem;
    QString m_fieldName;
    QString m_undoBuffer;
    // The text before the current change; pasted text is recognised by the
    // jump in length since it (the seam of the smart paste).
    QString m_prevText;
    FieldVerdict::Kind m_verdict = FieldVerdict::Accepted;
    bool m_locked = true;
    bool m_inEditMode = false;
    bool m_dataChanged = false;
    bool m_settingUp = false;
    bool m_permitMacro = false;
};
