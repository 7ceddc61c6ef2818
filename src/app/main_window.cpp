#include "app/main_window.h"

#include "app/calibration_editor.h"
#include "app/serial_number_change.h"
#include "app/setup_dialog.h"
#include "app/start_mission_dialog.h"
#include "app/tip_window.h"
#include "base/code_page.h"
#include "base/ui_port.h"
#include "link/serial_port.h"
#include "logger/clock.h"
#include "logger/poll.h"
#include "logger/program_state.h"
#include "viewer/database_browser.h"
#include "viewer/graph_properties_dialog.h"
#include "viewer/print_dialog.h"
#include "viewer/printing.h"
#include "viewer/record_viewer.h"
#include "viewer/report.h"
#include "viewer/viewer_sink.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace vx
{

namespace
{

const QColor panel_yellow(255, 255, 0);

// A sunken panel that shows one value (the pan... controls).
QLabel* make_panel(QWidget* parent, const char* name, const QString& hint = {}, bool yellow = false)
{
    auto* p = new QLabel(parent);
    p->setObjectName(name);
    p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    p->setMinimumHeight(22);
    p->setMinimumWidth(60);
    p->setTextInteractionFlags(Qt::NoTextInteraction);
    p->setAutoFillBackground(true);
    if (yellow) {
        QPalette pal = p->palette();
        pal.setColor(QPalette::Window, panel_yellow);
        p->setPalette(pal);
    }
    if (!hint.isEmpty()) p->setToolTip(hint);
    return p;
}

QLabel* make_label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QAction* make_action(QObject* parent, const char* name, const QString& menu_text,
                     const QString& button_text = {}, const QKeySequence& key = {})
{
    auto* a = new QAction(menu_text, parent);
    a->setObjectName(name);
    if (!button_text.isEmpty()) a->setIconText(button_text);
    if (!key.isEmpty()) a->setShortcut(key);
    return a;
}

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

// One control of a status view onto its widget.
void apply_control(QWidget* w, const ControlView& v)
{
    if (!w) return;
    if (v.text) {
        if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(*v.text);
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setText(*v.text);
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            g->setTitle(*v.text);
    }
    if (v.hint) w->setToolTip(*v.hint);
    if (v.color) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, *v.color);
        w->setAutoFillBackground(true);
        w->setPalette(pal);
    }
    if (v.checked)
        if (auto* c = qobject_cast<QCheckBox*>(w)) c->setChecked(*v.checked);
    if (v.visible) w->setVisible(*v.visible);
}

} // namespace

TForm1::TForm1(Global& g, QWidget* parent) : QMainWindow(parent), g_(g)
{
    setObjectName("Form1");
    setWindowTitle(QStringLiteral("VORLAN"));
    build_actions();
    build_menus();
    build_toolbar();

    auto* central = new QWidget(this);
    auto* lay = new QVBoxLayout(central);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(2);
    build_tabs();
    lay->addWidget(PageControl1);
    mdi_ = new QMdiArea(central);
    mdi_->setObjectName("MDIClient");
    mdi_->setMinimumSize(1, 1);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lay->addWidget(mdi_, 1);
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

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(700);

    fcalini = new Tfcalini(g_, this);
    fgprop = new Tfgprop(g_, this);
    frmprint = new Tfrmprint(g_, this);
    freport = new Tfreport(g_, this);
    poll_ = std::make_unique<PollCycle>(g_, *this);
    serial_change_ = std::make_unique<SerialNumberChange>(g_);
    download_ = std::make_unique<Download>(g_, *this);

    connect_actions();
    update_viewer_actions();
    setGeometry(designed_bounds());
}

TForm1::~TForm1()
{
    // The viewers go with the window's children, after its menus: they must
    // not reach back into the window then.
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        disconnect(sub, nullptr, this, nullptr);
}

// ---------------------------------------------------------------- layout

void TForm1::build_actions()
{
    Act_save = make_action(this, "Act_save", QStringLiteral("Uložiť"), QStringLiteral("Uložiť"),
                           QKeySequence(Qt::CTRL | Qt::Key_S));
    openbase = make_action(this, "openbase", QStringLiteral("Otvoriť Databázu záznamov"),
                           QStringLiteral("Otvoriť"), QKeySequence(Qt::CTRL | Qt::Key_O));
    print = make_action(this, "print", QStringLiteral("Tlačiť"), QStringLiteral("Tlačiť"),
                        QKeySequence(Qt::CTRL | Qt::Key_P));
    Act_graph = make_action(this, "Act_graph", QStringLiteral("Graf"), QStringLiteral("Graf"),
                            QKeySequence(Qt::CTRL | Qt::Key_G));
    find_act = make_action(this, "find_act", QStringLiteral("Hľadať"), QStringLiteral("Hľadať"),
                           QKeySequence(Qt::CTRL | Qt::Key_F));
    // Both act on a viewer: enabled while one exists.
    Act_save->setEnabled(false);
    find_act->setEnabled(false);
    act_newrecords = make_action(this, "act_newrecords", QStringLiteral("Prenos len nové záznamy"),
                                 QStringLiteral("Prenos"), QKeySequence(Qt::Key_F5));
    help_action = make_action(this, "help_action", QStringLiteral("HELP"), QStringLiteral("HELP"),
                              QKeySequence(Qt::Key_F1));
    startmission =
        make_action(this, "startmission", QStringLiteral("Štart misie / merania"), QStringLiteral("Štart"));
    startmission->setEnabled(false);
    A_conn = make_action(this, "A_conn", QStringLiteral("COM"), QStringLiteral("COM"));
    A_conn->setCheckable(true);
    A_conn->setToolTip(QStringLiteral("Pripojit / Odpojit COM"));

    actopentext = make_action(this, "actopentext", QStringLiteral("Otvoriť textový súbor"));
    Kalibransbor2 = make_action(this, "Kalibransbor2", QStringLiteral("Kalibračný súbor"));
    Nastaveniatlae1 = make_action(this, "Nastaveniatlae1", QStringLiteral("Nastavenia tlače"));
    N7koniec1 = make_action(this, "N7koniec1", QStringLiteral("&Koniec"), {}, QKeySequence(Qt::Key_F10));
    Prenoszznamov1 =
        make_action(this, "Prenoszznamov1", QStringLiteral("Prenos záznamov"), {}, QKeySequence(Qt::Key_F6));
    set_time = make_action(this, "set_time", QStringLiteral("Nastaviť čas prístroja"));
    Nastaveniaprogramu1 = make_action(this, "Nastaveniaprogramu1", QStringLiteral("Nastavenia programu"));

    win_next = make_action(this, "Nasledujce1", QStringLiteral("&Nasledujúce"), {},
                           QKeySequence(Qt::CTRL | Qt::Key_N));
    win_prev = make_action(this, "Predchdzajce1", QStringLiteral("&Predchádzajúce"), {},
                           QKeySequence(Qt::CTRL | Qt::Key_M));
    win_max =
        make_action(this, "Maximalizova1", QStringLiteral("&Maximalizovať"), {}, QKeySequence(Qt::Key_F11));
    win_tile_v = make_action(this, "Vedaseba1", QStringLiteral("&Vedľa seba"), {}, QKeySequence(Qt::Key_F12));
    win_tile_h = make_action(this, "Podseba1", QStringLiteral("Po&d seba"));
    win_cascade = make_action(this, "Kaskdne1", QStringLiteral("&Kaskádne"));
    win_close =
        make_action(this, "Zavrie1", QStringLiteral("&Zavrieť"), {}, QKeySequence(Qt::SHIFT | Qt::Key_F10));

    Agr_Property = make_action(this, "Agr_Property", QStringLiteral("Vlastnosti"));
    agr_zoomin = make_action(this, "agr_zoomin", QStringLiteral("Zomm &In"));
    agr_zoomout = make_action(this, "agr_zoomout", QStringLiteral("Zoom &Out"));
    agr_save = make_action(this, "agr_save", QStringLiteral("&Save"));
    agr_copy = make_action(this, "agr_copy", QStringLiteral("&Copy"));
    agr_Print = make_action(this, "agr_Print", QStringLiteral("&Public as HTML"));
    agr_full = make_action(this, "agr_full", QStringLiteral("&FULL Graph"), QStringLiteral("FULL"));
    agr_style = make_action(this, "agr_style", QStringLiteral("Štýl grafu"), QStringLiteral("Štýl"));

    Oprograme1 = make_action(this, "Oprograme1", QStringLiteral("&O programe"));
    Act_showtip =
        make_action(this, "Act_showtip", QStringLiteral("Tipy"), {}, QKeySequence(Qt::CTRL | Qt::Key_F1));

    // Shortcuts work wherever the focus is inside the main window.
    addActions({Act_save, openbase, print, Act_graph, find_act, act_newrecords, help_action, N7koniec1,
                Prenoszznamov1, win_next, win_prev, win_max, win_tile_v, win_close, Act_showtip});
}

