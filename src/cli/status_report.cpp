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
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

} // namespace vx::cli
