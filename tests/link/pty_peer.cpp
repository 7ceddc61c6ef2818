#include "pty_peer.h"

#include <QDeadlineTimer>
#include <QThread>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace vxtest
{

PtyPeer::PtyPeer()
{
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    path_ = QString::fromLocal8Bit(name);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    termios t{};
    tcgetattr(master_, &t);
    cfmakeraw(&t);
    tcsetattr(master_, TCSANOW, &t);
}

PtyPeer::~PtyPeer()
{
    notifier_.reset();
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
}

void PtyPeer::write(const QByteArray& bytes) const
{
    qsizetype at = 0;
    while (at < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + at, static_cast<size_t>(bytes.size() - at));
        if (n > 0)
            at += n;
        else
            QThread::msleep(1);
    }
}

QByteArray PtyPeer::read(int count, int ms)
{
    QDeadlineTimer deadline(ms);
    QByteArray out;
    char buf[512];
    while (out.size() < count && !deadline.hasExpired()) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0)
            out.append(buf, n);
        else
            QThread::msleep(2);
    }
    return out;
}

void PtyPeer::respond(std::function<QByteArray(const QByteArray&, int)> responder)
{
    responder_ = std::move(responder);
    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { on_readable(); });
}

void PtyPeer::on_readable()
{
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0) break;
        received_.append(buf, n);
        pending_.append(buf, n);
    }
    while (pending_.size() >= 5) {
        const QByteArray frame = pending_.left(5);
        pending_.remove(0, 5);
        const QByteArray answer = responder_ ? responder_(frame, frames_) : QByteArray();
        ++frames_;
        if (!answer.isEmpty()) write(answer);
    }
}

QByteArray ack_of(const QByteArray& frame)
{
    return frame + frame.mid(2, 2) + "\xAA\x55";
}

} // namespace vxtest
