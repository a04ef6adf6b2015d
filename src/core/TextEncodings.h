#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The process-wide table of text encodings: numeric encoding codes (the values
// stored in settings blocks and preferences), their English display names and
// the ICU converters behind them, plus the conversions between bytes and text.
// One instance, built on first use (or by createGlobalObject) and read-only
// afterwards; every operation is safe to call from any thread.
class TextEncodings
{
public:
    // Well-known codes, for readability at call sites.
    enum Code : quint32
    {
        ASCII = 1,
        JapaneseEUC = 3,
        UTF8 = 4,
        ISOLatin1 = 5,
        ShiftJIS = 8,
        ISOLatin2 = 9,
        UTF16 = 10,
        WindowsCP1251 = 11,
        WindowsCP1252 = 12,
        WindowsCP1253 = 13,
        WindowsCP1254 = 14,
        WindowsCP1250 = 15,
        ISO2022JP = 21,
        MacOSRoman = 30,
        MacJapanese = 0x80000001u,
        DOSJapanese = 0x80000420u,
        ShiftJISX0213 = 0x80000628u,
        ShiftJISCF = 0x80000A01u,
        UTF16BigEndian = 0x90000100u,
        UTF16LittleEndian = 0x94000100u,
        UTF32 = 0x8c000100u,
        UTF32BigEndian = 0x98000100u,
        UTF32LittleEndian = 0x9c000100u,
    };

    TextEncodings(const TextEncodings &) = delete;
    TextEncodings &operator=(const TextEncodings &) = delete;

    static void createGlobalObject();
    static const TextEncodings &globalEncodings();

    // The code of the encoding with that display name; 0 when none has it.
    static quint32 encodingOfName(QStringView name);
    // The display name of `code`; empty for a code the table does not know.
    static QString nameOfEncoding(quint32 code);
    // Every display name, sorted by locale-aware comparison.
    static QStringList encodingNames();
    // Whether bytes can be converted to and from `code`.
    static bool isKnown(quint32 code);
    // The ICU converter name used for `code`; empty when unknown.
    static QString converterName(quint32 code);

    // Decodes `bytes` in `code`. Absent when the code is unknown or the bytes
    // are not valid in that encoding (never a partly garbled text). A leading
    // byte-order mark of a Unicode encoding is consumed.
    static std::optional<QString> decode(const QByteArray &bytes, quint32 code);
    // Encodes `text` in `code` with loss allowed: a character the encoding
    // cannot hold becomes its nearest equivalent (accents dropped, compatibility
    // forms and typographic punctuation simplified) or "?" when there is none.
    // Empty for an unknown code.
    static QByteArray encode(QStringView text, quint32 code);
    // Whether every character of `text` is held by `code` without loss
    // (fallback mappings, such as the yen sign to 0x5C, count as loss).
    static bool canEncode(QStringView text, quint32 code);
    // `text` in 7-bit ASCII with loss: accents and other marks dropped,
    // ligatures and typographic forms spelt out in ASCII, every character
    // without an ASCII form removed.
    static QString lossyAsciiString(QStringView text);

    // The default selection of active encodings: every encoding whose display
    // name contains the text of "UnicodeEncode" or of "OtherEncode", in
    // encodingNames() order.
    static QList<quint32> defaultActiveEncodings();

private:
    TextEncodings();

    // display name -> code
    QHash<QString, quint32> m_encodingList;
    // every display name, sorted
    QStringList m_encodingNames;
    // codes whose converter is present (aliases included)
    QSet<quint32> m_available;
};
