// The serial port driver: device names, one holder at a time, why an open failed and what to tell
// the user, the line settings, sending that gives up, and the serial devices present.
#include "base/language.h"
#include "link/serial_devices.h"
#include "link/serial_port.h"
#include "pty_peer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <termios.h>

using vx::SerialDevice;
using vx::TCommPortDriver;
using vxtest::PtyPeer;
using Fault = vx::TCommPortDriver::OpenFault;

namespace
{

// Readable failure messages.
std::string name_of(Fault f)
{
    const char* names[] = {"none", "missing", "busy", "permission", "not_a_port", "settings", "other"};
    return names[static_cast<int>(f)];
}

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
    const std::pair<const char*, const char*> names[] = {
        {"\\\\.\\COM1", "/dev/ttyS0"}, {"\\\\.\\COM12", "/dev/ttyACM1"}, {"\\\\.\\COM3", "/dev/ttyUSB0"},
        {"\\\\.\\COM4", "/dev/ttyS3"}, {"/dev/pts/7", "/dev/pts/7"},     {"\\\\.\\COM0", "\\\\.\\COM0"}};
    for (auto [name, device] : names) {
        d.setPortName(name);
        EXPECT_EQ(d.device_path(), QString(device)) << name;
    }
    d.setPort(TCommPortDriver::pnCOM12);
    EXPECT_EQ(d.PortName(), QStringLiteral("\\\\.\\COM12"));
}

TEST(CommPortDriver, DevicesThatCannotServeGiveFalseWithTheirCauseAndAClosedPortDoesNothing)
{
    TCommPortDriver d;
    d.set_port_devices({{9, "/nonexistent/ttyUSB9"}});
    // Missing, not a terminal, a directory, nothing, a COM number without a device.
    for (auto [name, fault] : {std::pair{"/nonexistent/ttyX", Fault::missing},
                               {"/dev/null", Fault::not_a_port},
                               {"/tmp", Fault::other},
                               {"", Fault::missing},
                               {"\\\\.\\COM9", Fault::missing}}) {
        d.setPortName(name);
        EXPECT_FALSE(d.Connect()) << name;
        EXPECT_FALSE(d.Connected()) << name;
        EXPECT_EQ(name_of(d.last_fault()), name_of(fault)) << name;
    }
    // What open() reports; a user of no group that may use the device gets EACCES.
    const std::pair<int, Fault> errors[] = {{ENOENT, Fault::missing},    {ENXIO, Fault::missing},
                                            {EACCES, Fault::permission}, {EPERM, Fault::permission},
                                            {EBUSY, Fault::busy},        {EWOULDBLOCK, Fault::busy},
                                            {EIO, Fault::other}};
    for (const auto& [error, fault] : errors)
        EXPECT_EQ(name_of(vx::open_fault_of_errno(error)), name_of(fault)) << error;
    EXPECT_EQ(d.polling_interval(), 0);
    EXPECT_FALSE(d.SendByte(0x41));
    EXPECT_EQ(d.SendDataTimed("abc", 3, 10), 0u);
    bool delivered = false;
    d.OnReceiveData = [&](QObject*, const void*, std::uint32_t) { delivered = true; };
    d.poll_tick();
    EXPECT_FALSE(delivered);
}

TEST(CommPortDriver, SecondOpenOfTheSameDeviceIsRefusedWhileTheFirstHoldsIt)
{
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    QTemporaryDir dir;
    const QString other_name = dir.filePath("ttyLOGGER");
    ASSERT_TRUE(QFile::link(peer.path(), other_name));
    TCommPortDriver first, second, third;
    first.setPortName(peer.path());
    ASSERT_TRUE(first.Connect());
    // By the same name and by another name of the same device.
    second.setPortName(peer.path());
    third.setPortName(other_name);
    EXPECT_FALSE(second.Connect());
    EXPECT_EQ(name_of(second.last_fault()), "busy");
    EXPECT_FALSE(third.Connect());
    EXPECT_EQ(name_of(third.last_fault()), "busy");
    first.Disconnect();
    EXPECT_TRUE(second.Connect());
    EXPECT_EQ(second.last_fault(), Fault::none);
    first.setPortName(other_name);
    EXPECT_FALSE(first.Connect());
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

TEST(CommPortDriver, AdviceNamesTheDeviceAndTheFix)
{
    const vx::Language lang;
    // A port in use: window_on_sim_test.
    const std::pair<Fault, QString> cases[] = {
        {Fault::none, ""},
        {Fault::missing, "Zariadenie /dev/ttyS1 neexistuje."},
        {Fault::permission,
         "Na zariadenie /dev/ttyS1 nemáte prístupové práva: pridajte svojho používateľa do "
         "skupiny dialout (sudo usermod -aG dialout $USER), potom sa odhláste a znova prihláste."},
        {Fault::not_a_port, "Zariadenie /dev/ttyS1 sa nepodarilo otvoriť ako sériový port."},
        {Fault::settings, "Zariadenie /dev/ttyS1 sa nepodarilo otvoriť ako sériový port."}};
    for (const auto& [fault, advice] : cases)
        EXPECT_EQ(vx::open_fault_advice(fault, "/dev/ttyS1", lang), advice) << name_of(fault);
}

TEST(SerialDevices, ListingOfADeviceTreeGroupsAndOrdersThem)
{
    QTemporaryDir root;
    const QString dev = root.path();
    for (const char* name : {"ttyS10", "ttyS2", "ttyS0", "ttyUSB1", "ttyUSB0", "ttyACM0", "tty0", "console",
                             "ttyUSBfoo", "ttyprintk"}) {
        QFile f(dev + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QDir(dev).mkpath("ttyS5"); // a directory is no device
    QDir(dev).mkpath("serial/by-id");
    const QString by_id = dev + "/serial/by-id/";
    ASSERT_TRUE(QFile::link("../../ttyUSB1", by_id + "usb-FTDI_FT232R_A50285BI-if00-port0"));
    ASSERT_TRUE(QFile::link("../../ttyACM0", by_id + "usb-Arduino_Uno_7563-if00"));
    ASSERT_TRUE(QFile::link("../../ttyUSB9", by_id + "usb-Prolific_gone-if00-port0")); // pulled

    QStringList listed;
    for (const SerialDevice& d : vx::list_serial_devices(dev))
        listed << d.path + " -> " + d.target;
    EXPECT_EQ(listed, (QStringList{by_id + "usb-Arduino_Uno_7563-if00 -> " + dev + "/ttyACM0",
                                   by_id + "usb-FTDI_FT232R_A50285BI-if00-port0 -> " + dev + "/ttyUSB1",
                                   dev + "/ttyUSB0 -> ", dev + "/ttyUSB1 -> ", dev + "/ttyACM0 -> ",
                                   dev + "/ttyS0 -> ", dev + "/ttyS2 -> ", dev + "/ttyS10 -> "}));
    EXPECT_TRUE(vx::list_serial_devices(dev + "/nothing").isEmpty());

    EXPECT_EQ(vx::com_device(3, {{3, "/dev/ttyUSB0"}}), "/dev/ttyUSB0");
    EXPECT_EQ(vx::com_device(12, {{3, "/dev/ttyUSB0"}}), "/dev/ttyS11");
}