void TForm1::build_menus()
{
    menu_file = menuBar()->addMenu(QStringLiteral("Súbor"));
    menu_file->setObjectName("Sbor1");
    menu_file->addActions({openbase, actopentext, Act_save, Kalibransbor2, print, Nastaveniatlae1});
    menu_file->addSeparator();
    menu_file->addAction(N7koniec1);

    menu_services = menuBar()->addMenu(QStringLiteral("Služby"));
    menu_services->setObjectName("Sluby1");
    menu_services->addActions({startmission, act_newrecords, Prenoszznamov1, set_time, Nastaveniaprogramu1});

    menu_window = menuBar()->addMenu(QStringLiteral("Okno"));
    menu_window->setObjectName("Okno1");
    menu_window->addActions(
        {win_next, win_prev, win_max, win_tile_v, win_tile_h, win_cascade, Act_graph, win_close});
    menu_window->menuAction()->setEnabled(false);

    menu_graph = menuBar()->addMenu(QStringLiteral("Graf"));
    menu_graph->setObjectName("Graf1");
    menu_graph->addActions({Agr_Property, agr_zoomin, agr_zoomout, agr_save, agr_copy, agr_Print});

    menu_help = menuBar()->addMenu(QStringLiteral("Pomoc"));
    menu_help->setObjectName("Pomoc1");
    menu_help->addActions({Oprograme1, help_action, Act_showtip});
}

void TForm1::build_toolbar()
{
    ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Tight buttons, so that the whole bar fits the designed 400 pixels.
    ToolBar1->setStyleSheet(QStringLiteral("QToolButton { padding: 0px 1px; margin: 0px; }"));
    ToolBar1->layout()->setSpacing(0);
    ToolBar1->addActions({Act_save, openbase, print, Act_graph, find_act});
    ToolBar1->addSeparator();
    ToolBar1->addActions({act_newrecords, help_action, startmission});
    ToolBar1->addAction(A_conn);
    btCOM = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(A_conn));
    if (btCOM) btCOM->setObjectName("btCOM");
    for (QAction* a : ToolBar1->actions())
        if (QWidget* w = ToolBar1->widgetForAction(a); w && !a->isSeparator()) w->setMinimumSize(41, 36);
}

