#pragma once

#include <QString>

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>

// Shows strings as text in test failures.
inline void PrintTo(const QString &string, std::ostream *os)
{
    *os << '"' << string.toStdString() << '"';
}

// One row of a conversion table: what it shows, the input and the output,
// written in UTF-8 or UTF-16.
struct ConversionRow
{
    ConversionRow(const char *rowName, const char *from, const char *to)
        : name(rowName), input(QString::fromUtf8(from)), expected(QString::fromUtf8(to))
    {}
    ConversionRow(const char *rowName, const char16_t *from, const char16_t *to)
        : name(rowName), input(QString::fromUtf16(from)), expected(QString::fromUtf16(to))
    {}
    const char *name;
    QString input;
    QString expected;
};

// Checks `convert(input)` against each row, naming the rows that fail.
template<class Convert>
void expectConversions(const Convert &convert, std::initializer_list<ConversionRow> rows)
{
    for (const ConversionRow &row : rows)
        EXPECT_EQ(convert(row.input), row.expected) << row.name;
}
