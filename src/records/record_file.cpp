#include "records/record_file.h"

#include "base/code_page.h"
#include "base/language.h"
#include "base/safe_file.h"
#include "base/ui_port.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include <unistd.h>

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

struct Stamp {
    QDate date;
    int hour = 0, minute = 0, second = 0;
    bool has_seconds = false;
    QDateTime to_date_time() const { return logger_local_time(date, QTime(hour, minute, second)); }
    // Seconds since the start of the Julian calendar, for ordering.
    qint64 key() const { return date.toJulianDay() * 86400 + hour * 3600 + minute * 60 + second; }
};

template <typename Ch> std::optional<Stamp> read_stamp(const Ch* begin, const Ch* end)
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
    if (r.at_end()) return Stamp{date};
    if (r.p == before_blanks) return std::nullopt; // the time must be set off by a blank

    const int hour = r.number(1, 2);
    if (hour < 0 || hour > 23 || !r.take(':')) return std::nullopt;
    const int minute = r.number(2, 2);
    if (minute < 0 || minute > 59) return std::nullopt;
    int second = 0;
    const bool has_seconds = r.take(':');
    if (has_seconds) {
        second = r.number(2, 2);
        if (second < 0 || second > 59) return std::nullopt;
    }
    r.skip_blanks();
    if (!r.at_end()) return std::nullopt;
    return Stamp{date, hour, minute, second, has_seconds};
}

// A value field: a decimal number with a comma or a point, blanks around.
// Read without allocating: files hold a million of them.
std::optional<double> read_value(QStringView field)
{
    field = field.trimmed();
    if (field.isEmpty() || field.size() > 63) return std::nullopt;
    char buf[64];
    qsizetype n = 0;
    for (QChar c : field) {
        const char16_t u = c.unicode();
        if (u > 0x7F) return std::nullopt;
        buf[n++] = u == u',' ? '.' : char(u);
    }
    const char* begin = buf;
    const char* end = buf + n;
    // A plus sign is allowed before the number, as before a decimal point.
    if (*begin == '+' && end - begin > 1 && *(begin + 1) != '-' && *(begin + 1) != '+') ++begin;
    double v = 0;
    const auto [stop, ec] = std::from_chars(begin, end, v);
    if (ec != std::errc() || stop != end || !std::isfinite(v)) return std::nullopt;
    return v;
}

} // namespace

std::optional<double> parse_record_value(QStringView field)
{
    return read_value(field);
}

QDateTime logger_local_time(const QDate& date, const QTime& time)
{
    QDateTime t(date, time);
    if (t.isValid() || !date.isValid() || !time.isValid()) return t;
    const QDateTime before(date, time.addSecs(-3 * 3600) > time ? QTime(0, 0) : time.addSecs(-3 * 3600));
    return QDateTime(date, time, Qt::OffsetFromUTC, before.offsetFromUtc());
}

std::optional<QDateTime> parse_time_stamp(QStringView text)
{
    const auto stamp = read_stamp(text.data(), text.data() + text.size());
    if (!stamp) return std::nullopt;
    return stamp->to_date_time();
}

std::optional<StampParts> read_time_stamp(QStringView text)
{
    const auto stamp = read_stamp(text.data(), text.data() + text.size());
    if (!stamp) return std::nullopt;
    return StampParts{stamp->date, QTime(stamp->hour, stamp->minute, stamp->second), stamp->has_seconds};
}

std::optional<QDateTime> parse_time_stamp_bytes(const char* begin, const char* end)
{
    const auto stamp = read_stamp(begin, end);
    if (!stamp) return std::nullopt;
    return stamp->to_date_time();
}

namespace
{
// Stamps are written for every record, so they are put together by hand
// rather than through a format pattern.
void put_number(QString& out, int value, int min_digits)
{
    char digits[12];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (n < min_digits)
        digits[n++] = '0';
    while (n > 0)
        out += QLatin1Char(digits[--n]);
}

QString stamp_text(const QDateTime& t, bool padded_date, bool with_time, bool with_seconds)
{
    QString out;
    out.reserve(20);
    const QDate d = t.date();
    const QTime tm = t.time();
    put_number(out, d.day(), padded_date ? 2 : 1);
    out += QLatin1Char('.');
    put_number(out, d.month(), padded_date ? 2 : 1);
    out += QLatin1Char('.');
    put_number(out, d.year(), 4);
    if (!with_time) return out;
    out += QLatin1Char(' ');
    put_number(out, tm.hour(), 2);
    out += QLatin1Char(':');
    put_number(out, tm.minute(), 2);
    if (with_seconds) {
        out += QLatin1Char(':');
        put_number(out, tm.second(), 2);
    }
    return out;
}
} // namespace

