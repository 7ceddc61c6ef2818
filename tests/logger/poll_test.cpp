// The poll cycle with a recording window, a scripted user and the replies
// placed in the reply buffer by the test.
#include "common/temp_home.h"
#include "fakes.h"
#include "logger/poll.h"
#include "logger/program_state.h"
#include "reply_builder.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace vx;
using vxtest::Reply;
using vxtest::status_reply;

namespace
{

using Request = std::pair<int, int>;
const Request status_req{10, 160};
const Request name_req{13, 1};

class PollTest : public ::testing::Test
{
protected:
    PollTest()
    {
        g.program_dir = home.dir();
        g.lang.build_language_tables(home.dir(), "SLOVAK");
        g.ui = &ui;
        g.link.port_open = true;
        g.now = [] { return QDateTime(QDate(2024, 3, 1), QTime(10, 45, 30)); };
        poll.set_sender([this](std::uint8_t c, std::uint8_t p) { sent.emplace_back(c, p); });
    }

    // One tick with reply in the buffer, as if it had arrived since the last tick.
    void tick_with(const QByteArray& reply)
    {
        g.link.rx_buffer = reply;
        poll.tick();
    }

    static QByteArray name_block(const char* name16)
    {
        Reply r(22);
        int sum = 0;
        for (int i = 0; i < 16; ++i) {
            r.u8(5 + i, name16[i]);
            sum += static_cast<unsigned char>(name16[i]);
        }
        r.u8(21, sum & 0xFF);
        return r.bytes();
    }

    // Old-format status: serial 7, model byte 85, 10:45:30 on 1.3. (year bits 0),
    // the given pointer, interval 5, raw threshold 10.
    static QByteArray old_status(int pointer)
    {
        Reply s(28);
        s.u8(5, 7).u8(7, 85).u8(10, 0x30).u8(11, 0x45).u8(12, 0x10).u8(13, 0x01).u8(14, 0x03);
        s.u8(17, pointer >> 8).u8(18, pointer & 0xFF).u8(21, 5).u8(23, 0).u8(24, 10);
        int sum = 0;
        for (int i = 5; i < 27; ++i)
            sum += s.view()[i];
        s.u8(27, sum & 0xFF);
        return s.bytes();
    }

    vxtest::TempHome home;
    Global g;
    vxtest::FakeDisplay display;
    vxtest::LoggerUi ui;
    PollCycle poll{g, display};
    std::vector<Request> sent;
};

} // namespace

TEST_F(PollTest, ThreeStatusRequestsThenTheName)
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
    EXPECT_TRUE(g.link.rx_buffer.isEmpty());
}

TEST_F(PollTest, TickCounterWrapsAndOldFormatAsksForItsCalibration)
{
    g.poll.tick = 65534;
    poll.tick(); // 65534 -> 65535: status
    poll.tick(); // 65535 -> 0: name
    EXPECT_EQ(g.poll.tick, 0);
    g.poll.tick = 3;
    tick_with(old_status(300)); // identifies the old-format logger
    EXPECT_EQ(g.ident.type_code, 55);
    const std::vector<Request> expected = {status_req, name_req, {11, 159}};
    EXPECT_EQ(sent, expected);
}

TEST_F(PollTest, BusyTickOrClosedLinkSendsNothing)
{
    g.poll.busy = true;
    poll.tick();
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(display.clock_text, "");
    g.poll.busy = false;
    g.link.port_open = false;
    poll.tick();
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(display.clock_text, "10:45");
    EXPECT_EQ(display.first_ticks, 0);
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
    tick_with(name_block("MISIA1          ")); // name tick: not counted
    EXPECT_EQ(g.poll.failures, 3);
    tick_with(unknown);
    EXPECT_EQ(g.poll.failures, 4);
    EXPECT_EQ(display.link_status, "Nepripojeny");
    EXPECT_GE(display.cleared, 1);
    EXPECT_FALSE(g.transfer.already_asked);
    EXPECT_EQ(g.status.record_pointer, -1);
    EXPECT_FALSE(g.calib.calib_active);

    // The next recognised status brings it back.
    tick_with(status_reply(85, 29).bytes());
    EXPECT_EQ(g.poll.failures, 0);
    EXPECT_EQ(display.link_status, "OK");
    ASSERT_FALSE(display.views.empty());
    EXPECT_EQ(display.views.back().pansn.text, "4321");
}

