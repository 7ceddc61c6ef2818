// The clock comparison, and the setting flow against the simulated logger.
#include "common/test_state.h"
#include "fakes.h"
#include "logger/clock.h"
#include "logger/poll.h"
#include "reply_builder.h"

#include <gtest/gtest.h>

using namespace vx;

namespace
{

const QDateTime pc_time = vxtest::pc_time();

class Clock : public ::testing::Test, protected vxtest::TestState
{
protected:
    Clock()
    {
        g.now = [] { return pc_time; };
    }
    QList<int> params(int cmd) const // of the frames of one command the simulator received
    {
        QList<int> out;
        for (const auto& f : sim.frames(cmd))
            out << f.param;
        return out;
    }
    vxtest::FakeDisplay display;
};

} // namespace

TEST(ClockRules, DifferByMoreThanAHundredthOfADaySetGoesBackOnlyOverRecordedTime)
{
    // 14.4 minutes is exactly 0.01 day: not more.
    for (auto [ms, differ] :
         {std::pair{-14 * 60000, false}, {-864000, false}, {-864001, true}, {15 * 60000, true}})
        EXPECT_EQ(clocks_differ(pc_time, pc_time.addMSecs(ms)), differ) << ms;
    struct Case {
        const char* name;
        int ahead;        // seconds the logger's clock runs ahead of the new time
        int undownloaded; // records in the logger not downloaded yet
        int interval;     // seconds, 0 unknown
        int file_newest;  // seconds after the new time of the file's newest record (0: none after)
        int file_after;   // file records stamped after the new time
        int shared;       // expected; 0 means the set does not go back
    };
    const Case cases[] = {
        {"logger behind", -3600, 20, 600, 0, 0, 0},
        {"ahead by less than a whole-minute stamp", 59, 20, 600, 0, 0, 0},
        {"ahead 100 minutes recording every 30", 6000, 20, 1800, 0, 0, 4},
        {"fewer records waiting than the span holds", 5400, 2, 1800, 0, 0, 2},
        {"interval unknown: every waiting record", 5400, 4, 0, 0, 0, 4},
        {"all downloaded: the file's records after the new time", 5400, 0, 600, 1200, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<QDateTime> newest =
            c.file_newest ? std::optional(pc_time.addSecs(c.file_newest)) : std::nullopt;
        const ClockSetRisk r = clock_set_risk(pc_time, pc_time.addSecs(c.ahead), c.undownloaded, c.interval,
                                              newest, c.file_after);
        EXPECT_EQ(r.shared, c.shared);
        EXPECT_EQ(r.goes_back, c.shared > 0);
        if (r.goes_back) EXPECT_EQ(r.newest, c.undownloaded ? pc_time.addSecs(c.ahead) : *newest);
    }
    // A mission start notes this computer's offset, or the one the logger's clock shows.
    for (auto [logger_ahead, offset] :
         {std::pair{0, 3600}, {600, 3600}, {3600, 7200}, {-3590, 0}, {72000, 3600}}) {
        const ClockNote note = mission_clock_note(pc_time.addSecs(logger_ahead), pc_time);
        EXPECT_EQ(note, (ClockNote{pc_time.toUTC(), offset})) << logger_ahead;
    }
}

TEST_F(Clock, WarnsAtOnceThenOnEveryEleventhDifferingDecode)
{
    ClockCheck check(g, display);
    EXPECT_FALSE(check.compare(pc_time.addSecs(-14 * 60)));
    const QDateTime wrong = pc_time.addSecs(-15 * 60);
    EXPECT_TRUE(check.compare(wrong));
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].first.startsWith("Čas/Dátum zapisovača sa nezhoduje s týmto PC\r\n"));
    EXPECT_EQ(ui.messages[0].second, btn::ok);
    // The poll timer was held while the message was up.
    EXPECT_EQ(display.stops, 1);
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
    // No warning when the check is off.
    g.settings.CHECKTIME = false;
    for (int i = 0; i < 30; ++i)
        EXPECT_FALSE(check.compare(pc_time.addDays(-3)));
    EXPECT_EQ(ui.messages.size(), 3);

    // The poll compares only a valid clock (the reply's reads 10:45:30).
    g.settings.CHECKTIME = true;
    g.poll.clock_countdown = 0;
    PollCycle poll(g, display);
    g.link.rx_buffer = vxtest::status_reply(85, 29).u8(6, 61).bytes();
    ASSERT_TRUE(poll.decode_status());
    EXPECT_EQ(ui.messages.size(), 3);
    g.link.rx_buffer = vxtest::status_reply(85, 29).bytes();
    ASSERT_TRUE(poll.decode_status());
    EXPECT_EQ(ui.messages.size(), 4);
}

