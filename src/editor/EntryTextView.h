#pragma once

#include "editor/FieldVerdict.h"

#include <QPlainTextEdit>
#include <QString>

#include <memory>

class BibItem;
class DetailInfoController;

// What the multi-line views of the entry editor share (the annotation and the
// raw BibTeX text): read-only display unless the panel edits an editable
// entry, clean-up of typed text (yen mark, no-break space, NUL), storing every
// change in the entry or marking it red with the reason, an undo point, Esc to
// cancel. Subclasses say what text they show and how it is stored.
class EntryTextView : public QPlainTextEdit
{
    Q_OBJECT

public:
    EntryTextView(DetailInfoController *controller, QWidget *parent);

    void setItem(const std::shared_ptr<BibItem> &item);
    void setEditMode(bool on);
    void setupData();
    bool isEnableEdit() const;
    bool isLocked() const { return false; }
    void undoEdit();
    void setDirty();
    bool isDirty() const { return m_dataChanged; }
    void reloadPreferences() { setupData(); }
    FieldVerdict::Kind verdict() const { return m_verdict; }
    // The change handling of every edit.
    void didChangeText();
    // Inserts `text` at the insertion point (a macro name, a palette's TeX).
    void insertAtCursor(const QString &text);

protected:
    // The entry's text shown in the view.
    virtual QString textOfItem(const BibItem &item) const = 0;
    // Hands `text` to the entry; false when the entry does not accept it.
    virtual bool storeText(BibItem &item, const QString &text) = 0;
    // Tells the controller of the change.
    virtual void notifyController() = 0;

    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

    DetailInfoController *m_infoController;
    std::shared_ptr<BibItem> m_currentItem;

private:
    void startUndoPoint();
    void replaceAll(const QString &text);

    QString m_undoBuffer;
    FieldVerdict::Kind m_verdict = FieldVerdict::Accepted;
    bool m_inEditMode = false;
    bool m_dataChanged = false;
    bool m_settingUp = false;
};
