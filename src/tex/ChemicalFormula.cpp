#include "tex/ChemicalFormula.h"

#include "core/StringInputStream.h"
#include "tex/PasteCleanup.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace {

// Brackets nest this deep at most; a deeper group is braced as it stands, so
// that no pasted word can exhaust the stack.
constexpr int maxDepth = 16;

QString script(QChar mark, const QString &text)
{
    if (text.size() == 1)
        return u'$' + QString(mark) + text + u'$';
    return u'$' + QString(mark) + u'{' + text + u"}$"_s;
}

bool isAllDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

// Whether the leading `digits` of a word are the mass number of the element
// that begins `next` ("13C", "1H", "6Li"): one digit only for the isotopes of
// the light elements that have one, so that "2D", "3D", "4K" and the polytype
// "4H" stay numbers; never before anything but an element ("2-D").
bool isMassNumber(const QString &digits, const QString &next)
{
    if (!isAllDigits(digits) || next.isEmpty() || !next.front().isUpper())
        return false;
    if (digits.size() > 1)
        return true;
    static const QStringList isotopes = {u"1H"_s,  u"2H"_s,  u"3H"_s,  u"3He"_s, u"4He"_s,
                                         u"6He"_s, u"8He"_s, u"6Li"_s, u"7Li"_s, u"8Li"_s,
                                         u"9Li"_s, u"7Be"_s, u"9Be"_s, u"8B"_s};
    const bool twoLetters =
        next.size() > 1 && next[1].isLower() && ChemicalFormula::isElement(next.left(2));
    return isotopes.contains(digits + next.left(twoLetters ? 2 : 1));
}

} // namespace

ChemicalFormula::ChemicalFormula()
    : m_hyphenSet(PasteCleanup::characterResource(u"hyphenSet")),
      m_parenSet(PasteCleanup::characterResource(u"parenSet")),
      m_mathSeparatorSet(PasteCleanup::characterResource(u"mathSeparatorSet")),
      m_equSubSet(PasteCleanup::characterResource(u"chemicalFormulaSubSet")),
      m_chemicalGreekSet(PasteCleanup::characterResource(u"chemicalFormulaGreekSet"))
{}

bool ChemicalFormula::isElement(QStringView symbol)
{
    static const QSet<QString> elements = [] {
        const QString all =
            u"He Li Be Ne Na Mg Al Si Cl Ar Ca Sc Ti Cr Mn Fe Co Ni Cu Zn Ga Ge As Se Br Kr Rb "
            u"Sr Zr Nb Mo Tc Ru Rh Pd Ag Cd In Sn Sb Te Xe Cs Ba Hf Ta Re Os Ir Pt Au Hg Tl Pb "
            u"Bi Po At Rn Fr Ra La Ce Pr Nd Pm Sm Eu Gd Tb Dy Ho Er Tm Yb Lu Ac Th Pa Np Pu Am "
            u"Cm Bk Cf Es Fm Md No Lr H D B C N O F P S K V Y I W U x y z n"_s;
        const QStringList list = all.split(u' ');
        return QSet<QString>(list.begin(), list.end());
    }();
    return elements.contains(symbol.toString());
}

bool ChemicalFormula::isFormulaChar(QChar c) const
{
    const auto category = c.category();
    return category == QChar::Letter_Uppercase || category == QChar::Letter_Lowercase ||
           isParen(c) || isMathSeparator(c) || isCount(c) || isGreek(c);
}

std::optional<QStringList> ChemicalFormula::separateWord(const QString &word,
                                                         bool &startWithNumber) const
{
    return separateWord(word, startWithNumber, 0);
}

QString ChemicalFormula::getBlockTo(QChar closing, StringInputStream &stream,
                                    bool &endingFound) const
{
    return getBlockTo(closing, stream, endingFound, 0);
}

