#include "storage/EncodingSniffer.h"

#include "core/TextEncodings.h"

#include <unicode/ucsdet.h>

#include <cstring>

namespace {

struct DetectedName
{
    const char *icuName;
    unsigned code;
};

// The detector's names and the encoding codes they stand for.
constexpr DetectedName kDetected[] = {
    {"Shift_JIS", 0x80000A01u}, {"EUC-JP", 3},           {"ISO-2022-JP", 21},
    {"GB18030", 0x80000632u},   {"EUC-KR", 0x80000940u}, {"Big5", 0x80000A03u},
    {"windows-1252", 12},       {"ISO-8859-1", 5},       {"ISO-8859-2", 9},
    {"windows-1250", 15},       {"windows-1251", 11},    {"KOI8-R", 0x80000A02u},
};

// Windows Latin 1 for 0x80-0x9F (0 where the code page leaves a hole).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

QChar cp1252(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F && kCp1252High[byte - 0x80] != 0)
        return QChar(kCp1252High[byte - 0x80]);
    return QChar(static_cast<char16_t>(byte));
}

} // namespace

std::optional<unsigned> EncodingSniffer::sevenBitJapanese(const QByteArray &bytes)
{
    if (!bytes.contains("\x1B$B") && !bytes.contains("\x1B$@"))
        return std::nullopt;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return std::nullopt;
    }
    if (!TextEncodings::decode(bytes, TextEncodings::ISO2022JP))
        return std::nullopt;
    return TextEncodings::ISO2022JP;
}

std::optional<unsigned> EncodingSniffer::cleanEncodingOf(const QByteArray &bytes, unsigned failed)
{
    if (failed != TextEncodings::UTF8 && TextEncodings::decode(bytes, TextEncodings::UTF8))
        return TextEncodings::UTF8;
    UErrorCode status = U_ZERO_ERROR;
    UCharsetDetector *detector = ucsdet_open(&status);
    if (U_FAILURE(status))
        return std::nullopt;
    ucsdet_setText(detector, bytes.constData(), static_cast<int32_t>(bytes.size()), &status);
    int32_t count = 0;
    const UCharsetMatch **matches = ucsdet_detectAll(detector, &count, &status);
    std::optional<unsigned> found;
    for (int32_t i = 0; U_SUCCESS(status) && i < count && !found; ++i) {
        UErrorCode matchStatus = U_ZERO_ERROR;
        const char *name = ucsdet_getName(matches[i], &matchStatus);
        const int32_t confidence = ucsdet_getConfidence(matches[i], &matchStatus);
        if (U_FAILURE(matchStatus) || !name || confidence < 30)
            continue;
        for (const DetectedName &candidate : kDetected) {
            if (std::strcmp(candidate.icuName, name) != 0 || candidate.code == failed)
                continue;
            if (TextEncodings::isKnown(candidate.code) &&
                TextEncodings::decode(bytes, candidate.code))
                found = candidate.code;
            break;
        }
    }
    ucsdet_close(detector);
    return found;
}

qsizetype EncodingSniffer::decodeUtf8Repairing(const QByteArray &bytes, QString &text,
                                               qsizetype &firstBad, qsizetype &validMultibyte)
{
    validMultibyte = 0;
    text.clear();
    text.reserve(bytes.size());
    firstBad = -1;
    qsizetype bad = 0;
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    if (n >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
        i = 3;
    while (i < n) {
        const unsigned char b = data[i];
        if (b < 0x80) {
            text.append(QChar(static_cast<char16_t>(b)));
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        char32_t minimum = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            code = b & 0x1F;
            minimum = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            code = b & 0x0F;
            minimum = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            code = b & 0x07;
            minimum = 0x10000;
        }
        bool valid = length > 0 && i + length <= n;
        for (int k = 1; valid && k < length; ++k) {
            const unsigned char c = data[i + k];
            if ((c & 0xC0) != 0x80)
                valid = false;
            else
                code = (code << 6) | (c & 0x3F);
        }
        if (valid && (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)))
            valid = false;
        if (!valid) {
            if (firstBad < 0)
                firstBad = i;
            ++bad;
            text.append(cp1252(b));
            ++i;
            continue;
        }
        ++validMultibyte;
        if (code >= 0x10000) {
            text.append(QChar::highSurrogate(code));
            text.append(QChar::lowSurrogate(code));
        } else {
            text.append(QChar(static_cast<char16_t>(code)));
        }
        i += length;
    }
    return bad;
}
