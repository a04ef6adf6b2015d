#include "model/BibElement.h"

#include "core/StringInputStream.h"
#include "core/Texts.h"
#include "model/MacroSource.h"

#include <QJsonValue>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

bool isAsciiDigits(QStringView text)
{
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// The token being collected by the tokenizer: a flat scratch buffer that turns
// into one element (one allocation) when flushed.
class TokenBuffer
{
public:
    TokenBuffer() : m_units(new char16_t[256]), m_capacity(256) {}
    void append(char16_t c)
    {
        if (m_size == m_capacity)
            grow(m_size + 1);
        m_units[m_size++] = c;
    }
    void append(char16_t a, char16_t b)
    {
        append(a);
        append(b);
    }
    void append(QStringView run)
    {
        const auto n = size_t(run.size());
        if (n == 0)
            return;
        if (m_size + n > m_capacity)
            grow(m_size + n);
        std::copy_n(run.utf16(), n, m_units.get() + m_size);
        m_size += n;
    }
    void flushTo(std::vector<BibElement> &elements)
    {
        if (m_size == 0)
            return;
        elements.push_back(BibElement::bibElementWithString(
            QStringView(m_units.get(), qsizetype(m_size))));
        m_size = 0;
    }

private:
    void grow(size_t needed)
    {
        const size_t capacity = std::max(m_capacity * 2, needed);
        std::unique_ptr<char16_t[]> units(new char16_t[capacity]);
        std::copy_n(m_units.get(), m_size, units.get());
        m_units = std::move(units);
        m_capacity = capacity;
    }

    std::unique_ptr<char16_t[]> m_units;
    size_t m_capacity;
    size_t m_size = 0;
};

// The characters the tokenizer treats specially inside braces or quotes, and
// at the top level of the list (where '=', '#', ',' and spaces separate).
constexpr StringInputStream::PlainRunStops nestedStops(u"\\{}$\"");
constexpr StringInputStream::PlainRunStops topStops(u"\\{}$\"=#, ");

QList<BibElement> toList(std::vector<BibElement> &elements)
{
    return QList<BibElement>(std::make_move_iterator(elements.begin()),
                             std::make_move_iterator(elements.end()));
}

// A field's value: one element held inline, several in a list.
ElementList toElementList(std::vector<BibElement> &elements)
{
    if (elements.size() == 1)
        return ElementList(std::move(elements.front()));
    return ElementList(toList(elements));
}

// The stream answers U+0000 both for a NUL in the text and at its end; only
// the end stops the grammar, a NUL is kept as an ordinary character.
bool endOfText(QChar c, const StringInputStream &stream)
{
    return c.isNull() && stream.atEnd();
}

// Field names are nearly always lower-case ASCII already; those are shared,
// not copied.
QString lowerCased(const QString &name)
{
    for (const QChar c : name) {
        if (c.unicode() >= 128 || (c >= u'A' && c <= u'Z'))
            return name.toLower();
    }
    return name;
}

// The names of nearly every entry's fields: items share these instead of
// keeping a copy each (a tenth of an entry's memory). Read-only after start.
QString sharedFieldName(const QString &name)
{
    static const QSet<QString> common = [] {
        QSet<QString> names;
        for (const char16_t *n :
             {u"abstract", u"address", u"annote", u"archiveprefix", u"author", u"booktitle",
              u"chapter", u"crossref", u"date", u"doi", u"edition", u"editor", u"eprint",
              u"file", u"howpublished", u"institution", u"isbn", u"issn", u"journal", u"key",
              u"keywords", u"language", u"location", u"month", u"note", u"number",
              u"organization", u"pages", u"pdf", u"primaryclass", u"publisher", u"school",
              u"series", u"title", u"type", u"url", u"urldate", u"volume", u"year"})
            names.insert(QString::fromUtf16(n));
        return names;
    }();
    const auto shared = common.constFind(name);
    return shared == common.constEnd() ? name : *shared;
}

StringInputStream normalisingStream(const QString &text)
{
    StringInputStream stream(text);
    stream.setSpacesToASpace(true);
    stream.setYenToBackslash(true);
    return stream;
}

} // namespace

void BibElement::store(const QString &data)
{
    m_split = delimited() && data.size() >= 2;
    if (!m_split) {
        m_open = m_close = 0;
        m_elementData = data;
        return;
    }
    m_open = data.front().unicode();
    m_close = data.back().unicode();
    m_elementData = data.mid(1, data.size() - 2);
}

void BibElement::setType(qint32 type)
{
    const QString data = stringValue();
    m_elementType = codeOf(type);
    store(data);
}

QString BibElement::stringValue() const
{
    if (!m_split)
        return m_elementData;
    QString text;
    text.reserve(m_elementData.size() + 2);
    text += QChar(m_open);
    text += m_elementData;
    text += QChar(m_close);
    return text;
}

