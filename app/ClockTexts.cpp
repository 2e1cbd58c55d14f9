#include "app/ClockTexts.h"

#include <array>

QString myDateFormat(QDate date)
{
    static const std::array<const char*, 7> weekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                        "Thursday", "Friday", "Saturday"};
    static const std::array<const char*, 12> months = {"January",   "February", "March",    "April",
                                                       "May",       "June",     "July",     "August",
                                                       "September", "October",  "November", "December"};
    return QStringLiteral("%1  %2 %3, %4")
        .arg(QLatin1String(weekdays[date.dayOfWeek() % 7]), QLatin1String(months[date.month() - 1]))
        .arg(date.day())
        .arg(date.year());
}

// Column by column from the seconds up, borrowing as on paper.
QString getElapsedTime(QTime stop, QTime start)
{
    int hours = stop.hour(), minutes = stop.minute(), seconds = stop.second();
    if (seconds < start.second()) {
        seconds += 60;
        --minutes;
    }
    if (minutes < start.minute()) {
        minutes += 60;
        --hours;
    }
    if (hours < start.hour())
        hours += 24;
    return QStringLiteral("%1 hours, %2 minutes, %3 seconds")
        .arg(hours - start.hour())
        .arg(minutes - start.minute())
        .arg(seconds - start.second());
}
