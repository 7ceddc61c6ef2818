#pragma once
// Exports of whole record files in a stream: the file is read in pieces and
// the output handed on in pieces, so that a file of millions of records takes
// no more memory than one of a hundred. The output is the text that
// records_to_csv and records_to_influx give for the file's lines (the file
// in code page 1250, lines split at LF, a CR before it dropped).
#include "records/line_protocol.h"
#include "records/record_csv.h"
#include "records/record_source.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

namespace vx
{

// The lines of a record file, read from device in pieces of a megabyte.
class RecordLineReader
{
public:
    explicit RecordLineReader(QIODevice& device) : device_(device) {}
    // The next line without its line end, valid until the next call; false at
    // the end of the file or when it cannot be read on (error() then says why).
    bool next(QStringView& line);
    // The number of the line last returned, from 1.
    qsizetype number() const { return number_; }
    QString error() const { return error_; }

private:
    QIODevice& device_;
    QByteArray bytes_;
    QString text_; // decoded and not yet returned, from pos_
    qsizetype pos_ = 0;
    qsizetype number_ = 0;
    bool at_end_ = false;
    bool done_ = false;
    QString error_;
};

// Takes the next piece of the output (UTF-8); false when it cannot.
using ExportSink = std::function<bool(QByteArrayView)>;

struct StreamedExport {
    int written = 0; // rows or points
    QString error;   // the file cannot be read, or (InfluxDB) a record's time cannot be written
    bool sink_failed = false;
    bool ok() const { return error.isEmpty() && !sink_failed; }
};

// The CSV of the record file on device (at its start), records_to_csv's text.
// The file is read twice: once for the model and the columns (the header row
// names them before the first row, and the last line may change them), once
// for the rows.
StreamedExport stream_csv(QIODevice& device, const CsvOptions& options, const ExportSink& sink);

// The points of the record file on device, records_to_influx's text. With
// check_first nothing reaches sink when a record's time cannot be written
// (for outputs that cannot be taken back, such as a pipe): stamps near the
// ends of InfluxDB's times are then placed first in a pass of their own.
StreamedExport stream_influx(QIODevice& device, const RecordSource& source,
                             const std::optional<QDateTime>& from, const std::optional<QDateTime>& to,
                             const QList<ClockNote>& notes, const ExportSink& sink, bool check_first);

} // namespace vx
