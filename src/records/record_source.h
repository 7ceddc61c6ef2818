#pragma once
// Where the records of a record file came from: the serial number and model
// of the logger, the mission, and when a download last added to the file.
// Each download notes them per record file, in a small per-user store beside
// the download marks (organisation "VORLANIX", application "Sources"), so
// that exports to other programs can tag each record with its logger.
#include <QDateTime>
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
    // The file of the store.
    static QString location();
};

} // namespace vx
