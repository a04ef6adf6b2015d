// Every file of the corpus that reads without errors is saved the ordinary
// way with no change: after the settings block the saved text must be the
// file's own text, unchanged. Files with reading errors (whose entries the
// reader renamed or repaired) must still keep every entry the reader left as
// it was. Files above 256 KB are left to the round-trip test.
#include "CorpusSupport.h"
#include "TestFiles.h"
#include "core/AlertPresenter.h"
#include "core/TextEncodings.h"
#include "model/BibItem.h"
#include "storage/DatabaseSaver.h"
#include "storage/KeptText.h"
#include "storage/LocalDatabase.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using QfTest::openDatabase;
using QfTest::readAll;

// The text after a settings block at the start (the block and the line
// breaks after it left out); the whole text when there is none.
QString withoutSettingsBlock(QString text)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (text.startsWith(u"@COMMENT { Quirefold_Settings,"_s)) {
        const qsizetype end = text.indexOf(u"\n}"_s);
        text.remove(0, end < 0 ? text.size() : end + 2);
    }
    qsizetype start = 0;
    while (start < text.size() && (text[start] == u'\n' || text[start] == u'\r'))
        ++start;
    return text.mid(start);
}

} // namespace

TEST(CorpusKeptText, anOrdinarySaveWithoutChangeKeepsTheFilesText)
{
    if (!QfTest::hasCorpus())
        GTEST_SKIP() << "no corpus";
    ScriptedAlertPresenter alerts({}, 1);
    QTemporaryDir out;
    const QString only = qEnvironmentVariable("QF_ROUNDTRIP_ONLY");
    int same = 0, withErrors = 0, skipped = 0;
    QStringList failures;
    for (const QString &path : QfTest::corpusFiles(only)) {
        // The large files are read and saved by the round trip already; the
        // 100,000-entry benchmark file covers size.
        if (only.isEmpty() && QFileInfo(path).size() > (1 << 18)) {
            ++skipped;
            continue;
        }
        const QString copy = out.filePath(QString::number(same + withErrors + skipped) + u".bib"_s);
        QFile::remove(copy);
        auto database = QFile::copy(path, copy) ? openDatabase(copy) : nullptr;
        if (!database || database->readIncomplete() || database->encodingChangedOnRead()) {
            ++skipped; // not saved over without asking, or saved in another encoding
            continue;
        }
        const quint32 encoding = database->encoding();
        const std::optional<QString> original = TextEncodings::decode(readAll(copy), encoding);
        // The entries the reader left as they were, with their text.
        QStringList keptEntries;
        if (const KeptText *kept = database->keptText()) {
            for (const KeptText::Block &block : kept->blocks()) {
                const auto item = block.item.lock();
                if (item && !item->isChangedSinceRead())
                    keptEntries << kept->textOf(block);
            }
        }
        const bool clean = !database->readingErrors().has_value();
        database->setDirty(true);
        if (!database->saveDatabase()) {
            failures << path + u": not saved: "_s + DatabaseSaver::lastFailureDetail();
            continue;
        }
        const std::optional<QString> saved = TextEncodings::decode(readAll(copy), encoding);
        if (!original || !saved) {
            failures << path + u": does not decode"_s;
            continue;
        }
        const QString before = withoutSettingsBlock(*original);
        const QString after = withoutSettingsBlock(*saved);
        if (clean) {
            ++same;
            if (before != after) {
                qsizetype i = 0;
                while (i < before.size() && i < after.size() && before[i] == after[i])
                    ++i;
                failures << path + u": differs at "_s + QString::number(i) + u": "_s +
                                before.mid(std::max<qsizetype>(0, i - 40), 100) + u" <> "_s +
                                after.mid(std::max<qsizetype>(0, i - 40), 100);
            }
            continue;
        }
        ++withErrors;
        for (const QString &entry : keptEntries) {
            if (!after.contains(entry)) {
                failures << path + u": an entry lost its text: "_s + entry.left(100);
                break;
            }
        }
    }
    std::printf("kept text: %d clean files, %d with reading errors, %d skipped, %lld failed\n",
                same, withErrors, skipped, static_cast<long long>(failures.size()));
    for (const QString &failure : failures)
        ADD_FAILURE() << qPrintable(failure);
    if (only.isEmpty()) {
        EXPECT_GT(same, 100);
    }
}
