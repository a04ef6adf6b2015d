#include "storage/EncodingDetector.h"

#include "core/TextEncodings.h"
#include "storage/TextPlausibility.h"

#include <uchardet.h>
#include <unicode/ucsdet.h>

#include <algorithm>
#include <cstring>
#include <strings.h>
#include <vector>

namespace {

// The detectors and the weighing look at this many bytes: plenty for the
// statistics, and a file of megabytes stays quick.
constexpr qsizetype kDetectorInput = 1 << 18;
constexpr qsizetype kWeighedLength = 1 << 18;

struct CharsetName
{
    const char *name; // as uchardet or ICU spell it (compared without case)
    quint32 code;
};

// Names both detectors answer. GB18030 and UHC stand first for their common
// subsets (GBK, EUC-KR), whose wider sets follow as siblings.
constexpr CharsetName kCharsetNames[] = {
    {"UTF-8", TextEncodings::UTF8},
    {"ASCII", TextEncodings::ASCII},
    {"US-ASCII", TextEncodings::ASCII},
    {"Shift_JIS", TextEncodings::ShiftJISCF},
    {"EUC-JP", TextEncodings::JapaneseEUC},
    {"ISO-2022-JP", TextEncodings::ISO2022JP},
    {"GB18030", 0x80000631u},
    {"GB2312", 0x80000631u},
    {"HZ-GB-2312", 0x80000A05u},
    {"ISO-2022-CN", 0x80000830u},
    {"Big5", 0x80000A03u},
    {"EUC-TW", 0x80000931u},
    {"EUC-KR", 0x80000940u},
    {"UHC", 0x80000940u},
    {"ISO-2022-KR", 0x80000840u},
    {"windows-1252", TextEncodings::WindowsCP1252},
    {"ISO-8859-1", TextEncodings::ISOLatin1},
    {"ISO-8859-15", 0x8000020Fu},
    {"ISO-8859-2", TextEncodings::ISOLatin2},
    {"windows-1250", TextEncodings::WindowsCP1250},
    {"ISO-8859-3", 0x80000203u},
    {"ISO-8859-4", 0x80000204u},
    {"ISO-8859-13", 0x8000020Du},
    {"windows-1257", 0x80000507u},
    {"windows-1251", TextEncodings::WindowsCP1251},
    {"KOI8-R", 0x80000A02u},
    {"KOI8-U", 0x80000A08u},
    {"ISO-8859-5", 0x80000205u},
    {"IBM866", 0x8000041Bu},
    {"IBM855", 0x80000413u},
    {"MAC-CYRILLIC", 0x80000007u},
    {"x-mac-cyrillic", 0x80000007u},
    {"ISO-8859-7", 0x80000207u},
    {"windows-1253", TextEncodings::WindowsCP1253},
    {"ISO-8859-9", 0x80000209u},
    {"windows-1254", TextEncodings::WindowsCP1254},
    {"ISO-8859-6", 0x80000206u},
    {"windows-1256", 0x80000506u},
    {"ISO-8859-8", 0x80000208u},
    {"ISO-8859-8-I", 0x80000208u},
    {"windows-1255", 0x80000505u},
    {"TIS-620", 0x8000020Bu},
    {"ISO-8859-11", 0x8000020Bu},
    {"windows-1258", 0x80000508u},
};

// Encodings that share most of their bytes: a detector that names one may
// mean another (the statistics of ISO 8859-2 and windows-1250 text are
// nearly the same); the decodings decide. In order of preference.
const QList<QList<quint32>> &siblingGroups()
{
    static const QList<QList<quint32>> groups = {
        {TextEncodings::WindowsCP1252, TextEncodings::ISOLatin1, 0x8000020Fu},
        {TextEncodings::ISOLatin2, TextEncodings::WindowsCP1250},
        {TextEncodings::WindowsCP1251, 0x80000A02u, 0x80000205u, 0x8000041Bu, 0x80000007u,
         0x80000A08u},
        {0x80000207u, TextEncodings::WindowsCP1253},
        {0x80000209u, TextEncodings::WindowsCP1254},
        {0x8000020Du, 0x80000507u},
        {0x80000631u, 0x80000632u},
        {0x80000940u, 0x80000422u},
        {0x80000A03u, 0x80000A06u},
        {TextEncodings::ShiftJISCF, TextEncodings::JapaneseEUC},
    };
    return groups;
}

void appendWithSiblings(QList<quint32> &list, quint32 code)
{
    if (code == 0)
        return;
    if (!list.contains(code))
        list.append(code);
    for (const QList<quint32> &group : siblingGroups()) {
        if (!group.contains(code))
            continue;
        for (quint32 sibling : group) {
            if (!list.contains(sibling))
                list.append(sibling);
        }
    }
}

QByteArray detectorInput(const QByteArray &bytes)
{
    return bytes.size() > kDetectorInput ? bytes.left(kDetectorInput) : bytes;
}

} // namespace

