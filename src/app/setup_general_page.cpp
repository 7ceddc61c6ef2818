// The setup dialog's pages "Obecné" (COM port and its device, window and tip
// switches) and "Databáza" (log directory), and the COM-port change of the caller.
#include "app/setup_dialog.h"

#include "app/dialog_controls.h"
#include "base/ui_port.h"
#include "link/serial_devices.h"
#include "link/serial_port.h"
#include "logger/program_state.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vx
{

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
    CBcomdevice = own_.hint(named(new QComboBox(tab), "CBcomdevice"), "HINT70");
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
    auto* language_row = new QHBoxLayout;
    language_row->addWidget(own_.caption(named(new QLabel(tab), "LBLlanguage"), "LABEL117"));
    CBlanguage = named(new QComboBox(tab), "CBlanguage");
    language_row->addWidget(CBlanguage);
    language_row->addStretch();
    lay->addLayout(language_row);
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

QWidget* Tfrmsetup::build_database()
{
    auto* tab = named(new QWidget, "TabSheet4");
    auto* lay = new QHBoxLayout(tab);
    LBLlogdir = named(new QLabel(tab), "LBLlogdir");
    LBLlogdir->setFrameShape(QFrame::StyledPanel);
    Button1 = named(new QPushButton(QStringLiteral("..."), tab), "Button1");
    Button1->setMaximumWidth(30);
    lay->addWidget(own_.caption(new QLabel(tab), "LABEL38"));
    lay->addWidget(LBLlogdir, 1);
    lay->addWidget(Button1);
    lay->setAlignment(Qt::AlignTop);
    connect(Button1, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, QString(), g_.program_dir);
        if (!dir.isEmpty()) LBLlogdir->setText(dir);
    });
    return tab;
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
    if (CBcomdevice->findData(device) < 0) {
        // A name of its own (a link the list does not hold, such as one udev
        // or a simulator made) is connected when it leads to a device.
        const QFileInfo info(device);
        const QString target = info.isSymLink() ? info.canonicalFilePath() : QString();
        const bool present = info.exists() || (g_.link.port_open && com == g_.settings.ComPort);
        const QString text = !present           ? device + g_.lang.menu(58)
                             : target.isEmpty() ? device
                                                : device + QString::fromUtf8(" → ") + target;
        CBcomdevice->insertItem(0, text, device);
    }
    CBcomdevice->setCurrentIndex(CBcomdevice->findData(device));
}

void Tfrmsetup::show_languages()
{
    QStringList sections = language_sections(g_.program_dir, g_.data_dir);
    const QString current = g_.settings.LANGUAGE;
    if (!sections.contains(current, Qt::CaseInsensitive)) sections.prepend(current);
    CBlanguage->clear();
    CBlanguage->addItems(sections);
    CBlanguage->setCurrentIndex(CBlanguage->findText(current, Qt::MatchFixedString));
    language_changed_ = false;
}

bool Tfrmsetup::store_language(QString* error)
{
    const QString chosen = CBlanguage->currentText();
    if (chosen.isEmpty() || chosen.compare(g_.settings.LANGUAGE, Qt::CaseInsensitive) == 0) return true;
    if (!write_setting_string(g_.program_dir, key::GLOBAL, key::LANGUAGE, chosen, error)) return false;
    g_.settings.LANGUAGE = chosen;
    language_changed_ = true;
    return true;
}

bool Tfrmsetup::store_port_devices(QString* error)
{
    for (auto it = new_devices_.cbegin(); it != new_devices_.cend(); ++it) {
        if (it.value() == com_device(it.key(), g_.settings.port_devices)) continue;
        // The port in use now stands for another device: the caller reopens
        // it, and stores the device only once it opened (change_com_port).
        const bool reopened = it.key() == selected_com();
        if (!reopened && !write_setting_string(g_.program_dir, key::PORTS,
                                               QStringLiteral("COM%1").arg(it.key()), it.value(), error))
            return false;
        g_.settings.port_devices[it.key()] = it.value();
        if (reopened) com_changed_ = true;
    }
    new_devices_.clear();
    return true;
}

int Tfrmsetup::selected_com() const
{
    return com_buttons->checkedId() > 0 ? com_buttons->checkedId() : g_.settings.ComPort;
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
    // Stored only now that the port opened: the number, and its device when it was chosen anew.
    QString error;
    const QString com = QStringLiteral("COM%1").arg(new_port);
    const QString device = g.settings.port_devices.value(new_port);
    bool written = write_setting_int(g.program_dir, key::GLOBAL, key::ComPort, new_port, &error);
    if (written && !device.isEmpty() && read_setting_string(g.program_dir, key::PORTS, com, {}) != device)
        written = write_setting_string(g.program_dir, key::PORTS, com, device, &error);
    if (!written && g.ui) g.ui->plain_message(error);
    return true;
}

QString port_failure_text(const Global& g)
{
    const TCommPortDriver* driver = g.link.driver();
    if (!driver) return g.lang.mess(1);
    const QString advice = open_fault_advice(driver->last_fault(), driver->device_path(), g.lang);
    return advice.isEmpty() ? g.lang.mess(1) : g.lang.mess(1) + QStringLiteral("\r\n") + advice;
}

} // namespace vx
