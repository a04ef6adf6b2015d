#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

class StringInputStream;

// Reads a word of a pasted title as a chemical formula ("H2O", "Fe3+",
// "(NH4)2SO4", "13C") and writes it as TeX: element symbols braced, counts as
// subscripts, charges and mass numbers as superscripts. The character classes
// come from the keyed texts "hyphenSet", "parenSet", "mathSeparatorSet",
// "chemicalFormulaSubSet" and "chemicalFormulaGreekSet". A value; const and
// safe to use from any thread.
class ChemicalFormula
{
public:
    // How the first count of a formula is written: a word's leading digits
    // are a mass number, a bracketed group's are copied.
    enum class Variant
    {
        Word,
        Block
    };

    ChemicalFormula();

    // The parts of `word` read as a formula (element runs, counts and
    // charges, operators, bracketed groups already formatted); absent when
    // the word is no formula. `startWithNumber` tells whether the word begins
    // with a count character.
    std::optional<QStringList> separateWord(const QString &word, bool &startWithNumber) const;
    // The formatted content of a bracketed group read from `stream` up to
    // `closing` (consumed; `endingFound` tells whether it came).
    QString getBlockTo(QChar closing, StringInputStream &stream, bool &endingFound) const;
    // The TeX of a formula from its parts.
    QString formulaOf(const QStringList &parts, bool startWithNumber, Variant variant) const;

    // One of the 108 element symbols (and the composition variables x, y, z, n).
    static bool isElement(QStringView symbol);

    bool isHyphen(QChar c) const { return m_hyphenSet.contains(c); }
    bool isParen(QChar c) const { return m_parenSet.contains(c); }
    bool isMathSeparator(QChar c) const { return m_mathSeparatorSet.contains(c); }
    bool isCount(QChar c) const { return m_equSubSet.contains(c); }
    bool isGreek(QChar c) const { return m_chemicalGreekSet.contains(c); }
    // Whether a formula may consist of `c`: a letter, a bracket, an operator,
    // a count character or a Greek letter of the formula set.
    bool isFormulaChar(QChar c) const;

private:
    std::optional<QStringList> separateWord(const QString &word, bool &startWithNumber,
                                            int depth) const;
    QString getBlockTo(QChar closing, StringInputStream &stream, bool &endingFound,
                       int depth) const;

    QString m_hyphenSet;
    QString m_parenSet;
    QString m_mathSeparatorSet;
    QString m_equSubSet;
    QString m_chemicalGreekSet;
};