TEST_F(PollTest, ARecognisedStatusResetsTheFailureCount)
{
    g.poll.tick = 1;
    const QByteArray unknown = status_reply(91, 29).bytes();
    tick_with(unknown);
    tick_with(unknown);
    tick_with(status_reply(85, 29).bytes());
    EXPECT_EQ(g.poll.failures, 0);
    tick_with(QByteArray()); // name tick
    for (int i = 0; i < 3; ++i)
        tick_with(unknown);
    EXPECT_EQ(g.poll.failures, 3);
    EXPECT_NE(display.link_status, "Nepripojeny");
}

TEST_F(PollTest, StatusFillsTheSharedState)
{
    Reply r = status_reply(87, 44);
    r.u16(11, 321).u8(22, 0x83);
    g.link.rx_buffer = r.bytes();
    ASSERT_TRUE(poll.decode_status());
    EXPECT_EQ(g.ident.type_code, 87);
    EXPECT_EQ(g.ident.ring_size, 3901);
    EXPECT_EQ(g.ident.record_length, 8);
    EXPECT_EQ(g.link.record_length, 8);
    EXPECT_EQ(g.status.serial, 4321);
    EXPECT_EQ(g.status.record_pointer, 321);
    EXPECT_FLOAT_EQ(g.status.corr1, -0.1875f);
    EXPECT_EQ(g.status.logger_time, QDateTime(QDate(2024, 3, 1), QTime(10, 45, 30)));
    ASSERT_EQ(display.views.size(), 1u);
    EXPECT_EQ(display.views[0].panptr.text, "321");
    EXPECT_TRUE(ui.messages.isEmpty()); // clocks agree

    // Not recognised: the type code read stays, the display is not touched.
    g.link.rx_buffer = status_reply(102, 30).bytes();
    EXPECT_FALSE(poll.decode_status());
    EXPECT_EQ(g.ident.type_code, 102);
    EXPECT_EQ(display.views.size(), 1u);
}

TEST_F(PollTest, NameTickShowsTheMissionAndStartsTheNewRecordsCheck)
{
    g.link.rx_buffer = status_reply(85, 29).bytes();
    ASSERT_TRUE(poll.decode_status());
    g.link.rx_buffer = name_block("MISIA1          ");
    poll.decode_name();
    EXPECT_EQ(display.names, QStringList{"MISIA1"});
    EXPECT_EQ(g.status.mission_name, "MISIA1");
    EXPECT_EQ(display.checks, 1);

    // A wrong sum empties the name and shows nothing.
    QByteArray bad = name_block("DRUHA           ");
    bad[21] = char(bad[21] + 1);
    g.link.rx_buffer = bad;
    poll.decode_name();
    EXPECT_EQ(g.status.mission_name, "");
    EXPECT_EQ(display.names.size(), 1);
    EXPECT_EQ(display.checks, 1);

    // An invalid humidity block suppresses the check but not the name.
    Reply humid = status_reply(87, 44);
    humid.u8(43, 1);
    g.link.rx_buffer = humid.bytes();
    ASSERT_TRUE(poll.decode_status());
    EXPECT_FALSE(g.coef.humidity_block_valid);
    g.link.rx_buffer = name_block("TRETIA          ");
    poll.decode_name();
    EXPECT_EQ(display.names.last(), "TRETIA");
    EXPECT_EQ(display.checks, 1);

    // Without an identified logger a name reply is ignored.
    g.ident.type_code = 0;
    g.link.rx_buffer = name_block("STVRTA          ");
    poll.decode_name();
    EXPECT_EQ(g.status.mission_name, "TRETIA");
}

TEST_F(PollTest, OneTimeNoticePerLogger)
{
    auto decode130 = [this](int serial) {
        Reply r = status_reply(130, 47);
        r.u16(16, serial);
        g.link.rx_buffer = r.bytes();
        return poll.decode_status();
    };
    ASSERT_TRUE(decode130(500));
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0], QString::fromUtf8("Pripojeny je zapisovač TEMNIRA Belsa\r\n"
                                                "Môžete definovať prepočet prúdu na fyzikálnu veličinu\r\n"
                                                "v MENU Súbor-> Kalibračný súbor"));
    EXPECT_EQ(ui.message_buttons[0], btn::ok);
    ASSERT_TRUE(decode130(500));
    ASSERT_TRUE(decode130(500));
    EXPECT_EQ(ui.messages.size(), 1);
    ASSERT_TRUE(decode130(501)); // another logger
    ASSERT_TRUE(decode130(500)); // and the first one again
    EXPECT_EQ(ui.messages.size(), 3);

    Reply level = status_reply(132, 47);
    level.u16(16, 777);
    g.link.rx_buffer = level.bytes();
    ASSERT_TRUE(poll.decode_status());
    ASSERT_EQ(ui.messages.size(), 4);
    EXPECT_TRUE(ui.messages[3].startsWith(QString::fromUtf8("Pripojeny je zapisovač TEMNIRA Parun\r\n")));
}

