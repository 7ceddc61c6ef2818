// The link layer against a scripted pseudo-terminal peer: frame bytes,
// acknowledged exchanges, the data reads, cancel and the waits.
#include "common/fake_ui.h"
#include "link/link.h"
#include "link/serial_port.h"
#include "pty_peer.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using vx::Link;
using vx::TCommPortDriver;
using vxtest::ack_of;
using vxtest::FakeUi;
using vxtest::PtyPeer;

namespace
{

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray a;
    for (int b : list)
        a.append(static_cast<char>(b));
    return a;
}

// Echo, payload, plain 8-bit sum of the payload (plus a deliberate error).
QByteArray data_reply(const QByteArray& frame, const QByteArray& payload, int sum_error = 0)
{
    int sum = 0;
    for (char c : payload)
        sum += static_cast<unsigned char>(c);
    return frame + payload + static_cast<char>((sum + sum_error) & 0xFF);
}

class LinkPeer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(peer.ok());
        drv.setPortName(peer.path());
        drv.setBaudRateValue(19200);
        link.attach_driver(&drv);
        link.attach_ui(&ui);
        ASSERT_TRUE(drv.Connect());
    }

    PtyPeer peer;
    TCommPortDriver drv;
    Link link;
    FakeUi ui;
};

} // namespace

TEST_F(LinkPeer, FramesCarryTheCheckByte)
{
    link.rx_buffer = "left over";
    link.send_command(13, 1);
    EXPECT_TRUE(link.rx_buffer.isEmpty());
    EXPECT_EQ(peer.read(5, 2000), bytes({13, 10, 13, 1, 156}));
    EXPECT_EQ(link.last_frame, (vx::Frame{13, 10, 13, 1, 156}));
    link.send_command(170, 0);
    EXPECT_EQ(peer.read(5, 2000), bytes({13, 10, 170, 0, 0}));
    // 170 - 300 = -130, which is 126 modulo 256.
    link.send_command(200, 100);
    EXPECT_EQ(peer.read(5, 2000), bytes({13, 10, 200, 100, 126}));
    link.send_command(255, 255);
    EXPECT_EQ(peer.read(5, 2000), bytes({13, 10, 255, 255, 172}));
    EXPECT_EQ(link.last_frame, (vx::Frame{13, 10, 255, 255, 172}));

    // A frame sent on its own leaves last_frame alone.
    link.rx_buffer = "x";
    EXPECT_TRUE(link.send_frame_only(47, 1));
    EXPECT_TRUE(link.rx_buffer.isEmpty());
    EXPECT_EQ(peer.read(5, 2000), bytes({13, 10, 47, 1, 122}));
    EXPECT_EQ(link.last_frame, (vx::Frame{13, 10, 255, 255, 172}));
}

TEST_F(LinkPeer, SendsNothingWithoutAnOpenPort)
{
    drv.Disconnect();
    EXPECT_FALSE(link.send_frame_only(47, 1));
    Link bare;
    EXPECT_FALSE(bare.send_frame_only(47, 1));
    bare.send_command(13, 1); // no driver: nothing to write to, no crash
    EXPECT_EQ(bare.last_frame, (vx::Frame{13, 10, 13, 1, 156}));
    EXPECT_FALSE(bare.open_comport(3));
    EXPECT_FALSE(bare.port_open);
}

TEST_F(LinkPeer, ReceivedBytesAreAppendedInOrder)
{
    const char first[] = {1, 2, 3};
    const char second[] = {'\xFF', 0};
    link.CommDrvReceiveData(first, 3);
    link.CommDrvReceiveData(second, 2);
    link.CommDrvReceiveData(nullptr, 4);
    EXPECT_EQ(link.rx_buffer, bytes({1, 2, 3, 255, 0}));

    // Through the driver's tick.
    link.rx_buffer.clear();
    peer.write(bytes({9, 8, 7}));
    QTRY_COMPARE_WITH_TIMEOUT(link.rx_buffer, bytes({9, 8, 7}), 2000);
}

TEST_F(LinkPeer, WaitReplyEndsAsSoonAsTheExactReplyIsThere)
{
    link.expected_reply = bytes({1, 2, 3});
    QTimer::singleShot(20, [&] { peer.write(bytes({1, 2, 3})); });
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(link.wait_reply(3000));
    EXPECT_LT(t.elapsed(), 1000);

    // A longer buffer is no match, however long we wait.
    link.rx_buffer.clear();
    QTimer::singleShot(20, [&] { peer.write(bytes({1, 2, 3, 4})); });
    t.restart();
    EXPECT_FALSE(link.wait_reply(300));
    EXPECT_GE(t.elapsed(), 300);
    EXPECT_EQ(link.rx_buffer, bytes({1, 2, 3, 4}));

    // A shorter one neither.
    link.rx_buffer = bytes({1, 2});
    EXPECT_FALSE(link.wait_reply(60));
}

