// The poll cycle over the real serial driver against the simulated logger:
// every model is recognised from what the simulator sends, and a few models'
// readings come out as the protocol's rules say for the raw values given.
#include "common/sim_process.h"
#include "common/temp_home.h"
#include "fakes.h"
#include "link/serial_port.h"
#include "logger/catalogue.h"
#include "logger/poll.h"
#include "logger/program_state.h"

#include <gtest/gtest.h>

using namespace vx;

namespace
{

class PollSim : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g.program_dir = home.dir();
        g.lang.build_language_tables(home.dir(), "SLOVAK");
        g.ui = &ui;
        g.now = [] { return QDateTime(QDate(2024, 3, 1), QTime(10, 45, 30)); };
        g.link.attach_driver(&driver);
        g.link.attach_ui(&ui);
    }
    void TearDown() override { g.link.close_comport(); }

    bool connect(QStringList args, int serial = 2468)
    {
        args << "--serial" << QString::number(serial);
        args << "--clock"
             << "2024-03-01T10:45:30";
        if (!sim.start(args)) return false;
        const bool open = g.link.open_comport(1, {{1, sim.device()}});
        g.link.rx_buffer.clear(); // nothing of an earlier logger
        return open;
    }

    // Waits for at least length bytes and lets the rest of a longer reply
    // arrive, as the poll period does in the program.
    void settle(int length)
    {
        g.link.wait_length(length, 20);
        g.link.delay(80);
    }

    // Ticks until a status reply of the attached model has been decoded.
    bool poll_status(int reply_length)
    {
        for (int i = 0; i < 8; ++i) {
            const bool status_next = (g.poll.tick & 3) != 0;
            poll.tick();
            settle(reply_length);
            if (status_next && display.link_status == "OK") return true;
        }
        return false;
    }

    vxtest::TempHome home;
    vxtest::SimProcess sim;
    TCommPortDriver driver;
    Global g;
    vxtest::FakeDisplay display;
    vxtest::LoggerUi ui;
    PollCycle poll{g, display};
};

} // namespace

TEST_F(PollSim, EveryModelIsRecognised)
{
    for (const ModelRow& row : all_models()) {
        SCOPED_TRACE(row.type);
        g.link.close_comport();
        display = vxtest::FakeDisplay{};
        const int serial = 2000 + row.type;
        ASSERT_TRUE(connect(QStringList{"--type", QString::number(row.type)}, serial))
            << sim.errors().toStdString();
        const int length = row.type == 55 ? 28 : row.status_length;
        ASSERT_TRUE(poll_status(length)) << "status reply of " << g.link.rx_buffer.size() << " bytes";
        EXPECT_EQ(g.ident.type_code, row.type);
        EXPECT_EQ(g.status.serial, serial);
        ASSERT_FALSE(display.views.empty());
        EXPECT_EQ(display.views.back().pansn.text, QString::number(serial));
        EXPECT_EQ(display.views.back().PanTime.text, "1.3.2024 10:45:30");
        // Clocks within a few seconds of each other: no warning; only the
        // current-loop models bring their one-time notice.
        EXPECT_EQ(ui.messages.size(), row.one_time_notice ? 1 : 0);
        ui.messages.clear();
    }
}

TEST_F(PollSim, ReadingsAndMissionName)
{
    ASSERT_TRUE(connect({"--type", "87", "--raw1", "400", "--raw2", "500", "--coef", "0,0.1,0", "--battery",
                         "12", "--pointer", "77", "--name", "SKLAD"}))
        << sim.errors().toStdString();
    ASSERT_TRUE(poll_status(44));
    const StatusView& v = display.views.back();
    EXPECT_EQ(v.pantemp.text, " 25,0");
    EXPECT_EQ(v.panhumi.text, " 50,0");
    EXPECT_EQ(v.panbat.text, "60%");
    EXPECT_EQ(v.panptr.text, "77");
    EXPECT_EQ(g.ident.ring_size, 3901);
    EXPECT_EQ(g.link.record_length, 8);
    EXPECT_TRUE(g.coef.humidity_block_valid);
    // Go on to the name tick.
    for (int i = 0; i < 4 && display.names.isEmpty(); ++i) {
        poll.tick();
        settle(44);
    }
    EXPECT_EQ(display.names, QStringList{"SKLAD"});
    EXPECT_EQ(display.checks, 1);
}

TEST_F(PollSim, CurrentLoopReadings)
{
    ASSERT_TRUE(
        connect({"--type", "130", "--raw1", "1000", "--raw2", "12", "--coef", "4,0.01,0", "--battery", "90"}))
        << sim.errors().toStdString();
    ASSERT_TRUE(poll_status(47));
    const StatusView& v = display.views.back();
    EXPECT_EQ(v.pantemp.text, "  14,00");
    EXPECT_EQ(v.panhumi.text, "     12");
    EXPECT_EQ(v.panbat.text, "3,0 V");
}

TEST_F(PollSim, SilentLoggerIsDeclaredLost)
{
    ASSERT_TRUE(connect({"--type", "85", "--silent"})) << sim.errors().toStdString();
    for (int i = 0; i < 6; ++i) {
        poll.tick();
        g.link.delay(60);
    }
    // Six ticks: one name decode and five status decodes without an answer.
    EXPECT_EQ(display.link_status, "Nepripojeny");
    EXPECT_GE(display.cleared, 1);
}
