#include "cli/status_report.h"

#include "base/printable.h"
#include "cli/cli_host.h"
#include "logger/live_reading.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vx::cli
{

namespace
{

QJsonValue number_of(const QString& text)
{
    bool ok = false;
    const double v = QString(text).trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok ? QJsonValue(v) : QJsonValue(QJsonValue::Null);
}

QJsonValue text_or_null(const std::optional<QString>& s)
{
    return s ? QJsonValue(*s) : QJsonValue(QJsonValue::Null);
}

} // namespace

QString duration_text(qint64 seconds)
{
    const auto unit = [](qint64 n, const char* name) {
        return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(name)).arg(n == 1 ? "" : "s");
    };
    if (seconds < 60) return unit(std::max<qint64>(seconds, 0), "second");
    if (seconds < 2 * 3600) return unit(seconds / 60, "minute");
    if (seconds < 2 * 86400) return unit(seconds / 3600, "hour");
    return unit(seconds / 86400, "day");
}

QString period_text(qint64 seconds)
{
    if (seconds % 3600 == 0) return QStringLiteral("%1 h").arg(seconds / 3600);
    if (seconds % 60 == 0) return QStringLiteral("%1 min").arg(seconds / 60);
    return QStringLiteral("%1 s").arg(seconds);
}

QString forecast_text(const RingForecast& f, qint64 period_seconds)
{
    const QString when =
        f.seconds <= 0 ? QStringLiteral("now") : QStringLiteral("in ") + duration_text(f.seconds);
    QString text = f.overwrites ? QStringLiteral("ring full of uncollected records ") + when
                                : QStringLiteral("memory full %1: recording stops (no rollover)").arg(when);
    if (f.earliest) text += QStringLiteral(" at the earliest");
    if (forecast_warns(f, period_seconds))
        text += QStringLiteral("; WARNING: sooner than two collection periods of %1")
                    .arg(period_text(period_seconds));
    return text;
}

std::optional<qint64> StatusReport::clock_difference() const
{
    if (!logger_time) return std::nullopt;
    return computer_time.secsTo(*logger_time);
}

StatusReport collect_report(const CliHost& host, std::uint16_t type, std::uint16_t serial,
                            std::optional<QDateTime> logger_time, const QDateTime& computer_time, int pointer,
                            std::optional<QString> mission, const Calibration* calib)
{
    StatusReport r;
    r.type = type;
    r.serial = serial;
    r.model = host.text_of(&StatusView::pantype).value_or(QString());
    r.clock_text = host.text_of(&StatusView::PanTime).value_or(QString());
    r.logger_time = logger_time;
    r.computer_time = computer_time;
    r.pointer = pointer;
    r.pointer_text = host.text_of(&StatusView::panptr).value_or(QString());
    if (host.visible_of(&StatusView::panbat).value_or(true))
        r.battery = host.text_of(&StatusView::panbat).value_or(QString());
    r.mission = std::move(mission);

    const LiveReading live = live_reading(host.live_panels(), type, serial, calib, computer_time);
    for (qsizetype c = 0; c < live.channels.size(); ++c)
        r.values.append({live.channels[c].name, live.texts.value(c), live.channels[c].unit});
    return r;
}

QString report_text(const StatusReport& r)
{
    QString out;
    auto line = [&](const QString& label, const QString& value) {
        // Names and values come from the logger and its files.
        out += printable(label + QLatin1Char(':')).leftJustified(16) + printable(value) + QLatin1Char('\n');
    };
    line(QStringLiteral("Model"), QStringLiteral("%1 %2").arg(r.type).arg(r.model));
    line(QStringLiteral("Serial number"), QString::number(r.serial));
    line(QStringLiteral("Logger clock"), r.clock_text);
    if (const auto d = r.clock_difference())
        line(QStringLiteral("Clock offset"), QStringLiteral("%1%2 s against this computer")
                                                 .arg(*d > 0 ? QStringLiteral("+") : QString())
                                                 .arg(*d));
    line(QStringLiteral("Record pointer"), r.pointer_text);
    if (r.battery) line(QStringLiteral("Battery"), *r.battery);
    line(QStringLiteral("Mission name"), r.mission.value_or(QStringLiteral("-")));
    if (r.forecast) line(QStringLiteral("Forecast"), forecast_text(*r.forecast, r.period_seconds));
    for (const LiveValue& v : r.values)
        line(v.name, v.unit.isEmpty() ? v.text : v.text + QLatin1Char(' ') + v.unit);
    return out;
}

QByteArray report_json(const StatusReport& r)
{
    QJsonObject o;
    o[QStringLiteral("type")] = r.type;
    o[QStringLiteral("model")] = r.model;
    o[QStringLiteral("serial")] = r.serial;
    const QString iso = QStringLiteral("yyyy-MM-ddTHH:mm:ss");
    o[QStringLiteral("logger_time")] =
        r.logger_time ? QJsonValue(r.logger_time->toString(iso)) : QJsonValue(QJsonValue::Null);
    o[QStringLiteral("computer_time")] = r.computer_time.toString(iso);
    const auto d = r.clock_difference();
    o[QStringLiteral("clock_offset_s")] = d ? QJsonValue(double(*d)) : QJsonValue(QJsonValue::Null);
    o[QStringLiteral("pointer")] = r.pointer >= 0 ? QJsonValue(r.pointer) : QJsonValue(QJsonValue::Null);
    o[QStringLiteral("battery")] = text_or_null(r.battery);
    o[QStringLiteral("mission")] = text_or_null(r.mission);
    QJsonArray values;
    for (const LiveValue& v : r.values)
        values.append(QJsonObject{{QStringLiteral("name"), v.name},
                                  {QStringLiteral("text"), v.text},
                                  {QStringLiteral("value"), number_of(v.text)},
                                  {QStringLiteral("unit"), v.unit}});
    o[QStringLiteral("values")] = values;
    QJsonValue forecast(QJsonValue::Null);
    if (const auto& f = r.forecast)
        forecast = QJsonObject{{QStringLiteral("seconds"), double(f->seconds)},
                               {QStringLiteral("overwrites"), f->overwrites},
                               {QStringLiteral("uncollected"), f->uncollected},
                               {QStringLiteral("earliest"), f->earliest},
                               {QStringLiteral("warning"), forecast_warns(*f, r.period_seconds)},
                               {QStringLiteral("text"), forecast_text(*f, r.period_seconds)}};
    o[QStringLiteral("ring_full")] = forecast;
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

} // namespace vx::cli
