// The main window against the simulated logger over a pseudo-terminal: the
// poll fills the tabs, a lost logger is declared after the fourth failed
// status, and a logger that answers again fills them once more.
#include "app/main_window.h"
#include "app/setup_dialog.h"
#include "app/scripted_ui.h"
#include "common/sim_process.h"
#include "common/temp_home.h"
#include "common/window_on_sim.h"
#include "logger/program_state.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using vx::TForm1;

namespace
{

class LiveSimTest : public ::testing::Test
{
protected:
    // Starts the simulator with args and the window on COM1 mapped to it.
    TForm1& start(const QStringList& args)
    {
        EXPECT_TRUE(sim.start(args)) << sim.errors().toStdString();
        w = vxtest::start_window_on(g, ui, home, sim.link());
        return *w;
    }
    // Waits (running the event loop) until the panel shows text.
    bool wait_text(QLabel* panel, const QString& text, int ms = 8000)
    {
        return QTest::qWaitFor([&] { return panel->text() == text; }, ms);
    }
    QString text(const char* name) const
    {
        auto* l = w->findChild<QLabel*>(name);
        return l ? l->text() : QString("<no %1>").arg(name);
    }
    bool shown(const char* name) const
    {
        auto* widget = w->findChild<QWidget*>(name);
        // Pages of tabs that are not current are hidden as a whole; the
        // control's own state is what the decode sets.
        return widget && !widget->isHidden();
    }

