#include "storage/TextPlausibility.h"

#include <QChar>
#include <QHash>

#include <unicode/ucnv.h>

#include <array>

namespace {

enum class Script
{
    None, // not a letter
    Latin,
    Cyrillic,
    Greek,
    Han,
    Kana,
    Hangul,
    Neutral, // letters of every script: the prolonged sound mark, iteration marks
    Other
};

Script scriptOf(char32_t c)
{
    if (!QChar::isLetter(c))
        return Script::None;
    switch (QChar::script(c)) {
    case QChar::Script_Latin:
        return Script::Latin;
    case QChar::Script_Cyrillic:
        return Script::Cyrillic;
    case QChar::Script_Greek:
        return Script::Greek;
    case QChar::Script_Han:
        return Script::Han;
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
        return Script::Kana;
    case QChar::Script_Hangul:
        return Script::Hangul;
    case QChar::Script_Common:
    case QChar::Script_Inherited:
        return Script::Neutral;
    default:
        return Script::Other;
    }
}

// Punctuation that stands next to letters in real text: apostrophes, quotes,
// hyphens, dashes, guillemets, the middle dot, inverted marks, the degree
// sign, CJK and full-width punctuation.
bool isWordPunctuation(char32_t c)
{
    return (c >= 0x2010 && c <= 0x2027) || c == 0x00B7 || c == 0x00AD || c == 0x00AB ||
           c == 0x00BB || c == 0x00A1 || c == 0x00BF || c == 0x00B0 || c == 0x2039 || c == 0x203A ||
           c == 0x2116 || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF01 && c <= 0xFF60) ||
           c == 0x30FB || c == 0x30FC;
}

// A character outside ASCII that is neither a letter, a mark, a space nor
// word punctuation: a symbol (box drawing, "±", "¶", ...).
bool isSymbol(char32_t c)
{
    return c >= 0x80 && !QChar::isLetter(c) && !QChar::isMark(c) && !QChar::isSpace(c) &&
           !isWordPunctuation(c);
}

// The converters that tell common Han characters, opened once per measurement.
class HanSets
{
public:
    HanSets()
    {
        const char *names[] = {"ibm-1383_P110-1999", "windows-950-2000", "EUC-JP"};
        for (std::size_t i = 0; i < m_converters.size(); ++i) {
            UErrorCode status = U_ZERO_ERROR;
            m_converters[i] = ucnv_open(names[i], &status);
            if (U_FAILURE(status)) {
                m_converters[i] = nullptr;
                continue;
            }
            ucnv_setFromUCallBack(m_converters[i], UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr,
                                  nullptr, &status);
        }
    }
    ~HanSets()
    {
        for (UConverter *converter : m_converters) {
            if (converter)
                ucnv_close(converter);
        }
    }
    HanSets(const HanSets &) = delete;
    HanSets &operator=(const HanSets &) = delete;

    // Whether `c` is in JIS X 0208, the set every Japanese text is written in.
    bool isJapanese(char32_t c) { return inSets(c, 2, 3); }
    bool isCommon(char32_t c)
    {
        const auto known = m_cache.constFind(c);
        if (known != m_cache.cend())
            return *known;
        const bool common = inSets(c, 0, 3);
        m_cache.insert(c, common);
        return common;
    }

private:
    // Whether one of the converters [first, last) holds `c` in its common range.
    bool inSets(char32_t c, std::size_t first, std::size_t last)
    {
        // By lead byte: the first level of GB 2312 (B0-D7) and of Big5
        // (A4-C6), both levels of JIS X 0208 (B0-F4 in EUC-JP: Japanese text
        // uses the second level freely).
        constexpr unsigned char low[] = {0xB0, 0xA4, 0xB0};
        constexpr unsigned char high[] = {0xD7, 0xC6, 0xF4};
        UChar units[2];
        int32_t length = 0;
        if (c >= 0x10000) {
            units[0] = static_cast<UChar>(QChar::highSurrogate(c));
            units[1] = static_cast<UChar>(QChar::lowSurrogate(c));
            length = 2;
        } else {
            units[0] = static_cast<UChar>(c);
            length = 1;
        }
        bool common = false;
        for (std::size_t i = first; i < last && !common; ++i) {
            if (!m_converters[i])
                continue;
            ucnv_resetFromUnicode(m_converters[i]);
            char bytes[8];
            UErrorCode status = U_ZERO_ERROR;
            const int32_t written =
                ucnv_fromUChars(m_converters[i], bytes, sizeof bytes, units, length, &status);
            if (U_SUCCESS(status) && written == 2) {
                const auto lead = static_cast<unsigned char>(bytes[0]);
                common = lead >= low[i] && lead <= high[i];
            }
        }
        return common;
    }

    std::array<UConverter *, 3> m_converters{};
    QHash<char32_t, bool> m_cache;
};

} // namespace

bool TextPlausibility::isCommonHan(char32_t c)
{
    HanSets sets;
    return sets.isCommon(c);
}

qsizetype TextPlausibility::implausibility(QStringView text)
{
    HanSets han;
    qsizetype score = 0;
    char32_t previous = 0; // the character before the current one
    Script previousScript = Script::None;
    int accentedRun = 0; // non-ASCII Latin letters in a row
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        const Script script = scriptOf(c);
        if (c < 0x80) {
            // "ťSprache": a non-ASCII small letter before a capital.
            if (previous >= 0x80 && previousScript == Script::Latin && QChar::isLower(previous) &&
                QChar::isUpper(c))
                ++score;
            accentedRun = 0;
            previous = c;
            previousScript = script;
            continue;
        }
        if ((c >= 0x80 && c <= 0x9F) || c == 0xFFFD || (c >= 0xE000 && c <= 0xF8FF)) {
            score += 3; // control characters, replacement, private use
        } else if (script == Script::None) {
            // A symbol touching a letter or another symbol ("D±browski",
            // box drawing among Cyrillic letters).
            const char32_t next = i + 1 < n ? text.at(i + 1).unicode() : 0;
            if (isSymbol(c) && (QChar::isLetter(previous) || isSymbol(previous) ||
                                QChar::isLetter(next) || isSymbol(next)))
                ++score;
        } else {
            if (script == Script::Latin && ++accentedRun >= 3)
                ++score;
            // A small letter before a capital inside a word ("SituationŤ",
            // KOI8-R read as windows-1251).
            if (previousScript == script && QChar::isLower(previous) && QChar::isUpper(c))
                ++score;
            const bool kanaAndHan = (previousScript == Script::Han && script == Script::Kana) ||
                                    (previousScript == Script::Kana && script == Script::Han);
            if (previous >= 0x80 && previousScript != Script::None &&
                previousScript != Script::Neutral && script != Script::Neutral &&
                previousScript != script && !kanaAndHan)
                ++score; // two scripts in one word
            if (script == Script::Han && !han.isCommon(c))
                ++score;
            // Kana stand only beside the Han characters of Japanese.
            if (kanaAndHan && !han.isJapanese(script == Script::Han ? c : previous))
                ++score;
            if (c >= 0xFF61 && c <= 0xFF9F)
                ++score; // half-width katakana
        }
        if (script != Script::Latin)
            accentedRun = 0;
        previous = c;
        previousScript = script;
    }
    return score;
}
