#include "records/line_protocol.h"

#include "records/record_csv.h"
#include "records/record_file.h"
#include "records/record_times.h"

#include <QLocale>

namespace vx
{

namespace
{

// Control characters and backslashes replaced (see the header), then each
// of the characters in special escaped with a backslash.
QString escaped(const QString& text, QLatin1StringView special)
{
    QString out;
    out.reserve(text.size() + 4);
    for (QChar ch : text) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F) ch = QLatin1Char(' ');
        if (ch == QLatin1Char('\\')) ch = QLatin1Char('/');
        if (special.contains(ch)) out += QLatin1Char('\\');
        out += ch;
    }
    return out;
}

QString name_escaped(const QString& text)
{
    return escaped(text, QLatin1StringView(", ="));
}

QString text_value(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (QChar ch : text) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F) ch = QLatin1Char(' ');
        if (ch == QLatin1Char('"') || ch == QLatin1Char('\\')) out += QLatin1Char('\\');
        out += ch;
    }
    return out + QLatin1Char('"');
}

} // namespace

QString influx_line(const QString& measurement, const QList<QPair<QString, QString>>& tags,
                    const QList<InfluxField>& fields, qint64 nanoseconds)
{
    if (fields.isEmpty()) return {};
    QString line = escaped(measurement, QLatin1StringView(", "));
    for (const auto& [key, value] : tags)
        if (!value.isEmpty())
            line += QLatin1Char(',') + name_escaped(key) + QLatin1Char('=') + name_escaped(value);
    QLatin1Char separator(' ');
    for (const InfluxField& f : fields) {
        line += separator + name_escaped(f.key) + QLatin1Char('=') + (f.text ? text_value(f.value) : f.value);
        separator = QLatin1Char(',');
    }
    return line + QLatin1Char(' ') + QString::number(nanoseconds);
}

QList<QPair<QString, QString>> influx_tags(const RecordSource& source)
{
    return {{QStringLiteral("serial"), QString::number(source.serial)},
            {QStringLiteral("model"), QString::number(source.type_code)},
            {QStringLiteral("mission"), source.mission}};
}

std::optional<QString> influx_number(const QString& field)
{
    const auto v = parse_record_value(field);
    if (!v) return std::nullopt;
    return QString::number(*v, 'g', QLocale::FloatingPointShortest);
}

std::optional<qint64> influx_time(const QDateTime& t)
{
    return RecordTime{t.toUTC(), 0}.nanoseconds();
}

InfluxPoints::InfluxPoints(const RecordSource& source, const std::optional<QDateTime>& from,
                           const std::optional<QDateTime>& to, RecordTimes& times)
    : channels_(record_channels(source.type_code)), from_(from), to_(to), times_(times)
{
    // The same for every point: written once.
    prefix_ = escaped(QString::fromLatin1(influx_measurement), QLatin1StringView(", "));
    for (const auto& [key, value] : influx_tags(source))
        if (!value.isEmpty())
            prefix_ += QLatin1Char(',') + name_escaped(key) + QLatin1Char('=') + name_escaped(value);
    for (const CsvChannel& c : channels_)
        keys_ << name_escaped(c.name);
}

bool InfluxPoints::add(QStringView line, qsizetype number, QString& out)
{
    if (!split_record_line(line, rec_)) return true;
    const RecordTime t = times_.next(rec_.stamp.date, rec_.stamp.time);
    if ((from_ && t.utc < *from_) || (to_ && t.utc > *to_)) return true;
    const auto ns = t.nanoseconds();
    if (!ns) {
        error = QStringLiteral("line %1: %2 lies outside the times InfluxDB can hold (1677-09-21 to "
                               "2262-04-11)")
                    .arg(number)
                    .arg(t.iso());
        return false;
    }
    const qsizetype start = out.size();
    out += prefix_;
    QLatin1Char separator(' ');
    for (qsizetype c = 0; c < rec_.fields.size(); ++c) {
        const bool text = c < channels_.size() && channels_[c].text;
        const QStringView field = rec_.fields[c];
        std::optional<QString> value;
        if (text && !field.isEmpty())
            value = text_value(field.toString());
        else if (!text)
            value = influx_number(field.toString());
        if (!value) continue;
        out += separator;
        out += c < keys_.size() ? keys_[c] : name_escaped(QStringLiteral("Value %1").arg(c + 1));
        out += QLatin1Char('=') + *value;
        separator = QLatin1Char(',');
    }
    // A point needs a field.
    if (separator == QLatin1Char(' ')) {
        out.truncate(start);
        ++skipped;
        return true;
    }
    out += QLatin1Char(' ') + QString::number(*ns) + QLatin1Char('\n');
    ++points;
    return true;
}

namespace
{
InfluxExport records_between(const QStringList& lines, const RecordSource& source,
                             const std::optional<QDateTime>& from, const std::optional<QDateTime>& to,
                             RecordTimes& times)
{
    InfluxPoints points(source, from, to, times);
    InfluxExport out;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (!points.add(lines[i], i + 1, out.text)) {
            out = InfluxExport{};
            out.error = points.error;
            return out;
        }
    out.points = points.points;
    out.skipped = points.skipped;
    return out;
}

} // namespace

InfluxExport records_to_influx(const QStringList& lines, const RecordSource& source,
                               const std::optional<QDateTime>& from, const std::optional<QDateTime>& to,
                               const QList<ClockNote>& notes)
{
    RecordTimes times(notes);
    return records_between(lines, source, from, to, times);
}

InfluxExport records_to_influx(const QStringList& lines, const RecordSource& source, RecordTimes& times)
{
    return records_between(lines, source, std::nullopt, std::nullopt, times);
}

} // namespace vx
