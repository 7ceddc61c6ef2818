#pragma once
// The live trend: the readings of the poll cycle kept per channel for the
// last 24 hours, with statistics over the visible span and a stability flag.
// No widgets: a chart follows it one reading at a time.
//
// A chart (one graph per channel, keys in seconds since the epoch) stays in
// step with one redraw per reading:
//
//   const TrendUpdate u = trend.add(live_reading(view, type, serial, calib, now));
//   if (u.rebuild) {                    // a new session, or the end of a pause
//       for each channel c: graph(c)->data()->set(points of c over 0..size()-1)
//   } else {
//       for (int c : u.appended) graph(c)->addData(trend.time(trend.size() - 1),
//                                                  trend.value(c, trend.size() - 1));
//       if (u.dropped) for each graph: graph->data()->removeBefore(u.drop_before);
//   }
//   if (u.redraw()) { x axis = trend.visible_range(); replot once; show stats(c), stable(c) }
//
// Appending at the end and removing from the front of a QCPDataContainer
// costs no copy of the other points.
#include "logger/live_reading.h"
#include "records/record_csv.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <deque>
#include <limits>
#include <utility>
#include <vector>

namespace vx
{

enum class TrendSpan { five_minutes, thirty_minutes, two_hours, all };

// The seconds a span shows; infinity for all (since the session began).
double trend_span_seconds(TrendSpan span);

struct TrendStats {
    int count = 0; // readings with a value in the visible span
    double min = std::numeric_limits<double>::quiet_NaN();
    double max = std::numeric_limits<double>::quiet_NaN();
    double mean = std::numeric_limits<double>::quiet_NaN();
    double sd = std::numeric_limits<double>::quiet_NaN(); // sample standard deviation; 0 for one reading
};

// What a call changed, for a chart that follows the trend.
struct TrendUpdate {
    bool rebuild = false;   // load every channel again (new session, or resumed after a pause)
    QList<int> appended;    // channels with a value at the newest reading
    bool dropped = false;   // readings before drop_before have left the trend
    double drop_before = 0; // seconds since the epoch
    bool redraw() const { return rebuild || !appended.isEmpty(); }
};

class Trend
{
public:
    // Readings older than this (against the newest) are dropped.
    static constexpr double keep_seconds = 24 * 3600.0;
    // 24 hours of the poll's 700 ms readings; a faster source is cut here too.
    static constexpr std::size_t max_readings = 123430;

    // Adds a reading. A reading of another logger (serial number), or with
    // other channels, starts a new session (the readings so far are
    // dropped); one without any value text is ignored. A time before the
    // newest reading (the computer's clock set back) counts as the newest.
    // While paused, readings are kept and reported as no change.
    TrendUpdate add(const LiveReading& reading);

    // The session: logger, model and channels of the readings kept.
    std::uint16_t serial() const { return serial_; }
    std::uint16_t type_code() const { return type_code_; }
    const QList<CsvChannel>& channels() const { return channels_; }
    int channel_count() const { return static_cast<int>(channels_.size()); }
    // Readings kept, oldest first; the time of reading i in seconds since
    // the epoch (ascending); value NaN where the reading had no number.
    std::size_t size() const { return times_.size(); }
    double time(std::size_t i) const { return times_[i]; }
    double value(int channel, std::size_t i) const { return values_[static_cast<std::size_t>(channel)][i]; }
    // Decimals of a channel's values as the logger shows them (the most seen).
    int decimals(int channel) const { return decimals_[static_cast<std::size_t>(channel)]; }
    // The points of a channel (time, value), readings without a value left out.
    std::vector<std::pair<double, double>> points(int channel) const;

    // The visible span ends at the newest reading (while paused: at the
    // newest reading when the pause began).
    void set_span(TrendSpan span) { span_ = span; }
    TrendSpan span() const { return span_; }
    std::pair<double, double> visible_range() const;
    TrendStats stats(int channel) const;

    // A channel is stable when its readings of the last `seconds` (up to the
    // end of the visible span) all have a value and lie within `tolerance`
    // of each other (max - min), and the trend reaches back that far.
    void set_stability(double tolerance, double seconds);
    double tolerance() const { return tolerance_; }
    double stable_seconds() const { return stable_seconds_; }
    bool stable(int channel) const;

    void pause();
    TrendUpdate resume(); // rebuild: readings came meanwhile
    bool paused() const { return paused_; }

    // The session as CSV in the record export's form (RFC 4180, UTF-8, CR LF
    // rows): "Time" and the channels with their units, then one row per
    // reading, its local time with milliseconds ("2024-03-01T10:15:00.700")
    // and the values with a decimal point, as many decimals as shown.
    QString csv() const;

private:
    void start_session(const LiveReading& r);
    std::size_t end_index() const; // one past the last reading in the visible span

    std::uint16_t serial_ = 0, type_code_ = 0;
    QList<CsvChannel> channels_;
    std::vector<int> decimals_;
    std::deque<double> times_;
    std::vector<std::deque<double>> values_;
    TrendSpan span_ = TrendSpan::five_minutes;
    double tolerance_ = 0.1;
    double stable_seconds_ = 120;
    bool paused_ = false;
    double paused_at_ = 0;
};

} // namespace vx
