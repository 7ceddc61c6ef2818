#pragma once
// What "vorlanix-cli status" prints: the attached logger's model, serial
// number, clock and its difference to this computer, record pointer,
// battery, mission name and live values, as text or as JSON.
#include "logger/ring_forecast.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace vx::cli
{

class CliHost;
} // namespace vx::cli
namespace vx
{
class Calibration;
}
namespace vx::cli
{

// One live value: a channel of the logger's model, named as the record
// export and the monitor name it, whatever the language.
struct LiveValue {
    QString name; // the channel ("Temperature", or a user calibration's name)
    QString text; // the value as shown ("23,5", "Error", a key name)
    QString unit; // "°C", "%RH", ...; empty for none
};

struct StatusReport {
    std::uint16_t type = 0;
    QString model; // the model caption
    std::uint16_t serial = 0;
    QString clock_text;                   // the logger clock as shown ("Error" when invalid)
    std::optional<QDateTime> logger_time; // nullopt when the clock was invalid
    QDateTime computer_time;              // this computer's clock at the decode
    int pointer = -1;                     // -1: none or broken
    QString pointer_text;                 // as shown ("Error" for a broken pointer)
    std::optional<QString> battery;       // as shown; nullopt when the model shows none
    std::optional<QString> mission;       // nullopt: the model has none, or it was not read
    QList<LiveValue> values;
    std::optional<RingForecast> forecast; // nullopt: nothing to say (see ring_forecast)
    qint64 period_seconds = 3600;         // between collections, for the forecast's warning

    // Seconds the logger clock is ahead of the computer (negative: behind).
    std::optional<qint64> clock_difference() const;
};

// Collects the report from what the status decode showed (host), the
// decoded variables and the user calibration in force (calib, may be null).
StatusReport collect_report(const CliHost& host, std::uint16_t type, std::uint16_t serial,
                            std::optional<QDateTime> logger_time, const QDateTime& computer_time, int pointer,
                            std::optional<QString> mission, const Calibration* calib = nullptr);

// The forecast as said: "ring full of uncollected records in 12 days" (with
// rollover; "now" when the next record overwrites one), "memory full in 3
// hours: recording stops (no rollover)"; " at the earliest" after it for
// conditional recording; then, when it comes sooner than two collection
// periods, "; WARNING: sooner than two collection periods of 1 h".
QString forecast_text(const RingForecast& f, qint64 period_seconds);
// "45 seconds", "1 minute", "90 minutes", "47 hours", "12 days": whole units, rounded down.
QString duration_text(qint64 seconds);
// A collection period: "1 h", "30 min", "90 s".
QString period_text(qint64 seconds);

// "Label: value" lines.
QString report_text(const StatusReport& r);
// One JSON object; numbers that the window shows with a decimal comma are
// numbers here ("value"), beside the text as shown ("text"); "value" is null
// for a text that is no number.
QByteArray report_json(const StatusReport& r);

} // namespace vx::cli
