#include "app/setup_dialog.h"

#include "app/dialog_controls.h"
#include "app/serial_number_change.h"
#include "app/up_down.h"
#include "base/number_format.h"
#include "base/ui_port.h"
#include "link/serial_devices.h"
#include "link/serial_port.h"
#include "logger/catalogue.h"
#include "logger/program_state.h"
#include "logger/record_handoff.h"
#include "programming/calibration_transfer.h"
#include "programming/encoders.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
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

namespace
{

QLineEdit* edit(QWidget* parent, const char* name, const char* text = "0")
{
    auto* e = named(new QLineEdit(QString::fromLatin1(text), parent), name);
    e->setMaximumWidth(110);
    return e;
}

bool one_of(std::uint16_t type, std::initializer_list<int> types)
{
    for (int t : types)
        if (t == type) return true;
    return false;
}

} // namespace

Tfrmsetup::Tfrmsetup(Global& g, Hooks hooks, QWidget* parent)
    : QDialog(parent), g_(g), hooks_(std::move(hooks)), setup_(g, hooks_.show_tip)
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
        {TabSheet2, "Obecné"},       {TabSheet3, "Prístroj"}, {TabSheet4, "Databáza"},
        {TabSheet5, "PSYCHRO"},      {TabLumeo, "Lumeo"},     {TabTHIOUT, "Temp/Humi LCD  I-Out"},
        {tablcdflow, "Prietok LCD"}, {tabvietor, "Vietor"},   {tabpress, "Pressure"}};
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

QWidget* Tfrmsetup::build_general()
{
    auto* tab = named(new QWidget, "TabSheet2");
    auto* lay = new QVBoxLayout(tab);
    RGcomport = named(new QGroupBox(QStringLiteral("COM port"), tab), "RGcomport");
    auto* grid = new QGridLayout(RGcomport);
    com_buttons = new QButtonGroup(this);
    for (int n = 1; n <= 16; ++n) {
        auto* b = new QRadioButton(QStringLiteral("COM%1").arg(n), RGcomport);
        b->setObjectName(QStringLiteral("COM%1").arg(n));
        com_buttons->addButton(b, n);
        grid->addWidget(b, (n - 1) / 4, (n - 1) % 4);
    }
    lay->addWidget(RGcomport);
    auto* device_row = new QHBoxLayout;
    LBLcomdevice = named(new QLabel(tab), "LBLcomdevice");
    CBcomdevice = named(new QComboBox(tab), "CBcomdevice", "Zariadenie, ktoré tento COM port otvára");
    CBcomdevice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CBcomdevice->setMinimumContentsLength(28);
    device_row->addWidget(LBLcomdevice);
    device_row->addWidget(CBcomdevice, 1);
    lay->addLayout(device_row);
    CHKautograph = named(new QCheckBox(u("Automaticky otvárať graf"), tab), "CHKautograph");
    CHKmaxim = named(new QCheckBox(u("Maximalizovať okno údajov"), tab), "CHKmaxim");
    chktip = named(new QCheckBox(u("Zobrazovať tipy"), tab), "chktip");
    chkchecktime = named(new QCheckBox(u("Kontrolovať čas prístroja"), tab), "chkchecktime");
    for (QCheckBox* c : {CHKautograph, CHKmaxim, chktip, chkchecktime})
        lay->addWidget(c);
    lay->addStretch();
    connect(com_buttons, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (!on) return;
        com_changed_ = true;
        show_com_device();
    });
    connect(CBcomdevice, &QComboBox::activated, this, [this](int index) {
        new_devices_[selected_com()] = CBcomdevice->itemData(index).toString();
        show_com_device();
    });
    connect(chkchecktime, &QCheckBox::clicked, this, [this](bool on) { g_.settings.CHECKTIME = on; });
    return tab;
}

