#pragma once
// The record viewer: a child window of the main window's document area with
// the record text on the left and its chart (RecordChart) on the right. The
// chart is always rebuilt from the text; the main window drives the viewer
// through command().
//
// The text is held in one piece (RecordText) and the text pane
// (RecordTextEdit) paints and edits it in place, so that a file of a million
// lines opens at once and a key typed into it costs milliseconds; the chart,
// find, save and printing read the same text.
#include "records/graph_model.h"
#include "records/record_summary.h"
#include "records/record_text.h"

#include <QString>
#include <QWidget>
#include <functional>

class QAbstractScrollArea;
class QCustomPlot;
class QImage;
class QEvent;
class QLabel;
class QPagedPaintDevice;
class QSplitter;
class QStatusBar;
class QDialog;
class QLineEdit;
class QMenu;
class QPushButton;
class QAction;

namespace vx
{

struct Global;
class RecordChart;
class RecordTextEdit;

// Commands the main window sends to the active viewer.
namespace viewer_cmd
{
inline constexpr int find = 100;
inline constexpr int save = 101;
inline constexpr int print = 500;
inline constexpr int print_preview = 501;
inline constexpr int full_graph = 604;
inline constexpr int zoom_in = 605;
inline constexpr int zoom_out = 606;
inline constexpr int save_picture = 607;
inline constexpr int copy_picture = 608;
inline constexpr int html_report = 609;
inline constexpr int graph_style = 610;
} // namespace viewer_cmd

// The limits the attached logger holds for its mission, when its records go
// to record_file (the mission's file in the log directory); none otherwise.
std::pair<std::optional<double>, std::optional<double>> mission_limits(const Global& g,
                                                                       const QString& record_file);

class TEditForm : public QWidget
{
    Q_OBJECT
public:
    explicit TEditForm(Global& g, QWidget* parent = nullptr);
    ~TEditForm() override;

    // Runs a main-window command; false for numbers the viewer does not know.
    // Printing (500), its preview (501) and the HTML report (609) run
    // on_print, on_preview and on_report.
    bool command(int code);
    // Printing and the report use the program's printer and report window,
    // which the main window owns: it sets these.
    std::function<void()> on_print;
    std::function<void()> on_report;
    std::function<void()> on_preview; // 501: the print preview

    // --- text ---
    void add_line(const QString& line); // appends one line to the text
    void clear();                       // empties the text (not modified)
    void set_text(const QString& text);
    QString text() const;
    int line_count() const;
    bool is_modified() const;
    void set_modified(bool modified);
    QString file_name() const { return file_name_; }
    void set_file_name(const QString& path) { file_name_ = path; }
    // Loads a record text file (code page 1250, CR LF or LF lines) as
    // "TEXT FILE:" and the path, then the file's lines; the viewer takes the
    // path as its file name and the bare file name as its caption, not
    // modified. false when the file cannot be read, with the reason in error.
    bool open_file(const QString& path, QString* error = nullptr);
    // Width of the text pane in pixels (177 at creation).
    void set_text_width(int pixels);
    // The chart in front: room beside the text when the user had closed it,
    // the whole graph drawn, the focus on it.
    void show_chart();

    // --- graph ---
    // Where the graph controls come from at drawing time (the main window's
    // "Graf" tab); without a source the last controls set are used.
    void set_controls_source(std::function<GraphControls()> source) { controls_source_ = std::move(source); }
    void set_graph_controls(const GraphControls& c) { controls_ = c; }
    // Rebuilds the chart from the text (the whole graph).
    void RedrawGraph();
    void ChangeGraphStyle();
    void GraphZoomIn();
    void GraphZoomOut();
    void GraphSave(); // asks for a file, then save_picture
    void GraphCopy();
    bool save_picture(const QString& path, bool gif, QString* error = nullptr);
    QImage picture() const; // the chart drawn at its current size
    // The chart at its current size with one series and its value axis only
    // (the first on the left axis, or the second on the right axis); the
    // chart's own state is left as it was.
    QImage series_picture(bool second);
    // The second value series of the last redraw (read by the report).
    bool has_second_series() const;
    // Points drawn by the last redraw (0 when the text held no record).
    int graph_points() const;
    // The time axis range shown, in seconds since the epoch.
    std::pair<double, double> time_range() const;
    // Texts of the mouse read-out for a position in chart pixels.
    QString readout_time(double pixel_x) const;
    QString readout_value(double pixel_y) const;
    QString status_text(int panel) const;
    // Status bar panels 0..3 (0: the line count, kept current as the text
    // changes, or messages).
    void set_status(int panel, const QString& text);

