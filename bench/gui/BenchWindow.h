#pragma once

// What the window benchmarks share: the large file they load into the tree.
#include "app/DBListController.h"
#include "storage/LocalDatabase.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

namespace BenchWindow {

// The .bib file named by QF_BENCH_BIB, by default /tmp/g100k.bib (from
// tools/gen_bib.py -n 100000); empty when it does not exist.
inline QString largeFile()
{
    const QString path = qEnvironmentVariableIsEmpty("QF_BENCH_BIB")
                             ? QStringLiteral("/tmp/g100k.bib")
                             : qEnvironmentVariable("QF_BENCH_BIB");
    return QFile::exists(path) ? path : QString();
}

// Opens `path` in the tree, waits until it is loaded and selects it; null
// when it cannot be opened or is not loaded within five minutes.
inline LocalDatabase *load(DBListController *list, const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    LocalDatabase *database = list->appendLocalDatabase(path, false);
    if (!database || !QTest::qWaitFor([list] { return !list->isLoading(); }, 300000))
        return nullptr;
    list->selectDatabase(database);
    qInfo("loaded %d entries in %lld ms", database->numItems(), timer.elapsed());
    return database;
}

} // namespace BenchWindow