QString format_time_stamp(const QDateTime& t)
{
    return stamp_text(t, false, t.time() != QTime(0, 0), false);
}

QString format_time_stamp(const QDateTime& t, std::uint16_t type_code)
{
    if (type_code == 132) return stamp_text(t, true, true, true);
    return format_time_stamp(t);
}

QString display_time_stamp(const QDateTime& t, std::uint16_t type_code)
{
    return stamp_text(t, false, true, type_code == 132);
}

std::optional<QDateTime> line_time(const QString& line)
{
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    if (tab < 0) return std::nullopt;
    return parse_time_stamp(QStringView(line).left(tab));
}

int title_lines(QStringView first_line)
{
    // A record of key names is a record too: a time stamp before the first tab.
    const qsizetype tab = first_line.indexOf(QLatin1Char('\t'));
    return first_line.size() >= 8 && tab >= 0 && parse_time_stamp(first_line.left(tab)) ? 0 : 1;
}

RecordFields parse_record_fields(QStringView line)
{
    RecordFields out;
    if (line.size() < 8) return out;
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    if (tab < 0) return out;
    const QStringView stamp_text = line.left(tab);
    const auto stamp = read_stamp(stamp_text.data(), stamp_text.data() + stamp_text.size());
    if (!stamp) return out;

    qsizetype start = tab + 1;
    int count = 0;
    while (count < int(out.values.size())) {
        qsizetype next = line.indexOf(QLatin1Char('\t'), start);
        const qsizetype stop = next < 0 ? line.size() : next;
        const auto v = read_value(line.mid(start, stop - start));
        if (!v) break;
        out.values[count++] = *v;
        if (next < 0) break;
        start = next + 1;
    }
    out.count = count;
    out.date = stamp->date;
    out.seconds = stamp->hour * 3600 + stamp->minute * 60 + stamp->second;
    return out;
}

RecordLine parse_record_line(const QString& line)
{
    RecordLine out;
    const RecordFields f = parse_record_fields(line);
    if (!f.date.isValid()) return out;
    out.count = f.count;
    out.values = f.values;
    out.time = logger_local_time(f.date, QTime::fromMSecsSinceStartOfDay(f.seconds * 1000));
    return out;
}

// ---- The record file on disk ----

QString log_dir(const QString& logdir_setting, const QString& program_dir)
{
    if (!logdir_setting.isEmpty()) return logdir_setting;
    return program_dir + QStringLiteral("Log");
}

QString safe_file_name(const QString& mission_name)
{
    // A name of blanks only (the logger reads it as empty) would make a
    // hidden ".txt"; it is named as its download mark is.
    if (std::all_of(mission_name.begin(), mission_name.end(), [](QChar c) { return c == QLatin1Char(' '); }))
        return QStringLiteral("%20");
    QString out;
    out.reserve(mission_name.size());
    for (qsizetype i = 0; i < mission_name.size(); ++i) {
        const QChar ch = mission_name[i];
        const char16_t u = ch.unicode();
        // A leading dot would hide the file, a leading colon would make the
        // path a resource path.
        const bool unsafe = u == '%' || u == '/' || u == '\\' || u < 0x20 || (u >= 0x7F && u < 0xA0) ||
                            (i == 0 && (u == '.' || u == ':'));
        if (unsafe)
            out +=
                QLatin1Char('%') + QString::number(int(u), 16).rightJustified(2, QLatin1Char('0')).toUpper();
        else
            out += ch;
    }
    return out;
}

QString database_path(const QString& log_dir, const QString& mission_name)
{
    return QDir(log_dir).filePath(safe_file_name(mission_name) + QStringLiteral(".txt"));
}

QString old_format_database_path(const QString& log_dir, std::uint16_t serial)
{
    return QDir(log_dir).filePath(QString::number(serial) + QStringLiteral(".txt"));
}

bool ensure_log_dir(const QString& dir, UiPort* ui, const Language* lang)
{
    if (QFileInfo(dir).isDir() || QDir().mkpath(dir)) return true;
    // The message names the directory, so that the user knows which one to mend.
    if (ui)
        ui->show_message((lang ? lang->mess(78) : builtin_text(QStringLiteral("MESS78"))) +
                             QStringLiteral("\r\n") + QDir::toNativeSeparators(dir),
                         btn::ok);
    return false;
}

namespace
{

void report_unwritable(const QString& path, UiPort* ui, const QString& reason = {})
{
    if (ui)
        ui->plain_message(reason.isEmpty() ? QStringLiteral("Unable to write to %1").arg(path)
                                           : QStringLiteral("Unable to write to %1: %2").arg(path, reason));
}

// Lines in code page 1250, each ended by CR LF; nullopt without a converter.
std::optional<QByteArray> encode_lines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        const auto encoded = to_cp1250(line);
        if (!encoded) return std::nullopt;
        bytes += *encoded + "\r\n";
    }
    return bytes;
}

