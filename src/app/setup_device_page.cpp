// The setup dialog's page "Prístroj": the device values of the attached
// logger, prepared per model, and the service access code.
#include "app/setup_dialog.h"

#include "app/dialog_controls.h"
#include "app/serial_number_change.h"
#include "app/setup_pages.h"
#include "app/up_down.h"
#include "base/number_format.h"
#include "base/ui_port.h"
#include "logger/catalogue.h"
#include "logger/program_state.h"
#include "programming/calibration_transfer.h"
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

QWidget* Tfrmsetup::build_device()
{
    auto* tab = named(new QWidget, "TabSheet3");
    auto* lay = new QVBoxLayout(tab);
    GroupBox1 = named(new QGroupBox(u("Zapisovač"), tab), "GroupBox1");
    auto* grid = new QGridLayout(GroupBox1);
    Label1 = named(new QLabel(u("Posun teploty"), GroupBox1), "Label1");
    EDtempoff = setup_edit(GroupBox1, "EDtempoff");
    EDtempoff->setToolTip(u("Posun teploty v 'C"));
    Updndoba = named(new UpDown(GroupBox1), "Updndoba");
    chkbat = named(new QCheckBox(u("nastaviť nová batéria"), GroupBox1), "chkbat",
                   "Po výmene batérie zaškrtnite pole");
    LBLbatlo = named(new QLabel(QStringLiteral("BATLO border"), GroupBox1), "LBLbatlo");
    edbatlo = setup_edit(GroupBox1, "edbatlo", "215");
    LBLmeaslen = own_.caption(named(new QLabel(GroupBox1), "LBLmeaslen"), "LABEL39");
    EDMeaslen = own_.hint(setup_edit(GroupBox1, "EDMeaslen", "20"), "HINT71");
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
    edposunT2 = setup_edit(PanOffset2, "edposunT2");
    offset2->addWidget(new QLabel(QStringLiteral("Offset T2"), PanOffset2));
    offset2->addWidget(edposunT2);
    offset2->addStretch();
    lay->addWidget(PanOffset2);

    groupcal = own_.caption(named(new QGroupBox(tab), "groupcal"), "CAPT202");
    auto* cal = new QGridLayout(groupcal);
    LBLA0 = named(new QLabel(QStringLiteral("A0"), groupcal), "LBLA0");
    LBLA1 = named(new QLabel(QStringLiteral("A1"), groupcal), "LBLA1");
    LBLA2 = named(new QLabel(QStringLiteral("A2"), groupcal), "LBLA2");
    EDA0 = setup_edit(groupcal, "EDA0");
    EDA1 = setup_edit(groupcal, "EDA1");
    EDA2 = setup_edit(groupcal, "EDA2");
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
    BitBtn1 = own_.hint(named(new QPushButton(u("Vymazať"), tab), "BitBtn1"), "HINT72");
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

void Tfrmsetup::prepare_device(std::uint16_t type)
{
    // A dialog that served another model before starts from its design (or
    // from the language file's texts); nothing of the other model stays.
    for (QWidget* w : std::initializer_list<QWidget*>{Label1, EDtempoff, Updndoba, chkbat, groupcal, LBLA0,
                                                      LBLA1, LBLA2, EDA2, BitBtn1})
        w->show();
    for (QWidget* w :
         std::initializer_list<QWidget*>{LBLbatlo, edbatlo, LBLmeaslen, EDMeaslen, PanOffset2, BTsendlcd})
        w->hide();
    restore_designed();
    groupcal->setEnabled(false); // the second access code enables it
    for (QLineEdit* e : {EDA0, EDA1, EDA2})
        e->clear();

    const LoggerSetupValues v = setup_values(type, g_.coef, g_.status);
    EDtempoff->setText(format_number("%5.1f", g_.status.corr1));
    auto coefficients = [&](int count) {
        QLineEdit* fields[] = {EDA0, EDA1, EDA2};
        for (int i = 0; i < count; ++i)
            fields[i]->setText(v.coef[static_cast<std::size_t>(i)]);
    };
    if (one_of(type, {86, 87, 88, 92, 94, 95, 97, 101, 103, 108, 129, 130, 131, 132})) {
        coefficients(3);
        EDtempoff->setText(v.t1);
    }
    // The model's adaptations: the offset field wherever the send carries a
    // typed offset; the battery box for digital sensors; the calibration
    // group for loggers with coefficients, its fields only where the model
    // takes them.
    const ModelRow* row = find_model(type);
    EDtempoff->setEnabled(takes_offset(type));
    Updndoba->setEnabled(takes_offset(type));
    chkbat->setEnabled(row && row->setup_correction);
    const bool group = (row && row->setup_calib_group == 1) || takes_analog_block(type) ||
                       humidity_model(type) || type == 105 || type == 131;
    groupcal->setVisible(group);
    const bool two = humidity_model(type) || type == 105;
    EDA0->setEnabled(takes_analog_block(type) || two);
    EDA1->setEnabled(takes_analog_block(type) || two);
    EDA2->setEnabled(takes_analog_block(type));
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
        for (QWidget* w : std::initializer_list<QWidget*>{Label1, EDtempoff, Updndoba, LBLA2, EDA2})
            w->hide();
        show_tab(TabLumeo, false);
        groupcal->setTitle(g_.lang.capt(27));
        LBLA0->setText(QStringLiteral("T1"));
        LBLA1->setText(QStringLiteral("T2"));
        EDA0->setText(v.t1);
        EDA1->setText(v.t2);
        break;
    case 107: {
        show_tab(tablcdflow, true);
        EDFlowA->setText(v.coef[0]);
        EDflowB->setText(v.coef[1]);
        // A type the three choices do not name is shown as the logger holds it, none chosen.
        QAbstractButton* chosen = flow_buttons->button(v.flow_conversion);
        flow_buttons->setExclusive(false);
        for (QAbstractButton* b : flow_buttons->buttons())
            b->setChecked(b == chosen);
        flow_buttons->setExclusive(true);
        RGflowtype->setTitle(chosen ? g_.lang.capt(28) : g_.lang.capt(29).arg(v.flow_conversion));
        break;
    }
    case 108:
    case 131:
        for (QWidget* w : std::initializer_list<QWidget*>{BitBtn1, chkbat})
            w->hide();
        PanOffset2->show();
        edposunT2->setText(v.t2);
        break;
    case 111:
        show_tab(tabvietor, true);
        chkbat->hide();
        edr0->setText(v.coef[0]);
        edr1->setText(v.coef[1]);
        eds0->setText(v.coef[2]);
        eds1->setText(v.coef[3]);
        break;
    case 129:
    case 130:
    case 132:
        chkbat->hide();
        if (type == 130) Label1->setText(g_.lang.label(67));
        if (type == 132) {
            Label1->setText(g_.lang.label(68));
            EDtempoff->setToolTip(g_.lang.hint(73));
        }
        break;
    default:
        break;
    }
}

void Tfrmsetup::ask_service_code()
{
    if (!g_.ui) return;
    const auto code = g_.ui->input_box(g_.lang.mess(42), g_.lang.mess(54), QString());
    if (!code || *code != QLatin1String(SerialNumberChange::access_code)) return;
    groupcal->setEnabled(true);
    const std::uint16_t type = g_.ident.type_code;
    // Coefficient texts go only to the LCD models that take them.
    if (takes_lcd_texts(type))
        for (QWidget* w :
             std::initializer_list<QWidget*>{BTsendlcd, LBLbatlo, edbatlo, LBLmeaslen, EDMeaslen})
            w->show();
    if (one_of(type, {96, 99, 100})) {
        LBLbatlo->show();
        edbatlo->show();
    }
}

} // namespace vx
