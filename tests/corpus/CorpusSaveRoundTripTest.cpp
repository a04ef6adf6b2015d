// Every file of the corpus that reads without errors is saved to a temporary
// folder, read again and compared entry by entry with the first reading; a
// second save of the copy gives the same bytes apart from the time stamp and
// the database ID.
#include "core/AlertPresenter.h"
#include "core/TextEncodings.h"
#include "model/BibItem.h"
#include "model/MacroList.h"
#include "storage/DatabaseSaver.h"
#include "storage/LocalDatabase.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<LocalDatabase> openDatabase(const QString &path)
{
    auto database = LocalDatabase::localDatabaseWithFile(path, false);
    if (!database)
        return nullptr;
    database->startLoading();
    database->waitForLoading();
    if (database->isLoading())
        database->setWaitingStatus(0);
    return database;
}

struct Snapshot
{
    QStringList entries;
    QStringList macros;
    QStringList preambles;
    QStringList comments;
};

Snapshot snapshotOf(const LocalDatabase &database)
{
    Snapshot s;
    if (const BibItemList *items = database.allItems()) {
        for (const BibItemPtr &item : *items) {
            QStringList fields;
            const auto &edit = item->bibFieldsForEdit();
            for (auto it = edit.begin(); it != edit.end(); ++it) {
                if (it.key() != u"database"_s)
                    fields << it.key() + u'=' + it.value();
            }
            fields.sort();
            s.entries << item->bibType().toUpper() + u' ' + item->bibKey() + u'\n' +
                             fields.join(u'\n');
        }
    }
    if (const MacroList *macros = database.macroList())
        s.macros << macros->databaseMacroStringWithLF(u"\n"_s);
    s.preambles = database.preambleList();
    // A comment block is read with the white space at its ends trimmed.
    for (const QString &comment : database.commentList())
        s.comments << comment.trimmed();
    return s;
}

QByteArray withoutVolatileLines(QByteArray bytes)
{
    static const QRegularExpression volatileLines(
        uR"((last_saved|database_ID) = \{[^}]*\})"_s);
    QString text = QString::fromUtf8(bytes);
    text.replace(volatileLines, u"\\1 = {}"_s);
    return text.toUtf8();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(CorpusSaveRoundTrip, everyCleanFileKeepsItsEntries)
{
    const QString corpus = QStringLiteral(QF_CORPUS_DIR);
    if (!QFileInfo(corpus).isDir())
        GTEST_SKIP() << "no corpus";
    ScriptedAlertPresenter alerts({}, 1);
    QTemporaryDir out;
    const QString only = qEnvironmentVariable("QF_ROUNDTRIP_ONLY");
    QDirIterator it(corpus, {u"*.bib"_s}, QDir::Files, QDirIterator::Subdirectories);
    int tested = 0, skipped = 0;
    QStringList failures;
    while (it.hasNext()) {
        const QString path = it.next();
        if (!only.isEmpty() && !path.contains(only))
            continue;
        auto first = openDatabase(path);
        if (!first || first->readingErrors() || first->readIncomplete()) {
            ++skipped;
            continue;
        }
        ++tested;
        const QString name = QString::number(tested);
        const QString copy = out.filePath(name + u".bib"_s);
        if (!first->saveAsDatabase(copy, {})) {
            failures << path + u": save failed: "_s + DatabaseSaver::lastFailureDetail();
            continue;
        }
        auto second = openDatabase(copy);
        if (!second) {
            failures << path + u": the copy does not open"_s;
            continue;
        }
        const Snapshot a = snapshotOf(*first);
        const Snapshot b = snapshotOf(*second);
        if (a.entries != b.entries) {
            qsizetype i = 0;
            while (i < a.entries.size() && i < b.entries.size() && a.entries[i] == b.entries[i])
                ++i;
            failures << path + u": entry "_s + QString::number(i) + u" differs: "_s +
                            a.entries.value(i).left(300) + u" <> "_s + b.entries.value(i).left(300);
            continue;
        }
        const auto firstDifference = [](const QStringList &x, const QStringList &y) {
            const QString one = x.join(u"\n--\n"_s), two = y.join(u"\n--\n"_s);
            qsizetype i = 0;
            while (i < one.size() && i < two.size() && one[i] == two[i])
                ++i;
            return one.mid(std::max<qsizetype>(0, i - 60), 160) + u" <> "_s +
                   two.mid(std::max<qsizetype>(0, i - 60), 160);
        };
        if (a.macros != b.macros) {
            failures << path + u": macros differ: "_s + firstDifference(a.macros, b.macros);
            continue;
        }
        if (a.preambles != b.preambles) {
            failures << path + u": preambles differ: "_s + firstDifference(a.preambles, b.preambles);
            continue;
        }
        if (a.comments != b.comments) {
            failures << path + u": comments differ: "_s + firstDifference(a.comments, b.comments);
            continue;
        }
        // The copy saved again gives the same bytes but for the volatile lines.
        const QString again = out.filePath(name + u"-again.bib"_s);
        second->setDirty(true);
        if (!DatabaseSaver::saveAsDatabase(*second, again, {})) {
            failures << path + u": second save failed"_s;
            continue;
        }
        const quint32 encoding = second->encoding();
        const QByteArray one = TextEncodings::decode(readAll(copy), encoding).value_or(QString()).toUtf8();
        const QByteArray two = TextEncodings::decode(readAll(again), encoding).value_or(QString()).toUtf8();
        // The description of a copy of a copy names the copy: compare without it.
        static const QRegularExpression description(u"\tdescription = \\{[^\\n]*\\n"_s);
        const QString oneText = QString::fromUtf8(withoutVolatileLines(one)).remove(description);
        const QString twoText = QString::fromUtf8(withoutVolatileLines(two)).remove(description);
        if (oneText != twoText)
            failures << path + u": second save differs"_s;
    }
    std::printf("round trip: %d files tested, %d skipped (reading errors), %lld failed\n", tested,
                skipped, static_cast<long long>(failures.size()));
    for (const QString &failure : failures)
        ADD_FAILURE() << qPrintable(failure);
    if (only.isEmpty()) {
        EXPECT_GT(tested, 100);
    }
}
