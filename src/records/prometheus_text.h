#pragma once
// Prometheus text exposition (what node_exporter's textfile collector reads):
//
//   # HELP name text
//   # TYPE name gauge
//   name{label="value",...} 23.5
//
// In label values a backslash, a double quote and a line feed are written
// as \\, \" and \n; in HELP texts a backslash and a line feed likewise.
#include <QList>
#include <QPair>
#include <QString>

namespace vx
{

using PrometheusLabels = QList<QPair<QString, QString>>;

struct PrometheusSample {
    PrometheusLabels labels;
    double value = 0; // a finite number
};

struct PrometheusMetric {
    QString name; // [a-zA-Z_:][a-zA-Z0-9_:]*
    QString help;
    QString type = QStringLiteral("gauge");
    QList<PrometheusSample> samples;
};

// The metrics in order, each with its HELP and TYPE lines; a metric without
// samples is left out. Every line ends with "\n".
QString prometheus_text(const QList<PrometheusMetric>& metrics);

} // namespace vx
