#include "app/start_mission_dialog.h"

#include "app/dialog_controls.h"
#include "app/up_down.h"
#include "base/number_format.h"
#include "base/ui_port.h"
#include "logger/program_state.h"
#include "programming/encoders.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <cmath>

namespace vx
{

namespace
{

const char* const limit_hint_lo = "Zapisovat len ak je teplota pod stanovenu hranicu";
const char* const limit_hint_hi = "Zapisovat len ak je teplota nad stanovenu hranicu";
const char* const gradient_hint = "Zapíše teplotu len ak sa zmení o hodnotu";
const char* const synchro_hint = "Zapis udaja v celistvej minute, napr: 8:00 8:10 8:20";

} // namespace

Tfrmstart::Tfrmstart(Global& g, MissionStart::Hooks hooks, QWidget* parent)
    : QDialog(parent), g_(g), hooks_(std::move(hooks))
{
    setObjectName("frmstart");
    setWindowTitle(u("Štart misie / merania"));
    build();
    ChangeLanguage();
}

void Tfrmstart::restore_designed()
{
    for (const Designed& d : designed_) {
        set_caption(d.widget, d.caption);
        d.widget->setToolTip(d.hint);
    }
}

void Tfrmstart::build()
{
    auto* lay = new QVBoxLayout(this);
    auto* top = new QGridLayout;
    lay->addLayout(top);
    Label1 = named(new QLabel(u("Názov misie:"), this), "Label1");
    EDname = named(new QLineEdit(this), "EDname", "Pre názov nesmiete použiť znaky , . :");
    EDname->setMaxLength(15);
    Label3 = named(new QLabel(u("Poznámka:"), this), "Label3");
    EDremark = named(new QLineEdit(this), "EDremark", "Použije sa pre databázu");
    Label2 = named(new QLabel(u("Interval zápisu:"), this), "Label2");
    EDperiod = named(new QLineEdit(QStringLiteral("30"), this), "EDperiod",
                     "Kliknite sem a vložte hodnotu v rozsahu 1..255 minút");
    EDperiod->setMaximumWidth(60);
    UpDown1 = named(new UpDown(this), "UpDown1");
    UpDown1->associate(EDperiod, 0, 255, 5);
    Label5 = named(new QLabel(QStringLiteral("min"), this), "Label5");
    chksynchro = named(new QCheckBox(QStringLiteral("Synchro"), this), "chksynchro", synchro_hint);
    chksynchro->setChecked(true);
    top->addWidget(Label1, 0, 0);
    top->addWidget(EDname, 0, 1, 1, 4);
    top->addWidget(Label3, 1, 0);
    top->addWidget(EDremark, 1, 1, 1, 4);
    top->addWidget(Label2, 2, 0);
    auto* period_row = new QHBoxLayout;
    period_row->addWidget(EDperiod);
    period_row->addWidget(UpDown1);
    period_row->addWidget(Label5);
    period_row->addStretch();
    period_row->addWidget(chksynchro);
    top->addLayout(period_row, 2, 1, 1, 4);
    Label2->installEventFilter(this);

    // The condition groups share one place; a model shows at most one.
    GroupBox2 = named(new QGroupBox(u("Podmienky zapisu teploty"), this), "GroupBox2");
    auto* cond = new QGridLayout(GroupBox2);
    Label4 = named(new QLabel(u("Pri zmene:"), GroupBox2), "Label4");
    EDgrad = named(new QLineEdit(QStringLiteral("0"), GroupBox2), "EDgrad", gradient_hint);
    EDgrad->setMaximumWidth(60);
    UDgrad = named(new UpDown(GroupBox2), "UDgrad");
    chkLo = named(new QCheckBox(QStringLiteral("Spodna"), GroupBox2), "chkLo", "Povolit podmienku zapisu");
    chkHi = named(new QCheckBox(QStringLiteral("Horna"), GroupBox2), "chkHi", "Povolit podmienku zapisu");
    SpinLo = named(new QSpinBox(GroupBox2), "SpinLo", limit_hint_lo);
    spinHI = named(new QSpinBox(GroupBox2), "spinHI", limit_hint_hi);
    Label6 = own_.caption(named(new QLabel(GroupBox2), "Label6"), "LABEL7");
    Label7 = own_.caption(named(new QLabel(GroupBox2), "Label7"), "LABEL7");
    cond->addWidget(Label4, 0, 0);
    cond->addWidget(EDgrad, 0, 1);
    cond->addWidget(UDgrad, 0, 2);
    cond->addWidget(chkLo, 1, 0);
    cond->addWidget(SpinLo, 1, 1);
    cond->addWidget(Label6, 1, 2);
    cond->addWidget(chkHi, 2, 0);
    cond->addWidget(spinHI, 2, 1);
    cond->addWidget(Label7, 2, 2);
    cond->setColumnStretch(3, 1);
    lay->addWidget(GroupBox2);

    Gprietok = own_.caption(named(new QGroupBox(this), "Gprietok"), "CAPT38");
    auto* flow = new QGridLayout(Gprietok);
    EDstav = named(new QLineEdit(QStringLiteral("0"), Gprietok), "EDstav");
    EDkonst = named(new QLineEdit(QStringLiteral("10"), Gprietok), "EDkonst");
    flow->addWidget(own_.caption(new QLabel(Gprietok), "LABEL54"), 0, 0);
    flow->addWidget(EDstav, 0, 1);
    flow->addWidget(own_.caption(new QLabel(Gprietok), "LABEL55"), 1, 0);
    flow->addWidget(EDkonst, 1, 1);
    lay->addWidget(Gprietok);

    grflowlcd = own_.caption(named(new QGroupBox(this), "grflowlcd"), "CAPT39");
    auto* flowlcd = new QHBoxLayout(grflowlcd);
    edgradflow = own_.hint(named(new QLineEdit(QStringLiteral("0"), grflowlcd), "edgradflow"), "HINT74");
    edgradflow->setMaximumWidth(60);
    UpDown2 = named(new UpDown(grflowlcd), "UpDown2");
    UpDown2->associate(edgradflow, 0, 100, 1);
    flowlcd->addWidget(own_.caption(new QLabel(grflowlcd), "LABEL56"));
    flowlcd->addWidget(edgradflow);
    flowlcd->addWidget(UpDown2);
    flowlcd->addStretch();
    lay->addWidget(grflowlcd);

    grp_belsa = own_.caption(named(new QGroupBox(this), "grp_belsa"), "CAPT40");
    auto* belsa = new QGridLayout(grp_belsa);
    edgradbelsa = own_.hint(named(new QLineEdit(QStringLiteral("0"), grp_belsa), "edgradbelsa"), "HINT76");
    chkpriemer = own_.hint(own_.caption(named(new QCheckBox(grp_belsa), "chkpriemer"), "CAPT41"), "HINT75");
    chkpriemer->setChecked(true);
    edtotbelsa = named(new QLineEdit(QStringLiteral("0"), grp_belsa), "edtotbelsa");
    belsa->addWidget(own_.caption(new QLabel(grp_belsa), "LABEL57"), 0, 0);
    belsa->addWidget(edgradbelsa, 0, 1);
    belsa->addWidget(chkpriemer, 1, 0, 1, 2);
    belsa->addWidget(own_.caption(new QLabel(grp_belsa), "LABEL58"), 2, 0);
    belsa->addWidget(edtotbelsa, 2, 1);
    lay->addWidget(grp_belsa);

    GroupBox3 = named(new QGroupBox(u("Pamäť zapisovača"), this), "GroupBox3");
    auto* memory = new QHBoxLayout(GroupBox3);
    CHKclearPTR =
        named(new QCheckBox(u("Nulovať"), GroupBox3), "CHKclearPTR", "Vynuluje ukazovateľ záznamov");
    CHKclearPTR->setChecked(true);
    CHKrol = named(new QCheckBox(u("Rolovať"), GroupBox3), "CHKrol", "Prepisuje pamäť dookola");
    CHKrol->setChecked(true);
    EDptr = named(new QLineEdit(QStringLiteral("0"), GroupBox3), "EDptr", "Ukazovateľ záznamov");
    EDptr->setMaxLength(5);
    EDptr->setMaximumWidth(60);
    EDptr->hide();
    memory->addWidget(CHKclearPTR);
    memory->addWidget(EDptr);
    memory->addWidget(CHKrol);
    memory->addStretch();
    lay->addWidget(GroupBox3);

    GroupBox1 = named(new QGroupBox(u("Odložený štart"), this), "GroupBox1");
    auto* delay = new QHBoxLayout(GroupBox1);
    chkdelay = named(new QCheckBox(u("Odložiť"), GroupBox1), "chkdelay", "Odložený štart misie");
    datepicker = named(new QDateEdit(GroupBox1), "datepicker", "Dátum štartu");
    timePicker = named(new QTimeEdit(GroupBox1), "timePicker", "Čas štartu");
    datepicker->setDisplayFormat(QStringLiteral("d.M.yyyy"));
    timePicker->setDisplayFormat(QStringLiteral("hh:mm"));
    datepicker->setEnabled(false);
    timePicker->setEnabled(false);
    delay->addWidget(chkdelay);
    delay->addWidget(datepicker);
    delay->addWidget(timePicker);
    delay->addStretch();
    lay->addWidget(GroupBox1);

    auto* buttons = new QHBoxLayout;
    BTok = named(new QPushButton(QStringLiteral("OK"), this), "BTok");
    BTcancel = own_.caption(named(new QPushButton(this), "BTcancel"), "CAPT42");
    BTok->setEnabled(false);
    BTok->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(BTok);
    buttons->addWidget(BTcancel);
    lay->addLayout(buttons);

    for (QSpinBox* s : {SpinLo, spinHI}) {
        s->setRange(-120, 120);
        s->setSingleStep(5);
        s->setEnabled(false);
    }
    chkLo->setEnabled(false);
    chkHi->setEnabled(false);

    auto enable_ok = [this] { BTok->setEnabled(true); };
    for (QLineEdit* e : {EDname, EDperiod, EDgrad, edgradbelsa, edgradflow})
        connect(e, &QLineEdit::textChanged, this, enable_ok);
    for (QCheckBox* c : {CHKrol, chkdelay, chkLo, chkHi})
        connect(c, &QCheckBox::clicked, this, enable_ok);
    connect(UDgrad, &UpDown::stepped, this, [this](int direction) {
        UDgradClick(direction);
        BTok->setEnabled(true);
    });
    connect(UpDown2, &UpDown::stepped, this, enable_ok);
    connect(EDgrad, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (const auto v = to_number(text)) gradient_ = *v;
    });
    connect(edgradflow, &QLineEdit::textChanged, this, [this](const QString& text) {
        // The quantity threshold is also the mission's gradient.
        if (const auto v = to_number(text); v && g_.ident.type_code == 107) {
            gradient_ = *v;
            EDgrad->setText(text);
        }
    });
    connect(chkLo, &QCheckBox::toggled, SpinLo, &QWidget::setEnabled);
    connect(chkHi, &QCheckBox::toggled, spinHI, &QWidget::setEnabled);
    connect(chkdelay, &QCheckBox::toggled, this, [this](bool on) {
        datepicker->setEnabled(on);
        timePicker->setEnabled(on);
        if (on) {
            const QDateTime now = g_.now();
            datepicker->setDate(now.date());
            timePicker->setTime(now.time());
        }
    });
    connect(chksynchro, &QCheckBox::toggled, this, [this](bool on) {
        if (g_.ident.type_code == 132) Label5->setText(on ? g_.lang.label(59) : designed_caption(Label5));
    });
    connect(BTok, &QPushButton::clicked, this, &Tfrmstart::BTokClick);
    connect(BTcancel, &QPushButton::clicked, this, &QDialog::reject);
}

