// quirefold-cli paste (--author | --title) [TEXT]: the smart paste's rewriting
// of a pasted author list or title, with nothing before or after it.
#include "cli/CliCommand.h"
#include "cli/CliIo.h"
#include "core/Texts.h"
#include "prefs/BibPreferences.h"
#include "tex/SmartPaste.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

const QString commandName = u"paste"_s;

int run(const QStringList &arguments)
{
    QStringList args = arguments;
    const bool author = CliIo::takeFlag(args, u"--author"_s);
    const bool title = CliIo::takeFlag(args, u"--title"_s);
    QStringList texts;
    bool optionsEnded = false;
    for (const QString &arg : std::as_const(args)) {
        if (optionsEnded || !arg.startsWith(u'-') || arg == u"-")
            texts << arg;
        else if (arg == u"--")
            optionsEnded = true;
        else
            return CliIo::usageError(commandName, Texts::format(u"Cli_UnknownOption", {arg}));
    }
    if (author == title)
        return CliIo::usageError(commandName, Texts::text(u"Cli_Paste_Mode"));
    if (texts.size() > 1)
        return CliIo::usageError(commandName, Texts::text(u"Cli_TooManyArguments"));

    QString text;
    if (texts.isEmpty()) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        text = decoder.decode(CliIo::readStandardInput());
        if (decoder.hasError()) {
            CliIo::errLine(Texts::text(u"Cli_Paste_NotUtf8"));
            return 1;
        }
    } else {
        text = texts.first();
    }

    if (!BibPreferences::globalPreferences())
        BibPreferences::createGlobalObject();
    const SmartPaste paste(
        TitleSmartPaste::WordLists::fromPreferences(*BibPreferences::globalPreferences()));
    CliIo::outLine(
        paste.rewrite(text, author ? SmartPaste::Kind::Author : SmartPaste::Kind::Title));
    return 0;
}

const CliRegistration registration({commandName, run});

} // namespace
