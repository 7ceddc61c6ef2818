// Digests of record files and their comparison with the noted ones.
#include "records/file_digest.h"

#include "base/safe_file.h"
#include "records/record_source.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace vx
{

QString file_sha256(const QString& path, QString* error)
{
    QFile f;
    // A device or a pipe is no record file and may never end.
    QString why = open_regular_file(f, path, QIODevice::ReadOnly, Links::follow);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (why.isEmpty() && !hash.addData(&f)) why = f.errorString();
    if (!why.isEmpty()) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, why);
        return {};
    }
    return QString::fromLatin1(hash.result().toHex());
}

DigestStatus digest_status(const QString& path)
{
    DigestStatus s;
    s.actual = file_sha256(path, &s.error);
    const auto note = RecordSourceStore().digest(QFileInfo(path).fileName());
    if (!note) return s;
    s.action = note->action;
    s.time = note->time;
    s.noted = note->sha256;
    s.state = !s.actual.isEmpty() && s.actual == s.noted ? DigestState::unchanged : DigestState::changed;
    return s;
}

QString digest_text(const DigestStatus& status)
{
    if (status.state == DigestState::none) return QStringLiteral("no digest noted");
    return QStringLiteral("%1 since %2 at %3")
        .arg(status.state == DigestState::unchanged ? QStringLiteral("unchanged") : QStringLiteral("changed"),
             status.action, status.time.toString(Qt::ISODate));
}

QString note_digest(const QString& path, const QString& action, const QDateTime& time, QString* error)
{
    const QString sha = file_sha256(path, error);
    if (sha.isEmpty()) return {};
    if (RecordSourceStore().write_digest(QFileInfo(path).fileName(), {sha, action, time})) return sha;
    if (error) *error = QStringLiteral("Unable to write to ") + RecordSourceStore::location();
    return {};
}

} // namespace vx
