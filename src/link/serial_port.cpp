#include "link/serial_port.h"

#include "base/language.h"
#include "link/serial_devices.h"
#include "link/serial_speed.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace vx
{

const QString TCommPortDriver::com_prefix = QStringLiteral("\\\\.\\COM");

namespace
{

// The classic termios speed constant of a bit rate; 0 when the table lacks it.
speed_t standard_speed(quint32 bps)
{
    switch (bps) {
    case 110:
        return B110;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    case 921600:
        return B921600;
    default:
        return 0;
    }
}

// Unix98 pseudo-terminal slaves use majors 136..143; the legacy ones 3.
bool is_pty_device(int fd)
{
    struct stat st {
    };
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    const unsigned m = major(st.st_rdev);
    return (m >= 136 && m <= 143) || m == 3;
}

// True when a read that gave nothing means the device is gone rather than
// idle: a terminal that was hung up reports POLLHUP, and the slave side of a
// pseudo-terminal whose master closed fails reads with EIO.
bool device_hung_up(int fd, int read_errno)
{
    if (read_errno == EIO || read_errno == ENXIO || read_errno == ENODEV) return true;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0) return false;
    return (p.revents & (POLLHUP | POLLNVAL)) != 0;
}

// The devices open in this process, for release_all_for_exit: a signal
// handler can reach nothing but a global.
constexpr int max_open_devices = 8;
std::atomic<int> open_devices[max_open_devices] = {-1, -1, -1, -1, -1, -1, -1, -1};

void note_open(int fd)
{
    for (auto& slot : open_devices) {
        int free = -1;
        if (slot.compare_exchange_strong(free, fd)) return;
    }
}

void close_device(int fd)
{
    for (auto& slot : open_devices) {
        int open = fd;
        if (slot.compare_exchange_strong(open, -1)) break;
    }
    ioctl(fd, TIOCNXCL);
    flock(fd, LOCK_UN);
    ::close(fd);
}

} // namespace

TCommPortDriver::TCommPortDriver(QObject* parent) : QObject(parent)
{
    scratch_.resize(in_buf_size_);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TCommPortDriver::poll_tick);
}

TCommPortDriver::~TCommPortDriver()
{
    Disconnect();
}

quint32 TCommPortDriver::baud_of(TBaudRate b)
{
    static constexpr quint32 rates[] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                        14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
    const int i = static_cast<int>(b);
    if (i < 0 || i >= static_cast<int>(std::size(rates))) return 0;
    return rates[i];
}

void TCommPortDriver::setPort(TPortNumber p)
{
    if (Connected()) return;
    if (p < pnCustom || p > pnCOM16) return;
    port_ = p;
    if (p != pnCustom) port_name_ = com_prefix + QString::number(static_cast<int>(p));
}

void TCommPortDriver::setPortName(const QString& name)
{
    if (Connected()) return;
    port_name_ = name;
    port_ = pnCustom;
}

void TCommPortDriver::setBaudRate(TBaudRate b)
{
    if (b < brCustom || b > br256000) return;
    baud_rate_ = b;
    if (b != brCustom) baud_value_ = baud_of(b);
    if (Connected()) apply_settings();
}

void TCommPortDriver::setBaudRateValue(quint32 bps)
{
    baud_value_ = bps;
    baud_rate_ = brCustom;
    if (Connected()) apply_settings();
}

void TCommPortDriver::setDataBits(TDataBits d)
{
    if (d < db5BITS || d > db8BITS) return;
    data_bits_ = d;
    if (Connected()) apply_settings();
}

void TCommPortDriver::setStopBits(TStopBits s)
{
    if (s < sb1BITS || s > sb2BITS) return;
    stop_bits_ = s;
    if (Connected()) apply_settings();
}

void TCommPortDriver::setParity(TParity p)
{
    if (p < ptNONE || p > ptSPACE) return;
    parity_ = p;
    if (Connected()) apply_settings();
}

void TCommPortDriver::setHwFlow(THwFlowControl f)
{
    if (f < hfNONE || f > hfRTSCTS) return;
    hw_flow_ = f;
    if (Connected()) apply_settings();
}