quint32 EncodingDetector::codeOfCharsetName(const char *name)
{
    if (!name || !*name)
        return 0;
    for (const CharsetName &entry : kCharsetNames) {
        if (::strcasecmp(entry.name, name) == 0)
            return entry.code;
    }
    return 0;
}

quint32 EncodingDetector::uchardetAnswer(const QByteArray &bytes)
{
    const QByteArray input = detectorInput(bytes);
    uchardet_t detector = uchardet_new();
    if (!detector)
        return 0;
    quint32 code = 0;
    if (uchardet_handle_data(detector, input.constData(), static_cast<size_t>(input.size())) == 0) {
        uchardet_data_end(detector);
        code = codeOfCharsetName(uchardet_get_charset(detector));
    }
    uchardet_delete(detector);
    return code;
}

QList<quint32> EncodingDetector::icuAnswers(const QByteArray &bytes, int minimumConfidence)
{
    QList<quint32> answers;
    const QByteArray input = detectorInput(bytes);
    UErrorCode status = U_ZERO_ERROR;
    UCharsetDetector *detector = ucsdet_open(&status);
    if (U_FAILURE(status))
        return answers;
    ucsdet_setText(detector, input.constData(), static_cast<int32_t>(input.size()), &status);
    int32_t count = 0;
    const UCharsetMatch **matches = ucsdet_detectAll(detector, &count, &status);
    for (int32_t i = 0; U_SUCCESS(status) && i < count; ++i) {
        UErrorCode matchStatus = U_ZERO_ERROR;
        const char *name = ucsdet_getName(matches[i], &matchStatus);
        const int32_t confidence = ucsdet_getConfidence(matches[i], &matchStatus);
        if (U_FAILURE(matchStatus) || confidence < minimumConfidence)
            continue;
        const quint32 code = codeOfCharsetName(name);
        if (code != 0 && !answers.contains(code))
            answers.append(code);
    }
    ucsdet_close(detector);
    return answers;
}

QList<quint32> EncodingDetector::candidates(const QByteArray &bytes)
{
    QList<quint32> list;
    appendWithSiblings(list, uchardetAnswer(bytes));
    // ICU lists every recogniser it ran; the weakest answers are noise.
    for (quint32 code : icuAnswers(bytes, 10))
        appendWithSiblings(list, code);
    return list;
}

std::optional<EncodingDetector::Detection> EncodingDetector::detect(const QByteArray &bytes,
                                                                    quint32 excluded)
{
    // The candidates are weighed on the first part of the file (whole
    // lines), and only the one chosen is decoded as a whole.
    const qsizetype lineEnd =
        bytes.size() > kWeighedLength ? bytes.lastIndexOf('\n', kWeighedLength) : -1;
    const QByteArray sample = lineEnd > 0 ? bytes.left(lineEnd + 1) : bytes;
    struct Weighed
    {
        quint32 code = 0;
        qsizetype implausibility = 0;
        qsizetype nonAscii = 0;
    };
    std::vector<Weighed> decodings;
    for (quint32 code : candidates(bytes)) {
        if (code == excluded || code == TextEncodings::ASCII || !TextEncodings::isKnown(code))
            continue;
        const std::optional<QString> text = TextEncodings::decode(sample, code);
        if (!text)
            continue;
        const qsizetype nonAscii =
            std::count_if(text->begin(), text->end(), [](QChar c) { return c.unicode() >= 0x80; });
        decodings.push_back({code, TextPlausibility::implausibility(*text), nonAscii});
        if (decodings.size() == 1 && decodings.front().implausibility == 0)
            break; // the detectors' first answer reads without a flaw
    }
    while (!decodings.empty()) {
        // The detectors' order stands unless a later decoding is clearly
        // better: by more than one sign per hundred characters outside ASCII
        // (real text has a few oddities, such as a camel-case key in Cyrillic).
        const auto fewest = std::min_element(
            decodings.begin(), decodings.end(),
            [](const Weighed &a, const Weighed &b) { return a.implausibility < b.implausibility; });
        const qsizetype limit = fewest->implausibility + fewest->nonAscii / 100;
        const auto chosen =
            std::find_if(decodings.begin(), decodings.end(), [limit](const Weighed &weighed) {
                return weighed.implausibility <= limit;
            });
        std::optional<QString> text = TextEncodings::decode(bytes, chosen->code);
        if (text)
            return Detection{chosen->code, std::move(*text), chosen->implausibility};
        decodings.erase(chosen); // valid at the start of the file only
    }
    return std::nullopt;
}
