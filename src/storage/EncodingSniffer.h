#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Finds a way to read bytes that do not decode in the encoding chosen for a
// file, without losing any of them. Stateless; any thread.
class EncodingSniffer
{
public:
    // ISO-2022-JP (7-bit Japanese) when the bytes are 7-bit and hold its
    // escape sequences; such text would otherwise read as ASCII garbage.
    static std::optional<unsigned> sevenBitJapanese(const QByteArray &bytes);
    // An encoding other than `failed` in which the bytes decode cleanly: UTF-8,
    // or the encoding that character-set detection names with some confidence
    // (Japanese, Chinese, Western encodings). Absent when none is found.
    static std::optional<unsigned> cleanEncodingOf(const QByteArray &bytes, unsigned failed);
    // Decodes UTF-8, reading every byte that is not part of a valid sequence
    // as its Windows Latin 1 character (an undefined one as Latin 1). Answers
    // the number of such bytes; `firstBad` is the offset of the first and
    // `validMultibyte` the number of well-formed sequences of two bytes or more.
    static qsizetype decodeUtf8Repairing(const QByteArray &bytes, QString &text,
                                         qsizetype &firstBad, qsizetype &validMultibyte);
};