BibElement BibElement::bibElementWithString(QStringView text)
{
    // Braced and quoted strings, nearly every value, are made from their
    // inside directly.
    if (text.size() >= 2) {
        const char16_t first = text.front().unicode();
        const char16_t last = text.back().unicode();
        if ((first == u'{' && last == u'}') || (first == u'"' && last == u'"')) {
            BibElement element;
            element.m_elementType = first == u'{' ? BracedString : QuotedString;
            element.m_split = true;
            element.m_open = first;
            element.m_close = last;
            element.m_elementData = text.mid(1, text.size() - 2).toString();
            return element;
        }
    }
    return bibElementWithString(text.toString());
}

BibElement BibElement::bibElementWithString(const QString &text)
{
    qint32 type = Word;
    if (!text.isEmpty()) {
        const QChar first = text.front();
        const QChar last = text.back();
        if (first == u'{' && last == u'}')
            type = BracedString;
        else if (first == u'"' && last == u'"')
            type = QuotedString;
        else if (first == u'$' && last == u'$')
            type = Math;
        else if (first == u'\\')
            type = TeXCommand;
        else if (text.size() <= 9 && isAsciiDigits(text))
            type = Number;
    } else {
        type = Number;
    }
    return BibElement(type, text);
}

BibElement BibElement::bibElementWithNumString(const QString &text)
{
    return BibElement(Number, text);
}

BibElement BibElement::bibElementWithQuoteString(const QString &text)
{
    BibElement element;
    element.m_elementType = QuotedString;
    element.m_split = true;
    element.m_open = element.m_close = u'"';
    element.m_elementData = text;
    return element;
}

BibElement BibElement::bibElementWithSpecial(const QString &text)
{
    return BibElement(Special, text);
}

BibElement BibElement::bibElementEqual()
{
    return BibElement(Equal, u"="_s);
}

BibElement BibElement::bibElementSharp()
{
    return BibElement(Sharp, u"#"_s);
}

BibElement BibElement::bibElementComma()
{
    return BibElement(Comma, u","_s);
}

QString BibElement::stringContents() const
{
    if (!delimited() || m_split)
        return m_elementData;
    return QString(u""_s); // a braced or quoted text shorter than its delimiters
}

QString BibElement::stringWithMacro(const MacroSource *macros) const
{
    switch (m_elementType) {
    case Word: {
        const QString name = m_elementData.toUpper();
        return macros ? macros->expandMacro(name, true) : name;
    }
    case BracedString:
    case QuotedString:
        return stringContents();
    default:
        return m_elementData;
    }
}

QString BibElement::stringWithMacroInTeX(const MacroSource *macros) const
{
    switch (m_elementType) {
    case Word: {
        const QString name = m_elementData.toUpper();
        return macros ? macros->expandMacroInTeX(name, true) : name;
    }
    case BracedString:
    case QuotedString:
        return stringContents();
    default:
        return m_elementData;
    }
}

QJsonObject BibElement::archive() const
{
    return QJsonObject{{u"elementType"_s, m_elementType}, {u"elementData"_s, stringValue()}};
}

std::optional<BibElement> BibElement::fromArchive(const QJsonValue &archive)
{
    if (!archive.isObject())
        return std::nullopt;
    const QJsonObject object = archive.toObject();
    const QJsonValue type = object.value(u"elementType"_s);
    const QJsonValue data = object.value(u"elementData"_s);
    if (!type.isDouble() || !data.isString())
        return std::nullopt;
    const double code = type.toDouble();
    if (code != std::floor(code) || code < double(Word) || code > double(TeXCommand))
        return std::nullopt;
    return BibElement(static_cast<qint32>(code), data.toString());
}

