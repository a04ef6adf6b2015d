#include "storage/DatabaseSaver.h"

#include "core/AlertPresenter.h"
#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "model/MacroList.h"
#include "prefs/BibPreferences.h"
#include "storage/BibDatabase.h"
#include "storage/BibFileReader.h"
#include "storage/BibFileWriter.h"
#include "storage/KeptFileWriter.h"
#include "storage/LocalDatabase.h"
#include "storage/LocalDatabaseProperties.h"
#include "storage/RealDatabase.h"
#include "storage/WrittenEntryReader.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

QString &lastDetail()
{
    static QString detail;
    return detail;
}

const LocalDatabaseProperties *localPropertiesOf(const BibDatabase &node)
{
    return node.isLocalDatabase()
               ? dynamic_cast<const LocalDatabaseProperties *>(&node.properties())
               : nullptr;
}

QString lineFeedOf(const QVariantMap &options)
{
    const QString lf = options.value(DatabaseSaver::lineFeedKey()).toString();
    return lf.isEmpty() ? u"\n"_s : lf;
}

quint32 encodingOf(const QVariantMap &options)
{
    return options.value(DatabaseSaver::encodingKey()).toUInt();
}

int attachmentsOf(const QVariantMap &options)
{
    return options.value(DatabaseSaver::attachmentsKey(), -1).toInt();
}

// The settings block a save with `options` writes for a database file: its
// own, or, for a copy, one with the copy's identity (written from a scratch
// record so that the open database stays exactly as it is).
QString settingsBlockOf(const LocalDatabaseProperties &properties, const QVariantMap &options)
{
    const QString lf = lineFeedOf(options);
    if (!options.contains(DatabaseSaver::saveACopyKey()))
        return DatabaseSaver::databasePropertyString(properties, lf);
    LocalDatabaseProperties copy;
    copy.makeCopyOf(properties);
    copy.setUniqueID(DatabaseProperties::generateUniqueID());
    copy.release();
    copy.setDescription(options.value(DatabaseSaver::descriptionKey()).toString());
    copy.setEncoding(encodingOf(options));
    copy.setLineEnding(BibPreferences::lineEndingFromString(lf));
    copy.setKeepFullPath(attachmentsOf(options) == 1);
    return DatabaseSaver::databasePropertyString(copy, lf);
}

// The database when a save with `options` writes its unchanged blocks with
// the text they were read from.
const LocalDatabase *keptTextWriterOf(const BibDatabase &node, const QVariantMap &options)
{
    if (!node.isLocalDatabase() || !options.value(DatabaseSaver::keepReadTextKey()).toBool())
        return nullptr;
    const auto &local = static_cast<const LocalDatabase &>(node);
    return KeptFileWriter::canWrite(local) ? &local : nullptr;
}

bool report(const QString &key, const QString &path, const QString &detail = QString())
{
    lastDetail() = detail.isEmpty() ? Texts::format(key, {path})
                                    : Texts::format(key, {path}) + u" ("_s + detail + u')';
    if (detail.isEmpty()) {
        BibDatabase::fileOperationError(key, path);
        return false;
    }
    // The alert says why, so that the user knows what to mend.
    AlertRequest request;
    request.title = Texts::text(u"FileOperationError");
    request.message = Texts::format(key, {path}) + u"\n\n"_s + detail;
    request.defaultButton = Texts::text(u"OK");
    AlertPresenter::show(request);
    return false;
}

// Whether the user already agreed to save this database over a file that was
// not read completely (asked once per database and file).
QSet<QString> &approvedLossySaves()
{
    static QSet<QString> approved;
    return approved;
}

QString lossyKey(const LocalDatabase &database)
{
    return database.uniqueID() + u'\n' + database.fullPath();
}

SaveVerifier::Entry entryOf(const BibItem &item, int attachments)
{
    SaveVerifier::Entry entry;
    entry.type = item.bibType();
    entry.key = item.bibKey();
    // The item's own map, shared when it is made (else made for the check
    // alone); only a "file" field written otherwise than stored makes a copy.
    entry.fields = item.editForms();
    const auto file = entry.fields.constFind(u"file");
    if (file != entry.fields.constEnd()) {
        if (attachments == 0)
            entry.fields.remove(u"file");
        else if (attachments == 1 && item.database())
            entry.fields.insert(u"file"_s, item.database()->fullPathOf(*file));
    }
    return entry;
}