TEST_F(Clock, SetClockAsksThenSendsEveryFieldAndTheDayNumber)
{
    ASSERT_TRUE(connect({"--type", "89"})) << sim.errors().toStdString();
    g.ident.type_code = 89;
    ui.message_answers = {mr::no, mr::no, mr::yes};
    // A logger 90 minutes ahead holding ten records of every 30 minutes not downloaded.
    g.status = {
        .logger_time = pc_time.addSecs(5400), .record_pointer = 10, .interval = 30, .mission_name = "HODINY"};
    EXPECT_EQ(SetClock(g, display).run(), SetClock::Result::declined);
    EXPECT_EQ(
        ui.messages.value(0).first,
        "Hodiny zapisovača idú napred: jeho najnovší záznam je z 1.3.2024 14:04, nastavený čas bude 1.3.2024 "
        "12:34.\r\nZapisovač potom zapíše tie isté časy znova: asi 3 záznamov bude mať rovnaký čas ako "
        "staršie záznamy.\r\nNajprv preneste záznamy (F5).\r\n\r\n"
        "Želáte si nastaviť dátum a čas zapisovača podľa Vašeho PC?");
    g.status.logger_time = pc_time;
    EXPECT_EQ(SetClock(g, display).run(), SetClock::Result::declined);
    g.link.delay(100);
    EXPECT_TRUE(sim.frames().isEmpty());
    EXPECT_EQ(display.stops, 0);

    EXPECT_EQ(SetClock(g, display).run(), SetClock::Result::done);
    EXPECT_EQ(ui.args("show_message").mid(1, 2),
              QStringList(2, "Želáte si nastaviť dátum a čas zapisovača podľa Vašeho PC?"));
    EXPECT_EQ(ui.messages.value(2).second, btn::yes | btn::no);
    // 12:34:56 on 1 March 2024, day 8826 = 34 x 256 + 122.
    EXPECT_EQ(params(22) + params(23) + params(24) + params(25) + params(26),
              (QList<int>{56, 34, 12, 122, 34}));
    EXPECT_EQ(ui.args("progress_position"), QStringList({"0", "20", "40", "60", "80", "90"}));
    EXPECT_FALSE(ui.progress_visible);
    EXPECT_EQ(display.stops, 1);
    EXPECT_TRUE(display.running);
    // The logger's stamps are from now on in this computer's offset.
    EXPECT_EQ(RecordSourceStore().clock_notes("HODINY.txt"), (QList<ClockNote>{{pc_time.toUTC(), 3600}}));

    // A computer date past the last day number (65535 days on from 1.1.2000)
    // is refused, never sent wrapped; the time fields have gone out already.
    g.now = [] { return QDateTime(QDate(2180, 1, 1), QTime(12, 0)); };
    ui.message_answers = {mr::yes};
    EXPECT_EQ(SetClock(g, display).run(), SetClock::Result::out_of_range);
    EXPECT_EQ(ui.args("plain_message"), QStringList{"Dátum počítača je mimo rozsahu zapisovača"});
    g.link.delay(100);
    EXPECT_EQ(params(24).size(), 2);
    EXPECT_EQ(params(25).size(), 1);
    EXPECT_TRUE(display.running);
}

TEST_F(Clock, SetClockCancelledOrUnacknowledged)
{
    ASSERT_TRUE(connect({"--type", "89", "--drop-acks", "100"})) << sim.errors().toStdString();
    g.ident.type_code = 89;
    ui.default_answer = mr::yes;
    ui.on_call = [this](const QString& call) {
        if (call == "progress_position:20") g.link.abort();
    };
    EXPECT_EQ(SetClock(g, display).run(), SetClock::Result::cancelled);
    g.link.delay(100); // the last frame after the cancel reaches the log
    EXPECT_LE(sim.frames(22).size(), 2);
    EXPECT_EQ(ui.messages.size(), 1); // no "not communicating" message
    EXPECT_TRUE(display.running);

    ui.on_call = nullptr;
    const int before = int(sim.frames(22).size());
    EXPECT_EQ(SetClock(g, display).run(), SetClock::Result::not_acknowledged);
    g.link.delay(100); // the seventh frame reaches the simulator's log after the flow ended
    EXPECT_EQ(sim.frames(22).size(), before + 7);
    EXPECT_TRUE(sim.frames(23).isEmpty());
    EXPECT_EQ(ui.messages.last().first,
              "Prístroj nekomunikuje, prekontrolujte pripojenie, nastavte správny COM port");
    EXPECT_FALSE(ui.progress_visible);
    EXPECT_TRUE(display.running);
}

TEST_F(Clock, SetClockOfTheOldFormatLoggerInBcd)
{
    ASSERT_TRUE(connect({"--type", "55"})) << sim.errors().toStdString();
    g.ident.type_code = 55;
    g.now = [] { return QDateTime(QDate(2023, 11, 17), QTime(9, 8, 7)); };
    ui.default_answer = mr::yes;
    EXPECT_EQ(SetClock(g, display).run(), SetClock::Result::done);
    g.link.delay(100);
    // Day 17 in BCD plus 64 x (2023 mod 4 = 3).
    EXPECT_EQ(params(34) + params(35) + params(36) + params(37) + params(38),
              (QList<int>{0x07, 0x08, 0x09, 0x17 + 192, 0x11}));
    EXPECT_EQ(ui.args("progress_position"), QStringList({"0", "10", "20", "30", "40", "50"}));
    EXPECT_TRUE(display.running);
}
