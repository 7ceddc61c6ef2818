#pragma once
// The chart of the live trend: a line per channel, the first on the left
// axis and the second on the right axis as in the record viewer, a third
// (air pressure) on a second right axis. Each value axis is named by its
// channel and unit in the colour of its line; the time axis shows the
// trend's visible span. Colours come from the graph style table.
#include "logger/trend.h"

#include <qcustomplot.h>

#include <functional>

namespace vx
{

struct Global;

class TrendChart : public QCustomPlot
{
    Q_OBJECT
public:
    explicit TrendChart(Global& g, QWidget* parent = nullptr);

    // The name of a channel on its axis (the unit is added in brackets);
    // unset: the channel's own name.
    std::function<QString(const CsvChannel&)> caption;

    // Takes over what one change of the trend did to its readings; draws
    // nothing (redraw does).
    void follow(const Trend& trend, const TrendUpdate& u);
    // The time axis on the visible span, each value axis around its
    // channel's values there (stats: per channel, over that span), each
    // channel in a band of its own (the first at the top), and one replot.
    void redraw(const Trend& trend, const QList<TrendStats>& stats);

    // Names each value axis by its channel (caption) and unit, as the trend's
    // channels are; the next replot shows them.
    void name_axes(const Trend& trend);

    // Points held for a channel; 0 for a channel the trend does not have.
    int points(int channel) const;
    // The value axis of a channel; nullptr for a channel the trend does not have.
    QCPAxis* channel_axis(int channel) const;

private:
    // One graph and axis per channel of the trend, loaded with all its points.
    void load(const Trend& trend);

    Global& g_;
    QList<QCPGraph*> lines_;
    QCPAxis* third_axis_ = nullptr;
    QSharedPointer<QCPAxisTickerDateTime> ticker_;
};

} // namespace vx
