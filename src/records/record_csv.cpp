#include "records/record_csv.h"

#include "records/record_file.h"
#include "records/record_times.h"

#include <QSaveFile>
#include <algorithm>

namespace vx
{

namespace
{

QString u(const char* s)
{
    return QString::fromUtf8(s);
}

const CsvChannel temperature{u("Temperature"), u("°C")};
const CsvChannel humidity{u("Humidity"), u("%RH")};

// A value field as a number: optional sign, digits, optional comma or point
// and digits. Returns the digits after the separator (0 for a whole number),
// or -1 when the field is no number.
int decimals_of(QStringView field)
{
    qsizetype i = 0;
    if (i < field.size() && (field[i] == QLatin1Char('-') || field[i] == QLatin1Char('+'))) ++i;
    int before = 0, after = 0;
    while (i < field.size() && field[i].isDigit()) {
        ++i;
        ++before;
    }
    bool separator = false;
    if (i < field.size() && (field[i] == QLatin1Char(',') || field[i] == QLatin1Char('.'))) {
        separator = true;
        ++i;
        while (i < field.size() && field[i].isDigit()) {
            ++i;
            ++after;
        }
    }
    if (i != field.size() || before == 0 || (separator && after == 0)) return -1;
    return after;
}

bool header_has(const QStringList& lines, const char* key)
{
    return std::any_of(lines.begin(), lines.end(), [key](const QString& l) {
        return l.startsWith(QLatin1String(key)) && !split_record_line(l);
    });
}

// A value as CSV holds it: numbers with a decimal point, anything else as written.
QString csv_value(const QString& field)
{
    if (decimals_of(field) < 0) return csv_field(field);
    QString v = field;
    v.replace(QLatin1Char(','), QLatin1Char('.'));
    return v;
}

} // namespace

std::optional<RecordRow> split_record_line(const QString& line)
{
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    if (line.size() < 8 || tab < 0) return std::nullopt;
    const QStringView stamp = QStringView(line).left(tab);
    const auto time = parse_time_stamp(stamp);
    if (!time) return std::nullopt;
    RecordRow out;
    out.time = *time;
    out.seconds = stamp.count(QLatin1Char(':')) == 2;
    for (const QString& f : line.mid(tab + 1).split(QLatin1Char('\t')))
        out.fields << f.trimmed();
    // A trailing tab adds no value.
    while (!out.fields.isEmpty() && out.fields.last().isEmpty())
        out.fields.removeLast();
    return out;
}

QString csv_field(const QString& field)
{
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) &&
        !field.contains(QLatin1Char('\r')) && !field.contains(QLatin1Char('\n')))
        return field;
    QString quoted = field;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csv_header(const QString& time_column, const QList<CsvChannel>& channels, qsizetype columns)
{
    QString row = csv_field(time_column);
    for (qsizetype c = 0; c < columns; ++c) {
        QString name = QStringLiteral("Value %1").arg(c + 1);
        if (c < channels.size()) {
            name = channels[c].name;
            if (!channels[c].unit.isEmpty())
                name += QStringLiteral(" [") + channels[c].unit + QLatin1Char(']');
        }
        row += QLatin1Char(',') + csv_field(name);
    }
    return row;
}

QList<CsvChannel> record_channels(std::uint16_t type_code)
{
    switch (type_code) {
    case 55:
    case 85:
    case 86:
    case 89:
    case 94:
    case 95:
    case 96:
    case 101:
    case 103:
    case 128:
    case 129:
        return {temperature};
    case 87:
    case 88:
    case 92:
    case 99:
    case 100:
    case 106:
        return {temperature, humidity};
    case 90:
    case 102:
        return {{u("Pulses"), {}}};
    case 93:
        return {{u("Key"), {}, true}};
    case 97:
        return {{u("Value"), {}}};
    case 105:
    case 108:
    case 131:
        return {{u("Temperature 1"), u("°C")}, {u("Temperature 2"), u("°C")}};
    case 107:
        return {{u("Quantity"), {}}};
    case 111:
        return {{u("Wind speed"), u("m/s")}, {u("Wind direction"), u("°")}};
    case 130:
        return {{u("Current"), u("mA")}, {u("Pulses"), {}}};
    case 132:
        return {{u("Level"), u("cm")}};
    case 133:
        return {temperature, humidity, {u("Air pressure"), u("hPa")}};
    default:
        return {};
    }
}

