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
//
// A clock set back over recorded time makes the logger write the same
// stamps again: the set and the clock check say so first (clock_set_risk).
// Every clock set notes the UTC offset of the time the logger got beside
// its record file (records/record_times.h).
#include "records/record_source.h"

#include <QDateTime>
#include <optional>

namespace vx
{

struct Global;
class LoggerDisplay;

// True when the two moments lie more than 0.01 day (14.4 minutes) apart.
bool clocks_differ(const QDateTime& pc, const QDateTime& logger);

// What setting the logger's clock to a new time does to its records.
struct ClockSetRisk {
    bool goes_back = false; // the new time lies before the logger's newest record
    QDateTime newest;       // the newest record's time as the logger stamped it
    int shared = 0;         // records whose stamps the logger will write again
};

// The risk from what is known: the logger's clock, the records it holds that
// were not downloaded yet (undownloaded) and its recording interval in
// seconds (0: unknown), and from the record file the newest stamp and the
// number of records stamped after new_time. The logger's newest record is
// its clock at most; of its undownloaded records those within the time the
// clock goes back are counted at one per interval, rounded up (all of them
// when the interval is unknown). A clock less than a minute ahead goes back
// over no whole-minute stamp. All times are the logger's local stamps.
ClockSetRisk clock_set_risk(const QDateTime& new_time, const QDateTime& logger_time, int undownloaded,
                            int interval_seconds, const std::optional<QDateTime>& newest_in_file,
                            int file_records_after);
// The same for the attached logger: its status (clock, record pointer,
// interval), its mission's download mark, and its record file.
ClockSetRisk clock_set_risk(const Global& g, const QDateTime& new_time);
// The warning of a risky set (MESS176), empty when it does not go back.
QString clock_set_warning(const Global& g, const ClockSetRisk& risk, const QDateTime& new_time);

// The clock note of a mission start: from now on the logger's clock runs at
// this computer's offset, or, when the logger's clock (logger_time, read at
// the start) differs from the computer's, at the offset its clock shows,
// rounded to a quarter hour (a logger still on summer time in winter).
ClockNote mission_clock_note(const QDateTime& logger_time, const QDateTime& now);

// The warning about a logger clock that differs from the computer's: shown
// at once, then again on every 11th further differing decode. Only when the
// CHECKTIME setting is on. The countdown lives in g.poll.clock_countdown.
class ClockCheck
{
public:
    ClockCheck(Global& g, LoggerDisplay& display) : g_(g), display_(display) {}
    // Returns true when the clocks differ (and the check is on). When the
    // logger runs ahead over recorded time, the warning says what setting
    // its clock will do (clock_set_warning).
    bool compare(const QDateTime& logger_time);

private:
    Global& g_;
    LoggerDisplay& display_;
};

// The action "Nastaviť čas": asks, then sets the logger clock from g.now().
// When the set goes back over recorded time the question says so first.
// A set that went through notes the computer's offset for the record file
// of the logger's mission.
// Every set that was tried (not declined) leaves a clock-set entry in the
// audit trail: the logger's clock before, the time sent, ok or why not.
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
