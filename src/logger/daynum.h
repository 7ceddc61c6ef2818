#pragma once
// Day numbers: the logger counts days from 1 January 2000 (day 0) in an
// unsigned 16-bit number, taking every year divisible by 4 as a leap year.
#include <QDate>
#include <cstdint>
#include <optional>

namespace vx
{

// The date of a day number; 0 and anything below 1 give 1 January 2000.
// The one day that the logger's calendar has and the real one lacks
// (29 February 2100) gives an invalid date.
QDate date_from_day_number(int day);

// The day number of a date (the inverse of date_from_day_number); nullopt for
// an invalid date, a date before 1 January 2000 or one more than 65535 days
// after it.
std::optional<std::uint16_t> day_number_of(const QDate& date);

} // namespace vx
