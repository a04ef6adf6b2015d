#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Finds the encoding of bytes that carry no word of it, statistically: the
// answers of two character-set detectors (uchardet and ICU's), widened by the
// encodings that share their bytes with each answer (windows-1251, KOI8-R and
// ISO 8859-5; ISO Latin 1 and Windows Latin 1; ...), are each decoded, and
// the decoding that looks least like bytes read in the wrong encoding wins
// (TextPlausibility); on a tie the detectors' order decides. Stateless; any
// thread.
class EncodingDetector
{
public:
    struct Detection
    {
        quint32 encoding = 0;
        QString text; // the bytes decoded in that encoding
        qsizetype implausibility = 0;
    };

    // The most plausible encoding other than `excluded` in which the bytes
    // decode cleanly; absent when no candidate decodes them.
    static std::optional<Detection> detect(const QByteArray &bytes, quint32 excluded = 0);

    // The candidates, in the detectors' order of preference, before decoding.
    static QList<quint32> candidates(const QByteArray &bytes);
    // The encoding code a detector's charset name stands for; 0 when none.
    static quint32 codeOfCharsetName(const char *name);
    // uchardet's answer alone (0 when it has none), and ICU's answers with
    // their confidence at least `minimumConfidence`, best first.
    static quint32 uchardetAnswer(const QByteArray &bytes);
    static QList<quint32> icuAnswers(const QByteArray &bytes, int minimumConfidence);
};