QWidget* Tfrmsetup::build_device()
{
    auto* tab = named(new QWidget, "TabSheet3");
    auto* lay = new QVBoxLayout(tab);
    GroupBox1 = named(new QGroupBox(u("Zapisovač"), tab), "GroupBox1");
    auto* grid = new QGridLayout(GroupBox1);
    Label1 = named(new QLabel(u("Posun teploty"), GroupBox1), "Label1");
    EDtempoff = edit(GroupBox1, "EDtempoff");
    EDtempoff->setToolTip(u("Posun teploty v 'C"));
    Updndoba = named(new UpDown(GroupBox1), "Updndoba");
    chkbat = named(new QCheckBox(u("nastaviť nová batéria"), GroupBox1), "chkbat",
                   "Po výmene batérie zaškrtnite pole");
    LBLbatlo = named(new QLabel(QStringLiteral("BATLO border"), GroupBox1), "LBLbatlo");
    edbatlo = edit(GroupBox1, "edbatlo", "215");
    LBLmeaslen = named(new QLabel(u("Doba merania"), GroupBox1), "LBLmeaslen");
    EDMeaslen = edit(GroupBox1, "EDMeaslen", "20");
    EDMeaslen->setToolTip(u("Doba merania LCD [msec]"));
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(EDtempoff, 0, 1);
    grid->addWidget(Updndoba, 0, 2);
    grid->addWidget(chkbat, 1, 0, 1, 3);
    grid->addWidget(LBLbatlo, 2, 0);
    grid->addWidget(edbatlo, 2, 1);
    grid->addWidget(LBLmeaslen, 3, 0);
    grid->addWidget(EDMeaslen, 3, 1);
    grid->setColumnStretch(3, 1);
    lay->addWidget(GroupBox1);

    PanOffset2 = named(new QWidget(tab), "PanOffset2");
    auto* offset2 = new QHBoxLayout(PanOffset2);
    offset2->setContentsMargins(0, 0, 0, 0);
    edposunT2 = edit(PanOffset2, "edposunT2");
    offset2->addWidget(new QLabel(QStringLiteral("Offset T2"), PanOffset2));
    offset2->addWidget(edposunT2);
    offset2->addStretch();
    lay->addWidget(PanOffset2);

    groupcal = named(new QGroupBox(QStringLiteral("ANALOG Calibs"), tab), "groupcal");
    auto* cal = new QGridLayout(groupcal);
    LBLA0 = named(new QLabel(QStringLiteral("A0"), groupcal), "LBLA0");
    LBLA1 = named(new QLabel(QStringLiteral("A1"), groupcal), "LBLA1");
    LBLA2 = named(new QLabel(QStringLiteral("A2"), groupcal), "LBLA2");
    EDA0 = edit(groupcal, "EDA0");
    EDA1 = edit(groupcal, "EDA1");
    EDA2 = edit(groupcal, "EDA2");
    BTsendlcd =
        named(new QPushButton(QStringLiteral("LCD CALS"), groupcal), "BTsendlcd", "SEND LCD CALIBRATIONS");
    cal->addWidget(LBLA0, 0, 0);
    cal->addWidget(EDA0, 0, 1);
    cal->addWidget(LBLA1, 1, 0);
    cal->addWidget(EDA1, 1, 1);
    cal->addWidget(LBLA2, 2, 0);
    cal->addWidget(EDA2, 2, 1);
    cal->addWidget(BTsendlcd, 0, 2);
    cal->setColumnStretch(3, 1);
    lay->addWidget(groupcal);

    auto* buttons = new QHBoxLayout;
    BitBtn1 = named(new QPushButton(u("Vymazať"), tab), "BitBtn1", "Vymazať pamäť prístroja");
    BTsend = named(new QPushButton(u("&Odoslať"), tab), "BTsend", "Odoslať nastavenia do prístroja");
    BTsend->setEnabled(false);
    buttons->addWidget(BitBtn1);
    buttons->addStretch();
    buttons->addWidget(BTsend);
    lay->addLayout(buttons);
    lay->addStretch();

    Label1->installEventFilter(this);
    connect(Updndoba, &UpDown::stepped, this, [this](int direction) {
        const double t = to_number(EDtempoff->text()).value_or(0) + 0.1 * direction;
        EDtempoff->setText(format_number("%5.1f", t));
    });
    connect(BTsend, &QPushButton::clicked, this, &Tfrmsetup::BTsendClick);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { setup_.align_pointer(); });
    connect(BTsendlcd, &QPushButton::clicked, this, [this] {
        send_analog_text_block(g_, {EDA0->text(), EDA1->text(), EDA2->text()});
    });
    return tab;
}

