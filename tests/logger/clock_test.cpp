// The clock comparison, and the setting flow against the simulated logger.
#include "common/sim_process.h"
#include "common/temp_home.h"
#include "fakes.h"
#include "link/serial_port.h"
#include "logger/clock.h"
#include "logger/poll.h"
#include "logger/program_state.h"
#include "reply_builder.h"

#include <gtest/gtest.h>

#include <functional>

using namespace vx;

namespace
{

const QDateTime pc_time(QDate(2024, 3, 1), QTime(12, 34, 56));

QList<int> params(const QVector<vxtest::SimFrame>& frames)
{
    QList<int> out;
    for (const auto& f : frames)
        out << f.param;
    return out;
}

class ClockCompare : public ::testing::Test
{
protected:
    ClockCompare()
    {
        g.ui = &ui;
        g.now = [] { return pc_time; };
        g.lang.build_language_tables(home.dir(), "SLOVAK");
    }
    vxtest::TempHome home;
    Global g;
    vxtest::FakeDisplay display;
    vxtest::LoggerUi ui;
    ClockCheck check{g, display};
};

} // namespace

TEST(ClockTolerance, MoreThanAHundredthOfADay)
{
    EXPECT_FALSE(clocks_differ(pc_time, pc_time.addSecs(-14 * 60)));
    EXPECT_TRUE(clocks_differ(pc_time, pc_time.addSecs(-15 * 60)));
    EXPECT_TRUE(clocks_differ(pc_time, pc_time.addSecs(15 * 60)));
    // 14.4 minutes is exactly 0.01 day: not more.
    EXPECT_FALSE(clocks_differ(pc_time, pc_time.addMSecs(-864000)));
    EXPECT_TRUE(clocks_differ(pc_time, pc_time.addMSecs(-864001)));
    EXPECT_TRUE(clocks_differ(pc_time, pc_time.addDays(-1)));
}

TEST_F(ClockCompare, WarnsAtOnceThenOnEveryEleventhDifferingDecode)
{
    EXPECT_FALSE(check.compare(pc_time.addSecs(-14 * 60)));
    EXPECT_TRUE(ui.messages.isEmpty());

    const QDateTime wrong = pc_time.addSecs(-15 * 60);
    EXPECT_TRUE(check.compare(wrong));
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0], QString::fromUtf8("Čas/Dátum zapisovača sa nezhoduje s týmto PC\r\n"
                                                "Nastavte čas prístroja v MENU: Služby->Nastaviť čas"));
    EXPECT_EQ(ui.message_buttons[0], btn::ok);
    // The poll timer was held while the message was up.
    EXPECT_EQ(display.stops, 1);
    EXPECT_EQ(display.starts, 1);
    EXPECT_TRUE(display.running);

    for (int i = 0; i < 10; ++i) {
        check.compare(wrong);
        check.compare(pc_time); // agreeing clocks leave the countdown alone
    }
    EXPECT_EQ(ui.messages.size(), 1);
    check.compare(wrong); // the 11th differing decode after the first
    EXPECT_EQ(ui.messages.size(), 2);

    // A stopped timer stays stopped.
    display.running = false;
    g.poll.clock_countdown = 0;
    check.compare(wrong);
    EXPECT_EQ(ui.messages.size(), 3);
    EXPECT_FALSE(display.running);
}

TEST_F(ClockCompare, NoWarningWhenTheCheckIsOff)
{
    g.settings.CHECKTIME = false;
    for (int i = 0; i < 30; ++i)
        EXPECT_FALSE(check.compare(pc_time.addDays(-3)));
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(ClockCompare, StatusDecodeComparesOnlyAValidClock)
{
    g.program_dir = home.dir();
    PollCycle poll(g, display);
    // The status reply's clock reads 10:45:30; the computer says 12:34:56.
    g.link.rx_buffer = vxtest::status_reply(85, 29).bytes();
    ASSERT_TRUE(poll.decode_status());
    EXPECT_EQ(ui.messages.size(), 1);
    g.poll.clock_countdown = 0;
    g.link.rx_buffer = vxtest::status_reply(85, 29).u8(6, 61).bytes();
    ASSERT_TRUE(poll.decode_status());
    EXPECT_EQ(ui.messages.size(), 1);
}

namespace
{

// A UI that runs a hook whenever the bar moves (to press cancel mid-flow).
class HookedUi : public vxtest::LoggerUi
{
public:
    void progress_position(int position) override
    {
        LoggerUi::progress_position(position);
        if (on_position) on_position(position);
    }
    std::function<void(int)> on_position;
};

class SetClockSim : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g.ui = &ui;
        g.now = [] { return pc_time; };
        g.link.attach_driver(&driver);
        g.link.attach_ui(&ui);
        g.lang.build_language_tables(home.dir(), "SLOVAK");
        ui.answers.push_back(mr::yes);
    }
    void TearDown() override { g.link.close_comport(); }

    bool connect(const QStringList& args)
    {
        if (!sim.start(args)) return false;
        return g.link.open_comport(1, {{1, sim.device()}});
    }

    vxtest::TempHome home;
    vxtest::SimProcess sim;
    TCommPortDriver driver;
    Global g;
    vxtest::FakeDisplay display;
    HookedUi ui;
};

} // namespace

