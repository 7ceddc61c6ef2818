#include "viewer/record_viewer.h"

#include "base/code_page.h"
#include "base/ui_port.h"
#include "logger/program_state.h"
#include "records/record_csv.h"
#include "viewer/gif_writer.h"
#include "viewer/record_text_view.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextDocument>
#include <QVBoxLayout>
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

TEditForm::TEditForm(Global& g, QWidget* parent) : QWidget(parent), g_(g)
{
    setObjectName(QStringLiteral("EditForm"));
    setWindowTitle(QStringLiteral("Untitled"));

    view_ = new RecordTextView(text_, this);
    view_->setObjectName(QStringLiteral("Editor"));
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Columns line up on short tab stops, so date, time and two values fit the
    // narrow pane.
    view_->set_tab_stop_distance(QFontMetricsF(view_->font()).horizontalAdvance(QStringLiteral("00")));
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &RecordTextView::customContextMenuRequested, this, &TEditForm::text_menu);
    connect(view_, &RecordTextView::edit_requested, this, &TEditForm::begin_editing);
    // Ctrl+F itself belongs to the main window's find action (command 100);
    // a second shortcut here would make the key ambiguous.

    build_chart();

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->addWidget(view_);
    splitter_->addWidget(plot_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    set_text_width(177);

    status_ = new QStatusBar(this);
    status_->setSizeGripEnabled(false);
    const int widths[4] = {100, 100, 100, 50};
    for (int i = 0; i < 4; ++i) {
        panels_[i] = new QLabel(status_);
        panels_[i]->setMinimumWidth(widths[i]);
        status_->addWidget(panels_[i], i == 3 ? 1 : 0);
    }
    show_line_count();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(splitter_, 1);
    layout->addWidget(status_);
    resize(800, 450);
}

TEditForm::~TEditForm()
{
    // The view shows text_, which would otherwise go before the child widgets.
    delete view_;
}

void TEditForm::build_chart()
{
    plot_ = new QCustomPlot(this);
    plot_->setObjectName(QStringLiteral("sp_XYPlot1"));
    plot_->setLocale(QLocale());
    plot_->setToolTip(g_.lang.hint(100));
    plot_->setMinimumSize(200, 150);

    line1_ = plot_->addGraph(plot_->xAxis, plot_->yAxis);
    line1_->setObjectName(QStringLiteral("sp_XYLine1"));
    line1_->setName(QStringLiteral("sp_XYLine1"));
    line2_ = plot_->addGraph(plot_->xAxis, plot_->yAxis2);
    line2_->setObjectName(QStringLiteral("sp_XYLine2"));
    line2_->setName(QStringLiteral("sp_XYLine2"));

    auto ticker = QSharedPointer<WholeUnitTicker>::create(time_intervals_);
    plot_->xAxis->setTicker(ticker);
    // As many labels as the axis has room for.
    connect(plot_, &QCustomPlot::beforeReplot, this, [this, ticker] {
        const int label =
            QFontMetrics(plot_->xAxis->tickLabelFont()).horizontalAdvance(QStringLiteral("30.12.2026")) + 12;
        const int room = plot_->axisRect()->width() / std::max(label, 1);
        const int ticks = time_intervals_ + 1;
        ticker->set_label_every(room >= ticks ? 1 : (ticks + std::max(room, 1) - 1) / std::max(room, 1));
    });
    for (QCPAxis* axis : {plot_->yAxis, plot_->yAxis2})
        axis->setTicker(QSharedPointer<ValueTicker>::create());
    plot_->yAxis2->setVisible(false);
    plot_->yAxis2->grid()->setVisible(false);
    plot_->xAxis2->setVisible(false);

    QCPAxisRect* rect = plot_->axisRect();
    // Room for half a date label beside each end of the time axis; the plot
    // drops labels that would be clipped at the widget's edge.
    const int half_label =
        QFontMetrics(plot_->xAxis->tickLabelFont()).horizontalAdvance(QStringLiteral("30.12.2026")) / 2 + 6;
    rect->setMinimumMargins(QMargins(half_label, 10, half_label, 10));
    rect->setRangeDragAxes({plot_->xAxis}, {plot_->yAxis, plot_->yAxis2});
    rect->setRangeZoomAxes({plot_->xAxis}, {plot_->yAxis, plot_->yAxis2});
    plot_->setSelectionRectMode(QCP::srmNone);

    // The chart's pop-up menu: back to the whole graph, zoom, picture.
    chart_menu_ = new QMenu(this);
    chart_menu_->setObjectName(QStringLiteral("PopupMenu1"));
    chart_menu_->addAction(QStringLiteral("&FULL Graph"), this, &TEditForm::RedrawGraph);
    chart_menu_->addAction(QStringLiteral("Zoom &In"), this, &TEditForm::GraphZoomIn);
    chart_menu_->addAction(QStringLiteral("Zoom &Out"), this, &TEditForm::GraphZoomOut);
    chart_menu_->addSeparator();
    chart_menu_->addAction(QStringLiteral("&Save"), this, &TEditForm::GraphSave);
    chart_menu_->addAction(QStringLiteral("&Copy"), this, &TEditForm::GraphCopy);
    plot_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(plot_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { chart_menu_->popup(plot_->mapToGlobal(pos)); });

    plot_->installEventFilter(this);
    connect(plot_, &QCustomPlot::mouseMove, this, &TEditForm::mouse_readout);
    connect(plot_, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* e) {
        const bool click = ctrl_press_ && (e->pos() - press_pos_).manhattanLength() < 4;
        ctrl_press_ = false;
        // Drag and rectangle modes stay until the next press sets them: the
        // plot finishes a rectangle zoom only after this signal.
        if (click) RedrawGraph();
    });
    ChangeGraphStyle();
}

