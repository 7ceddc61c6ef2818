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

using vxtest::ack_of;

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
        link.attach_driver(&drv);
        link.attach_ui(&ui);
        ASSERT_TRUE(drv.Connect());
    }
    qint64 timed(const std::function<void()>& f)
    {
        QElapsedTimer t;
        t.start();
        f();
        return t.elapsed();
    }

    vxtest::PtyPeer peer;
    vx::TCommPortDriver drv;
    vx::Link link;
    vxtest::FakeUi ui;
};

} // namespace

TEST_F(LinkPeer, FramesCarryTheCheckByteReceivedBytesAreAppendedAndNotTraced)
{
    // The check byte makes command + parameter + check equal 170 modulo 256.
    for (auto [cmd, param, check] : {std::tuple{13, 1, 156}, {170, 0, 0}, {200, 100, 126}, {255, 255, 172}}) {
        link.rx_buffer = "left over";
        link.send_command(std::uint8_t(cmd), std::uint8_t(param));
        EXPECT_TRUE(link.rx_buffer.isEmpty());
        EXPECT_EQ(peer.read(5, 2000), bytes({13, 10, cmd, param, check})) << cmd;
    }
    EXPECT_EQ(link.last_frame, (vx::Frame{13, 10, 255, 255, 172}));
    // A frame sent on its own leaves last_frame alone.
    EXPECT_TRUE(link.send_frame_only(47, 1));
    EXPECT_EQ(peer.read(5, 2000), bytes({13, 10, 47, 1, 122}));
    EXPECT_EQ(link.last_frame, (vx::Frame{13, 10, 255, 255, 172}));

    peer.write(bytes({9, 8, 7}));
    QTRY_COMPARE_WITH_TIMEOUT(link.rx_buffer, bytes({9, 8, 7}), 2000);
    link.CommDrvReceiveData("\xFF", 1);
    EXPECT_EQ(link.rx_buffer, bytes({9, 8, 7, 255}));

    drv.Disconnect();
    EXPECT_FALSE(link.send_frame_only(47, 1));
    vx::Link bare;
    bare.send_command(13, 1); // no driver: nothing to write to, no crash
    EXPECT_FALSE(bare.open_comport(3));
    EXPECT_FALSE(lcLink().isDebugEnabled()); // the frame trace is off unless asked for
}

TEST_F(LinkPeer, WaitsEndAsSoonAsTheirConditionHolds)
{
    // The exact reply, also when it arrives during a wait nested in the wait.
    link.expected_reply = bytes({1, 2, 3});
    QTimer::singleShot(20, [&] {
        QTimer::singleShot(30, [&] { peer.write(bytes({1, 2, 3})); });
        link.delay(300);
    });
    EXPECT_LT(timed([&] { EXPECT_TRUE(link.wait_reply(3000)); }), 1500);
    // A longer buffer is no match, however long we wait.
    peer.write(bytes({4}));
    QTRY_COMPARE_WITH_TIMEOUT(link.rx_buffer.size(), 4, 2000);
    EXPECT_GE(timed([&] { EXPECT_FALSE(link.wait_reply(300)); }), 300);
    EXPECT_EQ(link.rx_buffer, bytes({1, 2, 3, 4}));
    // A delay runs its time even when cancelled.
    QTimer::singleShot(10, [&] { link.abort(); });
    EXPECT_GE(timed([&] { link.delay(150); }), 150);
    EXPECT_TRUE(link.comm_abort);
}