void TCommPortDriver::setSwFlow(TSwFlowControl f)
{
    if (f < sfNONE || f > sfXONXOFF) return;
    sw_flow_ = f;
    if (Connected()) apply_settings();
}

void TCommPortDriver::setInBufSize(quint32 size)
{
    if (Connected()) return;
    in_buf_size_ = std::clamp(size, min_buf_size, max_buf_size);
    scratch_.assign(in_buf_size_, 0);
}

void TCommPortDriver::setOutBufSize(quint32 size)
{
    if (Connected()) return;
    out_buf_size_ = std::clamp(size, min_buf_size, max_buf_size);
}

void TCommPortDriver::setPacketSize(qint16 size)
{
    packet_size_ = size;
    packet_.clear();
}

void TCommPortDriver::setPollingDelay(quint16 ms)
{
    polling_delay_ = std::max(ms, min_polling_delay);
    if (Connected()) timer_.start(polling_delay_);
}

QString TCommPortDriver::device_path() const
{
    if (port_name_.startsWith(com_prefix)) {
        const QString digits = port_name_.mid(com_prefix.size());
        const bool all_digits = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
        bool ok = false;
        const int n = digits.toInt(&ok);
        if (all_digits && ok && n >= 1) return com_device(n, devices_);
    }
    return port_name_;
}

TCommPortDriver::OpenFault open_fault_of_errno(int error)
{
    using F = TCommPortDriver::OpenFault;
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return F::missing;
    case EACCES:
    case EPERM:
    case EROFS:
        return F::permission;
    case EBUSY:
    case EWOULDBLOCK:
        return F::busy;
    default:
        return F::other;
    }
}

QString open_fault_advice(TCommPortDriver::OpenFault fault, const QString& device, const Language& lang)
{
    using F = TCommPortDriver::OpenFault;
    switch (fault) {
    case F::none:
        return {};
    case F::permission:
        return lang.mess(73).arg(device);
    case F::busy:
        return lang.mess(74).arg(device);
    case F::missing:
        return lang.mess(197).arg(device);
    default:
        return lang.mess(196).arg(device);
    }
}

int TCommPortDriver::open_device()
{
    const QByteArray path = QFile::encodeName(device_path());
    if (path.isEmpty()) {
        fault_ = OpenFault::missing;
        return -1;
    }
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fault_ = open_fault_of_errno(errno);
        return -1;
    }
    // Exclusive use: another process holding the device (or its lock) makes this fail.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        fault_ = open_fault_of_errno(errno);
        ::close(fd);
        return -1;
    }
    if (!isatty(fd) || ioctl(fd, TIOCEXCL) != 0) {
        fault_ = isatty(fd) ? OpenFault::other : OpenFault::not_a_port;
        flock(fd, LOCK_UN);
        ::close(fd);
        return -1;
    }
    const int old_fd = fd_;
    const bool old_pty = is_pty_;
    fd_ = fd;
    is_pty_ = is_pty_device(fd);
    if (!apply_settings()) {
        close_device(fd);
        fd_ = old_fd;
        is_pty_ = old_pty;
        fault_ = OpenFault::settings;
        return -1;
    }
    fd_ = old_fd;
    is_pty_ = old_pty;
    return fd;
}

bool TCommPortDriver::Connect()
{
    if (Connected()) return true;
    try {
        if (static_cast<quint32>(scratch_.size()) != in_buf_size_) scratch_.assign(in_buf_size_, 0);
        fault_ = OpenFault::none;
        const int fd = open_device();
        if (fd < 0) return false;
        fd_ = fd;
        note_open(fd);
        is_pty_ = is_pty_device(fd);
        packet_.clear();
        start_reception();
        return true;
    } catch (...) {
        if (fd_ >= 0) close_device(fd_);
        fd_ = -1;
        is_pty_ = false;
        fault_ = OpenFault::other;
        return false;
    }
}

void TCommPortDriver::Disconnect()
{
    if (!Connected()) return;
    stop_reception();
    close_device(fd_);
    fd_ = -1;
    is_pty_ = false;
    packet_.clear();
}