TEST_F(PollTest, UnknownKeyIsNamedByTheUser)
{
    auto decode_key = [this](int key) {
        Reply r = status_reply(93, 29);
        if (key < 0)
            r.u8(26, 1);
        else
            r.u8(26, 0).u8(27, key & 0xFF).u8(28, key >> 8);
        g.link.rx_buffer = r.bytes();
        return poll.decode_status();
    };
    ui.input_answers.push_back(QString("Dvere"));
    ASSERT_TRUE(decode_key(300));
    ASSERT_EQ(ui.inputs.size(), 1);
    EXPECT_EQ(ui.inputs[0], QString::fromUtf8("Nový klúc|Názov klúca|"));
    EXPECT_EQ(display.stops, 1);
    EXPECT_EQ(display.starts, 1);
    EXPECT_TRUE(display.running);
    EXPECT_EQ(home.read("kluce.txt"), QByteArray("[IDKEY]\r\n300,Dvere\r\n"));
    EXPECT_EQ(display.views.back().panIBname.text, "Dvere");

    // Known now: shown without asking.
    ASSERT_TRUE(decode_key(300));
    EXPECT_EQ(ui.inputs.size(), 1);
    EXPECT_EQ(display.views.back().panIBname.text, "Dvere");

    // A declined name is not asked again while the key stays attached.
    ASSERT_TRUE(decode_key(301));
    ASSERT_TRUE(decode_key(301));
    EXPECT_EQ(ui.inputs.size(), 2);
    EXPECT_EQ(home.read("kluce.txt"), QByteArray("[IDKEY]\r\n300,Dvere\r\n"));
    ASSERT_TRUE(decode_key(-1));
    ui.input_answers.push_back(QString()); // an empty answer adds nothing
    ASSERT_TRUE(decode_key(301));
    EXPECT_EQ(ui.inputs.size(), 3);
    EXPECT_EQ(home.read("kluce.txt"), QByteArray("[IDKEY]\r\n300,Dvere\r\n"));
}

TEST_F(PollTest, OldFormatLogger)
{
    g.link.rx_buffer = old_status(6000);
    ASSERT_TRUE(poll.decode_status());
    EXPECT_EQ(g.ident.type_code, 55);
    EXPECT_EQ(g.status.change_threshold, 10);
    EXPECT_EQ(display.tips, QStringList{"ERRDEVPTROLDMODEL"});

    // Its name tick carries the calibration answer.
    Reply c(30);
    c.u8(5, 0x00).u8(6, 100).f32(9, 0).f32(13, 0.25f).f32(17, 0);
    int sum = 0;
    for (int i = 5; i < 29; ++i)
        sum += c.view()[i];
    c.u8(29, sum & 0xFF);
    g.link.rx_buffer = c.bytes();
    poll.decode_name();
    EXPECT_FLOAT_EQ(g.coef.old_a1, 0.25f);
    EXPECT_EQ(display.views.back().pantemp.text, " 25,0");
    EXPECT_EQ(display.views.back().PanGrad.text, "  2,5");
    EXPECT_TRUE(display.names.isEmpty());
}

TEST_F(PollTest, CaptionsFromTheBuiltInLanguageTexts)
{
    g.link.rx_buffer = status_reply(88, 44).bytes();
    ASSERT_TRUE(poll.decode_status());
    EXPECT_EQ(display.views.back().pantype.text, "VORLAN Zelin");
    // The language text's line breaks arrive as CR LF; hints carry LF.
    EXPECT_EQ(
        display.views.back().pantype.hint,
        QString::fromUtf8("Teplota/vlhkosť\nsnímač teploty DS182x\nSnímač vlhkosti PHILIPS\nZáznamov:000"));
    EXPECT_EQ(display.views.back().LBLaktval.text, "Teplota:");
}
