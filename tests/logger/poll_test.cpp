// The poll cycle with a recording window and a scripted user: on replies the test places in the
// buffer, and against the simulated logger, where every model is recognised and its blocks read.
#include "common/test_state.h"
#include "fakes.h"
#include "logger/catalogue.h"
#include "logger/poll.h"
#include "reply_builder.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace vx;
using vxtest::name_reply;
using vxtest::old_status;
using vxtest::Reply;
using vxtest::status_reply;

namespace
{

using Request = std::pair<int, int>;
const Request status_req{10, 160};
const Request name_req{13, 1};

class PollTest : public ::testing::Test, protected vxtest::TestState
{
protected:
    PollTest()
    {
        g.now = [] { return QDateTime(QDate(2024, 3, 1), QTime(10, 45, 30)); };
        g.link.port_open = true;
        poll.set_sender([this](std::uint8_t c, std::uint8_t p) { sent.emplace_back(c, p); });
    }

    // One tick with reply in the buffer, as if it had arrived since the last tick.
    void tick_with(const QByteArray& reply)
    {
        g.link.rx_buffer = reply;
        poll.tick();
    }
    // The status and the name decode of a reply in the buffer.
    bool status(const Reply& reply)
    {
        g.link.rx_buffer = reply.bytes();
        return poll.decode_status();
    }
    void name(const Reply& reply)
    {
        g.link.rx_buffer = reply.bytes();
        poll.decode_name();
    }

    vxtest::FakeDisplay display;
    PollCycle poll{g, display};
    std::vector<Request> sent;
};

} // namespace

TEST_F(PollTest, ThreeStatusRequestsThenTheNameWithACounterThatWraps)
{
    for (int i = 0; i < 8; ++i)
        poll.tick();
    const std::vector<Request> expected = {status_req, status_req, status_req, name_req,
                                           status_req, status_req, status_req, name_req};
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(display.first_ticks, 1);
    EXPECT_EQ(display.clock_text, "10:45");
    // The first tick decoded the empty buffer as a name reply: nothing changed.
    EXPECT_TRUE(display.names.isEmpty());

    sent.clear();
    g.poll.tick = 65534;
    poll.tick(); // 65534 -> 65535: status
    poll.tick(); // 65535 -> 0: name
    g.poll.tick = 3;
    tick_with(old_status(85, 0x01, 300).bytes()); // identifies the old-format logger: its calibration instead
    EXPECT_EQ(sent, (std::vector<Request>{status_req, name_req, {11, 159}}));

    // A busy tick or a closed link sends nothing.
    sent.clear();
    g.poll.busy = true;
    poll.tick();
    g.poll.busy = false;
    g.link.port_open = false;
    poll.tick();
    EXPECT_TRUE(sent.empty());
}

TEST_F(PollTest, FourUnrecognisedStatusRepliesDeclareTheLoggerLost)
{
    g.poll.tick = 1; // the next three ticks decode status replies
    g.transfer.already_asked = true;
    g.status.record_pointer = 100;
    g.calib.calib_active = true;
    const QByteArray unknown = status_reply(91, 29).bytes();
    for (int i = 0; i < 3; ++i)
        tick_with(unknown);
    EXPECT_EQ(g.poll.failures, 3);
    EXPECT_EQ(display.cleared, 0);
    EXPECT_NE(display.link_status, "Nepripojeny");
    tick_with(name_reply("MISIA1          ").bytes()); // name tick: not counted
    EXPECT_EQ(g.poll.failures, 3);
    tick_with(unknown);
    EXPECT_EQ(g.poll.failures, 4);
    EXPECT_EQ(display.link_status, "Nepripojeny");
    EXPECT_GE(display.cleared, 1);
    EXPECT_FALSE(g.transfer.already_asked);
    EXPECT_EQ(g.status.record_pointer, -1);
    EXPECT_FALSE(g.calib.calib_active);

    // The next recognised status brings it back and starts the count again.
    tick_with(status_reply(85, 29).bytes());
    EXPECT_EQ(g.poll.failures, 0);
    EXPECT_EQ(display.link_status, "OK");
    EXPECT_EQ(display.views.back().pansn.text, "4321");
    for (int i = 0; i < 3; ++i)
        tick_with(i == 1 ? QByteArray() : unknown); // the second is the name tick
    EXPECT_EQ(g.poll.failures, 2);
}

