#pragma once

#include <functional>
#include <string>

// A local date and time to the minute, as the pack's "letzte Änderung" value shows it.
struct LocalDateTime
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
};

// Where the current time comes from; tests put a fixed time in its place.
using Clock = std::function<LocalDateTime()>;

LocalDateTime systemClock();

// year-month-day hour:minute, month, day, hour and minute with two digits (2007-03-05 09:07).
std::string formatPackDate(const LocalDateTime& t);
