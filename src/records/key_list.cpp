#include "records/key_list.h"

#include "base/code_page.h"

#include <QFile>

namespace vx
{

KeyList::Result KeyList::lookup(int key, QString* name) const
{
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly)) return no_file;
    const QList<QByteArray> lines = f.readAll().split('\n');
    bool in_section = false;
    for (QByteArray line : lines) {
        if (line.endsWith('\r')) line.chop(1);
        if (!in_section) {
            in_section = line.contains("[IDKEY]");
            continue;
        }
        const int comma = line.indexOf(',');
        if (comma < 0) continue;
        bool ok = false;
        const int n = line.left(comma).trimmed().toInt(&ok);
        if (ok && n == key) {
            if (name) *name = from_cp1250(line.mid(comma + 1));
            return found;
        }
    }
    return in_section ? not_listed : no_section;
}

bool KeyList::append(int key, const QString& name) const
{
    QByteArray existing;
    {
        QFile f(path_);
        if (f.exists() && f.open(QIODevice::ReadOnly)) existing = f.readAll();
    }
    QByteArray out;
    if (!existing.contains("[IDKEY]")) {
        // A list without its header line would never be found again.
        if (!existing.isEmpty() && !existing.endsWith('\n')) out += "\r\n";
        out += "[IDKEY]\r\n";
    } else if (!existing.isEmpty() && !existing.endsWith('\n')) {
        out += "\r\n";
    }
    const auto encoded = to_cp1250(name);
    if (!encoded) return false;
    out += QByteArray::number(key) + ',' + *encoded + "\r\n";
    QFile f(path_);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    return f.write(out) == out.size();
}

} // namespace vx
