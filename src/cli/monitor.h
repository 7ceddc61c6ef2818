#pragma once
// "vorlanix-cli monitor": the live readings of the attached logger as a
// stream, one line per reading, each line flushed (for a pipe, or Telegraf's
// execd input):
//   csv     a header row "Time" and the channels with their units, then the
//           readings: ISO 8601 time with milliseconds and UTC offset, values
//           with a decimal point (empty for a sensor error); a logger with
//           other channels gets a header row of its own
//   influx  InfluxDB line protocol, measurement "vorlanix", tags serial,
//           model and mission, one field per channel (named as the CSV
//           export names it)
//   json    one object per line: time, serial, model, mission, values and
//           units by channel (a value is null for a sensor error)
// Channels as in logger/live_reading.h.
#include "logger/live_reading.h"

#include <QString>
#include <cstdio>
#include <optional>

namespace vx
{
struct Global;
}

namespace vx::cli
{

class CliHost;
class TerminalUi;

enum class StreamFormat { csv, influx, json };

// "csv", "influx", "json"; nullopt for anything else.
std::optional<StreamFormat> stream_format(const QString& name);

// One reading as a line of the format (without its line end).
QString reading_line(const LiveReading& r, const QString& mission, StreamFormat format);
// The CSV header row of a reading's channels (without its line end).
QString reading_csv_header(const LiveReading& r);

// Polls the identified logger at the poll's rhythm (a status request every
// 700 ms; the old-format logger's reading comes with its calibration answer)
// and writes a line per reading to out until count readings are written or
// the user interrupts. A logger that stops answering is reported once on
// the terminal and waited for. mission: the mission name read at the start;
// a logger with another serial number has its name read again. Returns the
// readings written.
int monitor(Global& g, CliHost& host, TerminalUi& ui, StreamFormat format, std::optional<int> count,
            QString mission, std::FILE* out);

} // namespace vx::cli
