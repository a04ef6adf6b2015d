#include "model/FormatElement.h"

#include "core/StringInputStream.h"
#include "core/Texts.h"
#include "tex/TeXtoHTML.h"
#include "tex/TeXtoText.h"

using namespace Qt::StringLiterals;

namespace {

bool isSpaceOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Writes `text` so that it reads back literally inside an element: the
// backslash and the angle brackets always escaped, a bracket only when it
// has no partner within the text (balanced brackets read back as nesting).
QString escapedText(const QString &text)
{
    QList<bool> escape(text.size(), false);
    QList<qsizetype> open;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' || c == u'<' || c == u'>') {
            escape[i] = true;
        } else if (c == u'[') {
            open.append(i);
        } else if (c == u']') {
            if (open.isEmpty())
                escape[i] = true;
            else
                open.removeLast();
        }
    }
    for (const qsizetype i : std::as_const(open))
        escape[i] = true;
    QString out;
    out.reserve(text.size() + 4);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (escape.at(i))
            out.append(u'\\');
        out.append(text.at(i));
    }
    return out;
}

} // namespace

QString FormatElement::placeholder()
{
    return u"<<XXX>>"_s;
}

FormatElement::FormatElement(StringInputStream *stream, QString &errorStr)
{
    errorStr.clear();
    if (!stream)
        return;
    QString errorKey;
    if (parse(*stream, errorKey) == Outcome::Error)
        errorStr = Texts::text(errorKey);
}

std::optional<FormatElement> FormatElement::formatElementFromStream(StringInputStream &stream,
                                                                    QString &errorStr)
{
    errorStr.clear();
    FormatElement element;
    QString errorKey;
    switch (element.parse(stream, errorKey)) {
    case Outcome::Element:
        return element;
    case Outcome::Error:
        errorStr = Texts::text(errorKey);
        return std::nullopt;
    case Outcome::Nothing:
        break;
    }
    return std::nullopt;
}

FormatElement::Outcome FormatElement::parse(StringInputStream &stream, QString &errorKey)
{
    m_elementString.clear();
    m_fieldNames.reset();
    m_style = Unparsed;

    // Up to the opening bracket; text between elements is ignored.
    for (;;) {
        const QChar c = stream.getChar();
        if (c.isNull())
            return Outcome::Nothing;
        if (c == u'[')
            break;
        if (c == u']') {
            errorKey = QF_KEY("FormatError_MissingOpenBrace");
            return Outcome::Error;
        }
    }

    const QChar marker = stream.getChar();
    if (marker.isNull())
        return Outcome::Nothing;
    if (marker == u'/') {
        m_style = Italic;
    } else if (marker == u'|') {
        m_style = Bold;
    } else if (marker == u'_') {
        m_style = Underline;
    } else {
        m_style = Plain;
        stream.ungetChar();
    }

    QString text;
    QStringList names;
    QString name;
    int depth = 0;
    int slots = 0;
    bool inSlot = false;
    for (;;) {
        const QChar c = stream.getChar();
        if (c.isNull()) {
            errorKey = QF_KEY("FormatError_MissingCloseBrace");
            return Outcome::Error;
        }
        if (inSlot) {
            if (c == u'\\' || c == u'[' || c == u'<') {
                errorKey = QF_KEY("FormatError_BadCharInField");
                return Outcome::Error;
            }
            if (c == u']') {
                errorKey = QF_KEY("FormatError_MissingEndField");
                return Outcome::Error;
            }
            if (c == u'>') {
                if (name.isEmpty()) {
                    errorKey = QF_KEY("FormatError_Syntax");
                    return Outcome::Error;
                }
                names.append(name.toLower());
                name.clear();
                inSlot = false;
            } else if (c == u'/') {
                if (name.isEmpty()) {
                    errorKey = QF_KEY("FormatError_BadCharInField");
                    return Outcome::Error;
                }
                names.append(name.toLower());
                name.clear();
            } else if (c != u' ') {
                name.append(c);
            }
            continue;
        }
        if (c == u'\\') {
            const QChar literal = stream.getChar();
            if (literal.isNull()) {
                errorKey = QF_KEY("FormatError_MissingCloseBrace");
                return Outcome::Error;
            }
            text.append(literal);
        } else if (c == u'[') {
            ++depth;
            text.append(c);
        } else if (c == u']') {
            if (--depth < 0)
                break;
            text.append(c);
        } else if (c == u'<') {
            inSlot = true;
            ++slots;
            text.append(placeholder());
        } else if (c == u'>') {
            errorKey = QF_KEY("FormatError_Syntax");
            return Outcome::Error;
        } else {
            text.append(c);
        }
    }

    if (slots >= 2) {
        errorKey = QF_KEY("FormatError_TooManyFieldBlock");
        return Outcome::Error;
    }
    if (slots == 1 && names.isEmpty()) {
        errorKey = QF_KEY("FormatError_EmptyFieldBlock");
        return Outcome::Error;
    }
    if (text.isEmpty())
        return Outcome::Nothing;
    m_elementString = text;
    if (slots == 1)
        m_fieldNames = names;
    return Outcome::Element;
}

