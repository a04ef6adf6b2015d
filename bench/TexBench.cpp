// Converting field values to display text, as every value of a file is
// converted when the file loads.
#include "BenchData.h"
#include "tex/TeXtoHTML.h"
#include "tex/TeXtoText.h"

#include <QRegularExpression>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// The braced and quoted values of the generated 10,000-entry file, taken
// line by line with a pattern rather than a parser.
const std::vector<QString> &fieldValues()
{
    static const std::vector<QString> values = [] {
        std::vector<QString> found;
        const QString text = QString::fromUtf8(benchDataBytes(10000));
        static const QRegularExpression pattern(
            QStringLiteral(R"re(^\s*\w[\w-]*\s*=\s*(?:\{(.*)\}|"(.*)")\s*,?\s*$)re"),
            QRegularExpression::MultilineOption);
        auto matches = pattern.globalMatch(text);
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            found.push_back(match.hasCaptured(1) ? match.captured(1) : match.captured(2));
        }
        return found;
    }();
    return values;
}

template<typename Converter> void convertValues(benchmark::State &state)
{
    const std::vector<QString> &values = fieldValues();
    if (values.empty()) {
        state.SkipWithError("no benchmark data: run scripts/bench");
        return;
    }
    Converter::createGlobalObject();
    qsizetype characters = 0;
    for (auto _ : state) {
        for (const QString &value : values) {
            QString converted = Converter::convertString(value);
            characters += converted.size();
            benchmark::DoNotOptimize(converted);
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(values.size()));
    state.counters["values"] = double(values.size());
    benchmark::DoNotOptimize(characters);
}

void BM_TeXtoText_FieldValues(benchmark::State &state)
{
    convertValues<TeXtoText>(state);
}

void BM_TeXtoHTML_FieldValues(benchmark::State &state)
{
    convertValues<TeXtoHTML>(state);
}

} // namespace

BENCHMARK(BM_TeXtoText_FieldValues)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TeXtoHTML_FieldValues)->Unit(benchmark::kMillisecond);
