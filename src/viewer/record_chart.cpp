#include "viewer/record_chart.h"

#include "logger/program_state.h"
#include "viewer/gif_writer.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <cmath>

namespace vx
{

namespace
{

// Time axis ticks in whole units (minutes, hours, days) aligned to local
// midnight, so that the labels read as round times at every zoom level.
class WholeUnitTicker : public QCPAxisTicker
{
public:
    explicit WholeUnitTicker(int intervals) : intervals_(intervals) {}
    // On a narrow chart only every n-th tick is labelled, so that the date
    // labels do not overlap; the ticks and their grid lines stay.
    void set_label_every(int n) { label_every_ = std::max(n, 1); }

protected:
    double getTickStep(const QCPRange& range) override { return choose_time_step(range.size(), intervals_); }
    int getSubTickCount(double) override { return 0; }
    QString getTickLabel(double tick, const QLocale&, QChar, int) override
    {
        const QDateTime t = QDateTime::fromSecsSinceEpoch(qint64(std::llround(tick)));
        return t.toString(QStringLiteral("hh:mm\nd.M.yyyy"));
    }
    QVector<double> createTickVector(double step, const QCPRange& range) override
    {
        QVector<double> ticks;
        if (step <= 0) return ticks;
        const double origin = local_midnight(range.lower);
        double t = origin + std::ceil((range.lower - origin) / step - 1e-9) * step;
        // A guard against a range far wider than the steps were chosen for.
        for (int i = 0; t <= range.upper + 1e-6 && i < 1000; ++i, t += step)
            ticks.push_back(t);
        return ticks;
    }

    QVector<QString> createLabelVector(const QVector<double>& ticks, const QLocale& locale, QChar format,
                                       int precision) override
    {
        QVector<QString> labels = QCPAxisTicker::createLabelVector(ticks, locale, format, precision);
        for (qsizetype i = 0; i < labels.size(); ++i)
            if (i % label_every_ != 0) labels[i].clear();
        return labels;
    }

private:
    int intervals_;
    int label_every_ = 1;
};

// Value axis labels in the viewer's own number pattern.
class ValueTicker : public QCPAxisTicker
{
protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override { return value_label(tick); }
};

QCPScatterStyle point_style(int kind, const QColor& line, const QColor& fill)
{
    switch (kind) {
    case 1:
        return QCPScatterStyle(QCPScatterStyle::ssSquare, line, fill, 5);
    case 2:
        return QCPScatterStyle(QCPScatterStyle::ssCircle, line, fill, 5);
    default:
        return QCPScatterStyle(QCPScatterStyle::ssNone);
    }
}

// A range that QCustomPlot accepts even when the controls give min >= max.
std::pair<double, double> ordered(double lo, double hi)
{
    if (lo > hi) std::swap(lo, hi);
    if (hi - lo < 1e-9) hi = lo + 1;
    return {lo, hi};
}

} // namespace

RecordChart::RecordChart(Global& g, QWidget* parent) : QCustomPlot(parent), g_(g)
{
    setObjectName(QStringLiteral("sp_XYPlot1"));
    setLocale(QLocale());
    setMinimumSize(200, 150);

    line1_ = addGraph(xAxis, yAxis);
    line1_->setObjectName(QStringLiteral("sp_XYLine1"));
    line1_->setName(QStringLiteral("sp_XYLine1"));
    line2_ = addGraph(xAxis, yAxis2);
    line2_->setObjectName(QStringLiteral("sp_XYLine2"));
    line2_->setName(QStringLiteral("sp_XYLine2"));

    auto ticker = QSharedPointer<WholeUnitTicker>::create(time_intervals_);
    xAxis->setTicker(ticker);
    // As many labels as the axis has room for.
    connect(this, &QCustomPlot::beforeReplot, this, [this, ticker] {
        const int label =
            QFontMetrics(xAxis->tickLabelFont()).horizontalAdvance(QStringLiteral("30.12.2026")) + 12;
        const int room = axisRect()->width() / std::max(label, 1);
        const int ticks = time_intervals_ + 1;
        ticker->set_label_every(room >= ticks ? 1 : (ticks + std::max(room, 1) - 1) / std::max(room, 1));
    });
    for (QCPAxis* axis : {yAxis, yAxis2})
        axis->setTicker(QSharedPointer<ValueTicker>::create());
    yAxis2->setVisible(false);
    yAxis2->grid()->setVisible(false);
    xAxis2->setVisible(false);
    // The legend names the series in a corner of the plot.
    legend->setVisible(true);
    QFont legend_font = font();
    legend_font.setPointSizeF(std::max(6.0, legend_font.pointSizeF() - 1));
    legend->setFont(legend_font);
    legend->setBrush(QBrush(QColor(255, 255, 255, 210)));
    axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);

