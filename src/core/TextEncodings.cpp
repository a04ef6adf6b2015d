#include "core/TextEncodings.h"

#include "core/Texts.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <QStringDecoder>

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct EncodingInfo
{
    quint32 code;
    const char *converter; // ICU converter name
    const char16_t *name;  // English display name; null for an alias of another code
    quint32 aliasOf;       // for an alias: the code whose name it shows
};

// The encodings the program offers. Shift-JIS variants all use the
// Windows-31J converter: it keeps byte 0x5C a backslash (glibc's and others'
// "Shift_JIS" turn it into a yen sign, which breaks every TeX command), and it
// is the superset real files are written in. No converter here knows Mac
// Japanese or Shift_JIS X0213; both are read and written as Windows-31J.
// Aliases are codes other programs write for the same encoding; they decode
// and encode but are not listed under a name of their own.
constexpr EncodingInfo kEncodings[] = {
    {1, "US-ASCII", u"Western (ASCII)", 0},
    {3, "EUC-JP", u"Japanese (EUC)", 0},
    {4, "UTF-8", u"Unicode (UTF-8)", 0},
    {5, "ISO-8859-1", u"Western (ISO Latin 1)", 0},
    {8, "ibm-943_P15A-2003", u"Japanese (Windows, DOS)", 0},
    {9, "ISO-8859-2", u"Central European (ISO Latin 2)", 0},
    {10, "UTF-16", u"Unicode (UTF-16)", 0},
    {11, "windows-1251", u"Cyrillic (Windows)", 0},
    {12, "windows-1252", u"Western (Windows Latin 1)", 0},
    {13, "windows-1253", u"Greek (Windows)", 0},
    {14, "windows-1254", u"Turkish (Windows Latin 5)", 0},
    {15, "windows-1250", u"Central European (Windows Latin 2)", 0},
    {21, "ISO-2022-JP", u"Japanese (ISO 2022-JP)", 0},
    {30, "macos-0_2-10.2", u"Western (Mac OS Roman)", 0},
    {0x80000001u, "ibm-943_P15A-2003", u"Japanese (Mac OS)", 0},
    {0x80000006u, "macos-6_2-10.4", u"Greek (Mac OS)", 0},
    {0x80000007u, "macos-7_3-10.2", u"Cyrillic (Mac OS)", 0},
    {0x8000001Du, "macos-29-10.2", u"Central European (Mac OS)", 0},
    {0x80000023u, "macos-35-10.2", u"Turkish (Mac OS)", 0},
    {0x80000203u, "ISO-8859-3", u"Western (ISO Latin 3)", 0},
    {0x80000204u, "ISO-8859-4", u"Central European (ISO Latin 4)", 0},
    {0x80000205u, "ISO-8859-5", u"Cyrillic (ISO 8859-5)", 0},
    {0x80000206u, "ISO-8859-6", u"Arabic (ISO 8859-6)", 0},
    {0x80000207u, "ISO-8859-7", u"Greek (ISO 8859-7)", 0},
    {0x80000208u, "ISO-8859-8", u"Hebrew (ISO 8859-8)", 0},
    {0x80000209u, "ISO-8859-9", u"Turkish (ISO Latin 5)", 0},
    {0x8000020Au, "ISO-8859-10", u"Nordic (ISO Latin 6)", 0},
    {0x8000020Bu, "iso-8859_11-2001", u"Thai (ISO 8859-11)", 0},
    {0x8000020Du, "ISO-8859-13", u"Baltic (ISO Latin 7)", 0},
    {0x8000020Eu, "ISO-8859-14", u"Celtic (ISO Latin 8)", 0},
    {0x8000020Fu, "ISO-8859-15", u"Western (ISO Latin 9)", 0},
    {0x80000400u, "ibm-437_P100-1995", u"Latin-US (DOS)", 0},
    {0x80000405u, "ibm-737_P100-1997", u"Greek (DOS)", 0},
    {0x80000410u, "ibm-850_P100-1995", u"Western (DOS Latin 1)", 0},
    {0x80000412u, "ibm-852_P100-1995", u"Central European (DOS Latin 2)", 0},
    {0x80000413u, "ibm-855_P100-1995", u"Cyrillic (DOS)", 0},
    {0x80000414u, "ibm-857_P100-1995", u"Turkish (DOS)", 0},
    {0x8000041Bu, "ibm-866_P100-1995", u"Russian (DOS)", 0},
    {0x8000041Du, "windows-874-2000", u"Thai (Windows, DOS)", 0},
    {0x80000421u, "windows-936-2000", u"Simplified Chinese (Windows, DOS)", 0},
    {0x80000422u, "windows-949-2000", u"Korean (Windows, DOS)", 0},
    {0x80000423u, "windows-950-2000", u"Traditional Chinese (Windows, DOS)", 0},
    {0x80000505u, "windows-1255", u"Hebrew (Windows)", 0},
    {0x80000506u, "windows-1256", u"Arabic (Windows)", 0},
    {0x80000507u, "windows-1257", u"Baltic (Windows)", 0},
    {0x80000508u, "windows-1258", u"Vietnamese (Windows)", 0},
    {0x80000628u, "ibm-943_P15A-2003", u"Japanese (Shift JIS X0213)", 0},
    {0x80000631u, "windows-936-2000", u"Simplified Chinese (GBK)", 0},
    {0x80000632u, "gb18030", u"Simplified Chinese (GB 18030)", 0},
    {0x80000830u, "ISO-2022-CN", u"Chinese (ISO 2022-CN)", 0},
    {0x80000840u, "ISO-2022-KR", u"Korean (ISO 2022-KR)", 0},
    {0x80000930u, "ibm-1383_P110-1999", u"Simplified Chinese (GB 2312)", 0},
    {0x80000931u, "euc-tw-2014", u"Traditional Chinese (EUC)", 0},
    {0x80000940u, "ibm-970_P110_P110-2006_U2", u"Korean (EUC)", 0},
    {0x80000A01u, "ibm-943_P15A-2003", u"Japanese (Shift JIS)", 0},
    {0x80000A02u, "KOI8-R", u"Cyrillic (KOI8-R)", 0},
    {0x80000A03u, "windows-950-2000", u"Traditional Chinese (Big 5)", 0},
    {0x80000A05u, "HZ", u"Simplified Chinese (HZ GB 2312)", 0},
    {0x80000A06u, "ibm-1375_P100-2008", u"Traditional Chinese (Big 5 HKSCS)", 0},
    {0x80000A08u, "KOI8-U", u"Ukrainian (KOI8-U)", 0},
    {0x8c000100u, "UTF-32", u"Unicode (UTF-32)", 0},
    {0x90000100u, "UTF-16BE", u"Unicode (UTF-16BE)", 0},
    {0x94000100u, "UTF-16LE", u"Unicode (UTF-16LE)", 0},
    {0x98000100u, "UTF-32BE", u"Unicode (UTF-32BE)", 0},
    {0x9c000100u, "UTF-32LE", u"Unicode (UTF-32LE)", 0},
    // Codes of the same encodings as written by other programs.
    {0x80000000u, "macos-0_2-10.2", nullptr, 30},
    {0x80000100u, "UTF-16", nullptr, 10},
    {0x80000201u, "ISO-8859-1", nullptr, 5},
    {0x80000202u, "ISO-8859-2", nullptr, 9},
    {0x80000420u, "ibm-943_P15A-2003", nullptr, 8},
    {0x80000500u, "windows-1252", nullptr, 12},
    {0x80000501u, "windows-1250", nullptr, 15},
    {0x80000502u, "windows-1251", nullptr, 11},
    {0x80000503u, "windows-1253", nullptr, 13},
    {0x80000504u, "windows-1254", nullptr, 14},
    {0x80000600u, "US-ASCII", nullptr, 1},
    {0x80000820u, "ISO-2022-JP", nullptr, 21},
    {0x80000920u, "EUC-JP", nullptr, 3},
    {0x88000100u, "UTF-8", nullptr, 4},
};

