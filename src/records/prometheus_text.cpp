#include "records/prometheus_text.h"

#include <QLocale>

namespace vx
{

namespace
{

QString escaped(const QString& text, bool quotes)
{
    QString out;
    out.reserve(text.size());
    for (QChar ch : text) {
        if (ch == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (ch == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (quotes && ch == QLatin1Char('"'))
            out += QStringLiteral("\\\"");
        else
            out += ch;
    }
    return out;
}

} // namespace

QString prometheus_text(const QList<PrometheusMetric>& metrics)
{
    QString out;
    for (const PrometheusMetric& m : metrics) {
        if (m.samples.isEmpty()) continue;
        out += QStringLiteral("# HELP %1 %2\n# TYPE %1 %3\n").arg(m.name, escaped(m.help, false), m.type);
        for (const PrometheusSample& s : m.samples) {
            out += m.name;
            if (!s.labels.isEmpty()) {
                QLatin1Char separator('{');
                for (const auto& [name, value] : s.labels) {
                    out += separator + name + QStringLiteral("=\"") + escaped(value, true) + QLatin1Char('"');
                    separator = QLatin1Char(',');
                }
                out += QLatin1Char('}');
            }
            out += QLatin1Char(' ') + QString::number(s.value, 'g', QLocale::FloatingPointShortest) +
                   QLatin1Char('\n');
        }
    }
    return out;
}

} // namespace vx
