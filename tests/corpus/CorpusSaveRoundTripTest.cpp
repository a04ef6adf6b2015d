// Every file of the corpus, reading problems or not, is copied to a temporary
// folder and saved there the ordinary way (the question about a file read
// with loss answered "save"). The saved file must read back with the same
// entries, macros, preambles, comments and kept unread text, and a second
// ordinary save must give the same bytes apart from the time stamp.
#include "CorpusSupport.h"
#include "core/AlertPresenter.h"
#include "model/BibItem.h"
#include "model/MacroList.h"
#include "prefs/BibPreferences.h"
#include "storage/DatabaseSaver.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

// Entries, macros, preambles, comments and kept unread text, in that order.
using Snapshot = std::array<QStringList, 5>;
const char *const kParts[] = {"entries", "macros", "preambles", "comments", "kept text"};

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
            s[0] << item->bibType().toUpper() + u' ' + item->bibKey() + u'\n' + fields.join(u'\n');
        }
    }
    if (const MacroList *macros = database.macroList())
        s[1] << macros->databaseMacroStringWithLF(u"\n"_s);
    s[2] = database.preambleList();
    // A comment block is read with the white space at its ends trimmed.
    for (const QString &comment : database.commentList())
        s[3] << comment.trimmed();
    s[4] = database.unreadTextList();
    return s;
}

// The text of a saved file without its time stamp and database identity.
QString withoutVolatileLines(const std::optional<QString> &text)
{
    static const QRegularExpression volatileLines(uR"((last_saved|database_ID) = \{[^}]*\})"_s);
    return text.value_or(QString()).replace(volatileLines, u"\\1 = {}"_s);
}

} // namespace

TEST(CorpusSaveRoundTrip, everyFileKeepsItsContentThroughAnOrdinarySave)
{
    if (!QfTest::hasCorpus())
        GTEST_SKIP() << "no corpus";
    // Answers "save anyway" to the question about a file read with loss.
    ScriptedAlertPresenter alerts({}, 0);
    const int savedBackups = BibPreferences::globalPreferences()->numBackups();
    BibPreferences::globalPreferences()->setNumBackups(0);
    QTemporaryDir out;
    QfTest::CorpusWalk walk;
    int tested = 0, withProblems = 0;
    for (const QString &path : walk.files()) {
        const QString copy = out.filePath(QString::number(++tested) + u".bib"_s);
        auto first = QfTest::copyFile(path, copy) ? QfTest::openDatabase(copy) : nullptr;
        if (!first) {
            walk.fail(path, u"does not open"_s);
            continue;
        }
        withProblems += first->readingErrors() || first->readIncomplete();
        const Snapshot a = snapshotOf(*first);
        first->setDirty(true);
        if (!DatabaseSaver::saveDatabase(*first)) {
            walk.fail(path, u"save failed: "_s + DatabaseSaver::lastFailureDetail());
            continue;
        }
        const quint32 encoding = first->encoding();
        const QString saved = withoutVolatileLines(QfTest::decodedFile(copy, encoding));
        auto second = QfTest::openDatabase(copy);
        if (!second) {
            walk.fail(path, u"the saved file does not open"_s);
            continue;
        }
        const Snapshot b = snapshotOf(*second);
        const auto differs = std::mismatch(a.begin(), a.end(), b.begin()).first;
        if (differs != a.end()) {
            const size_t part = differs - a.begin();
            walk.fail(path, QString::fromUtf8(kParts[part]) + u" differ "_s +
                                QfTest::firstDifference(a[part].join(u"\n--\n"_s),
                                                        b[part].join(u"\n--\n"_s)));
            continue;
        }
        // Saved again, the file is the same but for the time stamp.
        second->setDirty(true);
        if (!DatabaseSaver::saveDatabase(*second))
            walk.fail(path, u"second save failed: "_s + DatabaseSaver::lastFailureDetail());
        else if (saved.isEmpty() ||
                 saved != withoutVolatileLines(QfTest::decodedFile(copy, encoding)))
            walk.fail(path, u"second save differs"_s);
    }
    BibPreferences::globalPreferences()->setNumBackups(savedBackups);
    std::printf("round trip: %d files saved (%d with reading problems), %lld failed\n", tested,
                withProblems, static_cast<long long>(walk.failures.size()));
    if (walk.whole()) {
        EXPECT_GT(tested, 1000);
        EXPECT_GT(withProblems, 100);
    }
}
