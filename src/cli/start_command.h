#pragma once
// vorlanix-cli start: a mission start from the command line, for rolling one
// mission out to many loggers from a script. Its options follow the
// controls of the desktop program's mission start dialog; the mission runs
// through the same checks, flow and read-back (programming/mission_start.h).
#include <QStringList>
#include <cstdio>

namespace vx::cli
{

// Runs "start" with args (the words after "start"). Exit statuses as in
// commands.h: 0 only when the logger took the whole mission and reads it
// back as sent.
int start_command(const QStringList& args, std::FILE* out, std::FILE* err);

} // namespace vx::cli