// An append killed part-way leaves a last line without its end. When that
// fragment is the start of one of the lines about to be written (the same
// record fetched again), it is dropped; any other unended line is ended, so
// the new lines never run on into it.
bool end_torn_line(QFile& f, const QByteArray& bytes)
{
    const qint64 size = f.size();
    if (size == 0) return true;
    const qint64 look = std::min<qint64>(size, 4096);
    if (!f.seek(size - look)) return false;
    const QByteArray tail = f.read(look);
    if (tail.size() != look) return false;
    if (tail.endsWith('\n')) return true;
    const qsizetype line_start = tail.lastIndexOf('\n') + 1;
    const QByteArray fragment = tail.mid(line_start);
    const bool whole_fragment = line_start > 0 || look == size;
    if (whole_fragment && (bytes.startsWith(fragment) || bytes.contains("\n" + fragment)))
        return f.resize(size - fragment.size());
    return f.write(fragment.endsWith('\r') ? QByteArray("\n") : QByteArray("\r\n")) > 0;
}

// One open, write and close per append; the bytes are on the disk (fsync)
// before it returns true.
bool append_bytes(const QString& path, const std::optional<QByteArray>& bytes, UiPort* ui,
                  const Language* lang)
{
    if (!ensure_log_dir(QFileInfo(path).absolutePath(), ui, lang)) return false;
    if (!bytes) {
        report_unwritable(path, ui);
        return false;
    }
    QFile f;
    // In a log folder others can write to, a link under a mission's name
    // would turn the download into a write to any file.
    const QString refused = open_regular_file(
        f, path, QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered, Links::refuse);
    if (!refused.isEmpty()) {
        report_unwritable(path, ui, refused);
        return false;
    }
    QString why;
    if (!end_torn_line(f, *bytes) || f.write(*bytes) != bytes->size() || !f.flush())
        why = f.errorString();
    else if (::fdatasync(f.handle()) != 0)
        why = QString::fromLocal8Bit(std::strerror(errno));
    f.close();
    if (why.isEmpty() && f.error() != QFileDevice::NoError) why = f.errorString();
    if (why.isEmpty()) return true;
    report_unwritable(path, ui, why);
    return false;
}

} // namespace

bool write_record(const QString& path, const QString& line, UiPort* ui, const Language* lang)
{
    return append_bytes(path, encode_lines({line}), ui, lang);
}

bool append_record_lines(const QString& path, const QStringList& lines, UiPort* ui, const Language* lang)
{
    return append_bytes(path, encode_lines(lines), ui, lang);
}

int header_line_count(std::uint16_t type_code)
{
    return type_code == 102 || type_code == 130 ? 6 : 5;
}

QStringList header_lines(const RecordFileHeader& h)
{
    QStringList lines;
    lines << h.name << QStringLiteral("Remark: ") + h.remark
          << QStringLiteral("START: ") + format_time_stamp(h.start) << QStringLiteral("PERIOD: ") + h.period;
    if (h.type_code == 102) {
        lines << QStringLiteral("STATUS: \t") + h.status << QStringLiteral("CONST: \t") + h.constant;
        return lines;
    }
    if (h.type_code == 130) lines << QStringLiteral("STATUS: \t") + h.status;
    lines << QStringLiteral("GRADIENT: ") + h.gradient;
    return lines;
}

bool write_header(const QString& path, const RecordFileHeader& h, UiPort* ui, const Language* lang)
{
    if (!ensure_log_dir(QFileInfo(path).absolutePath(), ui, lang)) return false;
    const auto bytes = encode_lines(header_lines(h));
    FileReplacement f(path);
    if (bytes && f.open() && f.write(*bytes) && f.commit()) return true;
    report_unwritable(path, ui);
    return false;
}

// ---- Sorting ----

namespace
{

struct Span {
    qsizetype begin = 0, size = 0;
};

struct Entry {
    qint64 key; // seconds since the start of the Julian calendar
    Span line;
};

bool is_blank_line(const char* p, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        if (p[i] != ' ' && p[i] != '\t') return false;
    return true;
}

std::optional<qint64> line_key(const char* p, qsizetype n)
{
    const void* tab = std::memchr(p, '\t', size_t(n));
    if (!tab) return std::nullopt;
    const auto stamp = read_stamp(p, static_cast<const char*>(tab));
    if (!stamp) return std::nullopt;
    return stamp->key();
}

} // namespace

