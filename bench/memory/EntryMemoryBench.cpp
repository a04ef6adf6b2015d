// Memory per entry, by kind: loads the generated 10,000 and 100,000-entry
// files (each in a process of its own, so that one does not inflate the
// other's figures) the way `quirefold-cli check` does, and prints the time,
// the resident memory and what every entry holds by kind; then what the
// window adds as it shows and searches the entries (display forms, list
// cells). A figure printer, not a test: nothing here passes or fails.
//
// Usage: quirefold_memory_bench [FILE.bib...]; without files, bench-10000.bib
// and bench-100000.bib in $QF_BENCH_DATA (scripts/bench makes them).
#include "model/BibItem.h"
#include "model/ItemFootprint.h"
#include "storage/KeptText.h"
#include "storage/LocalDatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace {

// A line of /proc/self/status in kilobytes ("VmRSS:", "VmHWM:").
qint64 statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray name(field);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').front().toLongLong();
    }
    return 0;
}

void printSplit(const ItemFootprint &footprint, qint64 entries, qint64 residentGrowth)
{
    for (int kind = 0; kind < ItemFootprint::KindCount; ++kind) {
        const auto k = static_cast<ItemFootprint::Kind>(kind);
        if (k == ItemFootprint::Indexes)
            continue;
        std::printf("    %-22s %8.0f B/entry %9.1f MB\n", ItemFootprint::nameOf(k),
                    double(footprint.bytes(k)) / double(entries), double(footprint.bytes(k)) / 1e6);
    }
    // What the walk does not reach: the key and author indexes, the item
    // list, the allocator's free space and its per-thread arenas.
    const qint64 rest = residentGrowth - footprint.total();
    std::printf("    %-22s %8.0f B/entry %9.1f MB\n", ItemFootprint::nameOf(ItemFootprint::Indexes),
                double(rest) / double(entries), double(rest) / 1e6);
    std::printf("    %-22s %8.0f B/entry %9.1f MB\n", "total (resident growth)",
                double(residentGrowth) / double(entries), double(residentGrowth) / 1e6);
}

ItemFootprint footprintOf(const LocalDatabase &database)
{
    ItemFootprint footprint;
    for (const BibItemPtr &item : *database.allItems())
        footprint.addItem(*item);
    if (const KeptText *kept = database.keptText()) {
        for (const qsizetype size : kept->allocationSizes())
            footprint.addBytes(ItemFootprint::KeptText, ItemFootprint::chunkOf(size));
    }
    return footprint;
}

int measure(const QString &path)
{
    const qint64 before = statusKilobytes("VmRSS:") * 1024;
    QElapsedTimer timer;
    timer.start();
    auto database = LocalDatabase::localDatabaseWithFile(path, false);
    database->startLoading();
    database->waitForLoading();
    database->setWaitingStatus(0);
    const qint64 loadMs = timer.elapsed();
    const BibItemList &items = *database->allItems();
    const auto entries = static_cast<qint64>(items.size());
    if (entries == 0) {
        std::printf("%s: no entries\n", qPrintable(path));
        return 1;
    }
    const qint64 resident = statusKilobytes("VmRSS:") * 1024;
    std::printf("%s: %lld entries, %.1f MB\n", qPrintable(QFileInfo(path).fileName()),
                static_cast<long long>(entries), double(QFileInfo(path).size()) / 1e6);
    std::printf("  load %lld ms; resident %.1f MB (peak %.1f MB), %.0f B/entry over the start\n",
                static_cast<long long>(loadMs), double(resident) / 1e6,
                double(statusKilobytes("VmHWM:")) * 1024 / 1e6,
                double(resident - before) / double(entries));
    std::printf("  held after loading (an item object is %zu bytes):\n", sizeof(BibItem));
    printSplit(footprintOf(*database), entries, resident - before);

    // What the window adds: every display form (searching all fields builds
    // them), then the cells of the default columns (sorting by each).
    timer.restart();
    qint64 found = 0;
    const QStringList everyField = {QStringLiteral("title"),    QStringLiteral("author"),
                                    QStringLiteral("journal"),  QStringLiteral("note"),
                                    QStringLiteral("abstract"), QStringLiteral("keywords")};
    for (const BibItemPtr &item : items)
        found += item->containsString(QStringLiteral("quantum"), everyField, Qt::CaseInsensitive);
    const qint64 firstSearchMs = timer.elapsed();
    timer.restart();
    for (const BibItemPtr &item : items)
        found += item->containsString(QStringLiteral("quantun"), everyField, Qt::CaseInsensitive);
    const qint64 searchMs = timer.elapsed();
    for (const BibItemPtr &item : items)
        found += item->bibFieldsForDisplay().size();
    const QStringList columns = {QStringLiteral("00_mark"),    QStringLiteral("01_file"),
                                 QStringLiteral("03_bibkey"),  QStringLiteral("04_author"),
                                 QStringLiteral("05_journal"), QStringLiteral("06_year"),
                                 QStringLiteral("09_title"),   QStringLiteral("10_note")};
    timer.restart();
    for (const BibItemPtr &item : items) {
        for (const QString &column : columns)
            found += item->valueForColumn(column).has_value();
    }
    const qint64 cellsMs = timer.elapsed();
    const qint64 shown = statusKilobytes("VmRSS:") * 1024;
    std::printf("  search of six fields: first %lld ms, then %lld ms; every cell of the default "
                "columns: %lld ms (%lld)\n",
                static_cast<long long>(firstSearchMs), static_cast<long long>(searchMs),
                static_cast<long long>(cellsMs), static_cast<long long>(found));
    std::printf("  held with every display form and list cell made: resident %.1f MB\n",
                double(shown) / 1e6);
    printSplit(footprintOf(*database), entries, shown - before);
    std::fflush(stdout);
    // The process ends here: the system takes the memory back at once.
    std::_Exit(0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList files = app.arguments().mid(1);
    if (files.isEmpty()) {
        const QString dir = qEnvironmentVariable("QF_BENCH_DATA");
        for (const int n : {10000, 100000})
            files << dir + QStringLiteral("/bench-%1.bib").arg(n);
    }
    int status = 0;
    for (const QString &file : files) {
        if (!QFile::exists(file)) {
            std::fprintf(stderr, "%s: no such file (run scripts/bench)\n", qPrintable(file));
            status = 1;
            continue;
        }
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0)
            return measure(file);
        int childStatus = 0;
        waitpid(child, &childStatus, 0);
        if (!WIFEXITED(childStatus) || WEXITSTATUS(childStatus) != 0)
            status = 1;
    }
    return status;
}
