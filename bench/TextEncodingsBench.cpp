// Decoding and encoding a whole generated .bib file, as the reader and the
// writer do, in UTF-8 and in Shift-JIS (where accented Latin text takes the
// lossy path).
#include "BenchData.h"

#include "core/TextEncodings.h"

#include <benchmark/benchmark.h>

namespace {

void decodeUtf8(benchmark::State &state)
{
    const QByteArray bytes = benchDataBytes(int(state.range(0)));
    if (bytes.isEmpty()) {
        state.SkipWithError("no benchmark data (run scripts/bench)");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(TextEncodings::decode(bytes, TextEncodings::UTF8));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(decodeUtf8)->Arg(10000)->Unit(benchmark::kMillisecond);

void encodeShiftJisLossy(benchmark::State &state)
{
    const std::optional<QString> text =
        TextEncodings::decode(benchDataBytes(int(state.range(0))), TextEncodings::UTF8);
    if (!text || text->isEmpty()) {
        state.SkipWithError("no benchmark data (run scripts/bench)");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(TextEncodings::encode(*text, TextEncodings::ShiftJIS));
    state.SetBytesProcessed(state.iterations() * text->size() * 2);
}
BENCHMARK(encodeShiftJisLossy)->Arg(10000)->Unit(benchmark::kMillisecond);

void decodeShiftJis(benchmark::State &state)
{
    const std::optional<QString> text =
        TextEncodings::decode(benchDataBytes(int(state.range(0))), TextEncodings::UTF8);
    if (!text || text->isEmpty()) {
        state.SkipWithError("no benchmark data (run scripts/bench)");
        return;
    }
    const QByteArray bytes = TextEncodings::encode(*text, TextEncodings::ShiftJIS);
    for (auto _ : state)
        benchmark::DoNotOptimize(TextEncodings::decode(bytes, TextEncodings::ShiftJIS));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(decodeShiftJis)->Arg(10000)->Unit(benchmark::kMillisecond);

void lossyAscii(benchmark::State &state)
{
    const QString name = QStringLiteral("Gödel, Kurt and Erdős, Paul and Łukasiewicz, Jan");
    for (auto _ : state)
        benchmark::DoNotOptimize(TextEncodings::lossyAsciiString(name));
}
BENCHMARK(lossyAscii);

} // namespace
