#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

// The time stamp of an entry's "modified" field: "YYYY-MM-DD HH:MM:SS ±HHMM"
// in local time, written by BibItem::setModified and read back by the sort,
// the modified list cell and the search conditions. Also the program's clock
// for these, replaceable in tests. Stateless apart from the clock; the clock
// is set before use (tests) and read from any thread.
class ModifiedStamp
{
public:
    using Clock = QDateTime (*)();

    // `moment` written in local time with its offset from UTC.
    static QString format(const QDateTime &moment);
    // The moment a stamp denotes, or nothing when the text is not a stamp.
    static std::optional<QDateTime> parse(QStringView text);

    // The current moment from the installed clock (the system clock, in UTC, by
    // default; format() writes any moment in local time).
    static QDateTime now();
    // Installs a clock; null restores the system clock.
    static void setClock(Clock clock);
};
