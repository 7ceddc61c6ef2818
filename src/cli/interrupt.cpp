// The signals that end a command; see interrupt.h.
#include "cli/interrupt.h"

#include "link/serial_port.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vx::cli
{

namespace
{

constexpr int handled[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// A signal handler can reach nothing but a global; it holds the write end of
// the one notifier's socket pair.
volatile std::sig_atomic_t write_fd = -1;
volatile std::sig_atomic_t first = 0;
volatile std::sig_atomic_t endings = 0; // SIGINT, SIGTERM and SIGHUP so far

void on_signal(int signal)
{
    const int saved = errno;
    if (signal != SIGPIPE) endings = endings + 1;
    if (signal != SIGPIPE && endings > 1) {
        // The user insists: no more waiting for the flow, but the port is let go.
        TCommPortDriver::release_all_for_exit();
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    if (first == 0) first = signal;
    const char byte = static_cast<char>(signal);
    if (write_fd >= 0) (void)!::write(write_fd, &byte, 1);
    errno = saved;
}

} // namespace

InterruptNotifier::InterruptNotifier(std::function<void(int)> handler) : handler_(std::move(handler))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds_) != 0) return;
    write_fd = fds_[0];
    notifier_ = std::make_unique<QSocketNotifier>(fds_[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &InterruptNotifier::read_signal);
    struct sigaction sa {
    };
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    for (int s : handled)
        sigaddset(&sa.sa_mask, s);
    // No SA_RESTART: a question waiting for the user's answer ends at once.
    sa.sa_flags = 0;
    for (int s : handled)
        sigaction(s, &sa, nullptr);
}

InterruptNotifier::~InterruptNotifier()
{
    for (int s : handled)
        std::signal(s, SIG_DFL);
    write_fd = -1;
    endings = 0;
    notifier_.reset();
    for (int fd : fds_)
        if (fd >= 0) ::close(fd);
}

int InterruptNotifier::first_signal()
{
    return first;
}

void InterruptNotifier::read_signal()
{
    char byte = 0;
    while (::read(fds_[1], &byte, 1) == 1)
        if (handler_) handler_(static_cast<unsigned char>(byte));
}

} // namespace vx::cli
