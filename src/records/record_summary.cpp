#include "records/record_summary.h"

#include "base/language.h"
#include "records/database_view.h"
#include "records/graph_model.h"
#include "records/record_file.h"
#include "records/record_times.h"

#include <algorithm>
#include <cmath>

namespace vx
{

QDateTime Instant::time() const
{
    return QDateTime::fromSecsSinceEpoch(utc, Qt::OffsetFromUTC, offset);
}

namespace
{

// The mean kinetic temperature, fed weighted readings in °C.
class KineticMean
{
public:
    void add(double celsius, double weight)
    {
        const double boltzmann = std::exp(-mkt_activation_over_gas_constant / (celsius + kelvin_offset));
        weighted_ += weight * boltzmann;
        weights_ += weight;
        plain_ += boltzmann;
        ++count_;
    }
    // Equal weights when they sum to zero (one reading, or all at one time).
    double result() const
    {
        const double mean = weights_ > 0 ? weighted_ / weights_ : plain_ / count_;
        return -mkt_activation_over_gas_constant / std::log(mean) - kelvin_offset;
    }

private:
    double weighted_ = 0, weights_ = 0, plain_ = 0;
    int count_ = 0;
};

} // namespace

namespace
{

// The runs of readings beyond one limit, fed one weighted reading at a time.
class ExcursionCounter
{
public:
    ExcursionCounter(double limit, bool above) : above_(above) { e_.limit = limit; }

    void add(double value, const Instant& at, double weight)
    {
        const bool beyond = above_ ? value > e_.limit : value < e_.limit;
        if (!beyond) {
            close(at);
            return;
        }
        if (!open_) {
            open_ = true;
            start_ = at;
            run_ = 0;
            ++e_.count;
        }
        run_ += weight;
        e_.seconds += weight;
    }
    // The end of the text: a run still open ends after its last weight.
    Excursions finish(const Instant& after_last)
    {
        close(after_last);
        return e_;
    }

private:
    void close(const Instant& end)
    {
        if (!open_) return;
        open_ = false;
        if (e_.count == 1 || run_ > e_.longest_seconds) {
            e_.longest_seconds = run_;
            e_.longest_start = start_;
            e_.longest_end = end;
        }
    }

    bool above_;
    Excursions e_;
    bool open_ = false;
    Instant start_;
    double run_ = 0;
};

// One channel, fed its readings in text order: a reading gets its weight
// when the next one comes (or the median spacing at the end).
class ChannelCounter
{
public:
    ChannelCounter(const CsvChannel& channel, int index, std::optional<double> above,
                   std::optional<double> below)
    {
        s_.channel = channel;
        s_.index = index;
        if (above) above_.emplace(*above, true);
        if (below) below_.emplace(*below, false);
    }

    void add(double value, const Instant& at)
    {
        if (s_.records == 0 || at.utc < s_.first.utc) s_.first = at;
        if (s_.records == 0 || at.utc > s_.last.utc) s_.last = at;
        if (s_.records == 0 || value < s_.minimum) {
            s_.minimum = value;
            s_.minimum_time = at;
        }
        if (s_.records == 0 || value > s_.maximum) {
            s_.maximum = value;
            s_.maximum_time = at;
        }
        ++s_.records;
        sum_ += value;
        // A clock that went back gives the earlier reading no time.
        if (pending_) weigh(double(std::max<qint64>(at.utc - pending_at_.utc, 0)));
        pending_ = true;
        pending_value_ = value;
        pending_at_ = at;
    }