    vxtest::TempHome home;
    vxtest::SimProcess sim;
    vx::Global g;
    vxtest::ScriptedUi ui;
    std::unique_ptr<TForm1> w;
};

TEST_F(LiveSimTest, DigitalTemperatureLogger85)
{
    TForm1& f = start({"--type", "85", "--serial", "4321", "--name", "SKLAD", "--raw1", "400", "--battery",
                       "10", "--interval", "15", "--fill", "25"});
    ASSERT_TRUE(wait_text(f.pansn, "4321")) << text("pansn").toStdString();
    ASSERT_TRUE(wait_text(f.Panmisname, "SKLAD"));
    EXPECT_EQ(f.windowTitle(), QString("VORLAN 4321"));
    EXPECT_EQ(text("pantype"), QString("Zapisovač teploty"));
    EXPECT_EQ(f.pantype->toolTip(), QString("Digital Temp;MAX records=5200"));
    EXPECT_EQ(text("pantemp").trimmed(), QString("25,0")); // 400 / 16
    EXPECT_EQ(text("panbat"), QString("50%"));             // raw 10 below 21: 10 x 5 %
    EXPECT_EQ(text("panmisname2"), QString("SKLAD"));
    EXPECT_EQ(text("PanPeriod"), QString("15"));
    EXPECT_EQ(text("panptr"), QString("25"));
    EXPECT_FALSE(shown("BevelHumi"));
    EXPECT_EQ(f.stbar1->text(), QString("OK"));
    EXPECT_TRUE(f.startmission->isEnabled());
    EXPECT_TRUE(g.link.port_open);
}

TEST_F(LiveSimTest, TemperatureHumidityLogger87)
{
    TForm1& f = start({"--type", "87", "--serial", "870", "--raw1", "392", "--raw2", "655", "--coef",
                       "2,0.1,0", "--battery", "4"});
    ASSERT_TRUE(wait_text(f.pansn, "870"));
    EXPECT_EQ(text("pantype"), QString("Zapisovač Teplota+Vlhkosť"));
    EXPECT_EQ(text("pantemp").trimmed(), QString("24,5")); // 392 / 16
    EXPECT_EQ(text("panhumi").trimmed(), QString("67,5")); // 0.1 x 655 + 2
    EXPECT_EQ(text("panbat"), QString("20%"));
    EXPECT_TRUE(shown("BevelHumi"));
    EXPECT_EQ(text("LBLhumi"), QString("Vlhkost:"));
}

TEST_F(LiveSimTest, KeyLogger93ShowsKeyNumberAndName)
{
    home.write("kluce.txt", "[IDKEY]\r\n4660,Vratnik\r\n");
    TForm1& f = start({"--type", "93", "--serial", "93", "--raw1", "4660", "--err1", "0"});
    ASSERT_TRUE(wait_text(f.pansn, "93"));
    ASSERT_TRUE(wait_text(f.panIBname, "Vratnik"));
    EXPECT_EQ(text("pantemp").trimmed(), QString("4660"));
    EXPECT_EQ(text("LBLaktval"), QString("Klúc"));
    EXPECT_EQ(text("pantype"), QString("Zapisovac iButton"));
    EXPECT_TRUE(shown("panIBname"));
    EXPECT_FALSE(shown("LBLunit1"));
    EXPECT_FALSE(f.PageControl1->isTabVisible(3)); // no "Podmienky"
    EXPECT_FALSE(shown("PanPeriod"));
}

TEST_F(LiveSimTest, AnalogLogger103WithLimits)
{
    // Polynomial -250 + 0.25 r: raw 1100 -> 25.0, limits 1000 -> 0.0 and 1200 -> 50.0.
    TForm1& f = start({"--type", "103", "--serial", "1030", "--raw1", "1100", "--coef", "-250,0.25,0",
                       "--limit-lo", "1000", "--limit-hi", "1200"});
    ASSERT_TRUE(wait_text(f.pansn, "1030"));
    EXPECT_EQ(text("pantype"), QString("Zapisovač teploty ANALOG"));
    EXPECT_EQ(text("pantemp").trimmed(), QString("25,0"));
    EXPECT_TRUE(shown("Hranice"));
    EXPECT_EQ(text("panLo").trimmed(), QString("0,0"));
    EXPECT_EQ(text("PanHI").trimmed(), QString("50,0"));
    EXPECT_FALSE(shown("BevelHumi"));
}

TEST_F(LiveSimTest, PressureLogger133)
{
    // Capacitive humidity with F0 3000, S 160, K 0: ((3000 - 2000) x 16 / 160 + 0) / 2 = 50.0.
    TForm1& f = start({"--type", "133", "--serial", "1330", "--raw1", "368", "--raw2", "2000", "--raw3",
                       "113", "--battery", "100"});
    ASSERT_TRUE(wait_text(f.pansn, "1330"));
    EXPECT_EQ(text("pantype"), QString("SOLVA-Fenko"));
    EXPECT_EQ(text("pantemp").trimmed(), QString("23,0")); // 368 / 16
    EXPECT_EQ(text("panhumi").trimmed(), QString("50,0"));
    EXPECT_EQ(text("PanTempFahren").trimmed(), QString("1013")); // 113 + 900 hPa
    EXPECT_TRUE(shown("PanTempFahren"));
    EXPECT_EQ(text("panbat"), QString("4,9 V")); // 100 x -0.03182 + 8.1 = 4.918
}

TEST_F(LiveSimTest, TwoTemperatureLogger131)
{
    TForm1& f =
        start({"--type", "131", "--serial", "1310", "--raw1", "404", "--raw2", "436", "--battery", "110"});
    ASSERT_TRUE(wait_text(f.pansn, "1310"));
    EXPECT_EQ(text("pantemp").trimmed(), QString("25,25")); // 404 / 16
    EXPECT_EQ(text("panhumi").trimmed(), QString("27,25")); // 436 / 16
    EXPECT_EQ(text("LBLaktval"), QString("Temp1"));
    EXPECT_EQ(text("LBLhumi"), QString("Temp2"));
    EXPECT_EQ(text("panbat"), QString("84 %")); // (138 - 110) x 3
}

TEST_F(LiveSimTest, LostLoggerIsDeclaredAndComesBack)
{
    TForm1& f = start({"--type", "85", "--serial", "555", "--raw1", "400"});
    ASSERT_TRUE(wait_text(f.pansn, "555"));
    ASSERT_TRUE(wait_text(f.stbar1, "OK"));

    sim.kill();
    // Three failed status replies are not enough; the fourth declares the logger lost.
    ASSERT_TRUE(QTest::qWaitFor([&] { return g.poll.failures == 3; }, 6000));
    EXPECT_EQ(f.stbar1->text(), QString("OK"));
    EXPECT_EQ(f.pansn->text(), QString("555"));
    ASSERT_TRUE(wait_text(f.stbar1, "Nepripojeny", 3000));
    EXPECT_TRUE(f.pansn->text().isEmpty());
    EXPECT_TRUE(f.pantype->text().isEmpty());
    EXPECT_TRUE(f.pantemp->text().isEmpty());
    EXPECT_FALSE(f.startmission->isEnabled());

    // A logger comes back on the same device path: the open port finds it
    // again by itself and the panels fill once more.
    ASSERT_TRUE(sim.restart(
        {"--type", "87", "--serial", "556", "--raw1", "400", "--raw2", "500", "--coef", "0,0.1,0"}));
    EXPECT_TRUE(g.link.port_open);
    ASSERT_TRUE(wait_text(f.pansn, "556", 6000));
    ASSERT_TRUE(wait_text(f.stbar1, "OK"));
    EXPECT_EQ(text("pantype"), QString("Zapisovač Teplota+Vlhkosť"));
    EXPECT_EQ(text("panhumi").trimmed(), QString("50,0"));
}

} // namespace