void Tfrmstart::ChangeLanguage()
{
    const Language& l = g_.lang;
    // A model's adaptations go first; the next showing makes them again.
    restore_designed();
    own_.apply(l);
    if (l.language_loaded) apply_block_texts();
    // What the model preparation starts from: the designed texts, or a
    // language file's. Model captions replace them only for their model.
    designed_.clear();
    for (QWidget* w : std::initializer_list<QWidget*>{GroupBox2, chksynchro, Label5, EDgrad, chkLo, chkHi,
                                                      SpinLo, spinHI, Label6, Label7})
        designed_.push_back({w, caption_of(w), w->toolTip()});
}

QString Tfrmstart::designed_caption(const QWidget* w) const
{
    for (const Designed& d : designed_)
        if (d.widget == w) return d.caption;
    return caption_of(w);
}

void Tfrmstart::apply_block_texts()
{
    const Language& l = g_.lang;
    setWindowTitle(l.capt(30));
    const std::pair<QWidget*, int> labels[] = {
        {Label1, 40},      {Label3, 41}, {Label2, 42},    {Label5, 43},  {chksynchro, 44},
        {GroupBox2, 45},   {chkLo, 46},  {chkHi, 47},     {Label4, 48},  {GroupBox3, 49},
        {CHKclearPTR, 50}, {CHKrol, 51}, {GroupBox1, 52}, {chkdelay, 53}};
    for (const auto& [w, n] : labels)
        set_caption(w, l.label(n));
    const std::pair<QWidget*, int> hints[] = {
        {EDname, 40},      {EDremark, 41}, {EDperiod, 42}, {chksynchro, 43}, {chkLo, 44},
        {chkHi, 45},       {SpinLo, 46},   {spinHI, 47},   {EDgrad, 48},     {EDptr, 49},
        {CHKclearPTR, 50}, {CHKrol, 51},   {chkdelay, 52}, {datepicker, 53}, {timePicker, 54}};
    for (const auto& [w, n] : hints)
        w->setToolTip(l.hint(n));
}