void TForm1::build_tabs()
{
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setUsesScrollButtons(true);
    PageControl1->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 5px; }"));
    // Each page scrolls inside its tab, so the window can be made as small as
    // the user likes.
    auto add_page = [this](QWidget* page, const QString& caption) {
        auto* scroll = new QScrollArea;
        scroll->setObjectName(page->objectName() + "Scroll");
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setWidget(page);
        scroll->setMinimumSize(1, 1);
        PageControl1->addTab(scroll, caption);
    };
    PageControl1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);

    // "Obecné"
    tab_global = new QWidget;
    tab_global->setObjectName("TabSheet1");
    {
        auto* grid = new QGridLayout(tab_global);
        grid->setContentsMargins(4, 4, 4, 4);
        grid->setVerticalSpacing(3);
        PanTime = make_panel(tab_global, "PanTime", {}, true);
        PanTime->setAlignment(Qt::AlignCenter);
        QFont f = PanTime->font();
        f.setBold(true);
        PanTime->setFont(f);
        LBLsn = make_label(tab_global, "LBLsn", QStringLiteral("Výr.č."));
        pansn = make_panel(tab_global, "pansn", QStringLiteral("Výrobné číslo od výrobcu"));
        LBLbat = make_label(tab_global, "LBLbat", QStringLiteral("Batéria:"));
        panbat = make_panel(tab_global, "panbat");
        LBLtype = make_label(tab_global, "LBLtype", QStringLiteral("Typ: "));
        pantype = make_panel(tab_global, "pantype");
        LBLname = make_label(tab_global, "LBLname", QStringLiteral("Názov:"));
        Panmisname = make_panel(tab_global, "Panmisname", QStringLiteral("Názov prístroja / misie"), true);
        LBLnewrec = make_label(tab_global, "LBLnewrec", QStringLiteral("Nové záznamy:"));
        PannewRec = make_panel(tab_global, "PannewRec", QStringLiteral("Počet nových záznamov v prístroji"));
        grid->addWidget(PanTime, 0, 0, 1, 4);
        grid->addWidget(LBLsn, 1, 0);
        grid->addWidget(pansn, 1, 1);
        grid->addWidget(LBLbat, 1, 2);
        grid->addWidget(panbat, 1, 3);
        grid->addWidget(LBLtype, 2, 0);
        grid->addWidget(pantype, 2, 1, 1, 3);
        grid->addWidget(LBLname, 3, 0);
        grid->addWidget(Panmisname, 3, 1, 1, 3);
        grid->addWidget(LBLnewrec, 4, 0, 1, 2);
        grid->addWidget(PannewRec, 4, 2, 1, 2);
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(3, 1);
        grid->setRowStretch(5, 1);
    }
    add_page(tab_global, QStringLiteral("Obecné"));

    // "Aktuálne hodnoty"
    tab_actual = new QWidget;
    tab_actual->setObjectName("TabSheet2");
    {
        auto* grid = new QGridLayout(tab_actual);
        grid->setContentsMargins(4, 4, 4, 4);
        grid->setVerticalSpacing(3);
        LBLaktval = make_label(tab_actual, "LBLaktval", QStringLiteral("Teplota:"));
        pantemp = make_panel(tab_actual, "pantemp");
        LBLunit1 = make_label(tab_actual, "LBLunit1", QStringLiteral("'C"));
        QFont big = pantemp->font();
        big.setPointSizeF(big.pointSizeF() * 1.4);
        big.setBold(true);
        pantemp->setFont(big);
        pantemp->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

        BevelHumi = new QFrame(tab_actual);
        BevelHumi->setObjectName("BevelHumi");
        auto* hl = new QHBoxLayout(BevelHumi);
        hl->setContentsMargins(0, 0, 0, 0);
        LBLhumi = make_label(BevelHumi, "LBLhumi", QStringLiteral("Vlhkost:"));
        panhumi = make_panel(BevelHumi, "panhumi");
        panhumi->setFont(big);
        panhumi->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        LBLunit2 = make_label(BevelHumi, "LBLunit2", QStringLiteral("%RH"));
        hl->addWidget(LBLhumi);
        hl->addWidget(panhumi, 1);
        hl->addWidget(LBLunit2);

        panIBname =
            make_panel(tab_actual, "panIBname", QStringLiteral("Názov kľúča sa zobrazí po priložení"), true);
        panIBname->hide();
        PanTempFahren =
            make_panel(tab_actual, "PanTempFahren", QStringLiteral("Aktuálna teplota [Fahrenheit]"));
        PanTempFahren->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        PanTempFahren->hide();

        grid->addWidget(LBLaktval, 0, 0);
        grid->addWidget(pantemp, 0, 1);
        grid->addWidget(LBLunit1, 0, 2);
        grid->addWidget(PanTempFahren, 0, 3);
        grid->addWidget(BevelHumi, 1, 0, 1, 3);
        grid->addWidget(panIBname, 2, 0, 1, 4);
        grid->setColumnStretch(1, 1);
        grid->setRowStretch(3, 1);
        // Line the two values up: same caption and unit widths in both rows.
        LBLaktval->setMinimumWidth(LBLhumi->sizeHint().width());
        LBLhumi->setMinimumWidth(LBLaktval->sizeHint().width());
        const int unit_width = std::max(LBLunit1->sizeHint().width(), LBLunit2->sizeHint().width());
        LBLunit1->setMinimumWidth(unit_width);
        LBLunit2->setMinimumWidth(unit_width);
    }
    add_page(tab_actual, QStringLiteral("Aktuálne hodnoty"));

    // "Misia"
    tab_mission = new QWidget;
    tab_mission->setObjectName("TabSheet3");
    {
        auto* grid = new QGridLayout(tab_mission);
        grid->setContentsMargins(4, 4, 4, 4);
        grid->setVerticalSpacing(3);
        LBLname2 = make_label(tab_mission, "LBLname2", QStringLiteral("Názov:"));
        panmisname2 = make_panel(tab_mission, "panmisname2");
        CHKmission = new QCheckBox(QStringLiteral("Aktívna"), tab_mission);
        CHKmission->setObjectName("CHKmission");
        CHKroll = new QCheckBox(QStringLiteral("Roluje"), tab_mission);
        CHKroll->setObjectName("CHKroll");
        // Display only: the mission start sets them in the logger.
        CHKmission->setAttribute(Qt::WA_TransparentForMouseEvents);
        CHKmission->setFocusPolicy(Qt::NoFocus);
        CHKroll->setAttribute(Qt::WA_TransparentForMouseEvents);
        CHKroll->setFocusPolicy(Qt::NoFocus);
        LBLstart = make_label(tab_mission, "LBLstart", QStringLiteral("Začala:"));
        Panel3 = make_panel(tab_mission, "Panel3");
        LBLdelay = make_label(tab_mission, "LBLdelay", QStringLiteral("Odklad štartu:"));
        PANdelay = make_panel(tab_mission, "PANdelay");
        LBLperiod = make_label(tab_mission, "LBLperiod", QStringLiteral("Interval:"));
        PanPeriod = make_panel(tab_mission, "PanPeriod");
        LBLperiodunit = make_label(tab_mission, "LBLperiodunit", QStringLiteral("min"));
        LBLptr = make_label(tab_mission, "LBLptr", QStringLiteral("Ukazovatel"));
        panptr = make_panel(tab_mission, "panptr",
                            QStringLiteral("Prístroj zapíše ďalší záznam na pozíciu ukazovateľ"));
        grid->addWidget(LBLname2, 0, 0);
        grid->addWidget(panmisname2, 0, 1, 1, 2);
        grid->addWidget(CHKmission, 0, 3);
        grid->addWidget(CHKroll, 0, 4);
        grid->addWidget(LBLstart, 1, 0);
        grid->addWidget(Panel3, 1, 1, 1, 4);
        grid->addWidget(LBLdelay, 2, 0);
        grid->addWidget(PANdelay, 2, 1, 1, 4);
        grid->addWidget(LBLperiod, 3, 0);
        grid->addWidget(PanPeriod, 3, 1);
        grid->addWidget(LBLperiodunit, 3, 2);
        grid->addWidget(LBLptr, 3, 3);
        grid->addWidget(panptr, 3, 4);
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(4, 1);
        grid->setRowStretch(4, 1);
        grid->setHorizontalSpacing(8);
    }
    add_page(tab_mission, QStringLiteral("Misia"));

    // "Podmienky"
    tab_conditions = new QWidget;
    tab_conditions->setObjectName("TabSheet4");
    {
        auto* grid = new QGridLayout(tab_conditions);
        grid->setContentsMargins(4, 4, 4, 4);
        grid->setVerticalSpacing(3);
        LBLgrad = make_label(tab_conditions, "LBLgrad", QStringLiteral("Zápis pri zmene:"));
        PanGrad = make_panel(tab_conditions, "PanGrad", QStringLiteral("Zapíše pri zmene teploty o"));
        LBLgradunit = make_label(tab_conditions, "LBLgradunit", QStringLiteral("'C"));
        Hranice = new QGroupBox(QStringLiteral("Hranice"), tab_conditions);
        Hranice->setObjectName("Hranice");
        auto* hg = new QGridLayout(Hranice);
        hg->setContentsMargins(4, 2, 4, 2);
        LBLlo = make_label(Hranice, "LBLlo", QStringLiteral("Spodna"));
        panLo = make_panel(Hranice, "panLo");
        LBLhi = make_label(Hranice, "LBLhi", QStringLiteral("Horna"));
        PanHI = make_panel(Hranice, "PanHI");
        hg->addWidget(LBLlo, 0, 0);
        hg->addWidget(panLo, 0, 1);
        hg->addWidget(LBLhi, 0, 2);
        hg->addWidget(PanHI, 0, 3);
        Hranice->hide();
        chkpriemer = new QCheckBox(QStringLiteral("Priemerovanie"), tab_conditions);
        chkpriemer->setObjectName("chkpriemer");
        chkpriemer->setAttribute(Qt::WA_TransparentForMouseEvents);
        chkpriemer->setFocusPolicy(Qt::NoFocus);
        chkpriemer->hide();
        grid->addWidget(LBLgrad, 0, 0);
        grid->addWidget(PanGrad, 0, 1);
        grid->addWidget(LBLgradunit, 0, 2);
        grid->addWidget(chkpriemer, 0, 3);
        grid->addWidget(Hranice, 1, 0, 1, 4);
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(3, 1);
        grid->setRowStretch(2, 1);
    }
    add_page(tab_conditions, QStringLiteral("Podmienky"));

    // "Graf"
    tab_graph = new QWidget;
    tab_graph->setObjectName("TabSheet5");
    {
        auto* v = new QVBoxLayout(tab_graph);
        v->setContentsMargins(2, 2, 2, 2);
        v->setSpacing(2);
        ToolBar2 = new QToolBar(tab_graph);
        ToolBar2->setObjectName("ToolBar2");
        ToolBar2->setToolButtonStyle(Qt::ToolButtonTextOnly);
        ToolBar2->addActions(
            {agr_full, agr_zoomin, agr_zoomout, agr_save, agr_copy, agr_Print, agr_style, Agr_Property});
        v->addWidget(ToolBar2);

        auto* row1 = new QHBoxLayout;
        DateTimePicker1Check = new QCheckBox(tab_graph);
        DateTimePicker1Check->setObjectName("DateTimePicker1Check");
        DateTimePicker1 = new QDateEdit(tab_graph);
        DateTimePicker1->setObjectName("DateTimePicker1");
        DateTimePicker1->setCalendarPopup(true);
        DateTimePicker1->setDisplayFormat(QStringLiteral("d.M.yyyy"));
        DateTimePicker1->setDate(QDate::currentDate());
        const QString date_hint = QStringLiteral("Začiatok Grafu, zaškrtnite ak aplikovať");
        DateTimePicker1->setToolTip(date_hint);
        DateTimePicker1Check->setToolTip(date_hint);
        ComboBox1 = new QComboBox(tab_graph);
        ComboBox1->setObjectName("ComboBox1");
        ComboBox1->addItems({QStringLiteral("1-deň"), QStringLiteral("2-dni"), QStringLiteral("1-týždeň"),
                             QStringLiteral("2-týždne"), QStringLiteral("1-mesiac"),
                             QStringLiteral("2-mesiace"), QStringLiteral("3-mesiace"),
                             QStringLiteral("6-mesiacov")});
        ComboBox1->setCurrentIndex(2);
        ComboBox1->setEnabled(false);
        row1->addWidget(DateTimePicker1Check);
        row1->addWidget(DateTimePicker1);
        row1->addWidget(ComboBox1);
        row1->addStretch(1);
        v->addLayout(row1);

        auto* row2 = new QHBoxLayout;
        auto make_spin = [this](const char* name, int lo, int hi, int value) {
            auto* s = new QSpinBox(tab_graph);
            s->setObjectName(name);
            s->setRange(lo, hi);
            s->setSingleStep(5);
            s->setValue(value);
            s->setEnabled(false);
            return s;
        };
        SpinEdit1 = make_spin("SpinEdit1", -40, 100, 40);
        SpinEdit2 = make_spin("SpinEdit2", -40, 100, 0);
        SpinEdit3 = make_spin("SpinEdit3", 0, 100, 80);
        SpinEdit4 = make_spin("SpinEdit4", 0, 100, 20);
        LBLtempaxis = make_label(tab_graph, "LBLtempaxis", QStringLiteral("'C"));
        LBLhumiaxis = make_label(tab_graph, "LBLhumiaxis", QStringLiteral("%RH"));
        CheckBox1 = new QCheckBox(QStringLiteral("Auto"), tab_graph);
        CheckBox1->setObjectName("CheckBox1");
        CheckBox1->setToolTip(QStringLiteral("Automatická mierka Y osí"));
        CheckBox1->setChecked(true);
        row2->addWidget(CheckBox1);
        row2->addWidget(LBLtempaxis);
        row2->addWidget(SpinEdit1);
        row2->addWidget(SpinEdit2);
        row2->addWidget(LBLhumiaxis);
        row2->addWidget(SpinEdit3);
        row2->addWidget(SpinEdit4);
        row2->addStretch(1);
        v->addLayout(row2);
        v->addStretch(1);
    }
    add_page(tab_graph, QStringLiteral("Graf"));
}

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
    connect(Timer1, &QTimer::timeout, this, [this] { poll_->tick(); });

    connect(openbase, &QAction::triggered, this, [this] {
        show_tip(QStringLiteral("OPENBASE"));
        open_database();
    });
    connect(actopentext, &QAction::triggered, this, &TForm1::on_open_text);
    connect(Act_save, &QAction::triggered, this, [this] { send_viewer_command(viewer_cmd::save); });
    connect(Kalibransbor2, &QAction::triggered, this, &TForm1::on_calibration_file);
    connect(print, &QAction::triggered, this, [this] { send_viewer_command(viewer_cmd::print); });
    connect(Nastaveniatlae1, &QAction::triggered, this, &TForm1::on_print_settings);
    connect(N7koniec1, &QAction::triggered, this, &QWidget::close);

    connect(startmission, &QAction::triggered, this, &TForm1::on_start_mission);
    connect(act_newrecords, &QAction::triggered, this, [this] { download_->new_records(); });
    connect(Prenoszznamov1, &QAction::triggered, this, [this] { download_->newest_records(); });
    connect(set_time, &QAction::triggered, this, &TForm1::on_set_time);
    connect(Nastaveniaprogramu1, &QAction::triggered, this, &TForm1::on_program_settings);

    connect(win_next, &QAction::triggered, mdi_, &QMdiArea::activateNextSubWindow);
    connect(win_prev, &QAction::triggered, mdi_, &QMdiArea::activatePreviousSubWindow);
    connect(win_max, &QAction::triggered, this, [this] {
        if (QMdiSubWindow* w = current_subwindow()) w->showMaximized();
    });
    // Side by side: one column per window; one under the other: one row each.
    auto tile = [this](bool side_by_side) {
        const auto windows = mdi_->subWindowList();
        if (windows.isEmpty()) return;
        const QSize area = mdi_->viewport()->size();
        const int n = int(windows.size());
        for (int i = 0; i < n; ++i) {
            QMdiSubWindow* w = windows[i];
            w->showNormal();
            if (side_by_side)
                w->setGeometry(i * area.width() / n, 0, area.width() / n, area.height());
            else
                w->setGeometry(0, i * area.height() / n, area.width(), area.height() / n);
        }
    };
    connect(win_tile_v, &QAction::triggered, this, [tile] { tile(true); });
    connect(win_tile_h, &QAction::triggered, this, [tile] { tile(false); });
    connect(win_cascade, &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
    connect(Act_graph, &QAction::triggered, this, &TForm1::on_graph);
    connect(win_close, &QAction::triggered, this, [this] {
        if (QMdiSubWindow* w = current_subwindow()) w->close();
    });

    connect(find_act, &QAction::triggered, this, [this] { send_viewer_command(viewer_cmd::find); });
    connect(Agr_Property, &QAction::triggered, this, [this] {
        if (mdi_->subWindowList().isEmpty()) return;
        fgprop->show();
        fgprop->raise();
    });
    fgprop->style_changed = [this] { send_viewer_command(viewer_cmd::graph_style); };
    connect(agr_zoomin, &QAction::triggered, this, [this] { send_viewer_command(viewer_cmd::zoom_in); });
    connect(agr_zoomout, &QAction::triggered, this, [this] { send_viewer_command(viewer_cmd::zoom_out); });
    connect(agr_save, &QAction::triggered, this, [this] { send_viewer_command(viewer_cmd::save_picture); });
    connect(agr_copy, &QAction::triggered, this, [this] { send_viewer_command(viewer_cmd::copy_picture); });
    connect(agr_Print, &QAction::triggered, this, [this] { send_viewer_command(viewer_cmd::html_report); });
    connect(agr_full, &QAction::triggered, this, [this] { send_viewer_command(viewer_cmd::full_graph); });
    connect(agr_style, &QAction::triggered, this, [this] { send_viewer_command(viewer_cmd::graph_style); });

    connect(Oprograme1, &QAction::triggered, this, [this] {
        if (hooks.about)
            hooks.about();
        else
            show_about();
    });
    connect(help_action, &QAction::triggered, this, &TForm1::on_help);
    connect(Act_showtip, &QAction::triggered, this, &TForm1::on_show_tip);
    connect(A_conn, &QAction::toggled, this, &TForm1::on_connect);

    connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::tab_shown);
    pansn->installEventFilter(this);
    panhumi->installEventFilter(this);

    // Graph tab.
    connect(DateTimePicker1Check, &QCheckBox::toggled, this, [this](bool on) {
        ComboBox1->setEnabled(on);
        on_graph_control_changed();
    });
    connect(DateTimePicker1, &QDateEdit::dateChanged, this, [this] {
        if (DateTimePicker1Check->isChecked()) on_graph_control_changed();
    });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] {
        if (ComboBox1->isEnabled()) on_graph_control_changed();
    });
    for (QSpinBox* s : {SpinEdit1, SpinEdit2, SpinEdit3, SpinEdit4})
        connect(s, &QSpinBox::valueChanged, this, [this] {
            if (!CheckBox1->isChecked()) on_graph_control_changed();
        });
    connect(CheckBox1, &QCheckBox::toggled, this, [this](bool on) {
        for (QSpinBox* s : {SpinEdit1, SpinEdit2, SpinEdit3, SpinEdit4})
            s->setEnabled(!on);
        on_graph_control_changed();
    });
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
    load_settings(g_);
    apply_geometry();
    if (g_.lang.language_loaded) {
        ChangeLanguage();
        frmprint->ChangeLanguage();
        freport->ChangeLanguage();
    }
    // Windows made with this one take their texts now that the table exists.
    fgprop->ChangeLanguage();
    g_.calib.calib_active = false;
    g_.transfer.already_asked = false;

    if (g_.settings.SHOWTIP) {
        g_.tips.seed(static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch()));
        dock_tool_window(tip_, Qt::LeftDockWidgetArea);
        show_day_tip();
    }

    const bool opened = g_.link.open_comport(g_.settings.ComPort, g_.settings.port_devices);
    {
        const QSignalBlocker block(A_conn);
        A_conn->setChecked(opened);
    }
    if (!opened && g_.ui) g_.ui->show_message(port_failure_text(g_), btn::ok);

    Timer1->start();
}

