#include "records/record_source.h"

#include "base/safe_file.h"
#include "base/settings_store.h"
#include "records/marks.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>
#include <algorithm>

namespace vx
{

namespace
{

// Why the store's file cannot be read as a store: the system's reason when
// it cannot be opened or read, or that it holds no text (bytes that are no
// UTF-8, or nulls); empty when it can, or is not there.
QString store_fault(const QString& path, QSettings::Status status)
{
    const QString prefix = QStringLiteral("cannot read the record source store %1: ").arg(path);
    if (!QFileInfo::exists(path)) return {};
    QFile f;
    if (const QString why = open_regular_file(f, path, QIODevice::ReadOnly, Links::follow); !why.isEmpty())
        return prefix + why;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) return prefix + f.errorString();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (status != QSettings::NoError || utf8.hasError() || text.contains(QChar(0)))
        return prefix + QStringLiteral("it is not a settings file");
    return {};
}

// A noted number within 0..65535; nullopt for anything else.
std::optional<std::uint16_t> noted_number(const QVariant& value)
{
    bool ok = false;
    const qulonglong n = value.toString().trimmed().toULongLong(&ok);
    if (!ok || n > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(n);
}

} // namespace

std::optional<RecordSource> RecordSourceStore::read(const QString& file_name, QString* error) const
{
    if (error) error->clear();
    QSettings s(QStringLiteral("VORLANIX"), QStringLiteral("Sources"));
    if (const QString fault = store_fault(s.fileName(), s.status()); !fault.isEmpty()) {
        if (error) *error = fault;
        return std::nullopt;
    }
    s.beginGroup(MarkStore::key_for(file_name));
    const QVariant serial = s.value(QStringLiteral("serial")), model = s.value(QStringLiteral("model"));
    if (!serial.isValid() || !model.isValid()) return std::nullopt;
    const auto serial_number = noted_number(serial), type_code = noted_number(model);
    if (!serial_number || !type_code) {
        if (error)
            *error =
                QStringLiteral("the record source store %1 notes %2 %3 for %4, which is no %2 (0..65535)")
                    .arg(s.fileName(),
                         serial_number ? QStringLiteral("model") : QStringLiteral("serial number"),
                         (serial_number ? model : serial).toString(), file_name);
        return std::nullopt;
    }
    RecordSource r;
    r.serial = *serial_number;
    r.type_code = *type_code;
    r.mission = s.value(QStringLiteral("mission")).toString();
    r.downloaded = QDateTime::fromString(s.value(QStringLiteral("downloaded")).toString(), Qt::ISODate);
    return r;
}

bool RecordSourceStore::write(const QString& file_name, const RecordSource& source)
{
    return change_settings_store(location(),
                                 [&](QSettings& s) {
                                     s.beginGroup(MarkStore::key_for(file_name));
                                     s.setValue(QStringLiteral("serial"), source.serial);
                                     s.setValue(QStringLiteral("model"), source.type_code);
                                     s.setValue(QStringLiteral("mission"), source.mission);
                                     s.setValue(QStringLiteral("downloaded"),
                                                source.downloaded.toUTC().toString(Qt::ISODate));
                                     s.endGroup();
                                 })
        .isEmpty();
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
    return change_settings_store(
               location(),
               [&](QSettings& s) {
                   s.beginGroup(MarkStore::key_for(file_name));
                   QStringList notes =
                       restart ? QStringList() : s.value(QStringLiteral("clock")).toStringList();
                   notes.append(note.since.toOffsetFromUtc(note.offset).toString(Qt::ISODate));
                   s.setValue(QStringLiteral("clock"), notes);
                   s.endGroup();
               })
        .isEmpty();
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
    return change_settings_store(
               location(),
               [&](QSettings& s) {
                   s.beginGroup(MarkStore::key_for(file_name));
                   s.setValue(QStringLiteral("digest"), note.sha256);
                   s.setValue(QStringLiteral("digest_action"), note.action);
                   s.setValue(QStringLiteral("digest_time"),
                              note.time.toOffsetFromUtc(note.time.offsetFromUtc()).toString(Qt::ISODate));
                   s.endGroup();
               })
        .isEmpty();
}

QString RecordSourceStore::location()
{
    return QSettings(QStringLiteral("VORLANIX"), QStringLiteral("Sources")).fileName();
}

} // namespace vx
