#include "model/ModifiedStamp.h"

#include <atomic>

namespace {

std::atomic<ModifiedStamp::Clock> installedClock{nullptr};

// The value of the `count` digits at `pos`, or -1 when one is not a digit.
int digitsAt(QStringView text, qsizetype pos, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text.at(pos + i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

} // namespace

QString ModifiedStamp::format(const QDateTime &moment)
{
    const QDateTime local = moment.toLocalTime();
    const int offset = local.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    return local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

std::optional<QDateTime> ModifiedStamp::parse(QStringView text)
{
    text = text.trimmed();
    // YYYY-MM-DD HH:MM:SS +HHMM
    if (text.size() != 25 || text.at(4) != u'-' || text.at(7) != u'-' || text.at(10) != u' ' ||
        text.at(13) != u':' || text.at(16) != u':' || text.at(19) != u' ' ||
        (text.at(20) != u'+' && text.at(20) != u'-'))
        return std::nullopt;
    const int year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
    const int hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2),
              second = digitsAt(text, 17, 2);
    const int offsetHours = digitsAt(text, 21, 2), offsetMinutes = digitsAt(text, 23, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 ||
        offsetHours < 0 || offsetMinutes < 0 || offsetMinutes > 59 || offsetHours > 23)
        return std::nullopt;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const int offset = (offsetHours * 3600 + offsetMinutes * 60) * (text.at(20) == u'-' ? -1 : 1);
    const QDateTime moment(date, time, Qt::OffsetFromUTC, offset);
    if (!moment.isValid())
        return std::nullopt;
    return moment;
}

QDateTime ModifiedStamp::now()
{
    const Clock clock = installedClock.load(std::memory_order_acquire);
    return clock ? clock() : QDateTime::currentDateTimeUtc();
}

void ModifiedStamp::setClock(Clock clock)
{
    installedClock.store(clock, std::memory_order_release);
}
