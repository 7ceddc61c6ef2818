// The serial port driver: its property rules, opening devices, sending and
// the receive tick, against a pseudo-terminal peer.
#include "link/serial_port.h"
#include "pty_peer.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <termios.h>
#include <vector>

using vx::TCommPortDriver;
using vxtest::PtyPeer;

namespace
{

struct Event {
    QObject* sender;
    QByteArray bytes;
};

// Collects the receive events of a driver.
struct Events {
    std::vector<Event> list;
    void attach(TCommPortDriver& d)
    {
        d.OnReceiveData = [this](QObject* s, const void* data, std::uint32_t size) {
            list.push_back({s, QByteArray(static_cast<const char*>(data), qsizetype(size))});
        };
    }
};

termios line_of(const PtyPeer& peer)
{
    termios t{};
    tcgetattr(peer.slave_fd(), &t);
    return t;
}

} // namespace

TEST(CommPortDriver, DefaultsAreTheComponentDefaults)
{
    TCommPortDriver d;
    EXPECT_EQ(d.Port(), TCommPortDriver::pnCOM2);
    EXPECT_EQ(d.PortName(), QStringLiteral("\\\\.\\COM2"));
    EXPECT_EQ(d.BaudRate(), TCommPortDriver::br9600);
    EXPECT_EQ(d.BaudRateValue(), 9600u);
    EXPECT_EQ(d.DataBits(), TCommPortDriver::db8BITS);
    EXPECT_EQ(d.StopBits(), TCommPortDriver::sb1BITS);
    EXPECT_EQ(d.Parity(), TCommPortDriver::ptNONE);
    EXPECT_EQ(d.HwFlow(), TCommPortDriver::hfNONERTSON);
    EXPECT_EQ(d.SwFlow(), TCommPortDriver::sfNONE);
    EXPECT_EQ(d.InBufSize(), 2048u);
    EXPECT_EQ(d.OutBufSize(), 2048u);
    EXPECT_EQ(d.PacketSize(), -1);
    EXPECT_EQ(d.PacketTimeout(), -1);
    EXPECT_EQ(d.PacketMode(), TCommPortDriver::pmDiscard);
    EXPECT_EQ(d.PollingDelay(), 50);
    EXPECT_TRUE(d.EnableDTROnOpen());
    EXPECT_EQ(d.OutputTimeout(), 500);
    EXPECT_EQ(d.InputTimeout(), 200u);
    EXPECT_FALSE(d.CheckLineStatus());
    EXPECT_FALSE(d.Connected());
    // The published properties are reachable by name, as the component's are.
    EXPECT_EQ(d.property("PortName").toString(), QStringLiteral("\\\\.\\COM2"));
    EXPECT_EQ(d.property("BaudRateValue").toUInt(), 9600u);
    EXPECT_TRUE(d.setProperty("PollingDelay", 0));
    EXPECT_EQ(d.PollingDelay(), 5);
}

TEST(CommPortDriver, PortAndPortNameAreCoupled)
{
    TCommPortDriver d;
    d.setPort(TCommPortDriver::pnCOM12);
    EXPECT_EQ(d.PortName(), QStringLiteral("\\\\.\\COM12"));
    d.setPort(TCommPortDriver::pnCOM1);
    EXPECT_EQ(d.PortName(), QStringLiteral("\\\\.\\COM1"));
    d.setPortName("/dev/ttyACM0");
    EXPECT_EQ(d.Port(), TCommPortDriver::pnCustom);
    EXPECT_EQ(d.PortName(), QStringLiteral("/dev/ttyACM0"));
    // Choosing "custom" keeps the name.
    d.setPort(TCommPortDriver::pnCustom);
    EXPECT_EQ(d.PortName(), QStringLiteral("/dev/ttyACM0"));
}

