#include "records/graph_model.h"

#include "base/calibration.h"
#include "records/record_file.h"
#include "records/record_text.h"

#include <algorithm>
#include <cmath>

namespace vx
{

int span_days(int span_index)
{
    static constexpr std::array<int, 8> days{1, 2, 7, 14, 30, 60, 90, 180};
    return days[std::clamp(span_index, 0, int(days.size()) - 1)];
}

namespace
{

// Local date and time of day to seconds since the epoch, as
// logger_local_time converts them, with the zone looked up once per date
// instead of once per record: a day whose offset is the same at its start
// and at its end is counted by seconds from its midnight; the days of a
// clock change take the full conversion.
class LocalSeconds
{
public:
    qint64 operator()(const QDate& date, int seconds)
    {
        if (date != date_) {
            date_ = date;
            const QDateTime start = logger_local_time(date, QTime(0, 0));
            const QDateTime end = logger_local_time(date, QTime(23, 59, 59));
            uniform_ = start.isValid() && end.isValid() && start.offsetFromUtc() == end.offsetFromUtc() &&
                       end.toSecsSinceEpoch() - start.toSecsSinceEpoch() == 86399;
            midnight_ = start.toSecsSinceEpoch();
        }
        if (uniform_) return midnight_ + seconds;
        return logger_local_time(date, QTime::fromMSecsSinceStartOfDay(seconds * 1000)).toSecsSinceEpoch();
    }

private:
    QDate date_;
    bool uniform_ = false;
    qint64 midnight_ = 0;
};

// The lines of a text after its title line, line(i) giving each as a view.
template <typename Line> GraphSeries series_of_lines(qsizetype count, Line line)
{
    GraphSeries s;
    // Room for every line: pages never written are never resident, and the
    // columns of a large file are not copied while they grow.
    const qsizetype room = std::max<qsizetype>(count - 1, 0);
    s.t1.reserve(room);
    s.v1.reserve(room);
    s.t2.reserve(room);
    s.v2.reserve(room);
    LocalSeconds local_seconds;
    for (qsizetype i = count > 0 ? title_lines(line(0)) : 0; i < count; ++i) {
        const QStringView text = line(i);
        if (text.size() <= 10) continue;
        const RecordFields r = parse_record_fields(text);
        if (r.count < 1) {
            ++s.skipped;
            continue;
        }
        const double t = double(local_seconds(r.date, r.seconds));
        if (t < s.last) s.sorted = false;
        s.first = std::min(s.first, t);
        s.last = std::max(s.last, t);
        ++s.points;
        s.t1.push_back(t);
        s.v1.push_back(r.values[0]);
        if (r.count >= 2) {
            s.t2.push_back(t);
            s.v2.push_back(r.values[1]);
            s.second = true;
        }
    }
    return s;
}

} // namespace

GraphSeries build_series(const QStringList& lines)
{
    return series_of_lines(lines.size(), [&lines](qsizetype i) { return QStringView(lines[i]); });
}

GraphSeries build_series_from(const RecordText& text)
{
    return series_of_lines(text.line_count(), [&text](qsizetype i) { return text.line(i); });
}

const std::array<double, 21>& time_steps()
{
    static constexpr double m = 60, h = 3600, d = 86400;
    static const std::array<double, 21> steps{1 * m, 2 * m, 5 * m, 10 * m, 15 * m, 20 * m, 30 * m,
                                              1 * h, 2 * h, 3 * h, 4 * h,  6 * h,  12 * h, 1 * d,
                                              2 * d, 3 * d, 4 * d, 7 * d,  14 * d, 28 * d, 30 * d};
    return steps;
}

double choose_time_step(double span, int intervals)
{
    intervals = std::max(intervals, 1);
    for (double step : time_steps())
        if (span / step <= intervals) return step;
    return time_steps().back();
}

double local_midnight(double t)
{
    const QDateTime dt = QDateTime::fromSecsSinceEpoch(qint64(std::floor(t)));
    return double(dt.date().startOfDay().toSecsSinceEpoch());
}

namespace
{

// The last whole step from midnight that lies strictly before first.
double axis_start(double midnight, double first, double step)
{
    const double k = std::ceil((first - midnight) / step);
    return midnight + (k - 1) * step;
}

} // namespace

TimeAxis whole_unit_axis(double first, double last, int intervals)
{
    intervals = std::max(intervals, 1);
    const double midnight = local_midnight(first);
    // The step rule alone (span / step <= intervals) can leave the last records
    // beyond the axis end, because the axis starts up to one step before the
    // first record; the axis must reach the last record as well.
    double step = time_steps().back();
    for (double s : time_steps())
        if (axis_start(midnight, first, s) + intervals * s >= last) {
            step = s;
            break;
        }
    TimeAxis axis;
    axis.step = step;
    axis.start = axis_start(midnight, first, step);
    // The axis ends at the first step that reaches the last record, so the
    // records fill it; beyond the longest step it grows as many as it needs.
    axis.intervals = std::max(1, int(std::ceil((last - axis.start) / step - 1e-9)));
    return axis;
}

std::pair<double, double> zoom_in(double a, double b)
{
    const double w = b - a;
    const double c = a + w / 2;
    return {c - w / 4, c + w / 4};
}

std::pair<double, double> zoom_out(double a, double b)
{
    const double w = b - a;
    const double c = a + w / 2;
    return {c - w, c + w};
}

std::pair<double, double> start_date_range(const QDate& date, int span_index)
{
    const QDateTime from = date.startOfDay();
    const QDateTime to = date.addDays(span_days(span_index)).startOfDay();
    return {double(from.toSecsSinceEpoch()), double(to.toSecsSinceEpoch())};
}

std::pair<double, double> value_range(const QVector<double>& values)
{
    if (values.isEmpty()) return {0, 1};
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    if (*hi - *lo < 1e-9) return {*lo - 1, *hi + 1};
    const double pad = (*hi - *lo) * 0.05;
    return {*lo - pad, *hi + pad};
}

QString value_label(double value)
{
    return format_pattern(QStringLiteral("###0.##"), value);
}

QColor color_from_setting(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int color_to_setting(const QColor& color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

std::array<int, 20> designed_graph_colors()
{
    auto c = [](int r, int g, int b) { return r | (g << 8) | (b << 16); };
    std::array<int, 20> t{};
    t[0] = c(240, 240, 240); // surround
    t[1] = c(255, 255, 255); // plot field
    t[2] = c(0, 0, 0);       // font
    t[3] = c(0, 0, 0);       // left axis
    t[4] = c(192, 192, 192); // left grid
    t[5] = c(0, 0, 0);       // time axis
    t[6] = c(192, 192, 192); // time grid
    t[7] = c(128, 128, 0);   // right axis
    t[8] = c(224, 224, 200); // right grid
    t[9] = c(0, 0, 0);       // first series line
    t[10] = c(128, 128, 0);  // second series line
    t[11] = c(128, 0, 128);  // first series points
    t[12] = c(128, 128, 0);  // second series points
    return t;
}

std::array<int, 20> effective_graph_colors(const std::array<int, 20>& table)
{
    for (int i = 0; i < used_graph_colors; ++i)
        if (table[i] != 0) return table;
    std::array<int, 20> t = designed_graph_colors();
    for (int i = used_graph_colors; i < 20; ++i)
        t[i] = table[i];
    return t;
}

} // namespace vx
