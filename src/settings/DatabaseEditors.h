#pragma once

#include <QStringList>

#include <functional>

class BibDatabase;
class MacroList;
class RealDatabase;
class QDialog;
class QWidget;

// Opens the macro and preamble editors of a database window-modally and, on
// OK, stores what was edited: the database's macros (its entries are then
// expanded anew) or its preambles. The database is looked up again by its
// unique ID under `root()` when the editor closes. Main thread only.
class DatabaseEditors
{
public:
    static QDialog *openMacroEditor(RealDatabase &database, QWidget *parent,
                                    std::function<BibDatabase *()> root);
    static QDialog *openPreambleEditor(RealDatabase &database, QWidget *parent,
                                       std::function<BibDatabase *()> root);

    // What a confirmed editor does.
    static void applyMacros(RealDatabase &database, const MacroList &macros);
    static void applyPreambles(RealDatabase &database, const QStringList &preambles);
};
