#pragma once
// Record texts as CSV for other programs (RFC 4180): one header row naming
// the channels of the model with their units, then one row per record line:
// the time in ISO 8601 with the UTC offset of the logger's clock
// ("2024-03-01T10:15:00+01:00", placed in time by records/record_times.h),
// then the values with a decimal point. Fields that hold a comma, a
// double quote or a line break are quoted, their quotes doubled. Rows end
// with CR LF; the text is UTF-8.
//
// A record file does not name the model of its logger. When the caller does
// not know it, the model is told from the text itself (guess_record_model):
//   - a header line "CONST:" .............................. 102 (flow counter)
//   - a header line "STATUS:" ............................. 130 (current loop)
//   - time stamps with seconds ............................ 132 (level)
//   - a first value that is no number ..................... 93 (iButton keys)
//   - three values ........................................ 133 (temperature,
//                                                            humidity, pressure)
//   - two values, the second a whole number ............... 130
//   - two values with two decimals ........................ 105 (two temperatures)
//   - two values otherwise ................................ 87 (temperature and
//                                                            humidity)
//   - one value, a whole number ........................... 107 (flow quantity)
//   - one value otherwise ................................. 85 (temperature)
// Files of models that look alike (108 and 111 look like 87; 90, 97 and
// analog inputs like 85) get the names of the look-alike unless the model is
// given.
// The flow totals of the database browser (a line "Konstanta prietokomera="
// above records of a total and its unit) have one column, "Total [<unit>]",
// unless a model is given.
#include "records/record_source.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace vx
{

// One value column: its name and unit ("" when the quantity has none).
struct CsvChannel {
    QString name;
    QString unit;
    bool text = false; // its values are texts (key names), not numbers
    bool operator==(const CsvChannel&) const = default;
};

// The value columns of a model's record lines, in file order; empty for
// type codes that are no model.
QList<CsvChannel> record_channels(std::uint16_t type_code);

// The model a record text stands for (rules above); 0 when the text holds
// no record line.
std::uint16_t guess_record_model(const QStringList& lines);

// The channels records_to_csv names for lines: those of the model (given,
// else told from the lines), or for flow totals one channel "Total" with the
// unit the lines carry (type_code 0 then).
struct TextChannels {
    std::uint16_t type_code = 0;
    QList<CsvChannel> channels;
    bool totals = false;
};
TextChannels channels_of(const QStringList& lines, std::optional<std::uint16_t> type_code = std::nullopt);

struct CsvOptions {
    std::optional<std::uint16_t> type_code; // the model; guessed from the lines when unset
    std::optional<QDateTime> from;          // earliest record written (inclusive)
    std::optional<QDateTime> to;            // latest record written (inclusive)
    QList<ClockNote> clock_notes;           // the file's clock notes (record_source.h)
};

struct CsvExport {
    QString text;                // header row and records, CR LF rows
    std::uint16_t type_code = 0; // the model the columns are named after
    int rows = 0;                // record rows written
};

// The record lines of lines (a record file or a viewer's text: lines whose
// text before the first tab is a time stamp; others are left out) as CSV.
// Rows with fewer values than columns get empty fields; values beyond the
// model's channels get columns "Value n".
CsvExport records_to_csv(const QStringList& lines, const CsvOptions& options = {});

// One record line split at its tabs: the time stamp and the value fields,
// blanks trimmed, empty fields at the end dropped. nullopt when the line is
// no record line (shorter than 8 characters, no tab, no time stamp first).
struct RecordRow {
    QDateTime time;
    bool seconds = false; // the stamp carries seconds
    QStringList fields;
};
std::optional<RecordRow> split_record_line(const QString& line);

// The CSV header row (without its line end): time_column, then one column
// per channel, "Name [unit]" ("Name" without a unit), and "Value n" for the
// columns beyond the channels.
QString csv_header(const QString& time_column, const QList<CsvChannel>& channels, qsizetype columns);
// A field quoted when it holds a comma, a double quote or a line break.
QString csv_field(const QString& field);

// Writes text as UTF-8 to path, replacing the file only when complete. On
// failure returns false and sets error to "Unable to write to <path>".
bool write_csv_file(const QString& path, const QString& text, QString* error = nullptr);

} // namespace vx
