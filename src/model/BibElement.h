#pragma once

#include "model/FieldMap.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringView>

#include <cstddef>
#include <optional>

class ElementList;
class MacroSource;
class StringInputStream;

// A field name (lower case) mapped to its value elements in source order;
// "bibkey" holds one special element when a key was read. Fields keep the
// order they were read in.
using BibFieldDictionary = FieldMap<ElementList>;

// One token of a BibTeX value (a macro name, number, braced or quoted string,
// math) or one of the separators '=', '#', ','. A value: copy freely, compare
// with ==; no shared state, so any thread may use its own copies. The static
// operations below are the BibTeX value grammar: the tokenizer, the grouping
// into named fields and the two checks of values typed by the user.
class BibElement
{
public:
    enum Type : qint32
    {
        Word = 0,
        Number = 1,
        Special = 2,
        BracedString = 3,
        QuotedString = 4,
        Math = 5,
        Equal = 6,
        Sharp = 7,
        Comma = 8,
        TeXCommand = 9,
    };

    BibElement() = default;
    BibElement(qint32 type, const QString &data) : m_elementType(codeOf(type))
    {
        store(data);
    }

    // Classified by shape: {..} 3, ".." 4, $..$ 5, \.. 9, up to nine ASCII
    // digits (or nothing) 1, anything else 0.
    static BibElement bibElementWithString(const QString &text);
    static BibElement bibElementWithString(QStringView text);
    static BibElement bibElementWithNumString(const QString &text);
    // A quoted string of `text`: the quotes are added around it.
    static BibElement bibElementWithQuoteString(const QString &text);
    static BibElement bibElementWithSpecial(const QString &text);
    static BibElement bibElementEqual();
    static BibElement bibElementSharp();
    static BibElement bibElementComma();

    qint32 elementType() const { return m_elementType; }
    void setType(qint32 type);
    void setData(const QString &data) { store(data); }
    // The text as read, delimiters included.
    QString stringValue() const;
    // The text without its braces or quotes (codes 3 and 4), else as read.
    // Shares the element's text: an item's edit form costs no copy.
    QString stringContents() const;
    // Takes `same`, a text equal to the element's own (as stringContents
    // answers it), in place of its own, so that equal values of many entries
    // are held once. Any other text leaves the element as it is.
    void shareText(const QString &same)
    {
        if (m_elementData == same)
            m_elementData = same;
    }
    // Codes 0-5: a value element, as opposed to a separator or a TeX command.
    bool isValue() const { return m_elementType >= Word && m_elementType <= Math; }

    // The value with macro names expanded to display text by `macros` (names
    // matched upper case, the common list searched too) and braces and quotes
    // stripped. Without a macro list a name stands for itself, upper case.
    QString stringWithMacro(const MacroSource *macros) const;
    // The same with macro names expanded to their TeX values.
    QString stringWithMacroInTeX(const MacroSource *macros) const;

    // The archived form {"elementType": n, "elementData": text}, and back;
    // absent when the archive is not one of these.
    QJsonObject archive() const;
    static std::optional<BibElement> fromArchive(const QJsonValue &archive);

    // Reads the tokens of one BibTeX value list from `stream` (which should
    // read with spacesToASpace and yenToBackslash set). With `needsBraket` the
    // text must open with '{' and reading ends after the matching '}'. `error`
    // is null on success, else the text of the problem; the tokens read so far
    // are returned either way.
    static QList<BibElement> getElementsFromStream(StringInputStream &stream, QString &error,
                                                   bool needsBraket);
    // Groups tokens into "key, name = value # value, ..." fields. Absent, with
    // `error` set, on a syntax error.
    static std::optional<BibFieldDictionary> analyzeElements(const QList<BibElement> &elements,
                                                             QString &error, bool needsBibkey);
    // The same for a token list the caller no longer needs: the values are
    // moved out of it rather than copied (their texts are left empty).
    static std::optional<BibFieldDictionary> analyzeElements(QList<BibElement> &&elements,
                                                             QString &error, bool needsBibkey);
    // A plain field value with white-space runs collapsed and yen signs read
    // as backslashes; double quotes stay as typed. Absent when the braces do
    // not balance (or a '}' runs ahead of its '{' in a value holding a double
    // quote outside braces, which could not be written back).
    static std::optional<QString> checkNesting(const QString &text);
    // Whether braces pair up as a block reader sees them: the depth never
    // drops below zero and ends at zero (a preamble's text, kept verbatim).
    static bool bracesBalance(QStringView text);
    // A value typed as a BibTeX expression ("@" then values joined by '#').
    // Answers its value elements and, through `outString`, the normalised
    // expression; absent on a syntax error, whose text goes to `error` when
    // given.
    static std::optional<QList<BibElement>> checkValidity(const QString &text, QString &outString,
                                                          QString *error = nullptr);

    friend bool operator==(const BibElement &, const BibElement &) = default;

private:
    friend class ElementList; // marks a held list where a held element keeps its type

    // A type as kept: a code outside the known ones is read as a word.
    static qint16 codeOf(qint32 type)
    {
        return type >= Word && type <= TeXCommand ? static_cast<qint16>(type) : qint16(Word);
    }
    static constexpr std::size_t typeOffset() { return offsetof(BibElement, m_elementType); }
    bool delimited() const { return m_elementType == BracedString || m_elementType == QuotedString; }
    // Keeps `data` as read: a braced or quoted string of two units or more
    // without its first and last unit, which are kept aside.
    void store(const QString &data);

    // As read; for a split braced or quoted string, without its delimiters.
    QString m_elementData;
    qint16 m_elementType = Word;
    char16_t m_open = 0;  // the delimiters of a split string
    char16_t m_close = 0;
    bool m_split = false; // the delimiters are kept aside
};
Q_DECLARE_TYPEINFO(BibElement, Q_RELOCATABLE_TYPE);

// The grammar's dictionaries hold their values as element lists.
#include "model/ElementList.h"
