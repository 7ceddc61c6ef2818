#pragma once
// True times of records. A logger's clock is a plain local clock: it keeps
// the UTC offset of the moment it was set (summer time stays summer time in
// the logger until its clock is set again), and a clock set back makes it
// write the same stamps again. The record file holds only the local stamps;
// the store of record sources (record_source.h) holds the clock notes: from
// each mission start and clock set on, the offset the logger's clock ran at.
//
// RecordTimes places each record of a file in time, fed the records in file
// order (the order the sort leaves them: by stamp, records that share a
// stamp in the order they were recorded):
//   - A note covers the stamps that, read at its offset, fall between its
//     moment and the next note's. Before the first note, and in a file
//     without notes, the computer's zone rules read the stamp.
//   - A stamp that more than one reading fits (the hour repeated after a
//     clock set back, or the autumn hour of the zone rules) is read by the
//     order of the records: the first record with that stamp gets the
//     earliest reading, the next record with the same stamp the next one.
//     Once the stamps have gone back (records fed in the logger's own order,
//     as a download reads them, not as the sort leaves them), such a stamp
//     takes the earliest reading not before the record before it.
//   - A time the zone rules skip (the spring hour) keeps the offset in force
//     before the change; a stamp no note fits goes to the nearest note.
//
// Every export of records (CSV, InfluxDB line protocol, JSON, summaries)
// takes its times from here, so that they agree:
//
//   RecordTimes times = record_times_of(path);   // the file's notes
//   for (each record line, in file order) {
//       const RecordTime t = times.next(stamp);  // stamp as the line holds it
//       t.utc;        // the instant
//       t.iso();      // "2026-10-25T02:30:00+02:00"
//   }
#include "records/record_source.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimeZone>
#include <optional>
#include <vector>

namespace vx
{

// One record placed in time.
struct RecordTime {
    QDateTime utc;  // the instant (UTC); invalid when the stamp was not a valid date and time
    int offset = 0; // seconds east of UTC of the clock that wrote the stamp

    bool valid() const { return utc.isValid(); }
    // The stamp as the logger wrote it, with its offset.
    QDateTime local() const { return utc.toOffsetFromUtc(offset); }
    // ISO 8601 with the offset: "2026-10-25T02:30:00+02:00" (seconds always;
    // "Z" never: an offset of 0 is "+00:00").
    QString iso() const;
    // The same appended to out (nothing when not valid).
    void append_iso(QString& out) const;
    // Nanoseconds since 1970 (InfluxDB's time); nullopt outside what a signed
    // 64-bit count holds (before 1677-09-21 or after 2262-04-11).
    std::optional<qint64> nanoseconds() const;
};

class RecordTimes
{
public:
    // notes: a file's clock notes (any order); zone: the rules for stamps no
    // note covers, the computer's by default.
    explicit RecordTimes(QList<ClockNote> notes = {}, QTimeZone zone = QTimeZone::systemTimeZone());

    // The next record of the file, in file order: its stamp as the file holds
    // it (date and time of day, no zone).
    RecordTime next(const QDate& date, const QTime& time);
    RecordTime next(const QDateTime& stamp) { return next(stamp.date(), stamp.time()); }

private:
    struct Reading {
        qint64 utc; // seconds since 1970
        int offset;
    };
    void zone_readings(qint64 naive, std::vector<Reading>& out);

    QList<ClockNote> notes_;
    QTimeZone zone_;
    std::vector<Reading> readings_; // reused for every record
    qint64 last_naive_ = 0;
    qint64 last_utc_ = 0;
    bool logger_order_ = false; // the stamps went back once
    int repeat_ = 0;            // records before this one with the same stamp, in a row
    bool have_last_ = false;
    // The zone's offset over a whole day without a change (cached by day).
    qint64 cached_day_ = 0;
    std::optional<int> day_offset_;
    bool have_day_ = false;
};

// A file's times: the clock notes the store of record sources holds for the
// file's name, the computer's zone rules.
RecordTimes record_times_of(const QString& record_file_path);

} // namespace vx
