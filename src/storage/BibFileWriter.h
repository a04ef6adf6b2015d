#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// The layout of a .bib file as this program writes it: the settings block,
// the comment and preamble groups, the final text replacements and the
// character encoding. Stateless; safe from any thread.
class BibFileWriter
{
public:
    BibFileWriter() = delete;

    // The values of the settings block, in the order they are written.
    struct Settings
    {
        quint32 encoding = 4;
        int lineEnding = 2;
        QString databaseID;
        int attachmentMode = 1;
        bool renameAfterBibkey = true;
        bool keepFullPath = false;
        QString description;    // written when not empty
        QString attachmentPath; // written when not empty
        QString privilegedHost; // written when not empty
        QString privilegedUser; // written when not empty
        QString privilegedSince; // written when not empty
    };

    // The settings block, first in every file; `now` gives "last_saved".
    static QString settingsBlock(const Settings &settings, const QString &lf,
                                 const QDateTime &now = QDateTime::currentDateTime());
    // "2008-04-01 17:05:09 +0900": local time with its signed zone offset.
    static QString lastSavedText(const QDateTime &time);

    // "@COMMENT {" LF text LF "}" LF for each comment, then one more LF.
    static QString commentsString(const QStringList &comments, const QString &lf);
    // "@PREAMBLE { " text " }" LF for each preamble, then one more LF.
    static QString preamblesString(const QStringList &preambles, const QString &lf);

    // The encodings whose files write the yen mark for every backslash.
    static bool isYenEncoding(quint32 encoding);
    // Replaces no-break spaces by spaces and, for the yen encodings, every
    // backslash by the "yenmark" text.
    static QString finishText(QString text, quint32 encoding);
    // The finished text as bytes in `encoding`, with loss allowed: what the
    // encoding cannot hold is replaced, so that this never fails for a known
    // encoding. Absent for an encoding the system does not know.
    static std::optional<QByteArray> encodeText(const QString &text, quint32 encoding);
    // finishText, then encodeText.
    static std::optional<QByteArray> finishAndEncode(const QString &text, quint32 encoding);
};