    QCPAxisRect* rect = axisRect();
    // Room for half a date label beside each end of the time axis; the plot
    // drops labels that would be clipped at the widget's edge.
    const int half_label =
        QFontMetrics(xAxis->tickLabelFont()).horizontalAdvance(QStringLiteral("30.12.2026")) / 2 + 6;
    rect->setMinimumMargins(QMargins(half_label, 10, half_label, 10));
    rect->setRangeDragAxes({xAxis}, {yAxis, yAxis2});
    rect->setRangeZoomAxes({xAxis}, {yAxis, yAxis2});
    setSelectionRectMode(QCP::srmNone);

    // The pop-up menu: back to the whole graph, zoom, picture.
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("PopupMenu1"));
    menu_->addAction(QString(), this, &RecordChart::whole_graph_requested);
    menu_->addAction(QString(), this, &RecordChart::zoom_in);
    menu_->addAction(QString(), this, &RecordChart::zoom_out);
    menu_->addSeparator();
    menu_->addAction(QString(), this, &RecordChart::save_requested);
    menu_->addAction(QString(), this, &RecordChart::copy_picture);
    ChangeLanguage();
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { menu_->popup(mapToGlobal(pos)); });

    connect(this, &QCustomPlot::mouseMove, this, [this](QMouseEvent* e) {
        emit readout(readout_time(e->position().x()), readout_value(e->position().y()));
    });
    connect(this, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* e) {
        const bool click = ctrl_press_ && (e->pos() - press_pos_).manhattanLength() < 4;
        ctrl_press_ = false;
        // Drag and rectangle modes stay until the next press sets them: the
        // plot finishes a rectangle zoom only after this signal.
        if (click) emit whole_graph_requested();
    });
    apply_style();
}

void RecordChart::mousePressEvent(QMouseEvent* e)
{
    // Ctrl+drag pans and Ctrl+click returns to the whole graph;
    // Shift+drag zooms into the rectangle drawn.
    const bool left = e->button() == Qt::LeftButton;
    const bool ctrl = left && (e->modifiers() & Qt::ControlModifier);
    const bool shift = left && !ctrl && (e->modifiers() & Qt::ShiftModifier);
    ctrl_press_ = ctrl;
    press_pos_ = e->pos();
    setInteraction(QCP::iRangeDrag, ctrl);
    setSelectionRectMode(shift ? QCP::srmZoom : QCP::srmNone);
    QCustomPlot::mousePressEvent(e);
}

void RecordChart::apply_style()
{
    const std::array<int, 20> c = effective_graph_colors(g_.settings.colors);
    auto col = [&](int n) { return color_from_setting(c[n - 1]); };

    setBackground(QBrush(col(1)));
    axisRect()->setBackground(QBrush(col(2)));
    for (QCPAxis* axis : {xAxis, yAxis, yAxis2, xAxis2}) {
        axis->setTickLabelColor(col(3));
        axis->setLabelColor(col(3));
    }
    legend->setTextColor(col(3));
    auto axis_colour = [](QCPAxis* axis, const QColor& line, const QColor& grid) {
        QPen base = axis->basePen();
        base.setColor(line);
        axis->setBasePen(base);
        axis->setTickPen(QPen(line));
        axis->setSubTickPen(QPen(line));
        axis->grid()->setPen(QPen(grid, 0, Qt::DotLine));
    };
    axis_colour(yAxis, col(4), col(5));
    axis_colour(xAxis, col(6), col(7));
    axis_colour(yAxis2, col(8), col(9));
    QPen left_base = yAxis->basePen();
    left_base.setWidth(4);
    yAxis->setBasePen(left_base);

    line1_->setPen(QPen(col(10), 1));
    line2_->setPen(QPen(col(11), 1));
    line1_->setScatterStyle(point_style(g_.settings.LEFTPOINTS, col(10), col(12)));
    line2_->setScatterStyle(point_style(g_.settings.RIGHTPOINTS, col(11), col(13)));
    show_lone_points();
    replot(QCustomPlot::rpQueuedReplot);
}

void RecordChart::show_lone_points()
{
    // A single record draws no line: it shows as a point whatever the style.
    for (QCPGraph* line : {line1_, line2_})
        if (line->dataCount() == 1 && line->scatterStyle().isNone())
            line->setScatterStyle(
                QCPScatterStyle(QCPScatterStyle::ssCircle, line->pen().color(), line->pen().color(), 8));
}

