// The serial port driver: device names, exclusive opening with the line
// settings, and sending that gives up, against a pseudo-terminal peer.
#include "link/serial_port.h"
#include "pty_peer.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <termios.h>

using vx::TCommPortDriver;
using vxtest::PtyPeer;

namespace
{

// A driver connected to a fresh pseudo-terminal peer.
struct OpenDriver {
    PtyPeer peer;
    TCommPortDriver d;
    bool connect()
    {
        d.setPortName(peer.path());
        return peer.ok() && d.Connect();
    }
    termios line() const
    {
        termios t{};
        tcgetattr(peer.slave_fd(), &t);
        return t;
    }
};

} // namespace

TEST(CommPortDriver, ComNumbersMapToConfiguredDevicesElseTtyS)
{
    TCommPortDriver d;
    d.set_port_devices({{3, "/dev/ttyUSB0"}, {12, "/dev/ttyACM1"}});
    for (auto [name, device] : {std::pair{"\\\\.\\COM1", "/dev/ttyS0"},
                                {"\\\\.\\COM12", "/dev/ttyACM1"},
                                {"\\\\.\\COM3", "/dev/ttyUSB0"},
                                {"\\\\.\\COM4", "/dev/ttyS3"},
                                {"/dev/pts/7", "/dev/pts/7"},
                                {"\\\\.\\COM0", "\\\\.\\COM0"}}) {
        d.setPortName(name);
        EXPECT_EQ(d.device_path(), QString(device)) << name;
    }
    d.setPort(TCommPortDriver::pnCOM12);
    EXPECT_EQ(d.PortName(), QStringLiteral("\\\\.\\COM12"));
}

TEST(CommPortDriver, DevicesThatCannotServeGiveFalseAndAClosedPortDoesNothing)
{
    TCommPortDriver d;
    d.set_port_devices({{9, "/nonexistent/ttyUSB9"}});
    // Missing, not a terminal, a directory, nothing, a COM number without a device.
    for (const char* name : {"/nonexistent/ttyX", "/dev/null", "/tmp", "", "\\\\.\\COM9"}) {
        d.setPortName(name);
        EXPECT_FALSE(d.Connect()) << name;
        EXPECT_FALSE(d.Connected()) << name;
    }
    EXPECT_EQ(d.polling_interval(), 0);
    EXPECT_FALSE(d.SendByte(0x41));
    EXPECT_EQ(d.SendDataTimed("abc", 3, 10), 0u);
    bool delivered = false;
    d.OnReceiveData = [&](QObject*, const void*, std::uint32_t) { delivered = true; };
    d.poll_tick();
    EXPECT_FALSE(delivered);
}

TEST(CommPortDriver, BusyDeviceGivesFalseUntilReleased)
{
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    TCommPortDriver a, b;
    a.setPortName(peer.path());
    b.setPortName(peer.path());
    ASSERT_TRUE(a.Connect());
    EXPECT_FALSE(b.Connect());
    a.Disconnect();
    EXPECT_TRUE(b.Connect());
}

TEST(CommPortDriver, ConnectAppliesTheLineSettingsAndChangesApplyAtOnce)
{
    OpenDriver o;
    o.d.setBaudRateValue(19200);
    ASSERT_TRUE(o.connect());
    termios t = o.line();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B19200));
    EXPECT_EQ(cfgetispeed(&t), speed_t(B19200));
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    o.d.setBaudRate(TCommPortDriver::br9600); // applied on the open device at once
    t = o.line();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
    // The polling delay is taken at once, with a floor of 5 ms.
    o.d.setPollingDelay(1);
    EXPECT_EQ(o.d.polling_interval(), 5);
}

TEST(CommPortDriver, SendingGivesUpWhenTheLineTakesNothing)
{
    OpenDriver o; // the peer never reads, so the line fills up
    ASSERT_TRUE(o.connect());
    const QByteArray big(1 << 20, 'q');
    QElapsedTimer t;
    t.start();
    const std::uint32_t sent = o.d.SendDataTimed(big.constData(), std::uint32_t(big.size()), 100);
    EXPECT_GT(sent, 0u);
    EXPECT_LT(sent, std::uint32_t(big.size()));
    EXPECT_GE(t.elapsed(), 100);
}
