#include "cli/CliIo.h"

#include "core/TextEncodings.h"

#include "core/Texts.h"

#include <cstdio>

void CliIo::out(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void CliIo::outLine(const QString &text)
{
    out(text + u'\n');
}

void CliIo::errLine(const QString &text)
{
    const QByteArray bytes = (text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

QByteArray CliIo::readStandardInput()
{
    QByteArray data;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
        data.append(buffer, qsizetype(n));
    return data;
}

QString CliIo::readStandardInputText()
{
    return QString::fromUtf8(readStandardInput());
}

int CliIo::usageError(const QString &command, const QString &problem)
{
    errLine(Texts::format(u"Cli_BadArguments", {command, problem, command}));
    return 2;
}

std::optional<QString> CliIo::takeOption(QStringList &args, const QString &name,
                                         bool &missingValue)
{
    missingValue = false;
    const QString prefix = name + u'=';
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == name) {
            if (i + 1 >= args.size()) {
                missingValue = true;
                args.removeAt(i);
                return std::nullopt;
            }
            QString value = args.at(i + 1);
            args.remove(i, 2);
            return value;
        }
        if (args.at(i).startsWith(prefix)) {
            QString value = args.at(i).mid(prefix.size());
            args.removeAt(i);
            return value;
        }
    }
    return std::nullopt;
}

bool CliIo::takeFlag(QStringList &args, const QString &name)
{
    return args.removeAll(name) > 0;
}

std::optional<int> CliIo::checkSingleFile(const QString &command, const QStringList &args)
{
    for (const QString &arg : args) {
        if (arg.startsWith(u"--"))
            return usageError(command, Texts::format(u"Cli_UnknownOption", {arg}));
    }
    if (args.isEmpty())
        return usageError(command, Texts::text(u"Cli_MissingFile"));
    if (args.size() > 1)
        return usageError(command, Texts::text(u"Cli_TooManyArguments"));
    return std::nullopt;
}

std::optional<quint32> CliIo::encodingCode(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    qlonglong value = 0;
    if (trimmed.startsWith(u"0x", Qt::CaseInsensitive))
        value = trimmed.mid(2).toLongLong(&ok, 16);
    else
        value = trimmed.toLongLong(&ok, 10);
    if (ok) {
        if (value < -2147483648LL || value > 4294967295LL)
            return std::nullopt;
        const auto code = static_cast<quint32>(value);
        return TextEncodings::isKnown(code) ? std::optional<quint32>(code) : std::nullopt;
    }
    const quint32 named = TextEncodings::encodingOfName(trimmed);
    return named != 0 ? std::optional<quint32>(named) : std::nullopt;
}

std::optional<quint32> CliIo::takeFromEncoding(QStringList &args, const QString &command,
                                               std::optional<int> &usageStatus)
{
    static const QString option = QStringLiteral("--from-encoding");
    bool missing = false;
    const std::optional<QString> text = takeOption(args, option, missing);
    if (missing) {
        usageStatus = usageError(command, Texts::format(u"Cli_MissingValue", {option}));
        return std::nullopt;
    }
    if (!text)
        return std::nullopt;
    const std::optional<quint32> code = encodingCode(*text);
    if (!code)
        usageStatus = usageError(command, Texts::format(u"Cli_UnknownEncoding", {*text}));
    return code;
}
