#include "tex/ConvertFromTeX.h"

#include "tex/CommonTeXCommands.h"

#include "core/CharacterSet.h"
#include "core/StringInputStream.h"
#include "core/StringOutputStream.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Nesting depth of the conversions running on this thread (commands inside
// command arguments); the guard against runaway recursion.
thread_local int t_nesting = 0;

class NestingGuard
{
public:
    NestingGuard() { ++t_nesting; }
    ~NestingGuard() { --t_nesting; }
    NestingGuard(const NestingGuard &) = delete;
    NestingGuard &operator=(const NestingGuard &) = delete;
};

// `format` with its first "%@" replaced by `argument`.
QString fill(const QString &format, const QString &argument)
{
    const qsizetype at = format.indexOf(u"%@");
    if (at < 0)
        return format;
    QString result;
    result.reserve(format.size() + argument.size());
    result.append(QStringView(format).left(at))
        .append(argument)
        .append(QStringView(format).mid(at + 2));
    return result;
}

// The ASCII characters with a meaning to the main loop in text mode, NUL
// included, as a bit table.
constexpr std::uint64_t kSpecialLow = (std::uint64_t(1) << 0) | (std::uint64_t(1) << '!') |
                                      (std::uint64_t(1) << '$') | (std::uint64_t(1) << '\'') |
                                      (std::uint64_t(1) << '-') | (std::uint64_t(1) << '<') |
                                      (std::uint64_t(1) << '>') | (std::uint64_t(1) << '?');
constexpr std::uint64_t kSpecialHigh =
    (std::uint64_t(1) << ('\\' - 64)) | (std::uint64_t(1) << ('^' - 64)) |
    (std::uint64_t(1) << ('`' - 64)) | (std::uint64_t(1) << ('{' - 64)) |
    (std::uint64_t(1) << ('|' - 64)) | (std::uint64_t(1) << ('}' - 64)) |
    (std::uint64_t(1) << ('~' - 64));

// Whether `string` reads in text mode exactly as it stands: it holds no
// character that the main loop or the stream treats specially (the stream
// reads the no-break and ideographic spaces as spaces).
bool isPlainText(const QString &string)
{
    for (const QChar c : string) {
        const char16_t u = c.unicode();
        if (u < 64) {
            if ((kSpecialLow >> u) & 1u)
                return false;
        } else if (u < 128) {
            if ((kSpecialHigh >> (u - 64)) & 1u)
                return false;
        } else if (u == 0x00A0 || u == 0x3000) {
            return false;
        }
    }
    return true;
}

void stepBack(StringInputStream &stream, QChar readAhead)
{
    if (!readAhead.isNull())
        stream.ungetChar();
}

} // namespace

ConvertFromTeX::AsciiSet::AsciiSet(QStringView members)
{
    for (const QChar c : members)
        add(c.unicode());
}

void ConvertFromTeX::AsciiSet::add(char16_t c)
{
    if (c < 128)
        m_bits[c >> 6] |= std::uint64_t(1) << (c & 63);
}

