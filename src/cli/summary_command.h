#pragma once
// vorlanix-cli summary: the figures of a record file that the desktop
// program's statistics, report and printout show (records/record_summary.h),
// as English text or as JSON for other programs.
#include <QStringList>
#include <cstdio>

namespace vx::cli
{

// Runs "summary" with args (the words after "summary"). Exit statuses as in
// commands.h.
int summary_command(const QStringList& args, std::FILE* out, std::FILE* err);

} // namespace vx::cli
