// Smart libraries over 100,000 entries: a code-0 library with three conditions
// collecting a database as it opens and following one entry change, and the
// duplicate search. The entries come from the generated benchmark file when
// $QF_BENCH_DATA holds it, otherwise from a synthetic set built in memory.
#include "BenchData.h"

#include "core/StringInputStream.h"
#include "model/BibItem.h"
#include "model/SmartSearchCondition.h"
#include "prefs/BibPreferences.h"
#include "storage/DatabaseGroup.h"
#include "storage/LoadingCoordinator.h"
#include "storage/LocalDatabase.h"
#include "storage/SmartLibrary.h"
#include "tex/TeXtoText.h"

#include <QFileInfo>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kEntries = 100000;

std::unique_ptr<LocalDatabase> syntheticDatabase()
{
    auto database = std::make_unique<LocalDatabase>();
    static const QStringList words = {u"graph"_s,   u"theory"_s,   u"neural"_s, u"methods"_s,
                                      u"the"_s,     u"analysis"_s, u"of"_s,     u"random"_s,
                                      u"systems"_s, u"learning"_s};
    for (int i = 0; i < kEntries; ++i) {
        const QString title =
            words[i % 10] + u' ' + words[(i / 10) % 10] + u' ' + words[(i / 100) % 10];
        const QString lines =
            u"author = {Author%1, A. and Other%2, B.}, title = {%3}, journal = {J%4}, "
            u"year = %5, pages = {%6--%7}"_s.arg(i % 5000)
                .arg(i % 777)
                .arg(title)
                .arg(i % 50)
                .arg(1950 + i % 70)
                .arg(i % 300)
                .arg(i % 300 + 10);
        BibItem::FieldElements fields;
        BibItem::checkRawValidity(lines, fields);
        auto item = BibItem::bibItemOfType(i % 4 ? u"article"_s : u"book"_s, u"key%1"_s.arg(i),
                                           fields, database.get());
        item->expandWithMacro(nullptr);
        database->appendBibItem(item);
    }
    return database;
}

// One tree with the 100,000 entries open, made once.
struct BenchTree
{
    BenchTree()
    {
        StringInputStream::setupCharacterSets();
        TeXtoText::createGlobalObject();
        if (!BibPreferences::globalPreferences())
            BibPreferences::createGlobalObject();
        const QString path = benchDataPath(kEntries);
        std::unique_ptr<LocalDatabase> loaded;
        if (!path.isEmpty() && QFileInfo::exists(path)) {
            loaded = LocalDatabase::localDatabaseWithFile(path, false);
            if (loaded) {
                loaded->startLoading();
                loaded->waitForLoading();
                loaded->setWaitingStatus(0);
            }
        }
        if (!loaded)
            loaded = syntheticDatabase();
        database = static_cast<LocalDatabase *>(
            coordinator.databaseNode()->insertChild(std::move(loaded), -1));
    }

    LoadingCoordinator coordinator;
    LocalDatabase *database = nullptr;
};

BenchTree &benchTree()
{
    static BenchTree tree;
    return tree;
}

std::unique_ptr<SmartLibrary> threeConditionLibrary()
{
    auto library = SmartLibrary::smartLibraryWithName(u"Bench"_s);
    library->smartProperties().setUpdateCondition(0);
    library->smartProperties().setSearchConditions({SmartSearchCondition::conditionWith(14, 1, u"the"_s, false),
                                                    SmartSearchCondition::conditionWith(20, 20, u"1980"_s, false),
                                                    SmartSearchCondition::conditionWith(1, 3, u"zzzz"_s, false)});
    return library;
}

void BM_SmartLibraryCollect(benchmark::State &state)
{
    BenchTree &tree = benchTree();
    std::size_t collected = 0;
    for (auto _ : state) {
        auto *library = static_cast<SmartLibrary *>(
            tree.coordinator.rootNode()->insertChild(threeConditionLibrary(), -1));
        library->databaseOpened(tree.database);
        library->waitForMerging();
        collected = library->itemsSnapshot().size();
        state.PauseTiming();
        tree.coordinator.rootNode()->removeChild(library);
        state.ResumeTiming();
    }
    state.counters["entries"] = static_cast<double>(tree.database->numItems());
    state.counters["collected"] = static_cast<double>(collected);
}
BENCHMARK(BM_SmartLibraryCollect)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SmartLibraryFollowChange(benchmark::State &state)
{
    BenchTree &tree = benchTree();
    auto *library = static_cast<SmartLibrary *>(
        tree.coordinator.rootNode()->insertChild(threeConditionLibrary(), -1));
    library->databaseOpened(tree.database);
    library->waitForMerging();
    // An entry in the middle of the list, edited in and out of the library.
    BibItemPtr item;
    const BibItemList shown = library->itemsSnapshot();
    item = shown.at(shown.size() / 2);
    bool matching = true;
    for (auto _ : state) {
        state.PauseTiming();
        item->setFieldData(matching ? u"Graph colouring"_s : u"The graph colouring"_s, u"title"_s);
        item->fixChanged();
        matching = !matching;
        state.ResumeTiming();
        benchmark::DoNotOptimize(tree.coordinator.rootNode()->bibItemChanged(item));
    }
    tree.coordinator.rootNode()->removeChild(library);
}
BENCHMARK(BM_SmartLibraryFollowChange)->Unit(benchmark::kMicrosecond)->Iterations(200);

void BM_DuplicateSearch(benchmark::State &state)
{
    BenchTree &tree = benchTree();
    std::size_t groups = 0;
    for (auto _ : state) {
        auto *library = static_cast<SmartLibrary *>(
            tree.coordinator.rootNode()->insertChild(SmartLibrary::smartLibraryForDupSearch(), -1));
        library->updateSmartLibrary(tree.coordinator.databaseNode());
        library->waitForMerging();
        groups = library->identicalGroups().size();
        state.PauseTiming();
        tree.coordinator.rootNode()->removeChild(library);
        state.ResumeTiming();
    }
    state.counters["groups"] = static_cast<double>(groups);
}
BENCHMARK(BM_DuplicateSearch)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
