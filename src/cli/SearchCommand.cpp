// quirefold-cli search [--any] --where TARGET,CONDITION[,TEXT[,case]] ... FILE...:
// the entries a smart library with those conditions collects from the files.
#include "cli/CliCommand.h"
#include "cli/CliDatabaseLoader.h"
#include "cli/CliIo.h"
#include "core/StringInputStream.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "model/SmartSearchCondition.h"
#include "prefs/BibPreferences.h"
#include "storage/LoadingCoordinator.h"
#include "storage/LocalDatabase.h"
#include "storage/SmartLibrary.h"
#include "tex/TeXtoText.h"

#include <QHash>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString kName = u"search"_s;

// "TARGET,CONDITION[,TEXT[,case]]"; the text may itself hold commas.
std::optional<SmartSearchCondition> parseCondition(const QString &whereText)
{
    const qsizetype first = whereText.indexOf(u',');
    if (first < 0)
        return std::nullopt;
    const qsizetype second = whereText.indexOf(u',', first + 1);
    bool targetOk = false;
    bool conditionOk = false;
    const int target = whereText.left(first).trimmed().toInt(&targetOk);
    const int condition =
        (second < 0 ? whereText.mid(first + 1) : whereText.mid(first + 1, second - first - 1))
            .trimmed()
            .toInt(&conditionOk);
    if (!targetOk || !conditionOk)
        return std::nullopt;
    QString text = second < 0 ? QString() : whereText.mid(second + 1);
    bool caseSensitive = false;
    const qsizetype last = text.lastIndexOf(u',');
    if (last >= 0 && text.mid(last + 1) == u"case") {
        caseSensitive = true;
        text.truncate(last);
    }
    return SmartSearchCondition::conditionWith(target, condition, text, caseSensitive);
}

int run(const QStringList &arguments)
{
    QStringList args = arguments;
    const bool any = CliIo::takeFlag(args, u"--any"_s);
    std::vector<SmartSearchCondition> conditions;
    for (;;) {
        bool missingValue = false;
        const std::optional<QString> where = CliIo::takeOption(args, u"--where"_s, missingValue);
        if (missingValue)
            return CliIo::usageError(kName, Texts::format(u"Cli_Search_BadWhere", {QString()}));
        if (!where)
            break;
        const std::optional<SmartSearchCondition> condition = parseCondition(*where);
        if (!condition)
            return CliIo::usageError(kName, Texts::format(u"Cli_Search_BadWhere", {*where}));
        conditions.push_back(*condition);
    }
    for (const QString &arg : std::as_const(args)) {
        if (arg.startsWith(u"--"))
            return CliIo::usageError(kName, Texts::format(u"Cli_UnknownOption", {arg}));
    }
    if (conditions.empty())
        return CliIo::usageError(kName, Texts::text(u"Cli_Search_MissingWhere"));
    if (args.isEmpty())
        return CliIo::usageError(kName, Texts::text(u"Cli_MissingFile"));

    StringInputStream::setupCharacterSets();
    TeXtoText::createGlobalObject();
    if (!BibPreferences::globalPreferences())
        BibPreferences::createGlobalObject();

    CliDatabaseLoader loader;
    const auto loaded = loader.load(args);
    int status = 0;
    QHash<const ItemDatabase *, QString> fileOf;
    for (const CliDatabaseLoader::Loaded &record : loaded) {
        if (!record.database) {
            CliIo::errLine(Texts::format(u"Cli_CannotOpen", {record.file, record.problem}));
            status = 2;
            continue;
        }
        fileOf.insert(record.database, record.file);
        for (const QString &error : record.errors)
            CliIo::errLine(record.file + u": "_s + error);
        if (!record.errors.isEmpty() && status == 0)
            status = 1;
    }

    // A library kept current over all databases; offered the open databases
    // in the order of the tree, as a change of its properties does.
    auto library = SmartLibrary::smartLibrary();
    library->smartProperties().setMatchesAllConditions(!any);
    library->smartProperties().setUpdateCondition(0);
    library->smartProperties().setSearchConditions(conditions);
    auto *node = static_cast<SmartLibrary *>(
        LoadingCoordinator::global()->rootNode()->insertChild(std::move(library), -1));
    node->propertiesChanged();
    node->waitForMerging();
    for (const BibItemPtr &item : node->itemsSnapshot())
        CliIo::outLine(fileOf.value(item->database()) + u'\t' + item->bibKey());
    LoadingCoordinator::global()->rootNode()->removeChild(node);
    return status;
}

const CliRegistration registration({kName, run});

} // namespace