QRect TForm1::designed_bounds() const
{
    // Two thirds of the desktop's free area, in its middle.
    const QScreen* sc = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect free_area = sc ? sc->availableGeometry() : QRect(0, 0, 1024, 768);
    QRect r(0, 0, free_area.width() * 2 / 3, free_area.height() * 2 / 3);
    r.moveCenter(free_area.center());
    return r;
}

void TForm1::apply_geometry()
{
    const QScreen* sc = screen() ? screen() : QGuiApplication::primaryScreen();
    const QSize screen_size = sc ? sc->geometry().size() : QSize(1024, 768);
    const QRect r = apply_geometry_rules(g_.settings, screen_size, designed_bounds());
    resize(r.size());
    move(r.topLeft());
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // A modified viewer (a hand edit, or an N-newest download, which is
    // left modified on purpose) is not dropped without a question.
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        auto* viewer = qobject_cast<TEditForm*>(sub->widget());
        if (!viewer || !viewer->is_modified()) continue;
        mdi_->setActiveSubWindow(sub);
        if (!viewer->query_close()) {
            event->ignore();
            return;
        }
    }
    QString error;
    if (!save_window_geometry(g_.program_dir, QRect(x(), y(), width(), height()), &error) && g_.ui)
        g_.ui->plain_message(error);
    Timer1->stop();
    event->accept();
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The first page is shown with the window: that first showing gives no tip.
    if (g_.tips.skip_first_page_tip && PageControl1->currentIndex() == 0) tab_shown(0);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pansn && event->type() == QEvent::MouseButtonDblClick) {
        on_serial_double_click();
        return true;
    }
    if (watched == panhumi && event->type() == QEvent::MouseButtonPress) g_.poll.diagnostic = true;
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- language