namespace
{

TEST_F(LiveSimTest, SerialNumberChangeByDoubleClickReachesTheLogger)
{
    TForm1& f = start({"--type", "85", "--serial", "1234", "--raw1", "400"});
    ASSERT_TRUE(wait_text(f.pansn, "1234"));
    ui.input_answers = {QString("402517"), QString("777")};
    QTest::mouseDClick(f.pansn, Qt::LeftButton);
    EXPECT_EQ(ui.prompts, (QStringList{"Enter password", "Serial number"}));
    EXPECT_EQ(ui.progress_titles, QStringList{"Odosielam..."});
    EXPECT_FALSE(ui.progress_visible);
    EXPECT_TRUE(f.poll_running());
    // 777 = 3 x 256 + 9: command 32 with 9, then command 33 with 3.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sim.frames(33).isEmpty(); }, 3000));
    EXPECT_EQ(sim.frames(32).last().param, 9);
    EXPECT_EQ(sim.frames(33).last().param, 3);
    ASSERT_TRUE(wait_text(f.pansn, "777"));

    // Unlocked for the rest of the run: the second change asks no password.
    ui.prompts.clear();
    ui.input_answers = {QString("1234")};
    QTest::mouseDClick(f.pansn, Qt::LeftButton);
    EXPECT_EQ(ui.prompts, QStringList{"Serial number"});
    ASSERT_TRUE(wait_text(f.pansn, "1234"));
}

TEST_F(LiveSimTest, SetTimeActionSendsTheComputerClock)
{
    g.now = [] { return QDateTime(QDate(2024, 3, 1), QTime(12, 34, 56)); };
    TForm1& f = start({"--type", "85", "--serial", "42", "--raw1", "400"});
    ASSERT_TRUE(wait_text(f.pansn, "42"));
    const auto before = ui.messages.size();
    ui.message_answers = {vx::mr::yes};
    f.set_time->trigger();
    ASSERT_GT(ui.messages.size(), before);
    EXPECT_EQ(ui.messages[before].text,
              QString("Želáte si nastaviť dátum a čas zapisovača podľa Vašeho PC?"));
    // Day number of 1 March 2024 is 8826 = 34 x 256 + 122.
    const std::vector<std::pair<int, int>> expected{{22, 56}, {23, 34}, {24, 12}, {25, 122}, {26, 34}};
    for (const auto& [command, parameter] : expected) {
        ASSERT_FALSE(sim.frames(command).isEmpty()) << command;
        EXPECT_EQ(sim.frames(command).last().param, parameter) << command;
    }
    EXPECT_TRUE(f.poll_running());
    EXPECT_FALSE(ui.progress_visible);
}

} // namespace

namespace
{

TEST_F(LiveSimTest, ComPortChangeIsStoredOnlyWhenThePortOpens)
{
    TForm1& f = start({"--type", "85", "--serial", "31", "--raw1", "400"});
    ASSERT_TRUE(wait_text(f.pansn, "31"));
    // COM2 has no device: MESS1, the link stays closed, the file keeps COM1.
    const auto before = ui.messages.size();
    EXPECT_FALSE(vx::change_com_port(g, 2));
    ASSERT_EQ(ui.messages.size(), before + 1);
    EXPECT_TRUE(ui.messages.back().text.startsWith("Nie je možné otvoriť COM port"));
    EXPECT_FALSE(g.link.port_open);
    EXPECT_TRUE(QString::fromLatin1(home.read("vorlanix.ini")).contains("ComPort=1\r\n"));

    // Back to the simulator's port: opened and written.
    home.write("vorlanix.ini",
               QString("[GLOBAL]\r\nComPort=5\r\n[PORTS]\r\nCOM1=%1\r\n").arg(sim.link()).toUtf8());
    EXPECT_TRUE(vx::change_com_port(g, 1));
    EXPECT_TRUE(g.link.port_open);
    EXPECT_EQ(g.settings.ComPort, 1);
    EXPECT_TRUE(QString::fromLatin1(home.read("vorlanix.ini")).contains("ComPort=1\r\n"));
    EXPECT_EQ(ui.messages.size(), before + 1);
}

} // namespace
