#pragma once
// The main window TForm1: the frame of the program. A tool bar, the tab strip
// that shows the attached logger, the multiple-document area for record
// viewers, the tip window, the status bar and the 700 ms poll timer. The
// window only gathers inputs and shows results: the poll, the clock and the
// service flows live in their own classes.
#include "logger/display.h"
#include "logger/download.h"
#include "records/graph_model.h"

#include <QDate>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QDockWidget;
class QGroupBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSpinBox;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;

namespace vx
{

struct Global;
class PollCycle;
class SerialNumberChange;
class TEditForm;
class TCommPortDriver;
class ViewerSink;
class TipWindow;
class Tfcalini;
class Tfgprop;
class Tfrmopenbase;
class Tfrmprint;
class Tfreport;
class Tfrmsetup;
class Tfrmstart;

// Work that other windows provide. An empty hook makes its action do nothing.
struct MainWindowHooks {
    std::function<QWidget*(const QString&)> open_text; // a new viewer over a record text file
    // The open dialog of "Otvoriť textový súbor": the file chosen, empty for
    // cancel. When unset the standard file dialog asks.
    std::function<QString()> choose_text_file;
    std::function<void()> start_mission;               // replaces the modal mission-start window
    std::function<void()> about;                       // "O programe"
    // Starts an external program without activating it; true when it started.
    std::function<bool(const QString&)> start_program;
};

class TForm1 : public QMainWindow, public LoggerDisplay, public DownloadHost
{
    Q_OBJECT
public:
    explicit TForm1(Global& g, QWidget* parent = nullptr);
    ~TForm1() override;

    // The start-up sequence: settings, language texts, tips, COM port, timer.
    void start();

    MainWindowHooks hooks;

    // LoggerDisplay
    void apply(const StatusView& view) override;
    void clear_panels() override;
    void set_link_status(const QString& text) override;
    void set_clock_text(const QString& text) override;
    void show_mission_name(const QString& name) override;
    void stop_poll() override;
    void start_poll() override;
    bool poll_running() const override;
    void first_tick() override;
    void show_tip(const QString& key) override;
    void new_records_check() override;

    // DownloadHost: the record downloads open their viewers here and report
    // into the window's panels. stop_poll, start_poll and show_tip above
    // serve both.
    RecordSink* open_text_window(const QString& caption, const QString& first_line) override;
    void set_window_modified(RecordSink* window, bool modified) override;
    void redraw_graph(RecordSink* window) override;
    void refresh_database_browser() override;
    void set_status_text(const QString& text) override;
    void set_new_records_text(const QString& text) override;
    QString pointer_text() const override;

    // The downloads of "Prenos" (F5), "Prenos záznamov" (F6) and the check
    // after every good name block.
    Download* download() const { return download_.get(); }

    // Copies the main window's captions, hints and menu texts from the
    // language table (only when a language section was loaded).
    void ChangeLanguage();

    // The graph tab as the record viewers read it when they draw.
    GraphControls graph_controls() const;
    // Sends a command to the active record viewer; false when there is none.
    bool send_viewer_command(int code, int parameter = 1);
    // The active viewer's sub-window; when none is active (the main window
    // itself lacks focus) the one opened last; nullptr without viewers.
    QMdiSubWindow* current_subwindow() const;
    TEditForm* current_viewer() const;
    QMdiArea* mdi() const { return mdi_; }
    // Adds a record viewer to the multiple-document area and enables "Okno",
    // "Uložiť" and "Hľadať" (disabled again when the last viewer closes). The
    // viewer opens wholly inside the document area at its designed size, as
    // far as there is room; maximised with PANMAXIMIZE or when the area is
    // too small to read it otherwise.
    void add_viewer(TEditForm* viewer);
    // Opens a record text file in a new viewer: first line "TEXT FILE:" and
    // the file name, not modified, captioned with the bare file name, drawn.
    TEditForm* open_text_file(const QString& path);

    // The database browser, created on first use (at the latest by the first
    // poll tick with an open link).
    Tfrmopenbase* database_browser();
    // "Otvoriť Databázu záznamov": shows the browser.
    void open_database();
    // Commands 500 and 609 of a viewer: print it on the program's printer
    // (asking for a printer or PDF file first when none is chosen), or make
    // its HTML report.
    void print_viewer(TEditForm* viewer);
    void report_viewer(TEditForm* viewer);
    // Starts the external graph program once per run.
    void start_graph_program();

    PollCycle* poll() const { return poll_.get(); }
    TipWindow* tip_window() const { return tip_; }
    QTimer* timer() const { return Timer1; }

    // Setup-window and mission-start-window adaptations of the last status.
    bool setup_calib_group_visible = true;
    bool setup_correction_enabled = false;
    bool start_timing_inputs_visible = true;

signals:
    // After every change of the graph tab's controls (and by "Graf").
    void graph_changed();

protected:
    // Asks MESS41 for every modified viewer first (Cancel keeps the program
    // open), then stores the geometry.
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_actions();
    void build_menus();
    void build_toolbar();
    void build_tabs();
    void build_status_bar();
    void connect_actions();
    // The bounds without stored geometry: two thirds of the desktop's free
    // area, centred.
    QRect designed_bounds() const;
    void apply_geometry();
    void place_viewer(QMdiSubWindow* sub, const QSize& designed);
    void tab_shown(int index);
    void show_day_tip();
    void dock_tool_window(QDockWidget* dock, Qt::DockWidgetArea area);
    // Commands that act on a viewer are enabled only while one exists;
    // leaving is a viewer's sub-window on its way out.
    void update_viewer_actions(QMdiSubWindow* leaving = nullptr);

