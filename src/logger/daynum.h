#pragma once
// Day numbers: the logger counts days from 1 January 2000 (day 0) in an
// unsigned 16-bit number, taking every year divisible by 4 as a leap year.
#include <QDate>
#include <cstdint>
#include <optional>

namespace vx
{

// The date of a day number; 0 and anything below 1 give 1 January 2000.
QDate day_to_date(int day);

// The day number of a date (the inverse of day_to_date); nullopt for a date
// before 1 January 2000 or more than 65535 days after it.
std::optional<std::uint16_t> date_to_day(const QDate& date);

} // namespace vx
