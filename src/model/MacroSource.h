#pragma once

#include <QString>

// What a field value needs from a list of @STRING macros to expand a macro
// name: the display value and the TeX value of an upper-case name. MacroList
// implements it; values evaluate against it through BibElement. Lookups do not
// change the list.
class MacroSource
{
public:
    virtual ~MacroSource() = default;

    // The display value (TeX converted to Unicode) of `name`, which is upper
    // case. A name the list does not know answers the name itself, or the
    // common list's value when the list falls back to it.
    virtual QString expandMacro(const QString &name, bool searchCommon) const = 0;
    // The same, with TeX markup kept.
    virtual QString expandMacroInTeX(const QString &name, bool searchCommon) const = 0;

protected:
    MacroSource() = default;
    MacroSource(const MacroSource &) = default;
    MacroSource &operator=(const MacroSource &) = default;
};
