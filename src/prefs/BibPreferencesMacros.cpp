#include "prefs/BibPreferences.h"

// The common macro list of BibPreferences. The list class lives in the model
// layer; until it is part of the build the store keeps the definition only.
#if __has_include("model/MacroList.h")
#include "model/MacroList.h"
#define QF_HAVE_MACRO_LIST 1
#endif

#ifdef QF_HAVE_MACRO_LIST

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

#else

MacroList *BibPreferences::macroList() const
{
    return nullptr;
}

void BibPreferences::rebuildCommonMacro() {}

void BibPreferences::macroListChanged()
{
    setDirty(true);
}

#endif