TEST_F(LinkPeer, SendValueIsDoneAtTheFirstAcknowledgement)
{
    peer.write(bytes({0x55, 0xAA, 1})); // left from an earlier exchange
    QTRY_COMPARE_WITH_TIMEOUT(link.rx_buffer.size(), 3, 2000);
    // The first two tries go unanswered.
    peer.respond([](const QByteArray& f, int i) { return i < 2 ? QByteArray() : ack_of(f); });
    EXPECT_TRUE(link.send_value(2, 10));
    QTest::qWait(300);
    EXPECT_EQ(peer.frames(), 3);
    // k 2 goes out as wire command 34.
    EXPECT_EQ(peer.received(), bytes({13, 10, 34, 10, 126}).repeated(3));
    EXPECT_EQ(link.expected_reply, bytes({13, 10, 34, 10, 126, 34, 10, 0xAA, 0x55}));
    EXPECT_EQ(link.rx_buffer, link.expected_reply);
}

TEST_F(LinkPeer, AcknowledgementWithAnExtraByteNeverMatches)
{
    peer.respond([](const QByteArray& f, int) { return ack_of(f) + char(0); });
    // Six waited tries of 50 + 200 ms, then a seventh frame that is not waited for.
    EXPECT_GE(timed([&] { EXPECT_FALSE(link.send_value(5, 1)); }), 6 * 250 + 50);
    QTRY_COMPARE_WITH_TIMEOUT(peer.frames(), 7, 2000);
    EXPECT_EQ(peer.received(), bytes({13, 10, 37, 1, 132}).repeated(7));
}

TEST_F(LinkPeer, CancelEndsTheWaitAtOnceThenOneMoreFrameGoesOut)
{
    // The peer never answers; cancel comes 100 ms into the first wait.
    peer.respond([](const QByteArray&, int) { return QByteArray(); });
    QTimer::singleShot(150, [&] { link.abort(); });
    // 50 ms pause, cancel at 150 ms, another 50 ms pause and the last frame.
    EXPECT_LT(timed([&] { EXPECT_FALSE(link.send_value(3, 7)); }), 450);
    QTRY_COMPARE_WITH_TIMEOUT(peer.frames(), 2, 2000);
    QTest::qWait(100);
    EXPECT_EQ(peer.frames(), 2);
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
    EXPECT_EQ(peer.received(), bytes({13, 10, 14, 33, 123, 13, 10, 15, 1, 154})); // wire commands unchanged
    EXPECT_TRUE(ui.calls.isEmpty());
    peer.respond([](const QByteArray&, int) { return QByteArray(); });
    EXPECT_FALSE(link.setup_exchange(16, 39));
    EXPECT_EQ(ui.calls, QStringList{"plain_message:ERROR send command"});
    EXPECT_FALSE(link.setup_exchange_quiet(15, 0));
    EXPECT_EQ(ui.calls.last(), "progress_hide");
    QTRY_COMPARE_WITH_TIMEOUT(peer.frames(), 2 + 7 + 7, 2000);
    // setup_send waits 200 ms and always succeeds.
    EXPECT_GE(timed([&] { EXPECT_TRUE(link.setup_send(197, 2)); }), 200);
    EXPECT_EQ(link.last_frame, (vx::Frame{13, 10, 197, 2, 227}));
}

TEST_F(LinkPeer, MissionNameIsReadWithRetriesAndTrimmedAndACancelStopsTheTries)
{
    // "Sklad č. 3" in code page 1250 (č = 0xE8), padded with blanks to 16.
    const QByteArray name = bytes({'S', 'k', 'l', 'a', 'd', ' ', 0xE8, '.', ' ', '3'}) + QByteArray(6, ' ');
    const struct {
        std::vector<int> replies; // per try: sum error, -1 a reply cut short, -2 cancel while it is awaited
        bool read;
        int shows; // progress windows opened for the retries
        int frames;
    } cases[] = {
        {{0}, true, 0, 1}, {{0x80, -1, 0}, true, 2, 3}, {{1, 1, 1, 1}, false, 3, 4}, {{-2}, false, 0, 1}};
    for (const auto& c : cases) {
        vxtest::PtyPeer p;
        drv.Disconnect();
        drv.setPortName(p.path());
        ASSERT_TRUE(drv.Connect());
        ui.calls.clear();
        link.mission_name = "OLD";
        p.respond([&](const QByteArray& f, int i) {
            const int e = c.replies.at(std::min<std::size_t>(i, c.replies.size() - 1));
            if (e == -2) link.abort();
            return e == -1 ? data_reply(f, name).left(21) : data_reply(f, name, e == -2 ? 3 : e);
        });
        QString seen;
        link.on_mission_name = [&](const QString& n) { seen = n; };
        EXPECT_EQ(link.read_misname(), c.read);
        EXPECT_EQ(link.mission_name, c.read ? QString::fromUtf8("Sklad č. 3") : QString());
        EXPECT_EQ(seen, c.read ? link.mission_name : QString());
        EXPECT_EQ(p.frames(), c.frames);
        EXPECT_EQ(p.received().left(5), bytes({13, 10, 13, 1, 156}));
        EXPECT_EQ(ui.count("progress_show:Názov prístroja"), c.shows);
        EXPECT_EQ(ui.calls.last(), "progress_hide");
    }
}