const EncodingInfo *findInfo(quint32 code)
{
    for (const EncodingInfo &info : kEncodings) {
        if (info.code == code)
            return &info;
    }
    return nullptr;
}

struct ConverterCloser
{
    void operator()(UConverter *converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr openConverter(const char *name)
{
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr converter(ucnv_open(name, &status));
    if (U_FAILURE(status))
        return nullptr;
    return converter;
}

bool isUnicodeConverter(const char *name)
{
    return qstrncmp(name, "UTF-", 4) == 0;
}

// Compatibility decomposition with the marks removed: "é" -> "e", "ﬁ" -> "fi",
// full-width "Ａ" -> "A".
icu::UnicodeString strippedDecomposition(const icu::UnicodeString &text)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2 *nfkd = icu::Normalizer2::getNFKDInstance(status);
    if (U_FAILURE(status))
        return text;
    const icu::UnicodeString decomposed = nfkd->normalize(text, status);
    if (U_FAILURE(status))
        return text;
    icu::UnicodeString result;
    for (int32_t i = 0; i < decomposed.length();) {
        const UChar32 c = decomposed.char32At(i);
        const int8_t category = u_charType(c);
        if (category != U_NON_SPACING_MARK && category != U_ENCLOSING_MARK)
            result.append(c);
        i += U16_LENGTH(c);
    }
    return result;
}

// Latin-ASCII transliteration ("ß" -> "ss", "—" -> "-", curly quotes ->
// straight ones). Transliterators are not safe for concurrent use, so the one
// instance is guarded.
icu::UnicodeString transliteratedToAscii(const icu::UnicodeString &text)
{
    static std::mutex mutex; // guards `transliterator`
    static std::unique_ptr<icu::Transliterator> transliterator;
    static bool tried = false;
    std::lock_guard lock(mutex);
    if (!tried) {
        tried = true;
        UErrorCode status = U_ZERO_ERROR;
        transliterator.reset(icu::Transliterator::createInstance(icu::UnicodeString(u"Latin-ASCII"),
                                                                 UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            transliterator.reset();
    }
    icu::UnicodeString result = text;
    if (transliterator)
        transliterator->transliterate(result);
    return result;
}

// ASCII spellings of the Latin, punctuation and letter-like characters whose
// compatibility decomposition is not ASCII already ("ß" -> "ss", "Ł" -> "L",
// "—" -> "-"), made once from the transliteration so that the common case
// needs neither the transliterator nor its lock.
const QHash<char16_t, QString> &asciiSpellings()
{
    static const QHash<char16_t, QString> table = [] {
        QHash<char16_t, QString> spellings;
        const std::pair<char16_t, char16_t> ranges[] = {
            {0x00A0, 0x02FF}, {0x1E00, 0x1EFF}, {0x2000, 0x206F}, {0x2100, 0x218F}};
        for (const auto &[first, last] : ranges) {
            for (char32_t c = first; c <= last; ++c) {
                const icu::UnicodeString original{UChar32(c)};
                const icu::UnicodeString ascii =
                    transliteratedToAscii(strippedDecomposition(original));
                QString spelling;
                bool plain = !ascii.isEmpty();
                for (int32_t i = 0; i < ascii.length() && plain; ++i) {
                    plain = ascii.charAt(i) < 0x80;
                    spelling.append(QChar(ascii.charAt(i)));
                }
                if (plain && ascii != original)
                    spellings.insert(char16_t(c), spelling);
            }
        }
        return spellings;
    }();
    return table;
}

// State of one lossy conversion: a second converter of the same encoding that
// stops at the first unmappable character tells whether a replacement fits.
struct LossyContext
{
    const char *converterName = nullptr;
    ConverterPtr checker;

    bool fits(const icu::UnicodeString &candidate)
    {
        if (candidate.isEmpty())
            return false;
        if (!checker) {
            checker = openConverter(converterName);
            if (!checker)
                return false;
            UErrorCode status = U_ZERO_ERROR;
            ucnv_setFromUCallBack(checker.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr,
                                  nullptr, &status);
            ucnv_setFallback(checker.get(), true);
        }
        ucnv_resetFromUnicode(checker.get());
        char buffer[256];
        UErrorCode status = U_ZERO_ERROR;
        ucnv_fromUChars(checker.get(), buffer, sizeof buffer, candidate.getBuffer(),
                        candidate.length(), &status);
        return U_SUCCESS(status) || status == U_STRING_NOT_TERMINATED_WARNING;
    }

    icu::UnicodeString replacementFor(UChar32 codePoint)
    {
        if (codePoint < 0 || U_IS_SURROGATE(codePoint))
            return icu::UnicodeString(u'?');
        const icu::UnicodeString original(codePoint);
        const icu::UnicodeString stripped = strippedDecomposition(original);
        if (stripped != original && fits(stripped))
            return stripped;
        const QHash<char16_t, QString> &spellings = asciiSpellings();
        const auto spelling =
            codePoint <= 0xFFFF ? spellings.constFind(char16_t(codePoint)) : spellings.constEnd();
        const icu::UnicodeString ascii =
            spelling != spellings.constEnd()
                ? icu::UnicodeString(reinterpret_cast<const UChar *>(spelling->utf16()),
                                     int32_t(spelling->size()))
                : transliteratedToAscii(stripped);
        if (ascii != original && fits(ascii))
            return ascii;
        return icu::UnicodeString(u'?');
    }
};

void lossyFromUnicode(const void *context, UConverterFromUnicodeArgs *args,
                      const UChar * /*codeUnits*/, int32_t /*length*/, UChar32 codePoint,
                      UConverterCallbackReason reason, UErrorCode *err)
{
    if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR)
        return;
    auto *state = static_cast<LossyContext *>(const_cast<void *>(context));
    const icu::UnicodeString replacement = state->replacementFor(codePoint);
    *err = U_ZERO_ERROR;
    const UChar *source = replacement.getBuffer();
    ucnv_cbFromUWriteUChars(args, &source, source + replacement.length(), 0, err);
}

// `text` in a buffer not much larger than it, keeping one unit spare for a
// reader's final line feed: multi-byte text decodes to far fewer units than
// it has bytes, and a file's text is the largest single block a load holds.
QString fitted(QString text)
{
    if (text.capacity() - text.size() <= text.size() / 8 + 64)
        return text;
    QString exact;
    exact.reserve(text.size() + 1);
    exact.append(text);
    return exact;
}

// UTF-8 through Qt's decoder, which is many times quicker than a converter's
// and drops a leading byte-order mark; invalid bytes fail as they do there.
std::optional<QString> decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return fitted(std::move(text));
}

std::optional<QString> decodeWith(const char *converterName, const QByteArray &bytes)
{
    ConverterPtr converter = openConverter(converterName);
    if (!converter)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
    if (U_FAILURE(status))
        return std::nullopt;

    // Exactly sized (resize() would add growth room): a file's text is the
    // largest single block a load holds.
    QString result(bytes.size() + 16, Qt::Uninitialized);
    const char *source = bytes.constData();
    const char *sourceLimit = source + bytes.size();
    qsizetype written = 0;
    for (;;) {
        auto *target = reinterpret_cast<UChar *>(result.data()) + written;
        auto *targetLimit = reinterpret_cast<UChar *>(result.data()) + result.size();
        status = U_ZERO_ERROR;
        ucnv_toUnicode(converter.get(), &target, targetLimit, &source, sourceLimit, nullptr, true,
                       &status);
        written = target - reinterpret_cast<UChar *>(result.data());
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            result.resize(result.size() * 2 + 16);
            continue;
        }
        if (U_FAILURE(status))
            return std::nullopt;
        break;
    }
    result.truncate(written);
    if (qstrcmp(converterName, "UTF-8") == 0 && result.startsWith(QChar(0xFEFF)))
        result.remove(0, 1);
    return fitted(std::move(result));
}