QWidget* Tfrmsetup::build_database()
{
    auto* tab = named(new QWidget, "TabSheet4");
    auto* lay = new QHBoxLayout(tab);
    LBLlogdir = named(new QLabel(tab), "LBLlogdir");
    LBLlogdir->setFrameShape(QFrame::StyledPanel);
    Button1 = named(new QPushButton(QStringLiteral("..."), tab), "Button1");
    Button1->setMaximumWidth(30);
    lay->addWidget(new QLabel(u("Adresár databázy:"), tab));
    lay->addWidget(LBLlogdir, 1);
    lay->addWidget(Button1);
    lay->setAlignment(Qt::AlignTop);
    connect(Button1, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, QString(), g_.program_dir);
        if (!dir.isEmpty()) LBLlogdir->setText(dir);
    });
    return tab;
}

QWidget* Tfrmsetup::build_psychro()
{
    auto* tab = named(new QWidget, "TabSheet5");
    auto* grid = new QGridLayout(tab);
    EDoffSuchy = edit(tab, "EDoffSuchy");
    EDoffMokry = edit(tab, "EDoffMokry");
    BTidSuchy = named(new QPushButton(QStringLiteral("ID suchy"), tab), "BTidSuchy");
    BTidmokry = named(new QPushButton(QStringLiteral("ID Mokry"), tab), "BTidmokry");
    BTsendPsychro = named(new QPushButton(QStringLiteral("Odoslat"), tab), "BTsendPsychro");
    grid->addWidget(new QLabel(u("Posun suchý"), tab), 0, 0);
    grid->addWidget(EDoffSuchy, 0, 1);
    grid->addWidget(BTidSuchy, 0, 2);
    grid->addWidget(new QLabel(u("Posun mokrý"), tab), 1, 0);
    grid->addWidget(EDoffMokry, 1, 1);
    grid->addWidget(BTidmokry, 1, 2);
    grid->addWidget(BTsendPsychro, 2, 1);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(3, 1);
    connect(BTidSuchy, &QPushButton::clicked, this, [this] { setup_.identify_sensor(false); });
    connect(BTidmokry, &QPushButton::clicked, this, [this] { setup_.identify_sensor(true); });
    connect(BTsendPsychro, &QPushButton::clicked, this,
            [this] { setup_.send_psychro_offsets(EDoffSuchy->text(), EDoffMokry->text()); });
    return tab;
}

