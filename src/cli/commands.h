#pragma once
// vorlanix-cli: the desktop program's logger flows and record files from the
// command line, for unattended downloads and scripts. Commands: status,
// download, set-clock, start, export, monitor, summary, audit, verify (see
// the help texts in help_texts.cpp).
//
// It reads the same settings file, log directory and download marks as the
// desktop program and drives the same flows (status decoding, Download,
// SetClock) through a user-interface port of its own. It speaks English,
// whatever language the settings choose for the window: its own texts and
// the flows' (the language section below), and so the model and value names
// of its reports do not change with the window's language.
#include "link/serial_port.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>

namespace vx::cli
{

// Exit statuses.
inline constexpr int exit_ok = 0;
inline constexpr int exit_failed = 1; // the last line on stderr says why
inline constexpr int exit_usage = 2;
inline constexpr int exit_interrupted = 130; // 128 + SIGINT (SIGTERM too)

// The language section of every text the command line shows.
inline constexpr const char* cli_language = "ENGLISH";

// Runs one command line (args without the program name), printing results
// to out and messages, questions and the progress bar to err. Returns the
// exit status. Needs a QCoreApplication.
int run(const QStringList& args, std::FILE* out = stdout, std::FILE* err = stderr);

// A time given to --from or --to: "2024-03-01", "2024-03-01T10:15[:30]",
// "2024-03-01 10:15[:30]" or the record file's "1.3.2024 10:15". A date
// alone is its first second, or with end_of_day its last. nullopt when the
// text is none of these.
std::optional<QDateTime> parse_cli_time(const QString& text, bool end_of_day);

// Why port_name ("COM7 (/dev/ttyUSB0)") did not open, with what to do about
// it, for every fault the driver reports.
QString port_open_failure(TCommPortDriver::OpenFault fault, const QString& port_name);

} // namespace vx::cli
