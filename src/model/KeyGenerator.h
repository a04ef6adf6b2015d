#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

// The characters of citation keys: what a generated key may hold, and what a
// key typed by the user must avoid so that the file reader reads it back.
// Stateless.
class KeyGenerator
{
public:
    // "0-9A-Za-z_-:;.|/[]()" and every UTF-16 unit from U+2900 on.
    static bool isKeyCharacter(QChar c);
    // `rendered` (a rule rendered as plain text) reduced to key characters.
    static QString keyFromRenderedRule(QStringView rendered);
    // Whether `key` can stand as a citation key (or an entry type) in a file:
    // not empty, no white space and none of the characters that end or nest a
    // BibTeX token (, = # { } " \ $).
    static bool isAcceptableKey(QStringView key);
};
