// The link layer over the serial driver.
//
// Wire notes: every frame is CR LF command parameter check (frame.h). The
// logger echoes each byte, so a reply starts with our own five bytes; an
// acknowledgement is then command, parameter, 0xAA, 0x55 (nine bytes in all),
// a data reply a fixed payload and its plain 8-bit sum. Nothing marks the end
// of a reply: it is complete when its length is reached, and it matches only
// when it has exactly the expected bytes.
#include "link/link.h"

#include "base/code_page.h"
#include "base/language.h"
#include "base/ui_port.h"
#include "link/bytes.h"
#include "link/serial_port.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

Q_LOGGING_CATEGORY(lcLink, "vorlanix.link", QtWarningMsg)

namespace vx
{

namespace
{

// Milliseconds the logger gets between our tries and for its replies.
constexpr int pause_before_try_ms = 50;
constexpr int ack_wait_ms = 200;
constexpr int setup_ack_wait_ms = 100;
constexpr int block_ack_wait_ms = 250;
constexpr int data_step_ms = 50;
// An acknowledged exchange gives up when a seventh frame would be waited for.
constexpr int max_waited_tries = 6;

constexpr int name_reply_length = 22; // echo, 16 name bytes, sum
constexpr int name_steps = 12;
constexpr int name_max_failures = 4;
constexpr int block_steps = 22;
constexpr int block_base_address = 1024;

QByteArray to_bytes(const Frame& f)
{
    return QByteArray(reinterpret_cast<const char*>(f.data()), int(f.size()));
}

} // namespace

void Link::attach_driver(TCommPortDriver* driver)
{
    drv_ = driver;
    if (drv_)
        drv_->OnReceiveData = [this](QObject*, const void* data, std::uint32_t size) {
            CommDrvReceiveData(data, size);
        };
}

void Link::CommDrvReceiveData(const void* data, std::uint32_t size)
{
    if (data == nullptr || size == 0) return;
    const QByteArray chunk(static_cast<const char*>(data), static_cast<qsizetype>(size));
    qCDebug(lcLink).noquote() << "rx" << chunk.toHex(' ');
    rx_buffer.append(chunk);
    if (wake_) wake_();
}

void Link::abort()
{
    comm_abort = true;
    ++abort_count_;
    if (wake_) wake_();
}

bool Link::wait_until(const std::function<bool()>& done, int ms, bool stop_on_abort)
{
    QElapsedTimer clock;
    clock.start();
    auto finished = [&] { return done() || (stop_on_abort && comm_abort); };
    if (!finished() && ms > 0) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        const std::function<void()> outer = wake_;
        wake_ = [&] {
            if (finished()) loop.quit();
        };
        // A timer may fire a hair early; the wait lasts at least ms.
        while (!finished() && clock.elapsed() < ms) {
            timer.start(static_cast<int>(ms - clock.elapsed()));
            loop.exec();
        }
        wake_ = outer;
        // A wait that ran inside this one may have missed its own condition.
        if (wake_) wake_();
    }
    return done();
}

qint64 Link::delay(int ms)
{
    QElapsedTimer clock;
    clock.start();
    wait_until([] { return false; }, ms, false);
    return clock.elapsed();
}

bool Link::wait_reply(int ms)
{
    return wait_until([this] { return rx_buffer == expected_reply; }, ms, true);
}

bool Link::wait_length(int length, int steps)
{
    return wait_until([this, length] { return rx_buffer.size() >= length; }, steps * data_step_ms, false);
}

bool Link::wait_for(const std::function<bool()>& done, int ms)
{
    return wait_until(done, ms, true);
}

void Link::send_frame(const Frame& f)
{
    qCDebug(lcLink).noquote() << "tx" << to_bytes(f).toHex(' ');
    if (!drv_) return;
    // One byte at a time, as the logger's interface expects.
    for (std::uint8_t b : f)
        drv_->SendByte(b);
}

void Link::send_command(std::uint8_t command, std::uint8_t parameter)
{
    rx_buffer.clear();
    const Frame f = make_frame(command, parameter);
    send_frame(f);
    last_frame = f;
}

bool Link::send_frame_only(std::uint8_t command, std::uint8_t parameter)
{
    rx_buffer.clear();
    const Frame f = make_frame(command, parameter);
    qCDebug(lcLink).noquote() << "tx" << to_bytes(f).toHex(' ');
    if (!drv_) return false;
    bool last_written = false;
    for (std::uint8_t b : f)
        last_written = drv_->SendByte(b);
    return last_written;
}

bool Link::setup_send(std::uint8_t command, std::uint8_t parameter)
{
    rx_buffer.clear();
    send_command(command, parameter);
    delay(200);
    return true;
}

