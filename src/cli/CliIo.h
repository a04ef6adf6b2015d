#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Output and argument helpers shared by the commands of quirefold-cli.
// Text goes out as UTF-8; nothing is buffered past a call.
class CliIo
{
public:
    static void out(const QString &text);    // to standard output, as it stands
    static void outLine(const QString &text); // with a line feed
    static void errLine(const QString &text); // to standard error, with a line feed
    static QByteArray readStandardInput();
    static QString readStandardInputText(); // decoded as UTF-8

    // Prints the keyed "bad arguments" line for `command` and answers 2.
    static int usageError(const QString &command, const QString &problem);

    // Takes "--name VALUE" (or "--name=VALUE") out of `args`; empty when absent.
    // `missingValue` is set when the option is last and has no value.
    static std::optional<QString> takeOption(QStringList &args, const QString &name,
                                             bool &missingValue);
    // Takes the flag "--name" out of `args`; answers whether it was there.
    static bool takeFlag(QStringList &args, const QString &name);
    // For a command on one file, once its options are taken: the usage error
    // (exit status 2) for an unknown "--" option, no file or more than one.
    static std::optional<int> checkSingleFile(const QString &command, const QStringList &args);
    // An encoding given as its code (decimal, negative as settings blocks write
    // codes at or above 2^31, or 0x-hex) or as its display name; absent when
    // the encoding table does not know it.
    static std::optional<quint32> encodingCode(const QString &text);
    // Takes "--from-encoding CODE" out of `args` (absent when not given). A
    // missing or unknown CODE sets `usageStatus` to the usage error's status.
    static std::optional<quint32> takeFromEncoding(QStringList &args, const QString &command,
                                                   std::optional<int> &usageStatus);
};
