#include "app/program_settings_dialog.h"

#include "base/ui_port.h"
#include "logger/program_state.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vx
{

ProgramSettingsDialog::ProgramSettingsDialog(int com_port, float correction1, QWidget* parent)
    : QDialog(parent)
{
    setObjectName("frmprogsetup");
    setWindowTitle(QStringLiteral("Nastavenia programu"));
    auto* lay = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    port_ = new QSpinBox(this);
    port_->setObjectName("EDcomport");
    port_->setRange(1, 16);
    port_->setValue(qBound(1, com_port, 16));
    port_->setPrefix(QStringLiteral("COM"));
    corr_ = new QLabel(QLocale().toString(double(correction1), 'f', 1).rightJustified(5), this);
    corr_->setObjectName("EDcorr1");
    form->addRow(QStringLiteral("COM port:"), port_);
    form->addRow(QStringLiteral("Korekcia 1:"), corr_);
    lay->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    lay->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int ProgramSettingsDialog::com_port() const
{
    return port_->value();
}

bool change_com_port(Global& g, int new_port)
{
    if (g.link.port_open) g.link.close_comport();
    g.settings.ComPort = new_port;
    if (!g.link.open_comport(new_port, g.settings.port_devices)) {
        g.link.port_open = false;
        if (g.ui) g.ui->show_message(g.lang.mess(1), btn::ok);
        return false;
    }
    QString error;
    if (!write_setting_int(g.program_dir, key::GLOBAL, key::ComPort, new_port, &error) && g.ui)
        g.ui->plain_message(error);
    return true;
}

} // namespace vx
