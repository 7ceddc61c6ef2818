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
#include "records/record_file.h"
#include "records/record_source.h"
#include "records/record_times.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVarLengthArray>
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

// One record line split at its tabs, without copying: the stamp as it reads
// and the value fields (views into the line), blanks trimmed, empty fields at
// the end dropped.
struct RecordLineView {
    StampParts stamp;
    QVarLengthArray<QStringView, 8> fields;
};
// False when line is no record line (shorter than 8 characters, no tab, no
// time stamp first); out is then unspecified.
bool split_record_line(QStringView line, RecordLineView& out);

// The layout of an export, told from all its lines as they come (one pass,
// nothing kept but what decides): the model's channels as channels_of gives
// them, and the columns records_to_csv writes: the channels and as many more
// as the longest row written needs. The rows outside the options' from..to
// are placed in time (by options.clock_notes) but do not count.
class CsvLayout
{
public:
    explicit CsvLayout(const CsvOptions& options);
    void add(QStringView line);
    // guess_record_model's answer for the lines so far.
    std::uint16_t model_guess() const;
    TextChannels channels() const;
    qsizetype columns() const;

private:
    CsvOptions options_;
    std::optional<RecordTimes> times_; // only with a range
    RecordLineView rec_;
    bool const_header_ = false, status_header_ = false, totals_header_ = false;
    bool any_record_ = false;      // a record line with at least one value
    int first_decimals_ = 0;       // of the first value of the first such line
    qsizetype most_ = 0;           // the most values in one record line
    bool seconds_ = false;         // some stamp carries seconds
    bool text_values_ = false;     // some first value is no number
    std::uint16_t pair_model_ = 0; // told from the first line of two values
    bool any_line_ = false;        // a record line at all
    QString totals_unit_;          // the second field of the first record line
    qsizetype widest_written_ = 0; // the most values in a row within the range
};

// The rows of an export, one record line at a time, in file order.
class CsvRows
{
public:
    CsvRows(const TextChannels& named, qsizetype columns, const CsvOptions& options);
    // The header row with its line end.
    QString header() const;
    // Appends the row of line to out when it is a record line within the
    // range; false otherwise.
    bool add(QStringView line, QString& out);

private:
    TextChannels named_;
    qsizetype columns_;
    std::optional<QDateTime> from_, to_;
    RecordTimes times_;
    RecordLineView rec_;
};

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
