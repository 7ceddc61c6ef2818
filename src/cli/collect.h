#pragma once
// "vorlanix-cli collect": the new records of the loggers on several ports at
// once, as "download new" fetches them from one, for unattended collection
// (a systemd timer, cron). Each port runs in a thread of its own with its
// own program state, driver and link: the download flow waits by running an
// event loop, and a flow that waits inside another's wait could not return
// before it, so one thread cannot drive two flows at a time. The threads
// share nothing but the file lock that serializes writes to the mark and
// source stores (base/store_lock.h). A port whose logger does not answer is
// tried again after a wait. One summary line per port goes to stdout, in
// the order of the ports.
#include <QString>
#include <QStringList>
#include <cstdio>

namespace vx::cli
{

// Runs "collect" with its options (args after the command name). The exit
// status: 0 every port done, 1 any port failed (the others still stored),
// 2 wrong usage, 128 + the signal on SIGINT, SIGTERM, SIGHUP or SIGPIPE
// (what was fetched stays stored).
int collect_command(const QStringList& args, std::FILE* out, std::FILE* err);

} // namespace vx::cli
