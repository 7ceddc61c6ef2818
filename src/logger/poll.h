#pragma once
// The poll cycle of the main window's timer Timer1 (every 700 ms) as plain
// logic. Each tick first decodes what the reply buffer holds as the answer to
// the previous tick's request, then empties the buffer and sends the next
// request without waiting: the mission-name request when the tick counter's
// two low bits are 0, the status request otherwise. More than three status
// replies in a row that are not recognised declare the logger lost.
#include "logger/clock.h"

#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace vx
{

struct DecodeInputs;
struct Global;
class LoggerDisplay;
struct StatusView;

// What a status decode needs from the program's state: the identification,
// status and coefficients so far, the language, the computer's date and the
// calibration definition of the logger, loaded once its serial is known.
DecodeInputs decode_inputs(Global& g);

class PollCycle
{
public:
    PollCycle(Global& g, LoggerDisplay& display);

    // One tick of Timer1. Does nothing while a tick is still busy (inside a
    // modal box of its own).
    void tick();

    // Identifies and decodes g.link.rx_buffer as a status reply, updates the
    // identification, status and coefficients of g and shows the result;
    // runs the clock comparison, the one-time notices and the key-name
    // question. True when the reply was recognised. Also used outside the
    // poll (mission start) with the timer stopped.
    bool decode_status();

    // Decodes g.link.rx_buffer as the answer to a name request (type 55: the
    // old-format calibration answer).
    void decode_name();

    // Called when the timer has just been stopped: the last tick sent its
    // request without waiting for the answer, which may still be arriving.
    // Lets it end (150 ms after the request, then until 30 ms pass without a
    // byte) and drops it, so that the exchange that stopped the poll does not
    // take it for its own reply. Nothing to wait for inside a busy tick.
    void settle();

    // The logger is gone (or the link was closed): clears the panels, resets
    // the record pointer and drops the active calibration.
    void clear_panels();

    // Where requests go; g.link.send_command unless replaced (tests).
    void set_sender(std::function<void(std::uint8_t command, std::uint8_t parameter)> send)
    {
        send_ = std::move(send);
    }

private:
    void notice_once(std::uint16_t type, std::uint16_t serial);
    void ask_key_name(int key);

    Global& g_;
    LoggerDisplay& display_;
    ClockCheck clock_;
    std::optional<std::uint16_t> notice_shown_for_; // serial of the last one-time notice
    std::optional<int> declined_key_;               // key whose name the user did not give
    std::function<void(std::uint8_t, std::uint8_t)> send_;
    QElapsedTimer since_request_; // since the last request went out
};

} // namespace vx