TEST(CommPortDriver, BaudRateAndValueAreCoupled)
{
    TCommPortDriver d;
    d.setBaudRate(TCommPortDriver::br19200);
    EXPECT_EQ(d.BaudRateValue(), 19200u);
    d.setBaudRate(TCommPortDriver::br256000);
    EXPECT_EQ(d.BaudRateValue(), 256000u);
    d.setBaudRate(TCommPortDriver::br110);
    EXPECT_EQ(d.BaudRateValue(), 110u);
    d.setBaudRateValue(19200);
    EXPECT_EQ(d.BaudRate(), TCommPortDriver::brCustom);
    EXPECT_EQ(d.BaudRateValue(), 19200u);
    // Custom leaves the value as it is.
    d.setBaudRate(TCommPortDriver::br14400);
    d.setBaudRate(TCommPortDriver::brCustom);
    EXPECT_EQ(d.BaudRateValue(), 14400u);
    const quint32 table[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                             19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(TCommPortDriver::baud_of(TCommPortDriver::TBaudRate(i + 1)), table[i]) << i;
}

TEST(CommPortDriver, BufferSizesAreClampedAndPollingDelayHasAFloor)
{
    TCommPortDriver d;
    d.setInBufSize(100);
    EXPECT_EQ(d.InBufSize(), 128u);
    d.setInBufSize(9000);
    EXPECT_EQ(d.InBufSize(), 8192u);
    d.setInBufSize(8193);
    EXPECT_EQ(d.InBufSize(), 8192u);
    d.setInBufSize(127);
    EXPECT_EQ(d.InBufSize(), 128u);
    d.setInBufSize(128);
    EXPECT_EQ(d.InBufSize(), 128u);
    d.setInBufSize(8192);
    EXPECT_EQ(d.InBufSize(), 8192u);
    d.setOutBufSize(0);
    EXPECT_EQ(d.OutBufSize(), 128u);
    d.setOutBufSize(1u << 31);
    EXPECT_EQ(d.OutBufSize(), 8192u);
    d.setOutBufSize(1000);
    EXPECT_EQ(d.OutBufSize(), 1000u);

    d.setPollingDelay(0);
    EXPECT_EQ(d.PollingDelay(), 5);
    d.setPollingDelay(4);
    EXPECT_EQ(d.PollingDelay(), 5);
    d.setPollingDelay(5);
    EXPECT_EQ(d.PollingDelay(), 5);
    d.setPollingDelay(700);
    EXPECT_EQ(d.PollingDelay(), 700);
}

TEST(CommPortDriver, ClosedPortDoesNothing)
{
    TCommPortDriver d;
    EXPECT_FALSE(d.SendByte(0x41));
    const char data[] = "abc";
    EXPECT_EQ(d.SendData(data, 3), 0u);
    EXPECT_EQ(d.SendDataTimed(data, 3, 10), 0u);
    EXPECT_EQ(d.OutputFreeSpace(), 65535u);
    EXPECT_EQ(d.ModemLines(), 0u);
    EXPECT_EQ(d.InputCount(), 0u);
    EXPECT_FALSE(d.FlushBuffers(true, true));
    EXPECT_FALSE(d.SetDTR(true));
    EXPECT_FALSE(d.SetRTS(true));
    EXPECT_EQ(d.polling_interval(), 0);
    Events ev;
    ev.attach(d);
    d.poll_tick();
    EXPECT_TRUE(ev.list.empty());
    d.Disconnect(); // harmless when closed
    EXPECT_FALSE(d.Connected());
}

TEST(CommPortDriver, ComNumbersMapToConfiguredDevicesElseTtyS)
{
    TCommPortDriver d;
    d.setPortName("\\\\.\\COM1");
    EXPECT_EQ(d.device_path(), QStringLiteral("/dev/ttyS0"));
    d.setPortName("\\\\.\\COM12");
    EXPECT_EQ(d.device_path(), QStringLiteral("/dev/ttyS11"));
    d.set_port_devices({{3, "/dev/ttyUSB0"}, {12, "/dev/ttyACM1"}});
    EXPECT_EQ(d.device_path(), QStringLiteral("/dev/ttyACM1"));
    d.setPortName("\\\\.\\COM3");
    EXPECT_EQ(d.device_path(), QStringLiteral("/dev/ttyUSB0"));
    d.setPortName("\\\\.\\COM4");
    EXPECT_EQ(d.device_path(), QStringLiteral("/dev/ttyS3"));
    // Anything else is a path as it stands.
    d.setPortName("/dev/pts/7");
    EXPECT_EQ(d.device_path(), QStringLiteral("/dev/pts/7"));
    d.setPortName("\\\\.\\COM0");
    EXPECT_EQ(d.device_path(), QStringLiteral("\\\\.\\COM0"));
    d.setPortName("\\\\.\\COM3x");
    EXPECT_EQ(d.device_path(), QStringLiteral("\\\\.\\COM3x"));
}

TEST(CommPortDriver, DevicesThatCannotServeGiveFalse)
{
    TCommPortDriver d;
    d.setPortName("/nonexistent/ttyX");
    EXPECT_FALSE(d.Connect());
    EXPECT_FALSE(d.Connected());
    // Not a terminal: the line settings cannot be applied.
    d.setPortName("/dev/null");
    EXPECT_FALSE(d.Connect());
    EXPECT_FALSE(d.Connected());
    d.setPortName("/tmp");
    EXPECT_FALSE(d.Connect());
    d.setPortName("");
    EXPECT_FALSE(d.Connect());
    // A COM number without a device behind it.
    d.set_port_devices({{9, "/nonexistent/ttyUSB9"}});
    d.setPortName("\\\\.\\COM9");
    EXPECT_FALSE(d.Connect());
    EXPECT_FALSE(d.Connected());
    EXPECT_EQ(d.polling_interval(), 0);
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
    EXPECT_FALSE(b.Connected());
    a.Disconnect();
    EXPECT_TRUE(b.Connect());
    // Connecting again while open is a no-op that succeeds.
    EXPECT_TRUE(b.Connect());
}

TEST(CommPortDriver, ConnectAppliesTheLineSettings)
{
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    TCommPortDriver d;
    d.setPort(TCommPortDriver::pnCustom);
    d.set_port_devices({{5, peer.path()}});
    d.setPortName("\\\\.\\COM5");
    d.setBaudRateValue(19200);
    ASSERT_TRUE(d.Connect());
    EXPECT_TRUE(d.is_pseudo_terminal());
    EXPECT_EQ(d.polling_interval(), 50);
    termios t = line_of(peer);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B19200));
    EXPECT_EQ(cfgetispeed(&t), speed_t(B19200));
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    // Modem lines do not exist on a pseudo-terminal; raising them is harmless.
    EXPECT_TRUE(d.SetDTR(true));
    EXPECT_TRUE(d.SetRTS(true));

    // Line settings change on the open device at once. (A pseudo-terminal
    // carries eight data bits without parity only.)
    d.setStopBits(TCommPortDriver::sb2BITS);
    d.setSwFlow(TCommPortDriver::sfXONXOFF);
    d.setHwFlow(TCommPortDriver::hfRTSCTS);
    d.setBaudRate(TCommPortDriver::br9600);
    t = line_of(peer);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));
    EXPECT_EQ(t.c_cc[VSTART], 17);
    EXPECT_EQ(t.c_cc[VSTOP], 19);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
    d.setSwFlow(TCommPortDriver::sfNONE);
    d.setHwFlow(TCommPortDriver::hfNONE);
    d.setStopBits(TCommPortDriver::sb1BITS);
    t = line_of(peer);
    EXPECT_FALSE(t.c_cflag & (CSTOPB | CRTSCTS));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);

    // Rates outside the classic table still open.
    d.Disconnect();
    d.setBaudRate(TCommPortDriver::br14400);
    EXPECT_TRUE(d.Connect());
}