void TCommPortDriver::start_reception()
{
    hung_up_ = false;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TCommPortDriver::poll_tick);
    timer_.start(polling_delay_);
}

void TCommPortDriver::stop_reception()
{
    timer_.stop();
    notifier_.reset();
    hung_up_ = false;
}

void TCommPortDriver::try_reopen()
{
    // At most two attempts a second while the device is away.
    if (reopen_clock_.isValid() && reopen_clock_.elapsed() < 500) return;
    reopen_clock_.start();
    const int fd = open_device();
    if (fd < 0) return;
    notifier_.reset();
    close_device(fd_);
    fd_ = fd;
    note_open(fd);
    is_pty_ = is_pty_device(fd);
    packet_.clear();
    start_reception();
}

void TCommPortDriver::release_all_for_exit()
{
    for (auto& slot : open_devices) {
        const int fd = slot.exchange(-1);
        if (fd < 0) continue;
        ioctl(fd, TIOCNXCL);
        ::close(fd);
    }
}

bool TCommPortDriver::apply_settings()
{
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD;
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[data_bits_];
    switch (parity_) {
    case ptNONE:
        break;
    case ptODD:
        t.c_cflag |= PARENB | PARODD;
        break;
    case ptEVEN:
        t.c_cflag |= PARENB;
        break;
    case ptMARK:
        t.c_cflag |= PARENB | PARODD | CMSPAR;
        break;
    case ptSPACE:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    }
    // termios has no one-and-a-half stop bits; the nearest is two.
    if (stop_bits_ != sb1BITS) t.c_cflag |= CSTOPB;
    if (hw_flow_ == hfRTSCTS) t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    // The XON/XOFF thresholds are the kernel's own on Linux.
    if (sw_flow_ == sfXONXOFF) {
        t.c_iflag |= IXON | IXOFF;
        t.c_cc[VSTART] = 17;
        t.c_cc[VSTOP] = 19;
    }
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    const speed_t speed = standard_speed(baud_value_);
    if (speed != 0 && (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0)) return false;
    if (tcsetattr(fd_, TCSANOW, &t) != 0) return false;
    if (speed == 0 && (baud_value_ == 0 || !set_custom_speed(fd_, baud_value_))) return false;

    // A pseudo-terminal has no modem lines; a real port must take them.
    if (!is_pty_) {
        if (!set_modem_line(TIOCM_DTR, dtr_on_open_)) return false;
        if (hw_flow_ != hfRTSCTS && !set_modem_line(TIOCM_RTS, hw_flow_ == hfNONERTSON)) return false;
    }
    // Linux keeps its own queue sizes: InBufSize bounds each read, OutBufSize
    // the free-space figure the sender works with.
    return tcflush(fd_, TCIOFLUSH) == 0;
}

bool TCommPortDriver::set_modem_line(int bit, bool on)
{
    if (!Connected()) return false;
    if (is_pty_) return true;
    return ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0;
}

bool TCommPortDriver::SetDTR(bool on)
{
    return set_modem_line(TIOCM_DTR, on);
}

bool TCommPortDriver::SetRTS(bool on)
{
    return set_modem_line(TIOCM_RTS, on);
}

bool TCommPortDriver::FlushBuffers(bool input, bool output)
{
    if (!Connected()) return false;
    if (input && output) return tcflush(fd_, TCIOFLUSH) == 0;
    if (input) return tcflush(fd_, TCIFLUSH) == 0;
    if (output) return tcflush(fd_, TCOFLUSH) == 0;
    return true;
}

std::uint32_t TCommPortDriver::OutputFreeSpace() const
{
    if (!Connected()) return 65535;
    int queued = 0;
    if (ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued < 0) queued = 0;
    const auto q = static_cast<std::uint32_t>(queued);
    return q >= out_buf_size_ ? 0 : out_buf_size_ - q;
}