void Tfrmstart::showEvent(QShowEvent* event)
{
    prepare();
    QDialog::showEvent(event);
}

void Tfrmstart::prepare()
{
    const Language& L = g_.lang;
    const std::uint16_t type = g_.ident.type_code;
    // The fields as they open are a valid mission (the logger's own name
    // again, say): OK starts it without an edit first.
    BTok->setEnabled(true);
    EDname->setEnabled(true);
    GroupBox1->setEnabled(true);
    EDname->setText(g_.status.mission_name);
    grflowlcd->hide();
    grp_belsa->hide();
    Gprietok->hide();
    if (!chkdelay->isChecked()) {
        // Disabled until chkdelay, but showing a sensible moment.
        datepicker->setDate(g_.now().date());
        timePicker->setTime(g_.now().time());
    }

    // A dialog that served another model before starts from its design.
    restore_designed();
    GroupBox2->show();
    GroupBox2->setEnabled(true);
    chksynchro->show();
    EDgrad->setEnabled(true);
    UDgrad->setEnabled(true);
    for (QWidget* w : std::initializer_list<QWidget*>{chkLo, chkHi, SpinLo, spinHI, Label6, Label7})
        w->show();
    chkLo->setEnabled(false);
    chkHi->setEnabled(false);
    for (QSpinBox* s : {SpinLo, spinHI}) {
        s->setRange(-120, 120);
        s->setSingleStep(5);
    }
    const bool timing = type != 93; // the key logger has no interval, gradient or delay
    for (QWidget* w : std::initializer_list<QWidget*>{Label2, EDperiod, UpDown1, Label5, GroupBox1, Label4,
                                                      EDgrad, UDgrad})
        w->setVisible(timing);

    switch (type) {
    case 55:
        EDname->setText(QString::number(g_.status.serial));
        EDname->setEnabled(false);
        GroupBox1->setEnabled(false);
        break;
    case 90:
        EDgrad->setEnabled(false);
        UDgrad->setEnabled(false);
        break;
    case 101:
    case 103:
    case 129:
    case 131:
        prepare_limits();
        break;
    case 102:
        GroupBox2->hide();
        Gprietok->show();
        break;
    case 107:
        GroupBox2->hide();
        grflowlcd->show();
        break;
    case 130:
        chksynchro->hide();
        GroupBox2->hide();
        grp_belsa->show();
        break;
    case 132:
        GroupBox2->setTitle(L.capt(43));
        chksynchro->show();
        chksynchro->setText(L.capt(44));
        chksynchro->setToolTip(L.hint(77));
        chksynchro->setChecked(false);
        for (QWidget* w : std::initializer_list<QWidget*>{chkLo, chkHi, SpinLo, spinHI, Label6, Label7})
            w->hide();
        EDgrad->setToolTip(L.hint(78));
        break;
    default:
        break;
    }
}

