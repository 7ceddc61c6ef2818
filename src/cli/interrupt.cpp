#include "cli/interrupt.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vx::cli
{

namespace
{

// A signal handler can reach nothing but a global; it holds the write end of
// the one notifier's socket pair.
volatile std::sig_atomic_t write_fd = -1;

void on_signal(int signal)
{
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    if (write_fd >= 0) (void)!::write(write_fd, &byte, 1);
    errno = saved;
}

} // namespace

InterruptNotifier::InterruptNotifier(std::function<void(int)> handler, std::initializer_list<int> caught)
    : handler_(std::move(handler)), signals_(caught)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds_) != 0) return;
    write_fd = fds_[0];
    notifier_ = std::make_unique<QSocketNotifier>(fds_[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &InterruptNotifier::read_signal);
    struct sigaction sa {
    };
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    // No SA_RESTART: a question waiting for the user's answer ends at once.
    for (const int signal : signals_) {
        sa.sa_flags = signal == SIGPIPE ? 0 : SA_RESETHAND;
        sigaction(signal, &sa, nullptr);
    }
}

InterruptNotifier::~InterruptNotifier()
{
    for (const int s : signals_)
        signal(s, SIG_DFL);
    write_fd = -1;
    notifier_.reset();
    for (int fd : fds_)
        if (fd >= 0) ::close(fd);
}

void InterruptNotifier::read_signal()
{
    char byte = 0;
    while (::read(fds_[1], &byte, 1) == 1)
        if (handler_) handler_(static_cast<unsigned char>(byte));
}

} // namespace vx::cli
