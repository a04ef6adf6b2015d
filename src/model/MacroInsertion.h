#pragma once

#include <QString>

// Inserting an @STRING macro name at the insertion point of a field's edit
// text: the text around it becomes strings joined to the name with "#", and
// the whole value becomes an expression (leading "@"). Pure text logic, no
// state: the entry editor's fields call it and store the result.
class MacroInsertion
{
public:
    struct Result
    {
        QString text;
        // Where the insertion point goes: right after the macro name.
        qsizetype cursor = 0;
    };

    // Whether macros may be inserted into the field `fieldName` (lower case).
    static bool permitsMacro(const QString &fieldName);

    // Closes an open string: with an odd number of double quotes, text before
    // the insertion point gets ` "` appended, text after it `" ` prepended.
    // `hasQuotes` tells whether the text held any double quote. The result
    // `" "` (nothing but the closing) becomes empty.
    static QString checkQuotes(const QString &text, bool isPre, bool &hasQuotes);

    // The new text when `macro` replaces the selection [start, start+length)
    // of `text`. Plain text around it is trimmed of white space and quoted
    // (braced when it holds a double quote itself); the fragments of an
    // expression are trimmed of white space and "#" and kept as they are.
    static Result insertMacro(const QString &text, qsizetype start, qsizetype length,
                              const QString &macro);
};
