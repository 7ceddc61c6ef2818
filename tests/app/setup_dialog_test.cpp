// The setup dialog: program settings written when confirmed, the COM-port
// change it reports, service mode, and a device send on the simulator.
#include "app/setup_dialog.h"
#include "common/test_state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using vx::Tfrmsetup;

namespace
{

bool tab_shown(const Tfrmsetup& dlg, QWidget* tab)
{
    return dlg.PageControl1->isTabVisible(dlg.PageControl1->indexOf(tab));
}

} // namespace

TEST(SetupDialog, LogDirectoryAndClockCheckGoToTheSettingsFile)
{
    vxtest::TestState s;
    s.home.write("vorlanix.ini", "[GLOBAL]\r\nComPort=2\r\nCHECKTIME=1\r\nSHOWTIP=0\r\n");
    int refreshed = 0;
    std::vector<bool> tips;
    Tfrmsetup dlg(s.g, {nullptr, [&] { ++refreshed; }, [&](bool on) { tips.push_back(on); }});
    EXPECT_TRUE(dlg.chkchecktime->isChecked());
    EXPECT_FALSE(dlg.chktip->isChecked());
    dlg.prepare_for_show(0.5f, 2);
    dlg.show();
    EXPECT_FALSE(tab_shown(dlg, dlg.TabSheet3)); // no service mode
    EXPECT_EQ(dlg.LBLlogdir->text(), s.home.path("Log"));
    EXPECT_FALSE(dlg.com_changed());

    dlg.findChild<QCheckBox*>("chkchecktime")->click();
    EXPECT_FALSE(s.g.settings.CHECKTIME); // at once, before OK
    dlg.findChild<QLabel*>("LBLlogdir")->setText(s.home.path("Zaznamy"));
    dlg.findChild<QRadioButton*>("COM3")->click();
    EXPECT_TRUE(dlg.com_changed());
    EXPECT_EQ(dlg.selected_com(), 3);
    QTest::mouseClick(dlg.findChild<QPushButton*>("btok"), Qt::LeftButton);

    EXPECT_EQ(dlg.result(), Tfrmsetup::confirmed);
    EXPECT_EQ(s.g.settings.LOGDIR, s.home.path("Zaznamy"));
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(tips, std::vector<bool>{false});
    const QString ini = QString::fromLatin1(s.home.read("vorlanix.ini"));
    EXPECT_TRUE(ini.contains("CHECKTIME=0\r\n")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("LOGDIR=" + s.home.path("Zaznamy") + "\r\n")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("AUTOGRAPH=1\r\n"));
    EXPECT_TRUE(ini.contains("ComPort=2\r\n")); // the port is the caller's to store, once it opened

    // Escape is not Cancel: the caller still reopens a changed port.
    dlg.prepare_for_show(0.5f, 2);
    dlg.show();
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_EQ(dlg.result(), Tfrmsetup::escaped);
    dlg.show();
    QTest::mouseClick(dlg.findChild<QPushButton*>("Button2"), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), Tfrmsetup::cancelled);
}

TEST(SetupDialog, ServiceModeSendsThePressureOffsetOnTheFirstSend)
{
    vxtest::TestState s;
    ASSERT_TRUE(s.start_logger({"--type", "133"})) << s.sim.errors().toStdString();
    Tfrmsetup dlg(s.g, {});
    dlg.set_service_mode(true);
    dlg.prepare_for_show(s.g.status.corr1, 1);
    dlg.show();
    EXPECT_TRUE(tab_shown(dlg, dlg.TabSheet3));
    EXPECT_TRUE(tab_shown(dlg, dlg.TabLumeo));
    EXPECT_TRUE(tab_shown(dlg, dlg.tabpress));
    EXPECT_FALSE(tab_shown(dlg, dlg.tabvietor));
    EXPECT_EQ(dlg.EDA0->text(), QString("3000")); // calibration word CAL0 as the logger holds it
    EXPECT_TRUE(dlg.changes().pressure);          // not edited, yet it goes out with the first send
    int before = s.frame_count();
    ASSERT_TRUE(dlg.BTsend->isEnabled()); // the fields changed when they were filled
    QTest::mouseClick(dlg.BTsend, Qt::LeftButton);
    EXPECT_EQ(s.frames_from(before, 3), (vxtest::Frames{{38, 0}, {16, 38}, {17, 0}}));
    EXPECT_FALSE(dlg.BTsend->isEnabled());
    EXPECT_FALSE(dlg.changes().pressure);

    dlg.edpress->setText("-5");
    before = s.frame_count();
    QTest::mouseClick(dlg.BTsend, Qt::LeftButton);
    EXPECT_EQ(s.frames_from(before, 3), (vxtest::Frames{{38, 0}, {16, 38}, {17, 133}}));
    EXPECT_EQ(s.sim.state().value("mem38"), QString("133"));
    EXPECT_TRUE(s.ui.messages.isEmpty());

    // Opened again, the field shows what the logger now holds.
    dlg.hide();
    s.g.link.send_command(10, 160);
    s.g.link.delay(400);
    ASSERT_TRUE(s.read_status());
    dlg.show();
    EXPECT_EQ(dlg.edpress->text(), QString("-5"));
    EXPECT_TRUE(dlg.changes().pressure);
}

