#pragma once
// The link layer: the reply buffer that the serial driver's receive event
// fills, the waits that run the event loop while bytes arrive, and the
// exchanges built on five-byte frames (see frame.h): plain sends, the
// acknowledged exchange with its retries, the mission-name read and the
// ten-record block read.
//
// Every wait runs the Qt event loop (so the driver's tick, timers and the
// progress window's cancel button keep working) and returns as soon as its
// condition holds; none of them spins the CPU.
#include "link/frame.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QMap>
#include <QString>
#include <cstdint>
#include <functional>

Q_DECLARE_LOGGING_CATEGORY(lcLink)

namespace vx
{

class Language;
class TCommPortDriver;
class UiPort;

class Link
{
public:
    Link() = default;
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Wiring, done once by the owner (main window or test fixture).
    // attach_driver also makes the driver's OnReceiveData feed rx_buffer.
    void attach_driver(TCommPortDriver* driver);
    void attach_ui(UiPort* ui) { ui_ = ui; }
    // The texts of the progress window the link shows (the built-in ones without it).
    void attach_language(const Language* lang) { lang_ = lang; }
    TCommPortDriver* driver() const { return drv_; }

    // Shared link state.
    QByteArray rx_buffer;      // everything received since the last clear
    Frame last_frame{};        // the last frame sent by send_command
    QByteArray expected_reply; // what wait_reply compares rx_buffer with
    bool comm_abort = false;   // set when the user cancels a communication
    bool port_open = false;    // the logger port is open
    int record_length = 6;     // bytes per stored record of the attached model
    QString mission_name;      // last name read by read_misname (trailing blanks removed)

    // Called with the new mission name after a successful read_misname.
    std::function<void(const QString&)> on_mission_name;

    // The driver's OnReceiveData handler: appends the bytes to rx_buffer.
    void CommDrvReceiveData(const void* data, std::uint32_t size);

    // Sets comm_abort and ends any running wait that heeds it at once
    // (wait_reply); delay and wait_length keep running to their time.
    // The progress window's cancel button calls this.
    void abort();

    // Returns once at least ms milliseconds have passed; returns the elapsed ms.
    qint64 delay(int ms);
    // True as soon as rx_buffer equals expected_reply byte for byte; false
    // after ms milliseconds or at once when comm_abort is set.
    bool wait_reply(int ms);
    // Waits until rx_buffer holds at least length bytes, allowing up to
    // steps periods of 50 ms; true when the length was reached.
    bool wait_length(int length, int steps);
    // True as soon as done() holds (it is asked whenever bytes arrive);
    // false after ms milliseconds or at once when comm_abort is set.
    bool wait_for(const std::function<bool()>& done, int ms);

    // Clears rx_buffer, sends the frame, stores it in last_frame. No wait.
    void send_command(std::uint8_t command, std::uint8_t parameter);
    // Acknowledged exchange of wire command k + 32 (at most seven frames).
    bool send_value(int k, std::uint8_t parameter);
    // Acknowledged exchanges of the wire command unchanged (setup window).
    bool setup_exchange(std::uint8_t command, std::uint8_t parameter);
    bool setup_exchange_quiet(std::uint8_t command, std::uint8_t parameter);
    // The send_value loop for a wire command without the offset 32 (start
    // delay, record pointer, battery replaced): at most seven frames, each
    // waited for up to wait_ms; no message on failure.
    bool send_acknowledged(std::uint8_t command, std::uint8_t parameter, int wait_ms = 200);
    // Clears rx_buffer, sends, waits 200 ms; always true.
    bool setup_send(std::uint8_t command, std::uint8_t parameter);
    // Clears rx_buffer and sends without touching last_frame; true when the
    // last byte was written.
    bool send_frame_only(std::uint8_t command, std::uint8_t parameter);
    // Reads the 16-character mission name (command 13, parameter 1).
    bool read_misname();
    // Reads the ten records at ring position b into rx_buffer (commands 11, 12).
    bool read_block(int b);
    // Clears comm_abort and shows the progress window titled title.
    void show_progress(const QString& title);

    // Opens the logger port "\\.\COM" + com on the driver; see TCommPortDriver
    // for how the name maps to a device. False on any failure, never throws.
    // The second form first gives the driver the COM -> device map (settings
    // section PORTS).
    bool open_comport(int com);
    bool open_comport(int com, const QMap<int, QString>& port_devices);
    // Clears port_open and closes the driver.
    void close_comport();

private:
    // Runs the event loop until done() holds, ms pass, or abort() is called.
    bool wait_until(const std::function<bool()>& done, int ms, bool stop_on_abort);
    bool acknowledged(std::uint8_t command, std::uint8_t parameter, int wait_ms, int pause_after_send_ms);
    void send_frame(const Frame& f);

    TCommPortDriver* drv_ = nullptr;
    UiPort* ui_ = nullptr;
    const Language* lang_ = nullptr;
    std::function<void()> wake_; // set while a wait runs
    unsigned abort_count_ = 0;   // abort() calls so far
};

} // namespace vx
