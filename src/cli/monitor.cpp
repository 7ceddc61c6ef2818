#include "cli/monitor.h"

#include "base/ui_port.h"
#include "cli/cli_host.h"
#include "cli/terminal_ui.h"
#include "link/frame.h"
#include "logger/poll.h"
#include "logger/program_state.h"
#include "records/line_protocol.h"
#include "records/record_csv.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace vx::cli
{

namespace
{

// A status reply is decoded one poll tick after its request.
constexpr int reply_ms = 700;
// Unanswered requests before the logger counts as gone (the poll's rule).
constexpr int lost_after = 4;

QString iso_time(const QDateTime& t)
{
    return t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

} // namespace

std::optional<StreamFormat> stream_format(const QString& name)
{
    if (name == QLatin1String("csv")) return StreamFormat::csv;
    if (name == QLatin1String("influx")) return StreamFormat::influx;
    if (name == QLatin1String("json")) return StreamFormat::json;
    return std::nullopt;
}

QString reading_csv_header(const LiveReading& r)
{
    return csv_header(QStringLiteral("Time"), r.channels, r.channels.size());
}

QString reading_line(const LiveReading& r, const QString& mission, StreamFormat format)
{
    const auto size = r.channels.size();
    auto number = [&](qsizetype c) { return r.values[static_cast<std::size_t>(c)]; };
    switch (format) {
    case StreamFormat::csv: {
        QString line = iso_time(r.time);
        for (qsizetype c = 0; c < size; ++c) {
            line += QLatin1Char(',');
            if (r.channels[c].text)
                line += csv_field(r.texts[c]);
            else if (number(c))
                line += QString(r.texts[c]).replace(QLatin1Char(','), QLatin1Char('.'));
        }
        return line;
    }
    case StreamFormat::influx: {
        QList<InfluxField> fields;
        for (qsizetype c = 0; c < size; ++c) {
            if (r.channels[c].text && !r.texts[c].isEmpty())
                fields.append({r.channels[c].name, r.texts[c], true});
            else if (const auto n = influx_number(r.texts[c]); n && !r.channels[c].text)
                fields.append({r.channels[c].name, *n});
        }
        const RecordSource source{r.serial, r.type_code, mission, {}};
        // A reading is stamped by this computer's clock, always within InfluxDB's times.
        return influx_line(QString::fromLatin1(influx_measurement), influx_tags(source), fields,
                           influx_time(r.time).value_or(0));
    }
    case StreamFormat::json:
        break;
    }
    QJsonObject values, units;
    for (qsizetype c = 0; c < size; ++c) {
        const QString& name = r.channels[c].name;
        if (r.channels[c].text)
            values[name] = r.texts[c].isEmpty() ? QJsonValue() : QJsonValue(r.texts[c]);
        else
            values[name] = number(c) ? QJsonValue(*number(c)) : QJsonValue();
        units[name] = r.channels[c].unit;
    }
    const QJsonObject o{{QStringLiteral("time"), iso_time(r.time)}, {QStringLiteral("serial"), r.serial},
                        {QStringLiteral("model"), r.type_code},     {QStringLiteral("mission"), mission},
                        {QStringLiteral("values"), values},         {QStringLiteral("units"), units}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

int monitor(Global& g, CliHost& host, TerminalUi& ui, StreamFormat format, std::optional<int> count,
            QString mission, std::FILE* out)
{
    PollCycle poll(g, host);
    std::uint16_t serial = g.status.serial;
    QList<CsvChannel> header;
    int written = 0, unanswered = 0;
    auto write = [out](const QString& line) {
        const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), out);
        std::fflush(out);
    };
    while ((!count || written < *count) && !ui.interrupted()) {
        const bool old_format = g.ident.type_code == 55;
        host.clear_panels();
        g.link.rx_buffer.clear();
        g.link.send_command(old_format ? cmd::old_calib : cmd::status,
                            old_format ? param::old_calib : param::status_poll);
        const QDateTime time = g.now();
        g.link.delay(reply_ms);
        if (ui.interrupted()) break;
        bool answered = false;
        if (old_format) {
            poll.decode_name();
            answered = host.text_of(&StatusView::pantemp).has_value();
        } else {
            answered = poll.decode_status();
        }
        if (!answered) {
            if (++unanswered == lost_after)
                ui.show_message(QStringLiteral("the logger does not answer; waiting for it"), btn::ok);
            continue;
        }
        if (unanswered >= lost_after) ui.show_message(QStringLiteral("the logger answers again"), btn::ok);
        unanswered = 0;
        if (g.status.serial != serial) {
            serial = g.status.serial;
            mission = g.ident.type_code >= 85 && g.link.read_misname() ? g.link.mission_name : QString();
        }
        const LiveReading r = live_reading(host.live_panels(), g.ident.type_code, serial, &g.calib, time);
        if (r.empty()) continue;
        if (format == StreamFormat::csv && r.channels != header) {
            header = r.channels;
            write(reading_csv_header(r));
        }
        write(reading_line(r, mission, format));
        ++written;
    }
    return written;
}

} // namespace vx::cli