QList<FormatElement> FormatElement::elementArrayWithString(const QString &text, QString &errorStr)
{
    errorStr.clear();
    StringInputStream stream(text);
    stream.setSpacesToASpace(true);
    stream.setYenToBackslash(true);
    QList<FormatElement> elements;
    while (std::optional<FormatElement> element = formatElementFromStream(stream, errorStr))
        elements.append(*element);
    return elements;
}

QString FormatElement::normalizedStringOf(const QString &text, QString &errorStr)
{
    QString normalized;
    for (const FormatElement &element : elementArrayWithString(text, errorStr))
        normalized += element.normalizedString();
    return normalized;
}

QString FormatElement::normalizedString() const
{
    QString out = u"["_s;
    switch (m_style) {
    case Italic:
        out += u'/';
        break;
    case Bold:
        out += u'|';
        break;
    case Underline:
        out += u'_';
        break;
    default:
        if (!m_elementString.isEmpty() &&
            (m_elementString.startsWith(u'/') || m_elementString.startsWith(u'|') ||
             m_elementString.startsWith(u'_')))
            out += u'\\';
        break;
    }
    const qsizetype at = m_fieldNames ? m_elementString.indexOf(placeholder()) : -1;
    if (at < 0) {
        out += escapedText(m_elementString);
    } else {
        out += escapedText(m_elementString.left(at));
        out += u'<' + m_fieldNames->join(u'/') + u'>';
        out += escapedText(m_elementString.mid(at + placeholder().size()));
    }
    out += u']';
    return out;
}

QString FormatElement::fieldString(const FieldLookup &lookup) const
{
    if (!m_fieldNames)
        return {};
    for (const QString &name : *m_fieldNames) {
        QString value = lookup(name);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

QString FormatElement::render(const FieldLookup &lookup, int kind) const
{
    QString text = m_elementString;
    if (m_fieldNames) {
        const QString value = fieldString(lookup);
        if (value.isEmpty())
            return {};
        const qsizetype at = text.indexOf(placeholder());
        if (at >= 0)
            text.replace(at, placeholder().size(), value);
    }
    if (text.isEmpty())
        return {};

    const bool leadingSpace = text.startsWith(u' ');
    const bool trailingSpace = text.endsWith(u' ');
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpaceOrTab(text.at(begin)))
        ++begin;
    while (end > begin && isSpaceOrTab(text.at(end - 1)))
        --end;
    text = text.mid(begin, end - begin);
    if (text.isEmpty()) // a separator of blanks only: one blank, no markup
        return leadingSpace || trailingSpace ? u" "_s : QString();

    switch (kind) {
    case 3:
        if (m_style == Italic)
            text = u"{\\it "_s + text + u'}';
        else if (m_style == Bold)
            text = u"{\\bf "_s + text + u'}';
        else if (m_style == Underline)
            text = u"\\underline{"_s + text + u'}';
        break;
    case 4:
    case 6:
        text = TeXtoHTML::convertString(text);
        if (m_style == Italic)
            text = u"<i>"_s + text + u"</i>"_s;
        else if (m_style == Bold)
            text = u"<b>"_s + text + u"</b>"_s;
        else if (m_style == Underline)
            text = u"<u>"_s + text + u"</u>"_s;
        break;
    case 7:
        text = TeXtoText::convertString(text);
        break;
    default:
        break;
    }
    if (leadingSpace)
        text.prepend(u' ');
    if (trailingSpace)
        text.append(u' ');
    return text;
}
