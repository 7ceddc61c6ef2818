// The setup dialog: its frame, the change flags, language texts, preparation
// for the attached model and the send of its device values. The pages are
// built in setup_general_page.cpp, setup_device_page.cpp and setup_model_pages.cpp.
#include "app/setup_dialog.h"

#include "app/dialog_controls.h"
#include "app/setup_pages.h"
#include "base/number_format.h"
#include "base/ui_port.h"
#include "link/serial_devices.h"
#include "logger/program_state.h"
#include "logger/record_handoff.h"
#include "programming/calibration_transfer.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vx
{

Tfrmsetup::Tfrmsetup(Global& g, Hooks hooks, QWidget* parent)
    : QDialog(parent), g_(g), hooks_(std::move(hooks)), setup_(g, {hooks_.show_status})
{
    setObjectName("frmsetup");
    setWindowTitle(u("Nastavenia"));
    setMinimumWidth(480);
    build();
    connect_changes();
    // FormCreate: the switches as the settings file holds them.
    CHKautograph->setChecked(read_autograph(g_.program_dir));
    CHKmaxim->setChecked(read_panmaximize(g_.program_dir));
    chktip->setChecked(read_setting_bool(g_.program_dir, key::GLOBAL, key::SHOWTIP, true));
    chkchecktime->setChecked(read_setting_bool(g_.program_dir, key::GLOBAL, key::CHECKTIME, true));
    ChangeLanguage();
}

void Tfrmsetup::restore_designed()
{
    for (const auto& [widget, caption, hint] : designed_) {
        if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(caption);
        if (auto* group = qobject_cast<QGroupBox*>(widget)) group->setTitle(caption);
        widget->setToolTip(hint);
    }
}

void Tfrmsetup::build()
{
    auto* lay = new QVBoxLayout(this);
    PageControl1 = named(new QTabWidget(this), "PageControl1");
    lay->addWidget(PageControl1);
    TabSheet2 = build_general();
    TabSheet3 = build_device();
    TabSheet4 = build_database();
    TabSheet5 = build_psychro();
    TabLumeo = build_lumeo();
    TabTHIOUT = build_current_output();
    tablcdflow = build_flow();
    tabvietor = build_wind();
    tabpress = build_pressure();
    const std::pair<QWidget*, const char*> tabs[] = {
        {TabSheet2, "Obecné"},  {TabSheet3, "Prístroj"}, {TabSheet4, "Databáza"},
        {TabSheet5, "PSYCHRO"}, {TabLumeo, "Lumeo"},     {TabTHIOUT, "Temp/Humi LCD  I-Out"},
        {tablcdflow, ""},       {tabvietor, ""},         {tabpress, "Pressure"}};
    for (const auto& [tab, caption] : tabs)
        PageControl1->addTab(tab, u(caption));

    auto* buttons = new QHBoxLayout;
    btok = named(new QPushButton(QStringLiteral("OK"), this), "btok");
    Button2 = named(new QPushButton(u("Zrušiť"), this), "Button2");
    btok->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(btok);
    buttons->addWidget(Button2);
    lay->addLayout(buttons);
    connect(btok, &QPushButton::clicked, this, &Tfrmsetup::btokClick);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void Tfrmsetup::connect_changes()
{
    // Any edit of a device value enables the send; what goes out is decided
    // against what the fields showed.
    auto enable = [this] { BTsend->setEnabled(true); };
    for (QLineEdit* e : {EDtempoff,  edposunT2, EDA0,     EDA1,      EDA2,     edbatlo,   EDMeaslen,
                         EDlumeooff, edpress,   ED_pwmT4, ED_pwmT20, ED_pwmH4, ED_pwmH20, ED_temp4,
                         ED_temp20,  EDFlowA,   EDflowB,  edr0,      edr1,     eds0,      eds1})
        connect(e, &QLineEdit::textChanged, this, enable);
    connect(RBcelsius, &QRadioButton::toggled, this, enable);
    connect(CHKdebugLC, &QCheckBox::toggled, this, enable);
    connect(flow_buttons, &QButtonGroup::idClicked, this, enable);
    connect(chkbat, &QCheckBox::clicked, this, enable);
}

void Tfrmsetup::ChangeLanguage()
{
    const Language& l = g_.lang;
    // A model's adaptations go first; the next showing makes them again.
    restore_designed();
    own_.apply(l);
    const std::pair<QWidget*, int> own_tabs[] = {{tablcdflow, 25}, {tabvietor, 26}};
    for (const auto& [tab, n] : own_tabs)
        PageControl1->setTabText(PageControl1->indexOf(tab), l.capt(n));
    if (l.language_loaded) apply_block_texts();
    // What the model preparation starts from: the designed texts, or a language file's.
    designed_ = {{Label1, Label1->text(), Label1->toolTip()},
                 {EDtempoff, QString(), EDtempoff->toolTip()},
                 {groupcal, groupcal->title(), groupcal->toolTip()},
                 {LBLA0, LBLA0->text(), QString()},
                 {LBLA1, LBLA1->text(), QString()}};
}

void Tfrmsetup::apply_block_texts()
{
    const Language& l = g_.lang;
    setWindowTitle(l.capt(50));
    const std::pair<QWidget*, int> tabs[] = {{TabSheet2, 52}, {TabSheet3, 53}, {TabSheet4, 54}};
    for (const auto& [tab, n] : tabs)
        PageControl1->setTabText(PageControl1->indexOf(tab), l.capt(n));
    btok->setText(l.capt(56));
    Button2->setText(l.capt(57));
    BTsend->setText(l.capt(58));
    BitBtn1->setText(l.capt(59));
    CHKautograph->setText(l.label(60));
    CHKmaxim->setText(l.label(61));
    chktip->setText(l.label(62));
    chkchecktime->setText(l.label(63));
    Label1->setText(l.label(64));
    chkbat->setText(l.label(65));
    GroupBox1->setTitle(l.label(66));
    EDtempoff->setToolTip(l.hint(60));
    chkbat->setToolTip(l.hint(61));
    BTsend->setToolTip(l.hint(62));
}

void Tfrmsetup::prepare_for_show(float correction1, int com_port)
{
    EDtempoff->setText(format_number("%5.1f", correction1));
    new_devices_.clear();
    if (QAbstractButton* b = com_buttons->button(com_port)) b->setChecked(true);
    com_changed_ = false;
}

void Tfrmsetup::show_tab(QWidget* tab, bool shown)
{
    PageControl1->setTabVisible(PageControl1->indexOf(tab), shown);
}

void Tfrmsetup::showEvent(QShowEvent* event)
{
    prepare();
    QDialog::showEvent(event);
}

void Tfrmsetup::prepare()
{
    LBLlogdir->setText(log_dir(g_));
    show_com_device();
    show_languages();
    for (QWidget* tab : {TabSheet3, TabSheet5, TabLumeo, TabTHIOUT, tablcdflow, tabvietor, tabpress})
        show_tab(tab, false);
    if (!service_) return;

    show_tab(TabSheet3, true);
    CHKautograph->setChecked(read_autograph(g_.program_dir));
    CHKmaxim->setChecked(read_panmaximize(g_.program_dir));
    chktip->setChecked(read_setting_bool(g_.program_dir, key::GLOBAL, key::SHOWTIP, true));
    const std::uint16_t type = g_.ident.type_code;
    prepare_device(type);
    chkbat->setChecked(false); // a battery is replaced once, in the logger it was ticked for
    remember_shown();
    resend_pressure_ = type == 133;
    if (type == 107 || type == 111) BTsend->setEnabled(false);
}

void Tfrmsetup::remember_shown()
{
    shown_ = form();
    shown_.new_battery = false;
    shown_dry_ = EDoffSuchy->text();
    shown_wet_ = EDoffMokry->text();
    shown_serial_ = g_.status.serial;
}

SetupForm Tfrmsetup::form() const
{
    SetupForm f;
    f.temp_offset = EDtempoff->text();
    f.offset2 = edposunT2->text();
    f.new_battery = !chkbat->isHidden() && chkbat->isChecked();
    f.battery_low = edbatlo->text();
    f.measure_length = EDMeaslen->text();
    f.coef = {EDA0->text(), EDA1->text(), EDA2->text()};
    f.celsius = RBcelsius->isChecked();
    f.humidity_offset = EDlumeooff->text();
    f.calib_process = CHKdebugLC->isChecked();
    f.pressure = edpress->text();
    f.pwm = {ED_pwmT4->text(), ED_pwmT20->text(), ED_pwmH4->text(), ED_pwmH20->text()};
    f.temp4 = ED_temp4->text();
    f.temp20 = ED_temp20->text();
    f.flow_a = EDFlowA->text();
    f.flow_b = EDflowB->text();
    f.flow_conversion = flow_buttons->checkedId();
    f.wind = {edr0->text(), edr1->text(), eds0->text(), eds1->text()};
    return f;
}

void Tfrmsetup::BTsendClick()
{
    // The fields are checked and typed once, here; the send takes only the settings.
    QString refusal;
    bool offset_tip = false;
    auto settings = parse_device_settings(g_.ident.type_code, form(), shown_, g_.lang, &refusal, &offset_tip);
    if (!settings) {
        if (g_.ui) g_.ui->show_message(refusal, btn::ok);
        if (offset_tip && hooks_.show_tip) hooks_.show_tip(QStringLiteral("ERRTIP0011"));
        return;
    }
    settings->resend_pressure = resend_pressure_;
    const DeviceSetup::Outcome out = setup_.send(*settings, shown_serial_);
    if (out.battery_replaced) chkbat->setChecked(false);
    if (out.result == DeviceSetup::Result::refused) return;
    resend_pressure_ = false;
    after_send();
}

void Tfrmsetup::BTsendPsychroClick()
{
    QString refusal;
    const auto offsets = parse_psychro_offsets(EDoffSuchy->text(), EDoffMokry->text(), shown_dry_, shown_wet_,
                                               g_.lang, &refusal);
    if (!offsets) {
        if (g_.ui) g_.ui->show_message(refusal, btn::ok);
        return;
    }
    if (setup_.send_psychro_offsets(*offsets, shown_serial_) != DeviceSetup::Result::refused) after_send();
}

void Tfrmsetup::after_send()
{
    const std::uint16_t type = g_.ident.type_code;
    const bool battery = chkbat->isChecked();
    prepare_device(type);
    chkbat->setChecked(battery);
    // These models take the fixed battery-low level with every send.
    if (type == 107 || type == 111) edbatlo->setText(QStringLiteral("200"));
    remember_shown();
    BTsend->setEnabled(false);
}

void Tfrmsetup::btokClick()
{
    const QString dir = LBLlogdir->text();
    QString error;
    auto stored = [&](bool ok) {
        if (!ok && g_.ui) g_.ui->plain_message(error);
        return ok;
    };
    if (dir.size() > 2) {
        if (!stored(write_setting_string(g_.program_dir, key::GLOBAL, key::LOGDIR, dir, &error))) return;
        g_.settings.LOGDIR = dir;
    }
    if (hooks_.refresh_database) hooks_.refresh_database();
    const std::pair<const char*, QCheckBox*> switches[] = {{key::PANMAXIMIZE, CHKmaxim},
                                                           {key::AUTOGRAPH, CHKautograph},
                                                           {key::SHOWTIP, chktip},
                                                           {key::CHECKTIME, chkchecktime}};
    for (const auto& [name, box] : switches)
        if (!stored(write_setting_bool(g_.program_dir, key::GLOBAL, name, box->isChecked(), &error))) return;
    if (!stored(store_port_devices(&error))) return;
    if (!stored(store_language(&error))) return;
    g_.settings.CHECKTIME = chkchecktime->isChecked();
    g_.settings.SHOWTIP = chktip->isChecked();
    if (hooks_.show_tips) hooks_.show_tips(chktip->isChecked());
    accept();
}

void Tfrmsetup::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        done(escaped);
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Tfrmsetup::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == Label1) ask_service_code();
        if (watched == edr0) send_wind_text(g_, 0, edr0->text());
        if (watched == edr1) send_wind_text(g_, 1, edr1->text());
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vx