ConvertFromTeX::ConvertFromTeX()
    : m_alphabetSet(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")
{
    m_cmdDelimtterSet.add(u' ');
    for (char16_t c = u'0'; c <= u'9'; ++c)
        m_cmdDelimtterSet.add(c);
    for (char16_t c = 0x21; c <= 0x2F; ++c)
        m_cmdDelimtterSet.add(c);
    for (char16_t c = 0x3A; c <= 0x40; ++c)
        m_cmdDelimtterSet.add(c);
    for (char16_t c = 0x5B; c <= 0x60; ++c)
        m_cmdDelimtterSet.add(c);
    for (char16_t c = 0x7B; c <= 0x7E; ++c)
        m_cmdDelimtterSet.add(c);

    for (const char16_t *name : {u"tiny", u"small", u"scriptsize", u"footnotesize", u"normalsize",
                                 u"large", u"Large", u"LARGE", u"huge", u"Huge"})
        m_bothModeIgnoreCommands.insert(QString::fromUtf16(name));
    for (const char16_t *name :
         {u"left", u"right", u"big", u"Big", u"bigg", u"Bigg", u"bigr", u"Bigr", u"biggr", u"Biggr",
          u"bigl", u"Bigl", u"biggl", u"Biggl", u"bigm", u"Bigm", u"biggm", u"Biggm"})
        m_mathModeIgnoreCommands.insert(QString::fromUtf16(name));
    for (const char16_t *name :
         {u"sin",    u"cos", u"tan",  u"sinh", u"cosh", u"tanh", u"arcsin", u"arccos",
          u"arctan", u"cot", u"coth", u"csc",  u"arg",  u"deg",  u"det",    u"dim",
          u"gcd",    u"hom", u"inf",  u"ker",  u"lg",   u"lim",  u"max",    u"min",
          u"Pr",     u"sec", u"sup",  u"log",  u"ln",   u"exp"}) {
        const QString key = QString::fromUtf16(name);
        m_mathModeEscapeCommands.insert(key, key);
    }
    m_mathModeEscapeCommands.insert(u"liminf"_s, u"lim inf"_s);
    m_mathModeEscapeCommands.insert(u"limsup"_s, u"lim sup"_s);
}

ConvertFromTeX::~ConvertFromTeX() = default;

QString ConvertFromTeX::convert(const QString &string) const
{
    if (isPlainText(string))
        return string;
    if (string.contains(QChar(0))) {
        QString cleaned = string;
        cleaned.remove(QChar(0));
        return convertInMode(cleaned, false);
    }
    return convertInMode(string, false);
}

QString ConvertFromTeX::convertInMode(const QString &text, bool mathMode) const
{
    if (t_nesting >= kMaxNesting)
        return text;
    const NestingGuard guard;
    StringInputStream stream(text);
    return convertStream(stream, mathMode);
}

QString ConvertFromTeX::convertStream(StringInputStream &stream, bool mathMode) const
{
    // Plain groups and math spans only bracket their text, so they are
    // followed with counters instead of recursion: `groups` counts the groups
    // opened since this call began; math mode, once entered at group level
    // `mathFrom`, lasts until that level is closed again.
    // The output is rarely longer than the input; a buffer of that size
    // saves clearing a large one for every short value.
    const qsizetype remaining = stream.length() - stream.position();
    StringOutputStream output(int(std::clamp<qsizetype>(remaining + 8, 16, 1024)));
    bool math = mathMode;
    qsizetype groups = 0;
    qsizetype mathFrom = mathMode ? 0 : -1;

    for (;;) {
        const QChar c = stream.getChar();
        const char16_t u = c.unicode();
        if (u == 0)
            break;
        if (u == u'}' || (u == u'$' && math)) {
            if (groups == 0)
                break;
            --groups;
            if (math && groups < mathFrom) {
                math = false;
                mathFrom = -1;
            }
            continue;
        }
        switch (u) {
        case u'~':
            output.putChar(u' ');
            continue;
        case u'|':
            output.putString(emDash());
            continue;
        case u'`': {
            const QChar next = stream.getChar();
            if (next == u'`') {
                output.putString(openDoubleQuotes());
            } else {
                output.putString(openSingleQuote());
                stepBack(stream, next);
            }
            continue;
        }
        case u'\\':
            output.putString(convertTeXCommand(stream, math));
            continue;
        case u'{':
            ++groups;
            continue;
        case u'$': // text mode: a math span opens
            ++groups;
            math = true;
            mathFrom = groups;
            continue;
        default:
            break;
        }

        if (math) {
            switch (u) {
            case u'\'':
                output.putString(primeLetter());
                break;
            case u'_':
                output.putString(convertSubScript(stream));
                break;
            case u'^':
                output.putString(convertSuperScript(stream));
                break;
            case u'-':
                output.putString(minusLetter());
                break;
            case u'<':
                output.putString(lessThanLetter());
                break;
            case u'>':
                output.putString(greaterThanLetter());
                break;
            default:
                if (m_alphabetSet.contains(c))
                    putVariable(c, output);
                else
                    output.putChar(c);
                break;
            }
            continue;
        }

        switch (u) {
        case u'\'': {
            const QChar next = stream.getChar();
            if (next == u'\'') {
                output.putString(closeDoubleQuotes());
            } else {
                output.putString(closeSingleQuote());
                stepBack(stream, next);
            }
            break;
        }
        case u'-': {
            const QChar second = stream.getChar();
            if (second != u'-') {
                output.putChar(u'-');
                stepBack(stream, second);
                break;
            }
            const QChar third = stream.getChar();
            if (third == u'-') {
                output.putString(emDash());
            } else {
                output.putString(enDash());
                stepBack(stream, third);
            }
            break;
        }
        case u'!':
        case u'?': {
            const QChar next = stream.getChar();
            if (next == u'`') {
                output.putString(u == u'!' ? inverseExclamation() : inverseQuestion());
            } else {
                output.putChar(c);
                stepBack(stream, next);
            }
            break;
        }
        // Old TeX fonts print "<" and ">" in text as inverted marks, but in the
        // files people keep today they mean themselves ("P < .05").
        case u'<':
            output.putString(lessThanLetter());
            break;
        case u'>':
            output.putString(greaterThanLetter());
            break;
        case u'^':
            // Caret, caret, space is TeX's way of writing a back-quote.
            if (!readCaretTail(stream)) {
                output.putChar(u'?');
                break;
            }
            if (const QChar next = stream.getChar(); next == u'^' && readCaretTail(stream)) {
                output.putString(openDoubleQuotes());
            } else {
                output.putString(openSingleQuote());
                stepBack(stream, next);
            }
            break;
        default:
            output.putChar(c);
            break;
        }
    }
    return output.stringValue();
}

// After a caret: reads the caret and space that complete TeX's back-quote
// form; otherwise puts back what it read and answers false.
bool ConvertFromTeX::readCaretTail(StringInputStream &stream) const
{
    const QChar second = stream.getChar();
    if (second != u'^') {
        stepBack(stream, second);
        return false;
    }
    const QChar third = stream.getChar();
    if (third != u' ') {
        stepBack(stream, third);
        stream.ungetChar();
        return false;
    }
    return true;
}

QString ConvertFromTeX::convertTeXCommand(StringInputStream &stream, bool mathMode) const
{
    const std::optional<QString> read = readTeXCommandFromStream(stream);
    if (!read)
        return {};
    const QString &name = *read;
    if (m_bothModeIgnoreCommands.contains(name))
        return {};
    if (const auto style = m_textStyleCommands.constFind(name); style != m_textStyleCommands.cend())
        return fill(*style, convertInMode(readBlockParameterFromStream(stream), false));
    if (const auto plain = m_bothModeCommands0.constFind(name); plain != m_bothModeCommands0.cend())
        return *plain;
    if (const auto withArgument = m_bothModeCommands1.constFind(name);
        withArgument != m_bothModeCommands1.cend()) {
        const std::optional<QString> parameter = readParameterFromStream(stream);
        return fill(*withArgument, parameter ? convertInMode(*parameter, false) : u"?"_s);
    }
    if (mathMode) {
        if (m_mathModeIgnoreCommands.contains(name)) {
            // The full stop after \left or \right is the invisible delimiter.
            const QChar next = stream.getChar();
            if (next != u'.')
                stepBack(stream, next);
            return {};
        }
        if (const auto escape = m_mathModeEscapeCommands.constFind(name);
            escape != m_mathModeEscapeCommands.cend())
            return *escape;
        if (const auto symbol = m_mathModeCommands0.constFind(name);
            symbol != m_mathModeCommands0.cend())
            return *symbol;
        return unknownCommand(name);
    }
    if (commandIsAccent(name))
        return convertAccent(name, stream);
    return unknownCommand(name);
}

QString ConvertFromTeX::convertAccent(const QString &command, StringInputStream &stream) const
{
    Q_UNUSED(command);
    return readParameterFromStream(stream).value_or(QString());
}

QString ConvertFromTeX::convertSubScript(StringInputStream &stream) const
{
    const std::optional<QString> parameter = readParameterFromStream(stream);
    if (!parameter)
        return {};
    if (parameter->size() == 1)
        return u'_' + *parameter;
    return u"_{"_s + convertInMode(*parameter, true) + u'}';
}

QString ConvertFromTeX::convertSuperScript(StringInputStream &stream) const
{
    const std::optional<QString> parameter = readParameterFromStream(stream);
    if (!parameter)
        return {};
    if (parameter->size() == 1)
        return u'^' + *parameter;
    return u"^{"_s + convertInMode(*parameter, true) + u'}';
}

QString ConvertFromTeX::unknownCommand(const QString &command) const
{
    return u"{?"_s + command + u'}';
}

std::optional<QString> ConvertFromTeX::readTeXCommandFromStream(StringInputStream &stream) const
{
    QChar c = stream.getChar();
    if (c.isNull())
        return std::nullopt;
    // A backslash before white space or a line break is a control space.
    if (gWhitespaceSet().contains(c))
        return QString(QChar(u' '));
    QString name(c);
    if (m_cmdDelimtterSet.contains(c))
        return name;
    for (;;) {
        c = stream.getChar();
        if (c.isNull())
            break;
        if (gWhitespaceSet().contains(c))
            break; // one space after a command name belongs to the name
        if (m_cmdDelimtterSet.contains(c)) {
            stream.ungetChar();
            break;
        }
        name.append(c);
    }
    return name;
}

namespace {

// The text up to the first '}' that closes no brace opened within it, with
// every backslash pair copied whole. That brace is consumed, or put back for
// the caller when `keepClosing` is set.
QString readToClosingBrace(StringInputStream &stream, bool keepClosing)
{
    QString text;
    int depth = 0;
    for (;;) {
        const QChar c = stream.getChar();
        if (c.isNull())
            break;
        if (c == u'\\') {
            text.append(c);
            const QChar escaped = stream.getChar();
            if (escaped.isNull())
                break;
            text.append(escaped);
            continue;
        }
        if (c == u'{') {
            ++depth;
        } else if (c == u'}') {
            if (depth == 0) {
                if (keepClosing)
                    stream.ungetChar();
                break;
            }
            --depth;
        }
        text.append(c);
    }
    return text;
}

} // namespace

std::optional<QString> ConvertFromTeX::readParameterFromStream(StringInputStream &stream) const
{
    const QChar c = stream.getChar();
    if (c.isNull())
        return std::nullopt;
    QString parameter;
    if (c == u'{')
        parameter = readToClosingBrace(stream, false);
    else if (c == u'\\')
        parameter = u'\\' + readTeXCommandFromStream(stream).value_or(QString());
    else
        parameter = QString(c);
    if (parameter == u"\\i")
        return u"i"_s;
    if (parameter == u"\\j")
        return u"j"_s;
    return parameter;
}

QString ConvertFromTeX::readBlockParameterFromStream(StringInputStream &stream) const
{
    return readToClosingBrace(stream, true);
}

bool ConvertFromTeX::commandIsAccent(const QString &command) const
{
    return command.size() == 1 && m_accentDic.contains(command);
}

QChar ConvertFromTeX::commandIsLetter(const QString &command) const
{
    if (command == u"AA" || command == u"AE")
        return u'A';
    if (command == u"aa" || command == u"ae")
        return u'a';
    if (command == u"OE" || command == u"O")
        return u'O';
    if (command == u"oe" || command == u"o")
        return u'o';
    if (command == u"L")
        return u'L';
    if (command == u"l")
        return u'l';
    if (command == u"ss")
        return u's';
    return {};
}

QString ConvertFromTeX::openDoubleQuotes() const
{
    return u"\""_s;
}

QString ConvertFromTeX::openSingleQuote() const
{
    return u"`"_s;
}

QString ConvertFromTeX::closeDoubleQuotes() const
{
    return u"\""_s;
}

QString ConvertFromTeX::closeSingleQuote() const
{
    return u"'"_s;
}

QString ConvertFromTeX::primeLetter() const
{
    return u"'"_s;
}

QString ConvertFromTeX::minusLetter() const
{
    return u"-"_s;
}

QString ConvertFromTeX::enDash() const
{
    return u"-"_s;
}

QString ConvertFromTeX::emDash() const
{
    return u"-"_s;
}

QString ConvertFromTeX::inverseQuestion() const
{
    return u"?"_s;
}

QString ConvertFromTeX::inverseExclamation() const
{
    return u"!"_s;
}

QString ConvertFromTeX::lessThanLetter() const
{
    return u"<"_s;
}

QString ConvertFromTeX::greaterThanLetter() const
{
    return u">"_s;
}

void ConvertFromTeX::putVariable(QChar letter, StringOutputStream &output) const
{
    output.putChar(letter);
}

void ConvertFromTeX::addCommonCommands(bool html)
{
    const auto add = [html](QHash<QString, QString> &table,
                            const CommonTeXCommands::Symbol &symbol) {
        const QString command = QString::fromUtf16(symbol.command);
        if (!table.contains(command))
            table.insert(command, QString::fromUtf16(html ? symbol.html : symbol.text));
    };
    for (const auto &symbol : CommonTeXCommands::kSymbols)
        add(m_bothModeCommands0, symbol);
    for (const auto &symbol : CommonTeXCommands::kMathSymbols)
        add(m_mathModeCommands0, symbol);
    for (const auto &symbol : CommonTeXCommands::kStyleCommands)
        add(m_bothModeCommands1, symbol);
}
