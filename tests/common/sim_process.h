#pragma once
// The simulated logger as a child process, for tests that cross the serial line.
//
// start() runs the simulator with the given arguments plus a symlink, a frame
// log, a ring dump and a file of the settings it holds in a temporary folder,
// and waits for its "PTY ..." line.
// The symlink path stays the same across restart(), as a COM port name would.
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

namespace vxtest
{

// One valid frame the simulator received.
struct SimFrame {
    qint64 ms = 0; // since the simulator started
    int cmd = 0;
    int param = 0;
};

class SimProcess
{
public:
    SimProcess() = default;
    ~SimProcess() { kill(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the simulator; true once it has printed its device. A running one is stopped first.
    bool start(const QStringList& args = {});
    // Stops it and starts it again with the same link path and new arguments.
    bool restart(const QStringList& args) { return start(args); }
    // SIGTERM, then a hard kill if it does not end within a few seconds.
    void kill();

    // The symlink to the device; the same path across restarts.
    QString link() const { return dir_.path() + "/ttyVORLAN"; }
    // Frames received so far, from the simulator's log (all runs of this object).
    QVector<SimFrame> frames() const;
    // Frames with the given command.
    QVector<SimFrame> frames(int cmd) const;
    // Keeps the Qt event loop running until the log holds at least count
    // frames or ms milliseconds have passed; true when the count was reached.
    bool wait_frames(int count, int ms = 3000) const;
    // Lines of the ring dump: "pos\tyyyy-mm-dd hh:mm:ss\traw1...".
    QStringList ring() const;
    // The settings the simulated logger holds now ("key" -> "value").
    QMap<QString, QString> state() const;
    // What the simulator wrote to stderr.
    QString errors() const;

private:
    QTemporaryDir dir_;
    mutable QProcess proc_;
};

} // namespace vxtest
