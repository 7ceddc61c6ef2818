#pragma once
// The pure side of the record viewer's chart: which points a record text
// yields, how the time axis is laid out in whole units, zoom arithmetic, the
// range chosen by the graph controls and the graph style table's colours.
// Times are seconds since the epoch (the chart's key unit), local time zone.
#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <utility>

namespace vx
{

// What the main window's "Graf" tab says when a graph is drawn.
struct GraphControls {
    bool start_date_checked = false; // draw from start_date instead of the records' own span
    QDate start_date;
    int span_index = 0;               // 0..7: 1, 2, 7, 14, 30, 60, 90, 180 days
    bool auto_scale = true;           // "Auto": value axes follow the data
    int temp_max = 40, temp_min = 0;  // left axis when auto_scale is off
    int humi_max = 80, humi_min = 20; // right axis when auto_scale is off
};

// Days shown for a span index; indexes outside 0..7 are clamped.
int span_days(int span_index);

class RecordText;

// The two series of a record text, as columns: times and values in file order.
struct GraphSeries {
    QVector<double> t1, v1;            // first value of each record line (left axis)
    QVector<double> t2, v2;            // second value, when a line carries one (right axis)
    double first = 1e30, last = -1e30; // time span of the record lines
    int points = 0;                    // record lines with at least one value
    bool second = false;               // some line carried a second value
    int skipped = 0;                   // lines after the first that are not record lines
    bool sorted = true;                // the times never go back (t1 and t2 ascend)
};

// Reads every line after the title line (see title_lines); lines of 10
// characters or fewer and lines that are not record lines give no point.
GraphSeries build_series(const QStringList& lines);
// The same over a viewer's text, read in place.
GraphSeries build_series_from(const RecordText& text);

// A time axis laid out in whole units: ticks at start + k * step, k = 0..intervals.
struct TimeAxis {
    double start = 0;
    double step = 0; // seconds
    int intervals = 0;
    double end() const { return start + intervals * step; }
};

// The whole-unit steps the time axis may use, shortest first (seconds).
const std::array<double, 21>& time_steps();

// The shortest whole-unit step that shows span seconds in at most intervals steps
// (the longest step when none does).
double choose_time_step(double span, int intervals);

// Midnight (local time) of the day of time t.
double local_midnight(double t);

// The axis for records from first to last in at most the given number of
// intervals: the shortest step whose axis, starting at a whole step from the
// first record's midnight and strictly before the first record, reaches the
// last record; it ends at the first step at or after the last record. When
// even the longest step does not reach it, the axis gets the intervals it
// needs.
TimeAxis whole_unit_axis(double first, double last, int intervals);

// Ranges of the time axis.
std::pair<double, double> zoom_in(double a, double b);  // the middle half
std::pair<double, double> zoom_out(double a, double b); // twice as wide around the centre
// From the start date at 00:00 for the span's number of days.
std::pair<double, double> start_date_range(const QDate& date, int span_index);

// A value axis range that shows every value with a little room; a flat
// series gets one unit each side. {0, 1} for no values.
std::pair<double, double> value_range(const QVector<double>& values);

// A value axis label: the pattern "###0.##" (at most two decimals, rounded
// half away from zero, the locale's decimal separator, never an exponent).
QString value_label(double value);

// Style table colours are integers with red in the low byte, then green, then blue.
QColor color_from_setting(int value);
int color_to_setting(const QColor& color);

// Number of colour entries the chart uses (COLOR1..COLOR13).
inline constexpr int used_graph_colors = 13;

// The colours to draw with: a table whose used entries are all zero has never
// been set by the user, and the chart's designed colours stand in for it
// (otherwise every part of the chart, text included, would be black).
std::array<int, 20> effective_graph_colors(const std::array<int, 20>& table);

// The designed colours of COLOR1..COLOR13 (indexes 0..12).
std::array<int, 20> designed_graph_colors();

} // namespace vx
