// quirefold-cli export FILE [--format F] [--keys K1,K2,...] [--prefix 0-3]:
// loads a file as the window does and prints its entries as JSON or in one of
// the copy formats of the item list.
#include "cli/BibtexExport.h" // the bibtex format
#include "cli/CliCommand.h"
#include "cli/CliDatabaseLoader.h"
#include "cli/CliIo.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "storage/ItemsText.h"
#include "storage/LocalDatabase.h"
#include "storage/StoragePrefs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>
#include <map>

using namespace Qt::StringLiterals;

namespace {

const QString kName = u"export"_s;

struct ExportRequest
{
    const LocalDatabase *database = nullptr;
    BibItemList items;
    int prefix = 2;
};

using Exporter = std::function<QString(const ExportRequest &)>;

QString exportJson(const ExportRequest &request)
{
    QJsonArray entries;
    for (const BibItemPtr &item : request.items) {
        QJsonObject fields;
        const auto &edit = item->bibFieldsForEdit();
        for (auto it = edit.cbegin(); it != edit.cend(); ++it) {
            const QString &name = it.key();
            if (name == u"bibkey" || name == u"bibtype" || name == u"database")
                continue;
            fields.insert(name, QJsonObject{{u"edit"_s, it.value()},
                                            {u"display"_s, item->fieldDataForView(name)}});
        }
        entries.append(QJsonObject{
            {u"type"_s, item->bibType()}, {u"key"_s, item->bibKey()}, {u"fields"_s, fields}});
    }
    return QString::fromUtf8(QJsonDocument(entries).toJson(QJsonDocument::Indented));
}

Exporter copyFormat(int kind)
{
    return [kind](const ExportRequest &request) {
        QString text = ItemsText::makeItemsText(request.items, kind, request.prefix);
        if (!text.endsWith(u'\n'))
            text += u'\n';
        return text;
    };
}

// The formats by name; further formats register here.
const std::map<QString, Exporter> &exporters()
{
    static const std::map<QString, Exporter> table = {
        {u"json"_s, exportJson},      {u"keys"_s, copyFormat(0)},       {u"cite"_s, copyFormat(1)},
        {u"nocite"_s, copyFormat(2)}, {u"bibitem"_s, copyFormat(3)},    {u"html"_s, copyFormat(4)},
        {u"tab"_s, copyFormat(5)},    {u"html-plain"_s, copyFormat(6)}, {u"text"_s, copyFormat(7)},
        // The text an ordinary save would write.
        {u"bibtex"_s, [](const ExportRequest &request) { return bibtexExportText(*request.database); }},
    };
    return table;
}

int run(const QStringList &arguments)
{
    QStringList args = arguments;
    bool missing = false;
    const QString format = CliIo::takeOption(args, u"--format"_s, missing).value_or(u"json"_s);
    if (missing)
        return CliIo::usageError(kName, Texts::format(u"Cli_MissingValue", {u"--format"_s}));
    const std::optional<QString> keys = CliIo::takeOption(args, u"--keys"_s, missing);
    if (missing)
        return CliIo::usageError(kName, Texts::format(u"Cli_MissingValue", {u"--keys"_s}));
    const std::optional<QString> prefixText = CliIo::takeOption(args, u"--prefix"_s, missing);
    if (missing)
        return CliIo::usageError(kName, Texts::format(u"Cli_MissingValue", {u"--prefix"_s}));
    std::optional<int> usage;
    const std::optional<quint32> fromEncoding = CliIo::takeFromEncoding(args, kName, usage);
    if (usage)
        return *usage;
    if (const std::optional<int> bad = CliIo::checkSingleFile(kName, args))
        return *bad;
    const auto exporter = exporters().find(format);
    if (exporter == exporters().end())
        return CliIo::usageError(kName, Texts::format(u"Cli_UnknownFormat", {format}));
    ExportRequest request;
    request.prefix = StoragePrefs::listPrefixOnCopy();
    if (prefixText) {
        bool ok = false;
        request.prefix = prefixText->toInt(&ok);
        if (!ok || request.prefix < 0 || request.prefix > 3)
            return CliIo::usageError(kName, Texts::text(u"Cli_BadPrefix"));
    }

    CliDatabaseLoader loader;
    const CliDatabaseLoader::Loaded record = loader.loadOne(args.first(), false, fromEncoding);
    if (!record.database)
        return 2;
    request.database = record.database;
    const BibItemList *all = record.database->allItems();
    if (keys) {
        for (const QString &key : keys->split(u',', Qt::SkipEmptyParts)) {
            BibItemPtr item = record.database->bibItemForKey(key.trimmed());
            if (!item) {
                CliIo::errLine(Texts::format(u"Cli_UnknownKey", {key.trimmed()}));
                return 1;
            }
            request.items.push_back(item);
        }
    } else if (all) {
        request.items = *all;
    }
    CliIo::out(exporter->second(request));
    return 0;
}

const CliRegistration registration({kName, run});

} // namespace