    // --- summary ---
    // The model of the viewer's records: the attached logger's for its own
    // download, else told from the text (0 when unknown).
    std::optional<std::uint16_t> model_hint() const;
    // The limits of the summary, set by whoever opened the viewer (the
    // browser's filter page); without them those of the mission when the
    // attached logger records into the viewer's file. A view that holds
    // only the records beyond its limits cannot tell how long they lasted:
    // its summary is that of the whole file source (empty: its own text).
    void set_summary_limits(std::optional<double> above, std::optional<double> below,
                            const QString& source = {});
    // The summary of the viewer's records (see record_summary.h).
    RecordSummary summary() const;

    // --- saving the text ---
    // The save dialog, proposing the viewer's file name; false when cancelled
    // or not written. A selection view asks before it replaces a file that
    // holds records (other than the one it was last saved to).
    bool save();
    // The viewer holds a selection of a record database (filtered records,
    // flow totals, downloaded records), not a whole database.
    void set_selection_view(bool on) { selection_view_ = on; }
    // Writes the text to path in code page 1250 with CR LF lines; on success
    // the caption becomes the file name and the text is not modified. A save
    // into the log directory or over a file that held records leaves a
    // record-file-save entry in the audit trail (a failed one too), and one
    // into the log directory notes the file's digest.
    bool save_to(const QString& path, QString* error = nullptr);
    // Dialog replacements for tests: return the chosen path, empty for cancel.
    std::function<QString(const QString& proposed)> ask_text_path;
    // Returns the chosen path and whether the GIF filter was chosen.
    std::function<QString(bool* gif)> ask_picture_path;

    // --- find ---
    void show_find();
    // Searches case-sensitively from the end of the selection to the end;
    // a hit is selected.
    bool find_next(const QString& what);

    // Asks MESS41 when the text is modified; true when the window may close.
    bool query_close();

    // The chart's hint and menu, the text's pop-up menu and the find dialog
    // from the language table.
    void ChangeLanguage();
    // The pop-up menu of the text pane (cut, copy, paste, find).
    QMenu* text_menu() const { return text_menu_; }

    // The text pane.
    RecordTextEdit* text_pane() const { return view_; }
    // Prints the text as it stands in the pane's font and tab stops, one
    // page after another.
    // The text as the pane shows it, after the summary lines when there are any.
    void print_text(QPagedPaintDevice* printer, const QStringList& summary = {}) const;
    QCustomPlot* plot() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void show_line_count();
    void replace_text(QString text);
    void show_text_menu(const QPoint& pos);
    // Asks whether the file of records at path may be replaced by this view.
    bool may_replace_records(const QString& path);
    GraphControls controls() const;

    Global& g_;
    RecordText text_;
    RecordTextEdit* view_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QStatusBar* status_ = nullptr;
    QLabel* panels_[4] = {};
    RecordChart* chart_ = nullptr;
    QDialog* find_dialog_ = nullptr;
    QLineEdit* find_edit_ = nullptr;
    QPushButton* find_next_ = nullptr;
    QMenu* text_menu_ = nullptr;
    QAction *cut_ = nullptr, *copy_ = nullptr, *paste_ = nullptr, *find_ = nullptr;
    QString file_name_;
    bool selection_view_ = false;
    QString written_; // the file the text was last saved to
    GraphControls controls_;
    std::function<GraphControls()> controls_source_;
    std::optional<std::pair<std::optional<double>, std::optional<double>>> limits_;
    QString summary_source_;
};

} // namespace vx
