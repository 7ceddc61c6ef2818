#include "viewer/record_viewer.h"

#include "base/code_page.h"
#include "base/safe_file.h"
#include "base/ui_port.h"
#include "logger/audit_log.h"
#include "logger/program_state.h"
#include "records/database_view.h"
#include "records/record_csv.h"
#include "records/record_file.h"
#include "records/record_source.h"
#include "viewer/record_chart.h"
#include "viewer/record_text_edit.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QStatusBar>
#include <QTextDocument>
#include <QVBoxLayout>
#include <cmath>

namespace vx
{

namespace
{

// Whether the file at path holds record lines (among its first lines).
bool holds_records(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    bool found = false;
    for_each_line(from_cp1250(f.read(1 << 16)),
                  [&found](QStringView line) { found = found || parse_record_fields(line).count > 0; });
    return found;
}

} // namespace

TEditForm::TEditForm(Global& g, QWidget* parent) : QWidget(parent), g_(g)
{
    setObjectName(QStringLiteral("EditForm"));
    setWindowTitle(g_.lang.capt(201));

    view_ = new RecordTextEdit(text_, this);
    view_->setObjectName(QStringLiteral("Editor"));
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Columns line up on short tab stops, so date, time and two values fit the
    // narrow pane.
    view_->set_tab_stop_distance(QFontMetricsF(view_->font()).horizontalAdvance(QStringLiteral("00")));
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &RecordTextEdit::customContextMenuRequested, this, &TEditForm::show_text_menu);
    connect(view_, &RecordTextEdit::changed, this, &TEditForm::show_line_count);
    // Ctrl+F itself belongs to the main window's find action (command 100);
    // a second shortcut here would make the key ambiguous.

    chart_ = new RecordChart(g_, this);
    connect(chart_, &RecordChart::whole_graph_requested, this, &TEditForm::RedrawGraph);
    connect(chart_, &RecordChart::save_requested, this, &TEditForm::GraphSave);
    connect(chart_, &RecordChart::readout, this, [this](const QString& time, const QString& value) {
        panels_[1]->setText(time);
        panels_[2]->setText(value);
    });

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->addWidget(view_);
    splitter_->addWidget(chart_);
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

    text_menu_ = new QMenu(this);
    text_menu_->setObjectName(QStringLiteral("TextMenu"));
    cut_ = text_menu_->addAction(QString(), view_, &RecordTextEdit::cut);
    copy_ = text_menu_->addAction(QString(), view_, &RecordTextEdit::copy);
    paste_ = text_menu_->addAction(QString(), view_, &RecordTextEdit::paste);
    text_menu_->addSeparator();
    find_ = text_menu_->addAction(QString(), this, &TEditForm::show_find);
    find_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));

    find_dialog_ = new QDialog(this);
    find_dialog_->setObjectName(QStringLiteral("FindDialog1"));
    find_edit_ = new QLineEdit(find_dialog_);
    find_next_ = new QPushButton(find_dialog_);
    find_next_->setDefault(true);
    auto* row = new QHBoxLayout(find_dialog_);
    row->addWidget(find_edit_, 1);
    row->addWidget(find_next_);
    connect(find_next_, &QPushButton::clicked, this, [this] { find_next(find_edit_->text()); });
    ChangeLanguage();
}

void TEditForm::ChangeLanguage()
{
    const Language& L = g_.lang;
    chart_->ChangeLanguage();
    const std::pair<QAction*, int> items[] = {{cut_, 66}, {copy_, 67}, {paste_, 68}, {find_, 69}};
    for (const auto& [action, n] : items)
        action->setText(L.menu(n));
    find_dialog_->setWindowTitle(L.capt(32));
    find_next_->setText(L.capt(33));
}

TEditForm::~TEditForm()
{
    // The pane shows text_, which would otherwise go before the child widgets.
    delete view_;
}

GraphControls TEditForm::controls() const
{
    return controls_source_ ? controls_source_() : controls_;
}

// ---------------------------------------------------------------- graph

void TEditForm::RedrawGraph()
{
    const RecordText& t = text_;
    // The axes and the legend name the channels of the records' model.
    QStringList first;
    for (qsizetype i = 0; i < std::min<qsizetype>(t.line_count(), 2000); ++i)
        first << t.line(i).toString();
    const QList<CsvChannel> channels = channels_of(first, model_hint()).channels;
    auto title = [&channels](int i) {
        if (i >= channels.size()) return QStringLiteral("Value %1").arg(i + 1);
        const CsvChannel& c = channels[i];
        return c.unit.isEmpty() ? c.name : c.name + QStringLiteral(" [") + c.unit + QLatin1Char(']');
    };
    chart_->set_titles(g_.lang.capt(192), title(0), title(1));
    chart_->draw(build_series_from(t), controls());
}

