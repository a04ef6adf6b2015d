#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdlib>

// The generated benchmark file of `entries` entries, or empty when absent.
inline QString benchDataPath(int entries)
{
    const char *dir = std::getenv("QF_BENCH_DATA");
    if (!dir)
        return {};
    return QString::fromLocal8Bit(dir) + QStringLiteral("/bench-%1.bib").arg(entries);
}

inline QByteArray benchDataBytes(int entries)
{
    QFile file(benchDataPath(entries));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
