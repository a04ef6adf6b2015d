#include "core/StringInputStream.h"

#include <algorithm>

StringInputStream::StringInputStream() : StringInputStream(QString()) {}

StringInputStream::StringInputStream(const QString &string)
    : m_string(string), m_buffer(reinterpret_cast<const char16_t *>(m_string.constData())),
      m_maxPos(m_string.size()), m_whitespace(gWhitespaceSet()), m_delimiters(gWordDelimiterSet())
{}

void StringInputStream::setUnicodeSpacesAreText(bool on)
{
    m_unicodeSpacesAreText = on;
    m_whitespace = on ? gPlainWhitespaceSet() : gWhitespaceSet();
}

StringInputStream StringInputStream::stringInputStreamWithString(const QString &string)
{
    return StringInputStream(string);
}

void StringInputStream::setupCharacterSets()
{
    CharacterSet::ensureBuilt();
    (void)gWhitespaceSet();
    (void)gNewlineSet();
    (void)gWordDelimiterSet();
}

QChar StringInputStream::getNonSpaceChar()
{
    while (m_currentPos < m_maxPos) {
        char16_t c = m_buffer[m_currentPos++];
        m_lastCharWasASpace = m_whitespace.contains(c);
        if (m_lastCharWasASpace)
            continue;
        if (m_yenToBackslash && c == 0x00A5)
            c = u'\\';
        return QChar(c);
    }
    return QChar();
}

QChar StringInputStream::getNonDelimiterChar()
{
    for (;;) {
        const QChar c = getChar();
        if (c.isNull() || !m_delimiters.contains(c))
            return c;
    }
}

void StringInputStream::ungetChar()
{
    if (m_currentPos <= 1) {
        m_currentPos = 0;
        m_lastCharWasASpace = false;
        return;
    }
    --m_currentPos;
    m_lastCharWasASpace = m_whitespace.contains(m_buffer[m_currentPos - 1]);
}

void StringInputStream::skipToEndOfLine()
{
    const CharacterSet &newlines = gNewlineSet();
    while (m_currentPos < m_maxPos) {
        if (newlines.contains(m_buffer[m_currentPos++]))
            return;
    }
}

void StringInputStream::skipWord()
{
    for (;;) {
        const QChar c = getChar();
        if (c.isNull() || m_delimiters.contains(c))
            return;
    }
}

std::optional<QString> StringInputStream::collectWord(QChar first)
{
    QString word(first);
    for (;;) {
        const QChar c = getChar();
        if (c.isNull() || m_delimiters.contains(c))
            return word;
        word.append(c);
    }
}

std::optional<QString> StringInputStream::getWord()
{
    const QChar first = getNonDelimiterChar();
    if (first.isNull())
        return std::nullopt;
    return collectWord(first);
}

std::optional<QString> StringInputStream::getWordNonSpace()
{
    const QChar first = getNonSpaceChar();
    if (first.isNull())
        return std::nullopt;
    QString word(first);
    for (;;) {
        const QChar c = getChar();
        if (c.isNull() || m_whitespace.contains(c))
            return word;
        word.append(c);
    }
}

std::optional<QString> StringInputStream::getWordBeginsWith(QChar c)
{
    for (;;) {
        const QChar first = getNonDelimiterChar();
        if (first.isNull())
            return std::nullopt;
        if (first == c)
            return collectWord(first);
        skipWord();
    }
}

void StringInputStream::rewind()
{
    m_currentPos = 0;
    m_lastCharWasASpace = false;
}

void StringInputStream::setPosition(qsizetype index)
{
    m_currentPos = m_maxPos == 0 ? 0 : std::clamp<qsizetype>(index, 0, m_maxPos - 1);
    m_lastCharWasASpace = false;
}
