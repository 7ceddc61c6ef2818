#include "link/serial_devices.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace vx
{

namespace
{

// Entries of dir whose names start with prefix followed by digits, in numeric order.
QList<SerialDevice> numbered(const QDir& dir, const QString& prefix)
{
    QList<std::pair<int, QString>> found;
    for (const QFileInfo& fi : dir.entryInfoList({prefix + QLatin1Char('*')}, QDir::System | QDir::Files)) {
        bool ok = false;
        const int n = fi.fileName().mid(prefix.size()).toInt(&ok);
        if (ok && n >= 0) found.append({n, fi.absoluteFilePath()});
    }
    std::sort(found.begin(), found.end());
    QList<SerialDevice> out;
    for (const auto& f : found)
        out.append({f.second, {}});
    return out;
}

} // namespace

QList<SerialDevice> list_serial_devices(const QString& dev_root)
{
    const QDir root(dev_root);
    QList<SerialDevice> out;
    const QDir by_id(root.filePath(QStringLiteral("serial/by-id")));
    QStringList names = by_id.entryList(QDir::System | QDir::Files);
    QCollator order;
    order.setNumericMode(true);
    std::sort(names.begin(), names.end(), order);
    for (const QString& name : names) {
        const QFileInfo link(by_id.filePath(name));
        // A link to a device that is gone (the adapter was pulled) names nothing.
        if (!link.exists()) continue;
        out.append({link.absoluteFilePath(), link.isSymLink() ? link.canonicalFilePath() : QString()});
    }
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"})
        out += numbered(root, QString::fromLatin1(prefix));
    return out;
}

QString com_device(int com, const QMap<int, QString>& devices)
{
    return devices.value(com, QStringLiteral("/dev/ttyS%1").arg(com - 1));
}

} // namespace vx
