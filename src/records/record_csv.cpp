#include "records/record_csv.h"

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

// Appends a value as CSV holds it: numbers with a decimal point, anything
// else as written (quoted where it must be).
void append_csv_value(QString& out, QStringView field)
{
    if (decimals_of(field) < 0) {
        if (field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
            field.contains(QLatin1Char('\r')) || field.contains(QLatin1Char('\n'))) {
            out += QLatin1Char('"');
            for (QChar ch : field) {
                if (ch == QLatin1Char('"')) out += QLatin1Char('"');
                out += ch;
            }
            out += QLatin1Char('"');
        } else {
            out += field;
        }
        return;
    }
    for (QChar ch : field)
        out += ch == QLatin1Char(',') ? QLatin1Char('.') : ch;
}

} // namespace

bool split_record_line(QStringView line, RecordLineView& out)
{
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    if (line.size() < 8 || tab < 0) return false;
    const auto stamp = read_time_stamp(line.left(tab));
    if (!stamp) return false;
    out.stamp = *stamp;
    out.fields.clear();
    qsizetype start = tab + 1;
    for (;;) {
        const qsizetype next = line.indexOf(QLatin1Char('\t'), start);
        out.fields.append(line.mid(start, (next < 0 ? line.size() : next) - start).trimmed());
        if (next < 0) break;
        start = next + 1;
    }
    // A trailing tab adds no value.
    while (!out.fields.isEmpty() && out.fields.last().isEmpty())
        out.fields.removeLast();
    return true;
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

CsvLayout::CsvLayout(const CsvOptions& options) : options_(options)
{
    if (options_.from || options_.to) times_.emplace(options_.clock_notes);
}

void CsvLayout::add(QStringView line)
{
    if (!split_record_line(line, rec_)) {
        const_header_ = const_header_ || line.startsWith(QLatin1String("CONST:"));
        status_header_ = status_header_ || line.startsWith(QLatin1String("STATUS:"));
        totals_header_ = totals_header_ || line.startsWith(QLatin1String("Konstanta prietokomera="));
        return;
    }
    const auto& f = rec_.fields;
    if (!any_line_) totals_unit_ = f.size() > 1 ? f[1].toString() : QString();
    any_line_ = true;
    // Every record is placed in time, so that records sharing a stamp are read in their order.
    bool written = true;
    if (times_) {
        const RecordTime t = times_->next(rec_.stamp.date, rec_.stamp.time);
        written = !(options_.from && t.utc < *options_.from) && !(options_.to && t.utc > *options_.to);
    }
    if (written) widest_written_ = std::max(widest_written_, f.size());
    if (f.isEmpty()) return;
    if (!any_record_) first_decimals_ = decimals_of(f.first());
    any_record_ = true;
    most_ = std::max(most_, f.size());
    seconds_ = seconds_ || rec_.stamp.seconds;
    text_values_ = text_values_ || decimals_of(f.first()) < 0;
    // The shape of the first line that carries two values decides between the two-value models.
    if (!pair_model_ && f.size() >= 2)
        pair_model_ = decimals_of(f[1]) == 0 ? 130 : decimals_of(f[0]) == 2 ? 105 : 87;
}

std::uint16_t CsvLayout::model_guess() const
{
    if (const_header_) return 102;
    if (status_header_) return 130;
    if (!any_record_) return 0;
    if (seconds_) return 132;
    if (text_values_) return 93;
    if (most_ >= 3) return 133;
    if (most_ == 2) return pair_model_;
    return first_decimals_ == 0 ? 107 : 85;
}

TextChannels CsvLayout::channels() const
{
    TextChannels out;
    // The running totals of a flow meter (the browser's flow view): each line
    // holds the total and its unit, not values of a model.
    if (!options_.type_code && totals_header_) {
        out.totals = true;
        if (any_line_) out.channels = {{u("Total"), totals_unit_}};
        return out;
    }
    out.type_code = options_.type_code ? *options_.type_code : model_guess();
    out.channels = record_channels(out.type_code);
    return out;
}

qsizetype CsvLayout::columns() const
{
    const TextChannels named = channels();
    // A total is the first value of its line; the unit beside it is in the header.
    return std::max(named.channels.size(),
                    named.totals ? std::min<qsizetype>(widest_written_, 1) : widest_written_);
}

CsvRows::CsvRows(const TextChannels& named, qsizetype columns, const CsvOptions& options)
    : named_(named), columns_(columns), from_(options.from), to_(options.to), times_(options.clock_notes)
{
}

QString CsvRows::header() const
{
    return csv_header(QStringLiteral("Time"), named_.channels, columns_) + QStringLiteral("\r\n");
}

bool CsvRows::add(QStringView line, QString& out)
{
    if (!split_record_line(line, rec_)) return false;
    // Every record is placed in time, also those outside from..to, so that
    // records sharing a stamp are read in their order.
    const RecordTime t = times_.next(rec_.stamp.date, rec_.stamp.time);
    if ((from_ && t.utc < *from_) || (to_ && t.utc > *to_)) return false;
    const qsizetype values = named_.totals ? std::min<qsizetype>(rec_.fields.size(), 1) : rec_.fields.size();
    t.append_iso(out);
    for (qsizetype c = 0; c < columns_; ++c) {
        out += QLatin1Char(',');
        if (c < values) append_csv_value(out, rec_.fields[c]);
    }
    out += QLatin1String("\r\n");
    return true;
}

std::uint16_t guess_record_model(const QStringList& lines)
{
    CsvLayout layout{CsvOptions{}};
    for (const QString& line : lines)
        layout.add(line);
    return layout.model_guess();
}

TextChannels channels_of(const QStringList& lines, std::optional<std::uint16_t> type_code)
{
    CsvOptions options;
    options.type_code = type_code;
    CsvLayout layout(options);
    for (const QString& line : lines)
        layout.add(line);
    return layout.channels();
}

CsvExport records_to_csv(const QStringList& lines, const CsvOptions& options)
{
    CsvLayout layout(options);
    for (const QString& line : lines)
        layout.add(line);
    const TextChannels named = layout.channels();
    CsvRows rows(named, layout.columns(), options);
    CsvExport out;
    out.type_code = named.type_code;
    out.text = rows.header();
    for (const QString& line : lines)
        out.rows += rows.add(line, out.text) ? 1 : 0;
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
