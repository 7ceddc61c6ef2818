#include "cli/commands.h"

#include "base/code_page.h"
#include "base/printable.h"
#include "base/safe_file.h"
#include "base/settings.h"
#include "cli/cli_host.h"
#include "cli/export_output.h"
#include "cli/help_texts.h"
#include "cli/influx_output.h"
#include "cli/interrupt.h"
#include "cli/monitor.h"
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

// A status request gets one poll tick to be answered.
constexpr int status_reply_ms = 700;
// Status requests before the logger counts as absent (the poll's rule).
constexpr int status_tries = 4;

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

void print(std::FILE* f, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), f);
    std::fflush(f);
}

// One line of text output; names in it come from the logger or its files.
void print_line(std::FILE* f, const QString& text)
{
    print(f, printable(text) + QLatin1Char('\n'));
}

// The program state of one command that talks to a logger, wired as the
// main window wires its own: the settings file, the driver, the link, and
// this terminal as the user-interface port.
class Session
{
public:
    Session(const Options& o, std::FILE* err)
        : ui(
              o.yes                                         ? TerminalUi::Answers::yes
              : isatty(STDIN_FILENO) && isatty(fileno(err)) ? TerminalUi::Answers::ask
                                                            : TerminalUi::Answers::no,
              isatty(fileno(err)) != 0, [this] { g.link.abort(); }, err),
          host(ui), interrupt([this](int signal) {
              signal_ = signal;
              ui.interrupt();
          })
    {
        g.ui = &ui;
        g.program_dir = find_program_dir(&setup_failure);
        g.data_dir = find_data_dir();
        if (!g.program_dir.isEmpty()) setup_failure = load_settings(g, QLatin1String(cli_language));
        driver.setBaudRateValue(19200);
        g.link.attach_driver(&driver);
        g.link.attach_ui(&ui);
    }
    ~Session() { g.link.close_comport(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opens the port of --port (else the settings' ComPort); the reason it
    // did not open, or empty.
    QString open_port(const QString& port)
    {
        // Without its directory or settings the program does not know the user's port.
        if (!setup_failure.isEmpty()) return setup_failure;
        int com = g.settings.ComPort;
        QMap<int, QString> devices = g.settings.port_devices;
        bool number = false;
        const int n = port.toInt(&number);
        if (number)
            com = n;
        else if (!port.isEmpty())
            devices[com] = port;
        const QString device = com_device(com, devices);
        port_name = QStringLiteral("COM%1 (%2)").arg(com).arg(device);
        if (g.link.open_comport(com, devices)) return {};
        return port_open_failure(driver.last_fault(), port_name);
    }

    // Identifies the logger: status requests until one is recognised (the
    // same decode as the poll of the main window), then, with with_name, the
    // mission name. The reason it failed, or empty.
    QString identify(bool with_name)
    {
        PollCycle poll(g, host);
        bool recognised = false;
        for (int attempt = 0; attempt < status_tries && !recognised && !ui.interrupted(); ++attempt) {
            g.link.rx_buffer.clear();
            g.link.send_command(cmd::status, param::status_poll);
            // The logger reads its clock as it answers, at once; whole seconds on both sides.
            computer_time = g.now();
            computer_time.setTime(QTime(computer_time.time().hour(), computer_time.time().minute(),
                                        computer_time.time().second()));
            g.link.delay(status_reply_ms);
            recognised = poll.decode_status();
        }
        g.link.rx_buffer.clear();
        this->recognised = recognised;
        if (ui.interrupted()) return QStringLiteral("interrupted");
        if (!recognised) return QStringLiteral("no logger answers on %1").arg(port_name);
        if (g.ident.type_code == 55) {
            // The old-format logger's reading comes with its calibration answer, asked for
            // where the poll asks for a mission name.
            g.link.send_command(cmd::old_calib, param::old_calib);
            g.link.delay(status_reply_ms);
            poll.decode_name();
            g.link.rx_buffer.clear();
        }
        // The old-format logger (and an unidentified one) has no mission name.
        if (!with_name || g.ident.type_code < 85) return {};
        if (!g.link.read_misname())
            return ui.interrupted() ? QStringLiteral("interrupted")
                                    : QStringLiteral("the logger did not send its mission name");
        g.status.mission_name = g.link.mission_name;
        name_read = true;
        return {};
    }

    int interrupted_status() const { return 128 + (signal_ > 0 ? signal_ : 2); }

    Global g;
    TCommPortDriver driver;
    TerminalUi ui;
    CliHost host;
    InterruptNotifier interrupt;
    QString port_name;
    QString setup_failure; // why the program directory or its settings cannot be used
    QDateTime computer_time;
    bool recognised = false; // a status reply was recognised
    bool name_read = false;

private:
    int signal_ = 0;
};

int failed(Session& s, const QString& reason)
{
    if (s.ui.interrupted()) {
        s.ui.show_message(QStringLiteral("interrupted"), btn::ok);
        return s.interrupted_status();
    }
    s.ui.show_message(reason, btn::ok);
    return exit_failed;
}

int status_command(const Options& o, std::FILE* out, std::FILE* err)
{
    Session s(o, err);
    if (const QString why = s.open_port(o.port); !why.isEmpty()) return failed(s, why);
    // The report shows the clock's offset; the window's warning would repeat it.
    s.g.settings.CHECKTIME = false;
    const QString why = s.identify(true);
    if (!s.recognised) return failed(s, why);

    std::optional<QDateTime> logger_time;
    if (s.g.status.logger_time.isValid()) logger_time = s.g.status.logger_time;
    std::optional<QString> mission;
    if (s.name_read) mission = s.g.status.mission_name;
    const StatusReport r = collect_report(s.host, s.g.ident.type_code, s.g.status.serial, logger_time,
                                          s.computer_time, s.g.status.record_pointer, mission, &s.g.calib);
    if (o.format == QLatin1String("prometheus"))
        print(out, status_metrics(s.g, s.host, r));
    else
        print(out, o.json ? QString::fromUtf8(report_json(r)) : report_text(r));
    return why.isEmpty() ? exit_ok : failed(s, why);
}

int download_command(const Options& o, std::FILE* out, std::FILE* err)
{
    Session s(o, err);
    // With --format influx stdout carries the records stored, the summary goes to stderr.
    InfluxRecordPrinter influx(s.g, out);
    if (o.format == QLatin1String("influx")) {
        s.host.set_record_sink(&influx);
        out = err;
    }
    if (const QString why = s.open_port(o.port); !why.isEmpty()) return failed(s, why);
    if (const QString why = s.identify(true); !why.isEmpty()) return failed(s, why);

    Global& g = s.g;
    Download download(g, s.host);
    DownloadOutcome outcome;
    if (o.last) {
        s.ui.preset_input(g.lang.mess(16), QString::number(*o.last));
        outcome = download.newest_records();
    } else {
        outcome = download.new_records();
    }
    const int records = g.transfer.record_counter;
    const QString mission = g.status.mission_name;
    // The old-format logger has no mission name and no marks: its file is named by its serial number.
    const bool old_format = g.ident.type_code == 55;
    const QString file = old_format ? old_format_database_path(g) : database_path(g, mission);
    const QString logger = old_format ? QStringLiteral("logger %1").arg(g.status.serial)
                                      : QStringLiteral("mission %1").arg(mission);
    QString stored = QStringLiteral("%1 record(s) stored in %2").arg(records).arg(file);
    // Nothing was dropped, but records sharing a stamp ask for a look at the logger's clock.
    if (const int shared = download.last_sort().new_shared_stamps; shared > 0)
        stored += QStringLiteral("; %1 share their time stamp with older records (was the logger's clock set "
                                 "back?), all kept")
                      .arg(shared);
    const bool marked = !o.last && !old_format;
    const int mark = MarkStore().read_mark(mission);

    using D = DownloadOutcome;
    switch (outcome) {
    case D::done:
        print_line(out, stored + (marked ? QStringLiteral("; download mark %1").arg(mark) : QString()));
        return exit_ok;
    case D::nothing_new:
        print_line(out, QStringLiteral("no new records of %1").arg(logger));
        return exit_ok;
    case D::first_contact:
        print_line(out, QStringLiteral("mission %1 met for the first time: download mark set to %2; later "
                                       "downloads fetch the records written from now on")
                            .arg(mission)
                            .arg(mark));
        return exit_ok;
    case D::mark_failed:
        return failed(s, download.problem() + (records > 0 ? QStringLiteral("; ") + stored : QString()));
    case D::sort_failed:
        return failed(s, download.problem());
    case D::cancelled:
        s.ui.show_message(QStringLiteral("interrupted: ") + stored +
                              (marked ? QStringLiteral("; download mark %1").arg(mark) : QString()),
                          btn::ok);
        return s.interrupted_status();
    case D::not_registered:
        return failed(s, QStringLiteral("mission %1 is met for the first time and its download mark was not "
                                        "stored (--yes answers the question)")
                             .arg(mission));
    case D::no_logger:
        return failed(s, QStringLiteral("no logger attached"));
    case D::broken_pointer:
        return failed(s, QStringLiteral("the logger's record pointer is broken; start a new mission"));
    case D::no_name:
        return failed(s, QStringLiteral("the logger did not send its mission name"));
    case D::no_count:
        return failed(s, QStringLiteral("no number of records to fetch"));
    case D::too_many:
        return failed(s, QStringLiteral("the logger holds at most %1 records")
                             .arg(old_format ? Download::old_pointer_limit : g.ident.ring_size));
    case D::failed:
        return failed(s, QStringLiteral("the logger stopped answering; ") + stored +
                             (marked ? QStringLiteral("; the next download continues from mark %1").arg(mark)
                                     : QString()));
    case D::write_failed:
        if (const QString link = link_refusal(file); !link.isEmpty())
            return failed(s, QStringLiteral("cannot write the record file %1: %2, %3")
                                 .arg(file, link,
                                      QFileInfo(file).isSymLink() ? QStringLiteral("not followed")
                                                                  : QStringLiteral("not written through")));
        return failed(s, QStringLiteral("cannot write the record file %1").arg(file));
    case D::busy:
        break;
    }
    return failed(s, QStringLiteral("a download is already running"));
}

int set_clock_command(const Options& o, std::FILE* out, std::FILE* err)
{
    Session s(o, err);
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
    Session s(o, err);
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
