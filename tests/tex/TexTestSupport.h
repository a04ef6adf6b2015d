#pragma once

#include <QString>

#include <ostream>

// Shows strings as text in test failures.
inline void PrintTo(const QString &string, std::ostream *os)
{
    *os << '"' << string.toStdString() << '"';
}