bool TEditForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == plot_ && event->type() == QEvent::MouseButtonPress) {
        auto* e = static_cast<QMouseEvent*>(event);
        // Ctrl+drag pans and Ctrl+click returns to the whole graph;
        // Shift+drag zooms into the rectangle drawn.
        const bool left = e->button() == Qt::LeftButton;
        const bool ctrl = left && (e->modifiers() & Qt::ControlModifier);
        const bool shift = left && !ctrl && (e->modifiers() & Qt::ShiftModifier);
        ctrl_press_ = ctrl;
        press_pos_ = e->pos();
        plot_->setInteraction(QCP::iRangeDrag, ctrl);
        plot_->setSelectionRectMode(shift ? QCP::srmZoom : QCP::srmNone);
    }
    return QWidget::eventFilter(watched, event);
}

GraphControls TEditForm::controls() const
{
    return controls_source_ ? controls_source_() : controls_;
}

// ---------------------------------------------------------------- graph

void TEditForm::ChangeGraphStyle()
{
    const std::array<int, 20> c = effective_graph_colors(g_.settings.colors);
    auto col = [&](int n) { return color_from_setting(c[n - 1]); };

    plot_->setBackground(QBrush(col(1)));
    plot_->axisRect()->setBackground(QBrush(col(2)));
    for (QCPAxis* axis : {plot_->xAxis, plot_->yAxis, plot_->yAxis2, plot_->xAxis2}) {
        axis->setTickLabelColor(col(3));
        axis->setLabelColor(col(3));
    }
    auto axis_colour = [](QCPAxis* axis, const QColor& line, const QColor& grid) {
        QPen base = axis->basePen();
        base.setColor(line);
        axis->setBasePen(base);
        axis->setTickPen(QPen(line));
        axis->setSubTickPen(QPen(line));
        axis->grid()->setPen(QPen(grid, 0, Qt::DotLine));
    };
    axis_colour(plot_->yAxis, col(4), col(5));
    axis_colour(plot_->xAxis, col(6), col(7));
    axis_colour(plot_->yAxis2, col(8), col(9));
    QPen left_base = plot_->yAxis->basePen();
    left_base.setWidth(4);
    plot_->yAxis->setBasePen(left_base);

    line1_->setPen(QPen(col(10), 1));
    line2_->setPen(QPen(col(11), 1));
    line1_->setScatterStyle(point_style(g_.settings.LEFTPOINTS, col(10), col(12)));
    line2_->setScatterStyle(point_style(g_.settings.RIGHTPOINTS, col(11), col(13)));
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void TEditForm::RedrawGraph()
{
    ChangeGraphStyle();
    line1_->data()->clear();
    line2_->data()->clear();
    second_series_ = false;

    const GraphSeries s =
        editor_ ? build_series_from(RecordText(editor_->toPlainText())) : build_series_from(text_);
    if (s.points < 2) {
        // Too few records for a graph: nothing is drawn and the axes stay.
        plot_->replot();
        return;
    }
    line1_->setData(s.t1, s.v1, s.sorted);
    line2_->setData(s.t2, s.v2, s.sorted);
    second_series_ = s.second;

    const GraphControls c = controls();
    if (c.start_date_checked && c.start_date.isValid()) {
        const auto [a, b] = start_date_range(c.start_date, c.span_index);
        set_time_range(a, b);
    } else {
        const TimeAxis axis = whole_unit_axis(s.first, s.last, time_intervals_);
        set_time_range(axis.start, axis.end());
    }

    const auto [lmin, lmax] = value_range(s.v1);
    plot_->yAxis->setRange(lmin, lmax);
    QCPAxis* right = plot_->yAxis2;
    QPen right_base = right->basePen();
    if (second_series_) {
        const auto [rmin, rmax] = value_range(s.v2);
        right->setRange(rmin, rmax);
        line2_->setVisible(true);
        right->setVisible(true);
        right->grid()->setVisible(true);
        right_base.setWidth(4);
    } else {
        line2_->setVisible(false);
        right->setVisible(false);
        right->grid()->setVisible(false);
        right_base.setWidth(1);
    }
    right->setBasePen(right_base);

    if (!c.auto_scale) {
        const auto [tmin, tmax] = ordered(c.temp_min, c.temp_max);
        plot_->yAxis->setRange(tmin, tmax);
        const auto [hmin, hmax] = ordered(c.humi_min, c.humi_max);
        right->setRange(hmin, hmax);
    }
    plot_->replot();
}

void TEditForm::set_time_range(double a, double b)
{
    plot_->xAxis->setRange(a, b);
}

void TEditForm::set_text_width(int pixels)
{
    // The widths are meant for a font with characters 5 pixels wide on
    // average; wider fonts get a proportionally wider pane.
    const double scale = std::max(1.0, QFontMetricsF(text_pane()->font()).averageCharWidth() / 5.0);
    pixels = int(std::lround(pixels * scale));
    const int total = splitter_->width() > pixels ? splitter_->width() : pixels + 600;
    splitter_->setSizes({pixels, total - pixels});
}

std::pair<double, double> TEditForm::time_range() const
{
    return {plot_->xAxis->range().lower, plot_->xAxis->range().upper};
}

int TEditForm::graph_points() const
{
    return line1_->data()->size();
}

void TEditForm::GraphZoomIn()
{
    const auto [a, b] = time_range();
    const auto [na, nb] = zoom_in(a, b);
    set_time_range(na, nb);
    plot_->replot();
}

void TEditForm::GraphZoomOut()
{
    const auto [a, b] = time_range();
    const auto [na, nb] = zoom_out(a, b);
    set_time_range(na, nb);
    plot_->replot();
}

QString TEditForm::readout_time(double pixel_x) const
{
    const double t = plot_->xAxis->pixelToCoord(pixel_x);
    return QDateTime::fromSecsSinceEpoch(qint64(std::llround(t))).toString(QStringLiteral("d.M.yyyy hh:mm"));
}

QString TEditForm::readout_value(double pixel_y) const
{
    const double v = plot_->yAxis->pixelToCoord(pixel_y);
    return QLocale().toString(v, 'f', 1).rightJustified(5);
}

QString TEditForm::status_text(int panel) const
{
    return panel >= 0 && panel < 4 ? panels_[panel]->text() : QString();
}

void TEditForm::set_status(int panel, const QString& text)
{
    if (panel >= 0 && panel < 4) panels_[panel]->setText(text);
}

void TEditForm::mouse_readout(QMouseEvent* event)
{
    panels_[1]->setText(readout_time(event->position().x()));
    panels_[2]->setText(readout_value(event->position().y()));
}

QImage TEditForm::picture() const
{
    return plot_->toPixmap(plot_->width(), plot_->height()).toImage();
}

QImage TEditForm::series_picture(bool second)
{
    QCPAxis* left = plot_->yAxis;
    QCPAxis* right = plot_->yAxis2;
    const bool vis[6] = {line1_->visible(),       line2_->visible(), left->visible(),
                         left->grid()->visible(), right->visible(),  right->grid()->visible()};
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
    plot_->replot(QCustomPlot::rpQueuedReplot);
    return image;
}

bool TEditForm::save_picture(const QString& path, bool gif, QString* error)
{
    const QImage image = picture();
    if (gif) return write_gif(image, path, error);
    if (image.save(path, "BMP")) return true;
    if (error) *error = QStringLiteral("Unable to write to %1").arg(path);
    return false;
}

void TEditForm::GraphSave()
{
    QString path;
    bool gif = false;
    if (ask_picture_path) {
        path = ask_picture_path(&gif);
    } else {
        const QString bmp_filter = QStringLiteral("Windows Bitmap (*.bmp)");
        const QString gif_filter = QStringLiteral("GIF Image (*.gif)");
        QFileDialog dialog(this);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters({bmp_filter, gif_filter});
        dialog.setDefaultSuffix(QStringLiteral("bmp"));
        // The suffix follows the filter so a GIF never lands in a .bmp file.
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, gif_filter](const QString& f) {
            dialog.setDefaultSuffix(f == gif_filter ? QStringLiteral("gif") : QStringLiteral("bmp"));
        });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
        path = dialog.selectedFiles().first();
        gif = dialog.selectedNameFilter() == gif_filter;
    }
    if (path.isEmpty()) return;
    QString error;
    if (!save_picture(path, gif, &error)) {
        if (g_.ui)
            g_.ui->plain_message(error);
        else
            QMessageBox::warning(this, QStringLiteral("Info"), error);
    }
}

