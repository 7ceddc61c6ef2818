#pragma once
// TCommPortDriver: the program's serial port component on POSIX termios.
//
// The driver opens one serial device for exclusive use, sets the line
// parameters, writes with an output time-out and hands received bytes to its
// owner through OnReceiveData. Reception is driven by a QTimer on the thread
// that owns the driver (the user-interface thread): every PollingDelay ms the
// tick reads whatever the device has queued and raises one event with it.
// A read notifier on the same thread runs the tick as soon as bytes arrive,
// so a reply is not held back until the next period. There is no reader
// thread, so bytes are delivered only while that thread runs its event loop.
//
// Exclusive use: an open takes a non-blocking exclusive flock() on the
// device and sets TIOCEXCL; a second open of the same device (in this or
// another process, by any of its names) is refused while the first holds it,
// and Disconnect releases it. flock is what keeps root out as well, since
// root ignores TIOCEXCL.
//
// A device that hangs up while open (a USB adapter pulled, a simulated logger
// ended) stays "connected" for the program; the tick then tries to open the
// same device path again every half second and carries on with it once it is
// back.
//
// Port names: "\\.\COM" followed by a number n (the form the program
// composes) maps to the device the owner configured for COM n (see
// set_port_devices), else to /dev/ttyS(n-1). Any other name is used as a
// device path as it stands.
//
// Packet mode (PacketSize, PacketTimeout, PacketMode, OnReceivePacket) keeps
// its properties; whole packets of PacketSize bytes go to OnReceivePacket.
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vx
{

class Language;

class TCommPortDriver : public QObject
{
    Q_OBJECT
public:
    enum TPortNumber {
        pnCustom,
        pnCOM1,
        pnCOM2,
        pnCOM3,
        pnCOM4,
        pnCOM5,
        pnCOM6,
        pnCOM7,
        pnCOM8,
        pnCOM9,
        pnCOM10,
        pnCOM11,
        pnCOM12,
        pnCOM13,
        pnCOM14,
        pnCOM15,
        pnCOM16
    };
    Q_ENUM(TPortNumber)
    enum TBaudRate {
        brCustom,
        br110,
        br300,
        br600,
        br1200,
        br2400,
        br4800,
        br9600,
        br14400,
        br19200,
        br38400,
        br56000,
        br57600,
        br115200,
        br128000,
        br256000
    };
    Q_ENUM(TBaudRate)
    enum TDataBits { db5BITS, db6BITS, db7BITS, db8BITS };
    Q_ENUM(TDataBits)
    enum TStopBits { sb1BITS, sb1HALFBITS, sb2BITS };
    Q_ENUM(TStopBits)
    enum TParity { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
    Q_ENUM(TParity)
    enum THwFlowControl { hfNONE, hfNONERTSON, hfRTSCTS };
    Q_ENUM(THwFlowControl)
    enum TSwFlowControl { sfNONE, sfXONXOFF };
    Q_ENUM(TSwFlowControl)
    enum TPacketMode { pmDiscard, pmPass };
    Q_ENUM(TPacketMode)

    Q_PROPERTY(TPortNumber Port READ Port WRITE setPort)
    Q_PROPERTY(QString PortName READ PortName WRITE setPortName)
    Q_PROPERTY(TBaudRate BaudRate READ BaudRate WRITE setBaudRate)
    Q_PROPERTY(quint32 BaudRateValue READ BaudRateValue WRITE setBaudRateValue)
    Q_PROPERTY(TDataBits DataBits READ DataBits WRITE setDataBits)
    Q_PROPERTY(TStopBits StopBits READ StopBits WRITE setStopBits)
    Q_PROPERTY(TParity Parity READ Parity WRITE setParity)
    Q_PROPERTY(THwFlowControl HwFlow READ HwFlow WRITE setHwFlow)
    Q_PROPERTY(TSwFlowControl SwFlow READ SwFlow WRITE setSwFlow)
    Q_PROPERTY(quint32 InBufSize READ InBufSize WRITE setInBufSize)
    Q_PROPERTY(quint32 OutBufSize READ OutBufSize WRITE setOutBufSize)
    Q_PROPERTY(qint16 PacketSize READ PacketSize WRITE setPacketSize)
    Q_PROPERTY(qint32 PacketTimeout READ PacketTimeout WRITE setPacketTimeout)
    Q_PROPERTY(TPacketMode PacketMode READ PacketMode WRITE setPacketMode)
    Q_PROPERTY(quint16 PollingDelay READ PollingDelay WRITE setPollingDelay)
    Q_PROPERTY(bool EnableDTROnOpen READ EnableDTROnOpen WRITE setEnableDTROnOpen)
    Q_PROPERTY(quint16 OutputTimeout READ OutputTimeout WRITE setOutputTimeout)
    Q_PROPERTY(quint32 InputTimeout READ InputTimeout WRITE setInputTimeout)
    Q_PROPERTY(bool CheckLineStatus READ CheckLineStatus WRITE setCheckLineStatus)

    // The prefix of composed port names; "\\.\COM" as the program writes it.
    static const QString com_prefix;
    static constexpr std::uint32_t min_buf_size = 128;
    static constexpr std::uint32_t max_buf_size = 8192;
    static constexpr std::uint16_t min_polling_delay = 5;

    // Why the last Connect failed.
    enum class OpenFault {
        none,
        missing,    // no such device
        busy,       // another program (or driver) holds the device
        permission, // the user may not open the device
        not_a_port, // the path is no terminal device
        settings,   // the device refused the line settings
        other,
    };

    // Bits of ModemLines.
    static constexpr std::uint32_t line_cts = 1;
    static constexpr std::uint32_t line_dsr = 2;
    static constexpr std::uint32_t line_ring = 4;
    static constexpr std::uint32_t line_cd = 8;

    using ReceiveDataEvent = std::function<void(QObject* sender, const void* data, std::uint32_t size)>;
    using ReceivePacketEvent = std::function<void(QObject* sender, const void* packet, std::uint32_t size)>;

    explicit TCommPortDriver(QObject* parent = nullptr);
    ~TCommPortDriver() override;
    TCommPortDriver(const TCommPortDriver&) = delete;
    TCommPortDriver& operator=(const TCommPortDriver&) = delete;

    // Raised on a tick with the bytes read; data is valid only during the call.
    ReceiveDataEvent OnReceiveData;
    // Raised with each whole packet while PacketSize is 1 or more.
    ReceivePacketEvent OnReceivePacket;

    // Properties. Setters of Port, PortName, InBufSize and OutBufSize are
    // ignored while the port is open; setters of the line parameters apply
    // them to the open device at once.
    TPortNumber Port() const { return port_; }
    void setPort(TPortNumber p);
    QString PortName() const { return port_name_; }
    void setPortName(const QString& name);
    TBaudRate BaudRate() const { return baud_rate_; }
    void setBaudRate(TBaudRate b);
    quint32 BaudRateValue() const { return baud_value_; }
    void setBaudRateValue(quint32 bps);
    TDataBits DataBits() const { return data_bits_; }
    void setDataBits(TDataBits d);
    TStopBits StopBits() const { return stop_bits_; }
    void setStopBits(TStopBits s);
    TParity Parity() const { return parity_; }
    void setParity(TParity p);
    THwFlowControl HwFlow() const { return hw_flow_; }
    void setHwFlow(THwFlowControl f);
    TSwFlowControl SwFlow() const { return sw_flow_; }
    void setSwFlow(TSwFlowControl f);
    quint32 InBufSize() const { return in_buf_size_; }
    void setInBufSize(quint32 size);
    quint32 OutBufSize() const { return out_buf_size_; }
    void setOutBufSize(quint32 size);
    qint16 PacketSize() const { return packet_size_; }
    void setPacketSize(qint16 size);
    qint32 PacketTimeout() const { return packet_timeout_; }
    void setPacketTimeout(qint32 ms) { packet_timeout_ = ms; }
    TPacketMode PacketMode() const { return packet_mode_; }
    void setPacketMode(TPacketMode m) { packet_mode_ = m; }
    quint16 PollingDelay() const { return polling_delay_; }
    void setPollingDelay(quint16 ms);
    bool EnableDTROnOpen() const { return dtr_on_open_; }
    void setEnableDTROnOpen(bool on) { dtr_on_open_ = on; }
    quint16 OutputTimeout() const { return output_timeout_; }
    void setOutputTimeout(quint16 ms) { output_timeout_ = ms; }
    quint32 InputTimeout() const { return input_timeout_; }
    void setInputTimeout(quint32 ms) { input_timeout_ = ms; }
    bool CheckLineStatus() const { return check_line_status_; }
    void setCheckLineStatus(bool on) { check_line_status_ = on; }

    // Devices of the COM numbers (settings section PORTS): COM n -> path.
    void set_port_devices(const QMap<int, QString>& devices) { devices_ = devices; }
    const QMap<int, QString>& port_devices() const { return devices_; }
    // The device path that PortName stands for (see the note at the top).
    QString device_path() const;
    // The bit rate of a baud-rate enumerator; 0 for brCustom.
    static quint32 baud_of(TBaudRate b);

    // Opens the device and applies the line settings. True when open
    // (also when it already was); false when the device is missing, busy,
    // not accessible or refuses the settings. Never throws.
    bool Connect();
    // Why the last attempt to open the device failed; none after a successful Connect.
    OpenFault last_fault() const { return fault_; }
    // Stops the tick and closes the device; nothing when closed.
    void Disconnect();
    bool Connected() const { return fd_ >= 0; }

    // Discards pending input and/or output; false when closed or refused.
    bool FlushBuffers(bool input, bool output);
    // Writes size bytes, waiting for queue space; gives up when no byte could
    // be written for OutputTimeout (or timeout) ms. Returns the bytes written
    // (0 when closed).
    std::uint32_t SendData(const void* data, std::uint32_t size);
    std::uint32_t SendDataTimed(const void* data, std::uint32_t size, std::uint32_t timeout);
    // True when the one byte was written.
    bool SendByte(std::uint8_t b);
    // Raises or drops DTR / RTS. False when closed or the line refused it;
    // a pseudo-terminal has no modem lines, there the call does nothing and
    // returns true.
    bool SetDTR(bool on);
    bool SetRTS(bool on);
    // OutBufSize minus the bytes waiting in the output queue; 65535 when closed.
    std::uint32_t OutputFreeSpace() const;
    // Lines that are on (line_* bits); 0 when closed or unreadable.
    std::uint32_t ModemLines() const;

    // Bytes waiting in the input queue; 0 when closed.
    std::uint32_t InputCount() const;
    // Period of the running receive tick in ms; 0 while closed.
    int polling_interval() const { return timer_.isActive() ? timer_.interval() : 0; }

    // One receive tick; the polling timer calls it, tests may call it directly.
    void poll_tick();

    // True when the open device is a pseudo-terminal.
    bool is_pseudo_terminal() const { return is_pty_; }

    // Gives up the exclusive use of every device a driver of this process
    // holds open (TIOCNXCL, then close), for a signal handler about to end
    // the process: async-signal-safe, the drivers are unusable afterwards.
    static void release_all_for_exit();

private:
    bool apply_settings();
    bool set_modem_line(int bit, bool on);
    void deliver_packets();

    TPortNumber port_ = pnCOM2;
    QString port_name_ = com_prefix + "2";
    TBaudRate baud_rate_ = br9600;
    quint32 baud_value_ = 9600;
    TDataBits data_bits_ = db8BITS;
    TStopBits stop_bits_ = sb1BITS;
    TParity parity_ = ptNONE;
    THwFlowControl hw_flow_ = hfNONERTSON;
    TSwFlowControl sw_flow_ = sfNONE;
    quint32 in_buf_size_ = 2048;
    quint32 out_buf_size_ = 2048;
    qint16 packet_size_ = -1;
    qint32 packet_timeout_ = -1;
    TPacketMode packet_mode_ = pmDiscard;
    quint16 polling_delay_ = 50;
    bool dtr_on_open_ = true;
    quint16 output_timeout_ = 500;
    quint32 input_timeout_ = 200;
    bool check_line_status_ = false;

    QMap<int, QString> devices_;
    OpenFault fault_ = OpenFault::none;
    int fd_ = -1;
    bool is_pty_ = false;
    std::vector<std::uint8_t> scratch_;
    std::vector<std::uint8_t> packet_;
    QElapsedTimer packet_age_; // since the first byte of the incomplete packet
    QTimer timer_;
    std::unique_ptr<QSocketNotifier> notifier_; // runs the tick when bytes arrive
    bool hung_up_ = false;                      // the device went away; reopen pending
    QElapsedTimer reopen_clock_;

    void start_reception();
    void stop_reception();
    // Opens, locks and configures the device path; the new descriptor, or -1
    // with fault_ set.
    int open_device();
    void try_reopen();
};

// The fault of an open() that failed with errno error.
TCommPortDriver::OpenFault open_fault_of_errno(int error);

// What the user can do about a port that would not open, one line to show
// below the generic message, naming the device: that it does not exist, that
// the user may not open it (the dialout group), that another program holds
// it, or that it would not open as a serial port; empty for no fault.
// device is the path the port maps to; the texts are lang's.
QString open_fault_advice(TCommPortDriver::OpenFault fault, const QString& device, const Language& lang);

} // namespace vx