std::optional<std::uint16_t> TEditForm::model_hint() const
{
    // The records of a download of the attached logger are of its model.
    if (g_.ident.type_code != 0 && line_count() > 0 &&
        text_.line(0).toString() == g_.lang.mess(204) + g_.status.mission_name)
        return g_.ident.type_code;
    return std::nullopt;
}

void TEditForm::set_summary_limits(std::optional<double> above, std::optional<double> below,
                                   const QString& source)
{
    limits_ = std::pair{above, below};
    summary_source_ = source;
}

RecordSummary TEditForm::summary() const
{
    SummaryOptions o;
    o.type_code = model_hint();
    std::tie(o.above, o.below) = limits_ ? *limits_ : mission_limits(g_, file_name_);
    // The record file's clock notes place its stamps in time.
    const QString source = summary_source_.isEmpty() ? file_name_ : summary_source_;
    if (!source.isEmpty()) o.clock_notes = RecordSourceStore().clock_notes(QFileInfo(source).fileName());
    if (!summary_source_.isEmpty()) {
        QFile f(summary_source_);
        if (f.open(QIODevice::ReadOnly)) return summarize_records(from_cp1250(f.readAll()), o);
    }
    return summarize_records(text(), o);
}

std::pair<std::optional<double>, std::optional<double>> mission_limits(const Global& g,
                                                                       const QString& record_file)
{
    if (g.ident.type_code == 0 || g.status.mission_name.isEmpty() || record_file.isEmpty()) return {};
    const QString mission = database_path(log_dir(g.settings.LOGDIR, g.program_dir), g.status.mission_name);
    if (QFileInfo(mission).absoluteFilePath() != QFileInfo(record_file).absoluteFilePath()) return {};
    return {g.status.upper_limit, g.status.lower_limit};
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

void TEditForm::show_chart()
{
    if (splitter_->sizes().value(1) == 0) {
        const int text = splitter_->sizes().value(0);
        const int pane = std::min(text, splitter_->width() / 3);
        splitter_->setSizes({pane, splitter_->width() - pane});
    }
    RedrawGraph();
    chart_->setFocus();
}

QString TEditForm::status_text(int panel) const
{
    return panel >= 0 && panel < 4 ? panels_[panel]->text() : QString();
}

void TEditForm::set_status(int panel, const QString& text)
{
    if (panel >= 0 && panel < 4) panels_[panel]->setText(text);
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

// The chart's side, as the main window's commands and the report reach it.
void TEditForm::ChangeGraphStyle()
{
    chart_->apply_style();
}
void TEditForm::GraphZoomIn()
{
    chart_->zoom_in();
}
void TEditForm::GraphZoomOut()
{
    chart_->zoom_out();
}
void TEditForm::GraphCopy()
{
    chart_->copy_picture();
}
bool TEditForm::save_picture(const QString& path, bool gif, QString* error)
{
    return chart_->save_picture(path, gif, error);
}
QImage TEditForm::picture() const
{
    return chart_->picture();
}
QImage TEditForm::series_picture(bool second)
{
    return chart_->series_picture(second);
}
bool TEditForm::has_second_series() const
{
    return chart_->has_second_series();
}
int TEditForm::graph_points() const
{
    return chart_->points();
}
std::pair<double, double> TEditForm::time_range() const
{
    return chart_->time_range();
}
QString TEditForm::readout_time(double pixel_x) const
{
    return chart_->readout_time(pixel_x);
}
QString TEditForm::readout_value(double pixel_y) const
{
    return chart_->readout_value(pixel_y);
}
QCustomPlot* TEditForm::plot() const
{
    return chart_;
}

// ---------------------------------------------------------------- text

void TEditForm::add_line(const QString& line)
{
    if (text_.size() == 0 && line.isEmpty()) return; // nothing changes, as in a plain-text pane
    // Lines added at the end move no position of the undo history.
    text_.append_line(line);
    view_->lines_appended();
    view_->set_modified(true);
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
    text_.assign(std::move(text));
    view_->text_replaced();
    show_line_count();
}

bool TEditForm::open_file(const QString& path, QString* error)
{
    QFile f(path);
    // A folder opens as an empty file: it is none.
    if (QFileInfo(path).isDir() || !f.open(QIODevice::ReadOnly)) {
        if (error) *error = QFileInfo(path).isDir() ? QStringLiteral("Is a directory") : f.errorString();
        return false;
    }
    QString text = QStringLiteral("TEXT FILE:") + path + QLatin1Char('\n');
    // Read in pieces into the one string the pane keeps: a large file is
    // never held twice.
    text.reserve(text.size() + f.size());
    for (QByteArray piece; !(piece = f.read(1 << 20)).isEmpty();)
        append_cp1250(text, piece);
    if (f.error() != QFileDevice::NoError) {
        if (error) *error = f.errorString();
        return false;
    }
    f.close();
    replace_text(std::move(text));
    set_file_name(path);
    setWindowTitle(QFileInfo(path).fileName());
    return true;
}

QString TEditForm::text() const
{
    return text_.text();
}

int TEditForm::line_count() const
{
    return int(text_.line_count());
}

bool TEditForm::is_modified() const
{
    return view_->is_modified();
}

void TEditForm::set_modified(bool modified)
{
    view_->set_modified(modified);
}

void TEditForm::print_text(QPagedPaintDevice* printer, const QStringList& summary) const
{
    // The document a plain-text pane would print: its font, tab stops and lines.
    QTextDocument doc;
    doc.setDefaultFont(view_->font());
    QTextOption option = doc.defaultTextOption();
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(QFontMetricsF(view_->font()).horizontalAdvance(QStringLiteral("00")));
    doc.setDefaultTextOption(option);
    doc.setPlainText(summary.isEmpty()
                         ? text_.text()
                         : summary.join(QLatin1Char('\n')) + QStringLiteral("\n\n") + text_.text());
    doc.print(printer);
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
        // Without a file of its own the dialog starts beside the record files.
        dialog.setDirectory(g_.settings.LOGDIR);
        dialog.setNameFilters({g_.lang.menu(57), g_.lang.menu(195), csv_filter, g_.lang.menu(196)});
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
        options.type_code = model_hint();
        // A record file's times are placed by its clock notes.
        if (!file_name_.isEmpty())
            options.clock_notes = RecordSourceStore().clock_notes(QFileInfo(file_name_).fileName());
        if (write_csv_file(path, records_to_csv(lines, options).text, &error)) return true;
    } else if (selection_view_ && path != written_ && holds_records(path) && !may_replace_records(path)) {
        return false;
    } else if (save_to(path, &error)) {
        return true;
    }
    if (g_.ui)
        g_.ui->plain_message(error);
    else
        QMessageBox::warning(this, QStringLiteral("Info"), error);
    return false;
}

bool TEditForm::may_replace_records(const QString& path)
{
    const QString question = g_.lang.mess(55).arg(QDir::toNativeSeparators(path));
    // Yes loses the file's other records: Enter keeps them.
    if (g_.ui) return g_.ui->show_message(question, btn::yes | btn::no, mr::no) == mr::yes;
    return QMessageBox::question(this, QStringLiteral("Info"), question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool TEditForm::save_to(const QString& path, QString* error)
{
    // A record file reached by a link is not written through, as downloads do not.
    if (const QString link = link_refusal(path); !link.isEmpty()) {
        if (error) *error = QStringLiteral("Unable to write to %1: %2").arg(path, link);
        return false;
    }
    const RecordText& t = text_;
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

    // A save over a record file leaves its audit entry, failed ones too.
    const bool held_records = holds_records(path);
    QSaveFile file(path);
    if (!bytes || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit()) {
        if (error) *error = QStringLiteral("Unable to write to %1").arg(path);
        audit_record_file_save(g_, path, held_records,
                               bytes ? file.errorString() : QStringLiteral("not in code page 1250"));
        return false;
    }
    audit_record_file_save(g_, path, held_records);
    file_name_ = written_ = path;
    setWindowTitle(QFileInfo(path).fileName());
    set_modified(false);
    return true;
}

bool TEditForm::find_next(const QString& what)
{
    if (what.isEmpty()) return false;
    const qsizetype hit = text_.find(what, view_->selection_end());
    if (hit < 0) return false;
    view_->set_selection(hit, hit + what.size());
    view_->setFocus();
    return true;
}

void TEditForm::show_find()
{
    find_dialog_->show();
    find_dialog_->raise();
    find_dialog_->activateWindow();
}

void TEditForm::show_text_menu(const QPoint& pos)
{
    const bool selected = view_->has_selection();
    cut_->setEnabled(selected);
    copy_->setEnabled(selected);
    text_menu_->exec(view_->viewport()->mapToGlobal(pos));
}

// ---------------------------------------------------------------- closing

bool TEditForm::query_close()
{
    if (!is_modified()) return true;
    const QString question = g_.lang.mess(41);
    int answer = 0;
    if (g_.ui) {
        // No drops the text: Enter saves it (the save dialog) instead.
        answer = g_.ui->show_message(question, btn::yes | btn::no | btn::cancel, mr::yes);
    } else {
        const auto r =
            QMessageBox::question(this, QStringLiteral("Info"), question,
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
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
        chart_->replot();
        return true;
    case viewer_cmd::print:
        if (on_print) on_print();
        return true;
    case viewer_cmd::print_preview:
        if (on_preview) on_preview();
        return true;
    case viewer_cmd::html_report:
        if (on_report) on_report();
        return true;
    default:
        return false;
    }
}

} // namespace vx
