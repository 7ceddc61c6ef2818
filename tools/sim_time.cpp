#include "sim_time.h"

#include <cstdio>
#include <ctime>

namespace sim
{

namespace
{
// Days since 1970-01-01 of a civil date (the well-known era-based algorithm).
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

constexpr std::int64_t epoch2000 = 10957; // days from 1970-01-01 to 2000-01-01
} // namespace

std::int64_t days_since_2000(int year, int month, int day)
{
    return days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - epoch2000;
}

Civil civil_from_days(std::int64_t days)
{
    std::int64_t z = days + epoch2000 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    Civil c;
    c.year = static_cast<int>(y + (m <= 2));
    c.month = static_cast<int>(m);
    c.day = static_cast<int>(d);
    return c;
}

std::int64_t to_seconds(const Civil& c)
{
    return days_since_2000(c.year, c.month, c.day) * 86400 + c.hour * 3600 + c.minute * 60 + c.second;
}

Civil from_seconds(std::int64_t s)
{
    std::int64_t days = s / 86400;
    std::int64_t rest = s % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    Civil c = civil_from_days(days);
    c.hour = static_cast<int>(rest / 3600);
    c.minute = static_cast<int>(rest / 60 % 60);
    c.second = static_cast<int>(rest % 60);
    return c;
}

bool parse_civil(const std::string& text, Civil& out)
{
    Civil c;
    char sep = 0;
    int n = std::sscanf(text.c_str(), "%d-%d-%d%c%d:%d:%d", &c.year, &c.month, &c.day, &sep, &c.hour,
                        &c.minute, &c.second);
    if (n < 6 || (sep != 'T' && sep != ' ')) return false;
    if (n == 6) c.second = 0;
    if (c.month < 1 || c.month > 12 || c.day < 1 || c.day > 31 || c.hour < 0 || c.hour > 23 || c.minute < 0 ||
        c.minute > 59 || c.second < 0 || c.second > 59)
        return false;
    out = c;
    return true;
}

std::string format_civil(const Civil& c)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour, c.minute,
                  c.second);
    return buf;
}

std::int64_t host_now_seconds()
{
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    Civil c{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    return to_seconds(c);
}

std::int64_t mono_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace sim
