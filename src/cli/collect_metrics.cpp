// The metrics file of "vorlanix-cli collect" (see collect_metrics.h).
#include "cli/collect_metrics.h"

#include "base/safe_file.h"
#include "records/prometheus_text.h"

#include <QRegularExpression>

namespace vx::cli
{

namespace
{

const QString last_name = QStringLiteral("vorlanix_last_collection_timestamp_seconds");

} // namespace

QString collect_metrics_text(const QList<PortMetrics>& ports)
{
    auto metric = [](const QString& name, const char* help) {
        return PrometheusMetric{name, QString::fromUtf8(help), QStringLiteral("gauge"), {}};
    };
    PrometheusMetric up = metric(QStringLiteral("vorlanix_up"),
                                 "1 when the logger on the port answered the collection, else 0.");
    PrometheusMetric last =
        metric(last_name, "Unix time of the last collection from the port that succeeded.");
    PrometheusMetric records = metric(QStringLiteral("vorlanix_records_collected"),
                                      "Records the last collection from the port stored.");
    PrometheusMetric retries = metric(QStringLiteral("vorlanix_collect_retries"),
                                      "Tries of the last collection from the port after the first.");
    PrometheusMetric full =
        metric(QStringLiteral("vorlanix_collect_ring_full_seconds"),
               "Seconds until the logger's ring is full of records not downloaded yet and "
               "the next one overwrites the oldest of them (without rollover: until its "
               "memory is full and it stops).");
    PrometheusMetric info =
        metric(QStringLiteral("vorlanix_logger_info"), "The logger that answered on the port: 1.");
    for (const PortMetrics& p : ports) {
        const PrometheusLabels labels = {{QStringLiteral("port"), p.port},
                                         {QStringLiteral("device"), p.device}};
        up.samples.append({labels, p.up ? 1.0 : 0.0});
        if (p.last_collection) last.samples.append({labels, double(*p.last_collection)});
        records.samples.append({labels, double(p.records)});
        retries.samples.append({labels, double(p.retries)});
        if (p.forecast) full.samples.append({labels, double(p.forecast->seconds)});
        if (p.serial && p.model)
            info.samples.append(
                {labels + PrometheusLabels{{QStringLiteral("serial"), QString::number(*p.serial)},
                                           {QStringLiteral("model"), QString::number(*p.model)},
                                           {QStringLiteral("mission"), p.mission}},
                 1.0});
    }
    return prometheus_text({up, last, records, retries, full, info});
}

QMap<QString, qint64> last_collections(const QString& text)
{
    // Label values as prometheus_text writes them: \\, \" and \n escaped.
    static const QRegularExpression line(
        QStringLiteral("^") + last_name +
            QStringLiteral(R"re(\{port="((?:[^"\\]|\\.)*)"[^}]*\} ([0-9.e+]+)$)re"),
        QRegularExpression::MultilineOption);
    QMap<QString, qint64> out;
    for (auto it = line.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        QString port = m.captured(1);
        port.replace(QStringLiteral("\\n"), QStringLiteral("\n"))
            .replace(QStringLiteral("\\\""), QStringLiteral("\""))
            .replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        bool ok = false;
        const double v = m.captured(2).toDouble(&ok);
        if (ok) out.insert(port, qint64(v));
    }
    return out;
}

bool write_metrics_file(const QString& path, const QString& text, QString* error)
{
    FileReplacement file(path);
    if (file.open() && file.write(text.toUtf8()) && file.commit()) return true;
    if (error) *error = file.error();
    return false;
}

} // namespace vx::cli
