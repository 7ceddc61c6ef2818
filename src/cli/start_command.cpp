// vorlanix-cli start; see start_command.h.
#include "cli/start_command.h"

#include "base/language.h"
#include "base/printable.h"
#include "base/program_dir.h"
#include "base/settings.h"
#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/terminal_ui.h"
#include "link/frame.h"
#include "link/serial_devices.h"
#include "link/serial_port.h"
#include "logger/poll.h"
#include "logger/program_state.h"
#include "programming/logger_readback.h"
#include "programming/mission_start.h"

#include <QDateTime>
#include <unistd.h>

namespace vx::cli
{

namespace
{

const char* const start_help = R"(Usage: vorlanix-cli start --name NAME --interval MINUTES [OPTIONS]

Starts a new mission on the attached logger, as "Start mission / measurement" of
the desktop program does: for rolling one mission out to many loggers from a
script. Starting a mission ERASES the records in the logger: while it holds
records this computer has not downloaded, start refuses without --yes and
says how many (download them first with 'vorlanix-cli download new').
Every value is checked before the first frame that changes the logger, a
delayed start against the logger's own clock; every setting must be
acknowledged; then the status and the name are read back and compared with
what was sent. The mission's download mark follows the logger's record
pointer as soon as the logger took it; only a logger that reads back the
whole mission gets the mission's record file header written.

Mission (the controls of the mission start dialog):
  --name NAME          mission name, 1..15 characters of code page 1250,
                       without . , : and control characters (blanks around
                       it are dropped); also the record file's name
  --interval MINUTES   recording interval, 1..255 (type 132: 1..60; the
                       old-format type 55: 0..99, 0 stops recording)
  --seconds            type 132: the interval counts seconds ("Seconds")
  --remark TEXT        remark for the record file's header, one line of
                       code page 1250 characters
  --no-rollover        stop recording when the memory is full (default: the
                       oldest records are overwritten)
  --on-change DELTA    record only when the value changed by DELTA (degrees
                       or the model's unit, comma or point; type 107: whole
                       counts 0..255); 0: no such condition (default)
  --above X            types 101, 103: record only above X; 129, 131: the
                       upper limit (whole units)
  --below X            types 101, 103: the siren threshold; 129, 131: the
                       lower limit (whole units)
  --delay-until T      start at T, yyyy-mm-ddThh:mm on the logger's clock, at
                       least two minutes after it
  --keep-records       leave the logger's record pointer as it is ("Reset"
                       unticked)
  --pointer N          set the record pointer to N instead of 0 (with
                       --keep-records only the download mark takes N)
  --no-averaging       type 130: record single readings, not 2 s averages
  --counter-start X    type 130: the counter reading for the file's header
                       (a number)
  --flow-start X       type 102: the meter reading for the file's header
  --flow-per-pulse X   type 102: the quantity per pulse for the file's header
Record file:
  --replace-file       empty an existing record file of this mission name and
                       write a new header (default: the new records are added
                       below the old ones, without a new header)
Options:
  --port N             the COM port number (1..256), or a device path
  --yes                answer Yes to "erase the records in the logger?",
                       also when it holds records not downloaded yet;
                       without it such records stop the start, and without
                       a terminal every question is answered No
  -h, --help           show this help

Exit status: 0 the logger took the whole mission and reads it back as sent;
1 failed or refused: the last line on stderr names the failed step and what
the logger has taken, or each value that reads back otherwise (the record
file is left untouched; the download mark follows a pointer the logger
took); 2 wrong usage, a value this logger cannot take (its status and name
may have been read, nothing that changes it was sent); 130 interrupted.

Example:
  vorlanix-cli start --name SKLAD3 --interval 15 --on-change 0.5 --yes
)";

struct StartOptions {
    MissionForm form;
    bool help = false, yes = false, replace_file = false;
    bool has_name = false, has_interval = false;
    QString port, delay_until;
    QStringList model_options; // options only some models take, as given
};