QByteArray encodeWith(const char *converterName, QStringView text, bool lossy, bool *lost)
{
    ConverterPtr converter = openConverter(converterName);
    if (!converter) {
        if (lost)
            *lost = true;
        return {};
    }
    LossyContext context;
    context.converterName = converterName;
    UErrorCode status = U_ZERO_ERROR;
    if (lossy) {
        ucnv_setFromUCallBack(converter.get(), lossyFromUnicode, &context, nullptr, nullptr,
                              &status);
    } else {
        ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                              &status);
    }
    ucnv_setFallback(converter.get(), lossy);

    QByteArray result;
    result.resize(text.size() * ucnv_getMaxCharSize(converter.get()) + 16);
    const auto *source = reinterpret_cast<const UChar *>(text.utf16());
    const UChar *sourceLimit = source + text.size();
    qsizetype written = 0;
    for (;;) {
        char *target = result.data() + written;
        char *targetLimit = result.data() + result.size();
        status = U_ZERO_ERROR;
        ucnv_fromUnicode(converter.get(), &target, targetLimit, &source, sourceLimit, nullptr, true,
                         &status);
        written = target - result.data();
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            result.resize(result.size() * 2 + 16);
            continue;
        }
        if (U_FAILURE(status)) {
            if (lost)
                *lost = true;
            if (!lossy)
                return {};
        }
        break;
    }
    result.truncate(written);
    return result;
}