TEST_F(LinkPeer, DelayLastsAtLeastItsTimeAndIgnoresCancel)
{
    QElapsedTimer t;
    t.start();
    EXPECT_GE(link.delay(120), 120);
    EXPECT_GE(t.elapsed(), 120);
    QTimer::singleShot(10, [&] { link.abort(); });
    t.restart();
    EXPECT_GE(link.delay(150), 150);
    EXPECT_TRUE(link.comm_abort);
    EXPECT_EQ(link.delay(0), 0);
}

TEST_F(LinkPeer, SendValueIsDoneAtTheFirstAcknowledgement)
{
    peer.respond([](const QByteArray& f, int) { return ack_of(f); });
    EXPECT_TRUE(link.send_value(2, 10));
    EXPECT_EQ(peer.frames(), 1);
    // k 2 goes out as wire command 34.
    EXPECT_EQ(peer.received(), bytes({13, 10, 34, 10, 126}));
    EXPECT_EQ(link.expected_reply, bytes({13, 10, 34, 10, 126, 34, 10, 0xAA, 0x55}));
}

TEST_F(LinkPeer, AcknowledgementWithAnExtraByteNeverMatches)
{
    peer.respond([](const QByteArray& f, int) { return ack_of(f) + char(0); });
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(link.send_value(5, 1));
    // Six waited tries of 50 + 200 ms, then a seventh frame that is not waited for.
    EXPECT_GE(t.elapsed(), 6 * 250 + 50);
    QTRY_COMPARE_WITH_TIMEOUT(peer.frames(), 7, 2000);
    QByteArray seven;
    for (int i = 0; i < 7; ++i)
        seven += bytes({13, 10, 37, 1, 132});
    EXPECT_EQ(peer.received(), seven);
}

TEST_F(LinkPeer, BytesLeftFromAnEarlierExchangeAreDiscarded)
{
    peer.write(bytes({0x55, 0xAA, 1}));
    QTRY_COMPARE_WITH_TIMEOUT(link.rx_buffer.size(), 3, 2000);
    peer.respond([](const QByteArray& f, int) { return ack_of(f); });
    EXPECT_TRUE(link.send_value(0, 0x34));
    EXPECT_EQ(peer.frames(), 1);
}

TEST_F(LinkPeer, CancelEndsTheWaitAtOnceThenOneMoreFrameGoesOut)
{
    // The peer never answers; cancel comes 100 ms into the first wait.
    peer.respond([](const QByteArray&, int) { return QByteArray(); });
    QTimer::singleShot(150, [&] { link.abort(); });
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(link.send_value(3, 7));
    // 50 ms pause, cancel at 150 ms, another 50 ms pause and the last frame.
    EXPECT_LT(t.elapsed(), 450);
    EXPECT_TRUE(link.comm_abort);
    QTRY_COMPARE_WITH_TIMEOUT(peer.frames(), 2, 2000);
    QTest::qWait(100);
    EXPECT_EQ(peer.frames(), 2);

    // A plain wait ends at once as well.
    QTimer::singleShot(50, [&] { link.abort(); });
    link.comm_abort = false;
    link.expected_reply = "never";
    t.restart();
    EXPECT_FALSE(link.wait_reply(5000));
    EXPECT_LT(t.elapsed(), 1000);

    // show_progress starts a new series.
    link.show_progress("Prenos");
    EXPECT_FALSE(link.comm_abort);
    EXPECT_EQ(ui.calls.last(), QStringLiteral("progress_show:Prenos"));
}

TEST_F(LinkPeer, SetupExchangesReportFailureTheirOwnWay)
{
    peer.respond([](const QByteArray& f, int) { return ack_of(f); });
    EXPECT_TRUE(link.setup_exchange(14, 33));
    EXPECT_TRUE(link.setup_exchange_quiet(15, 1));
    // Wire commands unchanged.
    EXPECT_EQ(peer.received(), bytes({13, 10, 14, 33, 123, 13, 10, 15, 1, 154}));
    EXPECT_TRUE(ui.calls.isEmpty());

    peer.respond([](const QByteArray&, int) { return QByteArray(); });
    EXPECT_FALSE(link.setup_exchange(16, 39));
    EXPECT_EQ(ui.calls, QStringList{"plain_message:ERROR send command"});
    ui.calls.clear();
    EXPECT_FALSE(link.setup_exchange_quiet(15, 0));
    EXPECT_EQ(ui.calls, QStringList{"progress_hide"});
    QTRY_COMPARE_WITH_TIMEOUT(peer.frames(), 2 + 7 + 7, 2000);
}