void TEditForm::GraphCopy()
{
    QApplication::clipboard()->setImage(picture());
}

// ---------------------------------------------------------------- text

QAbstractScrollArea* TEditForm::text_pane() const
{
    if (editor_) return editor_;
    return view_;
}

void TEditForm::add_line(const QString& line)
{
    if (editor_) {
        editor_->appendPlainText(line);
        return;
    }
    if (text_.size() == 0 && line.isEmpty()) return; // nothing changes, as in the editable pane
    text_.append_line(line);
    view_->lines_appended();
    modified_ = true;
    show_line_count();
}

void TEditForm::show_line_count()
{
    // Status panel 0 counts the lines of the text.
    if (panels_[0]) panels_[0]->setText(QString::number(line_count()));
}

void TEditForm::clear()
{
    replace_text(QString());
}

void TEditForm::set_text(const QString& text)
{
    replace_text(text);
}

void TEditForm::replace_text(QString text)
{
    if (editor_) {
        editor_->setPlainText(text);
    } else {
        text_.assign(std::move(text));
        view_->text_replaced();
        show_line_count();
    }
    set_modified(false);
}

bool TEditForm::open_file(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    QString text = QStringLiteral("TEXT FILE:") + path + QLatin1Char('\n');
    // Read in pieces into the one string the pane keeps: a large file is
    // never held twice.
    text.reserve(text.size() + f.size());
    for (QByteArray piece; !(piece = f.read(1 << 20)).isEmpty();)
        append_cp1250(text, piece);
    f.close();
    replace_text(std::move(text));
    set_file_name(path);
    setWindowTitle(QFileInfo(path).fileName());
    return true;
}