std::uint16_t guess_record_model(const QStringList& lines)
{
    if (header_has(lines, "CONST:")) return 102;
    if (header_has(lines, "STATUS:")) return 130;
    std::optional<RecordRow> first;
    qsizetype most = 0;
    bool seconds = false, text_values = false;
    for (const QString& line : lines) {
        const auto rec = split_record_line(line);
        if (!rec || rec->fields.isEmpty()) continue;
        if (!first) first = rec;
        most = std::max(most, rec->fields.size());
        seconds = seconds || rec->seconds;
        text_values = text_values || decimals_of(rec->fields.first()) < 0;
    }
    if (!first) return 0;
    if (seconds) return 132;
    if (text_values) return 93;
    if (most >= 3) return 133;
    if (most == 2) {
        // The shape of the first line that carries both values decides.
        for (const QString& line : lines) {
            const auto rec = split_record_line(line);
            if (!rec || rec->fields.size() < 2) continue;
            if (decimals_of(rec->fields[1]) == 0) return 130;
            if (decimals_of(rec->fields[0]) == 2) return 105;
            break;
        }
        return 87;
    }
    return decimals_of(first->fields.first()) == 0 ? 107 : 85;
}

TextChannels channels_of(const QStringList& lines, std::optional<std::uint16_t> type_code)
{
    TextChannels out;
    // The running totals of a flow meter (the browser's flow view): each line
    // holds the total and its unit, not values of a model.
    if (!type_code && header_has(lines, "Konstanta prietokomera=")) {
        out.totals = true;
        for (const QString& line : lines)
            if (const auto rec = split_record_line(line)) {
                out.channels = {{u("Total"), rec->fields.value(1)}};
                break;
            }
        return out;
    }
    out.type_code = type_code ? *type_code : guess_record_model(lines);
    out.channels = record_channels(out.type_code);
    return out;
}

CsvExport records_to_csv(const QStringList& lines, const CsvOptions& options)
{
    CsvExport out;
    const TextChannels named = channels_of(lines, options.type_code);
    const bool totals = named.totals;
    out.type_code = named.type_code;
    QList<CsvChannel> channels = named.channels;

    // Every record is placed in time, also those outside from..to, so that
    // records sharing a stamp are read in their order.
    RecordTimes times(options.clock_notes);
    QList<QPair<RecordRow, QString>> rows;
    qsizetype columns = channels.size();
    for (const QString& line : lines) {
        auto rec = split_record_line(line);
        if (!rec) continue;
        const RecordTime t = times.next(rec->time);
        if (options.from && t.utc < *options.from) continue;
        if (options.to && t.utc > *options.to) continue;
        if (totals) rec->fields = rec->fields.mid(0, 1);
        columns = std::max(columns, rec->fields.size());
        rows.append({std::move(*rec), t.iso()});
    }

    const QString eol = QStringLiteral("\r\n");
    QString& csv = out.text;
    csv += csv_header(QStringLiteral("Time"), channels, columns) + eol;
    for (const auto& [r, time] : rows) {
        csv += time;
        for (qsizetype c = 0; c < columns; ++c) {
            csv += QLatin1Char(',');
            if (c < r.fields.size()) csv += csv_value(r.fields[c]);
        }
        csv += eol;
    }
    out.rows = static_cast<int>(rows.size());
    return out;
}

bool write_csv_file(const QString& path, const QString& text, QString* error)
{
    const QByteArray bytes = text.toUtf8();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) *error = QStringLiteral("Unable to write to %1").arg(path);
        return false;
    }
    return true;
}

} // namespace vx
