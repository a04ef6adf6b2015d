#pragma once

#include "model/MacroList.h"
#include "settings/RowTableDialog.h"

// The editor of a macro list (a database's own, or the common list of
// predefined macros): one row per macro, name and value, checked as typed
// (a faulty text turns red and explains itself in its tooltip; OK waits until
// every row is sound), with rows added, removed and imported from a BibTeX
// style file. It edits a copy; the caller reads macros() after OK and stores
// it. Main thread only.
class MacroEditor : public RowTableDialog
{
    Q_OBJECT

public:
    MacroEditor(const QString &title, const MacroList &macros, QWidget *parent = nullptr);

    // The edited list, in row order, with the common flag of the original.
    MacroList macros() const;

    // Adds an empty row (the name a free one) and starts editing its name.
    void addMacro();
    // Takes the MACROs of a style file: a name already present gets the new
    // value, the others are appended. False (after telling the user) when the
    // file cannot be read.
    bool importFromStyleFile(const QString &path);

protected:
    // Names sound and unique, values sound.
    bool checkRows() override;

private:
    void chooseStyleFile();

    bool m_common;
};
