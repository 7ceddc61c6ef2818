// The program state of a command that talks to a logger; see session.h.
#include "cli/session.h"

#include "base/program_dir.h"
#include "base/settings.h"
#include "cli/commands.h"
#include "link/frame.h"
#include "link/serial_devices.h"
#include "logger/live.h"
#include "logger/poll.h"
#include "programming/logger_readback.h"

#include <unistd.h>

namespace vx::cli
{

namespace
{

// A status request gets at most one poll tick to be answered.
constexpr int status_reply_ms = 700;

TerminalUi::Answers answers(bool yes, std::FILE* err)
{
    if (yes) return TerminalUi::Answers::yes;
    return isatty(STDIN_FILENO) && isatty(fileno(err)) ? TerminalUi::Answers::ask : TerminalUi::Answers::no;
}

} // namespace

Session::Session(bool yes, std::FILE* err)
    : ui(
          answers(yes, err), isatty(fileno(err)) != 0, [this] { g.link.abort(); }, err),
      host(ui), interrupt([this](int) { ui.interrupt(); })
{
    g.ui = &ui;
    g.program_dir = find_program_dir(&setup_failure);
    g.data_dir = find_data_dir();
    if (!g.program_dir.isEmpty()) setup_failure = load_settings(g, QLatin1String(cli_language));
    driver.setBaudRateValue(19200);
    g.link.attach_driver(&driver);
    g.link.attach_ui(&ui);
}

Session::~Session()
{
    g.link.close_comport();
}

QString Session::open_port(const QString& port)
{
    // Without its directory or settings the program does not know the user's port.
    if (!setup_failure.isEmpty()) return setup_failure;
    int com = g.settings.ComPort;
    QMap<int, QString>& devices = g.settings.port_devices;
    bool number = false;
    const int n = port.toInt(&number);
    if (number)
        com = n;
    else if (!port.isEmpty())
        devices[com] = port;
    port_name = QStringLiteral("COM%1 (%2)").arg(com).arg(com_device(com, devices));
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

} // namespace vx::cli
