#include "records/record_decode.h"

#include "base/number_format.h"
#include "records/conversions.h"
#include "records/key_list.h"
#include "records/record_file.h"

#include <QFile>
#include <QLocale>
#include <cmath>

namespace vx
{

namespace
{
QDate record_date(std::uint16_t day_number)
{
    // The logger counts every fourth year as a leap year, 2100 included.
    static constexpr int month_days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int rest = day_number;
    int year = 2000;
    for (;;) {
        const int days = year % 4 == 0 ? 366 : 365;
        if (rest < days) break;
        rest -= days;
        ++year;
    }
    int month = 0;
    for (; month < 12; ++month) {
        const int days = month_days[month] + (month == 1 && year % 4 == 0 ? 1 : 0);
        if (rest < days) break;
        rest -= days;
    }
    return QDate(year, month + 1, rest + 1);
}
} // namespace

std::optional<RawRecord> parse_record(std::uint16_t type_code, int record_length, ByteView bytes)
{
    if (type_code == 0 || record_length < 6 || bytes.size() < std::size_t(record_length)) return std::nullopt;
    const auto minute = u8_at(bytes, 0);
    const auto hour_byte = u8_at(bytes, 1);
    const auto day = u16le_at(bytes, 2);
    const auto a = u16le_at(bytes, 4);
    if (!minute || !hour_byte || !day || !a) return std::nullopt;
    const int hour = *hour_byte & 0x7F; // bit 7 is a logger flag
    if (*minute > 59 || hour > 23) return std::nullopt;

    RawRecord rec;
    rec.a = *a;
    if (record_length >= 8) rec.b = u16le_at(bytes, 6).value_or(0);
    if (record_length >= 9) rec.extra = u8_at(bytes, 8).value_or(0);

    int second = 0;
    if (type_code == 132) {
        // The level logger keeps the seconds of its time stamp in value B.
        if (rec.b > 59) return std::nullopt;
        second = rec.b;
    }
    const QDate date = record_date(*day);
    if (!date.isValid()) return std::nullopt;
    rec.time = logger_local_time(date, QTime(hour, *minute, second));
    return rec;
}

float temp16(const DecodeContext& c, std::uint16_t r)
{
    float t = r < 2000 ? float(r) / 16.0f : -(float(65535 - r) / 16.0f);
    if (c.type_code != 131) t += c.corr1;
    return t;
}

float temp16_t2(const DecodeContext& c, std::uint16_t r)
{
    const float t = r < 2000 ? float(r) / 16.0f : -(float(65535 - r) / 16.0f);
    return t + c.corr2;
}

namespace
{
const Coefficients& coefficients(const DecodeContext& c)
{
    static const Coefficients identity;
    return c.coef ? *c.coef : identity;
}

float polynomial(float a0, float a1, float a2, float x)
{
    return a0 + a1 * x + a2 * x * x;
}
} // namespace

float poly_value(const DecodeContext& c, std::uint16_t r)
{
    const Coefficients& k = coefficients(c);
    return polynomial(k.a0, k.a1, k.a2, float(r)) + c.corr1;
}

float humi_value(const DecodeContext& c, std::uint16_t r)
{
    float h = poly_value(c, r);
    if (!c.diagnostic) {
        if (h > 100) h = 100;
        if (h < 0) h = 0;
    }
    return h;
}

float humi_cap(const DecodeContext& c, std::uint16_t r)
{
    if (c.diagnostic) return float(r);
    const Coefficients& k = coefficients(c);
    if (float(r) > k.F0 || k.S == 0) return 0;
    float h = (k.F0 - float(r)) * 16.0f / k.S;
    const int trim = k.kept[0]; // trim byte T
    if (trim >= 128)
        h -= float(trim - 128);
    else
        h += float(trim);
    h /= 2;
    if (h > 99) h = 99.9f;
    if (h < 0) h = 0;
    return h;
}

bool is_wide_type(std::uint16_t t)
{
    switch (t) {
    case 87:
    case 88:
    case 92:
    case 100:
    case 105:
    case 106:
    case 108:
    case 130:
    case 131:
    case 132:
    case 133:
        return true;
    default:
        return false;
    }
}

namespace
{

// A current-loop value through the user calibration when one is in force.
QString calibrated(const DecodeContext& c, float x)
{
    if (c.calibrated) return c.calibrated(x);
    return format_fixed(x, 6, 2);
}

QString joined(std::initializer_list<QString> values)
{
    QString s;
    for (const QString& v : values) {
        if (!s.isEmpty()) s += QLatin1Char('\t');
        s += v;
    }
    return s;
}

} // namespace

QString record_values(const DecodeContext& c, const RawRecord& rec)
{
    const Coefficients& k = coefficients(c);
    const float A = rec.a, B = rec.b;
    switch (c.type_code) {
    case 85:
    case 89:
    case 96:
    case 128:
        return format_fixed(temp16(c, rec.a), 5, 1);
    case 86:
    case 94:
    case 95:
    case 97:
    case 101:
    case 103:
    case 129:
        return format_fixed(poly_value(c, rec.a), 5, 1);
    case 87:
    case 88:
    case 92:
        return joined({format_fixed(temp16(c, rec.a), 5, 1), format_fixed(humi_value(c, rec.b), 5, 1)});
    case 90:
    case 102:
        return format_fixed(A, 5, 1);
    case 93: {
        QString name;
        if (KeyList(c.program_dir + QStringLiteral("kluce.txt")).lookup(rec.a, &name) == KeyList::found)
            return name;
        return QStringLiteral("[%1]").arg(rec.a);
    }
    case 99: {
        const float dry = temp16(c, rec.a);
        const float wet = temp16_t2(c, rec.b);
        return joined({format_fixed(dry, 5, 1), format_fixed(psychrometric_humidity(dry, wet), 5, 1)});
    }
    case 100:
    case 106:
        return joined({format_fixed(temp16(c, rec.a), 5, 1), format_fixed(humi_cap(c, rec.b), 5, 1)});
    case 105:
    case 131:
        return joined({format_fixed(temp16(c, rec.a), 6, 2), format_fixed(temp16_t2(c, rec.b), 6, 2)});
    case 107:
        return QString::number(rec.a);
    case 108:
        return joined({format_fixed(poly_value(c, rec.a), 5, 1),
                       format_fixed(polynomial(k.a0, k.a1, k.a2, B) + c.corr2, 5, 1)});
    case 111:
        return joined({format_fixed(k.a0 + k.a1 * A, 5, 1), format_fixed(k.a2 + k.a3 * B, 5, 1)});
    case 130:
        return joined({calibrated(c, poly_value(c, rec.a)), format_fixed(B, 7, 0)});
    case 132:
        return calibrated(c, poly_value(c, rec.a));
    case 133:
        return joined({format_fixed(temp16(c, rec.a), 5, 1), format_fixed(humi_cap(c, rec.b), 5, 1),
                       QString::number(int(rec.extra) + 900)});
    default:
        return {};
    }
}

DecodeResult decode_block(const DecodeContext& c, int record_length, ByteView reply, int count)
{
    DecodeResult out;
    out.wide = is_wide_type(c.type_code);
    if (count > 10) count = 10;
    if (record_length < 1) return out;
    constexpr std::size_t echo = 5; // the logger echoes our read command first
    for (int i = 0; i < count; ++i) {
        const std::size_t from = echo + std::size_t(i) * std::size_t(record_length);
        if (from + std::size_t(record_length) > reply.size()) {
            ++out.skipped;
            continue;
        }
        const auto rec = parse_record(c.type_code, record_length, reply.subspan(from, record_length));
        if (!rec) {
            ++out.skipped;
            continue;
        }
        DecodedLine line;
        line.time = rec->time;
        line.values = record_values(c, *rec);
        line.display_line = display_time_stamp(rec->time, c.type_code) + QLatin1Char('\t') + line.values;
        line.file_line = format_time_stamp(rec->time, c.type_code) + QLatin1Char('\t') + line.values;
        out.lines.push_back(std::move(line));
    }
    return out;
}

std::optional<OldRecord> parse_old_record(ByteView bytes, int pc_year, const Coefficients& coef)
{
    if (bytes.size() != 7) return std::nullopt;
    const auto sum = sum8(bytes, 0, 6);
    if (!sum || *sum != bytes[6]) return std::nullopt;

    // Two BCD digits; -1 when a nibble is not a decimal digit.
    const auto bcd = [](std::uint8_t v) {
        const int hi = v >> 4, lo = v & 0x0F;
        return hi > 9 || lo > 9 ? -1 : hi * 10 + lo;
    };
    const int hour = bcd(bytes[0]);
    const int minute = bcd(bytes[1]);
    const int day = bcd(bytes[2] & 0x3F);
    const int month = bcd(bytes[3] & 0x1F);
    const int year_bits = bytes[2] >> 6;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || day < 0 || month < 0) return std::nullopt;

    int year = pc_year;
    while (((year % 4) + 4) % 4 != year_bits)
        --year;
    const QDate date(year, month, day);
    if (!date.isValid()) return std::nullopt;

    const float x = float(*u16be_at(bytes, 4));
    OldRecord rec;
    rec.time = logger_local_time(date, QTime(hour, minute));
    rec.value = polynomial(coef.old_a0, coef.old_a1, coef.old_a2, x);
    return rec;
}

QString old_record_line(const OldRecord& rec)
{
    return display_time_stamp(rec.time, 55) + QLatin1Char('\t') + format_fixed(rec.value, 5, 1);
}

} // namespace vx
