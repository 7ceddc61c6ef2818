#pragma once
// SIGTERM, SIGINT and SIGHUP as events of the user-interface thread. The
// signal handler only writes the signal's number into a pipe (the one thing
// it may safely do); a socket notifier reads it in the event loop and raises
// received(), where the program can close as the user would.
#include <QObject>
#include <memory>

class QSocketNotifier;

namespace vx
{

class SignalWatch : public QObject
{
    Q_OBJECT
public:
    // Installs the handlers; one watch per process. Until then, and after
    // the watch is gone, the signals keep their default action.
    explicit SignalWatch(QObject* parent = nullptr);
    ~SignalWatch() override;

signals:
    void received(int signal);

private:
    void read_pipe();
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace vx
