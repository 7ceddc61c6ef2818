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

class Language;

class UiPort;

// One parsed record line. count is the number of leading value fields that
// converted; 0 means the line is not a record line.
struct RecordLine {
    int count = 0;
    QDateTime time;
    std::array<double, 10> values{};
};

// A logger's wall-clock time as a local date-time. A time that the local
// clock skips (the spring clock change) is not dropped: it keeps its date and
// time with the UTC offset in force before the change.
QDateTime logger_local_time(const QDate& date, const QTime& time);

// The time stamp text of a record line.
QString format_time_stamp(const QDateTime& t);
// The same for a model: type 132 always writes "dd.MM.yyyy hh:mm:ss".
QString format_time_stamp(const QDateTime& t, std::uint16_t type_code);
// The stamp as the viewer shows a downloaded record: "d.M.yyyy hh:mm" even at
// midnight; type 132 adds ":ss".
QString display_time_stamp(const QDateTime& t, std::uint16_t type_code);
// The date-time before the first tab of a line; nullopt when there is none.
std::optional<QDateTime> line_time(const QString& line);
// The common reader of record lines (reads comma and point decimals).
RecordLine parse_record_line(const QString& line);
// One value field: a decimal number with a comma or a point, blanks around
// allowed; nullopt for anything else.
std::optional<double> parse_record_value(QStringView field);
// The same without placing the stamp in a time zone: its date and its time
// of day in seconds, for readers of many lines that convert times themselves
// (see logger_local_time for the conversion parse_record_line makes).
struct RecordFields {
    int count = 0;
    QDate date;
    int seconds = 0;
    std::array<double, 10> values{};
};
RecordFields parse_record_fields(QStringView line);
// The lines at the top of a viewer's text that name what it shows (the file
// or mission name, "Download: ...", "TEXT FILE:..."): 1, or 0 when the text
// starts right with a record, as a file that a download created without
// header lines does. Every reader of a viewer's text takes its records from
// there: no record is ever taken for a name.
int title_lines(QStringView first_line);
// Reads "d.M.yyyy", optionally followed by blanks and "h:mm" or "h:mm:ss"
// (blanks around allowed); nullopt when the text is not such a date-time.
std::optional<QDateTime> parse_time_stamp(QStringView text);
// The same over raw bytes of a line (time stamps are ASCII).
std::optional<QDateTime> parse_time_stamp_bytes(const char* begin, const char* end);
// The same stamp as it reads, not placed in any zone (a reader that takes its
// times from records/record_times.h needs no more): its date, its time of day
// (00:00 for a date alone) and whether it carries seconds.
struct StampParts {
    QDate date;
    QTime time;
    bool seconds = false;
};
std::optional<StampParts> read_time_stamp(QStringView text);

// ---- The record file on disk ----

// The log directory: the LOGDIR setting, or "Log" beside the program when unset.
QString log_dir(const QString& logdir_setting, const QString& program_dir);
// The file name part for a mission name: the name itself, except that '%',
// path separators, control characters (also U+007F..U+009F) and a leading
// '.' or ':' are written as "%XX", so that no name can reach outside the log
// directory, hide its file or turn into a resource path, and different names
// stay apart. An empty name or one of blanks only (which the logger reads as
// empty) is "%20".
QString safe_file_name(const QString& mission_name);
// log_dir + "/" + safe_file_name(mission_name) + ".txt".
QString database_path(const QString& log_dir, const QString& mission_name);
// The old-format logger's file: named by its serial number.
QString old_format_database_path(const QString& log_dir, std::uint16_t serial);

// Makes sure the directory exists; on failure shows MESS78 ("Adresár \LOG
// nie je možné vytvoriť, Závažná chyba Vášho PC") of lang (the built-in text
// without it) and, on a line of its own, the directory, through ui (when
// given) and returns false.
bool ensure_log_dir(const QString& dir, UiPort* ui, const Language* lang = nullptr);
// Appends one record line (CR LF, code page 1250) to path, creating the file
// and its directory when missing; the file is opened and closed for this one
// append. A last line left without its end by an earlier append that was cut
// off is ended first (or dropped when it is the start of a line written now),
// so a new line never runs on into it. True only when the line is on the
// disk (flushed and synced); on failure "Unable to write to <path>" is shown
// through ui (when given) and false returned. Only a regular file is
// written: a symbolic link at path is refused ("Unable to write to <path>:
// it is a symbolic link"), never followed.
bool write_record(const QString& path, const QString& line, UiPort* ui, const Language* lang = nullptr);
// Appends several lines in one write, as write_record does for one.
bool append_record_lines(const QString& path, const QStringList& lines, UiPort* ui,
                         const Language* lang = nullptr);

// The header a mission start writes.
struct RecordFileHeader {
    std::uint16_t type_code = 0;
    QString name; // the mission name as typed
    QString remark;
    QDateTime start;  // the PC's time at mission start
    QString period;   // recording interval as typed
    QString gradient; // change gradient as typed (all types but 102)
    QString status;   // totaliser (130) or initial counter state (102)
    QString constant; // flow-meter constant (102)
};
// Header line count of the record file of a model: 6 for types 102 and 130, else 5.
int header_line_count(std::uint16_t type_code);
// The header lines: 5, or 6 for types 102 and 130.
QStringList header_lines(const RecordFileHeader& h);
// Creates (or replaces) path with the header; false (with "Unable to write
// to <path>" through ui) when it cannot be written. A link at path is
// replaced by the new file, its target left alone.
bool write_header(const QString& path, const RecordFileHeader& h, UiPort* ui, const Language* lang = nullptr);

// ---- Sorting ----

// What a sort found, for the user and for an audit trail. No record line is
// ever left out: lines equal to an earlier one byte for byte (the same
// record fetched twice) are merged into it; lines that only share a time
// stamp with an earlier one are different records and all stay.
struct SortResult {
    bool sorted = false;       // the file was rewritten in time order
    bool failed = false;       // reading or writing failed, or the sort was abandoned; the file is unchanged
    int records = 0;           // record lines written
    int repeats = 0;           // lines equal to an earlier line, merged into it
    int shared_stamps = 0;     // lines kept that share their time stamp with an earlier, different line
    int new_shared_stamps = 0; // of those, lines from SortOptions::appended_from on
    int undated = 0;           // non-empty lines that carry no time stamp, kept after the records
    QString error;             // with failed: why
};

struct SortOptions {
    // Called now and then with the lines done and the total; returning false
    // abandons the sort and leaves the file as it was.
    std::function<bool(qint64 done, qint64 total)> progress;
    // The size the file had before the lines just appended (a download's):
    // lines that start at or after it count in new_shared_stamps. -1: none.
    qint64 appended_from = -1;
};

// Sorts the record lines of path by time stamp, keeping the first header_lines
// lines (except dated record lines among them, and undated lines that follow
// the last record) at the top. Lines with equal time stamps keep their file
// order; a line equal to an earlier one with the same stamp is merged into
// it (counted in repeats). With options.appended_from only an appended line
// that equals a line from before it is a repeat: lines equal among
// themselves within one part are records that happen to agree. Other lines that carry no time stamp are kept,
// in their order, after the records, and counted. Every date the stamp format can hold is sorted, 2030 and
// later too. Sorting a sorted file changes nothing. The new file is written beside the old one and replaces
// it only when complete. A path that is a symbolic link or no regular file is not sorted (failed).
SortResult sort_records_in_file(const QString& path, int header_lines, const SortOptions& options = {});

} // namespace vx
