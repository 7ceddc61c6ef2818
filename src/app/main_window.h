#pragma once
// The main window TForm1: the frame of the program. Its actions and menus
// (MainActions), the logger pages (LoggerPages), the document area of record
// viewers (ViewerArea), the tip window, the status bar and the poll timer
// (PollControl). The window gathers inputs and shows results: the poll, the
// downloads, the clock and the service flows live in their own classes; the
// window opens the program's dialogs.
#include "app/main_actions.h"
#include "logger/display.h"
#include "records/graph_model.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QDockWidget;
class QLabel;
class QTimer;

namespace vx
{

struct Global;
class Download;
class LoggerPages;
class PollControl;
class PollCycle;
class QuestionBar;
class QtTranslation;
class SerialNumberChange;
class TEditForm;
class TCommPortDriver;
class TipWindow;
class TrendPage;
class Tfcalini;
class Tfrmaudit;
class Tfgprop;
class Tfrmopenbase;
class Tfrmprint;
class Tfreport;
class Tfrmsetup;
class Tfrmstart;
class ViewerArea;
class WindowDownloadHost;

// Work that other windows provide. An empty hook makes its action do nothing.
struct MainWindowHooks {
    std::function<QWidget*(const QString&)> open_text; // a new viewer over a record text file
    // The open dialog of "Otvoriť textový súbor": the file chosen, empty for
    // cancel. When unset the standard file dialog asks.
    std::function<QString()> choose_text_file;
    std::function<void()> start_mission; // replaces the modal mission-start window
    std::function<void()> about;         // "O programe"
    // Starts an external program without activating it; true when it started.
    std::function<bool(const QString&)> start_program;
    // The desktop's opener of the help page (F1), found in PATH; when it is
    // missing the page goes to QDesktopServices.
    QString help_opener = QStringLiteral("xdg-open");
};

class TForm1 : public QMainWindow, public LoggerDisplay, public MainActions
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

    // The downloads of "Prenos" (F5), "Prenos záznamov" (F6) and the check
    // after every good name block, and where they open their viewers.
    Download* download() const { return download_.get(); }
    WindowDownloadHost* download_host() const { return download_host_.get(); }
    // The database browser reads its file list again (after a download or a
    // mission start wrote a file).
    void refresh_database_browser();

    // Copies the main window's captions, hints and menu texts from the
    // language table (those of the windows' blocks only when a language
    // section was loaded).
    void ChangeLanguage();
    // After a change of LANGUAGE: the table built again from that section,
    // Qt's own texts in its language and every window's texts from the new
    // table. false, changing nothing, when the language file has no such
    // section (the change then counts from the next start).
    bool apply_language();

    // Where the poll's questions wait for an answer without stopping it.
    QuestionBar* question_bar() const { return question_bar_; }
    // The tab strip with the logger's pages and the graph page.
    LoggerPages* pages() const { return pages_; }
    // The page "Priebeh": the live readings since the logger was connected.
    TrendPage* trend() const { return trend_; }
    // The document area with the record viewers.
    ViewerArea* mdi() const { return mdi_; }
    // Sends a command to the active record viewer; false when there is none.
    bool send_viewer_command(int code, int parameter = 1);

    // The database browser, created on first use (at the latest by the first
    // poll tick with an open link).
    Tfrmopenbase* database_browser();
    // "Otvoriť Databázu záznamov": shows the browser.
    void open_database();
    // Command 609 of a viewer: its HTML report (command 500 prints it through
    // the print settings dialog frmprint).
    void report_viewer(TEditForm* viewer);
    // Starts the graph program named in the settings (GRAPHPROGRAM) once per
    // run; a program that does not start is reported. false without a program
    // or when it did not start.
    bool start_graph_program();

    PollCycle* poll() const;
    TipWindow* tip_window() const { return tip_; }
    QTimer* timer() const;

    // SIGTERM, SIGINT or SIGHUP: closes as the user would. Open questions and
    // dialogs are cancelled and a running exchange with the logger ended
    // first. On SIGINT (a user at the terminal) modified viewers are asked
    // about; on SIGTERM and SIGHUP nobody may be there to answer, so their
    // texts are kept (kept_texts.h) and offered again at the next start. The
    // port is released as the window closes.
    void close_on_signal(int signal);

    // Setup-window and mission-start-window adaptations of the last status.
    bool setup_calib_group_visible = true;
    bool setup_correction_enabled = false;
    bool start_timing_inputs_visible = true;

signals:
    // After every change of the graph page's controls (and by "Graf").
    void graph_changed();

protected:
    // Asks MESS41 for every modified viewer first (Cancel keeps the program
    // open), then stores the geometry.
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_status_bar();
    void connect_actions();
    // The bounds without stored geometry: two thirds of the desktop's free
    // area, centred.
    QRect designed_bounds() const;
    // The stored bounds fitted to the screen they lie on (see fit_window_geometry).
    void apply_geometry();
    // Moves and shrinks the window, frame included, into its screen's free area.
    void keep_on_screen();
    QMargins frame_margins() const;
    void tab_shown(int index);
    void dock_tool_window(QDockWidget* dock, Qt::DockWidgetArea area);
    // One step of close_on_signal; repeats until nothing is in the way.
    void signal_close_step();
    // The texts of modified viewers into the kept-texts file; false when it
    // cannot be written (the viewers then stay modified).
    bool keep_modified_viewers();
    // At start: viewers a signal ended without a question, opened again when the user agrees.
    void offer_kept_texts();
    // Commands that act on a viewer are enabled only while one exists.
    void update_viewer_actions(bool any);

    // Action handlers.
    void on_open_text();
    void on_calibration_file();
    void on_start_mission();
    void on_set_time();
    void on_program_settings();
    void on_audit_trail();
    void on_print_settings();
    void on_graph();
    void on_help();
    void on_show_tip();
    void on_connect(bool down);
    void on_serial_double_click();
    // Qt's translation for the language in use, replacing the one before.

    Global& g_;
    LoggerPages* pages_ = nullptr;
    QuestionBar* question_bar_ = nullptr;
    TrendPage* trend_ = nullptr;
    ViewerArea* mdi_ = nullptr;
    PollControl* poll_ = nullptr;
    std::unique_ptr<SerialNumberChange> serial_change_;
    std::unique_ptr<WindowDownloadHost> download_host_;
    std::unique_ptr<Download> download_;
    std::unique_ptr<QtTranslation> qt_translation_;
    bool graph_program_started_ = false;
    int closing_signal_ = 0; // the signal being handled, 0 when none
    bool browser_placed_ = false;
    bool started_ = false;

public:
    // Controls, named as in the window layout (objectName = member name);
    // the actions and menus are MainActions'.
    TipWindow* tip_ = nullptr;
    QLabel *stbar0 = nullptr, *stbar1 = nullptr, *stbar2 = nullptr;
    Tfcalini* fcalini = nullptr;
    Tfgprop* fgprop = nullptr;
    Tfrmstart* frmstart = nullptr; // made at the first mission start
    Tfrmsetup* frmsetup = nullptr; // made at the first "Nastavenia programu"
    Tfrmopenbase* frmopenbase = nullptr;
    Tfrmprint* frmprint = nullptr;
    Tfreport* freport = nullptr;
    Tfrmaudit* frmaudit = nullptr; // made at the first "Záznam auditu"
    TCommPortDriver* CommDrv = nullptr;
};

} // namespace vx
