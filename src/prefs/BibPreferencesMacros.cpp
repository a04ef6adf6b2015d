#include "prefs/BibPreferences.h"

// The common macro list of BibPreferences. The list class lives in the model
// layer; until it is part of the build the store keeps the definition only.
#if __has_include("model/MacroList.h")
#include "model/MacroList.h"
#define QF_HAVE_MACRO_LIST 1
#endif

#ifdef QF_HAVE_MACRO_LIST

const MacroList &BibPreferences::macroList() const
{
    return *m_commonMacro;
}

MacroList &BibPreferences::macroList()
{
    return *m_commonMacro;
}

void BibPreferences::rebuildCommonMacro()
{
    const std::optional<MacroDefinition> definition =
        MacroDefinition::fromVariant(QVariant(macroDefinition()));
    m_commonMacro = std::make_shared<MacroList>(
        definition ? MacroList::macroListWithMacroDefs(*definition, true)
                   : MacroList::predefinedMacroList());
}

void BibPreferences::macroListChanged()
{
    put(kPredefinedMacros, m_commonMacro->macroDefinition().toVariant());
}

#else

void BibPreferences::rebuildCommonMacro() {}

void BibPreferences::macroListChanged()
{
    setDirty(true);
}

#endif
