// Day numbers of the logger's calendar: days since 1 January 2000, with a
// 29-day February in every year divisible by 4 (no century rule).
#include "logger/daynum.h"

namespace vx
{

namespace
{

constexpr int month_days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool leap(int year)
{
    return year % 4 == 0;
}
int days_in_year(int year)
{
    return leap(year) ? 366 : 365;
}
int days_in_month(int year, int month)
{
    return month == 2 && leap(year) ? 29 : month_days[month - 1];
}

} // namespace

QDate date_from_day_number(int day)
{
    if (day < 1) return QDate(2000, 1, 1);
    int year = 2000;
    while (day >= days_in_year(year)) {
        day -= days_in_year(year);
        ++year;
    }
    int month = 1;
    while (day >= days_in_month(year, month)) {
        day -= days_in_month(year, month);
        ++month;
    }
    return QDate(year, month, day + 1);
}

std::optional<std::uint16_t> day_number_of(const QDate& date)
{
    if (!date.isValid() || date.year() < 2000) return std::nullopt;
    long n = 0;
    for (int y = 2000; y < date.year(); ++y) {
        n += days_in_year(y);
        if (n > 65535) return std::nullopt;
    }
    for (int m = 1; m < date.month(); ++m)
        n += days_in_month(date.year(), m);
    n += date.day() - 1;
    if (n > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(n);
}

} // namespace vx
