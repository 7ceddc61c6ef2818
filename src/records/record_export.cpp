// Whole record files exported in a stream (see record_export.h).
#include "records/record_export.h"

#include "base/code_page.h"

#include <algorithm>
#include <cstdlib>

namespace vx
{

namespace
{

constexpr qint64 piece = 1 << 20;
// Output is handed on once this many characters are waiting.
constexpr qsizetype output_piece = 1 << 16;

bool hand_on(QString& text, const ExportSink& sink)
{
    if (text.isEmpty()) return true;
    const QByteArray bytes = text.toUtf8();
    text.resize(0); // keeps its room for the next piece
    return sink(bytes);
}

// Whether any record of the file lies near the ends of InfluxDB's times
// (1677-09-21 .. 2262-04-11), where only its placing tells: within two days
// and the largest offset of a clock note.
bool near_influx_limits(RecordLineReader& lines, const QList<ClockNote>& notes)
{
    QStringView line;
    RecordLineView rec;
    qint64 margin = 2;
    for (const ClockNote& n : notes)
        margin = std::max<qint64>(margin, 2 + std::abs(qint64(n.offset)) / 86400 + 1);
    const QDate first = QDate(1677, 9, 21).addDays(margin), last = QDate(2262, 4, 11).addDays(-margin);
    while (lines.next(line))
        if (split_record_line(line, rec) && (rec.stamp.date < first || rec.stamp.date > last)) return true;
    return false;
}

} // namespace

bool RecordLineReader::next(QStringView& line)
{
    for (;;) {
        const qsizetype lf = text_.indexOf(QLatin1Char('\n'), pos_);
        if (lf >= 0 || at_end_) {
            if (lf < 0 && done_) return false;
            const qsizetype end = lf >= 0 ? lf : text_.size();
            line = QStringView(text_).mid(pos_, end - pos_);
            if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
            pos_ = lf >= 0 ? lf + 1 : end;
            // The text after the last line end is a line too, even when empty.
            done_ = lf < 0;
            ++number_;
            return true;
        }
        text_.remove(0, pos_);
        pos_ = 0;
        bytes_.resize(piece);
        const qint64 n = device_.read(bytes_.data(), piece);
        if (n < 0) {
            error_ = device_.errorString();
            return false;
        }
        at_end_ = n == 0;
        // Code page 1250 is one byte a character: pieces decode as the whole would.
        append_cp1250(text_, QByteArrayView(bytes_.constData(), n));
    }
}

StreamedExport stream_csv(QIODevice& device, const CsvOptions& options, const ExportSink& sink)
{
    StreamedExport out;
    const qint64 start = device.pos();
    CsvLayout layout(options);
    RecordLineReader scan(device);
    QStringView line;
    while (scan.next(line))
        layout.add(line);
    if (!scan.error().isEmpty() || !device.seek(start)) {
        out.error = scan.error().isEmpty() ? device.errorString() : scan.error();
        return out;
    }
    CsvRows rows(layout.channels(), layout.columns(), options);
    QString text = rows.header();
    RecordLineReader lines(device);
    while (lines.next(line)) {
        out.written += rows.add(line, text) ? 1 : 0;
        if (text.size() >= output_piece && !hand_on(text, sink)) {
            out.sink_failed = true;
            return out;
        }
    }
    out.error = lines.error();
    if (out.error.isEmpty()) out.sink_failed = !hand_on(text, sink);
    return out;
}

StreamedExport stream_influx(QIODevice& device, const RecordSource& source,
                             const std::optional<QDateTime>& from, const std::optional<QDateTime>& to,
                             const QList<ClockNote>& notes, const ExportSink& sink, bool check_first)
{
    StreamedExport out;
    const qint64 start = device.pos();
    QStringView line;
    QString text;
    // Each pass writes to sink only when told to; a dry pass finds a refused record first.
    auto pass = [&](bool write) {
        RecordTimes times(notes);
        InfluxPoints points(source, from, to, times);
        RecordLineReader lines(device);
        while (lines.next(line)) {
            if (!points.add(line, lines.number(), text)) {
                out.error = points.error;
                return;
            }
            if (!write)
                text.resize(0);
            else if (text.size() >= output_piece && !hand_on(text, sink)) {
                out.sink_failed = true;
                return;
            }
        }
        out.error = lines.error();
        if (write && out.error.isEmpty()) out.sink_failed = !hand_on(text, sink);
        out.written = points.points;
    };
    if (check_first) {
        RecordLineReader scan(device);
        const bool near = near_influx_limits(scan, notes);
        if (!scan.error().isEmpty() || !device.seek(start)) {
            out.error = scan.error().isEmpty() ? device.errorString() : scan.error();
            return out;
        }
        if (near) {
            pass(false);
            if (!out.ok()) return out;
            if (!device.seek(start)) {
                out.error = device.errorString();
                return out;
            }
        }
    }
    pass(true);
    return out;
}

} // namespace vx
