// Who may open a serial port: one holder at a time, the reason an open
// failed and what to tell the user, and the serial devices present.
#include "link/serial_devices.h"
#include "link/serial_port.h"
#include "pty_peer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

using vx::SerialDevice;
using vx::TCommPortDriver;
using Fault = vx::TCommPortDriver::OpenFault;

namespace
{

// Readable failure messages.
std::string name_of(Fault f)
{
    const char* names[] = {"none", "missing", "busy", "permission", "not_a_port", "settings", "other"};
    return names[static_cast<int>(f)];
}

bool opens(TCommPortDriver& d, const QString& path)
{
    d.setPortName(path);
    return d.Connect();
}

} // namespace

TEST(PortAccess, SecondOpenOfTheSameDeviceIsRefusedWhileTheFirstHoldsIt)
{
    vxtest::PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    QTemporaryDir dir;
    const QString other_name = dir.filePath("ttyLOGGER");
    ASSERT_TRUE(QFile::link(peer.path(), other_name));

    TCommPortDriver first, second, third;
    ASSERT_TRUE(opens(first, peer.path()));
    EXPECT_EQ(first.last_fault(), Fault::none);
    // By the same name and by another name of the same device.
    EXPECT_FALSE(opens(second, peer.path()));
    EXPECT_EQ(name_of(second.last_fault()), "busy");
    EXPECT_FALSE(opens(third, other_name));
    EXPECT_EQ(name_of(third.last_fault()), "busy");

    first.Disconnect();
    EXPECT_TRUE(second.Connect());
    EXPECT_EQ(second.last_fault(), Fault::none);
    EXPECT_FALSE(opens(first, other_name));
}

TEST(PortAccess, FailedOpenNamesItsCause)
{
    QTemporaryDir dir;
    QFile plain(dir.filePath("notes.txt"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    struct Case {
        QString path;
        Fault fault;
    };
    const Case cases[] = {{dir.filePath("ttyUSB7"), Fault::missing}, {plain.fileName(), Fault::not_a_port}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        TCommPortDriver d;
        EXPECT_FALSE(opens(d, c.path));
        EXPECT_EQ(name_of(d.last_fault()), name_of(c.fault));
    }

    // What open() reports; a user of no group that may use the device gets EACCES.
    const std::pair<int, Fault> errors[] = {{ENOENT, Fault::missing},    {ENXIO, Fault::missing},
                                            {EACCES, Fault::permission}, {EPERM, Fault::permission},
                                            {EBUSY, Fault::busy},        {EWOULDBLOCK, Fault::busy},
                                            {EIO, Fault::other}};
    for (const auto& [error, fault] : errors) {
        SCOPED_TRACE(error);
        EXPECT_EQ(name_of(vx::open_fault_of_errno(error)), name_of(fault));
    }
}

TEST(PortAccess, AdviceTellsTheFixForPermissionAndForAPortInUse)
{
    EXPECT_EQ(
        vx::open_fault_advice(Fault::permission, "/dev/ttyUSB0"),
        QString("Na zariadenie /dev/ttyUSB0 nemáte prístupové práva: pridajte svojho používateľa do "
                "skupiny dialout (sudo usermod -aG dialout $USER), potom sa odhláste a znova prihláste."));
    EXPECT_EQ(vx::open_fault_advice(Fault::busy, "/dev/ttyS0"),
              QString("Zariadenie /dev/ttyS0 práve používa iný program (napríklad vorlanix-cli)."));
    for (Fault f : {Fault::none, Fault::missing, Fault::not_a_port, Fault::settings, Fault::other})
        EXPECT_TRUE(vx::open_fault_advice(f, "/dev/ttyS0").isEmpty()) << name_of(f);
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

    const QList<SerialDevice> expected = {
        {by_id + "usb-Arduino_Uno_7563-if00", dev + "/ttyACM0"},
        {by_id + "usb-FTDI_FT232R_A50285BI-if00-port0", dev + "/ttyUSB1"},
        {dev + "/ttyUSB0", {}},
        {dev + "/ttyUSB1", {}},
        {dev + "/ttyACM0", {}},
        {dev + "/ttyS0", {}},
        {dev + "/ttyS2", {}},
        {dev + "/ttyS10", {}},
    };
    const QList<SerialDevice> listed = vx::list_serial_devices(dev);
    ASSERT_EQ(listed.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(listed[i].path, expected[i].path);
        EXPECT_EQ(listed[i].target, expected[i].target);
    }
    EXPECT_TRUE(vx::list_serial_devices(dev + "/nothing").isEmpty());

    EXPECT_EQ(vx::com_device(3, {{3, "/dev/ttyUSB0"}}), "/dev/ttyUSB0");
    EXPECT_EQ(vx::com_device(12, {{3, "/dev/ttyUSB0"}}), "/dev/ttyS11");
}
