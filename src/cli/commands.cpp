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
#include "cli/options.h"
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
#include <limits>

namespace vx::cli
{

namespace
{

// What the commands take, read from their words once (options.h).
struct Options {
    QString port;
    bool json = false;
    bool yes = false;
    std::optional<int> last;
    QString file;
    std::optional<QDateTime> from, to;
    std::optional<std::uint16_t> model;
    QString output;
    QString format;
    std::optional<int> count;
    std::optional<std::uint16_t> serial;
    qint64 period = 3600; // between collections, for the ring forecast's warning
};

const OptionSpec port_option{{QStringLiteral("port")}, "N", QStringLiteral("--port needs a COM number")};
const OptionSpec yes_option{{QStringLiteral("y"), QStringLiteral("yes")}};
const OptionSpec format_option{{QStringLiteral("format")}, "FORMAT"};

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

int status_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    const QString period_error = QStringLiteral("--period needs the seconds between collections, from 1");
    CommandLine c(QStringLiteral("status"),
                  {port_option, {{QStringLiteral("json")}}, format_option, {{QStringLiteral("period")}, "SECONDS", period_error}},
                  args);
    Options o;
    o.port = c.port();
    o.period = c.number(QStringLiteral("period"), 1, std::numeric_limits<int>::max(), period_error).value_or(3600);
    o.json = c.is_set(QStringLiteral("json"));
    o.format = c.one_of(QStringLiteral("format"), {QStringLiteral("prometheus")}).value_or(QString());
    c.no_words();
    if (const auto status = c.finish(out, err, help_of(c.command()))) return *status;

    Session s(false, err);
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

int download_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    CommandLine c(QStringLiteral("download"),
                  {yes_option,
                   port_option,
                   {{QStringLiteral("last")}, "N", QStringLiteral("--last needs a number of records from 1")},
                   format_option},
                  args);
    Options o;
    o.yes = c.is_set(QStringLiteral("yes"));
    o.port = c.port();
    o.last = c.number(QStringLiteral("last"), 1, std::numeric_limits<int>::max(),
                      QStringLiteral("--last needs a number of records from 1"));
    o.format = c.one_of(QStringLiteral("format"), {QStringLiteral("influx")}).value_or(QString());
    for (const QString& word : c.words().mid(c.words().value(0) == QLatin1String("new") ? 1 : 0))
        c.refuse_word(word);
    const bool new_records = c.words().value(0) == QLatin1String("new");
    if (new_records == (o.last.has_value() || c.is_set(QStringLiteral("last"))))
        c.fail(QStringLiteral("download needs either 'new' or '--last N'"));
    if (const auto status = c.finish(out, err, help_of(c.command()))) return *status;

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

int set_clock_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    CommandLine c(QStringLiteral("set-clock"), {yes_option, port_option}, args);
    Options o;
    o.yes = c.is_set(QStringLiteral("yes"));
    o.port = c.port();
    c.no_words();
    if (const auto status = c.finish(out, err, help_of(c.command()))) return *status;

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

int export_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    const auto time = [](const char* name) {
        return OptionSpec{{QLatin1String(name)},
                          "T",
                          QStringLiteral("--%1 needs a time such as 2024-03-01 or 2024-03-01T10:15")
                              .arg(QLatin1String(name))};
    };
    CommandLine c(
        QStringLiteral("export"),
        {{{QStringLiteral("csv")}},
         time("from"),
         time("to"),
         {{QStringLiteral("model")}, "TYPE", QStringLiteral("--model needs a logger type code")},
         {{QStringLiteral("o"), QStringLiteral("output")},
          "OUT",
          QStringLiteral("--output needs a file name")},
         format_option,
         {{QStringLiteral("serial")}, "N", QStringLiteral("--serial needs a serial number 0..65535")}},
        args);
    Options o;
    o.from = c.time(QStringLiteral("from"), false);
    o.to = c.time(QStringLiteral("to"), true);
    o.model = c.number(QStringLiteral("model"), 1, 65535, QStringLiteral("--model needs a logger type code"));
    o.output = c.value(QStringLiteral("output"));
    o.format = c.one_of(QStringLiteral("format"), {QStringLiteral("csv"), QStringLiteral("influx")})
                   .value_or(QString());
    o.serial = c.number(QStringLiteral("serial"), 0, 65535,
                        QStringLiteral("--serial needs a serial number 0..65535"));
    o.file = c.one_word(QStringLiteral("export needs the record file"));
    if (const auto status = c.finish(out, err, help_of(c.command()))) return *status;

    if (o.format == QLatin1String("influx"))
        return export_influx(o.file, o.serial, o.model, o.from, o.to, o.output, out, err);
    CsvOptions options;
    options.type_code = o.model;
    options.from = o.from;
    options.to = o.to;
    return export_csv(o.file, options, o.output, out, err);
}

int monitor_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    CommandLine c(
        QStringLiteral("monitor"),
        {port_option,
         {{QStringLiteral("count")}, "N", QStringLiteral("--count needs a number of readings from 1")},
         format_option},
        args);
    Options o;
    o.port = c.port();
    o.count = c.number(QStringLiteral("count"), 1, std::numeric_limits<int>::max(),
                       QStringLiteral("--count needs a number of readings from 1"));
    o.format = c.one_of(QStringLiteral("format"),
                        {QStringLiteral("csv"), QStringLiteral("influx"), QStringLiteral("json")})
                   .value_or(QString());
    c.no_words();
    if (const auto status = c.finish(out, err, help_of(c.command()))) return *status;

    Session s(false, err);
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
    if (args.isEmpty()) return usage_error(err, {}, QStringLiteral("a command is missing"));
    const QString command = args.first();
    if (command == QLatin1String("-h") || command == QLatin1String("--help")) {
        print(out, QString::fromUtf8(help_of({})));
        return exit_ok;
    }
    using Command = int (*)(const QStringList&, std::FILE*, std::FILE*);
    const std::pair<const char*, Command> commands[] = {
        {"status", status_command},   {"download", download_command}, {"set-clock", set_clock_command},
        {"start", start_command},     {"export", export_command},     {"monitor", monitor_command},
        {"summary", summary_command}, {"audit", audit_command},       {"verify", verify_command},
        {"collect", collect_command},
    };
    for (const auto& [name, run_command] : commands) {
        if (command != QLatin1String(name)) continue;
        const int status = run_command(args.mid(1), out, err);
        // A signal (a closed pipe) that came while the result was written turns it into a failure.
        const int signal = InterruptNotifier::first_signal();
        return signal > 0 && status < 128 ? 128 + signal : status;
    }
    return usage_error(err, {}, QStringLiteral("unknown command '%1'").arg(command));
}

} // namespace vx::cli