    ChannelSummary finish(double median_spacing)
    {
        if (s_.records == 0) return s_;
        const qint64 end = pending_at_.utc + qint64(std::llround(median_spacing));
        const Instant after_last{end, pending_at_.offset};
        weigh(median_spacing);
        s_.mean = sum_ / s_.records;
        if (s_.temperature()) s_.mkt = kinetic_.result();
        if (above_) s_.above = above_->finish(after_last);
        if (below_) s_.below = below_->finish(after_last);
        return s_;
    }

private:
    // The pending reading with its weight.
    void weigh(double weight)
    {
        if (s_.temperature()) kinetic_.add(pending_value_, weight);
        for (auto* c : {&above_, &below_})
            if (*c) (*c)->add(pending_value_, pending_at_, weight);
    }

    ChannelSummary s_;
    double sum_ = 0;
    bool pending_ = false;
    double pending_value_ = 0;
    Instant pending_at_;
    KineticMean kinetic_;
    std::optional<ExcursionCounter> above_, below_;
};

double median(std::vector<double> v)
{
    if (v.empty()) return 0;
    const size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + qsizetype(mid), v.end());
    const double upper = v[mid];
    if (v.size() % 2) return upper;
    return (*std::max_element(v.begin(), v.begin() + qsizetype(mid)) + upper) / 2;
}

// The lines the model is told from: the start of the text.
QStringList first_lines(QStringView text, int count)
{
    QStringList lines;
    qsizetype pos = 0;
    while (pos < text.size() && lines.size() < count) {
        qsizetype nl = text.indexOf(QLatin1Char('\n'), pos);
        if (nl < 0) nl = text.size();
        QStringView line = text.mid(pos, nl - pos);
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        lines << line.toString();
        pos = nl + 1;
    }
    return lines;
}

} // namespace

RecordSummary summarize_records(QStringView text, const SummaryOptions& options)
{
    RecordSummary s;
    const TextChannels named = channels_of(first_lines(text, 2000), options.type_code);
    s.type_code = named.type_code;
    const int limited = options.channel.value_or(0);

    std::vector<ChannelCounter> counters;
    auto counter = [&](int index) -> ChannelCounter* {
        // Text channels (key names) never parse as values.
        while (int(counters.size()) <= index) {
            const int i = int(counters.size());
            CsvChannel c = i < named.channels.size() ? named.channels[i]
                                                     : CsvChannel{QStringLiteral("Value %1").arg(i + 1), {}};
            const bool limits = i == limited;
            counters.emplace_back(c, i, limits ? options.above : std::nullopt,
                                  limits ? options.below : std::nullopt);
        }
        return &counters[size_t(index)];
    };

    // Durations are taken between true instants: the clock notes place each stamp.
    RecordTimes times(options.clock_notes);
    std::vector<double> spacings;
    Instant previous;
    qsizetype done = 0;
    for_each_line(text, [&](QStringView line) {
        done += line.size() + 1;
        const RecordFields r = parse_record_fields(line);
        if (r.count == 0) return;
        const RecordTime t = times.next(r.date, QTime::fromMSecsSinceStartOfDay(r.seconds * 1000));
        const Instant at{t.utc.toSecsSinceEpoch(), t.offset};
        if (s.records > 0 && at.utc > previous.utc) spacings.push_back(double(at.utc - previous.utc));
        if (s.records == 0 || at.utc < s.first.utc) s.first = at;
        if (s.records == 0 || at.utc > s.last.utc) s.last = at;
        previous = at;
        ++s.records;
        for (int c = 0; c < r.count; ++c)
            counter(c)->add(r.values[size_t(c)], at);
        if (options.progress && s.records % 1000 == 0) options.progress(done, text.size());
    });
    s.median_spacing = median(std::move(spacings));
    for (ChannelCounter& c : counters) {
        ChannelSummary cs = c.finish(s.median_spacing);
        if (options.channel && cs.index != *options.channel) continue;
        s.channels.push_back(std::move(cs));
    }
    return s;
}

// ---------------------------------------------------------------- shown

