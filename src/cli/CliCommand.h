#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// One subcommand of quirefold-cli. Each command lives in a file of its own and
// registers itself with a static CliRegistration; `main` dispatches by name.
// Help texts are text keys: "Cli_Help_<name>" (one line) and "Cli_Usage_<name>".
struct CliCommand
{
    QString name;
    // Runs the command on its arguments (the command name left out) and
    // answers the exit status: 0 success, 1 a reported problem, 2 bad usage
    // or a file that cannot be opened.
    std::function<int(const QStringList &args)> run;
};

class CliRegistry
{
public:
    static void add(CliCommand command);
    static const CliCommand *find(const QString &name);
    static std::vector<CliCommand> all(); // sorted by name
};

struct CliRegistration
{
    explicit CliRegistration(CliCommand command) { CliRegistry::add(std::move(command)); }
};
