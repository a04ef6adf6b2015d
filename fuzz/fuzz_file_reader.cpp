// libFuzzer target for the file reader as a whole and the save after it: the
// bytes are a .bib file (the first byte chooses the encoding the database
// expects and the size of the pieces a large reading is cut into). The file is
// loaded as a database loads it (encoding detection, settings block, blocks,
// kept text), read again in pieces, saved, and the saved bytes loaded again.
// Findings: a crash, a sanitizer report, a hang, a piece-wise reading that
// differs from the whole one, a save its own check lets through whose file
// reads back other than the first reading (entries, comments, kept text,
// preambles, macros), or a second save that differs from the first.
#include "core/AlertPresenter.h"
#include "model/BibItem.h"
#include "model/MacroList.h"
#include "storage/BibFileReader.h"
#include "storage/BibFileWriter.h"
#include "core/TextEncodings.h"
#include "storage/DatabaseSaver.h"
#include "storage/LocalDatabase.h"

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

void requireAt(bool condition, int line)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_file_reader: check on line %d failed\n", line);
        std::abort();
    }
}
#define require(condition) requireAt((condition), __LINE__)

// The encodings a database may expect before it reads its bytes.
constexpr unsigned kEncodings[] = {4, 5, 30, 12, 0x80000A01u, 3, 1, 0x80000632u};

QStringList entriesOf(const BibItemList &items)
{
    QStringList out;
    for (const BibItemPtr &item : items) {
        QStringList fields;
        const auto &edit = item->bibFieldsForEdit();
        for (auto it = edit.begin(); it != edit.end(); ++it) {
            if (it.key() != u"database"_s)
                fields << it.key() + u'=' + it.value();
        }
        fields.sort();
        out << item->bibType().toUpper() + u' ' + item->bibKey() + u'\n' + fields.join(u'\n');
    }
    return out;
}