bool Link::acknowledged(std::uint8_t command, std::uint8_t parameter, int wait_ms, int pause_after_send_ms)
{
    int tries = 0;
    for (;;) {
        delay(pause_before_try_ms);
        rx_buffer.clear();
        send_command(command, parameter);
        if (pause_after_send_ms > 0) delay(pause_after_send_ms);
        const auto ack = ack_reply(command, parameter);
        expected_reply = QByteArray(reinterpret_cast<const char*>(ack.data()), int(ack.size()));
        if (comm_abort || tries >= max_waited_tries) return false;
        ++tries;
        if (wait_reply(wait_ms)) return true;
    }
}

bool Link::send_value(int k, std::uint8_t parameter)
{
    return acknowledged(static_cast<std::uint8_t>(k + cmd::value_base), parameter, ack_wait_ms, 0);
}

bool Link::send_acknowledged(std::uint8_t command, std::uint8_t parameter, int wait_ms)
{
    return acknowledged(command, parameter, wait_ms, 0);
}

bool Link::setup_exchange(std::uint8_t command, std::uint8_t parameter)
{
    if (acknowledged(command, parameter, setup_ack_wait_ms, 0)) {
        delay(50);
        return true;
    }
    if (ui_) ui_->plain_message(QStringLiteral("ERROR send command"));
    return false;
}

bool Link::setup_exchange_quiet(std::uint8_t command, std::uint8_t parameter)
{
    if (acknowledged(command, parameter, setup_ack_wait_ms, 200)) return true;
    if (ui_) ui_->progress_hide();
    return false;
}

bool Link::read_misname()
{
    mission_name.clear();
    const unsigned aborts_at_start = abort_count_;
    bool ok = false;
    for (int failures = 0;;) {
        rx_buffer.clear();
        send_command(cmd::name, param::name);
        wait_length(name_reply_length, name_steps);
        const ByteView reply = view(rx_buffer);
        const auto sum = sum8(reply, 5, 16);
        const auto check = u8_at(reply, 21);
        if (sum && check && *sum == *check) {
            ok = true;
            break;
        }
        ++failures;
        qCDebug(lcLink) << "mission name reply rejected, failure" << failures;
        if (failures >= name_max_failures) break;
        // show_progress clears comm_abort, so a cancel pressed during this
        // try has to be seen before it.
        if (abort_count_ != aborts_at_start) break;
        show_progress(lang_ ? lang_->mess(75) : builtin_text(QStringLiteral("MESS75")));
        if (comm_abort) break;
    }
    if (ok) {
        mission_name = without_trailing_blanks(from_cp1250_distinct(rx_buffer.mid(5, 16)));
        if (on_mission_name) on_mission_name(mission_name);
    }
    if (ui_) ui_->progress_hide();
    return ok;
}

bool Link::read_block(int b)
{
    if (b < 0 || record_length <= 0) return false;
    const qint64 address = qint64(b) * record_length + block_base_address;
    // The logger takes a 16-bit address; a larger one would wrap to the wrong records.
    if (address > 0xFFFF) return false;
    const auto lo = static_cast<std::uint8_t>(address & 0xFF);
    const auto hi = static_cast<std::uint8_t>(address >> 8);
    if (!acknowledged(cmd::addr_lo, lo, block_ack_wait_ms, 0)) return false;

    rx_buffer.clear();
    send_command(cmd::addr_hi, hi);
    const int payload = record_length * 10;
    if (!wait_length(payload + 6, block_steps)) return false;
    const ByteView reply = view(rx_buffer);
    const auto sum = sum8(reply, 5, static_cast<std::size_t>(payload));
    const auto check = u8_at(reply, static_cast<std::size_t>(payload) + 5);
    const bool ok = sum && check && *sum == *check;
    if (!ok) qCDebug(lcLink) << "record block at" << b << "rejected: sum does not match";
    return ok;
}

void Link::show_progress(const QString& title)
{
    comm_abort = false;
    if (ui_) ui_->progress_show(title);
}

bool Link::open_comport(int com, const QMap<int, QString>& port_devices)
{
    if (drv_) drv_->set_port_devices(port_devices);
    return open_comport(com);
}

bool Link::open_comport(int com)
{
    port_open = false;
    if (!drv_) return false;
    try {
        drv_->setPortName(TCommPortDriver::com_prefix + QString::number(com));
        drv_->Connect();
        delay(500);
        if (!drv_->Connected()) return false;
        drv_->SetDTR(true);
        drv_->SetRTS(true);
        port_open = true;
        return true;
    } catch (...) {
        port_open = false;
        return false;
    }
}

void Link::close_comport()
{
    port_open = false;
    if (drv_) drv_->Disconnect();
}

} // namespace vx
