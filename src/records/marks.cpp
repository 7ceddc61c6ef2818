#include "records/marks.h"

#include "base/settings_store.h"

#include <QSettings>

namespace vx
{

QString MarkStore::key_for(const QString& mission_name)
{
    if (mission_name.isEmpty()) return QStringLiteral("%20");
    QString key;
    key.reserve(mission_name.size());
    for (const QChar ch : mission_name) {
        if (ch == QLatin1Char('%'))
            key += QStringLiteral("%25");
        else if (ch == QLatin1Char('/'))
            key += QStringLiteral("%2F");
        else if (ch == QLatin1Char('\\'))
            key += QStringLiteral("%5C");
        else if (ch.unicode() >= 0x80 && ch.unicode() < 0xA0)
            key += QLatin1Char('%') + QString::number(ch.unicode(), 16).toUpper();
        else
            key += ch;
    }
    return key;
}

int MarkStore::read_mark(const QString& mission_name) const
{
    const QSettings s(QStringLiteral("VORLANIX"), QStringLiteral("VORLANIX"));
    bool ok = false;
    const int mark = s.value(key_for(mission_name)).toInt(&ok);
    return ok ? mark : -1;
}

bool MarkStore::write_mark(const QString& mission_name, int mark, QString* error)
{
    const QString why =
        change_settings_store(QSettings(QStringLiteral("VORLANIX"), QStringLiteral("VORLANIX")).fileName(),
                              [&](QSettings& s) { s.setValue(key_for(mission_name), mark); });
    if (why.isEmpty()) return true;
    if (error) *error = why;
    return false;
}

bool MarkStore::remove_mark(const QString& mission_name, QString* error)
{
    const QString why =
        change_settings_store(QSettings(QStringLiteral("VORLANIX"), QStringLiteral("VORLANIX")).fileName(),
                              [&](QSettings& s) { s.remove(key_for(mission_name)); });
    if (error) *error = why;
    return why.isEmpty();
}

} // namespace vx
