#include "records/record_source.h"

#include "records/marks.h"

#include <QSettings>

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

QString RecordSourceStore::location()
{
    return QSettings(QStringLiteral("VORLANIX"), QStringLiteral("Sources")).fileName();
}

} // namespace vx
