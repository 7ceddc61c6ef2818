// The main window against the simulated logger over a pseudo-terminal: the
// poll fills the panels of each model, a lost logger is declared after the
// fourth failed status and found again, and the service actions reach it.
#include "app/main_window.h"
#include "app/setup_dialog.h"
#include "common/qt_print.h"
#include "common/test_state.h"
#include "common/window_on_sim.h"

#include <QAction>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using vx::TForm1;

namespace
{

class LiveSimTest : public ::testing::Test, protected vxtest::TestState
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
    QString text(const QString& name) const
    {
        auto* l = w->findChild<QLabel*>(name);
        return l ? l->text().trimmed() : QString("<no %1>").arg(name);
    }
    // Pages of tabs that are not current are hidden as a whole; the control's
    // own state is what the decode sets.
    bool shown(const QString& name) const
    {
        auto* widget = w->findChild<QWidget*>(name);
        return widget && !widget->isHidden();
    }

    std::unique_ptr<TForm1> w;
};

TEST_F(LiveSimTest, PanelsOfEachModelThenALostLoggerAndItsReturn)
{
    home.write("kluce.txt", "[IDKEY]\r\n4660,Vratnik\r\n");
    const struct {
        const char* args;   // the serial number is the second argument
        const char* panels; // "name=trimmed text" separated by ';'
        const char *shown, *hidden;
    } cases[] = {
        {"--serial 4321 --type 85 --name SKLAD --raw1 400 --battery 10 --interval 15 --fill 25",
         "pantype=Zapisovač "
         "teploty;pantemp=25,0;panbat=50%;Panmisname=SKLAD;panmisname2=SKLAD;PanPeriod=15;panptr=25",
         "", "BevelHumi"},
        {"--serial 93 --type 93 --raw1 4660 --err1 0", "pantemp=4660;panIBname=Vratnik;LBLaktval=Klúc",
         "panIBname", "LBLunit1 PanPeriod"},
        // -250 + 0.25 r: raw 1100 -> 25.0, limits 1000 -> 0.0 and 1200 -> 50.0.
        {"--serial 1030 --type 103 --raw1 1100 --coef -250,0.25,0 --limit-lo 1000 --limit-hi 1200",
         "pantemp=25,0;panLo=0,0;PanHI=50,0", "Hranice", "BevelHumi panIBname"},
        // Capacitive humidity ((3000 - 2000) x 16 / 160) / 2, pressure 113 + 900 hPa, battery 8.1 - 100 x
        // 0.03182.
        {"--serial 1330 --type 133 --raw1 368 --raw2 2000 --raw3 113 --battery 100",
         "pantype=SOLVA-Fenko;pantemp=23,0;panhumi=50,0;PanTempFahren=1013;panbat=4,9 V",
         "BevelHumi PanTempFahren", "Hranice"},
    };
    TForm1& f = start(QString(cases[0].args).split(' '));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const QStringList args = QString(c.args).split(' ');
        if (&c != &cases[0]) { // the same device path: the port finds it again
            ASSERT_TRUE(sim.restart(args));
        }
        ASSERT_TRUE(wait_text(f.pansn, args[1])) << text("pansn").toStdString();
        ASSERT_TRUE(wait_text(f.stbar1, "OK"));
        EXPECT_EQ(f.windowTitle(), "VORLAN " + args[1]);
        for (const QString& panel :
             QString(c.panels).split(';')) { // the mission name comes with a later tick
            const QString name = panel.section('=', 0, 0), value = panel.section('=', 1);
            EXPECT_TRUE(QTest::qWaitFor([&] { return text(name) == value; }, 3000))
                << name.toStdString() << ": " << text(name).toStdString();
        }
        for (const QString& name : QString(c.shown).split(' ', Qt::SkipEmptyParts))
            EXPECT_TRUE(shown(name)) << name.toStdString();
        for (const QString& name : QString(c.hidden).split(' ', Qt::SkipEmptyParts))
            EXPECT_FALSE(shown(name)) << name.toStdString();
        EXPECT_EQ(f.PageControl1->isTabVisible(3), args[3] != "93"); // the key logger has no "Podmienky"
        EXPECT_TRUE(f.startmission->isEnabled());
    }

    sim.kill();
    // Three failed status replies are not enough; the fourth declares the logger lost.
    ASSERT_TRUE(QTest::qWaitFor([&] { return g.poll.failures == 3; }, 6000));
    EXPECT_EQ(f.stbar1->text(), QString("OK"));
    EXPECT_EQ(f.pansn->text(), QString("1330"));
    ASSERT_TRUE(wait_text(f.stbar1, "Nepripojeny", 3000));
    EXPECT_TRUE(f.pansn->text().isEmpty() && f.pantype->text().isEmpty() && f.pantemp->text().isEmpty());
    EXPECT_FALSE(f.startmission->isEnabled());
    ASSERT_TRUE(sim.restart(QString(cases[0].args).split(' ')));
    EXPECT_TRUE(g.link.port_open);
    ASSERT_TRUE(wait_text(f.pansn, "4321", 6000));
}

TEST_F(LiveSimTest, SerialNumberSetTimeAndComPortChanges)
{
    g.now = [] { return QDateTime(QDate(2024, 3, 1), QTime(12, 34, 56)); };
    TForm1& f = start({"--type", "85", "--serial", "1234", "--raw1", "400"});
    ASSERT_TRUE(wait_text(f.pansn, "1234"));
    ui.input_answers = {QString("402517"), QString("777")};
    QTest::mouseDClick(f.pansn, Qt::LeftButton);
    EXPECT_EQ(ui.prompts, (QStringList{"Enter password", "Serial number"}));
    EXPECT_EQ(ui.args("progress_show"), QStringList{"Odosielam..."});
    EXPECT_FALSE(ui.progress_visible);
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

    // "Nastaviť čas" sends the computer's clock (the flow's own tests check every field).
    ui.message_answers = {vx::mr::yes};
    f.set_time->trigger();
    EXPECT_EQ(sim.frames(25).value(0).param, 122); // day 8826 = 34 x 256 + 122
    EXPECT_TRUE(f.poll_running());

    // COM2 has no device: MESS1, the link stays closed, the file keeps COM1.
    const auto before = ui.messages.size();
    EXPECT_FALSE(vx::change_com_port(g, 2));
    EXPECT_TRUE(ui.messages.back().first.startsWith("Nie je možné otvoriť COM port"));
    EXPECT_FALSE(g.link.port_open);
    EXPECT_TRUE(home.read("vorlanix.ini").contains("ComPort=1\r\n"));
    // Back to the simulator's port: opened and written.
    home.write("vorlanix.ini",
               QString("[GLOBAL]\r\nComPort=5\r\n[PORTS]\r\nCOM1=%1\r\n").arg(sim.link()).toUtf8());
    EXPECT_TRUE(vx::change_com_port(g, 1));
    EXPECT_TRUE(g.link.port_open);
    EXPECT_TRUE(home.read("vorlanix.ini").contains("ComPort=1\r\n"));
    EXPECT_EQ(ui.messages.size(), before + 1);
}

} // namespace