TEST_F(PollTest, StatusFillsTheSharedState)
{
    ASSERT_TRUE(status(status_reply(87, 44).u16(11, 321).u8(22, 0x83)));
    EXPECT_EQ(
        std::tuple(int(g.ident.type_code), g.link.record_length, g.status.serial, g.status.record_pointer),
        std::tuple(87, 8, 4321, 321));
    EXPECT_FLOAT_EQ(g.status.corr1, -0.1875f);
    EXPECT_EQ(g.status.logger_time, QDateTime(QDate(2024, 3, 1), QTime(10, 45, 30)));
    ASSERT_EQ(display.views.size(), 1u);
    EXPECT_EQ(display.views[0].panptr.text, "321");
    EXPECT_TRUE(ui.messages.isEmpty()); // clocks agree

    // Not recognised: the type code read stays, the display is not touched.
    EXPECT_FALSE(status(status_reply(102, 30)));
    EXPECT_EQ(g.ident.type_code, 102);
    EXPECT_EQ(display.views.size(), 1u);

    // The language text's line breaks arrive as CR LF; hints carry LF.
    ASSERT_TRUE(status(status_reply(88, 44)));
    EXPECT_TRUE(display.views.back().pantype.hint->startsWith("Teplota/vlhkosť\nsnímač"));
}

TEST_F(PollTest, NameTickShowsTheMissionAndStartsTheNewRecordsCheck)
{
    ASSERT_TRUE(status(status_reply(85, 29)));
    name(name_reply("MISIA1          "));
    EXPECT_EQ(display.names, QStringList{"MISIA1"});
    EXPECT_EQ(g.status.mission_name, "MISIA1");
    EXPECT_EQ(display.checks, 1);

    // A wrong sum empties the name and shows nothing.
    name(name_reply("DRUHA           ").sum(5, 21, 21, 1));
    EXPECT_EQ(g.status.mission_name, "");
    EXPECT_EQ(display.names.size(), 1);
    EXPECT_EQ(display.checks, 1);

    // An invalid humidity block suppresses the check but not the name.
    ASSERT_TRUE(status(status_reply(87, 44).u8(43, 1)));
    EXPECT_FALSE(g.coef.humidity_block_valid);
    name(name_reply("TRETIA          "));
    EXPECT_EQ(display.names.last(), "TRETIA");
    EXPECT_EQ(display.checks, 1);

    name(vxtest::Reply(21)); // one byte short: no name, and nothing read past the end
    EXPECT_EQ(g.status.mission_name, "");
    EXPECT_EQ(display.names.last(), "TRETIA");

    // Without an identified logger a name reply is ignored.
    g.ident.type_code = 0;
    name(name_reply("STVRTA          "));
    EXPECT_EQ(g.status.mission_name, "");
}

TEST_F(PollTest, OneTimeNoticePerLogger)
{
    auto decode130 = [this](int serial) { return status(status_reply(130, 47).u16(16, serial)); };
    for (int serial : {500, 500, 500, 501, 500}) // once per logger: another one, and the first again
        ASSERT_TRUE(decode130(serial));
    ASSERT_EQ(ui.messages.size(), 3);
    EXPECT_TRUE(ui.messages[0].first.startsWith("Pripojeny je zapisovač TEMNIRA Belsa\r\nMôžete definovať"));
    EXPECT_EQ(ui.messages[0].second, btn::ok);

    ASSERT_TRUE(status(status_reply(132, 47).u16(16, 777)));
    ASSERT_EQ(ui.messages.size(), 4);
    EXPECT_TRUE(ui.messages[3].first.startsWith("Pripojeny je zapisovač TEMNIRA Parun\r\n"));
}

TEST_F(PollTest, StoppingDropsTheAnswerStillArrivingToTheLastRequest)
{
    // Pieces before the reply window ends, then two in the quiet times after it.
    poll.tick();
    for (const auto& [ms, piece] : {std::pair{20, "late "}, {60, "status "}, {170, "ans"}, {200, "wer"}})
        QTimer::singleShot(ms, [this, piece] { g.link.rx_buffer += piece; });
    poll.settle();
    g.link.delay(200); // nothing of it may still come
    EXPECT_TRUE(g.link.rx_buffer.isEmpty()) << g.link.rx_buffer.toStdString();

    // Inside a busy tick the reply has been taken already; with the port closed nothing arrives.
    g.link.rx_buffer = "kept";
    g.poll.busy = true;
    poll.settle();
    g.poll.busy = false;
    g.link.port_open = false;
    poll.settle();
    EXPECT_EQ(g.link.rx_buffer, "kept");
}

