// quirefold-cli check [--json] FILE...: loads the files as the window does and
// reports what each holds and every reading problem.
#include "cli/CliCommand.h"
#include "cli/CliDatabaseLoader.h"
#include "cli/CliIo.h"
#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "model/MacroList.h"
#include "storage/LocalDatabase.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

const QString kName = u"check"_s;

int run(const QStringList &arguments)
{
    QStringList args = arguments;
    const bool json = CliIo::takeFlag(args, u"--json"_s);
    std::optional<int> usage;
    const std::optional<quint32> fromEncoding = CliIo::takeFromEncoding(args, kName, usage);
    if (usage)
        return *usage;
    for (const QString &arg : args) {
        if (arg.startsWith(u"--"))
            return CliIo::usageError(kName, Texts::format(u"Cli_UnknownOption", {arg}));
    }
    if (args.isEmpty())
        return CliIo::usageError(kName, Texts::text(u"Cli_MissingFile"));

    CliDatabaseLoader loader;
    const auto loaded = loader.load(args, false, fromEncoding);
    int status = 0;
    for (const CliDatabaseLoader::Loaded &record : loaded) {
        if (!record.database) {
            CliIo::errLine(Texts::format(u"Cli_CannotOpen", {record.file, record.problem}));
            status = 2;
            continue;
        }
        const LocalDatabase &database = *record.database;
        const unsigned code = database.encoding();
        const int entries = static_cast<int>(database.allItems() ? database.allItems()->size() : 0);
        const int macros =
            database.macroList() ? static_cast<int>(database.macroList()->count()) : 0;
        const int preambles = static_cast<int>(database.preambleList().size());
        const int comments = static_cast<int>(database.commentList().size());
        if (!record.errors.isEmpty() && status == 0)
            status = 1;
        if (json) {
            QJsonObject object;
            object.insert(u"file"_s, record.file);
            object.insert(u"entries"_s, entries);
            object.insert(u"macros"_s, macros);
            object.insert(u"preambles"_s, preambles);
            object.insert(u"comments"_s, comments);
            object.insert(u"encoding"_s,
                          QJsonObject{{u"name"_s, TextEncodings::nameOfEncoding(code)},
                                      {u"code"_s, static_cast<qint64>(code)}});
            object.insert(u"errors"_s, QJsonArray::fromStringList(record.errors));
            CliIo::outLine(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
            continue;
        }
        CliIo::outLine(Texts::format(
            u"Cli_CheckLine", {record.file, QString::number(entries), QString::number(macros),
                               QString::number(preambles), QString::number(comments),
                               TextEncodings::nameOfEncoding(code), QString::number(code)}));
        for (const QString &error : record.errors)
            CliIo::outLine(u"  * "_s + error);
    }
    return status;
}

const CliRegistration registration({kName, run});

} // namespace
