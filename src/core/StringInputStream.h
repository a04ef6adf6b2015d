#pragma once

#include "core/CharacterSet.h"

#include <QChar>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <string_view>

// A reading cursor over the UTF-16 code units of one string, with the few
// primitives the parsers need and two optional input normalisations (white-space
// runs read as one space; the yen sign read as a backslash). Every primitive
// that answers a character answers U+0000 at the end of the text; atEnd() tells
// a NUL in the text from the end. A value owned by its reader; not shared
// between threads (copies are independent cursors over the same text).
class StringInputStream
{
public:
    // The ASCII characters at which getPlainRun stops, made once (constexpr)
    // by a scanner from the characters it treats specially.
    struct PlainRunStops
    {
        enum Kind : std::uint8_t
        {
            Plain = 0,
            Stop = 1,
            Space = 2
        };
        Kind kind[128] = {};

        constexpr explicit PlainRunStops(std::u16string_view stops)
        {
            for (char16_t c = 0; c < 128; ++c)
                kind[c] = c < u' ' ? Stop : c == u' ' ? Space : Plain;
            for (const char16_t c : stops) {
                if (c < 128)
                    kind[c] = Stop;
            }
        }
    };

    StringInputStream();
    explicit StringInputStream(const QString &string);
    static StringInputStream stringInputStreamWithString(const QString &string);

    // Builds the shared character classes. Safe to call more than once and
    // from any thread; streams build them on first use as well.
    static void setupCharacterSets();

    bool spacesToASpace() const { return m_spacesToASpace; }
    void setSpacesToASpace(bool on) { m_spacesToASpace = on; }
    bool yenToBackslash() const { return m_yenToBackslash; }
    void setYenToBackslash(bool on) { m_yenToBackslash = on; }
    // On: only ASCII white space and the no-break space (read as a space, as
    // ever) are white space; the other Unicode spaces (thin, ideographic, ...)
    // are characters of the text and are handed out as they are. For the file
    // reader, where they are the user's text.
    bool unicodeSpacesAreText() const { return m_unicodeSpacesAreText; }
    void setUnicodeSpacesAreText(bool on);

    QChar getChar();
    QChar getNonSpaceChar();
    QChar getNonDelimiterChar();
    void ungetChar();
    void skipToEndOfLine();
    void skipWord();
    std::optional<QString> getWord();
    std::optional<QString> getWordNonSpace();
    std::optional<QString> getWordBeginsWith(QChar c);

    // Consumes and answers the longest run of units from the cursor that
    // getChar would hand out unchanged, one by one: it stops before any unit
    // in `stops`, every ASCII control character, the yen sign, and white space
    // other than a single space between two other characters. For scanners
    // that copy ordinary text in bulk.
    QStringView getPlainRun(const PlainRunStops &stops);

    void rewind();
    // Moves the cursor to `index`, clamped to the last unit of the text.
    void setPosition(qsizetype index);
    qsizetype position() const { return m_currentPos; }
    // The text from the cursor on, as stored (no conversions): for looking ahead.
    QStringView rest() const { return QStringView(m_buffer + m_currentPos, m_maxPos - m_currentPos); }
    qsizetype length() const { return m_maxPos; }
    bool atEnd() const { return m_currentPos >= m_maxPos; }

private:
    std::optional<QString> collectWord(QChar first);

    QString m_string; // keeps the code units alive; never modified
    const char16_t *m_buffer;
    qsizetype m_currentPos = 0;
    qsizetype m_maxPos = 0;
    bool m_spacesToASpace = false;
    bool m_yenToBackslash = false;
    bool m_lastCharWasASpace = false;
    bool m_unicodeSpacesAreText = false;
    CharacterSet m_whitespace;
    CharacterSet m_delimiters;
};

inline QChar StringInputStream::getChar()
{
    if (m_currentPos >= m_maxPos)
        return QChar();
    char16_t c = m_buffer[m_currentPos++];
    bool space;
    if (c == 0x00A0 || (c == 0x3000 && !m_unicodeSpacesAreText)) {
        c = u' ';
        space = true;
    } else if (m_yenToBackslash && c == 0x00A5) {
        c = u'\\';
        space = false;
    } else {
        space = m_whitespace.contains(c);
    }
    if (m_spacesToASpace && space) {
        if (m_lastCharWasASpace)
            return getNonSpaceChar();
        c = u' ';
    }
    m_lastCharWasASpace = space;
    return QChar(c);
}

inline QStringView StringInputStream::getPlainRun(const PlainRunStops &stops)
{
    // Locals, so that the table reads cannot force the cursor back to memory
    // on every unit.
    const char16_t *const buffer = m_buffer;
    const qsizetype start = m_currentPos;
    const qsizetype end = m_maxPos;
    const CharacterSet whitespace = m_whitespace;
    qsizetype pos = start;
    for (; pos < end; ++pos) {
        const char16_t c = buffer[pos];
        if (c < 128) {
            const auto kind = stops.kind[c];
            if (kind == PlainRunStops::Plain)
                continue;
            if (kind == PlainRunStops::Stop)
                break;
            // A single space between two other characters reads as itself,
            // collapsing or not.
            if ((pos == start && m_lastCharWasASpace) || pos + 1 >= end ||
                whitespace.contains(buffer[pos + 1]))
                break;
        } else if (c == 0x00A5 || whitespace.contains(c)) {
            break;
        }
    }
    if (pos > start) {
        m_currentPos = pos;
        m_lastCharWasASpace = buffer[pos - 1] == u' ';
    }
    return QStringView(buffer + start, pos - start);
}
