#pragma once

// Reading and writing whole files in tests.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace QfTest {

// The bytes of the file at `path`, or "<absent>" when it cannot be read.
inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
}

inline void writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

} // namespace QfTest
