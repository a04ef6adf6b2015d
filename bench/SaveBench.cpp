// Saving a generated database: the text and bytes of the file, and the whole
// verified save-as (temporary file, read back, entries compared, rename).
#include "BenchData.h"
#include "OpenedDatabase.h"

#include "core/AlertPresenter.h"
#include "storage/DatabaseSaver.h"
#include "storage/LocalDatabase.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

std::unique_ptr<LocalDatabase> openBenchDatabase(int entries)
{
    const QString path = benchDataPath(entries);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return nullptr;
    return openDatabase(path);
}

void BM_MakeContentsData(benchmark::State &state)
{
    auto database = openBenchDatabase(static_cast<int>(state.range(0)));
    if (!database) {
        state.SkipWithError("no bench data");
        return;
    }
    const QVariantMap options = database->defaultSaveOptions();
    for (auto _ : state)
        benchmark::DoNotOptimize(DatabaseSaver::makeContentsData(*database, options));
}

void BM_VerifiedSaveAs(benchmark::State &state)
{
    auto database = openBenchDatabase(static_cast<int>(state.range(0)));
    if (!database) {
        state.SkipWithError("no bench data");
        return;
    }
    ScriptedAlertPresenter alerts;
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.bib"));
    for (auto _ : state) {
        if (!DatabaseSaver::saveAsDatabase(*database, out, {}))
            state.SkipWithError("save failed");
    }
}

} // namespace

BENCHMARK(BM_MakeContentsData)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VerifiedSaveAs)->Arg(10000)->Unit(benchmark::kMillisecond);
