// Turning display text back into TeX (the smart paste), and rendering format
// templates (every copied reference renders one).
#include "BenchData.h"
#include "model/FormatElement.h"
#include "tex/TeXtoText.h"
#include "tex/UnicodeToTeX.h"

#include <QHash>
#include <QRegularExpression>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// The display text of the braced and quoted values of the generated file.
const std::vector<QString> &displayValues()
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
            found.push_back(TeXtoText::convertString(match.hasCaptured(1) ? match.captured(1)
                                                                          : match.captured(2)));
        }
        return found;
    }();
    return values;
}

void BM_UnicodeToTeX_DisplayValues(benchmark::State &state)
{
    const std::vector<QString> &values = displayValues();
    if (values.empty()) {
        state.SkipWithError("no benchmark data: run scripts/bench");
        return;
    }
    const UnicodeToTeX *converter = UnicodeToTeX::globalConverter();
    for (auto _ : state) {
        for (const QString &value : values) {
            QString text = value;
            converter->convertSymbols(text);
            converter->convertLetter(text);
            converter->convertMath(text);
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(values.size()));
}

struct Item
{
    QHash<QString, QString> fields;
    QString fieldDataForListFormat(const QString &name) const { return fields.value(name); }
};

void BM_FormatTemplate_Render(benchmark::State &state)
{
    const int kind = int(state.range(0));
    const QString rule = QStringLiteral(
        "[<author>, ][/``<title>,''][ <journal>][| <volume>][ (<year>)][ <abbrev_pages>][.]");
    const Item item{{{QStringLiteral("author"), QStringLiteral("D. E. Knuth and L. Lamport")},
                     {QStringLiteral("title"), QStringLiteral("On {\\TeX} and $\\alpha$ rays")},
                     {QStringLiteral("journal"), QStringLiteral("J. Typ\\'{e}setting")},
                     {QStringLiteral("volume"), QStringLiteral("12")},
                     {QStringLiteral("year"), QStringLiteral("1999")},
                     {QStringLiteral("abbrev_pages"), QStringLiteral("123")}}};
    for (auto _ : state) {
        QString error;
        QString text;
        for (const FormatElement &element : FormatElement::elementArrayWithString(rule, error))
            text += element.elementStringOfItem(item, kind);
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_UnicodeToTeX_DisplayValues)->Unit(benchmark::kMillisecond);

// A pasted chain of n square roots and a nest of n bracketed roots: the time
// per root stays flat as n grows.
void BM_UnicodeToTeX_RootChain(benchmark::State &state)
{
    const int n = int(state.range(0));
    const QString root(QChar(0x221A));
    const QString chain = root.repeated(n) + QStringLiteral("(x)");
    const QString nest = (root + QStringLiteral("(")).repeated(n) + QStringLiteral("x") +
                         QStringLiteral(")").repeated(n);
    const UnicodeToTeX *converter = UnicodeToTeX::globalConverter();
    for (auto _ : state) {
        QString a = chain;
        QString b = nest;
        converter->convertMath(a);
        converter->convertMath(b);
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(2 * n));
}
BENCHMARK(BM_UnicodeToTeX_RootChain)
    ->Arg(1000)
    ->Arg(30000)
    ->Arg(300000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatTemplate_Render)->Arg(3)->Arg(6)->Arg(7);
