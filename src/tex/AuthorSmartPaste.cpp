#include "tex/AuthorSmartPaste.h"

#include "tex/PasteCleanup.h"
#include "tex/UnicodeToTeX.h"

#include <QList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool isAffiliationMark(QStringView word)
{
    static const QStringList marks = {u"a,"_s, u"b,"_s, u"c,"_s, u"d,"_s, u"1,"_s, u"2,"_s,
                                      u"3,"_s, u"4,"_s, u"a;"_s, u"b;"_s, u"c;"_s, u"d;"_s,
                                      u"1;"_s, u"2;"_s, u"3;"_s, u"4;"_s};
    return marks.contains(word);
}

bool isAsciiUpper(QChar c)
{
    return c >= u'A' && c <= u'Z';
}

// "JR" as "J. R."; "J.R." as "J. R.".
QString spelledInitials(const QString &word)
{
    QString out;
    for (const QChar c : word) {
        if (c == u'.' || c == u'-') {
            if (c == u'-') {
                if (out.endsWith(u' '))
                    out.chop(1);
                out += c;
            }
            continue;
        }
        out += c;
        out += u". "_s;
    }
    return out.trimmed();
}

// A word with every full stop followed by a space, trimmed: 'J.R.' -> 'J. R.';
// a hyphen stays next to its full stop ('K.-I.').
QString spacedFullStops(const QString &word)
{
    QString out;
    for (qsizetype k = 0; k < word.size(); ++k) {
        out += word[k];
        if (word[k] == u'.' && (k + 1 >= word.size() || word[k + 1] != u'-'))
            out += u' ';
    }
    return out.trimmed();
}

// A word of capitals, hyphenated or not ("SMITH", "ABU-KHZAM").
bool isUppercaseName(const QString &word)
{
    const QStringList parts = word.split(u'-');
    return std::all_of(parts.begin(), parts.end(),
                       [](const QString &part) { return PasteCleanup::isUppercaseWord(part); });
}

// "SMITH" as "Smith", "ABU-KHZAM" as "Abu-Khzam".
QString capitalizedName(const QString &word)
{
    QStringList parts = word.split(u'-');
    for (QString &part : parts)
        part = PasteCleanup::capitalized(part);
    return parts.join(u'-');
}

// A word that can only be a given name's initial: a single letter or a word
// with a full stop ("J", "J.", "J.R."), unlike "LI" or "ALI", which may be names.
bool isGivenInitial(QStringView word)
{
    return word.size() == 1 || word.contains(u'.');
}

} // namespace

AuthorSmartPaste::AuthorSmartPaste()
    : m_noNameSet(PasteCleanup::characterResource(u"notForNameChars"))
{
    // Commas and semicolons carry the list's structure and must survive.
    m_noNameSet.remove(u',');
    m_noNameSet.remove(u';');
}

bool AuthorSmartPaste::isInitials(QStringView word)
{
    if (word.isEmpty())
        return false;
    if (!word.contains(u'.')) {
        if (word.size() > 3)
            return false;
        for (const QChar c : word) {
            if (c.category() != QChar::Letter_Uppercase)
                return false;
        }
        return true;
    }
    // Capitals each followed by a full stop, a hyphen allowed between two.
    qsizetype i = 0;
    while (i < word.size()) {
        if (word[i].category() != QChar::Letter_Uppercase || i + 1 >= word.size() ||
            word[i + 1] != u'.')
            return false;
        i += 2;
        if (i < word.size() && word[i] == u'-')
            ++i;
    }
    return word.back() == u'.';
}

QString AuthorSmartPaste::trimmedWord(QStringView word) const
{
    word = word.trimmed();
    const auto isMark = [this](QChar c) { return m_noNameSet.contains(c); };
    while (!word.isEmpty() && isMark(word.front()))
        word = word.mid(1);
    // A mark before a closing comma or semicolon goes too ('Smith1,' -> 'Smith,').
    QChar closing;
    if (!word.isEmpty() && (word.back() == u',' || word.back() == u';')) {
        closing = word.back();
        word.chop(1);
    }
    while (!word.isEmpty() && isMark(word.back()))
        word.chop(1);
    QString out = word.toString();
    if (!closing.isNull())
        out += closing;
    return out;
}

