#include "storage/KeptText.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// The text as UTF-8 and the offsets at which a character starts (and its end).
std::vector<qsizetype> characterStarts(const QByteArray &utf8)
{
    std::vector<qsizetype> starts;
    for (qsizetype i = 0; i <= utf8.size(); ++i) {
        if (i == utf8.size() || (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    }
    return starts;
}

KeptText::Block blockAt(qsizetype begin, qsizetype end)
{
    KeptText::Block block;
    block.begin = static_cast<quint32>(begin);
    block.end = static_cast<quint32>(end);
    return block;
}

} // namespace

TEST(KeptText, everyRangeReadsBackAcrossChunkBoundaries)
{
    struct Row
    {
        const char *name;
        QString text;
    };
    const Row rows[] = {
        {"ASCII", u"@misc{a, note = {n}}\n@misc{b}\n"_s},
        {"two-byte letters", u"@misc{é, title = {Ångström über Łódź}}\n"_s},
        {"Japanese", u"@misc{k, title = {日本語の題名}, yomi = {にほんご}}\r\n"_s},
        {"surrogate pairs on every cut", u"𝔄𝔅ℭ𝔇𝔈𝔉x𝔊😀😀"_s},
    };
    // The settings block before the kept text is left out.
    const QString settings = u"@COMMENT{ Quirefold_Settings, x }\n"_s;
    for (const Row &row : rows) {
        for (const qsizetype chunkUnits : {2, 3, 7, 1 << 17}) {
            const QString text = settings + row.text;
            // Blocks at every line start, in the decoded text's positions.
            std::vector<KeptText::Block> blocks;
            for (qsizetype at = settings.size(); at < text.size();) {
                const qsizetype line = text.indexOf(u'\n', at);
                const qsizetype end = line < 0 ? text.size() : line;
                blocks.push_back(blockAt(at, end));
                at = end + 1;
            }
            const auto kept =
                KeptText::build(text, settings.size(), text.size(), blocks, chunkUnits);
            ASSERT_TRUE(kept) << row.name;
            const QByteArray utf8 = row.text.toUtf8();
            ASSERT_EQ(kept->textSize(), utf8.size()) << row.name;
            const std::vector<qsizetype> starts = characterStarts(utf8);
            for (const qsizetype begin : starts) {
                for (const qsizetype end : starts) {
                    if (end < begin)
                        continue;
                    ASSERT_EQ(kept->textAt(begin, end),
                              QString::fromUtf8(utf8.mid(begin, end - begin)))
                        << row.name << " chunk " << chunkUnits << " from " << begin << " to "
                        << end;
                }
            }
            // Each block's text and the text after it, together the whole text.
            QString joined = kept->lead();
            for (size_t k = 0; k < kept->blocks().size(); ++k) {
                const qsizetype begin = blocks[k].begin;
                EXPECT_EQ(kept->textOf(kept->blocks()[k]), text.mid(begin, blocks[k].end - begin))
                    << row.name;
                joined += kept->textOf(kept->blocks()[k]) + kept->gapOf(kept->blocks()[k]);
            }
            EXPECT_EQ(joined, row.text) << row.name << " chunk " << chunkUnits;
        }
    }
}

TEST(KeptText, anEmptyTextAndTwoTextsReadInTurn)
{
    const QString settings = u"@COMMENT{ Quirefold_Settings, x }"_s;
    const auto empty = KeptText::build(settings, settings.size(), settings.size(),
                                       {blockAt(settings.size(), settings.size())});
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->textSize(), 0);
    EXPECT_EQ(empty->textOf(empty->blocks().front()) + empty->textAt(0, 10), QString());
    // One thread's cache of the last chunk tells the texts apart.
    const QString one = u"@misc{a, note = {first text}}"_s;
    const QString two = u"@misc{b, note = {other text}}"_s;
    const auto first = KeptText::build(one, 0, one.size(), {}, 8);
    const auto second = KeptText::build(two, 0, two.size(), {}, 8);
    for (int turn = 0; turn < 2; ++turn)
        EXPECT_EQ(first->textAt(0, 8) + second->textAt(0, 8), one.left(8) + two.left(8));
}

TEST(KeptText, threadsReadingAtOnceEachGetTheirText)
{
    QString text;
    std::vector<KeptText::Block> blocks;
    for (int k = 0; k < 400; ++k) {
        blocks.push_back(blockAt(text.size(), text.size()));
        text += u"@misc{k%1, title = {題名 %1 — ü}}\n"_s.arg(k);
        blocks.back().end = static_cast<quint32>(text.size());
    }
    const auto kept = KeptText::build(text, 0, text.size(), blocks, 100);
    ASSERT_TRUE(kept);
    // Forwards and backwards, so that the threads' chunks differ.
    std::vector<QStringList> results(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([&kept, &out = results[t], backwards = t % 2 == 1] {
            const std::vector<KeptText::Block> &read = kept->blocks();
            for (size_t i = 0; i < read.size(); ++i)
                out += kept->textOf(read[backwards ? read.size() - 1 - i : i]);
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (size_t t = 0; t < results.size(); ++t) {
        if (t % 2 == 1)
            std::reverse(results[t].begin(), results[t].end());
        EXPECT_EQ(results[t].join(QString()), text) << t;
    }
}
