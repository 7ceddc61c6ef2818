#include "records/record_source.h"

#include "records/marks.h"

#include <QSettings>
#include <algorithm>

namespace vx
{

std::optional<RecordSource> RecordSourceStore::read(const QString& file_name) const
{
    QSettings s(QStringLiteral("VORLANIX"), QStringLiteral("Sources"));
    s.beginGroup(MarkStore::key_for(file_name));
    bool serial_ok = false, type_ok = false;
    RecordSource r;
    r.serial = static_cast<std::uint16_t>(s.value(QStringLiteral("serial")).toUInt(&serial_ok));
    r.type_code = static_cast<std::uint16_t>(s.value(QStringLiteral("model")).toUInt(&type_ok));
    if (!serial_ok || !type_ok) return std::nullopt;
    r.mission = s.value(QStringLiteral("mission")).toString();
    r.downloaded = QDateTime::fromString(s.value(QStringLiteral("downloaded")).toString(), Qt::ISODate);
    return r;
}

bool RecordSourceStore::write(const QString& file_name, const RecordSource& source)
{
    QSettings s(QStringLiteral("VORLANIX"), QStringLiteral("Sources"));
    s.beginGroup(MarkStore::key_for(file_name));
    s.setValue(QStringLiteral("serial"), source.serial);
    s.setValue(QStringLiteral("model"), source.type_code);
    s.setValue(QStringLiteral("mission"), source.mission);
    s.setValue(QStringLiteral("downloaded"), source.downloaded.toUTC().toString(Qt::ISODate));
    s.endGroup();
    s.sync();
    return s.status() == QSettings::NoError;
}

// Each note is kept as the moment in ISO 8601 with the offset the logger got.
QList<ClockNote> RecordSourceStore::clock_notes(const QString& file_name) const
{
    QSettings s(QStringLiteral("VORLANIX"), QStringLiteral("Sources"));
    s.beginGroup(MarkStore::key_for(file_name));
    QList<ClockNote> notes;
    for (const QString& text : s.value(QStringLiteral("clock")).toStringList()) {
        const QDateTime t = QDateTime::fromString(text, Qt::ISODate);
        if (t.isValid()) notes.append({t.toUTC(), t.offsetFromUtc()});
    }
    std::stable_sort(notes.begin(), notes.end(),
                     [](const ClockNote& a, const ClockNote& b) { return a.since < b.since; });
    return notes;
}

bool RecordSourceStore::add_clock_note(const QString& file_name, const ClockNote& note, bool restart)
{
    QSettings s(QStringLiteral("VORLANIX"), QStringLiteral("Sources"));
    s.beginGroup(MarkStore::key_for(file_name));
    QStringList notes = restart ? QStringList() : s.value(QStringLiteral("clock")).toStringList();
    notes.append(note.since.toOffsetFromUtc(note.offset).toString(Qt::ISODate));
    s.setValue(QStringLiteral("clock"), notes);
    s.endGroup();
    s.sync();
    return s.status() == QSettings::NoError;
}

std::optional<DigestNote> RecordSourceStore::digest(const QString& file_name) const
{
    QSettings s(QStringLiteral("VORLANIX"), QStringLiteral("Sources"));
    s.beginGroup(MarkStore::key_for(file_name));
    const QString sha = s.value(QStringLiteral("digest")).toString();
    if (sha.isEmpty()) return std::nullopt;
    return DigestNote{sha, s.value(QStringLiteral("digest_action")).toString(),
                      QDateTime::fromString(s.value(QStringLiteral("digest_time")).toString(), Qt::ISODate)};
}

bool RecordSourceStore::write_digest(const QString& file_name, const DigestNote& note)
{
    QSettings s(QStringLiteral("VORLANIX"), QStringLiteral("Sources"));
    s.beginGroup(MarkStore::key_for(file_name));
    s.setValue(QStringLiteral("digest"), note.sha256);
    s.setValue(QStringLiteral("digest_action"), note.action);
    s.setValue(QStringLiteral("digest_time"),
               note.time.toOffsetFromUtc(note.time.offsetFromUtc()).toString(Qt::ISODate));
    s.endGroup();
    s.sync();
    return s.status() == QSettings::NoError;
}

QString RecordSourceStore::location()
{
    return QSettings(QStringLiteral("VORLANIX"), QStringLiteral("Sources")).fileName();
}

} // namespace vx
