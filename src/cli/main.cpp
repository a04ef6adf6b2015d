#include "cli/CliCommand.h"
#include "cli/CliIo.h"
#include "core/Texts.h"

#include <QCoreApplication>

namespace {

void printUsage()
{
    CliIo::outLine(Texts::text(u"Cli_Usage"));
    for (const CliCommand &command : CliRegistry::all()) {
        CliIo::outLine(QStringLiteral("  %1  %2")
                           .arg(command.name, -12)
                           .arg(Texts::text(QString(QStringLiteral("Cli_Help_") + command.name))));
    }
    CliIo::outLine(QString());
    CliIo::outLine(Texts::text(u"Cli_UsageFooter"));
}

int help(const QStringList &args)
{
    if (args.isEmpty()) {
        printUsage();
        return 0;
    }
    if (args.size() > 1)
        return CliIo::usageError(QStringLiteral("help"), Texts::text(u"Cli_TooManyArguments"));
    const CliCommand *command = CliRegistry::find(args.first());
    if (!command) {
        CliIo::errLine(Texts::format(u"Cli_UnknownCommand", {args.first()}));
        return 2;
    }
    CliIo::outLine(Texts::text(QString(QStringLiteral("Cli_Usage_") + command->name)));
    CliIo::outLine(Texts::text(QString(QStringLiteral("Cli_Help_") + command->name)));
    return 0;
}

const CliRegistration helpCommand({QStringLiteral("help"), help});

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quirefold"));
    QCoreApplication::setApplicationName(QStringLiteral("Quirefold"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QF_VERSION));

    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == u"--help" || args.first() == u"-h") {
        printUsage();
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == u"--version") {
        CliIo::outLine(Texts::format(u"Cli_Version", {QStringLiteral(QF_VERSION)}));
        return 0;
    }
    const QString name = args.takeFirst();
    const CliCommand *command = CliRegistry::find(name);
    if (!command) {
        CliIo::errLine(Texts::format(u"Cli_UnknownCommand", {name}));
        return 2;
    }
    return command->run(args);
}