TEST_F(SetClockSim, SendsEveryFieldAndTheDayNumber)
{
    ASSERT_TRUE(connect({"--type", "89"})) << sim.errors().toStdString();
    g.ident.type_code = 89;
    EXPECT_EQ(SetClock(g, display).run(), SetClock::Result::done);

    ASSERT_EQ(ui.messages.size(), 1); // only the question
    EXPECT_EQ(ui.messages[0],
              QString::fromUtf8("Želáte si nastaviť dátum a čas zapisovača podľa Vašeho PC?"));
    EXPECT_EQ(ui.message_buttons[0], btn::yes | btn::no);
    EXPECT_EQ(params(sim.frames(22)), QList<int>{56});
    EXPECT_EQ(params(sim.frames(23)), QList<int>{34});
    EXPECT_EQ(params(sim.frames(24)), QList<int>{12});
    // 1 March 2024 is day 8826 = 0x227A.
    EXPECT_EQ(params(sim.frames(25)), QList<int>{122});
    EXPECT_EQ(params(sim.frames(26)), QList<int>{34});
    EXPECT_EQ(ui.log, QStringList({"Sekunda...", "Minuta...", "Hodina...", "Datum LO...", "Datum HI..."}));
    EXPECT_EQ(ui.positions, (std::vector<int>{0, 20, 40, 60, 80, 90}));
    EXPECT_EQ(ui.progress_caption, QString::fromUtf8("Komunikácia"));
    EXPECT_FALSE(ui.progress_visible);
    EXPECT_EQ(display.stops, 1);
    EXPECT_TRUE(display.running);
}

TEST_F(SetClockSim, UnacknowledgedFieldIsSentSevenTimes)
{
    ASSERT_TRUE(connect({"--type", "89", "--drop-acks", "100"})) << sim.errors().toStdString();
    g.ident.type_code = 89;
    EXPECT_EQ(SetClock(g, display).run(), SetClock::Result::not_acknowledged);
    g.link.delay(100); // the seventh frame reaches the simulator's log after the flow ended
    EXPECT_EQ(sim.frames(22).size(), 7);
    EXPECT_TRUE(sim.frames(23).isEmpty());
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(
        ui.messages[1],
        QString::fromUtf8("Prístroj nekomunikuje, prekontrolujte pripojenie, nastavte správny COM port"));
    // Six waited sends move the bar; the seventh is not waited for.
    EXPECT_EQ(std::count(ui.positions.begin(), ui.positions.end(), 20), 6);
    EXPECT_FALSE(ui.progress_visible);
    EXPECT_TRUE(display.running);
}

TEST_F(SetClockSim, AnsweringNoSendsNothing)
{
    ASSERT_TRUE(connect({"--type", "89"})) << sim.errors().toStdString();
    ui.answers = {mr::no};
    EXPECT_EQ(SetClock(g, display).run(), SetClock::Result::declined);
    g.link.delay(100);
    EXPECT_TRUE(sim.frames().isEmpty());
    EXPECT_EQ(display.stops, 0);
    EXPECT_TRUE(ui.progress_caption.isEmpty());
}

TEST_F(SetClockSim, CancelEndsTheSequence)
{
    ASSERT_TRUE(connect({"--type", "89", "--drop-acks", "100"})) << sim.errors().toStdString();
    g.ident.type_code = 89;
    ui.on_position = [this](int position) {
        if (position == 20) g.link.abort();
    };
    EXPECT_EQ(SetClock(g, display).run(), SetClock::Result::cancelled);
    EXPECT_TRUE(sim.frames(23).isEmpty());
    EXPECT_LE(sim.frames(22).size(), 2);
    EXPECT_EQ(ui.messages.size(), 1); // no "not communicating" message
    EXPECT_FALSE(ui.progress_visible);
    EXPECT_TRUE(display.running);
}

TEST_F(SetClockSim, OldFormatLoggerGetsBcdFields)
{
    ASSERT_TRUE(connect({"--type", "55"})) << sim.errors().toStdString();
    g.ident.type_code = 55;
    g.now = [] { return QDateTime(QDate(2023, 11, 17), QTime(9, 8, 7)); };
    EXPECT_EQ(SetClock(g, display).run(), SetClock::Result::done);
    g.link.delay(100);
    EXPECT_EQ(params(sim.frames(34)), QList<int>{0x07});
    EXPECT_EQ(params(sim.frames(35)), QList<int>{0x08});
    EXPECT_EQ(params(sim.frames(36)), QList<int>{0x09});
    // Day 17 in BCD plus 64 x (2023 mod 4 = 3).
    EXPECT_EQ(params(sim.frames(37)), QList<int>{0x17 + 192});
    EXPECT_EQ(params(sim.frames(38)), QList<int>{0x11});
    EXPECT_EQ(ui.labels.mid(1), QStringList({"SET TIME", "SET DAY", "SET month"}));
    EXPECT_EQ(ui.positions, (std::vector<int>{0, 10, 20, 30, 40, 50}));
    EXPECT_FALSE(ui.progress_visible);
    EXPECT_TRUE(display.running);
}
