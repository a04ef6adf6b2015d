#include "cli/CliCommand.h"
#include "cli/CliIo.h"
#include "core/Texts.h"
#include "tex/TeXtoText.h"

namespace {

// quirefold-cli tex2text [TEXT]: converts TEXT, or all of standard input.
int run(const QStringList &args)
{
    if (args.size() > 1)
        return CliIo::usageError(QStringLiteral("tex2text"), Texts::text(u"Cli_TooManyArguments"));
    const QString input = args.isEmpty() ? CliIo::readStandardInputText() : args.first();
    CliIo::outLine(TeXtoText::convertString(input));
    return 0;
}

const CliRegistration registration({QStringLiteral("tex2text"), run});

} // namespace
