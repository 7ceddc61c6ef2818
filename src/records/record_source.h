#pragma once
// Where the records of a record file came from: the serial number and model
// of the logger, the mission, and when a download last added to the file.
// Each download notes them per record file, in a small per-user store beside
// the download marks (organisation "VORLANIX", application "Sources"), so
// that exports to other programs can tag each record with its logger.
// Beside them the store keeps the clock notes of the file: the UTC offset of
// the logger's clock from each mission start and clock set on, so that the
// logger's local stamps can be placed in time (records/record_times.h).
#include <QDateTime>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace vx
{

struct RecordSource {
    std::uint16_t serial = 0;
    std::uint16_t type_code = 0; // the model
    QString mission;             // empty for the old-format logger, which has none
    QDateTime downloaded;        // the last download that added records (UTC)
    bool operator==(const RecordSource&) const = default;
};

// From the moment since on (a clock set or mission start), the logger's clock
// ran at offset seconds east of UTC (summer time in Bratislava: 7200).
struct ClockNote {
    QDateTime since; // UTC
    int offset = 0;
    bool operator==(const ClockNote&) const = default;
};

// The digest of a record file as the program left it: after which action
// ("download", "record-file-save", ...) and when.
struct DigestNote {
    QString sha256; // lower-case hexadecimal
    QString action;
    QDateTime time; // with the UTC offset it was noted in
    bool operator==(const DigestNote&) const = default;
};

class RecordSourceStore
{
public:
    // The source of the record file file_name (a name in the log directory,
    // such as "MISIA1.txt"); nullopt when no download has noted one. Also
    // nullopt, with why in error (when given; it names the store's file),
    // when the store cannot be read or notes a serial number or model that
    // is none (outside 0..65535): those are refused, never cut to fit.
    std::optional<RecordSource> read(const QString& file_name, QString* error = nullptr) const;
    // Notes the source of a record file; false when the store cannot be written.
    bool write(const QString& file_name, const RecordSource& source);
    // The clock notes of a record file, oldest first; empty without any.
    QList<ClockNote> clock_notes(const QString& file_name) const;
    // Adds a clock note; with restart (a mission start that began the file
    // anew) the notes before it are dropped. False when the store cannot be
    // written.
    bool add_clock_note(const QString& file_name, const ClockNote& note, bool restart = false);
    // The digest noted for a record file; nullopt without one.
    std::optional<DigestNote> digest(const QString& file_name) const;
    // Notes a record file's digest in place of the one before; false when the
    // store cannot be written.
    bool write_digest(const QString& file_name, const DigestNote& note);
    // The file of the store.
    static QString location();
};

} // namespace vx