QWidget* Tfrmsetup::build_lumeo()
{
    auto* tab = named(new QWidget, "TabLumeo");
    auto* grid = new QGridLayout(tab);
    RGtempNotacia = named(new QGroupBox(QStringLiteral("Notation"), tab), "RGtempNotacia");
    auto* notation = new QVBoxLayout(RGtempNotacia);
    RBcelsius = named(new QRadioButton(QStringLiteral("Celsius"), RGtempNotacia), "RBcelsius");
    RBfahrenheit = named(new QRadioButton(QStringLiteral("Fahrenheit"), RGtempNotacia), "RBfahrenheit");
    RBcelsius->setChecked(true);
    notation->addWidget(RBcelsius);
    notation->addWidget(RBfahrenheit);
    EDlumeooff = edit(tab, "EDlumeooff");
    CHKdebugLC = named(new QCheckBox(QStringLiteral("Calib process"), tab), "CHKdebugLC");
    grid->addWidget(RGtempNotacia, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Humidity offset:"), tab), 1, 0);
    grid->addWidget(EDlumeooff, 1, 1);
    grid->addWidget(CHKdebugLC, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(2, 1);
    return tab;
}

QWidget* Tfrmsetup::build_current_output()
{
    auto* tab = named(new QWidget, "TabTHIOUT");
    auto* grid = new QGridLayout(tab);
    ED_pwmT4 = edit(tab, "ED_pwmT4");
    ED_pwmT20 = edit(tab, "ED_pwmT20");
    ED_pwmH4 = edit(tab, "ED_pwmH4");
    ED_pwmH20 = edit(tab, "ED_pwmH20");
    ED_temp4 = edit(tab, "ED_temp4");
    ED_temp20 = edit(tab, "ED_temp20");
    UDT4mA = named(new UpDown(tab), "UDT4mA");
    UDT20mA = named(new UpDown(tab), "UDT20mA");
    UDT4mA->associate(ED_temp4, output_temperature_min, output_temperature_max, 1);
    UDT20mA->associate(ED_temp20, output_temperature_min, output_temperature_max, 1);
    const std::pair<const char*, QLineEdit*> pwm[] = {{"PWM teplota 4mA", ED_pwmT4},
                                                      {"PWM teplota 20mA", ED_pwmT20},
                                                      {"PWM vlhkosť 4mA", ED_pwmH4},
                                                      {"PWM vlhkosť 20mA", ED_pwmH20}};
    int row = 0;
    for (const auto& [caption, field] : pwm) {
        grid->addWidget(new QLabel(u(caption), tab), row, 0);
        grid->addWidget(field, row++, 1);
    }
    grid->addWidget(new QLabel(u("Teplota pre 4mA ['C]"), tab), row, 0);
    grid->addWidget(ED_temp4, row, 1);
    grid->addWidget(UDT4mA, row++, 2);
    grid->addWidget(new QLabel(u("Teplota pre 20mA ['C]"), tab), row, 0);
    grid->addWidget(ED_temp20, row, 1);
    grid->addWidget(UDT20mA, row++, 2);
    grid->addWidget(new QLabel(QStringLiteral("Vlhkost 0%RH = 4mA"), tab), row++, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Vlhkost 100%RH = 20mA"), tab), row++, 0, 1, 3);
    auto* note = new QLabel(QStringLiteral("Udaje nastavuje vyrobca"), tab);
    note->setStyleSheet(QStringLiteral("color: red"));
    grid->addWidget(note, row++, 0, 1, 3);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(3, 1);
    return tab;
}

QWidget* Tfrmsetup::build_flow()
{
    auto* tab = named(new QWidget, "tablcdflow");
    auto* grid = new QGridLayout(tab);
    EDFlowA = edit(tab, "EDFlowA");
    EDflowB = edit(tab, "EDflowB");
    grid->addWidget(new QLabel(u("Koeficienty definujú počet impulzov"), tab), 0, 0, 1, 2);
    grid->addWidget(new QLabel(u("na jednotkove množstvo"), tab), 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("A"), tab), 2, 0);
    grid->addWidget(EDFlowA, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("B"), tab), 3, 0);
    grid->addWidget(EDflowB, 3, 1);
    RGflowtype = named(new QGroupBox(u("Typ prepočtu"), tab), "RGflowtype");
    auto* types = new QVBoxLayout(RGflowtype);
    flow_buttons = new QButtonGroup(this);
    const char* captions[] = {"Len množstvo A", "Množstvo= A + B", "Množstvo= A - B"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(u(captions[i]), RGflowtype);
        b->setObjectName(QStringLiteral("RGflowtype%1").arg(i));
        flow_buttons->addButton(b, i);
        types->addWidget(b);
    }
    grid->addWidget(RGflowtype, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(2, 1);
    return tab;
}

QWidget* Tfrmsetup::build_wind()
{
    auto* tab = named(new QWidget, "tabvietor");
    auto* grid = new QGridLayout(tab);
    edr0 = edit(tab, "edr0");
    edr1 = edit(tab, "edr1");
    eds0 = edit(tab, "eds0");
    eds1 = edit(tab, "eds1");
    const std::pair<const char*, QLineEdit*> fields[] = {
        {"Rýchlosť A0", edr0}, {"Rýchlosť A1", edr1}, {"Smer A0", eds0}, {"Smer A1", eds1}};
    int row = 0;
    for (const auto& [caption, field] : fields) {
        grid->addWidget(new QLabel(u(caption), tab), row, 0);
        grid->addWidget(field, row++, 1);
    }
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(2, 1);
    // A double-click sends one speed coefficient as text.
    edr0->installEventFilter(this);
    edr1->installEventFilter(this);
    return tab;
}

QWidget* Tfrmsetup::build_pressure()
{
    auto* tab = named(new QWidget, "tabpress");
    auto* lay = new QHBoxLayout(tab);
    edpress = edit(tab, "edpress");
    lay->addWidget(new QLabel(QStringLiteral("Press Offset"), tab));
    lay->addWidget(edpress);
    lay->addWidget(new QLabel(QStringLiteral("hPa"), tab));
    lay->addStretch();
    lay->setAlignment(Qt::AlignTop);
    return tab;
}

void Tfrmsetup::connect_changes()
{
    auto mark = [this](std::function<void()> set) {
        return [this, set] {
            set();
            BTsend->setEnabled(true);
        };
    };
    auto on_text = [&](QLineEdit* e, std::function<void()> set) {
        connect(e, &QLineEdit::textChanged, this, mark(std::move(set)));
    };
    on_text(EDtempoff, [this] { changes_.offset = true; });
    on_text(edposunT2, [this] { changes_.offset = true; });
    for (QLineEdit* e : {EDA0, EDA1, EDA2})
        on_text(e, [this] { changes_.coef = true; });
    on_text(edbatlo, [this] { changes_.battery_low = true; });
    on_text(EDMeaslen, [this] { changes_.measure_length = true; });
    on_text(EDlumeooff, [this] { changes_.humidity_offset = true; });
    on_text(edpress, [this] { changes_.pressure = true; });
    QLineEdit* const pwm[] = {ED_pwmT4, ED_pwmT20, ED_pwmH4, ED_pwmH20};
    for (std::size_t i = 0; i < 4; ++i)
        on_text(pwm[i], [this, i] { changes_.pwm[i] = true; });
    on_text(ED_temp4, [this] { changes_.output_temps = true; });
    on_text(ED_temp20, [this] { changes_.output_temps = true; });
    // Flow and wind values are always sent whole; an edit only enables the send.
    for (QLineEdit* e : {EDFlowA, EDflowB, edr0, edr1, eds0, eds1})
        on_text(e, [] {});
    connect(RBcelsius, &QRadioButton::toggled, this, mark([this] { changes_.notation = true; }));
    connect(CHKdebugLC, &QCheckBox::toggled, this, mark([this] { changes_.calib_process = true; }));
    connect(flow_buttons, &QButtonGroup::idClicked, this, mark([] {}));
    connect(chkbat, &QCheckBox::clicked, this, mark([] {}));
}

void Tfrmsetup::ChangeLanguage()
{
    const Language& l = g_.lang;
    if (!l.language_loaded) return;
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

QString Tfrmsetup::mapped_device(int com) const
{
    return new_devices_.value(com, com_device(com, g_.settings.port_devices));
}

void Tfrmsetup::show_com_device()
{
    for (QAbstractButton* b : com_buttons->buttons())
        b->setToolTip(mapped_device(com_buttons->id(b)));
    const int com = selected_com();
    const QString device = mapped_device(com);
    LBLcomdevice->setText(QStringLiteral("COM%1:").arg(com));
    // The devices present, and the mapped one even when it is not there now.
    const QSignalBlocker block(CBcomdevice);
    CBcomdevice->clear();
    for (const SerialDevice& d : list_serial_devices(device_root))
        CBcomdevice->addItem(d.target.isEmpty() ? d.path : d.path + QString::fromUtf8(" → ") + d.target,
                             d.path);
    if (CBcomdevice->findData(device) < 0)
        CBcomdevice->insertItem(0, device + QString::fromUtf8(" (nie je pripojené)"), device);
    CBcomdevice->setCurrentIndex(CBcomdevice->findData(device));
}

bool Tfrmsetup::store_port_devices(QString* error)
{
    for (auto it = new_devices_.cbegin(); it != new_devices_.cend(); ++it) {
        if (it.value() == com_device(it.key(), g_.settings.port_devices)) continue;
        if (!write_setting_string(g_.program_dir, key::PORTS, QStringLiteral("COM%1").arg(it.key()),
                                  it.value(), error))
            return false;
        g_.settings.port_devices[it.key()] = it.value();
        // The open port now stands for another device: the caller reopens it.
        if (it.key() == selected_com()) com_changed_ = true;
    }
    new_devices_.clear();
    return true;
}

int Tfrmsetup::selected_com() const
{
    return com_buttons->checkedId() > 0 ? com_buttons->checkedId() : g_.settings.ComPort;
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
    changes_ = {};
    LBLlogdir->setText(log_dir(g_));
    show_com_device();
    for (QWidget* tab : {TabSheet3, TabSheet5, TabLumeo, TabTHIOUT, tablcdflow, tabvietor, tabpress})
        show_tab(tab, false);
    if (!service_) return;

    show_tab(TabSheet3, true);
    changes_.pwm = {};
    CHKautograph->setChecked(read_autograph(g_.program_dir));
    CHKmaxim->setChecked(read_panmaximize(g_.program_dir));
    chktip->setChecked(read_setting_bool(g_.program_dir, key::GLOBAL, key::SHOWTIP, true));
    const std::uint16_t type = g_.ident.type_code;
    prepare_device(type);
    changes_ = {};
    // The pressure offset goes out with the first send after opening.
    changes_.pressure = type == 133;
    if (type == 107 || type == 111) BTsend->setEnabled(false);
}

void Tfrmsetup::prepare_device(std::uint16_t type)
{
    // A dialog that served another model before starts from its design.
    for (QWidget* w : std::initializer_list<QWidget*>{Label1, EDtempoff, Updndoba, chkbat, groupcal, LBLA0,
                                                      LBLA1, LBLA2, EDA2, BTsendlcd, BitBtn1})
        w->show();
    for (QWidget* w : std::initializer_list<QWidget*>{LBLbatlo, edbatlo, LBLmeaslen, EDMeaslen, PanOffset2})
        w->hide();
    groupcal->setEnabled(false); // the second access code enables it
    groupcal->setTitle(QStringLiteral("ANALOG Calibs"));
    LBLA0->setText(QStringLiteral("A0"));
    LBLA1->setText(QStringLiteral("A1"));
    Label1->setText(u("Posun teploty"));

    const LoggerSetupValues v = setup_values(type, g_.coef, g_.status);
    auto coefficients = [&](int count) {
        QLineEdit* fields[] = {EDA0, EDA1, EDA2};
        for (int i = 0; i < count; ++i)
            fields[i]->setText(v.coef[static_cast<std::size_t>(i)]);
    };
    if (one_of(type, {86, 87, 92, 94, 95, 97, 101, 103, 108, 129, 130, 131, 132})) {
        coefficients(3);
        EDtempoff->setText(v.t1);
    }
    // Loggers without calibration coefficients have no calibration group.
    const ModelRow* row = find_model(type);
    if (row && row->setup_calib_group == 0) groupcal->hide();
    switch (type) {
    case 95:
    case 97:
    case 101:
        chkbat->hide();
        for (QWidget* w : std::initializer_list<QWidget*>{LBLbatlo, edbatlo, LBLmeaslen, EDMeaslen})
            w->show();
        break;
    case 99:
        show_tab(TabSheet5, true);
        EDoffSuchy->setText(v.t1);
        EDoffMokry->setText(v.t2);
        break;
    case 100:
    case 106:
    case 133:
        show_tab(TabLumeo, true);
        show_tab(tabpress, type == 133);
        show_tab(TabTHIOUT, type == 106);
        chkbat->hide();
        coefficients(2);
        EDlumeooff->setText(v.coef[2]);
        if (type == 133) edpress->setText(v.coef[3]);
        (v.celsius ? RBcelsius : RBfahrenheit)->setChecked(true);
        CHKdebugLC->setChecked(setup_.calibration_process());
        if (type == 106) {
            QLineEdit* pwm[] = {ED_pwmT4, ED_pwmT20, ED_pwmH4, ED_pwmH20};
            for (std::size_t i = 0; i < 4; ++i)
                pwm[i]->setText(v.pwm[i]);
            ED_temp4->setText(v.temp4);
            ED_temp20->setText(v.temp20);
        }
        break;
    case 105:
        for (QWidget* w :
             std::initializer_list<QWidget*>{Label1, EDtempoff, Updndoba, LBLA2, EDA2, BTsendlcd})
            w->hide();
        show_tab(TabLumeo, false);
        groupcal->setTitle(u("Posuny teploty"));
        LBLA0->setText(QStringLiteral("T1"));
        LBLA1->setText(QStringLiteral("T2"));
        EDA0->setText(v.t1);
        EDA1->setText(v.t2);
        break;
    case 107:
        show_tab(tablcdflow, true);
        EDFlowA->setText(v.coef[0]);
        EDflowB->setText(v.coef[1]);
        if (QAbstractButton* b = flow_buttons->button(v.flow_conversion)) b->setChecked(true);
        break;
    case 108:
    case 131:
        for (QWidget* w : std::initializer_list<QWidget*>{BTsendlcd, BitBtn1, chkbat})
            w->hide();
        PanOffset2->show();
        edposunT2->setText(v.t2);
        break;
    case 111:
        show_tab(tabvietor, true);
        chkbat->hide();
        groupcal->hide();
        edr0->setText(v.coef[0]);
        edr1->setText(v.coef[1]);
        eds0->setText(v.coef[2]);
        eds1->setText(v.coef[3]);
        break;
    case 129:
    case 130:
    case 132:
        chkbat->hide();
        BTsendlcd->hide();
        if (type == 130) Label1->setText(QStringLiteral("Posun I"));
        if (type == 132) {
            Label1->setText(QStringLiteral("Posun H"));
            EDtempoff->setToolTip(QStringLiteral("Posun hladiny v cm"));
        }
        break;
    default:
        break;
    }
}

void Tfrmsetup::ask_service_code()
{
    if (!g_.ui) return;
    const auto code = g_.ui->input_box(u("Servis..."), QStringLiteral("ENTER PASSWORD"), QString());
    if (!code || *code != QLatin1String(SerialNumberChange::access_code)) return;
    groupcal->setEnabled(true);
    const std::uint16_t type = g_.ident.type_code;
    if (one_of(type, {95, 97, 101}))
        for (QWidget* w :
             std::initializer_list<QWidget*>{BTsendlcd, LBLbatlo, edbatlo, LBLmeaslen, EDMeaslen})
            w->show();
    if (one_of(type, {96, 99, 100})) {
        LBLbatlo->show();
        edbatlo->show();
    }
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
    SetupForm f = form();
    if (setup_.send(f, changes_) == DeviceSetup::Result::refused) return;
    edbatlo->setText(f.battery_low);
    BTsend->setEnabled(false);
}

void Tfrmsetup::send_wind_text(int index, const QString& text)
{
    g_.link.show_progress(QString());
    send_coefficient_text(g_, index, text);
    if (g_.ui) g_.ui->progress_hide();
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
        if (watched == edr0) send_wind_text(0, edr0->text());
        if (watched == edr1) send_wind_text(1, edr1->text());
    }
    return QDialog::eventFilter(watched, event);
}

bool change_com_port(Global& g, int new_port)
{
    if (g.link.port_open) g.link.close_comport();
    g.settings.ComPort = new_port;
    if (!g.link.open_comport(new_port, g.settings.port_devices)) {
        g.link.port_open = false;
        if (g.ui) g.ui->show_message(port_failure_text(g), btn::ok);
        return false;
    }
    QString error;
    if (!write_setting_int(g.program_dir, key::GLOBAL, key::ComPort, new_port, &error) && g.ui)
        g.ui->plain_message(error);
    return true;
}

QString port_failure_text(const Global& g)
{
    const TCommPortDriver* driver = g.link.driver();
    if (!driver) return g.lang.mess(1);
    const QString advice = open_fault_advice(driver->last_fault(), driver->device_path());
    return advice.isEmpty() ? g.lang.mess(1) : g.lang.mess(1) + QStringLiteral("\r\n") + advice;
}

} // namespace vx
