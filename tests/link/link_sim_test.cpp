// The link layer against the simulated logger on a pseudo-terminal: what the
// logger received (its frame log) and how the exchanges fare with its faults.
#include "common/fake_ui.h"
#include "common/sim_process.h"
#include "link/link.h"
#include "link/serial_port.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

using vx::Link;
using vx::TCommPortDriver;
using vxtest::FakeUi;
using vxtest::SimProcess;

namespace
{

class LinkSim : public ::testing::Test
{
protected:
    // Starts the simulator and opens it as COM 4 through the port map.
    bool open(const QStringList& args = {})
    {
        if (!sim.start(args)) return false;
        link.attach_driver(&drv);
        link.attach_ui(&ui);
        drv.setBaudRateValue(19200);
        return link.open_comport(4, {{4, sim.link()}});
    }

    SimProcess sim;
    TCommPortDriver drv;
    Link link;
    FakeUi ui;
};

} // namespace

TEST_F(LinkSim, LoggerReceivesTheFramesAsValid)
{
    ASSERT_TRUE(open());
    EXPECT_TRUE(link.port_open);
    link.send_command(13, 1);
    link.delay(100);
    link.send_command(170, 0);
    link.delay(100);
    link.send_command(200, 100);
    // The simulator logs only frames whose check byte is right.
    QTRY_COMPARE_WITH_TIMEOUT(sim.frames().size(), 3, 3000);
    const auto f = sim.frames();
    EXPECT_EQ(f[0].cmd, 13);
    EXPECT_EQ(f[0].param, 1);
    EXPECT_EQ(f[1].cmd, 170);
    EXPECT_EQ(f[1].param, 0);
    EXPECT_EQ(f[2].cmd, 200);
    EXPECT_EQ(f[2].param, 100);
}

TEST_F(LinkSim, SendValueGivesUpAfterSevenFramesWhenNeverAcknowledged)
{
    ASSERT_TRUE(open({"--drop-acks", "100"}));
    EXPECT_FALSE(link.send_value(2, 30));
    QTRY_COMPARE_WITH_TIMEOUT(sim.frames(34).size(), 7, 3000);
    const auto f = sim.frames(34);
    for (int i = 1; i < f.size(); ++i) {
        EXPECT_EQ(f[i].param, 30);
        // Each retry follows a full reply window and the 50 ms pause.
        EXPECT_GE(f[i].ms - f[i - 1].ms, 200) << i;
    }
}

TEST_F(LinkSim, SendValueSucceedsAtTheFirstAcknowledgement)
{
    ASSERT_TRUE(open({"--drop-acks", "2"}));
    EXPECT_TRUE(link.send_value(4, 1));
    QTest::qWait(300);
    EXPECT_EQ(sim.frames(36).size(), 3);
    EXPECT_EQ(link.rx_buffer, link.expected_reply);
}

TEST_F(LinkSim, CancelEndsAWaitWellBeforeItsTimeOut)
{
    ASSERT_TRUE(open({"--silent"}));
    link.expected_reply = "never";
    QTimer::singleShot(100, [&] { link.abort(); });
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(link.wait_reply(3000));
    EXPECT_LT(t.elapsed(), 1000);
}

TEST_F(LinkSim, ReadsTheMissionName)
{
    ASSERT_TRUE(open({"--name", "SKLAD 4"}));
    EXPECT_TRUE(link.read_misname());
    EXPECT_EQ(link.mission_name, QStringLiteral("SKLAD 4"));
    EXPECT_EQ(sim.frames(13).size(), 1);
    EXPECT_EQ(ui.calls.last(), QStringLiteral("progress_hide"));
}

TEST_F(LinkSim, SilentLoggerGivesNoMissionName)
{
    ASSERT_TRUE(open({"--silent"}));
    EXPECT_FALSE(link.read_misname());
    EXPECT_TRUE(link.mission_name.isEmpty());
    EXPECT_EQ(ui.count("progress_show:Názov prístroja"), 3);
    QTRY_COMPARE_WITH_TIMEOUT(sim.frames(13).size(), 4, 3000);
}

TEST_F(LinkSim, BlockReadAddressesThePosition)
{
    ASSERT_TRUE(open({"--type", "89"}));
    link.record_length = 6;
    EXPECT_TRUE(link.read_block(3));
    EXPECT_EQ(link.rx_buffer.size(), 66);
    QTRY_COMPARE_WITH_TIMEOUT(sim.frames(12).size(), 1, 3000);
    const auto lo = sim.frames(11);
    ASSERT_EQ(lo.size(), 1);
    EXPECT_EQ(lo[0].param, 18);
    EXPECT_EQ(sim.frames(12)[0].param, 4);
}

TEST_F(LinkSim, BlockWithAWrongSumIsRejected)
{
    ASSERT_TRUE(open({"--type", "89", "--corrupt-block", "1"}));
    link.record_length = 6;
    EXPECT_FALSE(link.read_block(0));
    // The fault hit one reply only: the next read of the same block passes.
    EXPECT_TRUE(link.read_block(0));
    EXPECT_EQ(link.rx_buffer.size(), 66);
}

TEST_F(LinkSim, PortFollowsTheDeviceWhenItComesBack)
{
    ASSERT_TRUE(open({"--name", "PRVY"}));
    ASSERT_TRUE(link.read_misname());
    // The logger goes away while the port stays open: nothing is read and no
    // descriptor keeps reporting a dead device.
    sim.kill();
    EXPECT_FALSE(link.read_misname());
    EXPECT_TRUE(drv.Connected());
    // The same device path comes back; the port carries on with it.
    ASSERT_TRUE(sim.restart({"--name", "DRUHY"}));
    link.delay(1200);
    EXPECT_TRUE(link.read_misname());
    EXPECT_EQ(link.mission_name, QStringLiteral("DRUHY"));
}