TEST(CommPortDriver, SettersThatWaitForTheNextConnect)
{
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    TCommPortDriver d;
    d.setPortName(peer.path());
    d.setInBufSize(512);
    ASSERT_TRUE(d.Connect());
    d.setPortName("/dev/ttyS3");
    d.setPort(TCommPortDriver::pnCOM4);
    EXPECT_EQ(d.PortName(), peer.path());
    EXPECT_EQ(d.Port(), TCommPortDriver::pnCustom);
    d.setInBufSize(4096);
    d.setOutBufSize(4096);
    EXPECT_EQ(d.InBufSize(), 512u);
    EXPECT_EQ(d.OutBufSize(), 2048u);
    // The polling delay is taken at once, the timer restarted.
    d.setPollingDelay(120);
    EXPECT_EQ(d.polling_interval(), 120);
    d.setPollingDelay(1);
    EXPECT_EQ(d.polling_interval(), 5);

    d.Disconnect();
    EXPECT_EQ(d.polling_interval(), 0);
    d.setPortName("/dev/ttyS3");
    EXPECT_EQ(d.PortName(), QStringLiteral("/dev/ttyS3"));
    d.setInBufSize(4096);
    EXPECT_EQ(d.InBufSize(), 4096u);
}

TEST(CommPortDriver, SendsBytesToTheLine)
{
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    TCommPortDriver d;
    d.setPortName(peer.path());
    ASSERT_TRUE(d.Connect());
    EXPECT_TRUE(d.SendByte(0x0D));
    EXPECT_TRUE(d.SendByte(0xFF));
    const unsigned char block[] = {1, 2, 3, 0, 250};
    EXPECT_EQ(d.SendData(block, 5), 5u);
    EXPECT_EQ(peer.read(7, 2000), QByteArray("\x0D\xFF\x01\x02\x03\x00\xFA", 7));
    EXPECT_EQ(d.SendData(block, 0), 0u);
    EXPECT_EQ(d.SendData(nullptr, 5), 0u);
    EXPECT_GT(d.OutputFreeSpace(), 0u);
    EXPECT_LE(d.OutputFreeSpace(), d.OutBufSize());
    EXPECT_TRUE(d.FlushBuffers(true, false));
    EXPECT_TRUE(d.FlushBuffers(false, true));
    EXPECT_TRUE(d.FlushBuffers(true, true));
}