TEST_F(LinkPeer, SetupSendWaitsAndAlwaysSucceeds)
{
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(link.setup_send(197, 2));
    EXPECT_GE(t.elapsed(), 200);
    EXPECT_EQ(peer.read(5, 1000), bytes({13, 10, 197, 2, 227}));
    EXPECT_EQ(link.last_frame, (vx::Frame{13, 10, 197, 2, 227}));
}

TEST_F(LinkPeer, MissionNameIsReadAndTrimmed)
{
    // "Sklad č. 3" in code page 1250 (č = 0xE8), padded with blanks to 16.
    QByteArray name = bytes({'S', 'k', 'l', 'a', 'd', ' ', 0xE8, '.', ' ', '3'});
    name += QByteArray(6, ' ');
    peer.respond([&](const QByteArray& f, int) { return data_reply(f, name); });
    QString seen;
    link.on_mission_name = [&](const QString& n) { seen = n; };
    EXPECT_TRUE(link.read_misname());
    EXPECT_EQ(link.mission_name, QString::fromUtf8("Sklad č. 3"));
    EXPECT_EQ(seen, link.mission_name);
    EXPECT_EQ(peer.frames(), 1);
    EXPECT_EQ(peer.received(), bytes({13, 10, 13, 1, 156}));
    EXPECT_EQ(ui.calls, QStringList{"progress_hide"});
}

TEST_F(LinkPeer, MissionNameGivesUpAtTheFourthBadSum)
{
    link.mission_name = "OLD";
    const QByteArray name("ABCDEFGHIJKLMNOP");
    peer.respond([&](const QByteArray& f, int) { return data_reply(f, name, 1); });
    bool called = false;
    link.on_mission_name = [&](const QString&) { called = true; };
    EXPECT_FALSE(link.read_misname());
    EXPECT_TRUE(link.mission_name.isEmpty());
    EXPECT_FALSE(called);
    EXPECT_EQ(peer.frames(), 4);
    const QStringList expected{"progress_show:Názov prístroja", "progress_show:Názov prístroja",
                               "progress_show:Názov prístroja", "progress_hide"};
    EXPECT_EQ(ui.calls, expected);
}

TEST_F(LinkPeer, MissionNameRetriesAfterBadSumsAndShortReplies)
{
    const QByteArray name("MISIA 7         ");
    peer.respond([&](const QByteArray& f, int i) {
        if (i == 0) return data_reply(f, name, 0x80);
        if (i == 1) return data_reply(f, name).left(21);
        return data_reply(f, name);
    });
    EXPECT_TRUE(link.read_misname());
    EXPECT_EQ(link.mission_name, QStringLiteral("MISIA 7"));
    EXPECT_EQ(peer.frames(), 3);
    EXPECT_EQ(ui.count("progress_show:Názov prístroja"), 2);
    EXPECT_EQ(ui.calls.last(), QStringLiteral("progress_hide"));
}

TEST_F(LinkPeer, MissionNameStopsWhenCancelledDuringATry)
{
    const QByteArray name("ABCDEFGHIJKLMNOP");
    // Cancel pressed while the first reply is awaited.
    peer.respond([&](const QByteArray& f, int) {
        link.abort();
        return data_reply(f, name, 3);
    });
    EXPECT_FALSE(link.read_misname());
    QTest::qWait(100);
    EXPECT_EQ(peer.frames(), 1);
    EXPECT_EQ(ui.calls, QStringList{"progress_hide"});
}

