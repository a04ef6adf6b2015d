#pragma once

#include "model/MacroList.h"

#include <QDialog>

class QDialogButtonBox;
class QPushButton;
class QTableWidget;

// The editor of a macro list (a database's own, or the common list of
// predefined macros): one row per macro, name and value, checked as typed
// (a faulty text turns red and explains itself in its tooltip; OK waits until
// every row is sound), with rows added, removed and imported from a BibTeX
// style file. It edits a copy; the caller reads macros() after OK and stores
// it. Main thread only.
class MacroEditor : public QDialog
{
    Q_OBJECT

public:
    MacroEditor(const QString &title, const MacroList &macros, QWidget *parent = nullptr);

    // The edited list, in row order, with the common flag of the original.
    MacroList macros() const;
    // Whether every row holds a sound name and value.
    bool isValid() const { return m_valid; }

    // Adds an empty row (the name a free one) and starts editing its name.
    void addMacro();
    void removeSelectedMacros();
    // Takes the MACROs of a style file: a name already present gets the new
    // value, the others are appended. False (after telling the user) when the
    // file cannot be read.
    bool importFromStyleFile(const QString &path);

    QTableWidget *table() const { return m_table; }
    QDialogButtonBox *buttons() const { return m_buttons; }

private:
    void appendRow(const QString &name, const QString &value);
    void validateAll();
    void chooseStyleFile();

    bool m_common;
    bool m_valid = true;
    bool m_validating = false;
    QTableWidget *m_table;
    QDialogButtonBox *m_buttons;
};