void TForm1::ChangeLanguage()
{
    const Language& L = g_.lang;
    // Captions: the tool bar buttons, the tabs, the window; then the check
    // boxes and the group of the tabs.
    const QList<QAction*> buttons{Act_save,       openbase,    print,        Act_graph, find_act,
                                  act_newrecords, help_action, startmission, A_conn};
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setIconText(L.capt(1 + i));
    for (int i = 0; i < 5; ++i)
        PageControl1->setTabText(i, L.capt(10 + i));
    setWindowTitle(L.capt(15));
    CHKmission->setText(L.capt(20));
    CHKroll->setText(L.capt(21));
    Hranice->setTitle(L.capt(22));
    chkpriemer->setText(L.capt(23));
    CheckBox1->setText(L.capt(24));

    // Hints.
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setToolTip(L.hint(1 + i));
    const QList<QWidget*> panels{PanTime, pansn,   panbat,    pantype,       Panmisname,  PannewRec,
                                 pantemp, panhumi, panIBname, PanTempFahren, panmisname2, CHKmission,
                                 CHKroll, Panel3,  PANdelay,  PanPeriod,     panptr};
    for (int i = 0; i < panels.size(); ++i)
        panels[i]->setToolTip(L.hint(10 + i));
    const QList<QWidget*> more{PanGrad,   panLo,     PanHI,     CheckBox1, DateTimePicker1,
                               ComboBox1, SpinEdit1, SpinEdit2, SpinEdit3, SpinEdit4};
    for (int i = 0; i < more.size(); ++i)
        more[i]->setToolTip(L.hint(30 + i));
    DateTimePicker1Check->setToolTip(DateTimePicker1->toolTip());

    // Labels.
    const QList<QLabel*> labels1{LBLsn, LBLbat, LBLtype, LBLname, LBLnewrec, LBLhumi};
    for (int i = 0; i < labels1.size(); ++i)
        labels1[i]->setText(L.label(1 + i));
    LBLaktval->setText(L.label(10));
    LBLunit1->setText(L.label(11));
    const QList<QLabel*> labels2{LBLname2, LBLstart, LBLdelay, LBLperiod, LBLperiodunit, LBLptr, LBLunit2};
    for (int i = 0; i < labels2.size(); ++i)
        labels2[i]->setText(L.label(20 + i));
    const QList<QLabel*> labels3{LBLgrad, LBLgradunit, LBLlo, LBLhi};
    for (int i = 0; i < labels3.size(); ++i)
        labels3[i]->setText(L.label(30 + i));

    // Menus.
    const QList<QAction*> file_items{openbase, actopentext,     Act_save, Kalibransbor2,
                                     print,    Nastaveniatlae1, N7koniec1};
    for (int i = 0; i < file_items.size(); ++i)
        file_items[i]->setText(L.menu(1 + i));
    const QList<QAction*> service_items{
        menu_services->menuAction(), startmission, act_newrecords, Prenoszznamov1, set_time,
        Nastaveniaprogramu1};
    for (int i = 0; i < service_items.size(); ++i)
        service_items[i]->setText(L.menu(10 + i));
    const QList<QAction*> window_items{menu_window->menuAction(),
                                       win_next,
                                       win_prev,
                                       win_max,
                                       win_tile_v,
                                       win_tile_h,
                                       win_cascade,
                                       Act_graph,
                                       win_close};
    for (int i = 0; i < window_items.size(); ++i)
        window_items[i]->setText(L.menu(20 + i));
    const QList<QAction*> other_items{menu_file->menuAction(), menu_graph->menuAction(),
                                      menu_help->menuAction(), Oprograme1, Act_showtip};
    for (int i = 0; i < other_items.size(); ++i)
        other_items[i]->setText(L.menu(30 + i));

    // The time spans of the graph.
    const QSignalBlocker block(ComboBox1);
    for (int i = 0; i < 8 && i < ComboBox1->count(); ++i)
        ComboBox1->setItemText(i, L.menu(40 + i));
    ComboBox1->setCurrentIndex(2);
}