TEST_F(LinkPeer, BlockIsAddressedAndCheckedBySum)
{
    link.record_length = 6;
    QByteArray records;
    for (int i = 0; i < 60; ++i)
        records.append(static_cast<char>(200 + i)); // sum wraps
    int sum_error = 0;
    peer.respond([&](const QByteArray& f, int) {
        if (f.at(2) == 11) return ack_of(f);
        return data_reply(f, records, sum_error);
    });
    EXPECT_TRUE(link.read_block(3));
    // 3 * 6 + 1024 = 1042 = 4 * 256 + 18.
    EXPECT_EQ(peer.received(), bytes({13, 10, 11, 18, 141, 13, 10, 12, 4, 154}));
    EXPECT_EQ(link.rx_buffer, data_reply(bytes({13, 10, 12, 4, 154}), records));
    EXPECT_EQ(link.rx_buffer.mid(5, 6), records.left(6));

    sum_error = 1;
    EXPECT_FALSE(link.read_block(3));
    sum_error = -1;
    EXPECT_FALSE(link.read_block(0));

    // Nine-byte records: 7 * 9 + 1024 = 1087 = 4 * 256 + 63; 96 bytes awaited.
    link.record_length = 9;
    records = QByteArray(90, '\x11');
    sum_error = 0;
    const int before = peer.received().size();
    EXPECT_TRUE(link.read_block(7));
    EXPECT_EQ(peer.received().mid(before), bytes({13, 10, 11, 63, 96, 13, 10, 12, 4, 154}));
    EXPECT_EQ(link.rx_buffer.size(), 96);
}

TEST_F(LinkPeer, BlockFailsOnAShortReplyOrAMissingAck)
{
    link.record_length = 6;
    peer.respond([&](const QByteArray& f, int) {
        if (f.at(2) == 11) return ack_of(f);
        return data_reply(f, QByteArray(60, 'a')).left(65);
    });
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(link.read_block(0));
    // 22 steps of 50 ms for the data.
    EXPECT_GE(t.elapsed(), 22 * 50);

    peer.respond([](const QByteArray&, int) { return QByteArray(); });
    const int before = peer.frames();
    EXPECT_FALSE(link.read_block(0));
    QTRY_COMPARE_WITH_TIMEOUT(peer.frames(), before + 7, 2000);
    // Never got to the data command.
    for (int i = before; i < before + 7; ++i)
        EXPECT_EQ(peer.received().at(i * 5 + 2), 11);
}

TEST_F(LinkPeer, BlockAddressBeyondSixteenBitsIsRefused)
{
    peer.respond([](const QByteArray& f, int) { return ack_of(f); });
    link.record_length = 6;
    // (65535 - 1024) / 6 = 10751.5: position 10751 is the last that fits.
    EXPECT_FALSE(link.read_block(10752));
    EXPECT_FALSE(link.read_block(-1));
    QTest::qWait(100);
    EXPECT_EQ(peer.frames(), 0);
    // 10751 * 6 + 1024 = 65530 = 0xFFFA fits; the peer sends no data.
    EXPECT_FALSE(link.read_block(10751));
    EXPECT_EQ(peer.received().left(5), bytes({13, 10, 11, 0xFA, 0xA5}));
}

TEST_F(LinkPeer, OpenComportMapsTheNumberAndClosesAgain)
{
    drv.Disconnect();
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(link.open_comport(7, {{7, peer.path()}}));
    EXPECT_GE(t.elapsed(), 500);
    EXPECT_TRUE(link.port_open);
    EXPECT_TRUE(drv.Connected());
    EXPECT_EQ(drv.PortName(), QStringLiteral("\\\\.\\COM7"));
    link.close_comport();
    EXPECT_FALSE(link.port_open);
    EXPECT_FALSE(drv.Connected());

    EXPECT_FALSE(link.open_comport(12, {{7, peer.path()}, {12, "/nonexistent/ttyUSB4"}}));
    EXPECT_EQ(drv.PortName(), QStringLiteral("\\\\.\\COM12"));
    EXPECT_FALSE(link.port_open);
    // The map stays with the driver.
    EXPECT_TRUE(link.open_comport(7));
    EXPECT_TRUE(link.port_open);
}

TEST_F(LinkPeer, WaitSeesAReplyThatCameDuringAWaitNestedInIt)
{
    // Something run from the event loop (a timer slot) waits on its own while
    // the reply of the outer wait arrives; the outer wait must still end then.
    link.expected_reply = bytes({7, 7});
    QTimer::singleShot(20, [&] {
        QTimer::singleShot(30, [&] { peer.write(bytes({7, 7})); });
        link.delay(300);
    });
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(link.wait_reply(3000));
    EXPECT_LT(t.elapsed(), 1500);
}

TEST(LinkTrace, FrameTraceIsOffByDefault)
{
    EXPECT_STREQ(lcLink().categoryName(), "vorlanix.link");
    EXPECT_FALSE(lcLink().isDebugEnabled());
    EXPECT_TRUE(lcLink().isWarningEnabled());
}
