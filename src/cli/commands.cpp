#include "cli/commands.h"

#include "base/code_page.h"
#include "base/printable.h"
#include "base/safe_file.h"
#include "base/settings.h"
#include "cli/audit_command.h"
#include "cli/cli_host.h"
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

int status_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    CommandLine c(QStringLiteral("status"), {port_option, {{QStringLiteral("json")}}, format_option}, args);
    Options o;
    o.port = c.port();
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
    const StatusReport r = collect_report(s.host, s.g.ident.type_code, s.g.status.serial, logger_time,
                                          s.computer_time, s.g.status.record_pointer, mission, &s.g.calib);
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
    QFile f;
    // A device or a pipe may never end.
    if (const QString why = open_regular_file(f, o.file, QIODevice::ReadOnly, Links::follow);
        !why.isEmpty()) {
        print_line(err, QStringLiteral("vorlanix-cli: cannot read %1: %2").arg(o.file, why));
        return exit_failed;
    }
    QStringList lines = from_cp1250(f.readAll()).split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    CsvOptions options;
    options.type_code = o.model;
    options.from = o.from;
    options.to = o.to;
    options.clock_notes = RecordSourceStore().clock_notes(QFileInfo(o.file).fileName());
    const CsvExport csv = records_to_csv(lines, options);
    if (o.output.isEmpty()) {
        const QByteArray bytes = csv.text.toUtf8();
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), out);
        std::fflush(out);
        return exit_ok;
    }
    QString error;
    if (write_csv_file(o.output, csv.text, &error)) return exit_ok;
    print_line(err, QStringLiteral("vorlanix-cli: %1").arg(error));
    return exit_failed;
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