QList<BibElement> BibElement::getElementsFromStream(StringInputStream &stream, QString &error,
                                                    bool needsBraket)
{
    error = QString();
    if (needsBraket && stream.getNonSpaceChar() != u'{') {
        error = Texts::text(u"ReadError_MissingOpenBra");
        return {};
    }
    std::vector<BibElement> elements;

    TokenBuffer token;
    const CharacterSet &whitespace = gWhitespaceSet();
    int depth = 1;
    int mathDepth = -1;
    bool inQuote = false;
    elements.reserve(64);
    for (;;) {
        // Ordinary text is copied in bulk; only the characters that matter
        // below go through getChar one by one.
        token.append(stream.getPlainRun(depth == 1 ? topStops : nestedStops));
        const QChar qc = stream.getChar();
        if (endOfText(qc, stream))
            break;
        const char16_t c = qc.unicode();
        switch (c) {
        case u'\\': {
            token.append(c);
            const QChar next = stream.getChar();
            if (!endOfText(next, stream))
                token.append(next.unicode());
            continue;
        }
        case u'{':
            ++depth;
            token.append(c);
            continue;
        case u'}':
            if (--depth == 0)
                break;
            // A dollar inside a value that its group (or quoted text) closes
            // over was a plain dollar sign ("/all/$file/"), not math: BibTeX
            // gives it no meaning.
            if (mathDepth > depth && mathDepth >= 2)
                mathDepth = -1;
            token.append(c);
            continue;
        case u'$':
            if (mathDepth >= 0) {
                if (depth != mathDepth) {
                    if (mathDepth >= 2) {
                        // Inside a value, a dollar that cannot close the math
                        // at its brace level is a character ("${$\Xi$}").
                        token.append(c);
                        continue;
                    }
                    token.flushTo(elements);
                    error = Texts::text(u"ReadError_BadMathNesting");
                    return toList(elements);
                }
                mathDepth = -1;
            } else {
                mathDepth = depth;
            }
            token.append(c);
            continue;
        case u'"':
            // A double quote delimits a value only at the top level of the
            // list. Inside braces, or inside braces within a quoted value
            // ("{"}"), it is a character and is kept as written, as BibTeX
            // reads it: a German "a, an inch sign, quoted words, markup.
            if (!inQuote) {
                if (depth >= 2) {
                    token.append(c);
                    continue;
                }
                ++depth;
                token.flushTo(elements);
                token.append(c);
                inQuote = true;
            } else if (depth > 2) {
                token.append(c);
            } else {
                if (depth - 1 == 0) {
                    // The quoted text closed more braces than it opened.
                    token.flushTo(elements);
                    error = Texts::text(u"ReadError_TooManyQuote");
                    return toList(elements);
                }
                token.append(c);
                inQuote = false;
                --depth;
                if (mathDepth > depth && mathDepth >= 2)
                    mathDepth = -1; // a dollar sign in the quoted text, as above
            }
            continue;
        default:
            break;
        }
        if (depth == 0)
            break; // the closing brace of the list
        if (depth != 1) {
            token.append(c);
            continue;
        }
        switch (c) {
        case u'=':
            token.flushTo(elements);
            elements.push_back(bibElementEqual());
            break;
        case u'#':
            token.flushTo(elements);
            elements.push_back(bibElementSharp());
            break;
        case u',':
            token.flushTo(elements);
            elements.push_back(bibElementComma());
            break;
        default:
            // Callers collapse white space into single spaces; any other
            // white space still separates tokens rather than joining them.
            if (whitespace.contains(c))
                token.flushTo(elements);
            else
                token.append(c);
            break;
        }
    }
    token.flushTo(elements);

    if (inQuote)
        error = Texts::text(u"ReadError_MissingEndQuote");
    else if (mathDepth >= 0)
        error = Texts::text(u"ReadError_MissingEndMath");
    else if (needsBraket) {
        if (depth != 0)
            error = Texts::text(u"ReadError_MissingCloseBra");
    } else if (depth <= 0) {
        error = Texts::text(u"ReadError_TooManyBra");
    } else if (depth >= 2) {
        error = Texts::text(u"ReadError_MissingCloseBra");
    }
    return toList(elements);
}

namespace {

// The grouping over `elements`; `take(i)` hands out element i for keeping
// (a copy, or moved out of a list the caller gave up).
template<typename Take>
std::optional<BibFieldDictionary> groupElements(const QList<BibElement> &elements, Take take,
                                                QString &error, bool needsBibkey)
{
    error = QString();
    BibFieldDictionary fields;
    const qsizetype count = elements.size();
    qsizetype i = 0;
    fields.reserve(count / 4 + 1);
    std::vector<BibElement> values; // the field being read
    values.reserve(8);

    if (needsBibkey) {
        if (count == 0 || (elements[0].elementType() != BibElement::Word &&
                           elements[0].elementType() != BibElement::Number)) {
            error = Texts::format(u"ReadError_BadBibKey",
                                  {count == 0 ? QString(u""_s) : elements[0].stringValue()});
            return std::nullopt;
        }
        const QString key = elements[0].stringValue();
        i = 1;
        // A key alone ("@misc{key}") is an entry without fields, as in BibTeX.
        if (i < count) {
            if (elements[i].elementType() != BibElement::Comma) {
                error = Texts::format(u"ReadError_NoComma", {key});
                return std::nullopt;
            }
            ++i;
        }
        fields.insert(u"bibkey"_s, {BibElement::bibElementWithSpecial(key)});
    }

    while (i < count) {
        const BibElement &nameElement = elements[i++];
        if (nameElement.elementType() != BibElement::Word) {
            error = Texts::format(u"ReadError_BadFieldName", {nameElement.stringValue()});
            return std::nullopt;
        }
        const QString name = sharedFieldName(lowerCased(nameElement.stringValue()));
        if (i >= count || elements[i].elementType() != BibElement::Equal) {
            error = Texts::format(u"ReadError_NoEqual", {name});
            return std::nullopt;
        }
        ++i;

        values.clear();
        while (i < count) {
            const BibElement &value = elements[i];
            if (!value.isValue()) {
                if (value.elementType() == BibElement::Comma) {
                    ++i;
                    break; // an empty value: the field is left out
                }
                error = Texts::format(u"ReadError_FieldSyntax", {name});
                return std::nullopt;
            }
            values.push_back(take(i++));
            if (i >= count)
                break;
            const qint32 next = elements[i++].elementType();
            if (next == BibElement::Comma)
                break;
            if (next != BibElement::Sharp) {
                error = Texts::format(u"ReadError_FieldSyntax", {name});
                return std::nullopt;
            }
        }
        // A field that happens to be called "bibkey" must not replace the
        // citation key read above.
        if (values.empty() || (needsBibkey && name == u"bibkey"))
            continue;
        // A field given twice: BibTeX takes the first value. The later one is
        // kept under a name of its own ("title.1") rather than dropped.
        if (fields.contains(name)) {
            QString renamed;
            for (int suffix = 1;; ++suffix) {
                renamed = name + u'.' + QString::number(suffix);
                if (!fields.contains(renamed))
                    break;
            }
            fields.insert(renamed, toElementList(values));
            continue;
        }
        fields.insert(name, toElementList(values));
    }
    return fields;
}

} // namespace

