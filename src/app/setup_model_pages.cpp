// The setup dialog's model pages: psychrometer, Lumeo humidity, current
// output, flow display, wind and air pressure.
#include "app/setup_dialog.h"

#include "app/dialog_controls.h"
#include "app/setup_pages.h"
#include "app/up_down.h"
#include "programming/encoders.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vx
{

QWidget* Tfrmsetup::build_psychro()
{
    auto* tab = named(new QWidget, "TabSheet5");
    auto* grid = new QGridLayout(tab);
    EDoffSuchy = setup_edit(tab, "EDoffSuchy");
    EDoffMokry = setup_edit(tab, "EDoffMokry");
    BTidSuchy = own_.caption(named(new QPushButton(tab), "BTidSuchy"), "CAPT35");
    BTidmokry = own_.caption(named(new QPushButton(tab), "BTidmokry"), "CAPT36");
    BTsendPsychro = own_.caption(named(new QPushButton(tab), "BTsendPsychro"), "CAPT37");
    grid->addWidget(own_.caption(new QLabel(tab), "LABEL69"), 0, 0);
    grid->addWidget(EDoffSuchy, 0, 1);
    grid->addWidget(BTidSuchy, 0, 2);
    grid->addWidget(own_.caption(new QLabel(tab), "LABEL70"), 1, 0);
    grid->addWidget(EDoffMokry, 1, 1);
    grid->addWidget(BTidmokry, 1, 2);
    grid->addWidget(BTsendPsychro, 2, 1);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(3, 1);
    connect(BTidSuchy, &QPushButton::clicked, this, [this] { setup_.identify_sensor(false); });
    connect(BTidmokry, &QPushButton::clicked, this, [this] { setup_.identify_sensor(true); });
    connect(BTsendPsychro, &QPushButton::clicked, this, &Tfrmsetup::BTsendPsychroClick);
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
    EDlumeooff = setup_edit(tab, "EDlumeooff");
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
    ED_pwmT4 = setup_edit(tab, "ED_pwmT4");
    ED_pwmT20 = setup_edit(tab, "ED_pwmT20");
    ED_pwmH4 = setup_edit(tab, "ED_pwmH4");
    ED_pwmH20 = setup_edit(tab, "ED_pwmH20");
    ED_temp4 = setup_edit(tab, "ED_temp4");
    ED_temp20 = setup_edit(tab, "ED_temp20");
    UDT4mA = named(new UpDown(tab), "UDT4mA");
    UDT20mA = named(new UpDown(tab), "UDT20mA");
    UDT4mA->associate(ED_temp4, output_temperature_min, output_temperature_max, 1);
    UDT20mA->associate(ED_temp20, output_temperature_min, output_temperature_max, 1);
    const std::pair<const char*, QLineEdit*> pwm[] = {
        {"LABEL71", ED_pwmT4}, {"LABEL72", ED_pwmT20}, {"LABEL73", ED_pwmH4}, {"LABEL74", ED_pwmH20}};
    int row = 0;
    for (const auto& [caption, field] : pwm) {
        grid->addWidget(own_.caption(new QLabel(tab), caption), row, 0);
        grid->addWidget(field, row++, 1);
    }
    grid->addWidget(own_.caption(new QLabel(tab), "LABEL75"), row, 0);
    grid->addWidget(ED_temp4, row, 1);
    grid->addWidget(UDT4mA, row++, 2);
    grid->addWidget(own_.caption(new QLabel(tab), "LABEL76"), row, 0);
    grid->addWidget(ED_temp20, row, 1);
    grid->addWidget(UDT20mA, row++, 2);
    grid->addWidget(own_.caption(new QLabel(tab), "LABEL77"), row++, 0, 1, 3);
    grid->addWidget(own_.caption(new QLabel(tab), "LABEL78"), row++, 0, 1, 3);
    auto* note = own_.caption(new QLabel(tab), "LABEL79");
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
    EDFlowA = setup_edit(tab, "EDFlowA");
    EDflowB = setup_edit(tab, "EDflowB");
    grid->addWidget(own_.caption(new QLabel(tab), "LABEL106"), 0, 0, 1, 2);
    grid->addWidget(own_.caption(new QLabel(tab), "LABEL107"), 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("A"), tab), 2, 0);
    grid->addWidget(EDFlowA, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("B"), tab), 3, 0);
    grid->addWidget(EDflowB, 3, 1);
    // The group's title is the model preparation's (CAPT28, or CAPT29 with the logger's type).
    RGflowtype = named(new QGroupBox(tab), "RGflowtype");
    auto* types = new QVBoxLayout(RGflowtype);
    flow_buttons = new QButtonGroup(this);
    const char* captions[] = {"MENU70", "MENU71", "MENU72"};
    for (int i = 0; i < 3; ++i) {
        auto* b = own_.caption(new QRadioButton(RGflowtype), captions[i]);
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
    edr0 = setup_edit(tab, "edr0");
    edr1 = setup_edit(tab, "edr1");
    eds0 = setup_edit(tab, "eds0");
    eds1 = setup_edit(tab, "eds1");
    const std::pair<const char*, QLineEdit*> fields[] = {
        {"LABEL108", edr0}, {"LABEL109", edr1}, {"LABEL115", eds0}, {"LABEL116", eds1}};
    int row = 0;
    for (const auto& [caption, field] : fields) {
        grid->addWidget(own_.caption(new QLabel(tab), caption), row, 0);
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
    edpress = setup_edit(tab, "edpress");
    lay->addWidget(new QLabel(QStringLiteral("Press Offset"), tab));
    lay->addWidget(edpress);
    lay->addWidget(new QLabel(QStringLiteral("hPa"), tab));
    lay->addStretch();
    lay->setAlignment(Qt::AlignTop);
    return tab;
}

} // namespace vx