TEST(SetupDialog, ComNumberMapsToADevicePresent)
{
    vxtest::TestState s;
    const QString dev = s.home.path("dev");
    QDir().mkpath(dev + "/serial/by-id");
    s.home.write("dev/ttyUSB0", {});
    s.home.write("dev/ttyS0", {});
    const QString stable = dev + "/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0";
    ASSERT_TRUE(QFile::link("../../ttyUSB0", stable));
    s.home.write("vorlanix.ini",
                 ("[GLOBAL]\r\nComPort=3\r\n[PORTS]\r\nCOM3=" + dev + "/ttyUSB0\r\n").toUtf8());
    s.g.settings = vx::read_settings(s.home.dir());

    Tfrmsetup dlg(s.g, {});
    dlg.device_root = dev;
    dlg.prepare_for_show(0, 3);
    dlg.show();
    EXPECT_EQ(dlg.LBLcomdevice->text(), "COM3:");
    EXPECT_EQ(dlg.CBcomdevice->currentData().toString(), dev + "/ttyUSB0");
    EXPECT_EQ(dlg.findChild<QRadioButton*>("COM3")->toolTip(), dev + "/ttyUSB0");
    EXPECT_EQ(dlg.findChild<QRadioButton*>("COM5")->toolTip(), "/dev/ttyS4");
    QStringList items;
    for (int i = 0; i < dlg.CBcomdevice->count(); ++i)
        items << dlg.CBcomdevice->itemText(i);
    EXPECT_EQ(items, (QStringList{stable + " → " + dev + "/ttyUSB0", dev + "/ttyUSB0", dev + "/ttyS0"}));

    // A COM number whose device is not there offers it all the same.
    dlg.findChild<QRadioButton*>("COM5")->click();
    EXPECT_EQ(dlg.LBLcomdevice->text(), "COM5:");
    EXPECT_EQ(dlg.CBcomdevice->currentText(), "/dev/ttyS4 (nie je pripojené)");

    // COM3 to the stable name: written on OK, and the open port is reopened by the caller.
    dlg.prepare_for_show(0, 3);
    EXPECT_FALSE(dlg.com_changed());
    emit dlg.CBcomdevice->activated(0);
    EXPECT_EQ(dlg.findChild<QRadioButton*>("COM3")->toolTip(), stable);
    QTest::mouseClick(dlg.btok, Qt::LeftButton);
    EXPECT_TRUE(dlg.com_changed());
    EXPECT_EQ(s.g.settings.port_devices.value(3), stable);
    EXPECT_EQ(vx::read_settings(s.home.dir()).port_devices.value(3), stable);
    EXPECT_TRUE(
        QString::fromUtf8(s.home.read("vorlanix.ini")).contains("[PORTS]\r\nCOM3=" + stable + "\r\n"));
}

TEST(SetupDialog, PortInUseSaysSoBelowMess1)
{
    vxtest::TestState s; // holds the simulated logger's port
    ASSERT_TRUE(s.start_logger({"--type", "89"}));
    vx::TCommPortDriver driver;
    vx::Global g;
    vxtest::FakeUi ui;
    g.program_dir = s.home.dir();
    g.lang.build_language_tables(g.program_dir, "SLOVAK");
    g.ui = &ui;
    g.link.attach_driver(&driver);
    g.settings.port_devices[7] = s.sim.device();
    EXPECT_FALSE(vx::change_com_port(g, 7));
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].first,
              "Nie je možné otvoriť COM port\r\nNastavte správny COMPORT v MENU Služby - "
              "nastavenia programu\r\nZariadenie " +
                  s.sim.device() + " práve používa iný program (napríklad vorlanix-cli).");
}
