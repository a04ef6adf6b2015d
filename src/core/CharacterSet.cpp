#include "core/CharacterSet.h"

#include <array>

namespace {

enum ClassBit : std::uint8_t
{
    WhitespaceBit = 1,
    NewlineBit = 2,
    DelimiterBit = 4,
    PlainWhitespaceBit = 8,
};

using ClassTable = std::array<std::uint8_t, 0x10000>;

ClassTable buildTable()
{
    ClassTable table{};
    for (char32_t u = 0; u < 0x10000; ++u) {
        const QChar c(static_cast<char16_t>(u));
        std::uint8_t bits = 0;
        const bool newline =
            (u >= 0x000A && u <= 0x000D) || u == 0x0085 || u == 0x2028 || u == 0x2029;
        const QChar::Category category = c.category();
        if (newline)
            bits |= NewlineBit | WhitespaceBit;
        if (u == 0x0020 || u == 0x0009 || category == QChar::Separator_Space)
            bits |= WhitespaceBit;
        switch (category) {
        case QChar::Punctuation_Connector:
        case QChar::Punctuation_Dash:
        case QChar::Punctuation_Open:
        case QChar::Punctuation_Close:
        case QChar::Punctuation_InitialQuote:
        case QChar::Punctuation_FinalQuote:
        case QChar::Punctuation_Other:
            bits |= DelimiterBit;
            break;
        default:
            break;
        }
        if (bits & WhitespaceBit)
            bits |= DelimiterBit;
        if (u == 0x0020 || (u >= 0x0009 && u <= 0x000D) || u == 0x00A0)
            bits |= PlainWhitespaceBit;
        table[u] = bits;
    }
    return table;
}

const ClassTable &classTable()
{
    static const ClassTable table = buildTable();
    return table;
}

} // namespace

void CharacterSet::ensureBuilt()
{
    (void)classTable();
}

const CharacterSet &gWhitespaceSet()
{
    static const CharacterSet set(classTable().data(), WhitespaceBit);
    return set;
}

const CharacterSet &gPlainWhitespaceSet()
{
    static const CharacterSet set(classTable().data(), PlainWhitespaceBit);
    return set;
}

const CharacterSet &gNewlineSet()
{
    static const CharacterSet set(classTable().data(), NewlineBit);
    return set;
}

const CharacterSet &gWordDelimiterSet()
{
    static const CharacterSet set(classTable().data(), DelimiterBit);
    return set;
}