// Reads the options; an error text, or empty.
QString parse(const QStringList& args, StartOptions& o)
{
    MissionForm& f = o.form;
    f.synchro = false;
    f.lower.reset();
    f.upper.reset();
    for (int i = 0; i < args.size(); ++i) {
        QString a = args[i];
        std::optional<QString> inline_value;
        if (a.startsWith(QLatin1String("--")) && a.contains(QLatin1Char('='))) {
            inline_value = a.mid(a.indexOf(QLatin1Char('=')) + 1);
            a = a.left(a.indexOf(QLatin1Char('=')));
        }
        QString v;
        auto value = [&] {
            if (inline_value) {
                v = *inline_value;
                return true;
            }
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        auto needs = [&](const char* what) {
            return QStringLiteral("%1 needs %2").arg(a, QLatin1String(what));
        };
        auto whole = [&](std::optional<int>& out) {
            bool ok = false;
            const int n = value() ? v.toInt(&ok) : 0;
            if (ok) out = n;
            return ok;
        };
        const bool flag = !inline_value;
        if ((a == QLatin1String("-h") || a == QLatin1String("--help")) && flag) {
            o.help = true;
        } else if ((a == QLatin1String("--yes") || a == QLatin1String("-y")) && flag) {
            o.yes = true;
        } else if (a == QLatin1String("--name")) {
            if (!value()) return needs("a mission name");
            f.name = v;
            o.has_name = true;
        } else if (a == QLatin1String("--interval")) {
            if (!value()) return needs("a number of minutes");
            f.period = v;
            o.has_interval = true;
        } else if (a == QLatin1String("--remark")) {
            if (!value()) return needs("a text");
            f.remark = v;
        } else if (a == QLatin1String("--on-change")) {
            if (!value()) return needs("a change such as 0.5");
            f.gradient = f.flow_gradient = f.belsa_gradient = v;
        } else if (a == QLatin1String("--above") || a == QLatin1String("--below")) {
            if (!whole(a == QLatin1String("--above") ? f.upper : f.lower)) return needs("a whole number");
            o.model_options << a;
        } else if (a == QLatin1String("--delay-until")) {
            if (!value()) return needs("a time such as 2024-03-01T08:00");
            // The logger's wall clock: date and time apart, so no time zone gap refuses it.
            const QDate date = QDate::fromString(v.left(10), QStringLiteral("yyyy-MM-dd"));
            const QTime time = QTime::fromString(v.mid(11), QStringLiteral("HH:mm"));
            if (v.size() != 16 || v[10] != QLatin1Char('T') || !date.isValid() || !time.isValid())
                return needs("a time such as 2024-03-01T08:00");
            f.delayed = true;
            f.start_date = date;
            f.start_time = time;
        } else if (a == QLatin1String("--pointer")) {
            if (!value()) return needs("a record position");
            f.pointer_shown = true;
            f.pointer = v;
        } else if (a == QLatin1String("--no-rollover") && flag) {
            f.rollover = false;
        } else if (a == QLatin1String("--keep-records") && flag) {
            f.clear_pointer = false;
        } else if (a == QLatin1String("--replace-file") && flag) {
            o.replace_file = true;
        } else if (a == QLatin1String("--seconds") && flag) {
            f.synchro = true;
            o.model_options << a;
        } else if (a == QLatin1String("--no-averaging") && flag) {
            f.averaging = false;
            o.model_options << a;
        } else if (a == QLatin1String("--counter-start")) {
            if (!value()) return needs("a counter reading");
            f.belsa_total = v;
            o.model_options << a;
        } else if (a == QLatin1String("--flow-start") || a == QLatin1String("--flow-per-pulse")) {
            if (!value()) return needs("a number");
            (a == QLatin1String("--flow-start") ? f.flow_state : f.flow_constant) = v;
            o.model_options << a;
        } else if (a == QLatin1String("--port")) {
            if (!value()) return needs("a COM number");
            bool ok = false;
            const int n = v.toInt(&ok);
            if ((!ok || n < min_com_port || n > max_com_port) && !v.contains(QLatin1Char('/')))
                return QStringLiteral("--port takes a COM number from %1 to %2, or a device path")
                    .arg(min_com_port)
                    .arg(max_com_port);
            o.port = v;
        } else {
            return QStringLiteral("unknown argument '%1' for start").arg(args[i]);
        }
    }
    if (o.help) return {};
    if (!o.has_name) return QStringLiteral("start needs --name");
    if (!o.has_interval) return QStringLiteral("start needs --interval");
    return {};
}

// The models an option is for; empty when every model takes it.
QList<int> models_of(const QString& option)
{
    if (option == QLatin1String("--above") || option == QLatin1String("--below")) return {101, 103, 129, 131};
    if (option == QLatin1String("--seconds")) return {132};
    if (option == QLatin1String("--no-averaging") || option == QLatin1String("--counter-start")) return {130};
    return {102}; // --flow-start, --flow-per-pulse
}

// A usage error on one line, so that the reason is the last line on stderr;
// what the user typed is echoed with its control characters written out.
QString usage_line(const QString& error)
{
    return QStringLiteral("vorlanix-cli: %1 (see 'vorlanix-cli start --help')\n").arg(printable(error));
}

void print(std::FILE* f, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), f);
    std::fflush(f);
}

} // namespace

