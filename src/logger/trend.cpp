#include "logger/trend.h"

#include <algorithm>
#include <cmath>

namespace vx
{

namespace
{

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Digits after the decimal separator of a value as shown.
int decimals_of(const QString& text)
{
    const qsizetype sep = std::max(text.lastIndexOf(QLatin1Char(',')), text.lastIndexOf(QLatin1Char('.')));
    return sep < 0 ? 0 : static_cast<int>(text.size() - sep - 1);
}

} // namespace

double trend_span_seconds(TrendSpan span)
{
    switch (span) {
    case TrendSpan::five_minutes:
        return 5 * 60;
    case TrendSpan::thirty_minutes:
        return 30 * 60;
    case TrendSpan::two_hours:
        return 2 * 3600;
    case TrendSpan::all:
        break;
    }
    return std::numeric_limits<double>::infinity();
}

void Trend::start_session(const LiveReading& r)
{
    serial_ = r.serial;
    type_code_ = r.type_code;
    channels_ = r.channels;
    decimals_.assign(channels_.size(), 0);
    times_.clear();
    values_.assign(channels_.size(), {});
}

TrendUpdate Trend::add(const LiveReading& r)
{
    TrendUpdate u;
    if (r.channels.isEmpty() || r.empty()) return u;
    if (times_.empty() || r.serial != serial_ || r.type_code != type_code_ || r.channels != channels_) {
        start_session(r);
        u.rebuild = true;
    }
    double t = static_cast<double>(r.time.toMSecsSinceEpoch()) / 1000.0;
    if (!times_.empty()) t = std::max(t, times_.back());
    times_.push_back(t);
    for (std::size_t c = 0; c < values_.size(); ++c) {
        const auto& v = c < r.values.size() ? r.values[c] : std::nullopt;
        values_[c].push_back(v ? *v : nan);
        if (!v) continue;
        decimals_[c] = std::max(decimals_[c], decimals_of(r.texts[static_cast<qsizetype>(c)]));
        u.appended.append(static_cast<int>(c));
    }
    while (times_.size() > max_readings || times_.front() < t - keep_seconds) {
        times_.pop_front();
        for (auto& column : values_)
            column.pop_front();
        u.dropped = true;
    }
    u.drop_before = times_.front();
    if (paused_ && !u.rebuild) return {};
    if (u.rebuild) paused_ = false;
    return u;
}

std::vector<std::pair<double, double>> Trend::points(int channel) const
{
    std::vector<std::pair<double, double>> out;
    const auto& column = values_[static_cast<std::size_t>(channel)];
    out.reserve(column.size());
    for (std::size_t i = 0; i < column.size(); ++i)
        if (!std::isnan(column[i])) out.emplace_back(times_[i], column[i]);
    return out;
}

std::size_t Trend::end_index() const
{
    if (!paused_) return times_.size();
    return static_cast<std::size_t>(std::upper_bound(times_.begin(), times_.end(), paused_at_) -
                                    times_.begin());
}

std::pair<double, double> Trend::visible_range() const
{
    if (times_.empty()) return {0, 0};
    const double end = paused_ ? paused_at_ : times_.back();
    const double span = trend_span_seconds(span_);
    return {std::isinf(span) ? times_.front() : end - span, end};
}

TrendStats Trend::stats(int channel) const
{
    TrendStats s;
    if (channel < 0 || channel >= channel_count() || times_.empty()) return s;
    const auto& column = values_[static_cast<std::size_t>(channel)];
    const auto begin = std::lower_bound(times_.begin(), times_.end(), visible_range().first) - times_.begin();
    const auto end = std::max(begin, static_cast<std::ptrdiff_t>(end_index()));
    // Sums of the values less the first one: one pass, no division per
    // value, and no digits lost to values far from zero.
    double shift = nan, sum = 0, squares = 0;
    for (auto it = column.begin() + begin, stop = column.begin() + end; it != stop; ++it) {
        const double v = *it;
        if (std::isnan(v)) continue;
        if (s.count == 0) shift = s.min = s.max = v;
        s.min = std::min(s.min, v);
        s.max = std::max(s.max, v);
        ++s.count;
        sum += v - shift;
        squares += (v - shift) * (v - shift);
    }
    if (s.count == 0) return s;
    s.mean = shift + sum / s.count;
    s.sd = s.count > 1 ? std::sqrt(std::max(0.0, (squares - sum * sum / s.count) / (s.count - 1))) : 0.0;
    return s;
}

void Trend::set_stability(double tolerance, double seconds)
{
    tolerance_ = tolerance;
    stable_seconds_ = seconds;
}

bool Trend::stable(int channel) const
{
    if (channel < 0 || channel >= channel_count()) return false;
    const auto& column = values_[static_cast<std::size_t>(channel)];
    std::size_t i = end_index();
    if (i == 0) return false;
    const double since = times_[i - 1] - stable_seconds_;
    double lo = column[i - 1], hi = lo;
    while (i-- > 0) {
        const double v = column[i];
        if (std::isnan(v)) return false;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        // Values come with one or two decimals: 20.1 - 20.0 must count as 0.1.
        const double slack = 1e-9 * std::max({1.0, std::fabs(lo), std::fabs(hi)});
        if (hi - lo > tolerance_ + slack) return false;
        if (times_[i] <= since) return true;
    }
    return false;
}

void Trend::pause()
{
    if (paused_ || times_.empty()) return;
    paused_ = true;
    paused_at_ = times_.back();
}

TrendUpdate Trend::resume()
{
    TrendUpdate u;
    if (!paused_) return u;
    paused_ = false;
    u.rebuild = true;
    return u;
}

QString Trend::csv() const
{
    const QString eol = QStringLiteral("\r\n");
    QString out = csv_header(QStringLiteral("Time"), channels_, channels_.size()) + eol;
    for (std::size_t i = 0; i < times_.size(); ++i) {
        out += QDateTime::fromMSecsSinceEpoch(std::llround(times_[i] * 1000))
                   .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
        for (std::size_t c = 0; c < values_.size(); ++c) {
            out += QLatin1Char(',');
            if (!std::isnan(values_[c][i])) out += QString::number(values_[c][i], 'f', decimals_[c]);
        }
        out += eol;
    }
    return out;
}

} // namespace vx
