#include "records/marks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

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

namespace
{

// The store says only that it could not write; opening its file, or a file
// of our own beside it, finds out why.
QString store_failure(const QString& store_file)
{
    QFile file(store_file);
    if (file.exists() && !file.open(QIODevice::ReadWrite | QIODevice::Append))
        return QStringLiteral("%1: %2").arg(store_file, file.errorString());
    const QString dir = QFileInfo(store_file).absolutePath();
    if (!QDir().mkpath(dir)) return QStringLiteral("%1: cannot create the folder %2").arg(store_file, dir);
    QTemporaryFile probe(dir + QStringLiteral("/.probe"));
    if (!probe.open() || probe.write(QByteArray(4096, '\n')) < 0 || !probe.flush())
        return QStringLiteral("%1: %2").arg(store_file, probe.errorString());
    return QStringLiteral("%1: it cannot be written").arg(store_file);
}

} // namespace

bool MarkStore::write_mark(const QString& mission_name, int mark, QString* error)
{
    QSettings s(QStringLiteral("VORLANIX"), QStringLiteral("VORLANIX"));
    s.setValue(key_for(mission_name), mark);
    s.sync();
    if (s.status() == QSettings::NoError) return true;
    if (error) *error = store_failure(s.fileName());
    return false;
}

void MarkStore::remove_mark(const QString& mission_name)
{
    QSettings s(QStringLiteral("VORLANIX"), QStringLiteral("VORLANIX"));
    s.remove(key_for(mission_name));
}

} // namespace vx