QString TEditForm::text() const
{
    return editor_ ? editor_->toPlainText() : text_.text();
}

int TEditForm::line_count() const
{
    return editor_ ? editor_->document()->blockCount() : int(text_.line_count());
}

bool TEditForm::is_modified() const
{
    return editor_ ? editor_->document()->isModified() : modified_;
}

void TEditForm::set_modified(bool modified)
{
    if (editor_)
        editor_->document()->setModified(modified);
    else
        modified_ = modified;
}

QPlainTextEdit* TEditForm::editor()
{
    begin_editing(nullptr);
    return editor_;
}

void TEditForm::begin_editing(QEvent* event)
{
    if (editor_) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto* edit = new QPlainTextEdit;
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setTabStopDistance(QFontMetricsF(edit->font()).horizontalAdvance(QStringLiteral("00")));
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(edit, &QPlainTextEdit::customContextMenuRequested, this, &TEditForm::text_menu);
    edit->setPlainText(text_.text());
    edit->document()->setModified(modified_);
    QTextCursor cursor(edit->document());
    cursor.setPosition(int(view_->anchor()));
    cursor.setPosition(int(view_->position()), QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);

    // The view is the sender of a running event: it goes later, with the text it shows.
    const bool focused = view_->hasFocus();
    const int top = view_->verticalScrollBar()->value(), left = view_->horizontalScrollBar()->value();
    const QList<int> sizes = splitter_->sizes();
    view_->setObjectName(QString());
    splitter_->replaceWidget(0, edit);
    view_->hide();
    splitter_->setSizes(sizes);
    edit->setObjectName(QStringLiteral("Editor"));
    view_->deleteLater();
    view_ = nullptr;
    editor_ = edit;
    text_.clear();
    connect(editor_, &QPlainTextEdit::blockCountChanged, this, &TEditForm::show_line_count);
    editor_->verticalScrollBar()->setValue(top);
    editor_->horizontalScrollBar()->setValue(left);
    if (focused) editor_->setFocus();
    QApplication::restoreOverrideCursor();

    if (!event) return;
    // Keys and input go to the pane, clicks and drops to the place of the mouse.
    const bool at_mouse = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Drop;
    QObject* target = at_mouse ? editor_->viewport() : editor_;
    QCoreApplication::sendEvent(target, event);
}

