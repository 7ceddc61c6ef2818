#pragma once
// The summary of the records of a text (a record file or a viewer's text),
// per channel: how many, from when to when, minimum and maximum with their
// times, the mean, the mean kinetic temperature (MKT) of temperature
// channels, and, against limits, the time spent above and below them with
// the excursions and the longest one. The browser's statistics, the HTML
// report, the printout and `vorlanix-cli summary` show these same figures.
//
// Every reading is weighted by the time until the next reading of its
// channel; the last one by the median spacing of the file's records (a
// logger that records on change has uneven spacing). Durations come from
// UTC instants, never from wall-clock times.
#include "records/record_csv.h"
#include "records/record_source.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vx
{

class Language;

// ---- Times of records ----

// A moment as a record's clock gave it: seconds since the epoch (UTC) and
// the clock's offset from UTC then.
struct Instant {
    qint64 utc = 0;
    int offset = 0; // seconds ahead of UTC
    // The time with its offset: date and time of day read as on the clock.
    QDateTime time() const;
    bool operator==(const Instant&) const = default;
};

// ---- Figures ----

inline constexpr double mkt_activation_over_gas_constant = 10000.0; // 83.144 kJ/mol / 8.3144 J/(mol K)
inline constexpr double kelvin_offset = 273.15;

// Readings strictly beyond a limit; consecutive ones are one excursion.
struct Excursions {
    double limit = 0;
    double seconds = 0; // time beyond the limit: the weights of its readings
    int count = 0;
    double longest_seconds = 0;
    Instant longest_start, longest_end; // valid when count > 0
};

struct ChannelSummary {
    CsvChannel channel; // name and unit as the CSV export writes them
    int index = 0;      // 0 for the first value of a line
    int records = 0;
    Instant first, last; // earliest and latest reading
    double minimum = 0, maximum = 0;
    Instant minimum_time, maximum_time; // the first reading with that value
    double mean = 0;
    std::optional<double> mkt;              // temperature channels (°C) only
    std::optional<Excursions> above, below; // when a limit was given
    bool temperature() const { return channel.unit == QStringLiteral("°C"); }
};

struct RecordSummary {
    std::uint16_t type_code = 0; // the model the channels are named after (0: unknown)
    int records = 0;             // record lines
    Instant first, last;         // earliest and latest record
    double median_spacing = 0;   // seconds between consecutive records (0 with fewer than two)
    std::vector<ChannelSummary> channels;
};

struct SummaryOptions {
    std::optional<std::uint16_t> type_code; // the model; told from the text when unset
    std::optional<int> channel;             // only this channel (0 = the first value)
    // The limits apply to the chosen channel, else to the first.
    std::optional<double> above, below;
    // The record file's clock notes (record_source.h); without them the
    // computer's zone rules read the stamps.
    QList<ClockNote> clock_notes;
    // Called now and then with the characters read and the text's length.
    std::function<void(qsizetype done, qsizetype total)> progress;
};

// The summary of the record lines of text (lines whose first field is a
// time stamp and whose next field is a number; header and name lines are
// no records). The model, when not given, is told from the text's first
// lines as the CSV export tells it; channels of text values (key names)
// have no figures.
RecordSummary summarize_records(QStringView text, const SummaryOptions& options = {});

// ---- As the windows and the printout show it ----

// The words of the summary, in the user's language (or the command line's).
struct SummaryWords {
    QString title, records, first, last, minimum, maximum, mean, mkt;
    QString above, below; // "%1": the limit with its unit
    QString spent;        // "%1": minutes, "%2": excursions
    QString longest;
};
// The words of the language table (CAPT180..CAPT191).
SummaryWords summary_words(const Language& lang);

// The figures as a table: a column per channel ("Temperature [°C]"), a row
// per figure with its label and a value per channel (empty where a figure
// does not apply). Times are the records' own clock times ("d.M.yyyy
// hh:mm"), values with at most two decimals, durations in minutes.
struct SummaryTable {
    QStringList columns;
    struct Row {
        QString label;
        QStringList values;
    };
    QList<Row> rows;
    bool empty() const { return columns.isEmpty(); }
};
SummaryTable summary_table(const RecordSummary& s, const SummaryWords& words);

// The table as lines of text: the title, then per channel its name and its
// figures as "label: value".
QStringList summary_lines(const SummaryTable& t, const QString& title);

} // namespace vx
