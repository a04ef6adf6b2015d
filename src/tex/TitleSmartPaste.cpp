#include "tex/TitleSmartPaste.h"

#include "prefs/BibPreferences.h"
#include "tex/PasteCleanup.h"
#include "tex/UnicodeToTeX.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QSet<QString> setOf(const QStringList &words)
{
    return QSet<QString>(words.begin(), words.end());
}

bool isLetter(QChar c)
{
    const auto category = c.category();
    return category == QChar::Letter_Uppercase || category == QChar::Letter_Lowercase;
}

bool isMathVariable(QStringView word)
{
    return word.size() == 1 && word.front() >= u'b' && word.front() <= u'z';
}

QString braced(const QString &word)
{
    return u'{' + word + u'}';
}

bool hasInnerCapital(QStringView word)
{
    return std::any_of(word.begin() + std::min<qsizetype>(1, word.size()), word.end(),
                       [](QChar c) { return c.isUpper(); });
}

bool isApostrophe(QChar c)
{
    return c == u'\'' || c == u'\u2019';
}

} // namespace

TitleSmartPaste::WordLists
TitleSmartPaste::WordLists::fromPreferences(const BibPreferences &preferences)
{
    return {preferences.properNouns(), preferences.shortCaptalWords(),
            preferences.longLowercaseWords()};
}

TitleSmartPaste::TitleSmartPaste(const WordLists &lists)
    : m_properNouns(setOf(lists.properNouns)), m_captalizeWords(setOf(lists.captalizeWords)),
      m_lowercaseWords(setOf(lists.lowercaseWords)),
      m_limitedPuncs(PasteCleanup::characterResource(u"puncSet"))
{}

bool TitleSmartPaste::wordShouldBeLower(QStringView word) const
{
    const QString key = word.toString();
    if (m_captalizeWords.contains(key))
        return false;
    if (m_lowercaseWords.contains(key))
        return true;
    return word.size() < 4;
}

bool TitleSmartPaste::wordShouldBeBracketed(QString &word) const
{
    if (word.size() >= 2 && PasteCleanup::isUppercaseWord(word)) {
        word = braced(word);
        return true;
    }
    if (m_properNouns.contains(word)) {
        word = braced(word);
        return true;
    }
    if (isMathVariable(word)) {
        word = u'$' + word + u'$';
        return true;
    }
    const bool allLetters = std::all_of(word.begin(), word.end(), isLetter);
    if (allLetters) {
        if (!hasInnerCapital(word))
            return false;
        word = braced(word);
        return true;
    }
    if (std::none_of(word.begin(), word.end(), isLetter))
        return false;
    const bool formulaChars = std::all_of(word.begin(), word.end(),
                                          [this](QChar c) { return m_formula.isFormulaChar(c); });
    if (!formulaChars) {
        word = separateByPunctuation(word);
        return true;
    }
    const QChar first = word.front();
    if (first.isDigit() || first.isUpper() || m_formula.isGreek(first) ||
        m_formula.isParen(first)) {
        bool startWithNumber = false;
        if (const auto parts = m_formula.separateWord(word, startWithNumber)) {
            word = m_formula.formulaOf(*parts, startWithNumber, ChemicalFormula::Variant::Word);
            return true;
        }
    }
    word = separateByPunctuation(word);
    return true;
}

QString TitleSmartPaste::separateByPunctuation(const QString &word) const
{
    if (std::any_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); }))
        return braced(word);
    QString out;
    qsizetype i = 0;
    while (i < word.size()) {
        const bool punctuation = word[i].isPunct();
        qsizetype end = i;
        while (end < word.size() && word[end].isPunct() == punctuation)
            ++end;
        const QString run = word.mid(i, end - i);
        if (punctuation) {
            out += run;
        } else if ((run.size() >= 2 && PasteCleanup::isUppercaseWord(run)) ||
                   m_properNouns.contains(run) || hasInnerCapital(run)) {
            out += braced(run);
        } else if (!wordShouldBeLower(run)) {
            out += PasteCleanup::capitalized(run);
        } else if (isMathVariable(run) && !(i > 0 && isApostrophe(word[i - 1]))) {
            // (The s of a possessive or the t of "don't" is no variable.)
            out += u'$' + run + u'$';
        } else {
            out += run;
        }
        i = end;
    }
    return out;
}

QString TitleSmartPaste::titleSmartPaste(const QString &pasted, const QString &prefix,
                                         const QString &suffix, qsizetype &cursor) const
{
    QString result;
    const auto append = [&result](const QString &piece) {
        if (!result.isEmpty())
            result += u' ';
        result += piece;
    };
    for (const QString &piece : pasted.split(u' ')) {
        QString word = piece.trimmed();
        if (word.isEmpty())
            continue;
        QString trailing;
        if (m_limitedPuncs.contains(word.back())) {
            trailing = word.back();
            word.chop(1);
            if (word.isEmpty()) {
                append(trailing);
                continue;
            }
        }
        if (!wordShouldBeBracketed(word) && !wordShouldBeLower(word))
            word = PasteCleanup::capitalized(word);
        append(word + trailing);
    }

    PasteCleanup::convertSpecialChars(result);
    UnicodeToTeX::convertStringSymbols(result);
    UnicodeToTeX::convertStringLetter(result);
    UnicodeToTeX::convertStringMath(result);

    const QString head = prefix.trimmed();
    const QString tail = suffix.trimmed();
    if (!head.isEmpty())
        result = result.isEmpty() ? head : head + u' ' + result;
    cursor = result.size();
    if (!tail.isEmpty())
        result = result.isEmpty() ? tail : result + u' ' + tail;
    return result;
}
