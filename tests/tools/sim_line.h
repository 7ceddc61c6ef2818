#pragma once
// A plain file-descriptor view of the simulated logger's line, without the
// program's serial driver.
#include <gtest/gtest.h>

#include <QString>

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace simtest
{

using Bytes = std::vector<std::uint8_t>;

class Line
{
public:
    explicit Line(const QString& device)
    {
        fd_ = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ >= 0) {
            termios tio{};
            tcgetattr(fd_, &tio);
            cfmakeraw(&tio);
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~Line()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }

    void send(const Bytes& b) { ASSERT_EQ(::write(fd_, b.data(), b.size()), static_cast<ssize_t>(b.size())); }

    // Reads until `want` bytes came or `ms` passed, then keeps listening for
    // `linger` ms so extra bytes show up too.
    Bytes read(std::size_t want, int ms = 1500, int linger = 150)
    {
        Bytes got;
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        bool lingering = false;
        for (;;) {
            if (!lingering && got.size() >= want) {
                lingering = true;
                until = std::chrono::steady_clock::now() + std::chrono::milliseconds(linger);
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            std::uint8_t buf[256];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n > 0) got.insert(got.end(), buf, buf + n);
        }
        return got;
    }

    Bytes exchange(std::uint8_t cmd, std::uint8_t param, std::size_t want)
    {
        send(frame(cmd, param));
        return read(want);
    }

    static Bytes frame(std::uint8_t cmd, std::uint8_t param)
    {
        return {13, 10, cmd, param, static_cast<std::uint8_t>(170 - cmd - param)};
    }

private:
    int fd_ = -1;
};

inline std::uint8_t sum_of(const Bytes& b, std::size_t from, std::size_t to)
{
    unsigned s = 0;
    for (std::size_t i = from; i < to && i < b.size(); ++i)
        s += b[i];
    return static_cast<std::uint8_t>(s);
}

} // namespace simtest
