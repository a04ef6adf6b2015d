#pragma once

#include "prefs/EncodingChecklist.h"

#include <QDialog>
#include <QList>

class BibPreferences;
class QDialogButtonBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The dialog in which the user picks the active encodings: one check box per
// available encoding, check all / uncheck all / check those containing a text,
// OK (only while something is checked) and Cancel. It edits a copy of the
// active list; the caller reads markedEncodings() after OK and stores them
// (applyTo does that through the checklist). Main thread only.
class EncodingListEditor : public QDialog
{
    Q_OBJECT

public:
    explicit EncodingListEditor(const QList<quint32> &active, QWidget *parent = nullptr);

    // Runs the editor modally over `parent` on the preferences' active list and
    // stores the new list on OK. True when the user confirmed a new selection.
    static bool editEncodingMenu(QWidget *parent = nullptr);

    QList<quint32> markedEncodings() const { return m_checklist.markedEncodings(); }
    // Stores the marked encodings as the active ones; false when none is marked.
    bool applyTo(BibPreferences &preferences) const;

    // The widgets, for keyboard focus order and tests.
    QListWidget *list() const { return m_list; }
    QLineEdit *searchField() const { return m_search; }
    QPushButton *checkAllButton() const { return m_checkAll; }
    QPushButton *uncheckAllButton() const { return m_uncheckAll; }
    QPushButton *checkContainsButton() const { return m_checkContains; }
    QPushButton *okButton() const;

protected:
    // Return in the search field checks the matching names instead of
    // confirming the dialog.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showMarks();
    void updateButtons();
    void itemChanged(QListWidgetItem *item);

    EncodingChecklist m_checklist;
    QListWidget *m_list = nullptr;
    QLineEdit *m_search = nullptr;
    QPushButton *m_checkAll = nullptr;
    QPushButton *m_uncheckAll = nullptr;
    QPushButton *m_checkContains = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
