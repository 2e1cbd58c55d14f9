#pragma once
// The texts of the date picker and the stopwatch.
#include <QDate>
#include <QString>
#include <QTime>

// "Sunday  December 6, 2026": English names whatever the system's language.
QString myDateFormat(QDate date);
// "0 hours, 2 minutes, 30 seconds": the time of day from start to stop,
// so a run across midnight counts right and whole days are lost.
QString getElapsedTime(QTime stop, QTime start);
