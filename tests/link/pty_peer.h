#pragma once
// The far end of a pseudo-terminal, standing in for a logger in tests: the
// driver opens the slave by its path, the test reads and writes the master.
// An optional responder answers each complete five-byte frame.
#include <QByteArray>
#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <memory>

namespace vxtest
{

class PtyPeer
{
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool ok() const { return master_ >= 0; }
    QString path() const { return path_; }
    int slave_fd() const { return slave_; }

    // Writes bytes towards the driver.
    void write(const QByteArray& bytes) const;
    // Reads what the driver sent, waiting up to ms for at least count bytes
    // (runs the event loop meanwhile). Only for peers without a responder.
    QByteArray read(int count, int ms);

    // Answers frames as they arrive: called with each frame (five bytes) and
    // its number from 0; what it returns is written back. Everything received
    // is kept in received().
    void respond(std::function<QByteArray(const QByteArray& frame, int index)> responder);
    const QByteArray& received() const { return received_; }
    int frames() const { return frames_; }

private:
    void on_readable();

    int master_ = -1;
    int slave_ = -1;
    QString path_;
    QByteArray received_;
    QByteArray pending_;
    int frames_ = 0;
    std::function<QByteArray(const QByteArray&, int)> responder_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// The nine-byte acknowledgement of a frame: echo, command, parameter, 0xAA, 0x55.
QByteArray ack_of(const QByteArray& frame);

} // namespace vxtest
