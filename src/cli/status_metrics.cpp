#include "cli/status_metrics.h"

#include "cli/cli_host.h"
#include "cli/status_report.h"
#include "logger/live_reading.h"
#include "logger/program_state.h"
#include "logger/record_handoff.h"
#include "logger/ring.h"
#include "records/marks.h"
#include "records/prometheus_text.h"
#include "records/record_file.h"
#include "records/record_source.h"

#include <QFileInfo>

namespace vx::cli
{

QString status_metrics(const Global& g, const CliHost& host, const StatusReport& r)
{
    const QString mission = r.mission.value_or(QString());
    const PrometheusLabels labels = {{QStringLiteral("serial"), QString::number(r.serial)},
                                     {QStringLiteral("model"), QString::number(r.type)},
                                     {QStringLiteral("mission"), mission}};
    auto metric = [&](const char* name, const char* help) {
        return PrometheusMetric{
            QString::fromLatin1(name), QString::fromUtf8(help), QStringLiteral("gauge"), {}};
    };

    PrometheusMetric percent = metric("vorlanix_battery_percent", "Battery of the logger in percent.");
    PrometheusMetric volts = metric("vorlanix_battery_volts", "Battery voltage of the logger.");
    if (r.battery) {
        // "60%", "100 %" or "2,7 V"; "Error" and "----" are no value.
        const QString text = r.battery->trimmed();
        const bool is_percent = text.endsWith(QLatin1Char('%'));
        const auto v = parse_record_value(QString(text).remove(QLatin1Char('%')).remove(QLatin1Char('V')));
        if (v) (is_percent ? percent : volts).samples.append({labels, *v});
    }

    PrometheusMetric offset =
        metric("vorlanix_clock_offset_seconds", "Logger clock minus this computer's clock, in seconds.");
    if (const auto d = r.clock_difference()) offset.samples.append({labels, double(*d)});

    PrometheusMetric waiting = metric("vorlanix_records_waiting",
                                      "Records the logger wrote since the last download of its mission.");
    const int mark = r.mission ? MarkStore().read_mark(mission) : -1;
    if (mark >= 0 && mark <= g.ident.ring_size && r.pointer >= 0)
        waiting.samples.append({labels, double(count_new_records(mark, r.pointer, g.ident.ring_size))});

    PrometheusMetric since =
        metric("vorlanix_seconds_since_last_download",
               "Seconds since a download last added records to the logger's record file.");
    const QString file = r.type == 55 ? old_format_database_path(g) : database_path(g, mission);
    if (r.type == 55 || r.mission)
        if (const auto source = RecordSourceStore().read(QFileInfo(file).fileName());
            source && source->downloaded.isValid())
            since.samples.append({labels, double(source->downloaded.msecsTo(r.computer_time)) / 1000.0});

    PrometheusMetric readings = metric("vorlanix_reading", "Live reading of a channel of the logger.");
    const LiveReading live = live_reading(host.live_panels(), r.type, r.serial, &g.calib, r.computer_time);
    for (qsizetype c = 0; c < live.channels.size(); ++c) {
        const auto& v = live.values[static_cast<std::size_t>(c)];
        if (!v || live.channels[c].text) continue;
        PrometheusLabels l = labels;
        l.append({QStringLiteral("channel"), live.channels[c].name});
        l.append({QStringLiteral("unit"), live.channels[c].unit});
        readings.samples.append({l, *v});
    }

    PrometheusMetric full =
        metric("vorlanix_ring_full_seconds",
               "Seconds until the logger's ring is full of records not downloaded yet and the next one "
               "overwrites the oldest of them (without rollover: until its memory is full and it stops).");
    if (r.forecast) full.samples.append({labels, double(r.forecast->seconds)});

    PrometheusMetric running = metric("vorlanix_mission_running", "1 while the logger records its mission.");
    running.samples.append({labels, g.status.mission_on ? 1.0 : 0.0});

    return prometheus_text({percent, volts, offset, waiting, since, readings, full, running});
}

} // namespace vx::cli
