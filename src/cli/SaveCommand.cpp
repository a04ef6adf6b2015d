// quirefold-cli save FILE [-o OUT] [--encoding CODE] [--line-ending 0|1|2]
// [--attachments -1|0|1] [--reformat]: loads a file through the window's reader (without
// the display forms a save does not use) and saves it, either in place
// (marked changed, backups rotating) or as a copy at OUT.
#include "cli/CliCommand.h"
#include "cli/CliDatabaseLoader.h"
#include "cli/CliIo.h"
#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "prefs/BibPreferences.h"
#include "storage/DatabaseSaver.h"
#include "storage/LocalDatabase.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString kName = u"save"_s;

std::optional<int> intOption(QStringList &args, const QString &name, int low, int high,
                             bool &bad, bool &missing)
{
    const std::optional<QString> text = CliIo::takeOption(args, name, missing);
    if (!text || missing)
        return std::nullopt;
    bool ok = false;
    const int value = text->toInt(&ok);
    if (!ok || value < low || value > high) {
        bad = true;
        return std::nullopt;
    }
    return value;
}

int run(const QStringList &arguments)
{
    QStringList args = arguments;
    bool missing = false;
    bool bad = false;
    std::optional<QString> output = CliIo::takeOption(args, u"-o"_s, missing);
    if (!output && !missing)
        output = CliIo::takeOption(args, u"--output"_s, missing);
    if (missing)
        return CliIo::usageError(kName, Texts::format(u"Cli_MissingValue", {u"-o"_s}));

    std::optional<quint32> encoding;
    if (const auto text = CliIo::takeOption(args, u"--encoding"_s, missing); text) {
        bool ok = false;
        // Codes at or above 2^31 may be given as written in files (negative).
        const qlonglong value = text->toLongLong(&ok);
        if (!ok || value < -2147483648LL || value > 4294967295LL ||
            !TextEncodings::isKnown(static_cast<quint32>(value)))
            return CliIo::usageError(kName, Texts::format(u"Cli_Save_BadEncoding", {*text}));
        encoding = static_cast<quint32>(value);
    }
    if (missing)
        return CliIo::usageError(kName, Texts::format(u"Cli_MissingValue", {u"--encoding"_s}));
    std::optional<int> usage;
    const std::optional<quint32> fromEncoding = CliIo::takeFromEncoding(args, kName, usage);
    if (usage)
        return *usage;
    const std::optional<int> lineEnding =
        intOption(args, u"--line-ending"_s, 0, 2, bad, missing);
    if (missing || bad)
        return CliIo::usageError(kName, missing ? Texts::format(u"Cli_MissingValue",
                                                                {u"--line-ending"_s})
                                                : Texts::text(u"Cli_Save_BadLineEnding"));
    const std::optional<int> attachments =
        intOption(args, u"--attachments"_s, -1, 1, bad, missing);
    if (missing || bad)
        return CliIo::usageError(kName, missing ? Texts::format(u"Cli_MissingValue",
                                                                {u"--attachments"_s})
                                                : Texts::text(u"Cli_Save_BadAttachments"));
    const bool reformat = CliIo::takeFlag(args, u"--reformat"_s);
    for (const QString &arg : args) {
        if (arg.startsWith(u'-') && arg.size() > 1)
            return CliIo::usageError(kName, Texts::format(u"Cli_UnknownOption", {arg}));
    }
    if (args.isEmpty())
        return CliIo::usageError(kName, Texts::text(u"Cli_MissingFile"));
    if (args.size() > 1)
        return CliIo::usageError(kName, Texts::text(u"Cli_TooManyArguments"));

    // A save writes the edit forms: what the window shows is not built.
    CliDatabaseLoader loader;
    const CliDatabaseLoader::Loaded record = loader.loadOne(args.first(), true, fromEncoding);
    if (!record.database)
        return 2;
    LocalDatabase &database = *record.database;
    for (const QString &error : record.errors)
        CliIo::errLine(Texts::format(u"Cli_Save_ReadError", {record.file, error}));
    if (reformat)
        database.reformatAllEntries();

    const bool inPlace =
        !output || QFileInfo(*output).absoluteFilePath() == QFileInfo(record.file).absoluteFilePath();
    bool saved = false;
    if (inPlace) {
        // The file's own settings change, then the ordinary save.
        if (encoding)
            database.localProperties().setEncoding(*encoding);
        if (lineEnding)
            database.localProperties().setLineEnding(*lineEnding);
        database.setDirty(true);
        if (attachments && *attachments != -1) {
            QVariantMap options;
            options.insert(DatabaseSaver::attachmentsKey(), *attachments);
            // A different "file" form is a save of its own kind: written in
            // place through the same safe path, without the copy's identity.
            saved = DatabaseSaver::saveDatabase(database, nullptr, options);
        } else {
            saved = DatabaseSaver::saveDatabase(database);
        }
    } else {
        QVariantMap options;
        if (encoding)
            options.insert(DatabaseSaver::encodingKey(), *encoding);
        if (lineEnding)
            options.insert(DatabaseSaver::lineFeedKey(),
                           BibPreferences::stringFromLineEnding(*lineEnding));
        if (attachments)
            options.insert(DatabaseSaver::attachmentsKey(), *attachments);
        saved = DatabaseSaver::saveAsDatabase(database, *output, options);
    }
    if (!saved) {
        const QString detail = DatabaseSaver::lastFailureDetail();
        CliIo::errLine(Texts::format(u"Cli_Save_Failed",
                                     {inPlace ? record.file : *output, detail}));
        return 1;
    }
    return 0;
}

const CliRegistration registration({kName, run});

} // namespace
