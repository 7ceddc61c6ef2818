// Places the local stamps of a record file in time, by the file's clock
// notes and the order of its records (see record_times.h).
#include "records/record_times.h"

#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace vx
{

namespace
{

constexpr qint64 day_seconds = 86400;
// 1 January 1970 as a Julian day.
constexpr qint64 epoch_day = 2440588;

int zone_offset(const QTimeZone& zone, qint64 utc)
{
    return zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(utc, Qt::UTC));
}

} // namespace

QString RecordTime::iso() const
{
    QString out;
    append_iso(out);
    return out;
}

void RecordTime::append_iso(QString& out) const
{
    if (!valid()) return;
    // Exports write one per record, so the digits are put together by hand.
    auto put = [&out](int value, int digits) {
        char text[8];
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            text[i] = char('0' + value % 10);
        out.append(QLatin1StringView(text, digits));
    };
    const qint64 wall = utc.toSecsSinceEpoch() + offset;
    const qint64 day = wall >= 0 ? wall / day_seconds : (wall - day_seconds + 1) / day_seconds;
    const QDate date = QDate::fromJulianDay(day + epoch_day);
    const int seconds = int(wall - day * day_seconds);
    if (date.year() >= 1000 && date.year() <= 9999) {
        put(date.year(), 4);
        out += QLatin1Char('-');
        put(date.month(), 2);
        out += QLatin1Char('-');
        put(date.day(), 2);
        out += QLatin1Char('T');
        put(seconds / 3600, 2);
        out += QLatin1Char(':');
        put(seconds / 60 % 60, 2);
        out += QLatin1Char(':');
        put(seconds % 60, 2);
    } else {
        out += local().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    }
    const int abs = offset < 0 ? -offset : offset;
    out += offset < 0 ? QLatin1Char('-') : QLatin1Char('+');
    put(abs / 3600 % 100, 2);
    out += QLatin1Char(':');
    put(abs / 60 % 60, 2);
}

std::optional<qint64> RecordTime::nanoseconds() const
{
    if (!valid()) return std::nullopt;
    constexpr qint64 per_second = 1000000000;
    const qint64 ms = utc.toMSecsSinceEpoch();
    // Whole seconds first, so the check itself cannot overflow.
    const qint64 s = ms / 1000, rest = (ms % 1000) * 1000000;
    constexpr qint64 max = std::numeric_limits<qint64>::max(), min = std::numeric_limits<qint64>::min();
    if (s > (max - 999999999) / per_second || s < (min + 999999999) / per_second) return std::nullopt;
    return s * per_second + rest;
}

RecordTimes::RecordTimes(QList<ClockNote> notes, QTimeZone zone)
    : notes_(std::move(notes)), zone_(std::move(zone))
{
    notes_.removeIf([](const ClockNote& n) { return !n.since.isValid(); });
    std::stable_sort(notes_.begin(), notes_.end(),
                     [](const ClockNote& a, const ClockNote& b) { return a.since < b.since; });
}

void RecordTimes::zone_readings(qint64 naive, std::vector<Reading>& out)
{
    // Most days have no change: one offset for the whole day, looked up once.
    const qint64 day = naive >= 0 ? naive / day_seconds : (naive - day_seconds + 1) / day_seconds;
    if (!have_day_ || day != cached_day_) {
        have_day_ = true;
        cached_day_ = day;
        const int before = zone_offset(zone_, day * day_seconds - day_seconds);
        const int after = zone_offset(zone_, day * day_seconds + 2 * day_seconds);
        day_offset_.reset();
        if (before == after && zone_offset(zone_, day * day_seconds + day_seconds / 2) == before)
            day_offset_ = before;
    }
    if (day_offset_) {
        out.push_back({naive - *day_offset_, *day_offset_});
        return;
    }
    const int before = zone_offset(zone_, naive - day_seconds);
    const int after = zone_offset(zone_, naive + day_seconds);
    for (const int o : {before, after}) {
        const qint64 u = naive - o;
        if (zone_offset(zone_, u) == o && (out.empty() || out.back().offset != o)) out.push_back({u, o});
    }
    // A time the change skips keeps the offset in force before it.
    if (out.empty()) out.push_back({naive - before, before});
    std::sort(out.begin(), out.end(), [](const Reading& a, const Reading& b) { return a.utc < b.utc; });
}

RecordTime RecordTimes::next(const QDate& date, const QTime& time)
{
    if (!date.isValid() || !time.isValid()) return {};
    const qint64 naive = (date.toJulianDay() - epoch_day) * day_seconds + time.msecsSinceStartOfDay() / 1000;
    repeat_ = have_last_ && naive == last_naive_ ? repeat_ + 1 : 0;
    if (have_last_ && naive < last_naive_) logger_order_ = true;
    have_last_ = true;
    last_naive_ = naive;

    std::vector<Reading>& fits = readings_;
    fits.clear();
    const qint64 first_note = notes_.isEmpty() ? 0 : notes_.first().since.toSecsSinceEpoch();
    // How far a reading lies outside the time its offset held; 0 inside.
    std::optional<Reading> nearest;
    qint64 nearest_distance = 0;
    constexpr qint64 open_end = std::numeric_limits<qint64>::max();
    auto consider = [&](const Reading& r, qint64 from, qint64 until) {
        const qint64 distance = r.utc < from ? from - r.utc : r.utc >= until ? r.utc - until + 1 : 0;
        if (distance == 0) fits.push_back(r);
        if (!nearest || distance < nearest_distance) {
            nearest = r;
            nearest_distance = distance;
        }
    };
    std::vector<Reading> by_zone;
    zone_readings(naive, by_zone);
    for (const Reading& r : by_zone) {
        if (notes_.isEmpty())
            fits.push_back(r);
        else
            consider(r, std::numeric_limits<qint64>::min(), first_note);
    }
    for (qsizetype i = 0; i < notes_.size(); ++i) {
        const int o = notes_[i].offset;
        const qint64 until = i + 1 < notes_.size() ? notes_[i + 1].since.toSecsSinceEpoch() : open_end;
        consider({naive - o, o}, notes_[i].since.toSecsSinceEpoch(), until);
    }
    if (fits.empty()) fits.push_back(*nearest);
    std::stable_sort(fits.begin(), fits.end(),
                     [](const Reading& a, const Reading& b) { return a.utc < b.utc; });
    size_t pick = size_t(std::min<qsizetype>(repeat_, qsizetype(fits.size()) - 1));
    if (logger_order_) {
        pick = fits.size() - 1;
        for (size_t i = 0; i < fits.size(); ++i)
            if (fits[i].utc >= last_utc_) {
                pick = i;
                break;
            }
    }
    const Reading& r = fits[pick];
    last_utc_ = r.utc;
    return {QDateTime::fromSecsSinceEpoch(r.utc, Qt::UTC), r.offset};
}

RecordTimes record_times_of(const QString& record_file_path)
{
    return RecordTimes(RecordSourceStore().clock_notes(QFileInfo(record_file_path).fileName()));
}

} // namespace vx
