// Loading a .bib file the way the window does: a LocalDatabase reads it on its
// loading thread (encoding, blocks, entries with their display forms, macros,
// author index). The figures of `quirefold-cli check` add process start-up.
#include "BenchData.h"

#include "storage/LocalDatabase.h"

#include <benchmark/benchmark.h>

namespace {

void loadFile(benchmark::State &state, int entries)
{
    const QString path = benchDataPath(entries);
    if (path.isEmpty() || !QFile::exists(path)) {
        state.SkipWithError("no benchmark data (run scripts/bench)");
        return;
    }
    for (auto _ : state) {
        auto database = LocalDatabase::localDatabaseWithFile(path, false);
        database->startLoading();
        database->waitForLoading();
        database->setWaitingStatus(0);
        benchmark::DoNotOptimize(database->numItems());
    }
    state.SetItemsProcessed(state.iterations() * entries);
}

void BM_LoadBib10k(benchmark::State &state)
{
    loadFile(state, 10000);
}
BENCHMARK(BM_LoadBib10k)->Unit(benchmark::kMillisecond);

void BM_LoadBib100k(benchmark::State &state)
{
    loadFile(state, 100000);
}
BENCHMARK(BM_LoadBib100k)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
