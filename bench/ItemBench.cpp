// Building entries: parse each entry of the generated file, make the item (edit
// form), expand it (display form, name lists, list cells). Reports items per
// second and the resident memory each built item holds.
#include "BenchData.h"

#include "core/StringInputStream.h"
#include "model/BibElement.h"
#include "model/BibItem.h"
#include "model/MacroList.h"
#include "prefs/BibPreferences.h"
#include "tex/TeXtoText.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Block
{
    QString type; // lower case
    QString body; // from the opening brace on
};

// The "@type{...}" blocks of a file, cut at each "@" that starts a line.
std::vector<Block> blocksOf(const QString &text)
{
    std::vector<Block> blocks;
    qsizetype at = text.startsWith(u'@') ? 0 : text.indexOf(u"\n@"_s);
    while (at >= 0) {
        if (text.at(at) == u'\n')
            ++at;
        const qsizetype next = text.indexOf(u"\n@"_s, at);
        const qsizetype brace = text.indexOf(u'{', at);
        if (brace < 0)
            break;
        const qsizetype end = next < 0 ? text.size() : next;
        if (brace < end)
            blocks.push_back({text.mid(at + 1, brace - at - 1).trimmed().toLower(),
                              text.mid(brace, end - brace)});
        at = next;
    }
    return blocks;
}

std::optional<BibFieldDictionary> parseBlock(const QString &body, bool needsKey)
{
    StringInputStream stream(body);
    stream.setSpacesToASpace(true);
    stream.setYenToBackslash(true);
    QString error;
    const QList<BibElement> elements = BibElement::getElementsFromStream(stream, error, true);
    if (!error.isEmpty())
        return std::nullopt;
    return BibElement::analyzeElements(elements, error, needsKey);
}

std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

struct Input
{
    std::vector<Block> entries;
    MacroList macros;
};

const Input *loadInput()
{
    static const std::unique_ptr<Input> input = [] {
        const QByteArray bytes = benchDataBytes(10000);
        if (bytes.isEmpty())
            return std::unique_ptr<Input>();
        StringInputStream::setupCharacterSets();
        TeXtoText::createGlobalObject();
        if (!BibPreferences::globalPreferences())
            BibPreferences::createGlobalObject();
        auto result = std::make_unique<Input>();
        for (Block &block : blocksOf(QString::fromUtf8(bytes))) {
            if (block.type == u"string") {
                if (std::optional<BibFieldDictionary> macro = parseBlock(block.body, false)) {
                    QString renamed;
                    result->macros.appendMacroWithDictionary(*macro, renamed);
                }
            } else if (block.type != u"comment" && block.type != u"preamble") {
                result->entries.push_back(std::move(block));
            }
        }
        return result;
    }();
    return input.get();
}

std::vector<std::shared_ptr<BibItem>> buildItems(const Input &input)
{
    std::vector<std::shared_ptr<BibItem>> items;
    items.reserve(input.entries.size());
    for (const Block &entry : input.entries) {
        std::optional<BibFieldDictionary> fields = parseBlock(entry.body, true);
        if (!fields)
            continue;
        const QString key = fields->value(u"bibkey"_s).value(0).stringValue();
        auto item = BibItem::bibItemOfType(entry.type.toUpper(), key, std::move(*fields), nullptr);
        item->expandWithMacro(&input.macros);
        items.push_back(std::move(item));
    }
    return items;
}

void BM_BuildAndExpandItems(benchmark::State &state)
{
    const Input *input = loadInput();
    if (!input) {
        state.SkipWithError("no benchmark data (run scripts/bench)");
        return;
    }
    std::size_t built = 0;
    for (auto _ : state) {
        std::vector<std::shared_ptr<BibItem>> items = buildItems(*input);
        built += items.size();
        benchmark::DoNotOptimize(items.data());
    }
    state.counters["items/s"] = benchmark::Counter(double(built), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BuildAndExpandItems)->Unit(benchmark::kMillisecond);

// The parts: parsing alone, and making the items from parsed fields without
// and with expanding them.
void BM_ParseEntries(benchmark::State &state)
{
    const Input *input = loadInput();
    if (!input) {
        state.SkipWithError("no benchmark data (run scripts/bench)");
        return;
    }
    for (auto _ : state) {
        for (const Block &entry : input->entries)
            benchmark::DoNotOptimize(parseBlock(entry.body, true));
    }
    state.counters["items/s"] = benchmark::Counter(
        double(input->entries.size() * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParseEntries)->Unit(benchmark::kMillisecond);

void BM_MakeItems(benchmark::State &state)
{
    const Input *input = loadInput();
    if (!input) {
        state.SkipWithError("no benchmark data (run scripts/bench)");
        return;
    }
    std::vector<BibFieldDictionary> parsed;
    for (const Block &entry : input->entries)
        parsed.push_back(parseBlock(entry.body, true).value_or(BibFieldDictionary()));
    const bool expand = state.range(0) != 0;
    for (auto _ : state) {
        std::vector<std::shared_ptr<BibItem>> items;
        items.reserve(parsed.size());
        for (const BibFieldDictionary &fields : parsed) {
            auto item = BibItem::bibItemOfType(u"ARTICLE"_s, u"k"_s, fields, nullptr);
            if (expand)
                item->expandWithMacro(&input->macros);
            items.push_back(std::move(item));
        }
        benchmark::DoNotOptimize(items.data());
    }
    state.counters["items/s"] =
        benchmark::Counter(double(parsed.size() * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MakeItems)->Arg(0)->Arg(1)->ArgName("expand")->Unit(benchmark::kMillisecond);

// The memory that 10,000 built items hold: the heap in use after building them
// minus before.
void BM_ItemMemory(benchmark::State &state)
{
    const Input *input = loadInput();
    if (!input) {
        state.SkipWithError("no benchmark data (run scripts/bench)");
        return;
    }
    double perItem = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        std::vector<std::shared_ptr<BibItem>> items = buildItems(*input);
        const std::size_t after = heapInUse();
        perItem = items.empty() ? 0 : double(after - before) / double(items.size());
        benchmark::DoNotOptimize(items.data());
    }
    state.counters["bytes/item"] = perItem;
}
BENCHMARK(BM_ItemMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