TEST_F(LinkPeer, BlockIsAddressedAndCheckedBySum)
{
    QByteArray records;
    for (int i = 0; i < 60; ++i)
        records.append(static_cast<char>(200 + i)); // the sum wraps
    int sum_error = 0;
    peer.respond([&](const QByteArray& f, int) {
        return f.at(2) == 11 ? ack_of(f) : data_reply(f, records, sum_error);
    });
    link.record_length = 6;
    EXPECT_TRUE(link.read_block(3));
    // 3 * 6 + 1024 = 1042 = 4 * 256 + 18.
    EXPECT_EQ(peer.received(), bytes({13, 10, 11, 18, 141, 13, 10, 12, 4, 154}));
    EXPECT_EQ(link.rx_buffer, data_reply(bytes({13, 10, 12, 4, 154}), records));
    for (int error : {1, -1}) {
        sum_error = error;
        EXPECT_FALSE(link.read_block(3)) << error;
    }
    // Nine-byte records: 7 * 9 + 1024 = 1087 = 4 * 256 + 63; 96 bytes awaited.
    link.record_length = 9;
    records = QByteArray(90, '\x11');
    sum_error = 0;
    const int before = peer.received().size();
    EXPECT_TRUE(link.read_block(7));
    EXPECT_EQ(peer.received().mid(before), bytes({13, 10, 11, 63, 96, 13, 10, 12, 4, 154}));
    EXPECT_EQ(link.rx_buffer.size(), 96);
}

TEST_F(LinkPeer, BlockFailsOnAShortReplyAMissingAckOrAnAddressBeyondSixteenBits)
{
    link.record_length = 6;
    peer.respond([&](const QByteArray& f, int) {
        return f.at(2) == 11 ? ack_of(f) : data_reply(f, QByteArray(60, 'a')).left(65);
    });
    EXPECT_GE(timed([&] { EXPECT_FALSE(link.read_block(0)); }), 22 * 50); // 22 steps of 50 ms for the data

    peer.respond([](const QByteArray&, int) { return QByteArray(); });
    const int before = peer.frames();
    EXPECT_FALSE(link.read_block(0));
    QTRY_COMPARE_WITH_TIMEOUT(peer.frames(), before + 7, 2000);
    for (int i = before; i < before + 7; ++i) // never got to the data command
        EXPECT_EQ(peer.received().at(i * 5 + 2), 11);

    // (65535 - 1024) / 6 = 10751.5: position 10751 is the last that fits.
    const int sent = peer.frames();
    EXPECT_FALSE(link.read_block(10752));
    EXPECT_FALSE(link.read_block(-1));
    QTest::qWait(100);
    EXPECT_EQ(peer.frames(), sent);
    link.read_block(10751); // 10751 * 6 + 1024 = 65530 = 0xFFFA
    EXPECT_EQ(peer.received().mid(sent * 5, 5), bytes({13, 10, 11, 0xFA, 0xA5}));
}
