#include "prefs/BibPreferences.h"

// The common macro list of BibPreferences. The list class lives in the model
// layer; until it is part of the build the store keeps the definition only.
#if __has_include("model/MacroList.h")
#include "model/MacroList.h"
#define QF_HAVE_MACRO_LIST 1
#endif

MacroList *BibPreferences::macroList()
{
    return m_commonMacro.get();
}

void BibPreferences::rebuildCommonMacro()
{
#ifdef QF_HAVE_MACRO_LIST
    m_commonMacro =
        std::make_shared<MacroList>(MacroList::macroListWithMacroDefs(macroDefinition(), true));
#endif
}

void BibPreferences::macroListChanged()
{
#ifdef QF_HAVE_MACRO_LIST
    if (m_commonMacro)
        put(kPredefinedMacros, m_commonMacro->macroDefinition());
#endif
    setDirty(true);
}
