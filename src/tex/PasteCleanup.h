#pragma once

#include <QString>
#include <QStringView>

// The character clean-up of pasted and typed field text, shared by the smart
// author and title paste: control characters and the no-break space become
// spaces, typographic hyphens and dashes become TeX dashes, the yen sign of
// Japanese keyboards becomes a backslash. Stateless; safe from any thread.
class PasteCleanup
{
public:
    // U+0000, U+00A0, line feed, carriage return and tab each become a space.
    static void convertIllegalChars(QString &text);
    // The hyphen resources become "-", "--" and "---"; the yen mark a backslash.
    static void convertSpecialChars(QString &text);

    // The characters of the keyed text `key`; empty when the table lacks it
    // (the table would otherwise answer the key itself).
    static QString characterResource(QStringView key);
    // The yen sign as typed in place of the backslash (resource "yenmark").
    static QString yenMarkString();

    // `word` with its first character upper case and the rest lower case.
    static QString capitalized(QStringView word);
    // Whether `word` is made of letters of category Lu only (and is not empty).
    static bool isUppercaseWord(QStringView word);
};