namespace
{

QString figure(double v)
{
    return value_label(v);
}

QString when(const Instant& i, std::uint16_t type_code)
{
    return display_time_stamp(i.time(), type_code);
}

QString minutes(double seconds)
{
    return figure(seconds / 60) + QStringLiteral(" min");
}

QString column_name(const CsvChannel& c)
{
    return c.unit.isEmpty() ? c.name : c.name + QStringLiteral(" [") + c.unit + QLatin1Char(']');
}

} // namespace

SummaryWords summary_words(const Language& lang)
{
    SummaryWords w;
    QString* fields[] = {&w.title, &w.records, &w.first, &w.last,  &w.minimum, &w.maximum,
                         &w.mean,  &w.mkt,     &w.above, &w.below, &w.spent,   &w.longest};
    for (int i = 0; i < 12; ++i)
        *fields[i] = lang.capt(180 + i);
    return w;
}

SummaryTable summary_table(const RecordSummary& s, const SummaryWords& w)
{
    SummaryTable t;
    if (s.records == 0) return t;
    const qsizetype n = qsizetype(s.channels.size());
    auto row = [&](const QString& label, const std::function<QString(const ChannelSummary&)>& value) {
        SummaryTable::Row r{label, {}};
        bool any = false;
        for (const ChannelSummary& c : s.channels) {
            r.values << value(c);
            any = any || !r.values.last().isEmpty();
        }
        if (any) t.rows.append(r);
    };
    for (const ChannelSummary& c : s.channels)
        t.columns << column_name(c.channel);
    if (n == 0) return t;
    const std::uint16_t type = s.type_code;
    row(w.records, [](const ChannelSummary& c) { return QString::number(c.records); });
    row(w.first, [type](const ChannelSummary& c) { return when(c.first, type); });
    row(w.last, [type](const ChannelSummary& c) { return when(c.last, type); });
    row(w.minimum, [type](const ChannelSummary& c) {
        return figure(c.minimum) + QStringLiteral(" (") + when(c.minimum_time, type) + QLatin1Char(')');
    });
    row(w.maximum, [type](const ChannelSummary& c) {
        return figure(c.maximum) + QStringLiteral(" (") + when(c.maximum_time, type) + QLatin1Char(')');
    });
    row(w.mean, [](const ChannelSummary& c) { return figure(c.mean); });
    row(w.mkt, [](const ChannelSummary& c) { return c.mkt ? figure(*c.mkt) : QString(); });
    for (const bool above : {true, false}) {
        // Two rows per limit, labelled with the limit and the unit of the channel it applies to.
        for (const ChannelSummary& limited : s.channels) {
            const std::optional<Excursions>& e = above ? limited.above : limited.below;
            if (!e) continue;
            const QString unit = limited.channel.unit.isEmpty() ? QString() : u' ' + limited.channel.unit;
            auto of = [above](const ChannelSummary& c) { return above ? c.above : c.below; };
            row((above ? w.above : w.below).arg(figure(e->limit) + unit), [&](const ChannelSummary& c) {
                const auto x = of(c);
                return x ? w.spent.arg(minutes(x->seconds)).arg(x->count) : QString();
            });
            row(w.longest, [&](const ChannelSummary& c) {
                const auto x = of(c);
                if (!x) return QString();
                if (x->count == 0) return QStringLiteral("-----");
                return minutes(x->longest_seconds) + QStringLiteral(" (") + when(x->longest_start, type) +
                       QStringLiteral(" - ") + when(x->longest_end, type) + QLatin1Char(')');
            });
        }
    }
    return t;
}

QStringList summary_lines(const SummaryTable& t, const QString& title)
{
    QStringList lines;
    if (t.empty()) return lines;
    lines << title;
    for (qsizetype c = 0; c < t.columns.size(); ++c) {
        lines << t.columns[c];
        for (const SummaryTable::Row& r : t.rows)
            if (!r.values.value(c).isEmpty())
                lines << QStringLiteral("    ") + r.label + QStringLiteral(": ") + r.values[c];
    }
    return lines;
}

} // namespace vx
