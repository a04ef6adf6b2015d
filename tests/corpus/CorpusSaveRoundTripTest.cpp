// Every file of the corpus, reading problems or not, is copied to a temporary
// folder and saved there the ordinary way (the question about a file read
// with loss answered "save"). The saved file must read back with the same
// entries, macros, preambles, comments and kept unread text, and a second
// ordinary save must give the same bytes apart from the time stamp.
#include "CorpusSupport.h"
#include "TestFiles.h"
#include "core/AlertPresenter.h"
#include "core/TextEncodings.h"
#include "model/BibItem.h"
#include "model/MacroList.h"
#include "prefs/BibPreferences.h"
#include "storage/DatabaseSaver.h"
#include "storage/LocalDatabase.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

QByteArray withoutVolatileLines(QByteArray bytes)
{
    static const QRegularExpression volatileLines(uR"((last_saved|database_ID) = \{[^}]*\})"_s);
    QString text = QString::fromUtf8(bytes);
    text.replace(volatileLines, u"\\1 = {}"_s);
    return text.toUtf8();
}

using QfTest::readAll;

bool copyFile(const QString &from, const QString &to)
{
    QFile::remove(to);
    return QFile::copy(from, to) &&
           QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QString firstDifference(const QStringList &x, const QStringList &y)
{
    const QString one = x.join(u"\n--\n"_s), two = y.join(u"\n--\n"_s);
    qsizetype i = 0;
    while (i < one.size() && i < two.size() && one[i] == two[i])
        ++i;
    return one.mid(std::max<qsizetype>(0, i - 60), 160) + u" <> "_s +
           two.mid(std::max<qsizetype>(0, i - 60), 160);
}

} // namespace

TEST(CorpusSaveRoundTrip, everyFileKeepsItsContentThroughAnOrdinarySave)
{
    const QString corpus = QfTest::corpusDir();
    if (!QfTest::hasCorpus())
        GTEST_SKIP() << "no corpus";
    // Answers "save anyway" to the question about a file read with loss.
    ScriptedAlertPresenter alerts({}, 0);
    const int savedBackups = BibPreferences::globalPreferences()->numBackups();
    BibPreferences::globalPreferences()->setNumBackups(0);
    QTemporaryDir out;
    const QString only = qEnvironmentVariable("QF_ROUNDTRIP_ONLY");
    int tested = 0, withProblems = 0;
    QStringList failures;
    for (const QString &path : QfTest::corpusFiles(only)) {
        ++tested;
        const QString name = QString::number(tested);
        const QString copy = out.filePath(name + u".bib"_s);
        if (!copyFile(path, copy)) {
            failures << path + u": cannot copy"_s;
            continue;
        }
        auto first = QfTest::openDatabase(copy);
        if (!first) {
            failures << path + u": does not open"_s;
            continue;
        }
        if (first->readingErrors() || first->readIncomplete())
            ++withProblems;
        const Snapshot a = snapshotOf(*first);
        first->setDirty(true);
        if (!DatabaseSaver::saveDatabase(*first)) {
            failures << path + u": save failed: "_s + DatabaseSaver::lastFailureDetail();
            continue;
        }
        const QByteArray saved = readAll(copy);
        auto second = QfTest::openDatabase(copy);
        if (!second) {
            failures << path + u": the saved file does not open"_s;
            continue;
        }
        const Snapshot b = snapshotOf(*second);
        const auto differs = std::mismatch(a.begin(), a.end(), b.begin()).first;
        if (differs != a.end()) {
            const size_t part = differs - a.begin();
            failures << path + u": "_s + QString::fromUtf8(kParts[part]) + u" differ: "_s +
                            firstDifference(a[part], b[part]);
            continue;
        }
        // Saved again, the file is the same but for the time stamp.
        second->setDirty(true);
        if (!DatabaseSaver::saveDatabase(*second)) {
            failures << path + u": second save failed: "_s + DatabaseSaver::lastFailureDetail();
            continue;
        }
        const auto text = [encoding = second->encoding()](const QByteArray &bytes) {
            return withoutVolatileLines(
                TextEncodings::decode(bytes, encoding).value_or(QString()).toUtf8());
        };
        const QByteArray again = readAll(copy);
        if (text(saved) != text(again) || text(saved).isEmpty())
            failures << path + u": second save differs"_s;
    }
    BibPreferences::globalPreferences()->setNumBackups(savedBackups);
    std::printf("round trip: %d files saved (%d with reading problems), %lld failed\n", tested,
                withProblems, static_cast<long long>(failures.size()));
    for (const QString &failure : failures)
        ADD_FAILURE() << qPrintable(failure);
    if (only.isEmpty()) {
        EXPECT_GT(tested, 1000);
        EXPECT_GT(withProblems, 100);
    }
}
