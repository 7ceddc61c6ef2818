#include "app/main_window.h"

#include "app/about_box.h"
#include "app/audit_window.h"
#include "app/calibration_editor.h"
#include "app/download_host.h"
#include "app/logger_pages.h"
#include "app/poll_control.h"
#include "app/qt_translation.h"
#include "app/question_bar.h"
#include "app/serial_number_change.h"
#include "app/setup_dialog.h"
#include "app/start_mission_dialog.h"
#include "app/tip_window.h"
#include "app/trend_page.h"
#include "app/viewer_area.h"
#include "app/window_placement.h"
#include "base/ui_port.h"
#include "link/serial_port.h"
#include "logger/clock.h"
#include "logger/download.h"
#include "logger/poll.h"
#include "logger/program_state.h"
#include "viewer/database_browser.h"
#include "viewer/graph_properties_dialog.h"
#include "viewer/print_dialog.h"
#include "viewer/record_viewer.h"
#include "viewer/report.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProcess>
#include <QShowEvent>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace vx
{

namespace
{

// A status bar panel of a designed width that still lets the window shrink.
class StatusPanel : public QLabel
{
public:
    StatusPanel(int width, QWidget* parent) : QLabel(parent), width_(width) { setMaximumWidth(width); }
    QSize sizeHint() const override { return {width_, QLabel::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

private:
    int width_;
};

} // namespace

TForm1::TForm1(Global& g, QWidget* parent) : QMainWindow(parent), g_(g)
{
    setObjectName("Form1");
    setWindowTitle(QStringLiteral("VORLAN"));
    build_actions(this);
    build_menus(menuBar());
    build_toolbar(this);

    auto* central = new QWidget(this);
    auto* lay = new QVBoxLayout(central);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(2);
    question_bar_ = new QuestionBar(central);
    lay->addWidget(question_bar_);
    pages_ = new LoggerPages(central);
    pages_->set_graph_actions(
        {agr_full, agr_zoomin, agr_zoomout, agr_save, agr_copy, agr_Print, agr_style, Agr_Property});
    lay->addWidget(pages_);
    mdi_ = new ViewerArea(g_, central);
    lay->addWidget(mdi_, 1);
    trend_ = new TrendPage(g_);
    pages_->add_trend_page(trend_);
    // The trend page takes three quarters of the height from the viewers.
    connect(pages_, &LoggerPages::expanded_changed, this,
            [lay, this](bool on) { lay->setStretchFactor(pages_, on ? 3 : 0); });
    setCentralWidget(central);

    build_status_bar();

    // The two docking panels are the left and bottom dock areas; both are
    // empty at start. The tip window is the first tool window.
    setDockNestingEnabled(true);
    tip_ = new TipWindow(this);
    addDockWidget(Qt::LeftDockWidgetArea, tip_);
    tip_->hide();
    g_.tips.sink = [this](const QString& text) { tip_->set_text(text); };

    CommDrv = new TCommPortDriver(this);
    CommDrv->setObjectName("CommDrv");
    CommDrv->setPortName(TCommPortDriver::com_prefix + QStringLiteral("2"));
    CommDrv->setBaudRateValue(19200);
    g_.link.attach_driver(CommDrv);
    g_.link.attach_ui(g_.ui);

    poll_ = new PollControl(g_, *this, this);
    fcalini = new Tfcalini(g_, this);
    fgprop = new Tfgprop(g_, this);
    frmprint = new Tfrmprint(g_, this);
    freport = new Tfreport(g_, this);
    serial_change_ = std::make_unique<SerialNumberChange>(g_);
    download_host_ = std::make_unique<WindowDownloadHost>(*mdi_, *pages_, *this, stbar0);
    download_host_->refresh_browser = [this] { refresh_database_browser(); };
    download_host_->question_bar = question_bar_;
    download_ = std::make_unique<Download>(g_, *download_host_);

    mdi_->prepare = [this](TEditForm* viewer) {
        viewer->set_controls_source([this] { return pages_->graph_controls(); });
        viewer->on_print = [this, viewer] { frmprint->print_viewer(*viewer); };
        viewer->on_report = [this, viewer] { report_viewer(viewer); };
        viewer->on_preview = [this, viewer] { frmprint->preview_viewer(*viewer); };
    };
    connect_actions();
    update_viewer_actions(false);
    setGeometry(designed_bounds());
    // The texts of the table's own; a language section's come with start().
    ChangeLanguage();
}

TForm1::~TForm1() = default;

PollCycle* TForm1::poll() const
{
    return poll_->cycle();
}

QTimer* TForm1::timer() const
{
    return poll_->timer();
}

// ---------------------------------------------------------------- layout

void TForm1::build_status_bar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName("stbar");
    auto make = [bar](const char* name, int width) {
        auto* l = new StatusPanel(width, bar);
        l->setObjectName(name);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(l);
        return l;
    };
    stbar0 = make("stbar0", 100);
    stbar1 = make("stbar1", 100);
    stbar2 = make("stbar2", 50);
}

void TForm1::connect_actions()
{
    connect(openbase, &QAction::triggered, this, [this] {
        show_tip(QStringLiteral("OPENBASE"));
        open_database();
    });
    connect(actopentext, &QAction::triggered, this, &TForm1::on_open_text);
    connect(Kalibransbor2, &QAction::triggered, this, &TForm1::on_calibration_file);
    connect(Nastaveniatlae1, &QAction::triggered, this, &TForm1::on_print_settings);
    connect(N7koniec1, &QAction::triggered, this, &QWidget::close);

    connect(startmission, &QAction::triggered, this, &TForm1::on_start_mission);
    connect(act_newrecords, &QAction::triggered, this, [this] { download_->new_records(); });
    connect(Prenoszznamov1, &QAction::triggered, this, [this] { download_->newest_records(); });
    connect(set_time, &QAction::triggered, this, &TForm1::on_set_time);
    connect(Nastaveniaprogramu1, &QAction::triggered, this, &TForm1::on_program_settings);
    connect(Zaznamauditu1, &QAction::triggered, this, &TForm1::on_audit_trail);

    connect(win_next, &QAction::triggered, mdi_, &QMdiArea::activateNextSubWindow);
    connect(win_prev, &QAction::triggered, mdi_, &QMdiArea::activatePreviousSubWindow);
    connect(win_max, &QAction::triggered, this, [this] {
        if (QMdiSubWindow* w = mdi_->current_subwindow()) w->showMaximized();
    });
    connect(win_tile_v, &QAction::triggered, this, [this] { mdi_->tile(true); });
    connect(win_tile_h, &QAction::triggered, this, [this] { mdi_->tile(false); });
    connect(win_cascade, &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
    connect(Act_graph, &QAction::triggered, this, &TForm1::on_graph);
    connect(win_close, &QAction::triggered, this, [this] {
        if (QMdiSubWindow* w = mdi_->current_subwindow()) w->close();
    });

    connect(Agr_Property, &QAction::triggered, this, [this] {
        if (!mdi_->current_viewer()) return;
        fgprop->show();
        fgprop->raise();
    });
    fgprop->style_changed = [this] { send_viewer_command(viewer_cmd::graph_style); };
    // Items that are commands to the active viewer.
    namespace cmd = viewer_cmd;
    const std::pair<QAction*, int> commands[] = {
        {Act_save, cmd::save},         {print, cmd::print},
        {find_act, cmd::find},         {print_preview, cmd::print_preview},
        {agr_zoomin, cmd::zoom_in},    {agr_zoomout, cmd::zoom_out},
        {agr_save, cmd::save_picture}, {agr_copy, cmd::copy_picture},
        {agr_Print, cmd::html_report}, {agr_full, cmd::full_graph},
        {agr_style, cmd::graph_style}};
    for (const auto& [action, code] : commands)
        connect(action, &QAction::triggered, this, [this, code = code] { send_viewer_command(code); });

    connect(Oprograme1, &QAction::triggered, this, [this] {
        if (hooks.about)
            hooks.about();
        else
            show_about_box(g_, this);
    });
    connect(help_action, &QAction::triggered, this, &TForm1::on_help);
    connect(Act_showtip, &QAction::triggered, this, &TForm1::on_show_tip);
    connect(A_conn, &QAction::toggled, this, &TForm1::on_connect);

    connect(pages_, &QTabWidget::currentChanged, this, &TForm1::tab_shown);
    pages_->pansn->installEventFilter(this);
    pages_->panhumi->installEventFilter(this);
    // Any change of the graph page redraws the active viewer's whole graph.
    connect(pages_, &LoggerPages::graph_changed, this, [this] {
        emit graph_changed();
        send_viewer_command(viewer_cmd::full_graph);
    });
    connect(mdi_, &ViewerArea::viewers_changed, this, &TForm1::update_viewer_actions);
}

// ---------------------------------------------------------------- start and close

void TForm1::start()
{
    if (started_) return;
    started_ = true;
    g_.poll.busy = false;
    g_.poll.first_tick_done = false;
    g_.poll.failures = 0;
    g_.transfer.write_to_database = false;
    if (g_.program_dir.isEmpty()) g_.program_dir = find_program_dir();
    // Settings that could not be read name no port of the user's: none is opened.
    const bool settings_read = load_settings(g_).isEmpty();
    install_qt_translation(qt_translation_, g_.settings.LANGUAGE);
    apply_geometry();
    // Windows made with this one take their texts now that the table exists.
    ChangeLanguage();
    frmprint->ChangeLanguage();
    freport->ChangeLanguage();
    fgprop->ChangeLanguage();
    g_.calib.calib_active = false;
    g_.transfer.already_asked = false;

    if (g_.settings.SHOWTIP) {
        g_.tips.seed(static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch()));
        dock_tool_window(tip_, Qt::LeftDockWidgetArea);
        g_.tips.random_day_tip();
    }

    const bool opened = settings_read && g_.link.open_comport(g_.settings.ComPort, g_.settings.port_devices);
    {
        const QSignalBlocker block(A_conn);
        A_conn->setChecked(opened);
    }
    if (!opened) {
        set_link_status(g_.lang.label(12));
        if (settings_read && g_.ui) g_.ui->show_message(port_failure_text(g_), btn::ok);
    }

    poll_->start();
    offer_kept_texts();
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Once framed, the frame is fitted to the screen as well.
    if (!event->spontaneous()) QTimer::singleShot(0, this, &TForm1::keep_on_screen);
    // The first page is shown with the window: that first showing gives no tip.
    if (g_.tips.skip_first_page_tip && pages_->currentIndex() == 0) tab_shown(0);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pages_->pansn && event->type() == QEvent::MouseButtonDblClick) {
        on_serial_double_click();
        return true;
    }
    if (watched == pages_->panhumi && event->type() == QEvent::MouseButtonPress) g_.poll.diagnostic = true;
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- language

bool TForm1::apply_language()
{
    if (!language_sections(g_.program_dir, g_.data_dir).contains(g_.settings.LANGUAGE, Qt::CaseInsensitive))
        return false;
    // The last transfer's record count is said again in the new language.
    const bool count_shown = stbar0->text() == record_count_text(g_.lang, g_.transfer.record_counter);
    const QString untitled = g_.lang.capt(201);
    g_.lang.build_language_tables(g_.program_dir, g_.settings.LANGUAGE, g_.data_dir);
    if (count_shown) stbar0->setText(record_count_text(g_.lang, g_.transfer.record_counter));
    g_.tips.language_changed();
    install_qt_translation(qt_translation_, g_.settings.LANGUAGE);
    ChangeLanguage();
    frmprint->ChangeLanguage();
    freport->ChangeLanguage();
    fgprop->ChangeLanguage();
    if (frmopenbase) frmopenbase->ChangeLanguage();
    if (frmstart) frmstart->ChangeLanguage();
    if (frmsetup) frmsetup->ChangeLanguage();
    if (frmaudit) frmaudit->ChangeLanguage();
    mdi_->ChangeLanguage(untitled);
    return true;
}

void TForm1::ChangeLanguage()
{
    const Language& L = g_.lang;
    MainActions::ChangeLanguage(L);
    pages_->ChangeLanguage(L);
    trend_->ChangeLanguage(L);
    // The panel shows "OK", nothing, or that no logger is read.
    if (!stbar1->text().isEmpty() && stbar1->text() != QLatin1String("OK")) stbar1->setText(L.label(12));
    if (L.language_loaded) setWindowTitle(L.capt(15));
}

// ---------------------------------------------------------------- LoggerDisplay

void TForm1::apply(const StatusView& v)
{
    if (v.window_title) setWindowTitle(*v.window_title);
    pages_->apply(v);
    trend_->add(v);
    if (v.setup_calib_group_visible) setup_calib_group_visible = *v.setup_calib_group_visible;
    if (v.setup_correction_enabled) setup_correction_enabled = *v.setup_correction_enabled;
    if (v.start_timing_inputs_visible) start_timing_inputs_visible = *v.start_timing_inputs_visible;
}

void TForm1::clear_panels()
{
    // The logger is gone: a question about its records is moot.
    question_bar_->withdraw_question();
    pages_->clear_panels();
    startmission->setEnabled(false);
}

void TForm1::set_link_status(const QString& text)
{
    stbar1->setText(text);
}
void TForm1::set_clock_text(const QString& text)
{
    stbar2->setText(text);
}

void TForm1::show_mission_name(const QString& name)
{
    pages_->show_mission_name(name);
    startmission->setEnabled(true);
}

void TForm1::stop_poll()
{
    poll_->stop();
}
void TForm1::start_poll()
{
    poll_->start();
}
bool TForm1::poll_running() const
{
    return poll_->running();
}

void TForm1::first_tick()
{
    database_browser();
}

void TForm1::new_records_check()
{
    download_->check_new_records();
}

// ---------------------------------------------------------------- tips

void TForm1::show_tip(const QString& key)
{
    g_.tips.show_tip(key);
}

void TForm1::tab_shown(int index)
{
    static const char* const keys[] = {"TABGLOBAL", "TABACTUAL", "TABMISSION", "TABGRAD"};
    if (index == 0 && g_.tips.skip_first_page_tip) {
        g_.tips.skip_first_page_tip = false;
        return;
    }
    if (index >= 0 && index < 4) show_tip(QString::fromLatin1(keys[index]));
}

void TForm1::dock_tool_window(QDockWidget* dock, Qt::DockWidgetArea area)
{
    vx::dock_tool_window(*this, dock, area, menuBar()->height() + ToolBar1->height() + statusBar()->height());
}

void TForm1::on_show_tip()
{
    dock_tool_window(tip_, Qt::LeftDockWidgetArea);
    g_.settings.SHOWTIP = true;
    g_.tips.showtip = true;
    g_.tips.random_day_tip();
}

// ---------------------------------------------------------------- actions

void TForm1::refresh_database_browser()
{
    if (frmopenbase) frmopenbase->refresh();
}

bool TForm1::send_viewer_command(int code, int parameter)
{
    return mdi_->send_command(code, parameter);
}

void TForm1::update_viewer_actions(bool any)
{
    menu_window->menuAction()->setEnabled(any);
    for (QAction* a : viewer_actions())
        a->setEnabled(any);
}

void TForm1::on_open_text()
{
    const QString file =
        hooks.choose_text_file
            ? hooks.choose_text_file()
            : QFileDialog::getOpenFileName(this, QString(), g_.settings.LOGDIR, g_.lang.menu(57));
    if (file.isEmpty()) return;
    mdi_->set_last_open_file(file);
    mdi_->open_text_file(file);
}

Tfrmopenbase* TForm1::database_browser()
{
    if (frmopenbase) return frmopenbase;
    frmopenbase = new Tfrmopenbase(g_, this);
    frmopenbase->new_viewer = [this] { return mdi_->new_viewer(); };
    frmopenbase->auto_graph = [this] {
        if (read_autograph(g_.program_dir)) start_graph_program();
    };
    return frmopenbase;
}

void TForm1::open_database()
{
    Tfrmopenbase* browser = database_browser();
    // Opened first over this window; later where the user left it, brought
    // back when it was minimised.
    if (!browser_placed_) place_over(browser, this);
    browser_placed_ = true;
    browser->setWindowState(browser->windowState() & ~Qt::WindowMinimized);
    browser->show();
    browser->raise();
    browser->activateWindow();
}

void TForm1::on_print_settings()
{
    frmprint->load();
    frmprint->exec();
}

void TForm1::report_viewer(TEditForm* viewer)
{
    ReportRun run;
    run.position = geometry().topLeft();
    create_report(g_, *viewer, *freport, run);
}

void TForm1::on_calibration_file()
{
    poll_->timer()->stop();
    fcalini->exec();
    poll_->start();
}

void TForm1::on_start_mission()
{
    show_tip(QStringLiteral("START MISSION"));
    g_.poll.busy = true;
    if (hooks.start_mission) {
        hooks.start_mission();
    } else {
        if (!frmstart)
            frmstart = new Tfrmstart(g_,
                                     {[this] { return poll_->cycle()->decode_status(); },
                                      [this] { refresh_database_browser(); },
                                      [this](const QString& text) { download_host_->set_status_text(text); },
                                      [this] { download_->new_records(); }},
                                     this);
        frmstart->exec();
    }
    poll_->cycle()->clear_panels();
    g_.link.rx_buffer.clear();
    g_.poll.busy = false;
}

void TForm1::on_set_time()
{
    SetClock flow(g_, *this);
    flow.run();
}

void TForm1::on_program_settings()
{
    poll_->timer()->stop();
    if (!frmsetup) {
        Tfrmsetup::Hooks h;
        h.show_tip = [this](const QString& key) { show_tip(key); };
        h.refresh_database = [this] { refresh_database_browser(); };
        h.show_status = [this](const QString& text) { download_host_->set_status_text(text); };
        h.show_tips = [this](bool on) {
            g_.tips.showtip = on;
            if (on)
                dock_tool_window(tip_, Qt::LeftDockWidgetArea);
            else
                tip_->close();
        };
        frmsetup = new Tfrmsetup(g_, h, this);
    }
    frmsetup->set_service_mode(serial_change_->unlocked());
    frmsetup->prepare_for_show(g_.status.corr1, g_.settings.ComPort);
    const int result = frmsetup->exec();
    if (result == Tfrmsetup::confirmed && frmsetup->language_changed() && !apply_language() && g_.ui)
        g_.ui->show_message(g_.lang.mess(188), btn::ok);
    if (result != Tfrmsetup::cancelled && frmsetup->com_changed()) {
        const bool opened = change_com_port(g_, frmsetup->selected_com());
        const QSignalBlocker block(A_conn);
        A_conn->setChecked(opened);
        // A port that failed to open leaves the poll stopped.
        if (!opened) {
            poll_->cycle()->clear_panels();
            set_link_status(g_.lang.label(12));
            return;
        }
    }
    poll_->start();
}

void TForm1::on_audit_trail()
{
    if (!frmaudit) frmaudit = new Tfrmaudit(g_, frmprint->printer(), this);
    frmaudit->show();
    frmaudit->raise();
    frmaudit->activateWindow();
}

bool TForm1::start_graph_program()
{
    if (graph_program_started_) return true;
    const QString program = read_setting_string(g_.program_dir, key::GLOBAL, key::GRAPHPROGRAM, {});
    if (program.isEmpty()) return false;
    graph_program_started_ = hooks.start_program ? hooks.start_program(program)
                                                 : QProcess::startDetached(program, {}, g_.program_dir);
    if (!graph_program_started_ && g_.ui) g_.ui->plain_message(g_.lang.mess(47).arg(program));
    return graph_program_started_;
}

void TForm1::on_graph()
{
    if (!mdi_->current_viewer()) return;
    // Without a graph program the viewer's own chart comes forward.
    if (read_setting_string(g_.program_dir, key::GLOBAL, key::GRAPHPROGRAM, {}).isEmpty())
        mdi_->bring_chart_forward();
    else if (start_graph_program())
        QTimer::singleShot(1000, this, [this] { send_viewer_command(viewer_cmd::full_graph); });
}

void TForm1::on_help()
{
    const HelpPage help = find_help_page(g_);
    const QString opener = QStandardPaths::findExecutable(hooks.help_opener);
    if (help.path.isEmpty() || opener.isEmpty()) {
        if (!help.path.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(help.path))) return;
        if (g_.ui) g_.ui->plain_message(help.problem);
        return;
    }
    // The desktop's opener says whether a browser took the page; started
    // detached it would fail without a word. It has no parent: a browser it
    // runs in its place outlives this window.
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::SeparateChannels);
    const QString problem = help.problem;
    auto report = [this, process, problem](const QString& why) {
        process->deleteLater();
        if (g_.ui) g_.ui->plain_message(why.isEmpty() ? problem : problem + QStringLiteral("\r\n") + why);
    };
    connect(process, &QProcess::finished, this, [process, report](int code, QProcess::ExitStatus status) {
        if (status == QProcess::NormalExit && code == 0) {
            process->deleteLater();
            return;
        }
        report(QString::fromLocal8Bit(process->readAllStandardError()).trimmed());
    });
    connect(process, &QProcess::errorOccurred, this, [process, report](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) report(process->errorString());
    });
    process->start(opener, {help.path});
}

void TForm1::on_connect(bool down)
{
    if (!down) {
        g_.link.port_open = false;
        poll_->cycle()->clear_panels();
        g_.link.close_comport();
        // Nothing is read any more: "OK" would claim a logger that answers.
        set_link_status(g_.lang.label(12));
        return;
    }
    if (!g_.link.open_comport(g_.settings.ComPort, g_.settings.port_devices)) {
        const QSignalBlocker block(A_conn);
        A_conn->setChecked(false);
        if (g_.ui) g_.ui->show_message(port_failure_text(g_), btn::ok);
    }
}

void TForm1::on_serial_double_click()
{
    const bool was_running = poll_->running();
    poll_->stop();
    serial_change_->run();
    if (was_running || started_) poll_->start();
}

} // namespace vx
