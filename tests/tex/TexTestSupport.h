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

// One row of a conversion table: what it shows, the input and the output.
template<class Char> struct ConversionRow
{
    const char *name;
    const Char *input;
    const Char *expected;
};

inline QString textOf(const char *text)
{
    return QString::fromUtf8(text);
}

inline QString textOf(const char16_t *text)
{
    return QString::fromUtf16(text);
}

// Checks `convert(input)` against each row, naming the rows that fail.
template<class Char, class Convert>
void expectRowsOf(const Convert &convert, std::initializer_list<ConversionRow<Char>> rows)
{
    for (const ConversionRow<Char> &row : rows)
        EXPECT_EQ(convert(textOf(row.input)), textOf(row.expected)) << row.name;
}

template<class Convert>
void expectConversions(const Convert &convert, std::initializer_list<ConversionRow<char>> rows)
{
    expectRowsOf(convert, rows);
}

template<class Convert>
void expectConversions(const Convert &convert, std::initializer_list<ConversionRow<char16_t>> rows)
{
    expectRowsOf(convert, rows);
}
