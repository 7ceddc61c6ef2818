#include "app/logger_pages.h"

#include "base/language.h"
#include "logger/status_view.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolBar>
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

LoggerPages::LoggerPages(QWidget* parent) : QTabWidget(parent)
{
    setObjectName("PageControl1");
    setUsesScrollButtons(true);
    setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 5px; }"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    add_page(build_global(), QStringLiteral("Obecné"));
    add_page(build_actual(), QStringLiteral("Aktuálne hodnoty"));
    add_page(build_mission(), QStringLiteral("Misia"));
    add_page(build_conditions(), QStringLiteral("Podmienky"));
    add_page(build_graph(), QStringLiteral("Graf"));
    connect_graph_controls();
}

void LoggerPages::add_page(QWidget* page, const QString& caption)
{
    // Each page scrolls inside its tab, so the window can be made as small as
    // the user likes.
    auto* scroll = new QScrollArea;
    scroll->setObjectName(page->objectName() + "Scroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(page);
    scroll->setMinimumSize(1, 1);
    addTab(scroll, caption);
}

QWidget* LoggerPages::build_global()
{
    tab_global = new QWidget;
    tab_global->setObjectName("TabSheet1");
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
    return tab_global;
}

QWidget* LoggerPages::build_actual()
{
    tab_actual = new QWidget;
    tab_actual->setObjectName("TabSheet2");
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
    PanTempFahren = make_panel(tab_actual, "PanTempFahren", QStringLiteral("Aktuálna teplota [Fahrenheit]"));
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
    return tab_actual;
}

QWidget* LoggerPages::build_mission()
{
    tab_mission = new QWidget;
    tab_mission->setObjectName("TabSheet3");
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
    for (QCheckBox* c : {CHKmission, CHKroll}) {
        c->setAttribute(Qt::WA_TransparentForMouseEvents);
        c->setFocusPolicy(Qt::NoFocus);
    }
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
    return tab_mission;
}

QWidget* LoggerPages::build_conditions()
{
    tab_conditions = new QWidget;
    tab_conditions->setObjectName("TabSheet4");
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
    return tab_conditions;
}

QWidget* LoggerPages::build_graph()
{
    tab_graph = new QWidget;
    tab_graph->setObjectName("TabSheet5");
    auto* v = new QVBoxLayout(tab_graph);
    v->setContentsMargins(2, 2, 2, 2);
    v->setSpacing(2);
    ToolBar2 = new QToolBar(tab_graph);
    ToolBar2->setObjectName("ToolBar2");
    ToolBar2->setToolButtonStyle(Qt::ToolButtonTextOnly);
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
                         QStringLiteral("2-týždne"), QStringLiteral("1-mesiac"), QStringLiteral("2-mesiace"),
                         QStringLiteral("3-mesiace"), QStringLiteral("6-mesiacov")});
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
    LBLtempaxis = make_label(tab_graph, "LBLtempaxis", {});
    LBLhumiaxis = make_label(tab_graph, "LBLhumiaxis", {});
    CheckBox1 = new QCheckBox(QStringLiteral("Auto"), tab_graph);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setToolTip(QStringLiteral("Automatická mierka Y osí"));
    CheckBox1->setChecked(true);
    for (QWidget* w : std::initializer_list<QWidget*>{CheckBox1, LBLtempaxis, SpinEdit1, SpinEdit2,
                                                      LBLhumiaxis, SpinEdit3, SpinEdit4})
        row2->addWidget(w);
    row2->addStretch(1);
    v->addLayout(row2);
    v->addStretch(1);
    return tab_graph;
}

void LoggerPages::add_trend_page(QWidget* page)
{
    // The trend's chart would make every page as tall as itself: it asks
    // for no room of its own, gets it while shown, and scrolls when that is
    // too little.
    class Roomless : public QScrollArea
    {
    public:
        QSize sizeHint() const override { return {0, 0}; }
        QSize minimumSizeHint() const override { return {0, 0}; }
    };
    auto* scroll = new Roomless;
    scroll->setObjectName(page->objectName() + "Scroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(page);
    addTab(scroll, QStringLiteral("Priebeh"));
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        setSizePolicy(QSizePolicy::Preferred,
                      index == page_trend ? QSizePolicy::Expanding : QSizePolicy::Maximum);
        emit expanded_changed(index == page_trend);
    });
}

void LoggerPages::set_graph_actions(const QList<QAction*>& actions)
{
    ToolBar2->addActions(actions);
}

void LoggerPages::connect_graph_controls()
{
    connect(DateTimePicker1Check, &QCheckBox::toggled, this, [this](bool on) {
        ComboBox1->setEnabled(on);
        emit graph_changed();
    });
    connect(DateTimePicker1, &QDateEdit::dateChanged, this, [this] {
        if (DateTimePicker1Check->isChecked()) emit graph_changed();
    });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] {
        if (ComboBox1->isEnabled()) emit graph_changed();
    });
    for (QSpinBox* s : {SpinEdit1, SpinEdit2, SpinEdit3, SpinEdit4})
        connect(s, &QSpinBox::valueChanged, this, [this] {
            if (!CheckBox1->isChecked()) emit graph_changed();
        });
    connect(CheckBox1, &QCheckBox::toggled, this, [this](bool on) {
        for (QSpinBox* s : {SpinEdit1, SpinEdit2, SpinEdit3, SpinEdit4})
            s->setEnabled(!on);
        emit graph_changed();
    });
}

GraphControls LoggerPages::graph_controls() const
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

void LoggerPages::apply(const StatusView& v)
{
    if (v.tab_conditions_visible) setTabVisible(page_conditions, *v.tab_conditions_visible);

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
}

void LoggerPages::clear_panels()
{
    for (QLabel* p : {PanTime, pansn, pantype, panbat, Panmisname, panmisname2, PANdelay, panptr, PanPeriod,
                      PanGrad, pantemp, panhumi, PannewRec, panIBname})
        p->clear();
}

void LoggerPages::show_mission_name(const QString& name)
{
    Panmisname->setText(name);
    panmisname2->setText(name);
}

void LoggerPages::ChangeLanguage(const Language& L)
{
    // The graph page's axis units: texts of the table's own.
    LBLtempaxis->setText(L.label(7));
    LBLhumiaxis->setText(L.label(8));
    if (!L.language_loaded) return;

    for (int i = 0; i <= page_graph; ++i)
        setTabText(i, L.capt(10 + i));
    if (count() > page_trend) setTabText(page_trend, L.capt(160));
    CHKmission->setText(L.capt(20));
    CHKroll->setText(L.capt(21));
    Hranice->setTitle(L.capt(22));
    chkpriemer->setText(L.capt(23));
    CheckBox1->setText(L.capt(24));

    // Hints.
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

    // The time spans of the graph; the span chosen stays (the third at start).
    for (int i = 0; i < 8 && i < ComboBox1->count(); ++i)
        ComboBox1->setItemText(i, L.menu(40 + i));
}

} // namespace vx
