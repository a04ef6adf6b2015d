#include "cli/CliCommand.h"

#include <algorithm>

namespace {
std::vector<CliCommand> &commands()
{
    static std::vector<CliCommand> list;
    return list;
}
} // namespace

void CliRegistry::add(CliCommand command)
{
    commands().push_back(std::move(command));
}

const CliCommand *CliRegistry::find(const QString &name)
{
    for (const CliCommand &command : commands()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

std::vector<CliCommand> CliRegistry::all()
{
    std::vector<CliCommand> sorted = commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const CliCommand &a, const CliCommand &b) { return a.name < b.name; });
    return sorted;
}
