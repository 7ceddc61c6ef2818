// One command's conversation with one logger (see session.h).
#include "cli/session.h"

#include "base/printable.h"
#include "base/safe_file.h"
#include "cli/commands.h"
#include "link/frame.h"
#include "link/serial_devices.h"
#include "logger/live.h"
#include "logger/poll.h"
#include "logger/record_handoff.h"
#include "programming/logger_readback.h"
#include "records/marks.h"

#include <QFileInfo>
#include <unistd.h>

namespace vx::cli
{

namespace
{

// A status request gets at most one poll tick to be answered.
constexpr int status_reply_ms = 700;

TerminalUi::Answers answers_of(bool yes, bool attended, std::FILE* err)
{
    if (yes) return TerminalUi::Answers::yes;
    return attended && isatty(STDIN_FILENO) && isatty(fileno(err)) ? TerminalUi::Answers::ask
                                                                   : TerminalUi::Answers::no;
}

} // namespace

void print(std::FILE* f, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), f);
    std::fflush(f);
}

void print_line(std::FILE* f, const QString& text)
{
    print(f, printable(text) + QLatin1Char('\n'));
}

Session::Session(bool yes, std::FILE* err, bool attended)
    : ui(
          answers_of(yes, attended, err), attended && isatty(fileno(err)) != 0, [this] { g.link.abort(); },
          err),
      host(ui)
{
    if (attended)
        interrupt = std::make_unique<InterruptNotifier>([this](int) { ui.interrupt(); });
    g.ui = &ui;
    g.program_dir = find_program_dir(&setup_failure);
    g.data_dir = find_data_dir();
    if (!g.program_dir.isEmpty()) setup_failure = load_settings(g, QLatin1String(cli_language));
    driver.setBaudRateValue(19200);
    g.link.attach_driver(&driver);
    g.link.attach_ui(&ui);
}

QString Session::open_port(const QString& port)
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

QString Session::identify(bool with_name)
{
    PollCycle poll(g, host);
    const auto decode = [&] {
        if (!poll.decode_status()) return false;
        // The logger read its clock as it answered, just now; whole seconds on both sides.
        const QDateTime now = g.now();
        computer_time = now.addMSecs(-now.time().msec());
        return true;
    };
    recognised = read_logger_status(g, param::status_poll, decode, status_reply_ms).has_value();
    g.link.rx_buffer.clear();
    if (ui.interrupted()) return QStringLiteral("interrupted");
    if (!recognised) return QStringLiteral("no logger answers on %1").arg(port_name);
    if (g.ident.type_code == 55) {
        // The old-format logger's reading comes with its calibration answer, asked for
        // where the poll asks for a mission name.
        g.link.send_command(cmd::old_calib, param::old_calib);
        g.link.wait_for([this] { return decode_old_calibration(view(g.link.rx_buffer), 0).has_value(); },
                        status_reply_ms);
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

int Session::interrupted_status() const
{
    const int signal = InterruptNotifier::first_signal();
    return 128 + (signal > 0 ? signal : 2);
}

int failed(Session& s, const QString& reason)
{
    if (s.ui.interrupted()) {
        s.ui.show_message(QStringLiteral("interrupted"), btn::ok);
        return s.interrupted_status();
    }
    s.ui.show_message(reason, btn::ok);
    return exit_failed;
}

DownloadEnding download_ending(Session& s, const Download& download, DownloadOutcome outcome, bool last)
{
    using K = DownloadEnding::Kind;
    const Global& g = s.g;
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
    const bool marked = !last && !old_format;
    const int mark = MarkStore().read_mark(mission);
    auto fail = [&](const QString& text) { return DownloadEnding{K::failed, text, records}; };

    using D = DownloadOutcome;
    switch (outcome) {
    case D::done:
        return {K::ok, stored + (marked ? QStringLiteral("; download mark %1").arg(mark) : QString()),
                records};
    case D::nothing_new:
        return {K::ok, QStringLiteral("no new records of %1").arg(logger), 0};
    case D::first_contact:
        return {K::ok,
                QStringLiteral("mission %1 met for the first time: download mark set to %2; later downloads "
                               "fetch the records written from now on")
                    .arg(mission)
                    .arg(mark),
                0};
    case D::mark_failed:
        return fail(download.problem() + (records > 0 ? QStringLiteral("; ") + stored : QString()));
    case D::sort_failed:
        return fail(download.problem());
    case D::cancelled:
        return {K::interrupted,
                QStringLiteral("interrupted: ") + stored +
                    (marked ? QStringLiteral("; download mark %1").arg(mark) : QString()),
                records};
    case D::not_registered:
        return fail(QStringLiteral("mission %1 is met for the first time and its download mark was not "
                                   "stored (--yes answers the question)")
                        .arg(mission));
    case D::no_logger:
        return fail(QStringLiteral("no logger attached"));
    case D::broken_pointer:
        return fail(QStringLiteral("the logger's record pointer is broken; start a new mission"));
    case D::no_name:
        return fail(QStringLiteral("the logger did not send its mission name"));
    case D::no_count:
        return fail(QStringLiteral("no number of records to fetch"));
    case D::too_many:
        return fail(QStringLiteral("the logger holds at most %1 records")
                        .arg(old_format ? Download::old_pointer_limit : g.ident.ring_size));
    case D::failed:
        return fail(
            QStringLiteral("the logger stopped answering; ") + stored +
            (marked ? QStringLiteral("; the next download continues from mark %1").arg(mark) : QString()));
    case D::write_failed:
        if (const QString link = link_refusal(file); !link.isEmpty())
            return fail(QStringLiteral("cannot write the record file %1: %2, %3")
                            .arg(file, link,
                                 QFileInfo(file).isSymLink() ? QStringLiteral("not followed")
                                                             : QStringLiteral("not written through")));
        return fail(QStringLiteral("cannot write the record file %1").arg(file));
    case D::busy:
        break;
    }
    return fail(QStringLiteral("a download is already running"));
}

} // namespace vx::cli
