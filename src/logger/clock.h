#pragma once
// The logger clock: the comparison with the computer's clock after every
// decoded status, and the flow that sets the logger clock field by field.
//
// Setting (current models): commands 22..26 carry seconds, minutes, hours and
// the low and high byte of the day number, each acknowledged by the echo of
// the frame followed by command, parameter, 0xAA, 0x55. Every field is sent
// at most seven times (50 ms pause, send, up to 200 ms for the
// acknowledgement; the seventh send is not waited for).
// Old-format logger (type 55): commands 34..38 with seconds, minutes, hours,
// day (+ 64 x year mod 4) and month in BCD, 200 ms apart, not acknowledged.
#include <QDateTime>

namespace vx
{

struct Global;
class LoggerDisplay;

// True when the two moments lie more than 0.01 day (14.4 minutes) apart.
bool clocks_differ(const QDateTime& pc, const QDateTime& logger);

// The warning about a logger clock that differs from the computer's: shown
// at once, then again on every 11th further differing decode. Only when the
// CHECKTIME setting is on. The countdown lives in g.poll.clock_countdown.
class ClockCheck
{
public:
    ClockCheck(Global& g, LoggerDisplay& display) : g_(g), display_(display) {}
    // Returns true when the clocks differ (and the check is on).
    bool compare(const QDateTime& logger_time);

private:
    Global& g_;
    LoggerDisplay& display_;
};

// The action "Nastaviť čas": asks, then sets the logger clock from g.now().
class SetClock
{
public:
    enum class Result {
        declined,         // the user answered No
        done,             // every field sent (and, for current models, acknowledged)
        cancelled,        // the progress window's cancel ended it
        not_acknowledged, // a field was sent seven times without acknowledgement
        out_of_range,     // the computer's date has no day number
    };

    SetClock(Global& g, LoggerDisplay& display) : g_(g), display_(display) {}
    Result run();

private:
    Result run_current();
    Result run_old_format();
    // Sends one field with its acknowledgement; bar = the bar value after sending.
    Result send_field(unsigned char command, unsigned char parameter, int bar);

    Global& g_;
    LoggerDisplay& display_;
};

} // namespace vx
