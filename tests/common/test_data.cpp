#include "common/test_data.h"

#include "base/code_page.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace vxtest
{

QByteArray test_data(const QString& name)
{
    QFile f(QStringLiteral(VORLANIX_TEST_DATA "/") + name);
    if (!f.open(QIODevice::ReadOnly)) ADD_FAILURE() << "missing test data " << name.toStdString();
    return f.readAll();
}

std::map<int, RingRecord> parse_ring(const QStringList& dump)
{
    std::map<int, RingRecord> ring;
    for (const QString& line : dump) {
        const QStringList f = line.split('\t');
        if (f.size() < 3) continue;
        RingRecord r;
        r.time = QDateTime::fromString(f[1], QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        for (int i = 2; i < f.size(); ++i)
            r.raw.push_back(f[i].toLong());
        ring[f[0].toInt()] = r;
    }
    return ring;
}

QString comma_fixed(double value, int width, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::copysign(std::floor(std::fabs(value) * scale + 0.5), value) / scale;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, rounded);
    return QString::fromLatin1(buf).replace('.', ',');
}

QString file_stamp(const QDateTime& t)
{
    const QDate d = t.date();
    QString s = QStringLiteral("%1.%2.%3").arg(d.day()).arg(d.month()).arg(d.year());
    if (t.time() != QTime(0, 0)) s += t.time().toString(QStringLiteral(" hh:mm"));
    return s;
}

QStringList file_lines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines = vx::from_cp1250(f.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

} // namespace vxtest
