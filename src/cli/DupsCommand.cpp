// quirefold-cli dups FILE...: the duplicate search over the files, one block of
// lines per group of twins.
#include "cli/CliCommand.h"
#include "cli/CliDatabaseLoader.h"
#include "cli/CliIo.h"
#include "core/StringInputStream.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"
#include "storage/DatabaseGroup.h"
#include "storage/LoadingCoordinator.h"
#include "storage/LocalDatabase.h"
#include "storage/SmartLibrary.h"
#include "tex/TeXtoText.h"

#include <QHash>

#include <algorithm>
#include <climits>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString kName = u"dups"_s;

int run(const QStringList &arguments)
{
    const QStringList &args = arguments;
    for (const QString &arg : args) {
        if (arg.startsWith(u"--"))
            return CliIo::usageError(kName, Texts::format(u"Cli_UnknownOption", {arg}));
    }
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
    // Position of each entry: file order, then order in its file.
    QHash<const BibItem *, std::pair<int, int>> position;
    int fileIndex = 0;
    for (const CliDatabaseLoader::Loaded &record : loaded) {
        ++fileIndex;
        if (!record.database) {
            CliIo::errLine(Texts::format(u"Cli_CannotOpen", {record.file, record.problem}));
            status = 2;
            continue;
        }
        fileOf.insert(record.database, record.file);
        if (const BibItemList *items = record.database->allItems()) {
            int index = 0;
            for (const BibItemPtr &item : *items)
                position.insert(item.get(), {fileIndex, index++});
        }
        for (const QString &error : record.errors)
            CliIo::errLine(record.file + u": "_s + error);
        if (!record.errors.isEmpty() && status == 0)
            status = 1;
    }

    LoadingCoordinator *coordinator = LoadingCoordinator::global();
    auto *node = static_cast<SmartLibrary *>(
        coordinator->rootNode()->insertChild(SmartLibrary::smartLibraryForDupSearch(), -1));
    node->updateSmartLibrary(coordinator->databaseNode());
    node->waitForMerging();

    const auto before = [&position](const BibItemPtr &a, const BibItemPtr &b) {
        return position.value(a.get(), {INT_MAX, INT_MAX}) <
               position.value(b.get(), {INT_MAX, INT_MAX});
    };
    std::vector<BibItemList> groups = node->identicalGroups();
    for (BibItemList &group : groups)
        std::sort(group.begin(), group.end(), before);
    std::sort(groups.begin(), groups.end(), [&before](const BibItemList &a, const BibItemList &b) {
        return before(a.front(), b.front());
    });
    bool first = true;
    for (const BibItemList &group : groups) {
        if (!first)
            CliIo::outLine(QString());
        first = false;
        for (const BibItemPtr &item : group)
            CliIo::outLine(fileOf.value(item->database()) + u'\t' + item->bibKey());
    }
    coordinator->rootNode()->removeChild(node);
    return status;
}

const CliRegistration registration({kName, run});

} // namespace
