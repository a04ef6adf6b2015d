// Throughput of the value grammar over a generated bibliography: the text is
// cut into blocks the way the file reader does (one normalising stream over the
// whole file, '@' and a block name, then the tokenizer reads the braced body)
// and every entry and macro block is tokenized and grouped.
#include "BenchData.h"

#include "core/StringInputStream.h"
#include "model/BibElement.h"
#include "storage/BibFileReader.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <iterator>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

enum class Block
{
    Entry,
    String,
    Comment,
    Preamble
};

Block blockOf(QStringView view);

// Reads the name after '@' up to the first character that cannot be part of
// it, and tells which kind of block it opens.
Block readBlockName(StringInputStream &stream)
{
    char16_t name[16];
    qsizetype length = 0;
    for (QChar c = stream.getChar(); !c.isNull(); c = stream.getChar()) {
        if (BibFileReader::endsBlockName(c)) {
            stream.ungetChar();
            break;
        }
        if (length < qsizetype(std::size(name)))
            name[length] = c.unicode();
        ++length;
    }
    return blockOf(QStringView(name, std::min(length, qsizetype(std::size(name)))));
}

Block blockOf(QStringView view)
{
    if (view.compare(u"string", Qt::CaseInsensitive) == 0)
        return Block::String;
    if (view.compare(u"comment", Qt::CaseInsensitive) == 0)
        return Block::Comment;
    if (view.compare(u"preamble", Qt::CaseInsensitive) == 0)
        return Block::Preamble;
    return Block::Entry;
}

struct Counts
{
    qsizetype fields = 0;
    qsizetype errors = 0;
};

// Reads every block of `text`; the grouped blocks go to `kept`, as a reader
// keeps them in its entries.
[[gnu::noinline]] Counts parseAll(const QString &text, std::vector<BibFieldDictionary> &kept)
{
    Counts counts;
    StringInputStream stream(text);
    stream.setSpacesToASpace(true);
    stream.setYenToBackslash(true);
    QString error;
    for (;;) {
        QChar c = stream.getChar();
        while (!c.isNull() && c != u'@')
            c = stream.getChar();
        if (c.isNull())
            break;
        const Block block = readBlockName(stream);
        QList<BibElement> elements = BibElement::getElementsFromStream(stream, error, true);
        if (!error.isNull()) {
            ++counts.errors;
            continue;
        }
        if (block == Block::Comment || block == Block::Preamble)
            continue;
        const auto fields =
            BibElement::analyzeElements(std::move(elements), error, block == Block::Entry);
        if (fields) {
            counts.fields += fields->size();
            kept.push_back(std::move(*fields));
        } else {
            ++counts.errors;
        }
    }
    return counts;
}

void BM_GrammarTokenizeAndGroup(benchmark::State &state)
{
    const QByteArray bytes = benchDataBytes(int(state.range(0)));
    if (bytes.isEmpty()) {
        state.SkipWithError("no benchmark data: run scripts/bench");
        return;
    }
    const QString text = QString::fromUtf8(bytes);
    StringInputStream::setupCharacterSets();
    Counts counts;
    std::vector<BibFieldDictionary> kept;
    for (auto _ : state) {
        kept.reserve(20000);
        counts = parseAll(text, kept);
        benchmark::DoNotOptimize(counts);
        // Freeing the entries is the business of whoever closes the file.
        state.PauseTiming();
        kept.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["fields"] = double(counts.fields);
    state.counters["errors"] = double(counts.errors);
}
BENCHMARK(BM_GrammarTokenizeAndGroup)->Arg(10000)->Unit(benchmark::kMillisecond);

// For comparison: a plain scan that only counts brace depth over the same text.
void BM_GrammarBraceScanBaseline(benchmark::State &state)
{
    const QByteArray bytes = benchDataBytes(int(state.range(0)));
    if (bytes.isEmpty()) {
        state.SkipWithError("no benchmark data: run scripts/bench");
        return;
    }
    const QString text = QString::fromUtf8(bytes);
    for (auto _ : state) {
        int depth = 0;
        int blocks = 0;
        for (const QChar c : text) {
            if (c == u'{') {
                ++depth;
            } else if (c == u'}') {
                if (--depth == 0)
                    ++blocks;
            }
        }
        benchmark::DoNotOptimize(blocks);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_GrammarBraceScanBaseline)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