QString decodeForCheck(const QString &text, quint32 encoding)
{
    const QByteArray bytes = TextEncodings::encode(text, encoding);
    return TextEncodings::decode(bytes, encoding).value_or(text);
}

} // namespace

QString DatabaseSaver::lineFeedKey()
{
    return u"Save Options Line Feed"_s;
}
QString DatabaseSaver::encodingKey()
{
    return u"Save Options Encoding"_s;
}
QString DatabaseSaver::attachmentsKey()
{
    return u"Save Options Attachments"_s;
}
QString DatabaseSaver::descriptionKey()
{
    return u"Save Options Description"_s;
}
QString DatabaseSaver::saveACopyKey()
{
    return u"Save Options Save a Copy"_s;
}

QString DatabaseSaver::keepReadTextKey()
{
    return u"Save Options Keep Read Text"_s;
}

QString DatabaseSaver::lastFailureDetail()
{
    return lastDetail();
}

QVariantMap DatabaseSaver::defaultSaveOptions(const BibDatabase &node)
{
    QVariantMap options;
    if (const LocalDatabaseProperties *properties = localPropertiesOf(node)) {
        options.insert(lineFeedKey(),
                       BibPreferences::stringFromLineEnding(properties->lineEnding()));
        options.insert(encodingKey(), static_cast<quint32>(properties->encoding()));
        options.insert(attachmentsKey(), -1);
        options.insert(keepReadTextKey(),
                       BibPreferences::globalPreferences()->writeUntouchedAsRead());
    } else {
        const BibPreferences *prefs = BibPreferences::globalPreferences();
        options.insert(lineFeedKey(),
                       BibPreferences::stringFromLineEnding(prefs->databaseLineMode()));
        options.insert(encodingKey(), prefs->databaseEncoding());
        options.insert(attachmentsKey(), 0);
    }
    options.insert(descriptionKey(), node.description());
    return options;
}

QString DatabaseSaver::databaseBibItemsString(const BibDatabase &node, const QVariantMap &options)
{
    const BibItemList *items = node.allItems();
    if (!items)
        return {};
    const QString lf = lineFeedOf(options);
    const int attachments = attachmentsOf(options);
    // Entries are written independently of each other: a large database is
    // written in parts on several threads and the parts joined in order.
    constexpr size_t kItemsPerPart = 2000;
    const size_t cores = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    const size_t parts = std::clamp<size_t>(items->size() / kItemsPerPart, 1, cores);
    std::vector<QString> texts(parts);
    const auto writePart = [&](size_t part) {
        const size_t begin = items->size() * part / parts;
        const size_t end = items->size() * (part + 1) / parts;
        QString &text = texts[part];
        text.reserve(static_cast<qsizetype>(end - begin) * 512);
        for (size_t i = begin; i < end; ++i)
            (*items)[i]->appendBibItemString(text, attachments, lf);
    };
    std::vector<std::thread> helpers;
    for (size_t part = 1; part < parts; ++part)
        helpers.emplace_back(writePart, part);
    writePart(0);
    for (std::thread &helper : helpers)
        helper.join();
    if (parts == 1)
        return std::move(texts.front());
    qsizetype total = 0;
    for (const QString &text : texts)
        total += text.size();
    QString out;
    out.reserve(total);
    for (const QString &text : texts)
        out += text;
    return out;
}

QString DatabaseSaver::databasePropertyString(const LocalDatabaseProperties &p, const QString &lf)
{
    BibFileWriter::Settings s;
    s.encoding = p.encoding();
    s.lineEnding = p.lineEnding();
    s.databaseID = p.uniqueID();
    s.attachmentMode = p.fileAttachmentMode();
    s.renameAfterBibkey = p.renameAfterBibkey();
    s.keepFullPath = p.keepFullPath();
    s.description = p.storedDescription();
    s.attachmentPath = p.attachmentPath();
    s.privilegedHost = p.privilegedHost();
    s.privilegedUser = p.privilegedUser();
    s.privilegedSince = p.privilegedSince();
    return BibFileWriter::settingsBlock(s, lf);
}

