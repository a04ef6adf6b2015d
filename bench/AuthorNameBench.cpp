// Parsing the author and editor fields of the generated .bib file into names,
// as building an item's name lists does, and importing a style file's macros.
#include "BenchData.h"

#include "model/AuthorName.h"
#include "model/MacroList.h"
#include "tex/TeXtoText.h"

#include <QRegularExpression>

#include <benchmark/benchmark.h>

namespace {

// The display text of every author and editor field of the benchmark file.
QStringList authorFields(int entries)
{
    const QString text = QString::fromUtf8(benchDataBytes(entries));
    static const QRegularExpression field(
        QStringLiteral(R"((?:author|editor)\s*=\s*[{"]([^\n]*)[}"],?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    QStringList fields;
    auto matches = field.globalMatch(text);
    while (matches.hasNext())
        fields << TeXtoText::convertString(matches.next().captured(1));
    return fields;
}

// Parses every author and editor field of the file with `parse`.
void parseNames(benchmark::State &state, QList<AuthorName> (*parse)(const QString &))
{
    TeXtoText::createGlobalObject();
    const QStringList fields = authorFields(int(state.range(0)));
    if (fields.isEmpty()) {
        state.SkipWithError("no benchmark data (run scripts/bench)");
        return;
    }
    qint64 names = 0;
    for (auto _ : state) {
        for (const QString &field : fields) {
            const QList<AuthorName> parsed = parse(field);
            names += parsed.size();
            benchmark::DoNotOptimize(parsed.data());
        }
    }
    state.SetItemsProcessed(names);
    state.counters["fields"] = double(fields.size());
}

void parseAuthorFields(benchmark::State &state)
{
    parseNames(state, &AuthorName::createNamesFrom);
}
BENCHMARK(parseAuthorFields)->Arg(10000)->Unit(benchmark::kMillisecond);

void parseTeXAuthorFields(benchmark::State &state)
{
    parseNames(state, &AuthorName::createTeXNamesFrom);
}
BENCHMARK(parseTeXAuthorFields)->Arg(10000)->Unit(benchmark::kMillisecond);

void importStyleText(benchmark::State &state)
{
    TeXtoText::createGlobalObject();
    QString text;
    for (const auto &[value, name] : MacroList::predefinedMacroPairs())
        text += QStringLiteral("FUNCTION {f} { \"x\" }\n%% comment\nMACRO {%1} {\"%2\"}\n")
                    .arg(name, value);
    for (auto _ : state)
        benchmark::DoNotOptimize(MacroList::macroListFromBstText(text));
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}
BENCHMARK(importStyleText);

} // namespace
