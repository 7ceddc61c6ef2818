#include "cli/commands.h"

#include "base/code_page.h"
#include "base/printable.h"
#include "base/safe_file.h"
#include "base/settings.h"
#include "cli/audit_command.h"
#include "cli/cli_host.h"
#include "cli/collect.h"
#include "cli/export_output.h"
#include "cli/help_texts.h"
#include "cli/influx_output.h"
#include "cli/interrupt.h"
#include "cli/monitor.h"
#include "cli/session.h"
#include "cli/start_command.h"
#include "cli/status_metrics.h"
#include "cli/status_report.h"
#include "cli/summary_command.h"
#include "cli/terminal_ui.h"
#include "link/frame.h"
#include "link/serial_devices.h"
#include "link/serial_port.h"
#include "logger/clock.h"
#include "logger/download.h"
#include "logger/poll.h"
#include "logger/program_state.h"
#include "logger/record_handoff.h"
#include "logger/ring_forecast.h"
#include "records/marks.h"
#include "records/record_csv.h"
#include "records/record_file.h"
#include "records/record_source.h"

#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace vx::cli
{

namespace
{

struct Options {
    QString command;
    bool help = false;
    QString port;
    bool json = false;
    bool yes = false;
    bool new_records = false;
    std::optional<int> last;
    QString file;
    bool csv = false;
    std::optional<QDateTime> from, to;
    std::optional<std::uint16_t> model;
    QString output;
    QString format;
    std::optional<int> count;
    std::optional<std::uint16_t> serial;
    qint64 period = 3600; // between collections, for the ring forecast's warning
};

// The --format values of a command.
QStringList formats_of(const QString& command)
{
    if (command == QLatin1String("status")) return {QStringLiteral("prometheus")};
    if (command == QLatin1String("download")) return {QStringLiteral("influx")};
    if (command == QLatin1String("export")) return {QStringLiteral("csv"), QStringLiteral("influx")};
    if (command == QLatin1String("monitor"))
        return {QStringLiteral("csv"), QStringLiteral("influx"), QStringLiteral("json")};
    return {};
}

// Reads the options of one command; an error text, or empty.
QString parse(const QStringList& args, Options& o)
{
    if (args.isEmpty()) return QStringLiteral("a command is missing");
    o.command = args.first();
    if (o.command == QLatin1String("-h") || o.command == QLatin1String("--help")) {
        o.command.clear();
        o.help = true;
        return {};
    }
    const bool talks = o.command == QLatin1String("status") || o.command == QLatin1String("download") ||
                       o.command == QLatin1String("set-clock") || o.command == QLatin1String("monitor");
    if (!talks && o.command != QLatin1String("export"))
        return QStringLiteral("unknown command '%1'").arg(o.command);

    for (int i = 1; i < args.size(); ++i) {
        QString a = args[i];
        std::optional<QString> inline_value;
        if (a.startsWith(QLatin1String("--")) && a.contains(QLatin1Char('='))) {
            inline_value = a.mid(a.indexOf(QLatin1Char('=')) + 1);
            a = a.left(a.indexOf(QLatin1Char('=')));
        }
        auto value = [&](QString& out) {
            if (inline_value) {
                out = *inline_value;
                return true;
            }
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        auto is = [&](const char* name, bool allowed) { return allowed && a == QLatin1String(name); };
        const bool download = o.command == QLatin1String("download");
        const bool exporting = o.command == QLatin1String("export");
        QString v;
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            o.help = true;
        } else if (is("--port", talks)) {
            if (!value(o.port)) return QStringLiteral("--port needs a COM number");
            bool ok = false;
            const int n = o.port.toInt(&ok);
            if ((!ok || n < min_com_port || n > max_com_port) && !o.port.contains(QLatin1Char('/')))
                return QStringLiteral("--port takes a COM number from %1 to %2, or a device path")
                    .arg(min_com_port)
                    .arg(max_com_port);
        } else if (is("--period", o.command == QLatin1String("status"))) {
            bool ok = false;
            const qint64 n = value(v) ? v.toLongLong(&ok) : 0;
            if (!ok || n < 1) return QStringLiteral("--period needs the seconds between collections, from 1");
            o.period = n;
        } else if (is("--json", o.command == QLatin1String("status"))) {
            o.json = true;
        } else if (is("--yes", download || o.command == QLatin1String("set-clock")) ||
                   is("-y", download || o.command == QLatin1String("set-clock"))) {
            o.yes = true;
        } else if (is("new", download)) {
            o.new_records = true;
        } else if (is("--last", download)) {
            bool ok = false;
            const int n = value(v) ? v.toInt(&ok) : 0;
            if (!ok || n < 1) return QStringLiteral("--last needs a number of records from 1");
            o.last = n;
        } else if (is("--csv", exporting)) {
            o.csv = true;
        } else if (is("--from", exporting) || is("--to", exporting)) {
            const bool to = a == QLatin1String("--to");
            const auto t = value(v) ? parse_cli_time(v, to) : std::nullopt;
            if (!t) return QStringLiteral("%1 needs a time such as 2024-03-01 or 2024-03-01T10:15").arg(a);
            (to ? o.to : o.from) = t;
        } else if (is("--model", exporting)) {
            bool ok = false;
            const int n = value(v) ? v.toInt(&ok) : 0;
            if (!ok || n < 1 || n > 65535) return QStringLiteral("--model needs a logger type code");
            o.model = static_cast<std::uint16_t>(n);
        } else if (is("--output", exporting) || is("-o", exporting)) {
            if (!value(o.output)) return QStringLiteral("--output needs a file name");
        } else if (a == QLatin1String("--format") && !formats_of(o.command).isEmpty()) {
            if (!value(o.format) || !formats_of(o.command).contains(o.format))
                return QStringLiteral("--format of %1 takes %2")
                    .arg(o.command, formats_of(o.command).join('|'));
        } else if (is("--count", o.command == QLatin1String("monitor"))) {
            bool ok = false;
            const int n = value(v) ? v.toInt(&ok) : 0;
            if (!ok || n < 1) return QStringLiteral("--count needs a number of readings from 1");
            o.count = n;
        } else if (is("--serial", exporting)) {
            bool ok = false;
            const int n = value(v) ? v.toInt(&ok) : -1;
            if (!ok || n < 0 || n > 65535) return QStringLiteral("--serial needs a serial number 0..65535");
            o.serial = static_cast<std::uint16_t>(n);
        } else if (exporting && !a.startsWith(QLatin1Char('-')) && o.file.isEmpty()) {
            o.file = a;
        } else {
            return QStringLiteral("unknown argument '%1' for %2").arg(args[i], o.command);
        }
    }
    if (o.help) return {};
    if (o.command == QLatin1String("download") && o.new_records == o.last.has_value())
        return QStringLiteral("download needs either 'new' or '--last N'");
    if (o.command == QLatin1String("export") && o.file.isEmpty())
        return QStringLiteral("export needs the record file");
    return {};
}

} // namespace

QString port_open_failure(TCommPortDriver::OpenFault fault, const QString& port_name)
{
    using F = TCommPortDriver::OpenFault;
    switch (fault) {
    case F::busy:
        return QStringLiteral(
                   "%1 is in use by another program (the desktop Vorlanix?); close it and try again")
            .arg(port_name);
    case F::permission:
        return QStringLiteral("no permission to open %1: add your user to the group dialout (sudo usermod "
                              "-aG dialout $USER), then log in again")
            .arg(port_name);
    case F::missing:
        return QStringLiteral("%1 does not exist; map the COM number to a device in section [PORTS] of "
                              "vorlanix.ini, or give --port")
            .arg(port_name);
    case F::not_a_port:
        return QStringLiteral("%1 is no serial port (not a terminal device)").arg(port_name);
    case F::settings:
        return QStringLiteral("%1 refused the line settings (19200 bit/s, 8 data bits, no parity)")
            .arg(port_name);
    default:
        return QStringLiteral("cannot open %1: the system refused it exclusive use as a serial port")
            .arg(port_name);
    }
}

namespace
{

int status_command(const Options& o, std::FILE* out, std::FILE* err)
{
    Session s(o.yes, err);
    if (const QString why = s.open_port(o.port); !why.isEmpty()) return failed(s, why);
    // The report shows the clock's offset; the window's warning would repeat it.
    s.g.settings.CHECKTIME = false;
    const QString why = s.identify(true);
    if (!s.recognised) return failed(s, why);

    std::optional<QDateTime> logger_time;
    if (s.g.status.logger_time.isValid()) logger_time = s.g.status.logger_time;
    std::optional<QString> mission;
    if (s.name_read) mission = s.g.status.mission_name;
    StatusReport r = collect_report(s.host, s.g.ident.type_code, s.g.status.serial, logger_time,
                                    s.computer_time, s.g.status.record_pointer, mission, &s.g.calib);
    // What the ring still takes before records not downloaded yet are lost.
    r.forecast = ring_forecast(ring_outlook(s.g, mission ? MarkStore().read_mark(*mission) : -1));
    r.period_seconds = o.period;
    if (o.format == QLatin1String("prometheus"))
        print(out, status_metrics(s.g, s.host, r));
    else
        print(out, o.json ? QString::fromUtf8(report_json(r)) : report_text(r));
    return why.isEmpty() ? exit_ok : failed(s, why);
}

int download_command(const Options& o, std::FILE* out, std::FILE* err)
{
    Session s(o.yes, err);
    // With --format influx stdout carries the records stored, the summary goes to stderr.
    InfluxRecordPrinter influx(s.g, out);
    if (o.format == QLatin1String("influx")) {
        s.host.set_record_sink(&influx);
        out = err;
    }
    if (const QString why = s.open_port(o.port); !why.isEmpty()) return failed(s, why);
    if (const QString why = s.identify(true); !why.isEmpty()) return failed(s, why);

    Download download(s.g, s.host);
    DownloadOutcome outcome;
    if (o.last) {
        s.ui.preset_input(s.g.lang.mess(16), QString::number(*o.last));
        outcome = download.newest_records();
    } else {
        outcome = download.new_records();
    }
    const DownloadEnding end = download_ending(s, download, outcome, o.last.has_value());
    switch (end.kind) {
    case DownloadEnding::Kind::ok:
        print_line(out, end.text);
        return exit_ok;
    case DownloadEnding::Kind::interrupted:
        s.ui.show_message(end.text, btn::ok);
        return s.interrupted_status();
    case DownloadEnding::Kind::failed:
        break;
    }
    return failed(s, end.text);
}

int set_clock_command(const Options& o, std::FILE* out, std::FILE* err)
{
    Session s(o.yes, err);
    if (const QString why = s.open_port(o.port); !why.isEmpty()) return failed(s, why);
    s.g.settings.CHECKTIME = false;
    // The mission names the record file whose clock notes the set adds to.
    if (const QString why = s.identify(true); !why.isEmpty()) return failed(s, why);
    const QDateTime now = s.g.now();
    if (const ClockSetRisk risk = clock_set_risk(s.g, now); risk.goes_back && !o.yes)
        return failed(
            s, QStringLiteral("clock not set: the logger runs ahead; its newest record is from %1, later "
                              "than %2, so about %3 record(s) would share their time stamp with older "
                              "ones. Download first (vorlanix-cli download new), or give --yes to set "
                              "it anyway")
                   .arg(format_time_stamp(risk.newest), format_time_stamp(now))
                   .arg(risk.shared));
    SetClock clock(s.g, s.host);
    using R = SetClock::Result;
    switch (clock.run()) {
    case R::done:
        print(out, QStringLiteral("clock of logger %1 set to %2\n")
                       .arg(s.g.status.serial)
                       .arg(s.g.now().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))));
        return exit_ok;
    case R::declined:
        return failed(s, s.ui.unanswered()
                             ? QStringLiteral("clock not set: nobody to ask (--yes answers yes)")
                             : QStringLiteral("clock not set"));
    case R::cancelled:
        return failed(s, QStringLiteral("interrupted"));
    case R::not_acknowledged:
        return failed(s, QStringLiteral("the logger did not acknowledge the clock; it may be set in part"));
    case R::out_of_range:
        break;
    }
    return failed(s, QStringLiteral("this computer's date lies outside the logger's calendar"));
}

