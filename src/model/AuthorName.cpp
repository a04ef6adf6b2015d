#include "model/AuthorName.h"

#include "core/StringInputStream.h"
#include "core/Texts.h"
#include "tex/TeXtoText.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>

namespace {

// Characters above this one (CJK and beyond) mark a name as Japanese.
constexpr char16_t kLastNonJapanese = 0x28FF;
constexpr char16_t kIdeographicComma = 0x3001;
constexpr char16_t kFullwidthComma = 0xFF0C;

inline char16_t unit(QChar c)
{
    return c.unicode();
}
inline char16_t unit(char16_t c)
{
    return c;
}

bool isAsciiLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool isAllAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0x7F)
            return false;
    }
    return true;
}

// Latin-1 and Latin Extended-A letters folded without ICU: the letters whose
// decomposition starts with an ASCII letter, and the few that spell out. The
// answers are those of ICU's Latin-ASCII transliteration. False when `text`
// holds anything else.
bool foldLatinQuickly(const QString &text, QString &folded)
{
    folded.clear();
    folded.reserve(text.size() + 4);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            folded += c;
            continue;
        }
        if (u < 0xC0 || u > 0x17F)
            return false;
        const char *spelt = nullptr;
        switch (u) {
        case 0xC6:
            spelt = "AE";
            break;
        case 0xE6:
            spelt = "ae";
            break;
        case 0xD0:
        case 0x110:
            spelt = "D";
            break;
        case 0xF0:
        case 0x111:
            spelt = "d";
            break;
        case 0xD8:
            spelt = "O";
            break;
        case 0xF8:
            spelt = "o";
            break;
        case 0xDE:
            spelt = "TH";
            break;
        case 0xFE:
            spelt = "th";
            break;
        case 0xDF:
            spelt = "ss";
            break;
        case 0x131:
            spelt = "i";
            break;
        case 0x132:
            spelt = "IJ";
            break;
        case 0x133:
            spelt = "ij";
            break;
        case 0x141:
            spelt = "L";
            break;
        case 0x142:
            spelt = "l";
            break;
        case 0x152:
            spelt = "OE";
            break;
        case 0x153:
            spelt = "oe";
            break;
        default:
            break;
        }
        if (spelt) {
            folded += QLatin1StringView(spelt);
            continue;
        }
        const QString decomposition = c.decomposition();
        if (c.decompositionTag() != QChar::Canonical || decomposition.isEmpty() ||
            !isAsciiLetter(decomposition.front().unicode()))
            return false;
        folded += decomposition.front();
    }
    return true;
}

// One transliterator per thread: names are parsed on the loading threads too.
icu::Transliterator *latinToAscii()
{
    thread_local std::unique_ptr<icu::Transliterator> instance = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> made(icu::Transliterator::createInstance(
            icu::UnicodeString::fromUTF8("Latin-ASCII"), UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            made.reset();
        return made;
    }();
    return instance.get();
}

// Appends the rest of a TeX command after its backslash to `word`, keeping
// the command apart from a letter that follows it.
void appendTeXCommand(QString &word, const QString &command, StringInputStream &stream)
{
    word += u'\\';
    word += command;
    bool letters = !command.isEmpty();
    for (const QChar c : command) {
        if (!isAsciiLetter(c.unicode())) {
            letters = false;
            break;
        }
    }
    if (!letters)
        return;
    const char16_t next = unit(stream.getChar());
    if (next == 0)
        return;
    stream.ungetChar();
    if (QChar(next).isLetter())
        word += QStringLiteral("{}");
}

} // namespace

AuthorName AuthorName::authorNameForAllAuthors()
{
    AuthorName name;
    name.m_all = true;
    name.m_familyName = Texts::text(u"AllAuthors");
    return name;
}

QList<AuthorName> AuthorName::createNamesFrom(const QString &text)
{
    QList<AuthorName> names;
    StringInputStream stream(text);
    stream.setSpacesToASpace(true);
    stream.setYenToBackslash(true);
    while (std::optional<AuthorName> name = authorNameFromStream(stream))
        names.append(std::move(*name));
    return names;
}

QList<AuthorName> AuthorName::createTeXNamesFrom(const QString &text)
{
    QList<AuthorName> names;
    StringInputStream stream(text);
    stream.setSpacesToASpace(true);
    stream.setYenToBackslash(true);
    while (std::optional<AuthorName> name = texAuthorNameFromStream(stream))
        names.append(std::move(*name));
    return names;
}

std::optional<AuthorName> AuthorName::authorNameFromStream(StringInputStream &stream)
{
    AuthorName name;
    if (!name.readFromStream(stream, false))
        return std::nullopt;
    return name;
}

std::optional<AuthorName> AuthorName::texAuthorNameFromStream(StringInputStream &stream)
{
    AuthorName name;
    if (!name.readFromStream(stream, true))
        return std::nullopt;
    return name;
}

void AuthorName::makeOthers()
{
    m_others = true;
    m_familyName = QStringLiteral("etc.");
    m_givenName.clear();
    m_nameForSearch.clear();
}

