#pragma once
// The program settings dialog ("Nastavenia programu"): the COM port number of
// the logger and the correction of sensor 1, and the port change it leads to.
#include <QDialog>

class QLabel;
class QSpinBox;

namespace vx
{

struct Global;

class ProgramSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    ProgramSettingsDialog(int com_port, float correction1, QWidget* parent = nullptr);

    int com_port() const;
    QSpinBox* port_edit() const { return port_; }
    QLabel* correction_label() const { return corr_; }

private:
    QSpinBox* port_;
    QLabel* corr_;
};

// Moves the link to COM port new_port: closes the port when open, takes the
// number, reopens. On failure shows MESS1 and leaves the link closed (the
// number is kept in memory, not in the file); on success writes "ComPort"
// into the settings file. True when the port is open afterwards.
bool change_com_port(Global& g, int new_port);

} // namespace vx
