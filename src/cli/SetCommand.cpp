// quirefold-cli set FILE KEY [FIELD VALUE] [--type TYPE]: changes one field
// (and/or the type) of one entry as the entry editor does, through the
// item's field-edit path ("@" starts a BibTeX expression, an empty value
// removes the field), commits the edit and saves the file the ordinary way.
#include "cli/CliCommand.h"
#include "cli/CliDatabaseLoader.h"
#include "cli/CliIo.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "storage/DatabaseSaver.h"
#include "storage/LocalDatabase.h"

using namespace Qt::StringLiterals;

namespace {

const QString kName = u"set"_s;

int run(const QStringList &arguments)
{
    QStringList args = arguments;
    bool missing = false;
    const std::optional<QString> type = CliIo::takeOption(args, u"--type"_s, missing);
    if (missing)
        return CliIo::usageError(kName, Texts::format(u"Cli_MissingValue", {u"--type"_s}));
    for (const QString &arg : args) {
        if (arg.startsWith(u"--"))
            return CliIo::usageError(kName, Texts::format(u"Cli_UnknownOption", {arg}));
    }
    if (args.isEmpty())
        return CliIo::usageError(kName, Texts::text(u"Cli_MissingFile"));
    // FILE KEY FIELD VALUE, or FILE KEY with --type.
    if (args.size() > 4 || (args.size() != 4 && !(args.size() == 2 && type)))
        return CliIo::usageError(kName, Texts::text(u"Cli_Set_Arguments"));
    const QString file = args.at(0);
    const QString key = args.at(1);

    CliDatabaseLoader loader;
    const CliDatabaseLoader::LoadedEntry entry = loader.loadEntry(file, key);
    if (!entry.item)
        return entry.exitCode;
    LocalDatabase &database = *entry.database;
    const BibItemPtr &item = entry.item;
    if (type && !item->setFieldData(*type, u"bibtype"_s)) {
        CliIo::errLine(Texts::format(u"Cli_Set_BadType", {*type}));
        return 1;
    }
    if (args.size() == 4) {
        const QString field = args.at(2).trimmed().toLower();
        const QString &value = args.at(3);
        if (field.isEmpty() || field == u"database" || !item->setFieldData(value, field)) {
            CliIo::errLine(field == u"bibkey"
                               ? Texts::format(u"Cli_Set_KeyTaken", {value.trimmed()})
                               : Texts::format(u"Cli_Set_BadValue", {args.at(2), value}));
            return 1;
        }
    }
    // The editor's commit: time stamp, display forms, indexes, the database changed.
    item->fixChanged();
    database.setDirty(true);
    if (!database.saveDatabase()) {
        CliIo::errLine(
            Texts::format(u"Cli_Save_Failed", {file, DatabaseSaver::lastFailureDetail()}));
        return 1;
    }
    return 0;
}

const CliRegistration registration({kName, run});

} // namespace
