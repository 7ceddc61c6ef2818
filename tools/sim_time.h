#pragma once
// Civil date and time arithmetic for the simulated logger.
//
// The logger keeps naive local time (no zone, no daylight saving). We count it
// as seconds since 1 January 2000 00:00; the day number on the wire is the
// whole days of that count.
#include <cstdint>
#include <string>

namespace sim
{

struct Civil {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Days since 1 January 2000 of a proleptic Gregorian date (negative before it).
std::int64_t days_since_2000(int year, int month, int day);
// Inverse of days_since_2000.
Civil civil_from_days(std::int64_t days);

std::int64_t to_seconds(const Civil& c);
Civil from_seconds(std::int64_t s);

// "yyyy-mm-ddThh:mm" or "yyyy-mm-ddThh:mm:ss" (a blank instead of T is accepted).
bool parse_civil(const std::string& text, Civil& out);
// "yyyy-mm-dd hh:mm:ss"
std::string format_civil(const Civil& c);

// The host's local wall-clock time, in seconds since 2000 (naive).
std::int64_t host_now_seconds();
// Monotonic milliseconds.
std::int64_t mono_ms();

} // namespace sim