std::optional<BibFieldDictionary> BibElement::analyzeElements(const QList<BibElement> &elements,
                                                              QString &error, bool needsBibkey)
{
    return groupElements(
        elements, [&elements](qsizetype i) { return elements[i]; }, error, needsBibkey);
}

std::optional<BibFieldDictionary> BibElement::analyzeElements(QList<BibElement> &&elements,
                                                              QString &error, bool needsBibkey)
{
    elements.detach();
    BibElement *const data = elements.data();
    return groupElements(
        std::as_const(elements), [data](qsizetype i) { return std::move(data[i]); }, error,
        needsBibkey);
}

std::optional<QString> BibElement::checkNesting(const QString &text)
{
    StringInputStream stream = normalisingStream(text);
    QString out;
    out.reserve(text.size() + 8);
    int depth = 0;
    bool negative = false;   // a '}' closed more than was open at some point
    bool quoteAtTop = false; // a double quote outside braces
    for (;;) {
        const QChar c = stream.getChar();
        if (endOfText(c, stream))
            break;
        switch (c.unicode()) {
        case u'\\': {
            out.append(c);
            const QChar next = stream.getChar();
            if (!endOfText(next, stream))
                out.append(next);
            break;
        }
        case u'{':
            ++depth;
            out.append(c);
            break;
        case u'}':
            if (--depth < 0)
                negative = true;
            out.append(c);
            break;
        case u'"':
            // Kept as typed: a value is written in braces, where a double
            // quote is a character.
            if (depth <= 0)
                quoteAtTop = true;
            out.append(c);
            break;
        default:
            out.append(c);
            break;
        }
    }
    // Dollars are left to themselves: in a value, the reader takes one that
    // does not pair up as a plain dollar sign. A value such as '}"{' could be
    // written neither in braces nor in quotes.
    if (depth != 0 || (negative && quoteAtTop))
        return std::nullopt;
    return out;
}

std::optional<QList<BibElement>> BibElement::checkValidity(const QString &text, QString &outString,
                                                           QString *error)
{
    StringInputStream stream = normalisingStream(text);
    stream.getChar(); // the leading "@"
    QString problem;
    const QList<BibElement> elements = getElementsFromStream(stream, problem, false);

    QList<BibElement> retained;
    if (problem.isNull()) {
        const qsizetype count = elements.size();
        for (qsizetype i = 0; i < count;) {
            if (elements[i].elementType() > Math) {
                problem = Texts::text(u"ReadError_FieldSyntax2");
                break;
            }
            retained.append(elements[i++]);
            if (i >= count)
                break;
            if (elements[i++].elementType() != Sharp) {
                problem = Texts::text(u"ReadError_FieldSyntax2");
                break;
            }
        }
    }

    outString = u"@"_s;
    for (qsizetype i = 0; i < retained.size(); ++i) {
        if (i > 0)
            outString.append(u" # ");
        outString.append(retained[i].stringValue());
    }
    if (error)
        *error = problem;
    if (!problem.isNull())
        return std::nullopt;
    return retained;
}

bool BibElement::bracesBalance(QStringView text)
{
    qsizetype depth = 0;
    for (QChar c : text) {
        if (c == u'{')
            ++depth;
        else if (c == u'}' && --depth < 0)
            return false;
    }
    return depth == 0;
}