void Tfrmstart::prepare_limits()
{
    const Language& L = g_.lang;
    const std::uint16_t type = g_.ident.type_code;
    if (type == 129 || type == 131) {
        spinHI->setToolTip(L.hint(79));
        SpinLo->setToolTip(L.hint(88));
    }
    chkLo->setEnabled(true);
    chkHi->setEnabled(true);
    if (g_.calib.calib_active) {
        GroupBox2->setEnabled(true);
        GroupBox2->setTitle(L.capt(40));
        Label6->setText(g_.calib.ValueRange);
        Label7->setText(g_.calib.ValueRange);
        // Bounds that are not whole numbers are rounded outward.
        const int lo = static_cast<int>(std::floor(g_.calib.MinValue));
        const int hi = static_cast<int>(std::ceil(g_.calib.MaxValue));
        for (QSpinBox* s : {SpinLo, spinHI}) {
            s->setRange(lo, hi);
            s->setSingleStep(std::max(1, (hi - lo) / 10));
        }
    } else if (type == 101 || type == 103) {
        chkHi->setText(L.capt(18));
        spinHI->setToolTip(L.hint(89));
        chkLo->setText(L.capt(19));
        SpinLo->setToolTip(L.hint(90));
    }
}

MissionForm Tfrmstart::form() const
{
    MissionForm f;
    f.name = EDname->text();
    f.remark = EDremark->text();
    f.period = EDperiod->text();
    f.synchro = chksynchro->isChecked();
    f.gradient = EDgrad->text();
    if (chkLo->isChecked()) f.lower = SpinLo->value();
    if (chkHi->isChecked()) f.upper = spinHI->value();
    f.pointer_shown = pointer_shown_;
    f.pointer = EDptr->text();
    f.clear_pointer = CHKclearPTR->isChecked();
    f.rollover = CHKrol->isChecked();
    f.delayed = chkdelay->isChecked();
    f.start_date = datepicker->date();
    f.start_time = timePicker->time();
    f.flow_state = EDstav->text();
    f.flow_constant = EDkonst->text();
    f.flow_gradient = edgradflow->text();
    f.belsa_gradient = edgradbelsa->text();
    f.averaging = chkpriemer->isChecked();
    f.belsa_total = edtotbelsa->text();
    return f;
}

