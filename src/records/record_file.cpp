#include "records/record_file.h"

#include <QLocale>
#include <cmath>

namespace vx
{

namespace
{

int code(QChar c)
{
    return c.unicode();
}
int code(char c)
{
    return static_cast<unsigned char>(c);
}

// Time stamps are plain ASCII, so one reader serves QString and raw bytes.
template <typename Ch> struct StampReader {
    const Ch* p;
    const Ch* end;

    static bool is_blank(Ch c) { return code(c) == ' '; }
    static bool is_digit(Ch c) { return code(c) >= '0' && code(c) <= '9'; }

    void skip_blanks()
    {
        while (p != end && is_blank(*p))
            ++p;
    }
    bool at_end() const { return p == end; }
    bool take(char c)
    {
        if (p == end || code(*p) != c) return false;
        ++p;
        return true;
    }
    // Between min_digits and max_digits decimal digits; -1 when fewer.
    int number(int min_digits, int max_digits)
    {
        int value = 0, n = 0;
        while (p != end && n < max_digits && is_digit(*p)) {
            value = value * 10 + (code(*p) - '0');
            ++p;
            ++n;
        }
        return n >= min_digits ? value : -1;
    }
};

template <typename Ch> std::optional<QDateTime> read_stamp(const Ch* begin, const Ch* end)
{
    StampReader<Ch> r{begin, end};
    r.skip_blanks();
    const int day = r.number(1, 2);
    if (day < 0 || !r.take('.')) return std::nullopt;
    const int month = r.number(1, 2);
    if (month < 0 || !r.take('.')) return std::nullopt;
    const int year = r.number(4, 4);
    if (year < 0) return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid()) return std::nullopt;

    const Ch* before_blanks = r.p;
    r.skip_blanks();
    if (r.at_end()) return QDateTime(date, QTime(0, 0));
    if (r.p == before_blanks) return std::nullopt; // the time must be set off by a blank

    const int hour = r.number(1, 2);
    if (hour < 0 || hour > 23 || !r.take(':')) return std::nullopt;
    const int minute = r.number(2, 2);
    if (minute < 0 || minute > 59) return std::nullopt;
    int second = 0;
    if (r.take(':')) {
        second = r.number(2, 2);
        if (second < 0 || second > 59) return std::nullopt;
    }
    r.skip_blanks();
    if (!r.at_end()) return std::nullopt;
    return QDateTime(date, QTime(hour, minute, second));
}

// A value field: a decimal number with a comma or a point, blanks around.
std::optional<double> read_value(QStringView field)
{
    field = field.trimmed();
    if (field.isEmpty()) return std::nullopt;
    QString text = field.toString();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

} // namespace

std::optional<QDateTime> parse_time_stamp(QStringView text)
{
    return read_stamp(text.data(), text.data() + text.size());
}

std::optional<QDateTime> parse_time_stamp_bytes(const char* begin, const char* end)
{
    return read_stamp(begin, end);
}

QString format_time_stamp(const QDateTime& t)
{
    const QString date = t.date().toString(QStringLiteral("d.M.yyyy"));
    if (t.time() == QTime(0, 0)) return date;
    return date + QLatin1Char(' ') + t.time().toString(QStringLiteral("hh:mm"));
}

QString format_time_stamp(const QDateTime& t, std::uint16_t type_code)
{
    if (type_code == 132) return t.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    return format_time_stamp(t);
}

std::optional<QDateTime> line_time(const QString& line)
{
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    if (tab < 0) return std::nullopt;
    return parse_time_stamp(QStringView(line).left(tab));
}

RecordLine parse_record_line(const QString& line)
{
    RecordLine out;
    if (line.size() < 8) return out;
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    if (tab < 0) return out;
    const auto time = parse_time_stamp(QStringView(line).left(tab));
    if (!time) return out;

    qsizetype start = tab + 1;
    int count = 0;
    while (count < int(out.values.size())) {
        qsizetype next = line.indexOf(QLatin1Char('\t'), start);
        const qsizetype stop = next < 0 ? line.size() : next;
        const auto v = read_value(QStringView(line).mid(start, stop - start));
        if (!v) break;
        out.values[count++] = *v;
        if (next < 0) break;
        start = next + 1;
    }
    out.count = count;
    out.time = *time;
    return out;
}

} // namespace vx
