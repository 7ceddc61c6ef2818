#pragma once
// Builds logger replies byte by byte at explicit offsets, the way the logger
// lays them out: five echoed request bytes, then the answer.
#include "link/bytes.h"

#include <QByteArray>
#include <bit>
#include <cstdint>
#include <vector>

namespace vxtest
{

class Reply
{
public:
    // A reply of length bytes, zero-filled, starting with the echo of the
    // status request (CR, LF, 10, 160, 0).
    explicit Reply(std::size_t length) : b_(length, 0)
    {
        const std::uint8_t echo[5] = {13, 10, 10, 160, 0};
        for (std::size_t i = 0; i < 5 && i < length; ++i)
            b_[i] = echo[i];
    }

    Reply& u8(std::size_t at, int v)
    {
        b_.at(at) = static_cast<std::uint8_t>(v);
        return *this;
    }
    // Low byte first.
    Reply& u16(std::size_t at, int v) { return u8(at, v).u8(at + 1, v >> 8); }
    // IEEE single, least significant byte first.
    Reply& f32(std::size_t at, float f)
    {
        const auto u = std::bit_cast<std::uint32_t>(f);
        return u16(at, int(u & 0xFFFF)).u16(at + 2, int(u >> 16));
    }
    // Sets byte from + count - 1 so that bytes from .. from + count - 1 add up to 0xAA.
    Reply& close_block(std::size_t from, std::size_t count)
    {
        unsigned s = 0;
        for (std::size_t i = from; i + 1 < from + count; ++i)
            s += b_.at(i);
        b_.at(from + count - 1) = static_cast<std::uint8_t>(0xAA - s);
        return *this;
    }

    // Sets byte at to the plain 8-bit sum of bytes from .. to - 1, plus error.
    Reply& sum(std::size_t from, std::size_t to, std::size_t at, int error = 0)
    {
        unsigned s = 0;
        for (std::size_t i = from; i < to; ++i)
            s += b_.at(i);
        b_.at(at) = static_cast<std::uint8_t>(s + error);
        return *this;
    }

    vx::ByteView view() const { return {b_.data(), b_.size()}; }
    QByteArray bytes() const { return QByteArray(reinterpret_cast<const char*>(b_.data()), int(b_.size())); }

private:
    std::vector<std::uint8_t> b_;
};

// A current-format status of the given type: 10:45:30 on day 8826
// (1.3.2024), pointer 100, no start delay, battery raw 10, serial 4321,
// interval 10, change threshold 16 (1.0 degree), rollover and mission on, no
// corrections.
inline Reply status_reply(int type, std::size_t length)
{
    Reply r(length);
    r.u8(5, type).u8(6, 30).u8(7, 45).u8(8, 10).u16(9, 8826);
    r.u16(11, 100).u16(13, 0).u8(15, 10).u16(16, 4321);
    r.u8(18, 10).u8(19, 16).u8(20, 1).u8(21, 1).u8(22, 0).u8(23, 0);
    return r;
}

// The name block: echo, sixteen characters, their sum.
inline Reply name_reply(const char* name16)
{
    Reply r(22);
    for (int i = 0; i < 16; ++i)
        r.u8(5 + i, static_cast<unsigned char>(name16[i]));
    return r.sum(5, 21, 21);
}

// The old-format status (23 bytes after the echo, sum last): serial 12345 low
// byte first, the model byte, 10:45:30 in BCD, the day byte (year bits 6..7,
// BCD day), March, the pointer high byte first, interval 10, raw threshold 32.
inline Reply old_status(int model_byte, int day_byte, int pointer)
{
    Reply r(28);
    r.u8(5, 0x39).u8(6, 0x30).u8(7, model_byte);
    r.u8(10, 0x30).u8(11, 0x45).u8(12, 0x10).u8(13, day_byte).u8(14, 0x03);
    r.u8(17, pointer >> 8).u8(18, pointer & 0xFF).u8(21, 10).u8(23, 0x00).u8(24, 0x20);
    return r.sum(5, 27, 27);
}

// The old-format calibration answer: raw value high byte first, a0, a1, a2 at
// answer offsets 4, 8 and 12, the sum of the 24 bytes last.
inline Reply old_calibration(int raw, float a0, float a1, float a2)
{
    Reply r(30);
    r.u8(5, raw >> 8).u8(6, raw & 0xFF).f32(9, a0).f32(13, a1).f32(17, a2);
    return r.sum(5, 29, 29);
}

} // namespace vxtest
