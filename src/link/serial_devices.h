#pragma once
// The serial devices present on this computer, for mapping COM numbers to
// device paths: the ports of the machine (ttyS*), USB serial adapters
// (ttyUSB*), USB modems and CDC devices (ttyACM*), and the stable names
// udev gives USB adapters under serial/by-id (which survive replugging and
// renumbering).
#include <QList>
#include <QMap>
#include <QString>

namespace vx
{

struct SerialDevice {
    QString path;   // as it is opened, e.g. "/dev/serial/by-id/usb-FTDI_...-port0"
    QString target; // for a by-id name: the device it stands for, e.g. "/dev/ttyUSB0"; else empty
    bool operator==(const SerialDevice&) const = default;
};

// The devices under dev_root (normally "/dev"): the by-id names first, in
// name order, then ttyUSB*, ttyACM* and ttyS*, each group in numeric order
// (ttyS2 before ttyS10). Directories are no devices; a by-id link whose
// device is gone is left out.
QList<SerialDevice> list_serial_devices(const QString& dev_root = QStringLiteral("/dev"));

// The device COM number com maps to: its entry in devices (settings section
// PORTS), else /dev/ttyS(com-1).
QString com_device(int com, const QMap<int, QString>& devices);

} // namespace vx
