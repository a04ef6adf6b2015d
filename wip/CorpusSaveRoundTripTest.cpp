// Every file of the corpus that reads without errors is saved to a temporary
// folder, read again and compared entry by entry with the first reading; a
// second save of the copy gives the same bytes apart from the time stamp and
// the database ID.
#include "core/AlertPresenter.h"
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
    s.comments = database.commentList();
    return s;
}

QByteArray withoutVolatileLines(QByteArray bytes)
{
    static const QRegularExpression volatileLines(
        uR"((last_saved|database_ID) = \{[^}]*\})"_s);
    QString text = QString::fromLatin1(bytes);
    text.replace(volatileLines, u"\\1 = {}"_s);
    return text.toLatin1();
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
    QDirIterator it(corpus, {u"*.bib"_s}, QDir::Files, QDirIterator::Subdirectories);
    int tested = 0, skipped = 0;
    QStringList failures;
    while (it.hasNext()) {
        const QString path = it.next();
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
        if (a.macros != b.macros || a.preambles != b.preambles || a.comments != b.comments) {
            failures << path + u": macros, preambles or comments differ"_s;
            continue;
        }
        // The copy saved again gives the same bytes but for the volatile lines.
        const QString again = out.filePath(name + u"-again.bib"_s);
        second->setDirty(true);
        QVariantMap options = second->defaultSaveOptions();
        if (!DatabaseSaver::saveAsDatabase(*second, again, {})) {
            failures << path + u": second save failed"_s;
            continue;
        }
        QByteArray one = readAll(copy), two = readAll(again);
        // The description of a copy of a copy names the copy: compare without it.
        static const QRegularExpression description(u"\tdescription = \\{[^\\n]*\\n"_s);
        QString oneText = QString::fromLatin1(withoutVolatileLines(one)).remove(description);
        QString twoText = QString::fromLatin1(withoutVolatileLines(two)).remove(description);
        if (oneText != twoText)
            failures << path + u": second save differs"_s;
    }
    std::printf("round trip: %d files tested, %d skipped (reading errors), %lld failed\n", tested,
                skipped, static_cast<long long>(failures.size()));
    for (const QString &failure : failures)
        ADD_FAILURE() << qPrintable(failure);
    EXPECT_GT(tested, 100);
}
