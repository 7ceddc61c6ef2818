// vorlanix-cli start; see start_command.h.
#include "cli/start_command.h"

#include "base/language.h"
#include "base/printable.h"
#include "base/program_dir.h"
#include "base/settings.h"
#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/session.h"
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
    bool yes = false, replace_file = false;
    QString port;
    QStringList model_options; // options only some models take, as given
};

// The options only some models take (see models_of).
const char* const model_only[] = {"above",         "below",      "seconds",       "no-averaging",
                                  "counter-start", "flow-start", "flow-per-pulse"};

// Reads the mission form and the options from c; errors are noted in c.
StartOptions read_options(CommandLine& c)
{
    StartOptions o;
    MissionForm& f = o.form;
    f.synchro = false;
    f.lower.reset();
    f.upper.reset();
    auto text = [&c](const char* name, QString& field) {
        if (c.is_set(QLatin1String(name))) field = c.value(QLatin1String(name));
    };
    text("name", f.name);
    text("interval", f.period);
    text("remark", f.remark);
    if (c.is_set(QStringLiteral("on-change")))
        f.gradient = f.flow_gradient = f.belsa_gradient = c.value(QStringLiteral("on-change"));
    const int most = std::numeric_limits<int>::max();
    f.upper = c.number(QStringLiteral("above"), -most, most, QStringLiteral("--above needs a whole number"));
    f.lower = c.number(QStringLiteral("below"), -most, most, QStringLiteral("--below needs a whole number"));
    if (c.is_set(QStringLiteral("delay-until"))) {
        // The logger's wall clock: date and time apart, so no time zone gap refuses it.
        const QString v = c.value(QStringLiteral("delay-until"));
        const QDate date = QDate::fromString(v.left(10), QStringLiteral("yyyy-MM-dd"));
        const QTime time = QTime::fromString(v.mid(11), QStringLiteral("HH:mm"));
        if (v.size() != 16 || v[10] != QLatin1Char('T') || !date.isValid() || !time.isValid())
            c.fail(QStringLiteral("--delay-until needs a time such as 2024-03-01T08:00"));
        f.delayed = true;
        f.start_date = date;
        f.start_time = time;
    }
    if (c.is_set(QStringLiteral("pointer"))) {
        f.pointer_shown = true;
        f.pointer = c.value(QStringLiteral("pointer"));
    }
    f.rollover = !c.is_set(QStringLiteral("no-rollover"));
    f.clear_pointer = !c.is_set(QStringLiteral("keep-records"));
    o.replace_file = c.is_set(QStringLiteral("replace-file"));
    f.synchro = c.is_set(QStringLiteral("seconds"));
    f.averaging = !c.is_set(QStringLiteral("no-averaging"));
    text("counter-start", f.belsa_total);
    text("flow-start", f.flow_state);
    text("flow-per-pulse", f.flow_constant);
    o.yes = c.is_set(QStringLiteral("yes"));
    o.port = c.port();
    for (const char* option : model_only)
        if (c.is_set(QLatin1String(option))) o.model_options << QStringLiteral("--") + QLatin1String(option);
    c.no_words();
    if (!c.is_set(QStringLiteral("name"))) c.fail(QStringLiteral("start needs --name"));
    if (!c.is_set(QStringLiteral("interval"))) c.fail(QStringLiteral("start needs --interval"));
    return o;
}

// The models an option is for; empty when every model takes it.
QList<int> models_of(const QString& option)
{
    if (option == QLatin1String("--above") || option == QLatin1String("--below")) return {101, 103, 129, 131};
    if (option == QLatin1String("--seconds")) return {132};
    if (option == QLatin1String("--no-averaging") || option == QLatin1String("--counter-start")) return {130};
    return {102}; // --flow-start, --flow-per-pulse
}

} // namespace

int start_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    const auto value = [](const char* name, const char* value, const char* needs) {
        return OptionSpec{{QLatin1String(name)}, value, QStringLiteral("--%1 needs %2").arg(name, needs)};
    };
    const auto flag = [](const char* name) { return OptionSpec{{QLatin1String(name)}}; };
    CommandLine c(QStringLiteral("start"),
                  {value("name", "NAME", "a mission name"),
                   value("interval", "MINUTES", "a number of minutes"),
                   value("remark", "TEXT", "a text"),
                   value("on-change", "DELTA", "a change such as 0.5"),
                   value("above", "X", "a whole number"),
                   value("below", "X", "a whole number"),
                   value("delay-until", "T", "a time such as 2024-03-01T08:00"),
                   value("pointer", "N", "a record position"),
                   value("counter-start", "X", "a counter reading"),
                   value("flow-start", "X", "a number"),
                   value("flow-per-pulse", "X", "a number"),
                   value("port", "N", "a COM number"),
                   {{QStringLiteral("y"), QStringLiteral("yes")}},
                   flag("no-rollover"),
                   flag("keep-records"),
                   flag("replace-file"),
                   flag("seconds"),
                   flag("no-averaging")},
                  args);
    StartOptions o = read_options(c);
    if (const auto status = c.finish(out, err, start_help)) return *status;

    Session s(o.yes, err);
    Global& g = s.g;
    TerminalUi& ui = s.ui;
    // Without its directory or settings the program knows neither the port nor the log directory.
    if (!s.setup_failure.isEmpty()) {
        ui.show_message(s.setup_failure, btn::ok);
        return exit_failed;
    }

    // What every model shares is checked before the port is even opened.
    QString refusal;
    if (!parse_mission(o.form, 0, g.lang, &refusal))
        return usage_error(err, c.command(), TerminalUi::one_line(refusal));

    auto failed = [&](const QString& reason) {
        ui.show_message(ui.interrupted() ? QStringLiteral("interrupted: ") + reason : reason, btn::ok);
        return ui.interrupted() ? s.interrupted_status() : exit_failed;
    };
    // A value this logger cannot take is wrong usage too: nothing was sent that changes it.
    auto unusable = [&](const QString& reason) {
        return usage_error(err, c.command(), TerminalUi::one_line(reason));
    };
    if (const QString why = s.open_port(o.port); !why.isEmpty()) return failed(why);

    // The logger's model decides what the mission may hold.
    g.settings.CHECKTIME = false;
    PollCycle poll(g, s.host);
    const auto decode = [&poll] { return poll.decode_status(); };
    if (!read_logger_status(g, param::status_poll, decode))
        return failed(QStringLiteral("no logger answers on %1").arg(s.port_name));
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