TEST(CommPortDriver, TickDeliversWhatWaitsInOneEvent)
{
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    TCommPortDriver d;
    d.setPortName(peer.path());
    ASSERT_TRUE(d.Connect());
    // Keep the timer out of the way and drive the ticks by hand.
    d.setPollingDelay(60000);
    Events ev;
    ev.attach(d);

    d.poll_tick();
    EXPECT_TRUE(ev.list.empty());

    peer.write(QByteArray("\x0D\x0A\x0D\x01\x9C\x00\x41", 7));
    QTRY_COMPARE_WITH_TIMEOUT(d.InputCount(), 7u, 2000);
    d.poll_tick();
    ASSERT_EQ(ev.list.size(), 1u);
    EXPECT_EQ(ev.list[0].sender, &d);
    EXPECT_EQ(ev.list[0].bytes, QByteArray("\x0D\x0A\x0D\x01\x9C\x00\x41", 7));
    d.poll_tick();
    EXPECT_EQ(ev.list.size(), 1u);
}

TEST(CommPortDriver, TickReadsAtMostInBufSizeAndTheTimerDelivers)
{
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    TCommPortDriver d;
    d.setInBufSize(128);
    d.setPortName(peer.path());
    ASSERT_TRUE(d.Connect());
    d.setPollingDelay(60000);
    Events ev;
    ev.attach(d);
    QByteArray big(300, 'x');
    big[0] = 'a';
    big[299] = 'z';
    peer.write(big);
    QTRY_COMPARE_WITH_TIMEOUT(d.InputCount(), 300u, 2000);
    d.poll_tick();
    ASSERT_EQ(ev.list.size(), 1u);
    EXPECT_EQ(ev.list[0].bytes.size(), 128);

    // The running timer picks up the rest on its own.
    d.setPollingDelay(10);
    QTRY_COMPARE_WITH_TIMEOUT(d.InputCount(), 0u, 2000);
    QByteArray all;
    for (const Event& e : ev.list)
        all += e.bytes;
    EXPECT_EQ(all, big);
}