// Mac Japanese is Shift-JIS with a few single bytes that Windows-31J leaves
// undefined; they are read and written here around the Windows-31J converter.
// (Byte 0x5C stays a backslash, as everywhere in the Shift-JIS family.)
struct MacJapaneseExtra
{
    uchar byte;
    char16_t character;
    bool written; // false: read only, the character is written another way
};
constexpr MacJapaneseExtra kMacJapaneseExtras[] = {
    {0x80, u'\\', false},    {0xA0, u'\u00A0', true},  {0xFD, u'\u00A9', true},
    {0xFE, u'\u2122', true}, {0xFF, u'\u2026', false},
};

bool isShiftJisLeadByte(uchar byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::optional<QString> decodeMacJapanese(const char *converterName, const QByteArray &bytes)
{
    QString result;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto byte = uchar(bytes[i]);
        if (isShiftJisLeadByte(byte)) {
            i += 2;
            continue;
        }
        const MacJapaneseExtra *extra = nullptr;
        for (const MacJapaneseExtra &candidate : kMacJapaneseExtras) {
            if (candidate.byte == byte)
                extra = &candidate;
        }
        if (!extra) {
            ++i;
            continue;
        }
        const std::optional<QString> part = decodeWith(converterName, bytes.mid(start, i - start));
        if (!part)
            return std::nullopt;
        result += *part;
        result += QChar(extra->character);
        start = ++i;
    }
    const std::optional<QString> tail = decodeWith(converterName, bytes.mid(start));
    if (!tail)
        return std::nullopt;
    return result + *tail;
}