bool AuthorName::readFromStream(StringInputStream &stream, bool keepTeX)
{
    static const QString kAnd = QStringLiteral("and");
    static const QString kComma = QStringLiteral(",");

    QStringList words;
    QString word;
    qsizetype commaCount = 0;
    qsizetype lastComma = -1;
    qsizetype lastInitial = -1;
    *this = AuthorName();

    const auto complete = [&] {
        if (word.endsWith(u'.') &&
            (word.size() == 2 || (word.size() == 3 && word.startsWith(u'-'))))
            lastInitial = words.size();
        words.append(word);
        word.clear();
    };

    // With TeX kept, a brace group is one piece of a word: what it holds
    // ("{R Core Team}", "{Barnes and Noble}") is neither split nor
    // initialized apart, so the name's TeX stays balanced.
    int depth = 0;
    bool reading = true;
    while (reading) {
        const char16_t c = unit(stream.getChar());
        if (depth > 0 && c != 0 && c != u'\\' && c != u'{' && c != u'}') {
            word += QChar(c);
            if (c > kLastNonJapanese && !QChar::isLowSurrogate(c))
                m_japanese = true;
            continue;
        }
        switch (c) {
        case 0:
            reading = false;
            break;
        case u' ':
            if (!word.isEmpty()) {
                if (word == kAnd) {
                    word.clear();
                    reading = false;
                } else {
                    complete();
                }
            }
            break;
        case u'.':
            word += u'.';
            complete();
            break;
        case u',':
            if (!word.isEmpty()) {
                if (word == kAnd) {
                    word.clear();
                    reading = false;
                    break;
                }
                complete();
            }
            lastComma = words.size();
            words.append(kComma);
            ++commaCount;
            break;
        case kIdeographicComma:
        case kFullwidthComma:
            reading = false;
            break;
        case u'\\': {
            const auto command = TeXtoText::globalConverter()->readTeXCommandFromStream(stream);
            if (keepTeX) {
                if (command)
                    appendTeXCommand(word, QString(*command), stream);
                else
                    word += u'\\';
            }
            break;
        }
        case u'{':
        case u'}':
            if (keepTeX) {
                word += QChar(c);
                depth = c == u'{' ? depth + 1 : std::max(depth - 1, 0);
            }
            break;
        case u'[':
        case u']':
        case u'$':
            if (keepTeX)
                word += QChar(c);
            break;
        default:
            word += QChar(c);
            if (c > kLastNonJapanese && !QChar::isLowSurrogate(c))
                m_japanese = true;
            break;
        }
    }
    if (!word.isEmpty())
        complete();

    if (words.isEmpty())
        return false;
    if (words.last() == QStringView(u"others")) {
        makeOthers();
        return true;
    }
    if (words.last() == kAnd)
        return false;

    // Split into the leading part P (given, or family of a Japanese name) and
    // the trailing part Q.
    qsizetype pBegin = 0;
    qsizetype pEnd = 0;
    qsizetype qBegin = 0;
    qsizetype qEnd = 0;
    const qsizetype last = words.size() - 1;
    if (commaCount > 0) {
        qBegin = 0;
        qEnd = lastComma;
        pBegin = lastComma + 1;
        pEnd = words.size();
    } else if (lastInitial >= 0) {
        pBegin = 0;
        pEnd = lastInitial + 1;
        qBegin = lastInitial + 1;
        qEnd = words.size();
    } else {
        qsizetype start = -1;
        for (qsizetype i = 0; i <= last; ++i) {
            const QString &w = words.at(i);
            if (!partIsFamily(w))
                continue;
            // A lone Roman numeral only counts at the end ("Smith III"); in
            // the middle it is an initial written without a full stop.
            const bool particleOrSuffix =
                w.front().isLower() || w.startsWith(u"Jr") || w.startsWith(u"Sr");
            if (!particleOrSuffix && i != last)
                continue;
            start = i;
            break;
        }
        if (start < 0)
            start = last;
        else if (start == last && start != 0)
            start = last - 1;
        pBegin = 0;
        pEnd = start;
        qBegin = start;
        qEnd = words.size();
    }

    QString q;
    for (qsizetype i = qBegin; i < qEnd; ++i) {
        const QString &w = words.at(i);
        if (w == kComma) {
            if (!q.isEmpty()) // a comma with no word before it joins nothing
                q += w;
            continue;
        }
        if (!q.isEmpty())
            q += u' ';
        q += w;
    }
    if (q.endsWith(u',')) // "Wall,, Larry": a doubled comma adds nothing
        q.chop(1);
    QString p;
    for (qsizetype i = pBegin; i < pEnd; ++i) {
        if (words.at(i) != kComma)
            p += initialize(words.at(i), keepTeX);
    }

    if (p.isEmpty() && q.isEmpty())
        return false; // only commas: nothing that names anyone

    if (!m_japanese) {
        m_familyName = q.isEmpty() ? p : q;
        m_givenName = q.isEmpty() ? QString() : p;
        m_nameForSearch = foldToAscii(stringValue(), false);
    } else {
        // Written "family, given" the order is explicit; otherwise the name
        // keeps the order it is written in, family first.
        if (commaCount > 0) {
            m_familyName = q.isEmpty() ? p : q;
            m_givenName = q.isEmpty() ? QString() : p;
        } else {
            m_familyName = p.isEmpty() ? q : p;
            m_givenName = p.isEmpty() ? QString() : q;
        }
        m_nameForSearch = stringValue();
    }
    return true;
}