SortResult sort_records_in_file(const QString& path, int header_count, const SortOptions& options)
{
    SortResult result;
    auto failed = [&result](const QString& why) {
        result = SortResult{};
        result.failed = true;
        result.error = why;
        return result;
    };
    QFile in;
    if (const QString why = open_regular_file(in, path, QIODevice::ReadOnly, Links::refuse); !why.isEmpty())
        return failed(why);
    const QByteArray data = in.readAll();
    if (in.error() != QFileDevice::NoError) return failed(in.errorString());
    in.close();

    // Split into lines (LF or CR LF; a last line without an end counts too).
    std::vector<Span> lines;
    lines.reserve(size_t(data.size() / 24 + 8));
    for (qsizetype pos = 0; pos < data.size();) {
        qsizetype nl = data.indexOf('\n', pos);
        const qsizetype stop = nl < 0 ? data.size() : nl;
        qsizetype len = stop - pos;
        if (len > 0 && data[pos + len - 1] == '\r') --len;
        lines.push_back({pos, len});
        pos = stop + 1;
    }

    const char* base = data.constData();
    std::vector<std::optional<qint64>> keys(lines.size());
    size_t records_end = 0; // one past the last dated line
    for (size_t i = 0; i < lines.size(); ++i) {
        keys[i] = line_key(base + lines[i].begin, lines[i].size);
        if (keys[i]) records_end = i + 1;
    }
    std::vector<Span> header, undated;
    std::vector<Entry> entries;
    entries.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const Span s = lines[i];
        if (keys[i]) {
            // A file first created by a download has no header: its first records sort too.
            entries.push_back({*keys[i], s});
        } else if (qsizetype(i) < header_count && (i < records_end || records_end == 0)) {
            // Undated lines after the last record stay after the records even
            // among the first lines, so a second sort finds them where the
            // first one put them.
            header.push_back(s);
        } else if (!is_blank_line(base + s.begin, s.size)) {
            undated.push_back(s);
        }
    }

    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.key < b.key; });

    // The sorted file replaces the entry in the folder, never a link's target.
    FileReplacement out(path);
    if (!out.open()) return failed(out.error());
    QByteArray buffer;
    buffer.reserve(1 << 20);
    bool ok = true;
    auto emit_line = [&](const Span& s) {
        buffer.append(base + s.begin, s.size);
        buffer.append("\r\n", 2);
        if (buffer.size() >= (1 << 20)) {
            ok = ok && out.write(buffer);
            buffer.clear();
        }
    };
    const qint64 total = qint64(entries.size());
    for (const Span& s : header)
        emit_line(s);
    // The lines written so far that carry the current stamp, to tell a repeat
    // (merged) from a different record that only shares its stamp (kept).
    // An old line absorbs one repeat: two equal appended lines are two records.
    struct Written {
        Span line;
        bool absorbed = false;
    };
    std::vector<Written> same_stamp;
    auto equal = [base](const Span& a, const Span& b) {
        return a.size == b.size && std::memcmp(base + a.begin, base + b.begin, size_t(a.size)) == 0;
    };
    const bool parts_known = options.appended_from >= 0;
    for (qint64 i = 0; i < total && ok; ++i) {
        const Entry& e = entries[size_t(i)];
        if (i == 0 || e.key != entries[size_t(i - 1)].key) same_stamp.clear();
        // With the appended part known, only a new line can repeat an old one:
        // one download reads each record once, and equal lines an earlier sort
        // kept are different records.
        const bool is_new = parts_known && e.line.begin >= options.appended_from;
        const auto repeated = std::find_if(same_stamp.begin(), same_stamp.end(), [&](const Written& w) {
            if (parts_known && (!is_new || w.line.begin >= options.appended_from || w.absorbed)) return false;
            return equal(w.line, e.line);
        });
        if (repeated != same_stamp.end()) {
            repeated->absorbed = true;
            ++result.repeats;
        } else {
            if (!same_stamp.empty()) {
                ++result.shared_stamps;
                if (is_new) ++result.new_shared_stamps;
            }
            emit_line(e.line);
            ++result.records;
            same_stamp.push_back({e.line});
        }
        if (options.progress && (i % 65536 == 0 || i + 1 == total) && !options.progress(i + 1, total))
            ok = false;
    }
    for (const Span& s : undated)
        emit_line(s);
    result.undated = int(undated.size());
    if (ok && !buffer.isEmpty()) ok = out.write(buffer);
    if (!ok) return failed(out.error().isEmpty() ? QStringLiteral("abandoned") : out.error());
    if (!out.commit()) return failed(out.error());
    result.sorted = true;
    return result;
}

} // namespace vx
