#pragma once
// vorlanix-cli audit and verify: the audit trail of the program directory
// (base/audit_trail.h) listed and its chain checked, and a record file
// compared with the digest the program noted when it last wrote it
// (records/file_digest.h).
#include <QStringList>
#include <cstdio>

namespace vx::cli
{

// "audit [--json] [--since TIME] [--verify]" with args (the words after
// "audit"): the entries as text lines or as a JSON array; --verify prints
// whether the chain holds and exits 1 naming the first entry that breaks it.
int audit_command(const QStringList& args, std::FILE* out, std::FILE* err);

// "verify FILE": exit 0 with "unchanged since <action> at <time>", 1 with
// "changed since ..." or "no digest noted" (and when FILE cannot be read).
int verify_command(const QStringList& args, std::FILE* out, std::FILE* err);

} // namespace vx::cli