// ---------------------------------------------------------------- LoggerDisplay

void TForm1::apply(const StatusView& v)
{
    if (v.window_title) setWindowTitle(*v.window_title);
    if (v.tab_conditions_visible) PageControl1->setTabVisible(3, *v.tab_conditions_visible);

    const std::pair<QWidget*, const ControlView*> controls[] = {
        {PanTime, &v.PanTime},
        {pansn, &v.pansn},
        {LBLbat, &v.LBLbat},
        {panbat, &v.panbat},
        {pantype, &v.pantype},
        {Panmisname, &v.Panmisname},
        {PannewRec, &v.PannewRec},
        {LBLaktval, &v.LBLaktval},
        {pantemp, &v.pantemp},
        {LBLunit1, &v.LBLunit1},
        {BevelHumi, &v.BevelHumi},
        {LBLhumi, &v.LBLhumi},
        {panhumi, &v.panhumi},
        {LBLunit2, &v.LBLunit2},
        {PanTempFahren, &v.PanTempFahren},
        {panIBname, &v.panIBname},
        {panmisname2, &v.panmisname2},
        {CHKmission, &v.CHKmission},
        {CHKroll, &v.CHKroll},
        {Panel3, &v.Panel3},
        {PANdelay, &v.PANdelay},
        {PanPeriod, &v.PanPeriod},
        {LBLperiodunit, &v.LBLperiodunit},
        {panptr, &v.panptr},
        {LBLgrad, &v.LBLgrad},
        {PanGrad, &v.PanGrad},
        {LBLgradunit, &v.LBLgradunit},
        {Hranice, &v.Hranice},
        {LBLlo, &v.LBLlo},
        {panLo, &v.panLo},
        {LBLhi, &v.LBLhi},
        {PanHI, &v.PanHI},
        {chkpriemer, &v.chkpriemer},
    };
    for (const auto& [w, cv] : controls)
        apply_control(w, *cv);

    if (v.mission_timing_visible) {
        for (QWidget* w :
             {static_cast<QWidget*>(LBLstart), static_cast<QWidget*>(Panel3), static_cast<QWidget*>(LBLdelay),
              static_cast<QWidget*>(PANdelay), static_cast<QWidget*>(LBLperiod),
              static_cast<QWidget*>(PanPeriod), static_cast<QWidget*>(LBLperiodunit)})
            w->setVisible(*v.mission_timing_visible);
    }
    if (v.setup_calib_group_visible) setup_calib_group_visible = *v.setup_calib_group_visible;
    if (v.setup_correction_enabled) setup_correction_enabled = *v.setup_correction_enabled;
    if (v.start_timing_inputs_visible) start_timing_inputs_visible = *v.start_timing_inputs_visible;
}

