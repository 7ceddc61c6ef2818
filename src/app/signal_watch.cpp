#include "app/signal_watch.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace vx
{

namespace
{

constexpr int watched[] = {SIGTERM, SIGINT, SIGHUP};
int pipe_fds[2] = {-1, -1};

extern "C" void on_signal(int signal)
{
    const int saved = errno;
    const char number = static_cast<char>(signal);
    // A full pipe drops the signal: one close request is enough.
    [[maybe_unused]] const ssize_t n = ::write(pipe_fds[1], &number, 1);
    errno = saved;
}

} // namespace

SignalWatch::SignalWatch(QObject* parent) : QObject(parent)
{
    if (::pipe2(pipe_fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(pipe_fds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SignalWatch::read_pipe);
    struct sigaction action {
    };
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : watched)
        sigaction(signal, &action, nullptr);
}

SignalWatch::~SignalWatch()
{
    for (int signal : watched)
        std::signal(signal, SIG_DFL);
    notifier_.reset();
    for (int& fd : pipe_fds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void SignalWatch::read_pipe()
{
    char numbers[16];
    for (ssize_t n; (n = ::read(pipe_fds[0], numbers, sizeof numbers)) > 0;)
        for (ssize_t i = 0; i < n; ++i)
            emit received(numbers[i]);
}

} // namespace vx
