#pragma once
// The signals that end a command as a cancel on the Qt event loop: SIGINT,
// SIGTERM, SIGHUP, and SIGPIPE (the reader of the output went away, as in
// "monitor | head -1"). The signal handler only writes the signal number
// into a socket pair; a notifier on the thread that made this object reads
// it there and calls the handler, so the cancel flag of the link is set on
// the event loop thread, between the waits that look at it, and the command
// ends the way Ctrl+C ends it: what was fetched is kept, the port is closed.
//
// A second SIGINT, SIGTERM or SIGHUP ends the program at once, but first
// gives up the exclusive use of the open ports so that the next program can
// open them. Further SIGPIPEs only repeat what the first said.
#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace vx::cli
{

class InterruptNotifier : public QObject
{
    Q_OBJECT
public:
    // handler gets the signal number. One instance per process.
    explicit InterruptNotifier(std::function<void(int signal)> handler);
    ~InterruptNotifier() override;
    InterruptNotifier(const InterruptNotifier&) = delete;
    InterruptNotifier& operator=(const InterruptNotifier&) = delete;

    // The first of the signals above that arrived while an instance lived
    // (also one the event loop has not seen yet); 0 for none.
    static int first_signal();

private:
    void read_signal();

    std::function<void(int)> handler_;
    int fds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace vx::cli