void TForm1::clear_panels()
{
    for (QLabel* p : {PanTime, pansn, pantype, panbat, Panmisname, panmisname2, PANdelay, panptr, PanPeriod,
                      PanGrad, pantemp, panhumi, PannewRec, panIBname})
        p->clear();
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
    Panmisname->setText(name);
    panmisname2->setText(name);
    startmission->setEnabled(true);
}

void TForm1::stop_poll()
{
    const bool was_running = Timer1->isActive();
    Timer1->stop();
    if (was_running) poll_->settle();
}
void TForm1::start_poll()
{
    Timer1->start();
}
bool TForm1::poll_running() const
{
    return Timer1->isActive();
}

void TForm1::first_tick()
{
    database_browser();
}

void TForm1::new_records_check()
{
    download_->check_new_records();
}

// ---------------------------------------------------------------- DownloadHost

RecordSink* TForm1::open_text_window(const QString& caption, const QString& first_line)
{
    auto* viewer = new TEditForm(g_);
    viewer->set_text(first_line);
    viewer->set_file_name(last_open_file_);
    viewer->setWindowTitle(caption);
    add_viewer(viewer);
    return sinks_.emplace_back(std::make_unique<ViewerSink>(viewer)).get();
}

void TForm1::set_window_modified(RecordSink* window, bool modified)
{
    if (TEditForm* v = window ? static_cast<ViewerSink*>(window)->viewer() : nullptr)
        v->set_modified(modified);
}

void TForm1::redraw_graph(RecordSink* window)
{
    if (TEditForm* v = window ? static_cast<ViewerSink*>(window)->viewer() : nullptr) v->RedrawGraph();
}

void TForm1::refresh_database_browser()
{
    if (frmopenbase) frmopenbase->refresh();
}

void TForm1::set_status_text(const QString& text)
{
    stbar0->setText(text);
}

void TForm1::set_new_records_text(const QString& text)
{
    PannewRec->setText(text);
}

QString TForm1::pointer_text() const
{
    return panptr->text();
}

// ---------------------------------------------------------------- tips

void TForm1::show_tip(const QString& key)
{
    g_.tips.show_tip(key);
}

void TForm1::show_day_tip()
{
    g_.tips.random_day_tip();
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
    bool area_empty = true;
    for (QDockWidget* d : findChildren<QDockWidget*>())
        if (d != dock && d->isVisible() && !d->isFloating() && dockWidgetArea(d) == area) area_empty = false;
    if (dockWidgetArea(dock) != area) addDockWidget(area, dock);
    dock->show();
    // A panel that receives its first window opens to a third of the client area.
    // The client area is the window less its menu, tool and status bars.
    if (area_empty) {
        const QSize client(width(),
                           height() - menuBar()->height() - ToolBar1->height() - statusBar()->height());
        if (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea)
            resizeDocks({dock}, {client.width() / 3}, Qt::Horizontal);
        else
            resizeDocks({dock}, {client.height() / 3}, Qt::Vertical);
    }
}

void TForm1::on_show_tip()
{
    dock_tool_window(tip_, Qt::LeftDockWidgetArea);
    g_.settings.SHOWTIP = true;
    g_.tips.showtip = true;
    show_day_tip();
}

// ---------------------------------------------------------------- actions

QMdiSubWindow* TForm1::current_subwindow() const
{
    if (QMdiSubWindow* sub = mdi_->activeSubWindow()) return sub;
    const QList<QMdiSubWindow*> all = mdi_->subWindowList(QMdiArea::CreationOrder);
    return all.isEmpty() ? nullptr : all.last();
}

TEditForm* TForm1::current_viewer() const
{
    QMdiSubWindow* sub = current_subwindow();
    return sub ? qobject_cast<TEditForm*>(sub->widget()) : nullptr;
}

bool TForm1::send_viewer_command(int code, int parameter)
{
    // The viewer takes commands with parameter 1 only.
    if (parameter != 1) return false;
    TEditForm* viewer = current_viewer();
    return viewer && viewer->command(code);
}

void TForm1::add_viewer(TEditForm* viewer)
{
    viewer->set_controls_source([this] { return graph_controls(); });
    viewer->on_print = [this, viewer] { print_viewer(viewer); };
    viewer->on_report = [this, viewer] { report_viewer(viewer); };
    QMdiSubWindow* sub = mdi_->addSubWindow(viewer);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Closing the last viewer disables "Okno" and the viewer commands again.
    // The sub-window is only compared there, never used: it is gone when this runs.
    connect(sub, &QObject::destroyed, this, [this, sub] { update_viewer_actions(sub); });
    update_viewer_actions();
    place_viewer(sub, viewer->size());
}

void TForm1::place_viewer(QMdiSubWindow* sub, const QSize& designed)
{
    // The designed size with the frame, as far as the document area has
    // room, wholly inside it.
    const QSize room = mdi_->viewport()->size();
    const QSize frame(8, 30);
    const QSize size = (designed + frame).boundedTo(room);
    // Smallest frame in which the text and the chart can still be read.
    const QSize readable(480, 300);
    if (read_panmaximize(g_.program_dir) || room.width() < readable.width() ||
        room.height() < readable.height()) {
        // Placed first, so that it comes back inside the area when another
        // viewer takes the maximised place.
        sub->setGeometry(QRect(QPoint(0, 0), size));
        sub->showMaximized();
        return;
    }
    sub->resize(size);
    sub->show();
    QRect r = sub->geometry();
    r.setSize(r.size().boundedTo(room));
    r.moveLeft(std::clamp(r.left(), 0, room.width() - r.width()));
    r.moveTop(std::clamp(r.top(), 0, room.height() - r.height()));
    sub->setGeometry(r);
}

