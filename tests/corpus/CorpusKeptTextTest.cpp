// Every file of the corpus that reads without errors is saved the ordinary
// way with no change: after the settings block the saved text must be the
// file's own text, unchanged. Files with reading errors (whose entries the
// reader renamed or repaired) must still keep every entry the reader left as
// it was. Files above 256 KB are left to the round-trip test.
#include "CorpusSupport.h"
#include "core/AlertPresenter.h"
#include "model/BibItem.h"
#include "storage/DatabaseSaver.h"
#include "storage/KeptText.h"

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

// The text after a settings block at the start (the block and the line
// breaks after it left out); the whole text when there is none.
QString withoutSettingsBlock(QString text)
{
    static const QRegularExpression block(
        u"^\\x{FEFF}?(@COMMENT \\{ Quirefold_Settings,.*?\\n\\})?[\\r\\n]*"_s,
        QRegularExpression::DotMatchesEverythingOption);
    return text.remove(block);
}

} // namespace

TEST(CorpusKeptText, anOrdinarySaveWithoutChangeKeepsTheFilesText)
{
    if (!QfTest::hasCorpus())
        GTEST_SKIP() << "no corpus";
    ScriptedAlertPresenter alerts({}, 1);
    QTemporaryDir out;
    QfTest::CorpusWalk walk;
    int same = 0, withErrors = 0, skipped = 0;
    for (const QString &path : walk.files()) {
        // The large files are read and saved by the round trip already; the
        // 100,000-entry benchmark file covers size.
        if (walk.whole() && QFileInfo(path).size() > (1 << 18)) {
            ++skipped;
            continue;
        }
        const QString copy = out.filePath(QString::number(same + withErrors + skipped) + u".bib"_s);
        auto database = QfTest::copyFile(path, copy) ? QfTest::openDatabase(copy) : nullptr;
        if (!database || database->readIncomplete() || database->encodingChangedOnRead()) {
            ++skipped; // not saved over without asking, or saved in another encoding
            continue;
        }
        const quint32 encoding = database->encoding();
        const std::optional<QString> original = QfTest::decodedFile(copy, encoding);
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
            walk.fail(path, u"not saved: "_s + DatabaseSaver::lastFailureDetail());
            continue;
        }
        const std::optional<QString> saved = QfTest::decodedFile(copy, encoding);
        if (!original || !saved) {
            walk.fail(path, u"does not decode"_s);
            continue;
        }
        const QString before = withoutSettingsBlock(*original);
        const QString after = withoutSettingsBlock(*saved);
        if (clean) {
            ++same;
            if (before != after)
                walk.fail(path, u"differs "_s + QfTest::firstDifference(before, after));
            continue;
        }
        ++withErrors;
        for (const QString &entry : keptEntries) {
            if (!after.contains(entry)) {
                walk.fail(path, u"an entry lost its text: "_s + entry.left(100));
                break;
            }
        }
    }
    std::printf("kept text: %d clean files, %d with reading errors, %d skipped, %lld failed\n",
                same, withErrors, skipped, static_cast<long long>(walk.failures.size()));
    if (walk.whole()) {
        EXPECT_GT(same, 100);
    }
}
