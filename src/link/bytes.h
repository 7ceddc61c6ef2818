#pragma once
// Bounded readers for logger replies. Every multi-byte field of a reply is
// read through these helpers; a field past the end of the reply is absent,
// never read.
#include <QByteArray>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

namespace vx
{

using ByteView = std::span<const std::uint8_t>;

inline ByteView view(const QByteArray& a)
{
    return {reinterpret_cast<const std::uint8_t*>(a.constData()), static_cast<std::size_t>(a.size())};
}

inline std::optional<std::uint8_t> u8_at(ByteView b, std::size_t i)
{
    if (i >= b.size()) return std::nullopt;
    return b[i];
}

// Unsigned 16-bit, low byte first.
inline std::optional<std::uint16_t> u16le_at(ByteView b, std::size_t i)
{
    if (i + 1 >= b.size() || i + 1 < i) return std::nullopt;
    return static_cast<std::uint16_t>(b[i] | (b[i + 1] << 8));
}

// Unsigned 16-bit, high byte first (the old-format logger).
inline std::optional<std::uint16_t> u16be_at(ByteView b, std::size_t i)
{
    if (i + 1 >= b.size() || i + 1 < i) return std::nullopt;
    return static_cast<std::uint16_t>((b[i] << 8) | b[i + 1]);
}

// IEEE 754 single precision, least significant byte first.
inline std::optional<float> f32le_at(ByteView b, std::size_t i)
{
    if (i + 3 >= b.size() || i + 3 < i) return std::nullopt;
    std::uint32_t u = static_cast<std::uint32_t>(b[i]) | (static_cast<std::uint32_t>(b[i + 1]) << 8) |
                      (static_cast<std::uint32_t>(b[i + 2]) << 16) |
                      (static_cast<std::uint32_t>(b[i + 3]) << 24);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

// Plain 8-bit sum of b[from .. from+count-1]; absent when the range passes the end.
inline std::optional<std::uint8_t> sum8(ByteView b, std::size_t from, std::size_t count)
{
    if (from + count > b.size()) return std::nullopt;
    std::uint8_t s = 0;
    for (std::size_t i = from; i < from + count; ++i)
        s = static_cast<std::uint8_t>(s + b[i]);
    return s;
}

} // namespace vx