void Tfrmstart::BTokClick()
{
    // The fields are checked and typed once, here; the flow takes only the plan.
    const MissionForm f = form();
    QString refusal;
    const auto plan = parse_mission(f, g_.ident.type_code, g_.lang, &refusal);
    if (!plan) {
        if (g_.ui) g_.ui->show_message(refusal, btn::ok);
        if (f.name.contains(QRegularExpression(QStringLiteral("[.,:]"))) || f.name.trimmed().isEmpty())
            EDname->setFocus();
        return;
    }
    MissionStart flow(g_, hooks_);
    if (flow.run(*plan) == MissionStart::Result::started) accept();
}

void Tfrmstart::UDgradClick(int direction)
{
    if (direction > 0)
        gradient_ += 0.5;
    else if (gradient_ != 0)
        gradient_ -= 0.5;
    EDgrad->setText(format_number("%4.1f", gradient_));
}

void Tfrmstart::show_pointer_field()
{
    pointer_shown_ = true; // for the dialog's lifetime
    EDptr->show();
}

void Tfrmstart::mouseDoubleClickEvent(QMouseEvent* event)
{
    show_pointer_field();
    QDialog::mouseDoubleClickEvent(event);
}

bool Tfrmstart::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label2 && event->type() == QEvent::MouseButtonDblClick) show_pointer_field();
    return QDialog::eventFilter(watched, event);
}

void Tfrmstart::done(int result)
{
    BTok->setEnabled(false);
    QDialog::done(result);
}

} // namespace vx