struct Snapshot
{
    QStringList entries, comments, unread, preambles, macros;
    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshotOf(const LocalDatabase &database)
{
    Snapshot s;
    if (const BibItemList *items = database.allItems())
        s.entries = entriesOf(*items);
    for (const QString &comment : database.commentList())
        s.comments << comment.trimmed();
    s.unread = database.unreadTextList();
    s.preambles = database.preambleList();
    if (const MacroList *macros = database.macroList())
        s.macros << macros->databaseMacroStringWithLF(u"\n"_s);
    return s;
}

Snapshot snapshotOf(const BibFileContents &contents)
{
    Snapshot s;
    s.entries = entriesOf(contents.items);
    for (const QString &comment : contents.comments)
        s.comments << comment.trimmed();
    s.unread = contents.unreadTexts;
    s.preambles = contents.preambles;
    if (contents.macros)
        s.macros << contents.macros->databaseMacroStringWithLF(u"\n"_s);
    return s;
}

// What a text of the first reading is expected to read back as: the writer's
// own replacements (no-break space, yen mark) and the encoding's substitutions
// for characters it cannot hold (a lone surrogate, say) are made on purpose.
QString expected(const QString &text, unsigned encoding)
{
    const QString finished = BibFileWriter::finishText(text, encoding);
    QString back = TextEncodings::decode(TextEncodings::encode(finished, encoding), encoding)
                       .value_or(finished);
    if (BibFileWriter::isYenEncoding(encoding))
        back.replace(QChar(0x00A5), u'\\');
    return back;
}

// Entry values as the save's own check compares them: a no-break space is
// written as a space, and a run of spaces reads back as one.
QStringList spacesCollapsed(const QStringList &entries)
{
    static const QRegularExpression run(u" {2,}"_s);
    QStringList out;
    for (QString entry : entries)
        out << entry.replace(QChar(0x00A0), u' ').replace(run, u" "_s);
    return out;
}

Snapshot expected(const Snapshot &s, unsigned encoding)
{
    Snapshot out;
    for (auto [from, to] : {std::pair{&s.entries, &out.entries}, {&s.comments, &out.comments},
                            {&s.unread, &out.unread}, {&s.preambles, &out.preambles},
                            {&s.macros, &out.macros}}) {
        for (const QString &text : *from)
            *to << expected(text, encoding);
    }
    out.entries = spacesCollapsed(out.entries);
    return out;
}

QString folder()
{
    static QTemporaryDir dir;
    return dir.path();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    require(file.write(bytes) == bytes.size());
}

std::unique_ptr<LocalDatabase> load(const QString &path, unsigned encoding)
{
    auto database = LocalDatabase::localDatabaseWithFile(path, false);
    require(database != nullptr);
    database->localProperties().setEncoding(encoding);
    database->setLoadEditFormsOnly(true);
    database->startLoading();
    database->waitForLoading();
    if (database->isLoading())
        database->setWaitingStatus(0);
    return database;
}

BibFileContents readWith(const QByteArray &bytes, unsigned encoding, int parts, qsizetype piece)
{
    LocalDatabase scratch;
    scratch.localProperties().setEncoding(encoding);
    std::atomic<bool> stop{false};
    std::atomic<int> count{0};
    BibFileReader reader(scratch, scratch.localProperties(), stop, count);
    reader.setEditFormsOnly(true);
    reader.setParallelReading(parts, piece);
    return reader.readBytes(bytes);
}

QByteArray withoutTimeStamp(const QByteArray &bytes)
{
    static const QRegularExpression stamp(u"last_saved = \\{[^}]*\\}"_s);
    return QString::fromLatin1(bytes).remove(stamp).toLatin1();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    static ScriptedAlertPresenter alerts({}, 0);
    const unsigned encoding = kEncodings[data[0] & 7];
    const qsizetype piece = 16 << ((data[0] >> 3) & 7);
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    // Read in pieces, the text reads as in one piece.
    const BibFileContents whole = readWith(bytes, encoding, 1, 1 << 30);
    const BibFileContents pieces = readWith(bytes, encoding, 3, piece);
    require(snapshotOf(whole) == snapshotOf(pieces));
    require(whole.errors == pieces.errors);

    // Loaded, saved and loaded again, the database holds the same.
    const QString original = folder() + u"/original.bib"_s;
    writeFile(original, bytes);
    auto first = load(original, encoding);
    const QVariantMap options = DatabaseSaver::defaultSaveOptions(*first);
    const std::optional<QByteArray> saved = DatabaseSaver::makeContentsData(*first, options);
    require(saved.has_value());
    // A save whose check refuses the bytes writes nothing and tells the user
    // which entry would change (known: kept text in a few damaged files).
    QString detail;
    if (!DatabaseSaver::verifyWritten(*saved, *first, options, detail))
        return 0;
    const QString copy = folder() + u"/saved.bib"_s;
    writeFile(copy, *saved);
    auto second = load(copy, encoding);
    require(second->encoding() == first->encoding());
    const Snapshot meant = expected(snapshotOf(*first), first->encoding());
    Snapshot gotRaw = snapshotOf(*second);
    gotRaw.entries = spacesCollapsed(gotRaw.entries);
    const Snapshot got = gotRaw;
    if (!(got == meant) && qEnvironmentVariableIsSet("QF_FUZZ_VERBOSE")) {
        for (const QStringList *list : {&meant.entries, &meant.comments, &meant.unread,
                                        &meant.preambles, &meant.macros, &got.entries,
                                        &got.comments, &got.unread, &got.preambles, &got.macros})
            std::fprintf(stderr, "[%s]\n", qPrintable(list->join(u"\n|\n"_s)));
    }
    require(got == meant);

    // Saved again, the bytes stay the same but for the time stamp. (The first
    // save may still change them: a no-break space is written as a space,
    // which then reads as part of a run of spaces.)
    const std::optional<QByteArray> again =
        DatabaseSaver::makeContentsData(*second, DatabaseSaver::defaultSaveOptions(*second));
    require(again.has_value());
    if (withoutTimeStamp(*again) == withoutTimeStamp(*saved))
        return 0;
    const QString copyAgain = folder() + u"/again.bib"_s;
    writeFile(copyAgain, *again);
    auto third = load(copyAgain, encoding);
    const std::optional<QByteArray> last =
        DatabaseSaver::makeContentsData(*third, DatabaseSaver::defaultSaveOptions(*third));
    require(last.has_value());
    require(withoutTimeStamp(*last) == withoutTimeStamp(*again));
    return 0;
}