    // Action handlers.
    void on_open_text();
    void on_calibration_file();
    void on_start_mission();
    void on_set_time();
    void on_program_settings();
    void on_graph();
    void on_print_settings();
    void on_help();
    void show_about();
    void on_show_tip();
    void on_connect(bool down);
    void on_serial_double_click();
    void on_graph_control_changed();

    Global& g_;
    std::unique_ptr<PollCycle> poll_;
    std::unique_ptr<SerialNumberChange> serial_change_;
    std::unique_ptr<Download> download_;
    // The download targets handed out, one per download viewer; they outlive
    // their viewers, which the user may close while a transfer runs.
    std::vector<std::unique_ptr<ViewerSink>> sinks_;
    // The file last chosen in the open dialog: new viewers propose it when saved.
    QString last_open_file_;
    bool graph_program_started_ = false;
    bool started_ = false;

public:
    // Controls, named as in the window layout (objectName = member name).
    QToolBar* ToolBar1 = nullptr;
    QAction *Act_save = nullptr, *openbase = nullptr, *print = nullptr, *Act_graph = nullptr,
            *find_act = nullptr;
    QAction *act_newrecords = nullptr, *help_action = nullptr, *startmission = nullptr, *A_conn = nullptr;
    QAction *actopentext = nullptr, *Kalibransbor2 = nullptr, *Nastaveniatlae1 = nullptr,
            *N7koniec1 = nullptr;
    QAction *Prenoszznamov1 = nullptr, *set_time = nullptr, *Nastaveniaprogramu1 = nullptr;
    QAction *win_next = nullptr, *win_prev = nullptr, *win_max = nullptr, *win_tile_v = nullptr,
            *win_tile_h = nullptr, *win_cascade = nullptr, *win_close = nullptr;
    QAction *Agr_Property = nullptr, *agr_zoomin = nullptr, *agr_zoomout = nullptr, *agr_save = nullptr,
            *agr_copy = nullptr, *agr_Print = nullptr, *agr_full = nullptr, *agr_style = nullptr;
    QAction *Oprograme1 = nullptr, *Act_showtip = nullptr;
    QToolButton* btCOM = nullptr;
    QMenu *menu_file = nullptr, *menu_services = nullptr, *menu_window = nullptr, *menu_graph = nullptr,
          *menu_help = nullptr;

    QTabWidget* PageControl1 = nullptr;
    QWidget *tab_global = nullptr, *tab_actual = nullptr, *tab_mission = nullptr, *tab_conditions = nullptr,
            *tab_graph = nullptr;
    // "Obecné"
    QLabel *PanTime = nullptr, *LBLsn = nullptr, *pansn = nullptr, *LBLbat = nullptr, *panbat = nullptr;
    QLabel *LBLtype = nullptr, *pantype = nullptr, *LBLname = nullptr, *Panmisname = nullptr,
           *LBLnewrec = nullptr, *PannewRec = nullptr;
    // "Aktuálne hodnoty"
    QLabel *LBLaktval = nullptr, *pantemp = nullptr, *LBLunit1 = nullptr;
    QWidget* BevelHumi = nullptr;
    QLabel *LBLhumi = nullptr, *panhumi = nullptr, *LBLunit2 = nullptr, *panIBname = nullptr,
           *PanTempFahren = nullptr;
    // "Misia"
    QLabel *LBLname2 = nullptr, *panmisname2 = nullptr;
    QCheckBox *CHKmission = nullptr, *CHKroll = nullptr;
    QLabel *LBLstart = nullptr, *Panel3 = nullptr, *LBLdelay = nullptr, *PANdelay = nullptr;
    QLabel *LBLperiod = nullptr, *PanPeriod = nullptr, *LBLperiodunit = nullptr, *LBLptr = nullptr,
           *panptr = nullptr;
    // "Podmienky"
    QLabel *LBLgrad = nullptr, *PanGrad = nullptr, *LBLgradunit = nullptr;
    QGroupBox* Hranice = nullptr;
    QLabel *LBLlo = nullptr, *panLo = nullptr, *LBLhi = nullptr, *PanHI = nullptr;
    QCheckBox* chkpriemer = nullptr;
    // "Graf"
    QToolBar* ToolBar2 = nullptr;
    QCheckBox* DateTimePicker1Check = nullptr;
    QDateEdit* DateTimePicker1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel *LBLtempaxis = nullptr, *LBLhumiaxis = nullptr;
    QSpinBox *SpinEdit1 = nullptr, *SpinEdit2 = nullptr, *SpinEdit3 = nullptr, *SpinEdit4 = nullptr;
    QCheckBox* CheckBox1 = nullptr;

    QMdiArea* mdi_ = nullptr;
    TipWindow* tip_ = nullptr;
    QLabel *stbar0 = nullptr, *stbar1 = nullptr, *stbar2 = nullptr;
    QTimer* Timer1 = nullptr;
    Tfcalini* fcalini = nullptr;
    Tfgprop* fgprop = nullptr;
    Tfrmstart* frmstart = nullptr; // made at the first mission start
    Tfrmsetup* frmsetup = nullptr; // made at the first "Nastavenia programu"
    Tfrmopenbase* frmopenbase = nullptr;
    Tfrmprint* frmprint = nullptr;
    Tfreport* freport = nullptr;
    TCommPortDriver* CommDrv = nullptr;
};

} // namespace vx
