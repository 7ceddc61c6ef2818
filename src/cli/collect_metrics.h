#pragma once
// "vorlanix-cli collect --metrics FILE": how each port's collection went, as
// Prometheus metrics for node_exporter's textfile collector, labelled port
// ("COM3", or the device path given) and device:
//
//   vorlanix_up                                 1 when the port's logger answered, else 0
//   vorlanix_last_collection_timestamp_seconds  the last collection that succeeded (Unix time);
//                                               for a port that failed now, the one the
//                                               file held before, when it held one
//   vorlanix_records_collected                  records stored by this collection
//   vorlanix_collect_retries                    tries after the first
//   vorlanix_collect_ring_full_seconds          until records not downloaded are lost (see
//                                               logger/ring_forecast.h)
//   vorlanix_logger_info                        1, with the labels serial, model and mission
//
// The file is replaced whole (a temporary file beside it, renamed over it),
// so the collector never reads half of it and a failed write leaves nothing
// behind.
#include "logger/ring_forecast.h"

#include <QList>
#include <QMap>
#include <QString>
#include <cstdint>
#include <optional>

namespace vx::cli
{

struct PortMetrics {
    QString port, device;
    bool up = false;
    std::optional<qint64> last_collection; // Unix seconds
    int records = 0;
    int retries = 0;
    std::optional<RingForecast> forecast;
    std::optional<std::uint16_t> serial, model; // of a logger that answered
    QString mission;
};

QString collect_metrics_text(const QList<PortMetrics>& ports);

// The last collection times by port label in a metrics file written before
// (its text); ports it does not name are missing.
QMap<QString, qint64> last_collections(const QString& text);

// Replaces the file at path with text; false with why in error.
bool write_metrics_file(const QString& path, const QString& text, QString* error);

} // namespace vx::cli