TEST_F(PollTest, UnknownKeyIsNamedByTheUser)
{
    auto decode_key = [this](int key) { // -1: no key attached
        return status(key < 0 ? status_reply(93, 29).u8(26, 1)
                              : status_reply(93, 29).u8(26, 0).u8(27, key & 0xFF).u8(28, key >> 8));
    };
    ui.input_answers.push_back(QString("Dvere"));
    ASSERT_TRUE(decode_key(300));
    EXPECT_EQ(ui.prompts, QStringList{"Názov klúca"});
    EXPECT_EQ(display.stops, 1); // the poll is held while the user types
    EXPECT_TRUE(display.running);
    EXPECT_EQ(home.read("kluce.txt"), QByteArray("[IDKEY]\r\n300,Dvere\r\n"));
    EXPECT_EQ(display.views.back().panIBname.text, "Dvere");

    ASSERT_TRUE(decode_key(300)); // known now: shown without asking
    EXPECT_EQ(ui.prompts.size(), 1);

    // A declined name is not asked again while the key stays attached.
    ASSERT_TRUE(decode_key(301));
    ASSERT_TRUE(decode_key(301));
    EXPECT_EQ(ui.prompts.size(), 2);
    EXPECT_EQ(home.read("kluce.txt"), QByteArray("[IDKEY]\r\n300,Dvere\r\n"));
    ASSERT_TRUE(decode_key(-1));
    ui.input_answers.push_back(QString()); // an empty answer adds nothing
    ASSERT_TRUE(decode_key(301));
    EXPECT_EQ(ui.prompts.size(), 3);
    EXPECT_EQ(home.read("kluce.txt"), QByteArray("[IDKEY]\r\n300,Dvere\r\n"));
}

TEST_F(PollTest, OldFormatLogger)
{
    ASSERT_TRUE(status(old_status(85, 0x01, 6000)));
    EXPECT_EQ(g.ident.type_code, 55);
    EXPECT_EQ(g.status.change_threshold, 32);
    EXPECT_EQ(display.tips, QStringList{"ERRDEVPTROLDMODEL"});

    // Its name tick carries the calibration answer.
    name(vxtest::old_calibration(100, 0, 0.25f, 0));
    EXPECT_FLOAT_EQ(g.coef.old_a1, 0.25f);
    EXPECT_EQ(display.views.back().pantemp.text, " 25,0");
    EXPECT_EQ(display.views.back().PanGrad.text, "  8,0"); // raw threshold 32 x 0.25
    EXPECT_TRUE(display.names.isEmpty());
}

TEST(PollSim, EveryModelIsRecognisedAndItsRecordsReadInBlocksOfItsLength)
{
    vxtest::TestState t;
    t.g.now = [] { return QDateTime(QDate(2024, 3, 1), QTime(10, 45, 30)); };
    vxtest::FakeDisplay display;
    PollCycle poll(t.g, display);
    for (const ModelRow& row : all_models()) {
        SCOPED_TRACE(row.type);
        display = vxtest::FakeDisplay{};
        const int serial = 2000 + row.type;
        ASSERT_TRUE(t.connect({"--type", QString::number(row.type), "--serial", QString::number(serial),
                               "--clock", "2024-03-01T10:45:30"}))
            << t.sim.errors().toStdString();
        t.g.link.rx_buffer.clear(); // nothing of an earlier logger
        // Tick until a status reply has been decoded, letting each reply arrive in full.
        const int length = row.type == 55 ? 28 : row.status_length;
        for (int i = 0; i < 8 && display.link_status != "OK"; ++i) {
            poll.tick();
            t.g.link.wait_length(length, 20);
            t.g.link.delay(80);
        }
        EXPECT_EQ(t.g.ident.type_code, row.type);
        EXPECT_EQ(t.g.status.serial, serial);
        ASSERT_FALSE(display.views.empty());
        EXPECT_EQ(display.views.back().PanTime.text, "1.3.2024 10:45:30");
        // Clocks within a few seconds of each other: no warning; only the
        // current-loop models bring their one-time notice.
        EXPECT_EQ(t.ui.messages.size(), row.one_time_notice ? 1 : 0);
        t.ui.messages.clear();
        if (row.type == 55) continue; // it streams its records instead
        // Record 1 at ring position 1 is stamped 1.1.2024 00:10 (day 8766 = 0x223E).
        t.g.link.delay(100);
        ASSERT_TRUE(t.g.link.read_block(1));
        EXPECT_EQ(t.g.link.rx_buffer.mid(5, 4), QByteArray("\x0A\x00\x3E\x22", 4));
    }
}
