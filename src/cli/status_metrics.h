#pragma once
// "vorlanix-cli status --format prometheus": the attached logger as
// Prometheus metrics for node_exporter's textfile collector. Every metric
// carries the labels serial, model (type code) and mission:
//
//   vorlanix_battery_percent / vorlanix_battery_volts   as the model shows it
//   vorlanix_clock_offset_seconds                       logger clock minus computer clock
//   vorlanix_records_waiting                            written since the last download (the mark)
//   vorlanix_seconds_since_last_download                since a download last added to its record file
//   vorlanix_reading{channel, unit}                     each live value
//   vorlanix_ring_full_seconds                          until records not downloaded are overwritten
//   vorlanix_mission_running                            1 while the logger records
//
// A metric the logger cannot give (no mark yet, a sensor error) is left out.
#include <QString>

namespace vx
{
struct Global;
}

namespace vx::cli
{

class CliHost;
struct StatusReport;

QString status_metrics(const Global& g, const CliHost& host, const StatusReport& report);

} // namespace vx::cli