int export_command(const Options& o, std::FILE* out, std::FILE* err)
{
    if (o.format == QLatin1String("influx"))
        return export_influx(o.file, o.serial, o.model, o.from, o.to, o.output, out, err);
    CsvOptions options;
    options.type_code = o.model;
    options.from = o.from;
    options.to = o.to;
    return export_csv(o.file, options, o.output, out, err);
}

int monitor_command(const Options& o, std::FILE* out, std::FILE* err)
{
    Session s(o.yes, err);
    if (const QString why = s.open_port(o.port); !why.isEmpty()) return failed(s, why);
    s.g.settings.CHECKTIME = false;
    if (const QString why = s.identify(true); !why.isEmpty()) return failed(s, why);
    const StreamFormat format = stream_format(o.format).value_or(StreamFormat::csv);
    monitor(s.g, s.host, s.ui, format, o.count, s.name_read ? s.g.status.mission_name : QString(), out);
    return s.ui.interrupted() ? s.interrupted_status() : exit_ok;
}

} // namespace

std::optional<QDateTime> parse_cli_time(const QString& text, bool end_of_day)
{
    const QString t = text.trimmed();
    const QDate date = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
    if (date.isValid()) return logger_local_time(date, end_of_day ? QTime(23, 59, 59) : QTime(0, 0));
    for (const char* pattern :
         {"yyyy-MM-ddTHH:mm:ss", "yyyy-MM-ddTHH:mm", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm"}) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(pattern));
        if (dt.isValid()) return logger_local_time(dt.date(), dt.time());
    }
    const auto stamp = parse_time_stamp(t);
    if (stamp && end_of_day && !t.contains(QLatin1Char(':')))
        return logger_local_time(stamp->date(), QTime(23, 59, 59));
    return stamp;
}

int run(const QStringList& args, std::FILE* out, std::FILE* err)
{
    if (args == QStringList{QStringLiteral("--version")}) {
        print(out, QStringLiteral("vorlanix-cli %1\n").arg(QLatin1String(VORLANIX_VERSION)));
        return exit_ok;
    }
    if (!args.isEmpty() && args.first() == QLatin1String("start"))
        return start_command(args.mid(1), out, err);
    if (!args.isEmpty() && args.first() == QLatin1String("summary"))
        return summary_command(args.mid(1), out, err);
    if (!args.isEmpty() && args.first() == QLatin1String("audit"))
        return audit_command(args.mid(1), out, err);
    if (!args.isEmpty() && args.first() == QLatin1String("verify"))
        return verify_command(args.mid(1), out, err);
    if (!args.isEmpty() && args.first() == QLatin1String("collect"))
        return collect_command(args.mid(1), out, err);
    Options o;
    const QString error = parse(args, o);
    if (!error.isEmpty()) {
        print(err, QStringLiteral("vorlanix-cli: %1\nTry 'vorlanix-cli %2--help'.\n")
                       .arg(printable(error),
                            o.command.isEmpty() || error.startsWith(QLatin1String("unknown command"))
                                ? QString()
                                : o.command + QLatin1Char(' ')));
        return exit_usage;
    }
    if (o.help) {
        print(out, QString::fromUtf8(help_of(o.command)));
        return exit_ok;
    }
    if (o.command == QLatin1String("status")) return status_command(o, out, err);
    if (o.command == QLatin1String("download")) return download_command(o, out, err);
    if (o.command == QLatin1String("set-clock")) return set_clock_command(o, out, err);
    if (o.command == QLatin1String("monitor")) return monitor_command(o, out, err);
    return export_command(o, out, err);
}

} // namespace vx::cli
