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

namespace
{
InfluxExport records_between(const QStringList& lines, const RecordSource& source,
                             const std::optional<QDateTime>& from, const std::optional<QDateTime>& to,
                             RecordTimes& times)
{
    const QList<CsvChannel> channels = record_channels(source.type_code);
    const QList<QPair<QString, QString>> tags = influx_tags(source);
    const QString measurement = QString::fromLatin1(influx_measurement);
    InfluxExport out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto row = split_record_line(lines[i]);
        if (!row) continue;
        const RecordTime t = times.next(row->time);
        if ((from && t.utc < *from) || (to && t.utc > *to)) continue;
        const auto ns = t.nanoseconds();
        if (!ns) {
            out = InfluxExport{};
            out.error = QStringLiteral("line %1: %2 lies outside the times InfluxDB can hold (1677-09-21 to "
                                       "2262-04-11)")
                            .arg(i + 1)
                            .arg(t.iso());
            return out;
        }
        QList<InfluxField> fields;
        for (qsizetype c = 0; c < row->fields.size(); ++c) {
            const bool text = c < channels.size() && channels[c].text;
            const QString key =
                c < channels.size() ? channels[c].name : QStringLiteral("Value %1").arg(c + 1);
            if (text && !row->fields[c].isEmpty())
                fields.append({key, row->fields[c], true});
            else if (const auto number = influx_number(row->fields[c]); number && !text)
                fields.append({key, *number});
        }
        if (fields.isEmpty()) {
            ++out.skipped;
            continue;
        }
        out.text += influx_line(measurement, tags, fields, *ns) + QLatin1Char('\n');
        ++out.points;
    }
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
