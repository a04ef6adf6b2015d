// Throughput of the value grammar over a generated bibliography: the text is
// cut into blocks the way the file reader does (one normalising stream over the
// whole file, '@' and a block name, then the tokenizer reads the braced body)
// and every entry and macro block is tokenized and grouped.
#include "BenchData.h"

#include "core/StringInputStream.h"
#include "model/BibElement.h"

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

// Reads the name after '@' up to the first character that cannot be part of
// it; answers it upper case.
QString readBlockName(StringInputStream &stream)
{
    QString name;
    for (;;) {
        const QChar c = stream.getChar();
        if (c.isNull())
            return name.toUpper();
        switch (c.unicode()) {
        case u' ':
        case u'\t':
        case u'\n':
        case u'\r':
        case u'{':
        case u'}':
        case u'\\':
        case u'#':
        case u'$':
        case u'%':
        case u'&':
        case u'@':
            stream.ungetChar();
            return name.toUpper();
        default:
            name.append(c);
        }
    }
}

struct Counts
{
    qsizetype fields = 0;
    qsizetype errors = 0;
};

Counts parseAll(const QString &text)
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
        const QString name = readBlockName(stream);
        QList<BibElement> elements = BibElement::getElementsFromStream(stream, error, true);
        if (!error.isNull()) {
            ++counts.errors;
            continue;
        }
        if (name == u"COMMENT" || name == u"PREAMBLE")
            continue;
        const auto fields =
            BibElement::analyzeElements(std::move(elements), error, name != u"STRING");
        if (fields)
            counts.fields += fields->size();
        else
            ++counts.errors;
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
    for (auto _ : state) {
        counts = parseAll(text);
        benchmark::DoNotOptimize(counts);
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
