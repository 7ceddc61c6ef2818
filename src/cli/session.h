#pragma once
// One command's conversation with one logger: the program state wired as
// the main window wires its own (the settings file, the driver, the link, a
// terminal as the user-interface port), the opening of the port, the
// identification of the logger, and what a download of new records ended
// with, as the command line says it.
#include "cli/cli_host.h"
#include "cli/interrupt.h"
#include "cli/terminal_ui.h"
#include "link/serial_port.h"
#include "logger/download.h"
#include "logger/program_state.h"

#include <QDateTime>
#include <QString>
#include <cstdio>
#include <memory>

namespace vx::cli
{

// Writes text to f and flushes it.
void print(std::FILE* f, const QString& text);
// One line of text output; names in it come from the logger or its files.
void print_line(std::FILE* f, const QString& text);

class Session
{
public:
    // yes answers every question Yes. Attended: questions go to the user on
    // a terminal, the progress bar is drawn there, and SIGINT and SIGTERM
    // cancel. Unattended (one of several ports served at once): nobody is
    // asked, no bar is drawn, and the caller cancels through ui.interrupt().
    // Every signal that ends the command (interrupt.h) cancels the running
    // exchange; the port is closed (its exclusive use given up) at the end.
    Session(bool yes, std::FILE* err, bool attended = true);
    ~Session() { g.link.close_comport(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opens the port of port (a COM number or a device path; empty: the
    // settings' ComPort); the reason it did not open, or empty.
    QString open_port(const QString& port);

    // Identifies the logger (logger_readback.h: status requests until one is
    // recognised, each answered as soon as its reply is complete; the same
    // decode as the poll of the main window), then, with with_name, the
    // mission name. The reason it failed, or empty.
    QString identify(bool with_name);

    // The exit status of a command that a signal ended: 128 + its number.
    int interrupted_status() const;

    Global g;
    TCommPortDriver driver;
    TerminalUi ui;
    CliHost host;
    std::unique_ptr<InterruptNotifier> interrupt;
    QString port_name;
    QString setup_failure; // why the program directory or its settings cannot be used
    QDateTime computer_time;
    bool recognised = false; // a status reply was recognised
    bool name_read = false;
};

// Says reason (or "interrupted") as the last message; the exit status.
int failed(Session& s, const QString& reason);

// How a download flow ended, as the command line says it.
struct DownloadEnding {
    enum class Kind { ok, failed, interrupted } kind = Kind::ok;
    QString text;    // the line to print (the reason, for a failure)
    int records = 0; // stored by this download
};
// The ending of a download of new records (or with last, of the newest N)
// that ended with outcome.
DownloadEnding download_ending(Session& s, const Download& download, DownloadOutcome outcome, bool last);

} // namespace vx::cli
