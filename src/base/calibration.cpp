#include "base/calibration.h"

#include "base/ini_file.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>
#include <limits>

namespace vx
{
namespace
{

inline constexpr const char* calib_file = "calib.ini";

float read_float(const IniFile& ini, const QString& section, const char* key)
{
    bool ok = false;
    const double v = parse_decimal(ini.read_string(section, key, QString()), &ok);
    return ok ? static_cast<float>(v) : 0.0f;
}

// One section of a pattern, split into what the number needs and where the
// literal text goes.
struct Pattern {
    QString before, after; // literal text around the number
    int min_int = 0;       // '0' placeholders before the point
    int decimals = 0;      // placeholders after the point
    int min_decimals = 0;  // up to the last '0' after the point
    bool point = false;
    bool grouping = false; // ',' among the integer placeholders
    bool has_digits = false;
};

Pattern parse_pattern(const QString& p)
{
    Pattern out;
    bool after_point = false;
    int after_count = 0;
    for (qsizetype i = 0; i < p.size(); ++i) {
        const QChar c = p[i];
        QString* literal = out.has_digits ? &out.after : &out.before;
        if (c == '"' || c == '\'') {
            const qsizetype end = p.indexOf(c, i + 1);
            *literal += p.mid(i + 1, end < 0 ? -1 : end - i - 1);
            if (end < 0) break;
            i = end;
        } else if (c == '0' || c == '#') {
            out.has_digits = true;
            if (after_point) {
                ++after_count;
                if (c == '0') out.min_decimals = after_count;
            } else if (c == '0' || out.min_int > 0) {
                ++out.min_int; // a '#' after a '0' still prints a digit
            }
        } else if (c == '.' && !after_point &&
                   (out.has_digits || (i + 1 < p.size() && (p[i + 1] == '0' || p[i + 1] == '#')))) {
            after_point = true;
            out.point = true;
            out.has_digits = true;
        } else if (c == ',' && out.has_digits && !after_point) {
            out.grouping = true;
        } else {
            *literal += c;
        }
    }
    out.decimals = after_count;
    return out;
}

// Decimal digits of |value| rounded half away from zero at the given number
// of decimals, taken from its 15 significant digits (the precision a double
// holds), so that 0.285 rounds to 0.29 as written.
void round_digits(double value, int decimals, QString& int_part, QString& frac_part)
{
    const QString e = QString::number(std::fabs(value), 'e', 14); // d.dddddddddddddde±xx
    QString digits = e.left(1) + e.mid(2, 14);
    const int exp = e.mid(e.indexOf('e') + 1).toInt();
    int int_len = exp + 1; // digits before the point
    const int keep = int_len + decimals;
    if (keep < 0) {
        digits.clear();
    } else if (keep < digits.size()) {
        const bool up = digits[keep] >= '5';
        digits.truncate(keep);
        if (up) {
            int i = keep - 1;
            for (; i >= 0; --i) {
                if (digits[i] == '9') {
                    digits[i] = '0';
                } else {
                    digits[i] = QChar(digits[i].unicode() + 1);
                    break;
                }
            }
            if (i < 0) {
                digits.prepend('1');
                ++int_len;
            }
        }
    }
    // Place the digits around the point.
    if (int_len <= 0) {
        int_part.clear();
        frac_part = QString(-int_len, '0') + digits;
    } else {
        int_part = digits.left(int_len);
        if (int_part.size() < int_len) int_part += QString(int_len - int_part.size(), '0');
        frac_part = digits.mid(int_len);
    }
    if (frac_part.size() < decimals) frac_part += QString(decimals - frac_part.size(), '0');
    frac_part.truncate(decimals);
    while (int_part.size() > 1 && int_part[0] == '0')
        int_part.remove(0, 1);
    if (int_part == "0") int_part.clear();
}

QString format_section(const Pattern& p, double value, bool with_sign)
{
    if (!p.has_digits) return p.before + p.after;
    QString int_part, frac_part;
    round_digits(value, p.decimals, int_part, frac_part);
    const bool zero = int_part.isEmpty() && !frac_part.contains(QRegularExpression("[1-9]"));
    while (frac_part.size() > p.min_decimals && frac_part.endsWith('0'))
        frac_part.chop(1);
    if (int_part.size() < p.min_int) int_part.prepend(QString(p.min_int - int_part.size(), '0'));
    const QLocale loc;
    if (p.grouping) {
        for (qsizetype i = int_part.size() - 3; i > 0; i -= 3)
            int_part.insert(i, loc.groupSeparator());
    }
    QString number = int_part;
    if (!frac_part.isEmpty()) number += loc.decimalPoint() + frac_part;
    if (with_sign && value < 0 && !zero) number.prepend(loc.negativeSign());
    return p.before + number + p.after;
}

} // namespace

double parse_decimal(const QString& text, bool* ok)
{
    QString t = text.trimmed();
    t.replace(',', '.');
    bool good = false;
    double v = t.isEmpty() ? 0.0 : t.toDouble(&good);
    if (good && !std::isfinite(v)) good = false;
    if (ok) *ok = good;
    return good ? v : 0.0;
}

QString format_pattern(const QString& pattern, double value)
{
    if (!std::isfinite(value)) return QStringLiteral("out of range");
    if (pattern.isEmpty()) return QLocale().toString(value, 'g', 15);
    // Up to three sections: positive; negative; zero.
    QStringList sections;
    {
        QString cur;
        QChar quote;
        for (QChar c : pattern) {
            if (!quote.isNull()) {
                if (c == quote) quote = QChar();
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == ';') {
                sections.append(cur);
                cur.clear();
                continue;
            }
            cur += c;
        }
        sections.append(cur);
    }
    const Pattern first = parse_pattern(sections[0]);
    if (sections.size() >= 3 && !sections[2].isEmpty()) {
        QString i, f;
        round_digits(value, first.decimals, i, f);
        if (i.isEmpty() && !f.contains(QRegularExpression("[1-9]")))
            return format_section(parse_pattern(sections[2]), 0, false);
    }
    if (value < 0 && sections.size() >= 2 && !sections[1].isEmpty())
        return format_section(parse_pattern(sections[1]), value, false);
    return format_section(first, value, true);
}

bool Calibration::load_calibration(const QString& program_dir, std::uint16_t serial)
{
    calib_active = false;
    const auto ini = IniFile::load(program_dir + calib_file);
    const QString section = QString::number(serial);
    if (!ini || !ini->has_section(section)) return false;
    ValueName = ini->read_string(section, "ValueName", QString());
    ValueRange = ini->read_string(section, "ValueRange", QString());
    ValueFormat = ini->read_string(section, "ValueFormat", QString());
    ValueHint = ini->read_string(section, "ValueHint", QString());
    CAL0 = read_float(*ini, section, "CAL0");
    CAL1 = read_float(*ini, section, "CAL1");
    CAL2 = read_float(*ini, section, "CAL2");
    MaxValue = read_float(*ini, section, "MaxValue");
    MinValue = read_float(*ini, section, "MinValue");
    calib_active = true;
    return true;
}

float Calibration::calib_value(float x) const
{
    if (!calib_active) return 0.0f;
    // A coefficient beyond single precision gives no value at all, rather
    // than a clamp that looks like a reading.
    if (!std::isfinite(CAL0) || !std::isfinite(CAL1) || !std::isfinite(CAL2))
        return std::numeric_limits<float>::quiet_NaN();
    float y = x * CAL1 + CAL0;
    y = x * x * CAL2 + y;
    if (y > MaxValue) y = MaxValue;
    if (y < MinValue) y = MinValue;
    return y;
}

QString Calibration::format_value(double value) const
{
    return format_pattern(ValueFormat, value);
}

} // namespace vx