std::uint32_t TCommPortDriver::ModemLines() const
{
    if (!Connected()) return 0;
    int lines = 0;
    if (ioctl(fd_, TIOCMGET, &lines) != 0) return 0;
    std::uint32_t r = 0;
    if (lines & TIOCM_CTS) r |= line_cts;
    if (lines & TIOCM_DSR) r |= line_dsr;
    if (lines & TIOCM_RNG) r |= line_ring;
    if (lines & TIOCM_CAR) r |= line_cd;
    return r;
}

std::uint32_t TCommPortDriver::InputCount() const
{
    if (!Connected()) return 0;
    int waiting = 0;
    if (ioctl(fd_, FIONREAD, &waiting) != 0 || waiting < 0) return 0;
    return static_cast<std::uint32_t>(waiting);
}

std::uint32_t TCommPortDriver::SendData(const void* data, std::uint32_t size)
{
    return SendDataTimed(data, size, output_timeout_);
}

std::uint32_t TCommPortDriver::SendDataTimed(const void* data, std::uint32_t size, std::uint32_t timeout)
{
    if (!Connected() || data == nullptr) return 0;
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::uint32_t sent = 0;
    QElapsedTimer since_progress;
    since_progress.start();
    while (sent < size) {
        const std::uint32_t free = OutputFreeSpace();
        if (free > 0) {
            if (check_line_status_ && ModemLines() == 0) return sent;
            const ssize_t n = ::write(fd_, p + sent, std::min(free, size - sent));
            if (n > 0) {
                sent += static_cast<std::uint32_t>(n);
                since_progress.restart();
                continue;
            }
            // A device that went away will never take the bytes.
            if (n < 0 && errno != EAGAIN && errno != EINTR) return sent;
        }
        const qint64 waited = since_progress.elapsed();
        if (waited > static_cast<qint64>(timeout)) return sent;
        // Sleep until the device takes bytes again (or a millisecond while
        // the output queue is full) instead of spinning.
        pollfd pfd{fd_, POLLOUT, 0};
        if (free > 0)
            ::poll(&pfd, 1, static_cast<int>(timeout - waited) + 1);
        else
            ::poll(nullptr, 0, 1);
    }
    return sent;
}

bool TCommPortDriver::SendByte(std::uint8_t b)
{
    return SendDataTimed(&b, 1, output_timeout_) == 1;
}

void TCommPortDriver::poll_tick()
{
    if (!Connected()) return;
    if (hung_up_) {
        try_reopen();
        return;
    }
    const ssize_t n = ::read(fd_, scratch_.data(), scratch_.size());
    if (n <= 0 && device_hung_up(fd_, n < 0 ? errno : 0)) {
        // The other end went away: stop listening on the dead descriptor (it
        // would report readiness for ever) and look for the device again.
        hung_up_ = true;
        notifier_.reset();
        reopen_clock_.start();
        return;
    }
    if (packet_size_ < 1) {
        if (n > 0 && OnReceiveData) OnReceiveData(this, scratch_.data(), static_cast<std::uint32_t>(n));
        return;
    }
    if (n > 0) {
        if (packet_.empty()) packet_age_.start();
        packet_.insert(packet_.end(), scratch_.begin(), scratch_.begin() + n);
    }
    deliver_packets();
}

void TCommPortDriver::deliver_packets()
{
    const auto size = static_cast<std::size_t>(packet_size_);
    std::size_t at = 0;
    while (packet_.size() - at >= size) {
        if (OnReceivePacket) OnReceivePacket(this, packet_.data() + at, static_cast<std::uint32_t>(size));
        at += size;
    }
    packet_.erase(packet_.begin(), packet_.begin() + static_cast<std::ptrdiff_t>(at));
    if (at > 0 && !packet_.empty()) packet_age_.start();
    // An incomplete packet older than PacketTimeout is passed on or dropped.
    if (!packet_.empty() && packet_timeout_ > 0 && packet_age_.elapsed() >= packet_timeout_) {
        if (packet_mode_ == pmPass && OnReceivePacket)
            OnReceivePacket(this, packet_.data(), static_cast<std::uint32_t>(packet_.size()));
        packet_.clear();
    }
}

} // namespace vx
