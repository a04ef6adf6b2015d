#include "prefs/BibPreferences.h"

#include "model/MacroList.h"

// The common macro list of BibPreferences.

MacroList *BibPreferences::macroList() const
{
    return m_commonMacro.load(std::memory_order_acquire);
}

void BibPreferences::installCommonMacro(std::unique_ptr<MacroList> list)
{
    m_commonMacros.push_back(std::move(list));
    m_commonMacro.store(m_commonMacros.back().get(), std::memory_order_release);
}

void BibPreferences::rebuildCommonMacro()
{
    // The stored definition was checked for its shape when it was loaded.
    installCommonMacro(
        std::make_unique<MacroList>(MacroList::macroListWithMacroDefs(macroDefinition(), true)));
}

void BibPreferences::replaceMacroList(MacroList list)
{
    if (!list.common())
        list = MacroList::macroListWithMacroDefs(list.macroDefinition(), true);
    installCommonMacro(std::make_unique<MacroList>(std::move(list)));
    macroListChanged();
}

void BibPreferences::macroListChanged()
{
    put(kPredefinedMacros, QVariant(macroList()->macroDefinition()));
}
