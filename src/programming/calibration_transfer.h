#pragma once
// Calibration transfers to the logger: coefficient float blocks, the flow
// constants, coefficient texts and memory cells. The bytes come from
// encoders.h; this file sends them with their pauses and acknowledgements.
//
// Wire notes:
//  - float block: byte j of coefficient n with setting k = 32 + 4n + j
//    (wire command 64 + 4n + j), then the check byte with k = 32 + 4N;
//  - flow constants: A low, A high, B low, B high, conversion type with
//    k = 32..36, the check byte with k = 37, 200 ms after each;
//  - coefficient text: command 195 with 52 (a text begins), every character
//    and a closing 0 with command 196, command 197 with the coefficient index
//    (stored, not acknowledged); the analog series ends with 198 and 1;
//  - memory cell: command 16 with the cell address, command 17 with the byte.
#include <QString>
#include <array>
#include <cstdint>
#include <span>

namespace vx
{

struct Global;

// How far a series went: the frames the logger acknowledged, of all it has.
struct Transfer {
    int acknowledged = 0;
    int total = 0;
    bool ok() const { return acknowledged == total; }
};

// Sends a float block. Before coefficient n the bar goes to
// bar_base + bar_step * n and the log gets "CAL" n. Stops at the first byte
// that is not acknowledged (the check byte is then never sent).
Transfer send_float_block(Global& g, std::span<const float> values, int bar_base, int bar_step);

// Sends the flow constants (A low, A high, B low, B high, conversion type)
// and their check byte; stops at the first byte not acknowledged.
Transfer send_flow_constants(Global& g, const std::array<std::uint8_t, 5>& bytes);

// The setup dialog's acknowledged exchange of a wire command (100 ms per
// try, 50 ms after success) without a message of its own; false when the
// logger did not acknowledge it.
bool setup_step(Global& g, std::uint8_t command, std::uint8_t parameter);

// Sends one coefficient text and stores it as coefficient index (the label
// shows "SEND LCD A" index). False when an exchange failed.
bool send_coefficient_text(Global& g, int index, const QString& text);

// The analog text block: the three texts as coefficients 0, 1, 2, then the
// end of the series (198, 1), inside the progress window. Nothing goes out
// unless every text can (coefficient_text); stops at the first failed
// exchange and says which coefficient is partly written. A block or wind
// text that went out leaves a "calibration-send" entry in the audit trail.
bool send_analog_text_block(Global& g, const std::array<QString, 3>& texts);
// One wind coefficient as text (no end of series), inside the progress
// window; a text that cannot go is refused before any frame, a failure is
// said.
bool send_wind_text(Global& g, int index, const QString& text);

// Stores value in memory cell cell: select (16), then store (17), each
// followed by pause_ms. A select that is not acknowledged skips the store, so
// the byte never lands in a cell selected before. False on any failure.
bool write_memory_cell(Global& g, int cell, std::uint8_t value, int pause_ms = 200);

} // namespace vx
