// The main window's dialogs: progress, the calibration editor, the serial-number change, the setup
// dialog (settings, COM port and device, service sends) and the mission start dialog.
#include "app/calibration_editor.h"
#include "app/progress_window.h"
#include "app/qt_ui.h"
#include "app/serial_number_change.h"
#include "app/setup_dialog.h"
#include "app/start_mission_dialog.h"
#include "app/up_down.h"
#include "base/code_page.h"
#include "common/test_state.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

using vx::Tfrmsetup;
using vx::Tfrmstart;

namespace
{

template <class W> W* child(const QWidget& w, const char* name)
{
    W* c = w.findChild<W*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

TEST(ProgressWindow, CancelButtonAndEnterAbortTheLinkAndHide)
{
    vx::Global g;
    g.lang.build_language_tables(QString(), "SLOVAK");
    vx::QtUi ui(g);
    g.ui = &ui;
    vx::Tfrmprogress* p = ui.progress();
    ui.progress_show("Komunikácia");
    EXPECT_EQ(p->windowTitle(), QString("Komunikácia"));
    QTest::mouseClick(p->cancel_button(), Qt::LeftButton);
    EXPECT_TRUE(g.link.comm_abort);
    EXPECT_FALSE(p->isVisible());

    g.link.comm_abort = false;
    ui.progress_show("Odosielam...");
    ui.progress_label("Sekunda...");
    ui.progress_position(40);
    ui.progress_log("Minuta...");
    EXPECT_EQ(p->label()->text(), QString("Sekunda..."));
    EXPECT_EQ(p->bar()->value(), 40);
    EXPECT_EQ(p->log_view()->toPlainText(), QString("Minuta..."));
    QTest::keyClick(p, Qt::Key_Return);
    EXPECT_TRUE(g.link.comm_abort);
    EXPECT_FALSE(p->isVisible());

    ui.progress_show("Znova"); // showing again starts from an empty label, log and bar
    EXPECT_TRUE(p->label()->text().isEmpty() && p->log_view()->toPlainText().isEmpty() &&
                p->bar()->value() == 0);
    ui.progress_hide();
}

class WindowParts : public ::testing::Test, protected vxtest::TestState
{
};

TEST_F(WindowParts, CalibrationEditorSavesInCodePage1250OnlyOnYes)
{
    vx::Tfcalini ed(g);
    ed.show(); // a missing file shows its note and closes without a question
    EXPECT_EQ(ed.memo()->toPlainText(), QString("Kalibracny subor <calib.ini> neexistuje"));
    ed.close();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_FALSE(QFile::exists(home.path("calib.ini")));

    const QByteArray original = "[1234]\r\nValueName=Hladina\r\n";
    home.write("calib.ini", original);
    ui.message_answers = {vx::mr::no, vx::mr::yes};
    for (int answer = 0; answer < 2; ++answer) {
        ed.show();
        EXPECT_EQ(ed.memo()->toPlainText(), QString("[1234]\nValueName=Hladina\n"));
        EXPECT_FALSE(ed.changed());
        ed.memo()->moveCursor(QTextCursor::End);
        ed.memo()->insertPlainText("ValueRange=čľ\n");
        ed.close();
        // No keeps the file; Yes writes it with č = 0xE8 and ľ = 0xBE.
        EXPECT_EQ(home.read("calib.ini"), answer == 0 ? original : original + "ValueRange=\xE8\xBE\r\n");
    }
    EXPECT_EQ(ui.messages,
              (QList<QPair<QString, int>>(2, {"Želáte si uložiť zmeny ?", vx::btn::yes | vx::btn::no})));

    // A failed save keeps the editor open with its text.
    ed.show();
    ed.memo()->setPlainText("[7]\nCAL0=1\n");
    QFile::remove(home.path("calib.ini"));
    QDir().mkpath(home.path("calib.ini")); // a directory in the file's place
    ui.message_answers = {vx::mr::yes};
    ed.close();
    EXPECT_TRUE(ed.isVisible());
    EXPECT_EQ(ed.memo()->toPlainText(), QString("[7]\nCAL0=1\n"));
    EXPECT_EQ(ui.args("plain_message"), QStringList{"Unable to write to " + home.path("calib.ini")});
}

TEST_F(WindowParts, SerialNumberChangeAsksTheAccessCodeOncePerRunAndTakes0To65535)
{
    vx::SerialNumberChange change(g);
    ui.input_answers = {QString("402518"), std::nullopt, QString("402517"), std::nullopt, QString("70000")};
    EXPECT_EQ(change.run(), vx::SerialNumberChange::Result::Refused);   // a wrong code
    EXPECT_EQ(change.run(), vx::SerialNumberChange::Result::Refused);   // a cancelled code box
    EXPECT_EQ(change.run(), vx::SerialNumberChange::Result::Cancelled); // the right code, no number
    EXPECT_TRUE(change.unlocked());
    EXPECT_EQ(change.run(), vx::SerialNumberChange::Result::Invalid); // no second password
    EXPECT_EQ(ui.prompts, (QStringList{"Enter password", "Enter password", "Enter password", "Serial number",
                                       "Serial number"}));
    EXPECT_EQ(ui.args("plain_message").size(), 1);
    EXPECT_EQ(ui.count("progress_show"), 0);

    // The number typed: whole numbers from 0 to 65535 only.
    EXPECT_EQ(vx::SerialNumberChange::parse_serial("0"), 0);
    EXPECT_EQ(vx::SerialNumberChange::parse_serial(" 65535 "), 65535);
    for (const char* bad : {"65536", "-1", "12a", "1,5", ""})
        EXPECT_EQ(vx::SerialNumberChange::parse_serial(bad), std::nullopt) << bad;
}

} // namespace

TEST(SetupDialog, LogDirectoryAndClockCheckGoToTheSettingsFile)
{
    vxtest::TestState s;
    s.home.write("vorlanix.ini", "[GLOBAL]\r\nComPort=2\r\nCHECKTIME=1\r\nSHOWTIP=0\r\n");
    int refreshed = 0;
    std::vector<bool> tips;
    Tfrmsetup dlg(s.g, {nullptr, [&] { ++refreshed; }, [&](bool on) { tips.push_back(on); }});
    dlg.prepare_for_show(0.5f, 2);
    dlg.show();
    EXPECT_FALSE(dlg.PageControl1->isTabVisible(dlg.PageControl1->indexOf(dlg.TabSheet3))); // no service
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

TEST(SetupDialog, ServiceModeSendsThePressureOffsetOnTheFirstSendAndANewBatteryOnce)
{
    vxtest::TestState s;
    ASSERT_TRUE(s.start_logger({"--type", "133"})) << s.sim.errors().toStdString();
    QString status;
    Tfrmsetup dlg(s.g, {.show_status = [&](const QString& t) { status = t; }});
    dlg.set_service_mode(true);
    dlg.prepare_for_show(s.g.status.corr1, 1);
    dlg.show();
    EXPECT_TRUE(dlg.PageControl1->isTabVisible(dlg.PageControl1->indexOf(dlg.TabSheet3)));
    EXPECT_EQ(dlg.EDA0->text(), QString("3000")); // calibration word CAL0 as the logger holds it
    const int before = s.frame_count();
    ASSERT_TRUE(dlg.BTsend->isEnabled()); // the fields changed when they were filled
    QTest::mouseClick(dlg.BTsend, Qt::LeftButton);
    // Not edited, yet the pressure offset goes out with the first send, as the logger holds it.
    EXPECT_EQ(s.frames_from(before, 5), (vxtest::Frames{{10, 160}, {38, 0}, {16, 38}, {17, 0}, {10, 160}}));
    EXPECT_FALSE(dlg.BTsend->isEnabled());
    EXPECT_EQ(status, "Overené");

    // An edited offset reaches the logger (its frames: device_setup_sim_test).
    dlg.edpress->setText("-5");
    QTest::mouseClick(dlg.BTsend, Qt::LeftButton);
    EXPECT_EQ(s.sim.state().value("mem38"), QString("133"));
    EXPECT_TRUE(s.ui.messages.isEmpty());
    EXPECT_EQ(dlg.edpress->text(), QString("-5")); // read back from the logger

    // A new battery goes once.
    ASSERT_TRUE(s.start_logger({"--type", "85", "--corr1", "5"})) << s.sim.errors().toStdString();
    dlg.hide();
    dlg.prepare_for_show(s.g.status.corr1, 1);
    dlg.show();
    EXPECT_EQ(dlg.EDtempoff->text(), QString("  0,3")); // 5/16 degree, rounded for the eye only
    dlg.chkbat->click();
    QTest::mouseClick(dlg.BTsend, Qt::LeftButton);
    EXPECT_FALSE(dlg.chkbat->isChecked());
    EXPECT_EQ(s.sim.state().value("battery_replaced"), QString("1"));
}

TEST(SetupDialog, PreparedPerModelAsTheLoggerHoldsIt)
{
    vxtest::TestState s; // no simulator: the dialog only reads the state
    s.home.write("vorlan.lng",
                 "[SLOVAK]\r\nLABEL64=Posun (jazyk)\r\nLABEL45=Podmienky (jazyk)\r\nCAPT29=Typ (%1)\r\n");
    s.g.lang.build_language_tables(s.home.dir(), "SLOVAK");
    Tfrmsetup dlg(s.g, {});
    dlg.set_service_mode(true);
    struct Case {
        int type;
        std::function<void(vx::Coefficients&)> coef;
        std::function<void(Tfrmsetup&)> check;
    };
    const std::vector<Case> cases = {
        {85, nullptr,
         [](Tfrmsetup& d) {
             // A digital sensor: the correction field and battery box enabled, no coefficients; the
             // language file's caption stays.
             EXPECT_TRUE(d.EDtempoff->isEnabled() && d.chkbat->isEnabled() && d.groupcal->isHidden());
             EXPECT_EQ(d.Label1->text(), QString("Posun (jazyk)"));
         }},
        {88, [](vx::Coefficients& c) { c.a0 = -5; },
         [](Tfrmsetup& d) {
             EXPECT_EQ(d.EDA0->text(), QString("-5")); // filled, so nothing unfilled is sent
             EXPECT_TRUE(d.EDA0->isEnabledTo(d.groupcal));
         }},
        {131, nullptr,
         [](Tfrmsetup& d) {
             EXPECT_TRUE(d.EDtempoff->isEnabled() && !d.chkbat->isEnabled()); // T1 goes with every send
             EXPECT_FALSE(d.EDA0->isEnabledTo(d.groupcal));                   // takes no coefficients
         }},
        // The level's offset, with its caption and hint.
        {132, nullptr,
         [&](Tfrmsetup& d) {
             EXPECT_TRUE(d.EDtempoff->isEnabled() && d.Label1->text() == s.g.lang.label(68));
             EXPECT_EQ(d.EDtempoff->toolTip(), s.g.lang.hint(73));
         }},
        {100, [](vx::Coefficients& c) { c.kept[0] = 133; },
         [](Tfrmsetup& d) {
             EXPECT_EQ(d.EDlumeooff->text(), QString("-2,5")); // 128 + 2 x 2.5
             EXPECT_FALSE(d.EDA2->isEnabledTo(d.groupcal));
         }},
        {107, [](vx::Coefficients& c) { c.a2 = 7; },
         [](Tfrmsetup& d) {
             EXPECT_EQ(d.flow_buttons->checkedId(), -1); // none of the three, and said
             EXPECT_EQ(d.RGflowtype->title(), QString("Typ (7)"));
             EXPECT_TRUE(d.groupcal->isHidden());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        s.g.ident.type_code = static_cast<std::uint16_t>(c.type);
        s.g.coef = {};
        if (c.coef) c.coef(s.g.coef);
        dlg.prepare_for_show(0, 1);
        dlg.show();
        c.check(dlg);
        // Coefficient texts only for the LCD models that take them, even after the access code.
        s.ui.input_answers = {QString("402517")};
        QTest::mouseDClick(dlg.Label1, Qt::LeftButton);
        EXPECT_TRUE(dlg.BTsendlcd->isHidden());
        dlg.hide();
    }
    Tfrmstart start(s.g, {});
    s.g.ident.type_code = 101;
    start.show();
    EXPECT_EQ(start.GroupBox2->title(), QString("Podmienky (jazyk)"));
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
    ASSERT_EQ(dlg.CBcomdevice->count(), 3); // the stable name first, then the devices
    EXPECT_EQ(dlg.CBcomdevice->itemText(0), stable + " → " + dev + "/ttyUSB0");

    // A COM number whose device is not there offers it all the same.
    dlg.findChild<QRadioButton*>("COM5")->click();
    EXPECT_EQ(dlg.LBLcomdevice->text(), "COM5:");
    EXPECT_EQ(dlg.CBcomdevice->currentText(), "/dev/ttyS4 (nie je pripojené)");

    // A link of its own outside the list (as a simulator or udev rule makes) that leads to a device.
    ASSERT_TRUE(QFile::link(dev + "/ttyUSB0", s.home.path("logger")));
    s.g.settings.port_devices[6] = s.home.path("logger");
    dlg.findChild<QRadioButton*>("COM6")->click();
    EXPECT_EQ(dlg.CBcomdevice->currentText(), s.home.path("logger") + " → " + dev + "/ttyUSB0");

    // COM3 to the stable name: the open port is reopened by the caller, which
    // writes the device once it opened (change_com_port).
    dlg.prepare_for_show(0, 3);
    EXPECT_FALSE(dlg.com_changed());
    emit dlg.CBcomdevice->activated(0);
    EXPECT_EQ(dlg.findChild<QRadioButton*>("COM3")->toolTip(), stable);
    QTest::mouseClick(dlg.btok, Qt::LeftButton);
    EXPECT_TRUE(dlg.com_changed());
    EXPECT_EQ(s.g.settings.port_devices.value(3), stable);
    EXPECT_EQ(vx::read_settings(s.home.dir()).port_devices.value(3), dev + "/ttyUSB0");
}

TEST(StartMissionDialog, PreparedPerModel)
{
    vxtest::TestState s; // no simulator: the dialog only reads the state
    Tfrmstart dlg(s.g, {});
    // The limits are the 101's siren; 132 counts its interval in seconds when asked.
    for (int type : {85, 101, 132}) {
        SCOPED_TRACE(type);
        s.g.ident.type_code = static_cast<std::uint16_t>(type);
        s.g.status.mission_name = "M";
        dlg.show();
        EXPECT_EQ(dlg.chkLo->isEnabled(), type == 101);
        EXPECT_EQ(dlg.EDname->text(), QString("M"));
        EXPECT_TRUE(dlg.BTok->isEnabled()); // opened again with the logger's own name: a valid start
        if (type == 132) {
            dlg.chksynchro->click();
            EXPECT_EQ(dlg.Label5->text(), QString("Sek"));
        }
        dlg.reject();
        EXPECT_FALSE(dlg.BTok->isEnabled());
    }
    // A double-click on the interval label reveals the pointer field for good.
    QTest::mouseDClick(dlg.Label2, Qt::LeftButton);
    dlg.show();
    EXPECT_FALSE(dlg.EDptr->isHidden());
    EXPECT_TRUE(dlg.form().pointer_shown);
    // Limit bounds of a calibration definition are rounded outward.
    s.g.ident.type_code = 103;
    s.g.calib.calib_active = true;
    s.g.calib.MinValue = -0.5f;
    s.g.calib.MaxValue = 99.5f;
    s.g.calib.ValueRange = "cm";
    dlg.hide();
    dlg.show();
    EXPECT_EQ(dlg.SpinLo->minimum(), -1);
    EXPECT_EQ(dlg.SpinLo->maximum(), 100);
    EXPECT_EQ(dlg.spinHI->singleStep(), 10);
    EXPECT_EQ(dlg.Label7->text(), QString("cm"));
}

TEST(StartMissionDialog, FilledAndStartedOnTheSimulator)
{
    vxtest::TestState s;
    ASSERT_TRUE(s.start_logger({"--type", "101", "--name", "OLD"})) << s.sim.errors().toStdString();
    s.g.status.mission_name = "OLD";
    int refreshed = 0;
    Tfrmstart dlg(s.g, {[&] { return s.read_status(); }, [&] { ++refreshed; }});
    dlg.show();
    ASSERT_EQ(child<QLineEdit>(dlg, "EDname")->text(), QString("OLD"));

    child<QLineEdit>(dlg, "EDname")->setText("ZIMA");
    child<QLineEdit>(dlg, "EDremark")->setText("sklad 3");
    child<vx::UpDown>(dlg, "UpDown1")->step(-1); // 30 - 5
    child<vx::UpDown>(dlg, "UDgrad")->step(1);   // 0 + 0.5
    EXPECT_FALSE(child<QSpinBox>(dlg, "SpinLo")->isEnabled());
    child<QCheckBox>(dlg, "chkLo")->click();
    ASSERT_TRUE(child<QSpinBox>(dlg, "SpinLo")->isEnabled());
    child<QSpinBox>(dlg, "SpinLo")->setValue(-10);
    child<QCheckBox>(dlg, "CHKrol")->click();
    s.ui.message_answers = {vx::mr::yes}; // the confirmation
    QTest::mouseClick(child<QPushButton>(dlg, "BTok"), Qt::LeftButton);

    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(dlg.isHidden());
    ASSERT_EQ(s.ui.messages.size(), 1);
    EXPECT_TRUE(s.ui.messages[0].first.startsWith("---- POZOR ----"));
    EXPECT_EQ(refreshed, 1);
    QFile file(s.home.path("Log/ZIMA.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        file.readAll(),
        QByteArray("ZIMA\r\nRemark: sklad 3\r\nSTART: 1.3.2024 12:34\r\nPERIOD: 25\r\nGRADIENT:  0,5\r\n"));
    const auto state = s.sim.state();
    for (const QString& kv : QString("name=ZIMA interval=25 gradient=8 rollover=0 mission=1 pointer=0 "
                                     "limit_lo=246 limit_hi=127")
                                 .split(' '))
        EXPECT_EQ(state.value(kv.section('=', 0, 0)), kv.section('=', 1)) << kv.toStdString();
}
