// quirefold-cli genkeys FILE [--rule RULE]: for each entry in file order, its
// key and the key the key command gives it (each applied before the next).
#include "cli/CliCommand.h"
#include "cli/CliDatabaseLoader.h"
#include "cli/CliIo.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "storage/LocalDatabase.h"
#include "storage/StoragePrefs.h"

using namespace Qt::StringLiterals;

namespace {

const QString kName = u"genkeys"_s;

int run(const QStringList &arguments)
{
    QStringList args = arguments;
    bool missing = false;
    const QString rule =
        CliIo::takeOption(args, u"--rule"_s, missing).value_or(StoragePrefs::bibkeyGenRule());
    if (missing)
        return CliIo::usageError(kName, Texts::format(u"Cli_MissingValue", {u"--rule"_s}));
    if (const std::optional<int> bad = CliIo::checkSingleFile(kName, args))
        return *bad;

    CliDatabaseLoader loader;
    const CliDatabaseLoader::Loaded record = loader.loadOne(args.first());
    if (!record.database)
        return 2;
    const BibItemList *all = record.database->allItems();
    if (!all)
        return 1;
    const BibItemList items = *all; // the list does not change, but the keys do
    for (const BibItemPtr &item : items) {
        const QString oldKey = item->bibKey();
        const QString newKey = item->uniqueBibKey(item->bibKeyFromGenRule(rule));
        item->setFieldData(newKey, u"bibkey"_s);
        CliIo::outLine(oldKey + u'\t' + newKey);
    }
    return 0;
}

const CliRegistration registration({kName, run});

} // namespace