QString AuthorName::stringValueWithFormat(int format) const
{
    if (m_givenName.isEmpty())
        return m_familyName;
    switch (format) {
    case 0:
        return m_japanese ? m_familyName + u' ' + m_givenName
                          : m_familyName + QStringLiteral(", ") + m_givenName;
    case 1:
        return m_japanese ? m_familyName + u' ' + m_givenName : m_givenName + u' ' + m_familyName;
    case 2:
        return m_familyName;
    default:
        return m_givenName + u' ' + m_familyName;
    }
}

QString AuthorName::removeDiacriticalMarks(const QString &text) const
{
    if (m_japanese)
        return text;
    const QString folded = foldToAscii(text, true);
    QString letters;
    letters.reserve(folded.size());
    for (const QChar c : folded) {
        if (isAsciiLetter(c.unicode()))
            letters += c;
    }
    return letters;
}

QString AuthorName::foldToAscii(const QString &text, bool dropOthers)
{
    if (isAllAscii(text))
        return text;
    QString folded;
    if (!foldLatinQuickly(text, folded)) {
        folded = text;
        if (icu::Transliterator *transliterator = latinToAscii()) {
            icu::UnicodeString buffer(false, reinterpret_cast<const UChar *>(text.utf16()),
                                      int32_t(text.size()));
            transliterator->transliterate(buffer);
            folded = QString(reinterpret_cast<const QChar *>(buffer.getBuffer()), buffer.length());
        }
    }
    if (!dropOthers)
        return folded;
    QString ascii;
    ascii.reserve(folded.size());
    for (const QChar c : folded) {
        if (c.unicode() <= 0x7F)
            ascii += c;
    }
    return ascii;
}

bool AuthorName::partIsFamily(QStringView word)
{
    if (word.isEmpty())
        return false;
    if (word == u"Jr" || word == u"Jr." || word == u"Sr" || word == u"Sr.")
        return true;
    bool lower = true;
    bool roman = true;
    for (const QChar c : word) {
        if (!c.isLower())
            lower = false;
        if (!QStringView(u"IVXCM").contains(c))
            roman = false;
    }
    return lower || roman;
}

int AuthorName::compareNames(const AuthorName &other) const
{
    if (m_all != other.m_all)
        return m_all ? -1 : 1;
    if (m_others != other.m_others)
        return m_others ? 1 : -1;
    return QString::compare(m_nameForSearch, other.m_nameForSearch, Qt::CaseSensitive);
}

QString AuthorName::initialize(const QString &word, bool keepTeX) const
{
    if (m_japanese || word.endsWith(u'.'))
        return word;
    StringInputStream stream(word);
    QString result;
    if (word.startsWith(u'-')) {
        result += u'-';
        stream.getChar();
    }
    result += initialLetterFromStream(stream, keepTeX);
    result += u'.';
    for (;;) {
        const char16_t c = unit(stream.getChar());
        if (c == 0)
            break;
        if (c == u'\\') {
            stream.getChar();
        } else if (c == u'-') {
            result += u'-';
            result += initialLetterFromStream(stream, keepTeX);
            result += u'.';
        }
    }
    return result;
}

QString AuthorName::initialLetterFromStream(StringInputStream &stream, bool keepTeX)
{
    const auto takeLetter = [&stream](char16_t c) {
        QString letter(QChar{c});
        if (QChar::isHighSurrogate(c)) {
            const char16_t low = unit(stream.getChar());
            if (QChar::isLowSurrogate(low))
                letter += QChar(low);
            else if (low != 0)
                stream.ungetChar();
        }
        return letter;
    };
    if (!keepTeX) {
        const char16_t c = unit(stream.getChar());
        return c == 0 ? QString() : takeLetter(c);
    }
    const TeXtoText *converter = TeXtoText::globalConverter();
    for (;;) {
        const char16_t c = unit(stream.getChar());
        if (c == 0)
            return QString();
        if (c == u'\\') {
            const auto command = converter->readTeXCommandFromStream(stream);
            if (!command)
                return QString();
            const QString name(*command);
            if (converter->commandIsAccent(name)) {
                const auto parameter = converter->readParameterFromStream(stream);
                return QStringLiteral("{\\%1{%2}}")
                    .arg(name, parameter ? QString(*parameter) : QString());
            }
            if (!converter->commandIsLetter(name).isNull())
                return QStringLiteral("{\\%1}").arg(name);
            continue;
        }
        // Letters outside ASCII (a raw accented or CJK letter) are initials too.
        if (isAsciiLetter(c) || QChar::isLetter(c) || QChar::isHighSurrogate(c))
            return takeLetter(c);
    }
}
