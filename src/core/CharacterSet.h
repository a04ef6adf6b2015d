#pragma once

#include <QChar>

#include <cstdint>

// A set of UTF-16 code units with a constant-time membership test. The three
// process-wide sets below share one read-only class table built on first use
// (thread-safe); a CharacterSet is a small value that points into it, so
// copies are free and may be used from any thread.
class CharacterSet
{
public:
    bool contains(QChar c) const { return (m_table[c.unicode()] & m_mask) != 0; }
    bool contains(char16_t c) const { return (m_table[c] & m_mask) != 0; }

    // Builds the shared class table unless it exists already. Safe to call
    // more than once and from any thread.
    static void ensureBuilt();

private:
    friend const CharacterSet &gWhitespaceSet();
    friend const CharacterSet &gNewlineSet();
    friend const CharacterSet &gPlainWhitespaceSet();
    friend const CharacterSet &gWordDelimiterSet();

    CharacterSet(const std::uint8_t *table, std::uint8_t mask) : m_table(table), m_mask(mask) {}

    const std::uint8_t *m_table;
    std::uint8_t m_mask;
};

// White space and line breaks: space, tab, the Unicode space separators
// (category Zs, U+00A0 and U+3000 included) and U+000A-U+000D, U+0085,
// U+2028, U+2029.
const CharacterSet &gWhitespaceSet();
// ASCII white space (space, tab, LF, VT, FF, CR) and the no-break space.
const CharacterSet &gPlainWhitespaceSet();
// The line breaks of gWhitespaceSet: U+000A-U+000D, U+0085, U+2028, U+2029.
const CharacterSet &gNewlineSet();
// Unicode punctuation (categories Pc, Pd, Ps, Pe, Pi, Pf, Po) and
// gWhitespaceSet. Symbols such as '=', '+', '$', '~' are not members.
const CharacterSet &gWordDelimiterSet();