void RecordChart::draw(const GraphSeries& s, const GraphControls& c)
{
    apply_style();
    line1_->data()->clear();
    line2_->data()->clear();
    second_series_ = false;
    if (s.points < 1) {
        // No record: nothing is drawn and the axes stay.
        replot();
        return;
    }
    line1_->setData(s.t1, s.v1, s.sorted);
    line2_->setData(s.t2, s.v2, s.sorted);
    second_series_ = s.second;

    if (c.start_date_checked && c.start_date.isValid()) {
        const auto [a, b] = start_date_range(c.start_date, c.span_index);
        set_time_range(a, b);
    } else if (s.points == 1) {
        // A single record in the middle of two hours.
        set_time_range(s.first - 3600, s.first + 3600);
    } else {
        const TimeAxis axis = whole_unit_axis(s.first, s.last, time_intervals_);
        set_time_range(axis.start, axis.end());
    }
    show_lone_points();

    const auto [lmin, lmax] = value_range(s.v1);
    yAxis->setRange(lmin, lmax);
    QCPAxis* right = yAxis2;
    QPen right_base = right->basePen();
    if (second_series_) {
        line2_->addToLegend();
        const auto [rmin, rmax] = value_range(s.v2);
        right->setRange(rmin, rmax);
        line2_->setVisible(true);
        right->setVisible(true);
        right->grid()->setVisible(true);
        right_base.setWidth(4);
    } else {
        line2_->removeFromLegend();
        line2_->setVisible(false);
        right->setVisible(false);
        right->grid()->setVisible(false);
        right_base.setWidth(1);
    }
    right->setBasePen(right_base);

    if (!c.auto_scale) {
        const auto [tmin, tmax] = ordered(c.temp_min, c.temp_max);
        yAxis->setRange(tmin, tmax);
        const auto [hmin, hmax] = ordered(c.humi_min, c.humi_max);
        right->setRange(hmin, hmax);
    }
    replot();
}

void RecordChart::set_titles(const QString& time, const QString& left, const QString& right)
{
    xAxis->setLabel(time);
    yAxis->setLabel(left);
    yAxis2->setLabel(right);
    line1_->setName(left);
    line2_->setName(right);
    replot(QCustomPlot::rpQueuedReplot);
}

void RecordChart::set_time_range(double a, double b)
{
    xAxis->setRange(a, b);
}

std::pair<double, double> RecordChart::time_range() const
{
    return {xAxis->range().lower, xAxis->range().upper};
}

int RecordChart::points() const
{
    return line1_->data()->size();
}

void RecordChart::zoom_in()
{
    const auto [a, b] = time_range();
    const auto [na, nb] = vx::zoom_in(a, b);
    set_time_range(na, nb);
    replot();
}

void RecordChart::zoom_out()
{
    const auto [a, b] = time_range();
    const auto [na, nb] = vx::zoom_out(a, b);
    set_time_range(na, nb);
    replot();
}

QString RecordChart::readout_time(double pixel_x) const
{
    const double t = xAxis->pixelToCoord(pixel_x);
    return QDateTime::fromSecsSinceEpoch(qint64(std::llround(t))).toString(QStringLiteral("d.M.yyyy hh:mm"));
}

QString RecordChart::readout_value(double pixel_y) const
{
    const double v = yAxis->pixelToCoord(pixel_y);
    return QLocale().toString(v, 'f', 1).rightJustified(5);
}

QImage RecordChart::picture()
{
    return toPixmap(width(), height()).toImage();
}

QImage RecordChart::series_picture(bool second)
{
    QCPAxis* left = yAxis;
    QCPAxis* right = yAxis2;
    const bool vis[6] = {line1_->visible(),       line2_->visible(), left->visible(),
                         left->grid()->visible(), right->visible(),  right->grid()->visible()};
    // The picture's legend names only the series it shows.
    const bool listed[2] = {legend->hasItemWithPlottable(line1_), legend->hasItemWithPlottable(line2_)};
    (second ? line1_ : line2_)->removeFromLegend();
    (second ? line2_ : line1_)->addToLegend();
    line1_->setVisible(!second);
    left->setVisible(!second);
    left->grid()->setVisible(!second);
    line2_->setVisible(second);
    right->setVisible(second);
    right->grid()->setVisible(second);
    const QImage image = picture();
    line1_->setVisible(vis[0]);
    line2_->setVisible(vis[1]);
    left->setVisible(vis[2]);
    left->grid()->setVisible(vis[3]);
    right->setVisible(vis[4]);
    right->grid()->setVisible(vis[5]);
    // Back in their order: the first series above the second.
    line1_->removeFromLegend();
    line2_->removeFromLegend();
    if (listed[0]) line1_->addToLegend();
    if (listed[1]) line2_->addToLegend();
    replot(QCustomPlot::rpQueuedReplot);
    return image;
}

bool RecordChart::save_picture(const QString& path, bool gif, QString* error)
{
    const QImage image = picture();
    if (gif) return write_gif(image, path, error);
    if (image.save(path, "BMP")) return true;
    if (error) *error = QStringLiteral("Unable to write to %1").arg(path);
    return false;
}

void RecordChart::copy_picture()
{
    QApplication::clipboard()->setImage(picture());
}

void RecordChart::ChangeLanguage()
{
    const Language& L = g_.lang;
    setToolTip(L.hint(100));
    // MENU54, 59, 50, 51 and 52: whole graph, zoom in and out, save and copy.
    const int items[] = {54, 59, 50, 0, 51, 52};
    const QList<QAction*> actions = menu_->actions();
    for (int i = 0; i < actions.size() && i < 6; ++i)
        if (items[i]) actions[i]->setText(L.menu(items[i]));
}

} // namespace vx