int start_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    StartOptions o;
    if (const QString error = parse(args, o); !error.isEmpty()) {
        print(err, usage_line(error));
        return exit_usage;
    }
    if (o.help) {
        print(out, QString::fromUtf8(start_help));
        return exit_ok;
    }

    Global g;
    TCommPortDriver driver;
    const auto answers = o.yes                                         ? TerminalUi::Answers::yes
                         : isatty(STDIN_FILENO) && isatty(fileno(err)) ? TerminalUi::Answers::ask
                                                                       : TerminalUi::Answers::no;
    TerminalUi ui(
        answers, isatty(fileno(err)) != 0, [&g] { g.link.abort(); }, err);
    CliHost host(ui);
    int signal_number = 0;
    InterruptNotifier interrupt([&](int signal) {
        signal_number = signal;
        ui.interrupt();
    });
    g.ui = &ui;
    QString setup_failure;
    g.program_dir = find_program_dir(&setup_failure);
    g.data_dir = find_data_dir();
    if (!g.program_dir.isEmpty()) setup_failure = load_settings(g, QLatin1String(cli_language));
    // Without its directory or settings the program knows neither the port nor the log directory.
    if (!setup_failure.isEmpty()) {
        ui.show_message(setup_failure, btn::ok);
        return exit_failed;
    }

    // What every model shares is checked before the port is even opened.
    QString refusal;
    if (!parse_mission(o.form, 0, g.lang, &refusal)) {
        print(err, usage_line(TerminalUi::one_line(refusal)));
        return exit_usage;
    }

    auto failed = [&](const QString& reason) {
        ui.show_message(ui.interrupted() ? QStringLiteral("interrupted: ") + reason : reason, btn::ok);
        return ui.interrupted() ? 128 + (signal_number > 0 ? signal_number : 2) : exit_failed;
    };
    // A value this logger cannot take is wrong usage too: nothing was sent that changes it.
    auto unusable = [&](const QString& reason) {
        print(err, usage_line(TerminalUi::one_line(reason)));
        return exit_usage;
    };
    driver.setBaudRateValue(19200);
    g.link.attach_driver(&driver);
    g.link.attach_ui(&ui);
    int com = g.settings.ComPort;
    bool number = false;
    if (const int n = o.port.toInt(&number); number)
        com = n;
    else if (!o.port.isEmpty())
        g.settings.port_devices[com] = o.port;
    const QString device = com_device(com, g.settings.port_devices);
    if (!g.link.open_comport(com, g.settings.port_devices))
        return failed(
            port_open_failure(driver.last_fault(), QStringLiteral("COM%1 (%2)").arg(com).arg(device)));

    // The logger's model decides what the mission may hold.
    g.settings.CHECKTIME = false;
    PollCycle poll(g, host);
    const auto decode = [&poll] { return poll.decode_status(); };
    if (!read_logger_status(g, param::status_poll, decode))
        return failed(QStringLiteral("no logger answers on COM%1 (%2)").arg(com).arg(device));
    const std::uint16_t type = g.ident.type_code;
    for (const QString& option : o.model_options)
        if (!models_of(option).contains(type))
            return unusable(QStringLiteral("%1: logger type %2 does not take it; nothing was sent")
                                .arg(option)
                                .arg(type));
    if (type == 55)
        o.form.name = QString::number(g.status.serial); // its record file is named by its serial number
    const auto plan = parse_mission(o.form, type, g.lang, &refusal);
    if (!plan) return unusable(refusal + QStringLiteral(" (logger type %1; nothing was sent)").arg(type));
    // The mission the logger holds now: its records not downloaded yet would be erased.
    if (type != 55) {
        if (!g.link.read_misname())
            return failed(ui.interrupted() ? QStringLiteral("nothing was sent")
                                           : QStringLiteral("the logger did not send its mission name"));
        g.status.mission_name = g.link.mission_name;
    }
    if (const int pending = records_not_downloaded(g); pending > 0 && !o.yes)
        return failed(
            QStringLiteral("the logger holds %1 record(s) of mission %2 that this computer has not "
                           "downloaded, and starting erases them: download them first "
                           "(vorlanix-cli download new), or give --yes to erase them; nothing was sent")
                .arg(pending)
                .arg(g.status.mission_name));

    QString verified;
    MissionStart flow(g, {decode, nullptr, [&verified](const QString& text) { verified = text; }});
    flow.set_existing_file(o.replace_file ? MissionStart::ExistingFile::replace
                                          : MissionStart::ExistingFile::append);
    switch (flow.run(*plan)) {
    case MissionStart::Result::started:
    case MissionStart::Result::sent_old:
        // A mission without its mark would be a first contact at the next
        // download, and its records so far never fetched: the flow said so.
        if (!flow.stored()) return exit_failed;
        print(out, QStringLiteral("mission %1 started on logger %2 (type %3): %4\n")
                       .arg(plan->name)
                       .arg(g.status.serial)
                       .arg(type)
                       .arg(verified));
        return exit_ok;
    case MissionStart::Result::declined:
        return failed(ui.unanswered()
                          ? QStringLiteral("mission not started: nobody to ask (--yes answers yes)")
                          : QStringLiteral("mission not started"));
    case MissionStart::Result::refused:
        if (ui.interrupted()) return failed(QStringLiteral("nothing was sent"));
        return exit_failed; // the flow said why
    case MissionStart::Result::failed:
        break;
    }
    return ui.interrupted() ? failed(flow.failed_step()) : exit_failed;
}

} // namespace vx::cli
