#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Finds a way to read bytes that do not decode in the encoding chosen for a
// file, without losing any of them. Stateless; any thread.
class EncodingSniffer
{
public:
    // How bytes that did not decode in the chosen encoding were read.
    struct Reading
    {
        QString text;
        quint32 encoding = 0; // the encoding a save writes
        // UTF-8 with a few stray bytes read as Windows Latin 1 characters;
        // otherwise the whole file decoded cleanly in `encoding`.
        bool repaired = false;
        qsizetype strayBytes = 0;  // when repaired
        qsizetype firstStray = -1; // offset of the first stray byte
    };

    // ISO-2022-JP (7-bit Japanese) when the bytes are 7-bit and hold its
    // escape sequences; such text would otherwise read as ASCII garbage.
    static std::optional<unsigned> sevenBitJapanese(const QByteArray &bytes);
    // Windows Latin 1 for ISO Latin 1 (`code`) when bytes 0x80-0x9F occur and
    // read cleanly in it: as ISO Latin 1 they would be control characters,
    // where Windows Latin 1 has curly quotes, dashes and the euro sign.
    // Otherwise `code`.
    static quint32 windowsLatin1Instead(const QByteArray &bytes, quint32 code);
    // Reads bytes that are not valid in `failed`. UTF-8 whose stray bytes are
    // few and each stands alone (a Latin 1 letter pasted into a UTF-8 file)
    // is kept as UTF-8, the stray bytes read as Windows Latin 1 characters;
    // anything else is decoded as a whole in the encoding that statistical
    // detection finds most plausible (EncodingDetector), so that a save can
    // write the same bytes back. The UTF-8 repair is the last resort when no
    // encoding decodes the bytes.
    static Reading readInAnotherEncoding(const QByteArray &bytes, quint32 failed);

    // What decodeUtf8Repairing found.
    struct Repair
    {
        qsizetype strayBytes = 0;     // bytes that are not part of valid UTF-8
        qsizetype firstStray = -1;    // the offset of the first
        qsizetype validMultibyte = 0; // well-formed sequences of two bytes or more
        bool isolated = true;         // no two stray bytes stand side by side
    };
    // Decodes UTF-8, reading every byte that is not part of a valid sequence
    // as its Windows Latin 1 character (an undefined one as Latin 1).
    static Repair decodeUtf8Repairing(const QByteArray &bytes, QString &text);
};
