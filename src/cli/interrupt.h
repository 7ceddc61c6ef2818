#pragma once
// SIGINT and SIGTERM (or the signals given) as a cancel on the Qt event loop: the signal handler
// only writes the signal number into a socket pair; a notifier on the
// thread that made this object reads it there and calls the handler, so the
// cancel flag of the link is set on the event loop thread, between the
// waits that look at it. After the first signal the default action is back:
// a second Ctrl+C ends the program at once. SIGPIPE stays caught: the
// writes that follow fail instead of ending the program before it has
// released its ports.
#include <QObject>
#include <QSocketNotifier>
#include <csignal>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

namespace vx::cli
{

class InterruptNotifier : public QObject
{
    Q_OBJECT
public:
    // handler gets the signal number. One instance per process.
    explicit InterruptNotifier(std::function<void(int signal)> handler,
                               std::initializer_list<int> caught = {SIGINT, SIGTERM});
    ~InterruptNotifier() override;
    InterruptNotifier(const InterruptNotifier&) = delete;
    InterruptNotifier& operator=(const InterruptNotifier&) = delete;

private:
    void read_signal();

    std::function<void(int)> handler_;
    std::vector<int> signals_;
    int fds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace vx::cli