TEST(CommPortDriver, PacketModeDeliversWholePackets)
{
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    TCommPortDriver d;
    d.setPortName(peer.path());
    d.setPacketSize(4);
    d.setPacketTimeout(1);
    d.setPacketMode(TCommPortDriver::pmPass);
    ASSERT_TRUE(d.Connect());
    d.setPollingDelay(60000);
    std::vector<QByteArray> packets;
    d.OnReceivePacket = [&](QObject*, const void* p, std::uint32_t n) {
        packets.emplace_back(static_cast<const char*>(p), qsizetype(n));
    };
    bool plain_event = false;
    d.OnReceiveData = [&](QObject*, const void*, std::uint32_t) { plain_event = true; };
    peer.write("abcdefghij");
    QTRY_COMPARE_WITH_TIMEOUT(d.InputCount(), 10u, 2000);
    d.poll_tick();
    ASSERT_GE(packets.size(), 2u);
    EXPECT_EQ(packets[0], QByteArray("abcd"));
    EXPECT_EQ(packets[1], QByteArray("efgh"));
    QTest::qWait(5);
    d.poll_tick();
    // The incomplete rest is passed on once its time-out has passed.
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[2], QByteArray("ij"));
    EXPECT_FALSE(plain_event);
}

TEST(CommPortDriver, PacketModeDropsAnIncompletePacketWhenDiscarding)
{
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    TCommPortDriver d;
    d.setPortName(peer.path());
    d.setPacketSize(4);
    d.setPacketTimeout(1);
    ASSERT_TRUE(d.Connect());
    d.setPollingDelay(60000);
    std::vector<QByteArray> packets;
    d.OnReceivePacket = [&](QObject*, const void* p, std::uint32_t n) {
        packets.emplace_back(static_cast<const char*>(p), qsizetype(n));
    };
    peer.write("xyz");
    QTRY_COMPARE_WITH_TIMEOUT(d.InputCount(), 3u, 2000);
    d.poll_tick();
    QTest::qWait(5);
    d.poll_tick();
    EXPECT_TRUE(packets.empty());
    // The dropped bytes do not prefix the next packet.
    peer.write("abcd");
    QTRY_COMPARE_WITH_TIMEOUT(d.InputCount(), 4u, 2000);
    d.poll_tick();
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], QByteArray("abcd"));
}

TEST(CommPortDriver, SendingGivesUpWhenTheLineTakesNothing)
{
    PtyPeer peer; // never reads, so the line fills up
    ASSERT_TRUE(peer.ok());
    TCommPortDriver d;
    d.setPortName(peer.path());
    ASSERT_TRUE(d.Connect());
    const QByteArray big(1 << 20, 'q');
    QElapsedTimer t;
    t.start();
    const std::uint32_t sent = d.SendDataTimed(big.constData(), std::uint32_t(big.size()), 100);
    EXPECT_GT(sent, 0u);
    EXPECT_LT(sent, std::uint32_t(big.size()));
    EXPECT_GE(t.elapsed(), 100);
}

TEST(CommPortDriver, LineStatusCheckStopsSendingWithoutModemLines)
{
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    TCommPortDriver d;
    d.setPortName(peer.path());
    ASSERT_TRUE(d.Connect());
    // A pseudo-terminal reports no modem lines at all.
    EXPECT_EQ(d.ModemLines(), 0u);
    d.setCheckLineStatus(true);
    EXPECT_EQ(d.SendData("abc", 3), 0u);
    EXPECT_FALSE(d.SendByte('a'));
    d.setCheckLineStatus(false);
    EXPECT_TRUE(d.SendByte('a'));
    EXPECT_EQ(peer.read(1, 2000), QByteArray("a"));
}
