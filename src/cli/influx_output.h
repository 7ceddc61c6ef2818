#pragma once
// Records as InfluxDB line protocol (records/line_protocol.h) on the command
// line: "export FILE --format influx" and "download ... --format influx".
#include "records/record_decode.h"
#include "records/record_times.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace vx
{
struct Global;
}

namespace vx::cli
{

// The download's text window of "download --format influx": the record lines
// of each block, once the block is in the record file, are written to out as
// points of the attached logger (g's serial number, model and mission), and
// out is flushed. A block that could not be stored is not printed.
class InfluxRecordPrinter : public RecordSink
{
public:
    InfluxRecordPrinter(const Global& g, std::FILE* out) : g_(g), out_(out) {}
    void add_line(const QString& line) override;
    void block_done(bool stored) override;

private:
    const Global& g_;
    std::FILE* out_;
    QStringList pending_; // the lines of the block not yet on disk
    // The record file's times, read on from block to block.
    std::optional<RecordTimes> times_;
};

// "export FILE --format influx": the records of a record file between from
// and to. The logger's serial number and model come from serial and model
// when given, otherwise from what a download noted for the file; the
// mission is the one noted, else the file's name without ".txt". Writes to
// output (replaced only when complete), or to out when output is empty.
// Exit status 1, naming what is missing, when the serial number or model is
// unknown or the file cannot be read or written.
int export_influx(const QString& file, std::optional<std::uint16_t> serial,
                  std::optional<std::uint16_t> model, const std::optional<QDateTime>& from,
                  const std::optional<QDateTime>& to, const QString& output, std::FILE* out, std::FILE* err);

} // namespace vx::cli
