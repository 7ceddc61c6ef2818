#pragma once
// InfluxDB line protocol, one point per line:
//
//   measurement,tag=value,tag=value field=value,field="text" nanoseconds
//
// Measurement names escape commas and blanks; tag keys, tag values and field
// keys escape commas, equals signs and blanks, each with a backslash. Text
// field values are quoted, their double quotes and backslashes escaped.
// Line breaks cannot be written in any of them; other control characters are
// turned into blanks as well. A backslash has no portable spelling in names
// and tag values (one reader keeps "\\" as two, another reads one, and a
// trailing one breaks the line), so it is written as '/'. An empty tag value
// is not allowed: such a tag is left out.
//
// Records become points of measurement "vorlanix", tagged with the logger's
// serial number, model (type code) and mission, one field per value named
// as the CSV export's column without its unit, at the record's instant
// (records/record_times.h). InfluxDB counts time in signed 64-bit
// nanoseconds since 1970: a record outside 1677-09-21 .. 2262-04-11 cannot
// be written and the export is refused, naming its line.
#include "records/record_csv.h"
#include "records/record_source.h"
#include "records/record_times.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace vx
{

inline constexpr const char* influx_measurement = "vorlanix";

struct InfluxField {
    QString key;
    QString value;     // a number with a decimal point, or (text) any text
    bool text = false; // written as a quoted text value
};

// One point, without its line end; empty when it has no field.
QString influx_line(const QString& measurement, const QList<QPair<QString, QString>>& tags,
                    const QList<InfluxField>& fields, qint64 nanoseconds);

// The tags serial, model and mission of a record source (an empty mission is left out).
QList<QPair<QString, QString>> influx_tags(const RecordSource& source);

// A record value (comma or point decimals) as a field value: the shortest
// decimal-point text of the same number; nullopt when the field holds no
// number.
std::optional<QString> influx_number(const QString& field);

// Nanoseconds since the epoch of a moment; nullopt outside what InfluxDB holds.
std::optional<qint64> influx_time(const QDateTime& t);

struct InfluxExport {
    QString text; // one line per record, each ended by "\n"
    int points = 0;
    int skipped = 0; // record lines without a single value
    QString error;   // set when a record cannot be written: "line N: ..."; text is then empty
};

// The record lines among lines (a record file or a viewer's text) of a
// logger of model source.type_code as points. A value that is no number
// (a sensor's "Error") is left out of its point, except in channels of
// texts. Records outside from..to (inclusive, when given) are left out.
// Times are placed by the file's clock notes (notes).
InfluxExport records_to_influx(const QStringList& lines, const RecordSource& source,
                               const std::optional<QDateTime>& from = std::nullopt,
                               const std::optional<QDateTime>& to = std::nullopt,
                               const QList<ClockNote>& notes = {});
// The same with the times of a file read on from earlier lines (a download
// printed block by block).
InfluxExport records_to_influx(const QStringList& lines, const RecordSource& source, RecordTimes& times);

// The points of records_to_influx one record line at a time, in file order,
// times placed by times (kept by the caller, read on line after line).
class InfluxPoints
{
public:
    InfluxPoints(const RecordSource& source, const std::optional<QDateTime>& from,
                 const std::optional<QDateTime>& to, RecordTimes& times);
    // Appends the point of line (line number number of the file, from 1) with
    // its "\n" to out and counts it as a point or as skipped. False, with
    // error set and out as it was, when its time cannot be written.
    bool add(QStringView line, qsizetype number, QString& out);
    int points = 0;
    int skipped = 0;
    QString error;

private:
    QList<CsvChannel> channels_;
    QString prefix_;   // the measurement and the tags, escaped
    QStringList keys_; // each channel's field key, escaped
    std::optional<QDateTime> from_, to_;
    RecordTimes& times_;
    RecordLineView rec_;
};

} // namespace vx
