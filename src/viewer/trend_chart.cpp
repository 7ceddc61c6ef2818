#include "viewer/trend_chart.h"

#include "logger/program_state.h"
#include "records/graph_model.h"

#include <cmath>

namespace vx
{

namespace
{

// The third channel's colour: the style table has no entry for it.
const QColor third_line(0, 90, 170);

// Value labels in the record viewer's number pattern.
class ValueTicker : public QCPAxisTicker
{
protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override { return value_label(tick); }
};

// Labels as long as the span needs: seconds for minutes, the date beyond half a day.
QString time_format(double span)
{
    if (span <= 30 * 60) return QStringLiteral("hh:mm:ss");
    if (span <= 12 * 3600) return QStringLiteral("hh:mm");
    return QStringLiteral("d.M. hh:mm");
}

} // namespace

TrendChart::TrendChart(Global& g, QWidget* parent) : QCustomPlot(parent), g_(g)
{
    setObjectName(QStringLiteral("TrendChart"));
    setLocale(QLocale());
    setMinimumSize(200, 120);
    // Drawn without antialiasing: a day of readings stays cheap to draw.
    setNotAntialiasedElements(QCP::aeAll);

    ticker_ = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker_->setTickCount(6);
    xAxis->setTicker(ticker_);
    xAxis2->setVisible(false);
    yAxis2->setVisible(false);
    third_axis_ = axisRect()->addAxis(QCPAxis::atRight);
    for (QCPAxis* axis : {yAxis, yAxis2, third_axis_})
        axis->setTicker(QSharedPointer<ValueTicker>::create());
    third_axis_->setVisible(false);
    third_axis_->grid()->setVisible(false);

    const std::array<int, 20> c = effective_graph_colors(g_.settings.colors);
    auto col = [&](int n) { return color_from_setting(c[std::size_t(n - 1)]); };
    setBackground(QBrush(col(1)));
    axisRect()->setBackground(QBrush(col(2)));
    const std::tuple<QCPAxis*, QColor, QColor> axes[] = {{xAxis, col(6), col(7)},
                                                         {yAxis, col(4), col(5)},
                                                         {yAxis2, col(8), col(9)},
                                                         {third_axis_, col(8), col(9)}};
    for (const auto& [axis, line, grid] : axes) {
        axis->setTickLabelColor(col(3));
        axis->setLabelColor(col(3));
        axis->setBasePen(QPen(line));
        axis->setTickPen(QPen(line));
        axis->setSubTickPen(QPen(line));
        axis->grid()->setPen(QPen(grid, 0, Qt::DotLine));
    }
}

void TrendChart::load(const Trend& trend)
{
    clearGraphs();
    lines_.clear();
    const std::array<int, 20> c = effective_graph_colors(g_.settings.colors);
    QCPAxis* axes[] = {yAxis, yAxis2, third_axis_};
    const QColor colours[] = {color_from_setting(c[9]), color_from_setting(c[10]), third_line};
    for (int i = 0; i < 3; ++i) {
        const bool used = i < trend.channel_count();
        axes[i]->setVisible(used);
        axes[i]->grid()->setVisible(used && i < 2);
        axes[i]->setLabelColor(colours[i]);
    }
    name_axes(trend);
    // The last graph added is drawn on top: the first channel's.
    for (int i = trend.channel_count() - 1; i >= 0; --i) {
        QCPGraph* line = addGraph(xAxis, axes[std::min(i, 2)]);
        line->setName(trend.channels()[i].name);
        // A one-pixel pen: wider lines over a day of readings cost fifty times the CPU.
        line->setPen(QPen(colours[std::min(i, 2)], 1));
        QVector<QCPGraphData> data;
        for (const auto& [t, v] : trend.points(i))
            data.append(QCPGraphData(t, v));
        line->data()->set(data, true);
        lines_.prepend(line);
    }
}

void TrendChart::follow(const Trend& trend, const TrendUpdate& u)
{
    if (u.rebuild || lines_.size() != trend.channel_count()) {
        load(trend);
        return;
    }
    const std::size_t last = trend.size() - 1;
    for (int c : u.appended)
        lines_[c]->addData(trend.time(last), trend.value(c, last));
    if (u.dropped)
        for (QCPGraph* line : std::as_const(lines_))
            line->data()->removeBefore(u.drop_before);
}

void TrendChart::redraw(const Trend& trend, const QList<TrendStats>& stats)
{
    auto [a, b] = trend.visible_range();
    if (b - a < 1) a = b - 1; // a single reading: a second before it
    xAxis->setRange(a, b);
    ticker_->setDateTimeFormat(time_format(b - a));
    // Each channel gets a band of the height, the first at the top, so that
    // lines never hide each other (two steady readings would both sit in
    // the middle of their axes).
    const auto n = double(lines_.size());
    for (int c = 0; c < lines_.size() && c < stats.size(); ++c) {
        if (stats[c].count == 0) continue;
        const auto [lo, hi] = value_range({stats[c].min, stats[c].max});
        const double full = (hi - lo) * n;
        const double below = full * (n - 1 - c) / n;
        lines_[c]->valueAxis()->setRange(lo - below, lo - below + full);
    }
    replot();
}

void TrendChart::name_axes(const Trend& trend)
{
    QCPAxis* axes[] = {yAxis, yAxis2, third_axis_};
    for (int i = 0; i < 3 && i < trend.channel_count(); ++i) {
        const CsvChannel& ch = trend.channels()[i];
        const QString name = caption ? caption(ch) : ch.name;
        axes[i]->setLabel(ch.unit.isEmpty() ? name : QStringLiteral("%1 [%2]").arg(name, ch.unit));
    }
}

int TrendChart::points(int channel) const
{
    return channel >= 0 && channel < lines_.size() ? lines_[channel]->data()->size() : 0;
}

QCPAxis* TrendChart::channel_axis(int channel) const
{
    return channel >= 0 && channel < lines_.size() ? lines_[channel]->valueAxis() : nullptr;
}

} // namespace vx
