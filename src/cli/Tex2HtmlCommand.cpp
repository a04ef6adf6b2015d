#include "cli/CliCommand.h"
#include "cli/CliIo.h"
#include "core/Texts.h"
#include "tex/TeXtoHTML.h"

namespace {

// quirefold-cli tex2html [TEXT]: converts TEXT, or all of standard input.
int run(const QStringList &args)
{
    if (args.size() > 1)
        return CliIo::usageError(QStringLiteral("tex2html"), Texts::text(u"Cli_TooManyArguments"));
    const QString input = args.isEmpty() ? CliIo::readStandardInputText() : args.first();
    CliIo::outLine(TeXtoHTML::convertString(input));
    return 0;
}

const CliRegistration registration({QStringLiteral("tex2html"), run});

} // namespace
