// quirefold-cli encodings: the text encodings the program offers, one per
// line as "CODE<TAB>NAME", with " *" after the active ones (those the encoding
// menus show).
#include "cli/CliCommand.h"
#include "cli/CliIo.h"
#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "prefs/BibPreferences.h"

namespace {

int encodings(const QStringList &args)
{
    if (!args.isEmpty()) {
        if (args.first().startsWith(u'-'))
            return CliIo::usageError(QStringLiteral("encodings"),
                                     Texts::format(u"Cli_UnknownOption", {args.first()}));
        return CliIo::usageError(QStringLiteral("encodings"), Texts::text(u"Cli_TooManyArguments"));
    }
    BibPreferences *preferences = BibPreferences::globalPreferences();
    for (const QString &problem : preferences->loadErrors())
        CliIo::errLine(problem);
    QList<quint32> active = preferences->activeEncodings();
    if (active.isEmpty())
        active = TextEncodings::defaultActiveEncodings();
    for (const QString &name : TextEncodings::encodingNames()) {
        const quint32 code = TextEncodings::encodingOfName(name);
        QString line = QString::number(code) + u'\t' + name;
        if (active.contains(code))
            line += QStringLiteral(" *");
        CliIo::outLine(line);
    }
    return 0;
}

const CliRegistration encodingsCommand({QStringLiteral("encodings"), encodings});

} // namespace