QString DatabaseSaver::makeContentsText(const BibDatabase &node, const QVariantMap &options)
{
    const QString lf = lineFeedOf(options);
    const quint32 encoding = encodingOf(options);
    QString text;
    if (const LocalDatabaseProperties *properties = localPropertiesOf(node)) {
        const auto &real = static_cast<const RealDatabase &>(node);
        text += settingsBlockOf(*properties, options);
        text += BibFileWriter::commentsString(real.commentList(), lf);
        // Macros before preambles: BibTeX expands a macro a preamble uses
        // ("Maintained by " # maintainer) only when it is defined earlier.
        text += real.macroList() ? real.macroList()->databaseMacroStringWithLF(lf) : lf;
        text += BibFileWriter::preamblesString(real.preambleList(), lf);
    } else {
        LocalDatabaseProperties fresh;
        fresh.setEncoding(encoding);
        fresh.setLineEnding(BibPreferences::lineEndingFromString(lf));
        fresh.setDescription(options.value(descriptionKey()).toString());
        fresh.setKeepFullPath(attachmentsOf(options) == 1);
        text += databasePropertyString(fresh, lf);
        // The macros of every database that contributes entries, first come first.
        MacroList merged;
        QSet<const void *> seen;
        if (const BibItemList *items = node.allItems()) {
            for (const BibItemPtr &item : *items) {
                auto *owner = item->database();
                if (!owner || seen.contains(owner))
                    continue;
                seen.insert(owner);
                if (const MacroList *macros = owner->macroList())
                    merged.appendMacroWithDefs(macros->macroDefinition(), 1);
            }
        }
        text += merged.databaseMacroStringWithLF(lf);
    }
    text += databaseBibItemsString(node, options);
    if (node.isLocalDatabase()) {
        // Text no block could carry goes back as it stands, after the entries.
        // An empty comment block between two pieces keeps them apart, so
        // that each reads back as the piece it is (the reader keeps no empty
        // comment).
        bool first = true;
        for (const QString &unread : static_cast<const LocalDatabase &>(node).unreadTextList()) {
            if (!first)
                text += u"@COMMENT {}"_s + lf;
            text += unread + lf + lf;
            first = false;
        }
    }
    return text;
}

std::optional<QByteArray> DatabaseSaver::makeContentsData(const BibDatabase &node,
                                                          const QVariantMap &options)
{
    if (node.isLoading())
        return std::nullopt;
    if (const LocalDatabase *local = keptTextWriterOf(node, options)) {
        KeptFileWriter::Options keptOptions;
        keptOptions.lineFeed = lineFeedOf(options);
        keptOptions.encoding = encodingOf(options);
        keptOptions.attachments = attachmentsOf(options);
        const QString settings = settingsBlockOf(local->localProperties(), options);
        QString text = KeptFileWriter::makeContentsText(*local, settings, keptOptions);
        // A kept text that could not be read whole is not written: the
        // writer's layout holds everything the database holds.
        if (!local->keptText()->damaged())
            return BibFileWriter::encodeText(text, keptOptions.encoding);
    }
    return BibFileWriter::finishAndEncode(makeContentsText(node, options), encodingOf(options));
}

bool DatabaseSaver::verifyWritten(const QByteArray &bytes, const BibDatabase &node,
                                  const QVariantMap &options, QString &detail,
                                  QList<qsizetype> *differing)
{
    LocalDatabase scratch;
    return verifyWritten(bytes, node, options, scratch, detail, differing);
}

bool DatabaseSaver::verifyWritten(const QByteArray &bytes, const BibDatabase &node,
                                  const QVariantMap &options, LocalDatabase &scratch,
                                  QString &detail, QList<qsizetype> *differing)
{
    const quint32 encoding = encodingOf(options);
    const int attachments = attachmentsOf(options);
    const BibItemList *items = node.allItems();
    SaveVerifier::Comparison comparison(
        items ? static_cast<qsizetype>(items->size()) : 0,
        [items, attachments](qsizetype place) {
            return entryOf(*(*items)[static_cast<size_t>(place)], attachments);
        },
        encoding, decodeForCheck, differing != nullptr);
    const bool readable = WrittenEntryReader::read(
        bytes, encoding, scratch,
        [&comparison](const SaveVerifier::Entry &read) { comparison.take(read); });
    if (!readable) {
        detail = u"the written file does not read back"_s;
        return false;
    }
    return comparison.finish(detail, differing);
}

