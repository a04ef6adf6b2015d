#pragma once

#include "tex/ChemicalFormula.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

class BibPreferences;

// Rewrites a pasted title for BibTeX word by word: ordinary words
// capitalised, short function words left alone, acronyms, listed proper nouns
// and words with inner capitals braced, single letters set as math variables,
// chemical formulas written with subscripts and superscripts; then special
// characters, letters and symbols turned into TeX. A value built from the
// three word lists; const and safe to use from any thread.
class TitleSmartPaste
{
public:
    // The word lists that steer the rewriting; look-ups compare whole words.
    struct WordLists
    {
        QStringList properNouns;    // always braced
        QStringList captalizeWords; // short, but capitalised all the same
        QStringList lowercaseWords; // long, but left uncapitalised

        // The three lists of the user's settings.
        static WordLists fromPreferences(const BibPreferences &preferences);
    };

    explicit TitleSmartPaste(const WordLists &lists);

    // The new text of the whole field when `pasted` (already through
    // PasteCleanup::convertIllegalChars) arrives between `prefix` and
    // `suffix`; `cursor` receives the position after the pasted title.
    QString titleSmartPaste(const QString &pasted, const QString &prefix, const QString &suffix,
                            qsizetype &cursor) const;

    // Whether `word` stays as it is instead of being capitalised.
    bool wordShouldBeLower(QStringView word) const;
    // Whether `word` was handled by bracing, math or formula rules (and then
    // replaced in place); false when the capitalisation rules apply.
    bool wordShouldBeBracketed(QString &word) const;
    // `word` split into runs of punctuation and other characters, each other
    // run treated as a word of its own; braced whole when it holds a digit.
    QString separateByPunctuation(const QString &word) const;

    const ChemicalFormula &formula() const { return m_formula; }

private:
    QSet<QString> m_properNouns;
    QSet<QString> m_captalizeWords;
    QSet<QString> m_lowercaseWords;
    QString m_limitedPuncs; // resource "puncSet"
    ChemicalFormula m_formula;
};