std::optional<QStringList> ChemicalFormula::separateWord(const QString &word, bool &startWithNumber,
                                                         int depth) const
{
    StringInputStream stream(word);
    QStringList parts;
    QString token;
    const auto flush = [&parts, &token] {
        if (!token.isEmpty())
            parts << token;
        token.clear();
    };
    // The next character, a hyphen-like one read as "-"; null at the end.
    const auto next = [this, &stream](bool &exists) {
        exists = !stream.atEnd();
        if (!exists)
            return QChar();
        const QChar n = stream.getChar();
        return isHyphen(n) ? QChar(u'-') : n;
    };

    bool number = !word.isEmpty() && isCount(word.front());
    startWithNumber = number;
    while (!stream.atEnd()) {
        QChar c = stream.getChar();
        if (isHyphen(c))
            c = u'-';
        bool exists = false;
        if (c == u'/') {
            const QChar n = next(exists);
            if (number && exists && isCount(n)) {
                token += c;
                token += n;
            } else {
                if (exists)
                    stream.ungetChar();
                flush();
                parts << u"/"_s;
                number = false;
            }
            continue;
        }
        if (c == u'-' || c == u'+' || c == u'.') {
            const QChar n = next(exists);
            if (exists && (isParen(n) || n.isUpper())) {
                flush();
                parts << QString(c);
                stream.ungetChar();
                number = false;
            } else {
                if (!number) {
                    flush();
                    number = true;
                }
                token += c;
                if (exists)
                    stream.ungetChar();
            }
            continue;
        }
        if (isMathSeparator(c)) {
            flush();
            parts << QString(c);
            number = false;
            continue;
        }
        if (c == u'(' || c == u'[' || c == u'{') {
            flush();
            const QChar closing = c == u'(' ? u')' : c == u'[' ? u']' : u'}';
            const QString open = c == u'{' ? u"\\{"_s : QString(c);
            const QString close = c == u'{' ? u"\\}"_s : QString(closing);
            bool found = false;
            const QString inner = getBlockTo(closing, stream, found, depth + 1);
            parts << (found ? open + inner + close : open + inner);
            number = false;
            continue;
        }
        if (number) {
            if (isCount(c)) {
                token += c;
                continue;
            }
            flush();
            number = false;
        }
        if (isCount(c)) {
            flush();
            token = c;
            number = true;
            continue;
        }
        if (isGreek(c)) {
            flush();
            parts << QString(c);
            continue;
        }
        const QChar n = next(exists);
        if (exists && isElement(QString(c) + n)) {
            token += c;
            token += n;
        } else {
            if (exists)
                stream.ungetChar();
            if (!isElement(QString(c)))
                return std::nullopt;
            token += c;
        }
        number = false;
    }
    flush();
    if (parts.isEmpty())
        return std::nullopt;
    return parts;
}

QString ChemicalFormula::getBlockTo(QChar closing, StringInputStream &stream, bool &endingFound,
                                    int depth) const
{
    QString content;
    endingFound = false;
    while (!stream.atEnd()) {
        const QChar c = stream.getChar();
        if (c == closing) {
            endingFound = true;
            break;
        }
        content += c;
    }
    if (content.isEmpty() || depth > maxDepth)
        return u'{' + content + u'}';
    bool startWithNumber = false;
    const std::optional<QStringList> parts = separateWord(content, startWithNumber, depth);
    if (!parts)
        return u'{' + content + u'}';
    return formulaOf(*parts, startWithNumber, Variant::Block);
}

QString ChemicalFormula::formulaOf(const QStringList &parts, bool startWithNumber,
                                   Variant variant) const
{
    QString out;
    qsizetype i = 0;
    if (startWithNumber && !parts.isEmpty()) {
        const QString &first = parts.front();
        const bool massNumber =
            variant == Variant::Word && parts.size() > 1 && isMassNumber(first, parts[1]);
        out += massNumber ? script(u'^', first) : first;
        i = 1;
    }
    bool afterSeparator = false;
    for (; i < parts.size(); ++i) {
        const QString &p = parts[i];
        const QChar head = p.front();
        if (p.size() == 1 && (isMathSeparator(head) || isGreek(head))) {
            out += p;
            afterSeparator = true;
            continue;
        }
        if (isParen(head) || p.startsWith(u"\\{")) {
            out += p;
            afterSeparator = false;
            continue;
        }
        const bool signed_ = head == u'+' || head == u'-' || head == u'.';
        if (!isCount(head) && !signed_) {
            out += u'{' + p + u'}';
            afterSeparator = false;
            continue;
        }
        // A count or a charge.
        const bool charge = p.endsWith(u'+') || p.endsWith(u'-');
        const bool atBreak = i + 1 >= parts.size() ||
                             (parts[i + 1].size() == 1 && (isMathSeparator(parts[i + 1].front()) ||
                                                           parts[i + 1].front() == u'-'));
        if (charge && atBreak)
            out += script(u'^', p);
        else if (afterSeparator || charge || p.endsWith(u'.') || signed_)
            out += p;
        else
            out += script(u'_', p);
        afterSeparator = false;
    }
    return out;
}