QString AuthorSmartPaste::cleanedName(const QString &piece) const
{
    QStringList words;
    QList<bool> initials; // per word: written as initials in the paste
    for (const QString &raw : piece.split(u' ')) {
        const QString word = trimmedWord(raw);
        if (word.isEmpty())
            continue;
        if (word.size() == 1) {
            const QChar c = word.front();
            if ((c >= u'a' && c <= u'h') || c == u',' || c == u';')
                continue;
            if (isAsciiUpper(c)) {
                words << word + u'.';
                initials << true;
                continue;
            }
        } else if (word.size() == 2 && isAffiliationMark(word)) {
            continue;
        }
        words << word;
        initials << isInitials(word);
    }

    // A family name followed by its initials ("Smith J", "SMITH JR", "LEE YH",
    // "VAN ZYL JM", "van der Berg J.R."): BibTeX needs the comma to tell them
    // apart. Before the initials there must be no word that can only be an
    // initial ("Y LI" is given name and family name).
    // The initials are the last word (one to three capitals, "JR", as the
    // Vancouver style prints them) together with the single letters and dotted
    // initials before it.
    qsizetype firstInitial = words.size();
    if (!words.isEmpty() && initials.back()) {
        --firstInitial;
        while (firstInitial > 0 && initials[firstInitial - 1] &&
               isGivenInitial(words[firstInitial - 1]))
            --firstInitial;
    }
    const bool familyFirst =
        firstInitial > 0 && firstInitial < words.size() &&
        std::none_of(words.begin(), words.begin() + firstInitial, isGivenInitial);
    // "Hoyle, Rebecca B." has its comma already.
    const bool hasComma = std::any_of(words.begin(), words.begin() + firstInitial,
                                      [](const QString &w) { return w.endsWith(u','); });

    QString name;
    for (qsizetype k = 0; k < words.size(); ++k) {
        QString word = words[k];
        if (familyFirst && k >= firstInitial) {
            word = spelledInitials(word);
        } else if (isUppercaseName(word)) {
            word = capitalizedName(word);
        } else if (word.contains(u'.')) {
            word = spacedFullStops(word);
        }
        if (familyFirst && !hasComma && k == firstInitial)
            name += u',';
        if (!name.isEmpty())
            name += u' ';
        name += word;
    }
    return name;
}

QStringList AuthorSmartPaste::checkNameArray(const QStringList &pieces)
{
    if (pieces.size() < 2)
        return pieces;
    QStringList out;
    for (const QString &raw : pieces) {
        const QString piece = raw.trimmed();
        if (piece.isEmpty())
            continue;
        if (!out.isEmpty()) {
            const QString &last = out.back();
            bool merge = !last.contains(u' ');
            if (!merge) {
                const QStringList words = piece.split(QChar(u' '), Qt::SkipEmptyParts);
                merge = std::all_of(words.begin(), words.end(),
                                    [](const QString &w) { return w.endsWith(u'.'); });
            }
            if (merge) {
                out.back() = last + u", "_s + piece;
                continue;
            }
        }
        out << piece;
    }
    return out;
}

QString AuthorSmartPaste::authorSmartPaste(const QString &pasted, const QString &prefixText,
                                           const QString &suffixText, qsizetype &cursor) const
{
    QString prefix = prefixText.trimmed();
    QString suffix = suffixText.trimmed();
    if (prefix.endsWith(u" and"_s) || prefix == u"and")
        prefix.chop(prefix == u"and" ? 3 : 4);
    if (suffix.startsWith(u"and "_s))
        suffix.remove(0, 4);
    prefix = prefix.trimmed();
    suffix = suffix.trimmed();

    // "AND" and "&" join people as "and" does ("Smith, J., & Jones, K.").
    QString text = pasted;
    text.replace(u" AND "_s, u" and "_s);
    text.replace(u" & "_s, u" and "_s);
    bool semicolons = false;
    if (text.contains(u';')) {
        semicolons = true;
        if (text.contains(u',')) {
            for (const QString &piece : text.split(u';')) {
                if (piece.size() > 40) {
                    semicolons = false;
                    break;
                }
            }
        }
    }

    QStringList pieces;
    if (semicolons) {
        text.replace(u"; and "_s, u";"_s);
        text.replace(u";and "_s, u";"_s);
        text.replace(u" and "_s, u";"_s);
        pieces = text.split(u';');
    } else {
        // Pieces joined by "and" are separate people; only pieces split at
        // commas may be the two halves of one name.
        text.replace(u", and "_s, u" and "_s);
        text.replace(u",and "_s, u" and "_s);
        for (const QString &group : text.split(u" and "_s))
            pieces << checkNameArray(group.split(u','));
    }

    QString result;
    for (const QString &piece : std::as_const(pieces)) {
        const QString name = cleanedName(piece);
        if (name.isEmpty() || name == u",")
            continue;
        if (!result.isEmpty())
            result += u" and "_s;
        result += name;
    }

    PasteCleanup::convertSpecialChars(result);
    UnicodeToTeX::convertStringLetter(result);
    UnicodeToTeX::convertStringSymbols(result);

    // An empty rewrite leaves no dangling " and ".
    const auto joined = [](const QString &a, const QString &b) {
        return a.isEmpty() ? b : b.isEmpty() ? a : a + u" and "_s + b;
    };
    result = joined(prefix, result);
    cursor = result.size();
    return joined(result, suffix);
}