bool TEditForm::save()
{
    QString path;
    const QString csv_filter = QStringLiteral("CSV (*.csv)");
    bool csv = false;
    if (ask_text_path) {
        path = ask_text_path(file_name_);
    } else {
        QFileDialog dialog(this);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters({QStringLiteral("Textové súbory (*.txt)"),
                               QStringLiteral("Rich text files (*.rtf)"), csv_filter,
                               QStringLiteral("All files (*)")});
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, csv_filter](const QString& f) {
            dialog.setDefaultSuffix(f == csv_filter ? QStringLiteral("csv") : QStringLiteral("txt"));
        });
        if (!file_name_.isEmpty()) dialog.selectFile(file_name_);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
        path = dialog.selectedFiles().first();
        csv = dialog.selectedNameFilter() == csv_filter;
    }
    if (path.isEmpty()) return false;
    // A CSV never lands on a record file: its name always ends in ".csv".
    if (csv && !path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) path += QStringLiteral(".csv");
    QString error;
    // A CSV copy is an export: the viewer keeps its own file and state.
    if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
        const QStringList lines = text().split(QLatin1Char('\n'));
        CsvOptions options;
        // The records of a download of the attached logger are of its model.
        if (g_.ident.type_code != 0 && !lines.isEmpty() &&
            lines.first() == QStringLiteral("Download: ") + g_.status.mission_name)
            options.type_code = g_.ident.type_code;
        if (write_csv_file(path, records_to_csv(lines, options).text, &error)) return true;
    } else if (save_to(path, &error)) {
        return true;
    }
    if (g_.ui)
        g_.ui->plain_message(error);
    else
        QMessageBox::warning(this, QStringLiteral("Info"), error);
    return false;
}

bool TEditForm::save_to(const QString& path, QString* error)
{
    const RecordText edited = editor_ ? RecordText(editor_->toPlainText()) : RecordText();
    const RecordText& t = editor_ ? edited : text_;
    // Every line ends with CR LF; an empty last line is not written.
    const qsizetype lines = t.line_count() - (t.line(t.line_count() - 1).isEmpty() ? 1 : 0);
    std::optional<QByteArray> bytes = QByteArray();
    QString chunk;
    for (qsizetype i = 0; i < lines; ++i) {
        chunk += t.line(i);
        chunk += QLatin1String("\r\n");
        // Converted in pieces: the converter needs four bytes a character.
        if (chunk.size() > (1 << 16) || i + 1 == lines) {
            const auto piece = to_cp1250(chunk);
            if (!piece) {
                bytes.reset();
                break;
            }
            *bytes += *piece;
            chunk.clear();
        }
    }

    QSaveFile file(path);
    if (!bytes || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit()) {
        if (error) *error = QStringLiteral("Unable to write to %1").arg(path);
        return false;
    }
    file_name_ = path;
    setWindowTitle(QFileInfo(path).fileName());
    set_modified(false);
    return true;
}

