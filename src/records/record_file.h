#pragma once
// The record text file: one per mission in the log directory, code page
// 1250, CR LF lines, a header of 5 lines (6 for types 102 and 130), then one
// line per record: time stamp, tab, values separated by tabs.
//
// Time stamp: the short date "d.M.yyyy", then, unless the time is exactly
// midnight, a blank and "hh:mm". Type 132 uses "dd.MM.yyyy hh:mm:ss".
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace vx
{

// One parsed record line. count is the number of leading value fields that
// converted; 0 means the line is not a record line.
struct RecordLine {
    int count = 0;
    QDateTime time;
    std::array<double, 10> values{};
};

// The time stamp text of a record line.
QString format_time_stamp(const QDateTime& t);
// The same for a model: type 132 always writes "dd.MM.yyyy hh:mm:ss".
QString format_time_stamp(const QDateTime& t, std::uint16_t type_code);
// The date-time before the first tab of a line; nullopt when there is none.
std::optional<QDateTime> line_time(const QString& line);
// The common reader of record lines (reads comma and point decimals).
RecordLine parse_record_line(const QString& line);
// Reads "d.M.yyyy", optionally followed by blanks and "h:mm" or "h:mm:ss"
// (blanks around allowed); nullopt when the text is not such a date-time.
std::optional<QDateTime> parse_time_stamp(QStringView text);
// The same over raw bytes of a line (time stamps are ASCII).
std::optional<QDateTime> parse_time_stamp_bytes(const char* begin, const char* end);

} // namespace vx
