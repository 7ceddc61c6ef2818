#pragma once
// The chart of a record viewer (sp_XYPlot1): the first value of every record
// against time on the left axis, the second value on the right axis, the time
// axis in whole units; the colours and point marks of the graph style table;
// zoom, pan and the mouse read-out; the chart as a picture. It draws the
// series it is given: the viewer builds them from its text.
#include "records/graph_model.h"

#include <qcustomplot.h>

#include <utility>

namespace vx
{

struct Global;

class RecordChart : public QCustomPlot
{
    Q_OBJECT
public:
    explicit RecordChart(Global& g, QWidget* parent = nullptr);

    // Draws the series with the ranges the controls ask for. Without points
    // nothing is drawn and the axes stay as they were; a single point sits in
    // the middle of the axes.
    void draw(const GraphSeries& s, const GraphControls& c);
    // The axis titles (the time, the first and the second channel with their
    // units); the series are named after their channels in the legend.
    void set_titles(const QString& time, const QString& left, const QString& right);
    // Applies the style table to the chart.
    void apply_style();
    void zoom_in();
    void zoom_out();

    // The second value series of the last draw (read by the report).
    bool has_second_series() const { return second_series_; }
    // Points drawn by the last draw.
    int points() const;
    // The time axis range shown, in seconds since the epoch.
    std::pair<double, double> time_range() const;
    // Texts of the mouse read-out for a position in chart pixels.
    QString readout_time(double pixel_x) const;
    QString readout_value(double pixel_y) const;

    QImage picture(); // the chart drawn at its current size
    // The chart at its current size with one series and its value axis only
    // (the first on the left axis, or the second on the right axis); the
    // chart's own state is left as it was.
    QImage series_picture(bool second);
    bool save_picture(const QString& path, bool gif, QString* error = nullptr);
    void copy_picture(); // to the clipboard

    // The pop-up menu ("&FULL Graph" returns to the whole graph).
    QMenu* menu() const { return menu_; }
    // The hint and the pop-up's items from the language table.
    void ChangeLanguage();

signals:
    // Ctrl+click or "&FULL Graph": the whole graph again.
    void whole_graph_requested();
    // "&Save" of the pop-up menu.
    void save_requested();
    // The mouse moved over the chart: time and value under it.
    void readout(const QString& time, const QString& value);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void set_time_range(double a, double b);
    void show_lone_points();

    Global& g_;
    QCPGraph* line1_ = nullptr;
    QCPGraph* line2_ = nullptr;
    QMenu* menu_ = nullptr;
    bool second_series_ = false;
    int time_intervals_ = 10; // the time axis shows this many steps (11 ticks)
    QPoint press_pos_;
    bool ctrl_press_ = false;
};

} // namespace vx
