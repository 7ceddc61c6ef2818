#include "records/database_view.h"

#include "base/language.h"
#include "base/number_format.h"
#include "records/record_file.h"

namespace vx
{

namespace
{

constexpr qint64 day_seconds = 86400;

// Record times compare as wall-clock seconds since the start of the Julian
// calendar: a time window of two days is two calendar days, whatever the
// clock changes in between.
qint64 wall_key(const QDate& date, int seconds)
{
    return date.toJulianDay() * day_seconds + seconds;
}

QDateTime from_wall_key(qint64 key)
{
    const QDate date = QDate::fromJulianDay(key / day_seconds);
    return logger_local_time(date, QTime::fromMSecsSinceStartOfDay(int(key % day_seconds) * 1000));
}

qint64 unit_seconds(int unit)
{
    switch (unit) {
    case 0:
        return 3600;
    case 1:
        return day_seconds;
    case 2:
        return 7 * day_seconds;
    default:
        return 30 * day_seconds;
    }
}

std::pair<qint64, qint64> window_keys(const RecordFilter& f)
{
    const qint64 picked = wall_key(f.picked, 0);
    const qint64 span = qint64(f.count) * unit_seconds(f.unit);
    return f.after ? std::pair{picked, picked + span} : std::pair{picked - span, picked};
}

// The number after the first tab of a header line ("STATUS: \t100").
std::optional<double> value_after_tab(QStringView line)
{
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    if (tab < 0) return std::nullopt;
    return parse_record_value(line.mid(tab + 1));
}

} // namespace

qsizetype count_lines(QStringView text)
{
    qsizetype n = 0;
    for_each_line(text, [&n](QStringView) { ++n; });
    return n;
}

StatisticsTexts statistics_texts(const RecordSummary& s)
{
    if (s.records == 0 || s.channels.empty() || s.channels.front().index != 0) {
        const QString none = QStringLiteral("-----");
        return {QString::number(s.records), none, none, none, none};
    }
    const ChannelSummary& first = s.channels.front();
    return {QString::number(s.records), format_time_stamp(s.first.time()), format_time_stamp(s.last.time()),
            format_fixed(first.maximum, 5, 1), format_fixed(first.minimum, 5, 1)};
}

std::pair<QDateTime, QDateTime> filter_window(const RecordFilter& f)
{
    const auto [from, to] = window_keys(f);
    return {from_wall_key(from), from_wall_key(to)};
}

FilterOutcome makefilters(const RecordFilter& f, QStringView text, const Language& lang)
{
    FilterOutcome out;
    if (!f.active()) return out;

    double above = 0, below = 0;
    if (f.above) {
        const auto v = parse_record_value(f.above_text);
        if (!v) {
            out.message = lang.mess(76);
            return out;
        }
        above = *v;
    }
    if (f.below) {
        const auto v = parse_record_value(f.below_text);
        if (!v) {
            out.message = lang.mess(77);
            return out;
        }
        below = *v;
    }

    qint64 from = 0, to = 0;
    if (f.by_time) {
        std::tie(from, to) = window_keys(f);
        out.lines << lang.label(94) + format_time_stamp(from_wall_key(from))
                  << lang.label(95) + format_time_stamp(from_wall_key(to));
    }
    if (f.above) out.lines << lang.label(96) + f.above_text;
    if (f.below) out.lines << lang.label(97) + f.below_text;

    for_each_line(text, [&](QStringView line) {
        const RecordFields r = parse_record_fields(line);
        if (r.count == 0) return;
        if (f.above && !(r.values[0] > above)) return;
        if (f.below && !(r.values[0] < below)) return;
        if (f.by_time) {
            const qint64 key = wall_key(r.date, r.seconds);
            if (key < from || key > to) return;
        }
        out.lines << line.toString();
    });
    out.active = true;
    return out;
}

std::optional<QStringList> prietok_make(QStringView text)
{
    std::optional<double> initial, constant;
    QString remark;
    QStringList out;
    double total = 0;
    for_each_line(text, [&](QStringView line) {
        if (!initial || !constant) {
            if (line.contains(QLatin1String("Remark"))) remark = line.toString();
            // A line that names both is read once, as the constant.
            if (line.contains(QLatin1String("CONST"))) {
                if (const auto v = value_after_tab(line)) constant = v;
            } else if (line.contains(QLatin1String("STATUS"))) {
                if (const auto v = value_after_tab(line)) initial = v;
            }
            if (initial && constant) {
                out << remark << QStringLiteral("Pociatocny stav=") + format_fixed(*initial, 0, 1)
                    << QStringLiteral("Konstanta prietokomera=") + format_fixed(*constant, 0, 1);
                total = *initial;
            }
            return;
        }
        const RecordFields r = parse_record_fields(line);
        if (r.count == 0) return;
        total += *constant * r.values[0];
        const QDateTime t = logger_local_time(r.date, QTime::fromMSecsSinceStartOfDay(r.seconds * 1000));
        out << display_time_stamp(t, 0) + QLatin1Char('\t') + format_fixed(total, 0, 1) +
                   QStringLiteral("\tm3");
    });
    if (!initial || !constant) return std::nullopt;
    return out;
}

DatabaseView build_database_view(QStringView file_text, const QString& file_name, bool flow,
                                 const RecordFilter& filter, const Language& lang)
{
    DatabaseView view;
    if (flow) {
        if (const auto lines = prietok_make(file_text)) {
            view.kind = DatabaseView::Kind::flow;
            view.text = (QStringList{file_name} + *lines).join(QLatin1Char('\n'));
            return view;
        }
    }
    const FilterOutcome f = makefilters(filter, file_text, lang);
    view.message = f.message;
    if (f.active) {
        view.kind = DatabaseView::Kind::filtered;
        view.text = (QStringList{file_name} + f.lines).join(QLatin1Char('\n'));
        return view;
    }
    view.text.reserve(file_text.size());
    bool first = true;
    for_each_line(file_text, [&](QStringView line) {
        if (!first) view.text += QLatin1Char('\n');
        first = false;
        view.text += line;
    });
    return view;
}

QStringList add_recent(QStringList recent, const QString& name)
{
    if (!recent.contains(name)) recent.prepend(name);
    return recent;
}

} // namespace vx
