#pragma once
// A record file's digest as people read it: the SHA-256 of the file and
// whether it is still as the program left it (records/file_digest.h), in the
// user's language, for the database browser, the HTML report and the
// printout.
#include "records/file_digest.h"

#include <QStringList>

namespace vx
{

class Language;

// "unchanged since the download of 1.6.2024 12:00:00 (UTC+02:00)", "changed
// after the save of ...", or "no digest noted", as the state of status is.
QString digest_state_text(const Language& lang, const DigestStatus& status);

// The lines a report or printout carries for the record file at path: its
// SHA-256 now (or that it cannot be read) and digest_state_text. Empty for
// no path (a viewer that shows no file).
QStringList digest_lines(const Language& lang, const QString& path);

} // namespace vx
