#pragma once
// Command frames towards the logger.
//
// A frame is five bytes: CR, LF, command, parameter, check, where
// check = (170 - (command + parameter)) mod 256, so that command, parameter
// and check add up to 0xAA. The logger's interface echoes every byte it
// receives, so every reply starts with our own five bytes. An acknowledged
// command is answered, after the echo, by command, parameter, 0xAA, 0x55.
// Data replies carry a fixed number of payload bytes and a plain 8-bit sum.
#include <array>
#include <cstdint>

namespace vx
{

namespace cmd
{
// Wire command codes (the byte at frame offset 2).
inline constexpr std::uint8_t status = 10;    // 160: poll status, 2: status at mission start
inline constexpr std::uint8_t old_calib = 11; // 159: old-format calibration answer
inline constexpr std::uint8_t addr_lo = 11;   // record address, low byte (acknowledged)
inline constexpr std::uint8_t addr_hi = 12;   // record address, high byte; answers ten records
inline constexpr std::uint8_t name = 13;      // 1: mission name block
inline constexpr std::uint8_t setup_value = 14;
inline constexpr std::uint8_t setup_sensor = 15; // psychrometer sensor select / measuring length
inline constexpr std::uint8_t mem_select = 16;
inline constexpr std::uint8_t mem_store = 17;
inline constexpr std::uint8_t clock_sec = 22;
inline constexpr std::uint8_t clock_min = 23;
inline constexpr std::uint8_t clock_hour = 24;
inline constexpr std::uint8_t clock_date_lo = 25;
inline constexpr std::uint8_t clock_date_hi = 26;
inline constexpr std::uint8_t pointer_lo = 27;
inline constexpr std::uint8_t pointer_hi = 28;
inline constexpr std::uint8_t delay_lo = 29;
inline constexpr std::uint8_t delay_hi = 30;
inline constexpr std::uint8_t battery_replaced = 31;
inline constexpr std::uint8_t value_base = 32; // send_value(k, p) sends wire command k + 32
inline constexpr std::uint8_t serial_lo = 32;
inline constexpr std::uint8_t serial_hi = 33;
inline constexpr std::uint8_t period = 34;
inline constexpr std::uint8_t gradient = 35;
inline constexpr std::uint8_t rollover = 36;
inline constexpr std::uint8_t mission_on = 37;
inline constexpr std::uint8_t offset1 = 38;
inline constexpr std::uint8_t offset2 = 39;
inline constexpr std::uint8_t limit_lo = 39;
inline constexpr std::uint8_t limit_hi = 40;
inline constexpr std::uint8_t name_first = 48; // 48..63: mission name characters
inline constexpr std::uint8_t coef_first = 64;
inline constexpr std::uint8_t coef_text_begin = 195;
inline constexpr std::uint8_t coef_text_char = 196;
inline constexpr std::uint8_t coef_text_store = 197;
inline constexpr std::uint8_t coef_text_end = 198;
// Old-format logger (type 55), sent without acknowledgement.
inline constexpr std::uint8_t old_period = 32;
inline constexpr std::uint8_t old_sec = 34;
inline constexpr std::uint8_t old_min = 35;
inline constexpr std::uint8_t old_hour = 36;
inline constexpr std::uint8_t old_day = 37;
inline constexpr std::uint8_t old_month = 38;
inline constexpr std::uint8_t old_newest_lo = 45;
inline constexpr std::uint8_t old_newest_hi = 46;
inline constexpr std::uint8_t old_stream = 47;
inline constexpr std::uint8_t old_grad_hi = 100;
inline constexpr std::uint8_t old_grad_lo = 101;
} // namespace cmd

namespace param
{
inline constexpr std::uint8_t status_poll = 160;
inline constexpr std::uint8_t status_start = 2;
inline constexpr std::uint8_t old_calib = 159;
inline constexpr std::uint8_t name = 1;
} // namespace param

using Frame = std::array<std::uint8_t, 5>;

constexpr std::uint8_t frame_check(std::uint8_t command, std::uint8_t parameter)
{
    return static_cast<std::uint8_t>(170 - command - parameter);
}

constexpr Frame make_frame(std::uint8_t command, std::uint8_t parameter)
{
    return {13, 10, command, parameter, frame_check(command, parameter)};
}

// The nine bytes that acknowledge a frame: the echo, then command, parameter, 0xAA, 0x55.
constexpr std::array<std::uint8_t, 9> ack_reply(std::uint8_t command, std::uint8_t parameter)
{
    const Frame f = make_frame(command, parameter);
    return {f[0], f[1], f[2], f[3], f[4], command, parameter, 0xAA, 0x55};
}

} // namespace vx
