// quirefold-cli unicode2tex [--letters] [--symbols] [--math] [TEXT]: turns
// Unicode text into TeX with the shared Unicode-to-TeX converter.
#include "cli/CliCommand.h"
#include "cli/CliIo.h"
#include "core/Texts.h"
#include "tex/UnicodeToTeX.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

const QString commandName = u"unicode2tex"_s;

int run(const QStringList &arguments)
{
    QStringList args = arguments;
    QStringList texts;
    bool letters = false;
    bool symbols = false;
    bool math = false;
    bool optionsEnded = false;
    for (const QString &arg : std::as_const(args)) {
        if (optionsEnded || !arg.startsWith(u'-') || arg == u"-") {
            texts << arg;
        } else if (arg == u"--") {
            optionsEnded = true;
        } else if (arg == u"--letters") {
            letters = true;
        } else if (arg == u"--symbols") {
            symbols = true;
        } else if (arg == u"--math") {
            math = true;
        } else {
            return CliIo::usageError(commandName, Texts::format(u"Cli_UnknownOption", {arg}));
        }
    }
    if (texts.size() > 1)
        return CliIo::usageError(commandName, Texts::text(u"Cli_TooManyArguments"));
    if (!letters && !symbols && !math)
        letters = symbols = math = true;

    QString text;
    if (texts.isEmpty()) {
        const QByteArray bytes = CliIo::readStandardInput();
        QStringDecoder decoder(QStringDecoder::Utf8);
        text = decoder.decode(bytes);
        if (decoder.hasError()) {
            CliIo::errLine(Texts::text(u"Cli_Unicode2Tex_NotUtf8"));
            return 1;
        }
    } else {
        text = texts.first();
    }

    const UnicodeToTeX *converter = UnicodeToTeX::globalConverter();
    if (symbols)
        converter->convertSymbols(text);
    if (letters)
        converter->convertLetter(text);
    if (math)
        converter->convertMath(text);
    CliIo::outLine(text);
    return 0;
}

const CliRegistration registration({commandName, run});

} // namespace
