#pragma once
// When a logger's ring runs full of records that were not downloaded yet.
//
// A running mission writes one record per interval at the record pointer.
// With rollover on, once every position holds a record newer than the
// download mark, the next record overwrites the oldest of those that were
// never fetched. With rollover off the logger overwrites nothing but stops
// recording when its memory is full (the pointer at the ring's end). A
// record-on-change condition writes no more often than every interval, so
// the time worked out is then the earliest.
#include <QtGlobal>
#include <cstdint>
#include <optional>

namespace vx
{

struct Global;

// What the forecast is worked out from.
struct RingOutlook {
    int ring_size = 0;
    int pointer = -1;            // the next write; -1: none or broken
    int mark = -1;               // the download mark; -1: none
    int interval_seconds = 0;    // between records; 0: none or unknown
    bool rollover = false;       // full memory overwrites its oldest records
    bool recording = false;      // the mission is on
    int start_delay_minutes = 0; // until a delayed start
    bool conditional = false;    // records only on a change (gradient)
};

struct RingForecast {
    bool overwrites = true; // rollover: records never downloaded are lost; else recording stops
    qint64 seconds = 0;     // from the status read until then (0: the next record)
    int uncollected = 0;    // records written since the mark
    bool earliest = false;  // conditional recording: not sooner than this
};

// nullopt when nothing will be lost: no mission recording, no interval, a
// broken pointer, or (rollover on) no mark to count the uncollected records
// from. With rollover, seconds = (ring_size - uncollected) intervals: the
// records the ring still takes before it is full of uncollected ones. Without,
// the intervals left until the pointer reaches the ring's end. A start delay
// adds its minutes.
std::optional<RingForecast> ring_forecast(const RingOutlook& in);

// True when the forecast comes sooner than two collection periods of
// period_seconds: a collection may be missed before the records are lost.
bool forecast_warns(const RingForecast& f, qint64 period_seconds);

// Seconds between records of a model's raw interval byte: minutes, except
// type 132's values above 60, which count seconds (value - 60); 0 for the
// key logger (type 93), which records a key's touch, not an interval.
int interval_seconds(std::uint16_t type, int raw_interval);

// The outlook of the attached logger from its status, with its mission's mark.
RingOutlook ring_outlook(const Global& g, int mark);

} // namespace vx