QByteArray encodeMacJapanese(const char *converterName, QStringView text, bool lossy, bool *lost)
{
    QByteArray result;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        for (const MacJapaneseExtra &extra : kMacJapaneseExtras) {
            if (!extra.written || extra.character != c)
                continue;
            result += encodeWith(converterName, text.mid(start, i - start), lossy, lost);
            result += char(extra.byte);
            start = i + 1;
        }
    }
    result += encodeWith(converterName, text.mid(start), lossy, lost);
    return result;
}

} // namespace

TextEncodings::TextEncodings()
{
    for (const EncodingInfo &info : kEncodings) {
        if (!openConverter(info.converter))
            continue;
        m_available.insert(info.code);
        if (!info.name)
            continue;
        const QString name = QString::fromUtf16(info.name);
        m_encodingList.insert(name, info.code);
        m_encodingNames.append(name);
    }
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(
        m_encodingNames.begin(), m_encodingNames.end(),
        [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
}

void TextEncodings::createGlobalObject()
{
    (void)globalEncodings();
}

const TextEncodings &TextEncodings::globalEncodings()
{
    static const TextEncodings instance;
    return instance;
}

quint32 TextEncodings::encodingOfName(QStringView name)
{
    return globalEncodings().m_encodingList.value(name.toString(), 0);
}

QString TextEncodings::nameOfEncoding(quint32 code)
{
    const EncodingInfo *info = findInfo(code);
    if (info && !info->name)
        info = findInfo(info->aliasOf);
    if (!info || !info->name)
        return {};
    return QString::fromUtf16(info->name);
}

QStringList TextEncodings::encodingNames()
{
    return globalEncodings().m_encodingNames;
}

bool TextEncodings::isKnown(quint32 code)
{
    return globalEncodings().m_available.contains(code);
}

QString TextEncodings::converterName(quint32 code)
{
    const EncodingInfo *info = findInfo(code);
    return info ? QString::fromLatin1(info->converter) : QString();
}

std::optional<QString> TextEncodings::decode(const QByteArray &bytes, quint32 code)
{
    const EncodingInfo *info = findInfo(code);
    if (!info)
        return std::nullopt;
    if (code == MacJapanese)
        return decodeMacJapanese(info->converter, bytes);
    if (code == UTF8)
        return decodeUtf8(bytes);
    return decodeWith(info->converter, bytes);
}

QByteArray TextEncodings::encode(QStringView text, quint32 code)
{
    const EncodingInfo *info = findInfo(code);
    if (!info)
        return {};
    if (code == MacJapanese)
        return encodeMacJapanese(info->converter, text, true, nullptr);
    return encodeWith(info->converter, text, true, nullptr);
}

QByteArray TextEncodings::encode(QStringView text, quint32 code, bool &lost)
{
    QByteArray bytes = encode(text, code);
    const std::optional<QString> back = decode(bytes, code);
    lost = !back || *back != text;
    return bytes;
}

bool TextEncodings::canEncode(QStringView text, quint32 code)
{
    const EncodingInfo *info = findInfo(code);
    if (!info)
        return false;
    if (isUnicodeConverter(info->converter)) {
        // Every well-formed text fits; a lone surrogate does not.
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else if (c.isSurrogate())
                return false;
        }
        return true;
    }
    bool lost = false;
    if (code == MacJapanese)
        encodeMacJapanese(info->converter, text, false, &lost);
    else
        encodeWith(info->converter, text, false, &lost);
    return !lost;
}

QString TextEncodings::lossyAsciiString(QStringView text)
{
    bool plain = true;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            plain = false;
            break;
        }
    }
    if (plain)
        return text.toString();
    const icu::UnicodeString source(reinterpret_cast<const UChar *>(text.utf16()),
                                    static_cast<int32_t>(text.size()));
    const icu::UnicodeString stripped = strippedDecomposition(source);
    const QHash<char16_t, QString> &spellings = asciiSpellings();
    QString result;
    result.reserve(stripped.length());
    for (int32_t i = 0; i < stripped.length(); ++i) {
        const UChar c = stripped.charAt(i);
        if (c < 0x80) {
            result.append(QChar(c));
            continue;
        }
        const auto spelling = spellings.constFind(c);
        if (spelling != spellings.constEnd())
            result.append(spelling.value());
    }
    return result;
}

QList<quint32> TextEncodings::defaultActiveEncodings()
{
    const QString unicodeText = Texts::text(u"UnicodeEncode");
    const QString otherText = Texts::text(u"OtherEncode");
    QList<quint32> codes;
    for (const QString &name : globalEncodings().m_encodingNames) {
        if ((!unicodeText.isEmpty() && name.contains(unicodeText)) ||
            (!otherText.isEmpty() && name.contains(otherText)))
            codes.append(encodingOfName(name));
    }
    return codes;
}
