#pragma once
// The record text file: one per mission in the log directory, code page
// 1250, CR LF lines, a header of 5 lines (6 for types 102 and 130), then one
// line per record: time stamp, tab, values separated by tabs.
//
// Time stamp: the short date "d.M.yyyy", then, unless the time is exactly
// midnight, a blank and "hh:mm". Type 132 uses "dd.MM.yyyy hh:mm:ss".
#include <QDateTime>
#include <QString>
#include <array>
#include <optional>

namespace vx {

// One parsed record line. count is the number of leading value fields that
// converted; 0 means the line is not a record line.
struct RecordLine {
    int count = 0;
    QDateTime time;
    std::array<double, 10> values{};
};

// The time stamp text of a record line.
QString format_time_stamp(const QDateTime& t);
// The date-time before the first tab of a line; nullopt when there is none.
std::optional<QDateTime> line_time(const QString& line);
// The common reader of record lines (reads comma and point decimals).
RecordLine parse_record_line(const QString& line);

} // namespace vx
