#pragma once

#include "model/BibElement.h"
#include "model/MacroDefinition.h"
#include "model/MacroSource.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// The @STRING macros of one database, or the common list of predefined macros
// kept by the preferences: upper-case names in definition order, each with its
// edit form, its TeX form (references expanded) and its display form. A
// database list falls back to the common list for names it lacks. Owned by its
// database or by the preferences; not locked: change it on one thread only.
class MacroList : public MacroSource
{
public:
    // Where no position is meant (expandMacroElements: "all macros").
    static constexpr qsizetype kNoIndex = -1;

    // appendMacroWithDefs options for a name the list already has.
    enum AppendOption
    {
        AppendUnderUniqueName = 0, // add under NAME_1, NAME_2, ...
        SkipExisting = 1,
        ReplaceExisting = 2, // replace in place
        AppendUnderUniqueName2 = 3,
    };

    MacroList() = default;
    explicit MacroList(bool common) : m_common(common) {}
    MacroList(const MacroList &) = default;
    MacroList &operator=(const MacroList &) = default;
    MacroList(MacroList &&) noexcept = default;
    MacroList &operator=(MacroList &&) noexcept = default;
    ~MacroList() override = default;

    // --- creation ---
    static MacroList macroList() { return MacroList(); }
    // A fresh list with the other's macros (re-expanded) and its common flag.
    static MacroList macroListWithList(const MacroList &other);
    // From (value, name) pairs, stopping at the first empty value; values are
    // taken as they stand (no expansion).
    static MacroList
    macroListWithStringList(const QList<std::pair<QString, QString>> &valueNamePairs, bool common);
    static MacroList macroListWithMacroDefs(const MacroDefinition &definition, bool common);
    // The same from the stored form (see macroDefinition); a malformed one
    // gives an empty list.
    static MacroList macroListWithMacroDefs(const QVariantList &definition, bool common);
    // The MACROs of a BibTeX style file, decoded with the preferences'
    // database encoding (a UTF-16 byte-order mark wins). None, with a keyed
    // message naming the file in `error`, when it cannot be read or decoded.
    // Names that a .bib file could not hold (see isReadableName) are left out
    // and appended to `skippedNames`, upper-cased, in file order.
    static std::optional<MacroList> macroListFromBstFile(const QString &path, QString &error,
                                                         QStringList *skippedNames = nullptr);
    // The same with an explicit encoding code.
    static std::optional<MacroList> macroListFromBstFile(const QString &path, quint32 encoding,
                                                         QString &error,
                                                         QStringList *skippedNames = nullptr);
    // The same on text already decoded.
    static MacroList macroListFromBstText(const QString &text, QStringList *skippedNames = nullptr);
    // Whether the upper-case `name` can be kept in a .bib file: its @STRING
    // line reads back as exactly that name, and the name alone as a field
    // value reads as that one macro reference. Broader than what the macro
    // editor lets a user type (validateMacroName): "NT/F" is readable.
    static bool isReadableName(const QString &name);

    // The 31 predefined (value, name) pairs of the standard style files.
    static const QList<std::pair<QString, QString>> &predefinedMacroPairs();
    // The common list built from them.
    static MacroList predefinedMacroList();

    // --- queries ---
    bool common() const { return m_common; }
    const QStringList &macroNameList() const { return m_macroNames; }
    const QHash<QString, QString> &macroDataForEdit() const { return m_macroDataForEdit; }
    // The exchange form: [names, {name: edit form}] (see MacroDefinition).
    QVariantList macroDefinition() const;
    MacroDefinition definition() const { return {m_macroNames, m_macroDataForEdit}; }
    qsizetype count() const { return m_macroNames.size(); }
    bool contains(const QString &name) const { return m_macroDataForEdit.contains(name); }
    // The edit form of `name`, or "@NAME" when the list lacks it.
    QString macroForEdit(const QString &name) const;
    // Display and TeX values of an upper-case name: this list, then (for a
    // database list) the common list; the name itself when nobody has it.
    QString expandMacro(const QString &name, bool searchCommon) const override;
    QString expandMacroInTeX(const QString &name, bool searchCommon) const override;
    // `name` when free, else the first free "NAME_1", "NAME_2", ...
    QString uniqueMacroName(const QString &name) const;

    // --- changes ---
    bool setMacroWithName(const QString &name, const QString &data);
    void replaceMacrosWithDefs(const MacroDefinition &definition);
    void replaceMacrosWithDefs(const QVariantList &definition);
    void appendMacroWithDefs(const MacroDefinition &definition, int option);
    void appendMacroWithDefs(const QVariantList &definition, int option);
    // One @STRING block as the grammar groups it (name -> value elements).
    // Renamed duplicates are listed in `errorStr` as "OLD -> NEW"; answers
    // whether no name had to be renamed.
    bool appendMacroWithDictionary(const BibFieldDictionary &dictionary,
                                   QString &errorStr);
    bool removeMacro(const QString &name);
    void removeAllMacros();
    void sortByName();
    static void sortListByName(QStringList &names);
    // Month names first in calendar order, then the others by locale.
    static int compareMacroName(const QString &a, const QString &b);

    // --- validation of typed text (the error flag is set on a fault) ---
    static QString validateMacroName(const QString &name, bool &error);
    static QString validateMacroData(const QString &data, bool &error);

    // --- output ---
    // The @STRING block of a .bib file, one line per macro and a final `lf`.
    QString databaseMacroStringWithLF(const QString &lf) const;
    // The right-hand side written for an edit form in the @STRING block.
    static QString writtenValue(const QString &dataForEdit);
    // Whether the written form of `dataForEdit` reads back as the edit form
    // `expected`.
    static bool readsBackAs(const QString &dataForEdit, const QString &expected);

    // --- expansion ---
    // The TeX value of an edit form as macro `name` sees it: only macros
    // defined before `name` are expanded.
    QString expandMacroData(const QString &data, const QString &name) const;
    // The TeX value of elements, expanding macros at positions below `maxIndex`.
    QString expandMacroElements(const QList<BibElement> &elements, qsizetype maxIndex) const;
    // The edit form of a value made of parsed elements.
    static QString dataForEditWithElements(const QList<BibElement> &elements);

    bool operator==(const MacroList &other) const;

private:
    // Stores one macro under an upper-case name at its place (appends a new one).
    void storeMacro(const QString &name, const QString &dataForEdit, const QString &dataInTeX);
    // Recomputes the TeX and display forms of the expressions from `index` on,
    // so that a change reaches the macros that refer to the changed one.
    void reexpandFrom(qsizetype index);
    static const MacroList *commonList();

    QStringList m_macroNames;
    QHash<QString, QString> m_macroDataForEdit;
    QHash<QString, QString> m_macroDataInTeX;
    QHash<QString, QString> m_macroData;
    bool m_common = false;
};