bool DatabaseSaver::writeVerified(BibDatabase &node, const QString &path, QVariantMap options,
                                  int backups, SafeFileWriter &writer)
{
    SafeFileWriter::Failure failure;
    for (int attempt = 0;; ++attempt) {
        const std::optional<QByteArray> data = makeContentsData(node, options);
        if (!data)
            return report(QF_KEY("BackupError_CreatingData"), node.description());
        const bool keptText = keptTextWriterOf(node, options) != nullptr;
        // The entries are checked in the bytes meant while those are written,
        // synced and read back from the disk: the writer asks for the result
        // only once the disk holds exactly these bytes. Nothing changes the
        // items meanwhile (this thread is in the writer).
        bool same = false;
        QString checkDetail;
        QList<qsizetype> differing;
        LocalDatabase scratch;
        std::thread checking([&] {
            same = verifyWritten(*data, node, options, scratch, checkDetail,
                                 keptText ? &differing : nullptr);
        });
        const auto checked = [&checking] {
            if (checking.joinable())
                checking.join();
        };
        bool again = false;
        const auto verify = [&](const QByteArray &written, QString &detail) {
            checked();
            if (written.constData() != data->constData() && written != *data) {
                // Not the bytes checked (the writer passes them on as a rule).
                differing.clear();
                same = verifyWritten(written, node, options, scratch, checkDetail,
                                     keptText ? &differing : nullptr);
            }
            if (same)
                return true;
            detail = checkDetail;
            if (!keptText || attempt >= 2)
                return false;
            // Entries that did not read back from the text they were read
            // from are written in the writer's layout; when anything else
            // differs (the count of entries), no block keeps its text.
            const BibItemList &items = *node.allItems();
            const bool onlyKept = attempt == 0 && !differing.isEmpty() &&
                                  std::all_of(differing.begin(), differing.end(), [&](qsizetype i) {
                                      return i < static_cast<qsizetype>(items.size()) &&
                                             !items[static_cast<size_t>(i)]->isChangedSinceRead();
                                  });
            if (onlyKept) {
                for (const qsizetype i : differing)
                    items[static_cast<size_t>(i)]->markChangedSinceRead();
            } else {
                options.insert(keepReadTextKey(), false);
            }
            again = true;
            return false;
        };
        const bool written = writer.writeFile(path, *data, backups, verify, failure);
        checked();
        if (written)
            return true;
        if (!again)
            return report(failure.key, failure.path, failure.detail);
    }
}

bool DatabaseSaver::saveDatabase(LocalDatabase &database, SafeFileWriter *writer,
                                 const QVariantMap &overrides)
{
    lastDetail().clear();
    const auto *properties = localPropertiesOf(database);
    if (!properties)
        return false;
    if (!properties->hasPrivilegeToWrite()) {
        database.setDirty(false);
        return true;
    }
    if (!database.isDirty())
        return true;
    const QString path = properties->fullPath();
    if (database.readIncomplete() && !approvedLossySaves().contains(lossyKey(database))) {
        AlertRequest request;
        request.title = Texts::text(u"SaveError_LossyRead");
        request.message = Texts::format(u"SaveError_LossyReadMessage", {path});
        request.defaultButton = Texts::text(u"Cancel");
        request.alternateButton = Texts::text(u"SaveAnyway");
        if (AlertPresenter::show(request) != 0) {
            lastDetail() = request.message;
            return false;
        }
        approvedLossySaves().insert(lossyKey(database));
    }

    QVariantMap options = defaultSaveOptions(database);
    for (auto it = overrides.begin(); it != overrides.end(); ++it)
        options.insert(it.key(), it.value());
    SafeFileWriter standard;
    const int backups = BibPreferences::globalPreferences()->numBackups();
    if (!writeVerified(database, path, options, backups, writer ? *writer : standard))
        return false;
    database.setDirty(false);
    return true;
}

QVariantMap DatabaseSaver::saveAsOptions(const BibDatabase &node, const QVariantMap &options)
{
    QVariantMap all = defaultSaveOptions(node);
    for (auto it = options.begin(); it != options.end(); ++it)
        all.insert(it.key(), it.value());
    all.insert(descriptionKey(), Texts::format(u"NameOfCopy", {node.description()}));
    all.insert(saveACopyKey(), u"YES"_s);
    return all;
}

bool DatabaseSaver::saveAsDatabase(BibDatabase &node, const QString &path,
                                   const QVariantMap &options, SafeFileWriter *writer)
{
    lastDetail().clear();
    SafeFileWriter standard;
    return writeVerified(node, path, saveAsOptions(node, options), 0, writer ? *writer : standard);
}
