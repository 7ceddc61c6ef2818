#pragma once
// Record files whose changes can be seen: after every download and every save
// by the program the SHA-256 of the record file is noted beside its source
// (records/record_source.h, by the file's name in the log directory); a
// later comparison tells whether the file is still as the program left it.
#include <QDateTime>
#include <QString>

namespace vx
{

// The SHA-256 of a file's bytes in lower-case hexadecimal; empty, with why in
// error, when it is no regular file or cannot be read.
QString file_sha256(const QString& path, QString* error = nullptr);

enum class DigestState {
    none,      // no digest is noted for the file's name
    unchanged, // the file's bytes are those the program noted
    changed,   // they are not (or the file cannot be read any more: see error)
};

struct DigestStatus {
    DigestState state = DigestState::none;
    QString action; // the action that noted the digest ("download", "record-file-save", ...)
    QDateTime time; // when, in the UTC offset it was noted in
    QString noted;  // the digest noted
    QString actual; // the file's digest now; empty when it cannot be read
    QString error;  // why the file cannot be read
};

// Compares the file at path with the digest noted for its name.
DigestStatus digest_status(const QString& path);

// One line in English: "unchanged since download at 2024-03-01T12:34:56+01:00",
// "changed since download at ...", or "no digest noted".
QString digest_text(const DigestStatus& status);

// Notes the digest of the file at path as left by action at time; the digest,
// or empty with why in error when the file cannot be read or the store written.
QString note_digest(const QString& path, const QString& action, const QDateTime& time,
                    QString* error = nullptr);

} // namespace vx
