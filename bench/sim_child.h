#pragma once
// Starts the simulated logger for a benchmark and opens it on a driver.
#include "link/link.h"
#include "link/serial_port.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace vxbench
{

class SimChild
{
public:
    ~SimChild()
    {
        if (proc_.state() != QProcess::NotRunning) {
            proc_.terminate();
            if (!proc_.waitForFinished(5000)) proc_.kill();
            proc_.waitForFinished(2000);
        }
    }

    // Runs the simulator and returns its pseudo-terminal, empty on failure.
    QString start(const QStringList& args)
    {
        proc_.start(QStringLiteral(VORLAN_SIM_PATH), args);
        if (!proc_.waitForStarted(5000)) return {};
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            if (proc_.canReadLine()) {
                const QString line = QString::fromLocal8Bit(proc_.readLine()).trimmed();
                if (line.startsWith("PTY ")) return line.mid(4);
            } else if (!proc_.waitForReadyRead(100) && proc_.state() == QProcess::NotRunning) {
                return {};
            }
        }
        return {};
    }

private:
    QProcess proc_;
};

// Opens device as COM 1 the way the program does (19200 bit/s).
inline bool open_link(vx::Link& link, vx::TCommPortDriver& drv, const QString& device)
{
    drv.setBaudRateValue(19200);
    link.attach_driver(&drv);
    return link.open_comport(1, {{1, device}});
}

} // namespace vxbench
