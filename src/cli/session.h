#pragma once
// The program state of one command that talks to a logger, wired as the
// main window wires its own: the settings file, the driver, the link, and
// the terminal as the user-interface port. Every signal that ends the
// command (interrupt.h) cancels the running exchange; the port is closed
// (its exclusive use given up) when the session ends.
#include "cli/cli_host.h"
#include "cli/interrupt.h"
#include "cli/terminal_ui.h"
#include "link/serial_port.h"
#include "logger/program_state.h"

#include <QDateTime>
#include <QString>
#include <cstdio>

namespace vx::cli
{

class Session
{
public:
    // yes: --yes answers every question; err: messages, questions, the bar.
    Session(bool yes, std::FILE* err);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opens the port of --port (else the settings' ComPort); the reason it
    // did not open, or empty.
    QString open_port(const QString& port);

    // Identifies the logger (logger_readback.h: status requests until one is
    // recognised, each answered as soon as its reply is complete), then,
    // with with_name, the mission name. The reason it failed, or empty.
    QString identify(bool with_name);

    // The exit status of a command that a signal ended: 128 + its number.
    int interrupted_status() const;

    Global g;
    TCommPortDriver driver;
    TerminalUi ui;
    CliHost host;
    InterruptNotifier interrupt;
    QString port_name;
    QString setup_failure;   // why the program directory or its settings cannot be used
    QDateTime computer_time; // whole seconds, when the recognised status reply came
    bool recognised = false; // a status reply was recognised
    bool name_read = false;
};

// Says why a command failed (or that a signal ended it) as its last line on
// stderr; returns the exit status.
int failed(Session& s, const QString& reason);

} // namespace vx::cli