TEditForm* TForm1::open_text_file(const QString& path)
{
    auto* viewer = new TEditForm(g_);
    if (!viewer->open_file(path)) {
        delete viewer;
        return nullptr;
    }
    add_viewer(viewer);
    viewer->RedrawGraph();
    return viewer;
}

GraphControls TForm1::graph_controls() const
{
    GraphControls c;
    c.start_date_checked = DateTimePicker1Check->isChecked();
    c.start_date = DateTimePicker1->date();
    c.span_index = ComboBox1->currentIndex();
    c.auto_scale = CheckBox1->isChecked();
    c.temp_max = SpinEdit1->value();
    c.temp_min = SpinEdit2->value();
    c.humi_max = SpinEdit3->value();
    c.humi_min = SpinEdit4->value();
    return c;
}

void TForm1::on_graph_control_changed()
{
    emit graph_changed();
    send_viewer_command(viewer_cmd::full_graph);
}

void TForm1::update_viewer_actions(QMdiSubWindow* leaving)
{
    bool any = false;
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (w != leaving) any = true;
    menu_window->menuAction()->setEnabled(any);
    for (QAction* a : {Act_save, find_act, print, Act_graph, win_next, win_prev, win_max, win_tile_v,
                       win_tile_h, win_cascade, win_close, Agr_Property, agr_zoomin, agr_zoomout, agr_save,
                       agr_copy, agr_Print, agr_full, agr_style})
        a->setEnabled(any);
}

void TForm1::on_open_text()
{
    const QString file = hooks.choose_text_file
                             ? hooks.choose_text_file()
                             : QFileDialog::getOpenFileName(this, QString(), g_.settings.LOGDIR,
                                                            QStringLiteral("Textové súbory (*.txt)"));
    if (file.isEmpty()) return;
    last_open_file_ = file;
    open_text_file(file);
}

Tfrmopenbase* TForm1::database_browser()
{
    if (frmopenbase) return frmopenbase;
    frmopenbase = new Tfrmopenbase(g_, this);
    frmopenbase->new_viewer = [this] {
        auto* viewer = new TEditForm(g_);
        add_viewer(viewer);
        return viewer;
    };
    frmopenbase->auto_graph = [this] {
        if (read_autograph(g_.program_dir)) start_graph_program();
    };
    return frmopenbase;
}

void TForm1::open_database()
{
    Tfrmopenbase* browser = database_browser();
    browser->show();
    browser->raise();
    browser->activateWindow();
}

void TForm1::on_print_settings()
{
    frmprint->load();
    frmprint->exec();
}

void TForm1::print_viewer(TEditForm* viewer)
{
    QPrinter& printer = frmprint->printer();
    // Without a printer the print dialog offers a PDF file instead.
    if (!printer_ready(printer) && !frmprint->setup_printer()) return;
    if (!printmake(*viewer, Tfrmprint::settings_of(g_), printer, g_.now()) && g_.ui)
        g_.ui->plain_message(
            QStringLiteral("Unable to print to %1")
                .arg(printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName()));
}

void TForm1::report_viewer(TEditForm* viewer)
{
    ReportRun run;
    run.position = geometry().topLeft();
    create_report(g_, *viewer, *freport, run);
}

void TForm1::on_calibration_file()
{
    Timer1->stop();
    fcalini->exec();
    Timer1->start();
}

void TForm1::on_start_mission()
{
    show_tip(QStringLiteral("START MISSION"));
    g_.poll.busy = true;
    if (hooks.start_mission) {
        hooks.start_mission();
    } else {
        if (!frmstart)
            frmstart = new Tfrmstart(
                g_, {[this] { return poll_->decode_status(); }, [this] { refresh_database_browser(); }},
                this);
        frmstart->exec();
    }
    poll_->clear_panels();
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
    Timer1->stop();
    if (!frmsetup) {
        Tfrmsetup::Hooks h;
        h.show_tip = [this](const QString& key) { show_tip(key); };
        h.refresh_database = [this] { refresh_database_browser(); };
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
    if (frmsetup->exec() != Tfrmsetup::cancelled && frmsetup->com_changed()) {
        const bool opened = change_com_port(g_, frmsetup->selected_com());
        const QSignalBlocker block(A_conn);
        A_conn->setChecked(opened);
        // A port that failed to open leaves the poll stopped.
        if (!opened) return;
    }
    Timer1->start();
}

void TForm1::start_graph_program()
{
    if (graph_program_started_) return;
    graph_program_started_ = true;
    const QString program = g_.path(QStringLiteral("Kurvex.exe"));
    if (hooks.start_program)
        hooks.start_program(program);
    else
        QProcess::startDetached(program, {}, g_.program_dir);
}

void TForm1::on_graph()
{
    if (mdi_->subWindowList().isEmpty()) return;
    start_graph_program();
    QTimer::singleShot(1000, this, [this] { send_viewer_command(viewer_cmd::full_graph); });
}

void TForm1::show_about()
{
    // The program and the supplier's contact details from the settings.
    const Partner& p = g_.settings.partner;
    QMessageBox box(this);
    box.setObjectName("AboutBox");
    const Language& L = g_.lang;
    // Designed texts, or CAPT100..CAPT102 from a language section.
    const bool loaded = L.language_loaded;
    box.setWindowTitle(loaded ? L.capt(100) : QStringLiteral("O programe"));
    const QString heading = loaded ? L.capt(101) : QStringLiteral("VORLANIX");
    box.setText(heading + QStringLiteral("\n\n%1\n%2\nTel: %3\nFax: %4\nE-mail: %5\nWWW: %6")
                              .arg(p.NAME, p.LOCATION, p.TEL, p.FAX, p.EMAIL, p.WWW));
    QPushButton* ok = box.addButton(loaded ? L.capt(102) : QStringLiteral("OK"), QMessageBox::AcceptRole);
    ok->setObjectName("OKButton");
    box.exec();
}

void TForm1::on_help()
{
    const HelpPage help = find_help_page(g_);
    if (!help.path.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(help.path))) return;
    if (g_.ui) g_.ui->plain_message(help.problem);
}

void TForm1::on_connect(bool down)
{
    if (!down) {
        g_.link.port_open = false;
        poll_->clear_panels();
        g_.link.close_comport();
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
    const bool was_running = Timer1->isActive();
    stop_poll();
    serial_change_->run();
    if (was_running || started_) Timer1->start();
}

} // namespace vx
