#pragma once
// A program state talking to the simulated logger over the real serial
// driver: the simulator keeps its settings in a state file the tests read
// back, and every frame it received in its log.
#include "common/fake_ui.h"
#include "common/sim_process.h"
#include "common/temp_home.h"
#include "link/serial_port.h"
#include "logger/program_state.h"

#include <QList>
#include <QMap>
#include <QPair>

namespace vxtest
{

using Frames = QList<QPair<int, int>>; // command, parameter

class LoggerSession
{
public:
    // The computer's clock of every session.
    static QDateTime pc_time() { return QDateTime(QDate(2024, 3, 1), QTime(12, 34, 56)); }

    LoggerSession();
    ~LoggerSession();

    // Starts the simulator with args, opens the link and reads the status once.
    bool start(const QStringList& args);
    // Decodes g.link.rx_buffer as a status reply into g; true when recognised.
    bool decode_status();
    // Settings the simulated logger holds now ("key" -> "value").
    QMap<QString, QString> state() const;
    // Frames the simulator received from the index from on, after waiting
    // for at least count of them (stragglers of the last exchange).
    Frames frames_from(int from, int count = 0) const;
    int frame_count() const { return static_cast<int>(sim.frames().size()); }

    TempHome home;
    SimProcess sim;
    vx::TCommPortDriver driver;
    vx::Global g;
    FakeUi ui;
};

} // namespace vxtest
