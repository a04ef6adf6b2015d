#include "prefs/BibPreferences.h"

#include "model/MacroList.h"

// The common macro list of BibPreferences.

MacroList *BibPreferences::macroList() const
{
    return m_commonMacro.get();
}

void BibPreferences::rebuildCommonMacro()
{
    // The stored definition was checked for its shape when it was loaded.
    m_commonMacro =
        std::make_shared<MacroList>(MacroList::macroListWithMacroDefs(macroDefinition(), true));
}

void BibPreferences::macroListChanged()
{
    put(kPredefinedMacros, QVariant(m_commonMacro->macroDefinition()));
}