bool TEditForm::find_next(const QString& what)
{
    if (what.isEmpty()) return false;
    if (!editor_) {
        const qsizetype hit = text_.find(what, view_->selection_end());
        if (hit < 0) return false;
        view_->set_selection(hit, hit + what.size());
        view_->setFocus();
        return true;
    }
    const int from = editor_->textCursor().selectionEnd();
    const QTextCursor hit = editor_->document()->find(what, from, QTextDocument::FindCaseSensitively);
    if (hit.isNull()) return false;
    editor_->setTextCursor(hit);
    editor_->setFocus();
    return true;
}

void TEditForm::show_find()
{
    if (!find_dialog_) {
        find_dialog_ = new QDialog(this);
        find_dialog_->setObjectName(QStringLiteral("FindDialog1"));
        find_dialog_->setWindowTitle(QStringLiteral("Hľadať"));
        find_edit_ = new QLineEdit(find_dialog_);
        auto* next = new QPushButton(QStringLiteral("Hľadať"), find_dialog_);
        next->setDefault(true);
        auto* row = new QHBoxLayout(find_dialog_);
        row->addWidget(find_edit_, 1);
        row->addWidget(next);
        connect(next, &QPushButton::clicked, this, [this] { find_next(find_edit_->text()); });
    }
    find_dialog_->show();
    find_dialog_->raise();
    find_dialog_->activateWindow();
}

void TEditForm::text_menu(const QPoint& pos)
{
    QMenu menu(this);
    const bool selected = editor_ ? editor_->textCursor().hasSelection() : view_->has_selection();
    QAction* cut = menu.addAction(QStringLiteral("Cu&t"), this, [this] { editor()->cut(); });
    cut->setEnabled(selected);
    QAction* copy = menu.addAction(QStringLiteral("&Copy"), this, [this] {
        if (editor_)
            editor_->copy();
        else
            view_->copy();
    });
    copy->setEnabled(selected);
    menu.addAction(QStringLiteral("&Paste"), this, [this] {
        // Nothing to paste changes nothing: the view stays.
        if (editor_ || !QApplication::clipboard()->text().isEmpty()) editor()->paste();
    });
    menu.addSeparator();
    QAction* find = menu.addAction(QStringLiteral("Hľadať"), this, &TEditForm::show_find);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    menu.exec(text_pane()->viewport()->mapToGlobal(pos));
}

// ---------------------------------------------------------------- closing

bool TEditForm::query_close()
{
    if (!is_modified()) return true;
    const QString question = g_.lang.mess(41);
    int answer = 0;
    if (g_.ui) {
        answer = g_.ui->show_message(question, btn::yes | btn::no | btn::cancel);
    } else {
        const auto r = QMessageBox::question(this, QStringLiteral("Info"), question,
                                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        answer = r == QMessageBox::Yes ? mr::yes : r == QMessageBox::No ? mr::no : mr::cancel;
    }
    if (answer == mr::yes) return save(); // a cancelled or failed save keeps the window and its text
    return answer == mr::no;
}

void TEditForm::closeEvent(QCloseEvent* event)
{
    if (query_close())
        event->accept();
    else
        event->ignore();
}

bool TEditForm::command(int code)
{
    switch (code) {
    case viewer_cmd::find:
        show_find();
        return true;
    case viewer_cmd::save:
        save();
        return true;
    case viewer_cmd::full_graph:
        RedrawGraph();
        return true;
    case viewer_cmd::zoom_in:
        GraphZoomIn();
        return true;
    case viewer_cmd::zoom_out:
        GraphZoomOut();
        return true;
    case viewer_cmd::save_picture:
        GraphSave();
        return true;
    case viewer_cmd::copy_picture:
        GraphCopy();
        return true;
    case viewer_cmd::graph_style:
        ChangeGraphStyle();
        plot_->replot();
        return true;
    case viewer_cmd::print:
        if (on_print) on_print();
        return true;
    case viewer_cmd::html_report:
        if (on_report) on_report();
        return true;
    default:
        return false;
    }
}

} // namespace vx
