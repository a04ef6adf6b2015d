#include "storage/EncodingSniffer.h"

#include "core/TextEncodings.h"
#include "storage/EncodingDetector.h"

#include <algorithm>
#include <cstring>

namespace {

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
    // ISO-2022-JP switches to JIS X 0208 with ESC $ B or ESC $ @: nearly
    // every file has no escape character at all, found in one quick pass.
    const char *begin = bytes.constData();
    const char *end = begin + bytes.size();
    bool switches = false;
    for (const char *at = begin; !switches && at < end;) {
        const auto *escape =
            static_cast<const char *>(std::memchr(at, 0x1B, static_cast<size_t>(end - at)));
        if (!escape)
            break;
        switches = end - escape >= 3 && escape[1] == '$' && (escape[2] == 'B' || escape[2] == '@');
        at = escape + 1;
    }
    if (!switches)
        return std::nullopt;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return std::nullopt;
    }
    if (!TextEncodings::decode(bytes, TextEncodings::ISO2022JP))
        return std::nullopt;
    return TextEncodings::ISO2022JP;
}

quint32 EncodingSniffer::windowsLatin1Instead(const QByteArray &bytes, quint32 code)
{
    if (code != TextEncodings::ISOLatin1 && code != 0x80000201u)
        return code;
    const bool controlBytes = std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0x80 && b <= 0x9F;
    });
    if (controlBytes && TextEncodings::decode(bytes, TextEncodings::WindowsCP1252))
        return TextEncodings::WindowsCP1252;
    return code;
}

EncodingSniffer::Reading EncodingSniffer::readInAnotherEncoding(const QByteArray &bytes,
                                                                quint32 failed)
{
    Reading reading;
    QString repaired;
    const Repair repair = decodeUtf8Repairing(bytes, repaired);
    if (repair.strayBytes == 0 && failed != TextEncodings::UTF8) {
        reading.text = std::move(repaired);
        reading.encoding = TextEncodings::UTF8;
        return reading;
    }
    const bool fewAndIsolated =
        repair.validMultibyte > 0 && repair.isolated && repair.strayBytes <= repair.validMultibyte;
    if (!fewAndIsolated) {
        if (std::optional<EncodingDetector::Detection> detection =
                EncodingDetector::detect(bytes, failed)) {
            reading.text = std::move(detection->text);
            reading.encoding = detection->encoding;
            return reading;
        }
    }
    reading.text = std::move(repaired);
    reading.encoding = TextEncodings::UTF8;
    reading.repaired = true;
    reading.strayBytes = repair.strayBytes;
    reading.firstStray = repair.firstStray;
    return reading;
}

EncodingSniffer::Repair EncodingSniffer::decodeUtf8Repairing(const QByteArray &bytes, QString &text)
{
    Repair repair;
    text.clear();
    text.reserve(bytes.size());
    qsizetype lastBad = -2;
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
            if (repair.firstStray < 0)
                repair.firstStray = i;
            if (lastBad == i - 1)
                repair.isolated = false;
            lastBad = i;
            ++repair.strayBytes;
            text.append(cp1252(b));
            ++i;
            continue;
        }
        ++repair.validMultibyte;
        if (code >= 0x10000) {
            text.append(QChar::highSurrogate(code));
            text.append(QChar::lowSurrogate(code));
        } else {
            text.append(QChar(static_cast<char16_t>(code)));
        }
        i += length;
    }
    return repair;
}
