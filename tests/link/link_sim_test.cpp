// The link against the simulated logger, and the simulator checked byte for byte against the wire
// layout (status blocks, the ring, framing, faults); expected bytes are written out from the protocol.
#include "common/test_state.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace
{

class LinkSim : public ::testing::Test, protected vxtest::TestState
{
protected:
    // Sends a frame; what came back once want bytes are there and a short wait for any extra.
    QByteArray exchange(int cmd, int param, int want)
    {
        link.send_command(std::uint8_t(cmd), std::uint8_t(param));
        link.wait_length(want, 30);
        link.delay(60);
        return link.rx_buffer;
    }
    vx::Link& link = g.link;
};

} // namespace

TEST_F(LinkSim, PortFollowsTheDeviceWhenItComesBack)
{
    ASSERT_TRUE(connect({"--name", "PRVY"}));
    ASSERT_TRUE(link.read_misname());
    // The logger goes away while the port stays open: nothing is read and no
    // descriptor keeps reporting a dead device.
    sim.kill();
    EXPECT_FALSE(link.read_misname());
    EXPECT_TRUE(driver.Connected());
    // The same device path comes back; the port carries on with it.
    ASSERT_TRUE(sim.restart({"--name", "DRUHY"}));
    link.delay(1200);
    EXPECT_TRUE(link.read_misname());
    EXPECT_EQ(link.mission_name, QStringLiteral("DRUHY"));
}

TEST_F(LinkSim, StatusBlocksAndWhatTheCommandsChangeInThem)
{
    // Simulator arguments; commands sent first ("command:parameter", hex);
    // status length with the echo; the first byte compared (6 holds the
    // seconds); the bytes expected from there (hex).
    const struct {
        const char *args, *commands;
        int length, from;
        const char* expected;
    } cases[] = {
        // Fields only commands change, and coefficient blocks no decoder test reads from here.
        {"--type 103", "4d:10 4e:03 4f:00 50:00", 46, 42, "10 03 00 00"}, // the mission start's limits
        {"--type 133", "10:20 11:10 10:21 11:0c 10:22 11:80", 45, 32, "10 0c 80 00"}, // calibration words
        // 0.5, 2, -1, 0.25; the 17 bytes add up to 170: 0x3F + 0x40 + 0x80 + 0xBF + 0x80 + 0x3E = 124, so 46.
        {"--type 111 --raw1 300 --raw2 1800 --coef 0.5,2,-1,0.25", "", 47, 26,
         "2c 01 08 07 00 00 00 3f 00 00 00 40 00 00 80 bf 00 00 80 3e 2e"},
        // Flow constants A = 1, B = 10, type 0 and check 159; then A = 500, B = 20, type 2 (sum 11 again).
        {"--type 107 --raw1 4660", "", 42, 26, "34 12 00 00 01 00 0a 00 00 9f"},
        {"--type 107", "40:f4 41:01 42:14 43:00 44:02 45:9f", 42, 29, "00 f4 01 14 00 02 9f"},
        // 1.0, 0.5, 0.0 one byte per command 64..75 and the check with 76: one off is ignored.
        {"--type 86 --coef 0,1,0",
         "40:00 41:00 42:80 43:3f 44:00 45:00 46:00 47:3f 48:00 49:00 4a:00 4b:00 4c:ad", 42, 29,
         "00 00 00 00 00 00 80 3f 00 00 00 00 eb"},
        {"--type 86 --coef 0,1,0",
         "40:00 41:00 42:80 43:3f 44:00 45:00 46:00 47:3f 48:00 49:00 4a:00 4b:00 4c:ac", 42, 29,
         "00 00 80 3f 00 00 00 3f 00 00 00 00 ac"},
        // 23:59 on day 8826; the old format in BCD, the 15th of June, year bits 1, without acknowledgements.
        {"--type 89", "16:05 17:3b 18:17 19:7a 1a:22", 29, 7, "3b 17 7a 22"},
        {"--type 55", "22:05 23:59 24:23 25:55 26:06", 28, 11, "59 23 55 06"},
        {"--type 133 --fill 5", "1b:00 1c:00", 45, 11, "00 00"}, // a mission start clears the pointer
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        QStringList args = QString(c.args).split(' ');
        ASSERT_TRUE(connect(args + QStringList{"--clock", "2024-03-01T10:20:30"}))
            << sim.errors().toStdString();
        const bool old_format = args[1] == "55"; // no acknowledgements
        for (const QString& command : QString(c.commands).split(' ', Qt::SkipEmptyParts))
            exchange(command.left(2).toInt(nullptr, 16), command.mid(3).toInt(nullptr, 16),
                     old_format ? 5 : 9);
        const QByteArray s = exchange(10, 160, c.length);
        ASSERT_EQ(s.size(), c.length);
        EXPECT_EQ(s.left(5), QByteArray("\r\n\x0A\xA0\x00", 5));
        if (!old_format) {
            EXPECT_EQ(static_cast<unsigned char>(s[5]), args[1].toInt());
        }
        const QByteArray expected = QByteArray::fromHex(c.expected);
        EXPECT_EQ(s.mid(c.from, expected.size()).toHex(' '), expected.toHex(' '));
        link.close_comport();
    }
}

TEST_F(LinkSim, RingDumpAndBlocksAgreeWithTheRecordRules)
{
    // Record k lies at position k, stamped start + k x interval, with a first
    // raw value of 320 + (7k mod 160); the values below are worked out by hand.
    ASSERT_TRUE(connect({"--type", "89", "--start", "2024-03-01T12:00", "--fill", "30"}));
    ASSERT_EQ(sim.ring().size(), 30);
    EXPECT_EQ(sim.ring()[3], "3\t2024-03-01 12:30:00\t341");
    // Position 3 with 6-byte records: address 3 * 6 + 1024 = 1042 = 4 * 256 + 18.
    EXPECT_EQ(exchange(11, 18, 9).toHex(' '), "0d 0a 0b 12 8d 0b 12 aa 55");
    QByteArray block = exchange(12, 4, 66);
    ASSERT_EQ(block.size(), 66);
    // Record 3: 12:30 on day 8826 = 0x227A, raw 341 = 0x155; record 12: 14:00, raw 404 = 0x194.
    EXPECT_EQ(block.mid(5, 6).toHex(' '), "1e 0c 7a 22 55 01");
    EXPECT_EQ(block.mid(59, 6).toHex(' '), "00 0e 7a 22 94 01");
    std::uint8_t sum = 0; // of the records
    for (char c : block.mid(5, 60))
        sum += std::uint8_t(c);
    EXPECT_EQ(std::uint8_t(block[65]), sum);
    // Positions never written read as erased memory.
    exchange(11, (40 * 6 + 1024) % 256, 9);
    EXPECT_EQ(exchange(12, (40 * 6 + 1024) / 256, 66).mid(5, 6).toHex(' '), "ff ff ff ff ff ff");

    // A wrapped ring: position 0 holds record 7000 (70000 minutes on), position 5 still record 5.
    ASSERT_TRUE(connect({"--type", "133", "--wrap", "--fill", "5", "--start", "2024-01-01T00:00"}));
    const QStringList ring = sim.ring();
    ASSERT_EQ(ring.size(), 7000);
    EXPECT_EQ(ring[0], "0\t2024-02-18 14:40:00\t360\t1500\t110");
    EXPECT_EQ(ring[5], "5\t2024-01-01 00:50:00\t355\t1555\t105");

    // Interval 75 of the level logger is 15 seconds, kept in value B: record 3 at 00:00:45, raw 439.
    ASSERT_TRUE(connect({"--type", "132", "--interval", "75", "--fill", "5", "--start", "2024-01-01T00:00"}));
    EXPECT_EQ(sim.ring().value(3), "3\t2024-01-01 00:00:45\t439\t45");
    exchange(11, 24, 9); // 3 * 8 + 1024 = 4 * 256 + 24
    EXPECT_EQ(exchange(12, 4, 86).mid(5, 8).toHex(' '), "00 00 3e 22 b7 01 2d 00");
}

TEST_F(LinkSim, FramingFaultsAndRefusals)
{
    ASSERT_TRUE(connect({"--reply-delay", "400"}));
    // Stray bytes, a lone CR and a CR CR LF run before a good frame; then a
    // frame with a bad check, echoed but not answered. The echo comes at
    // once, the answer only after the delay.
    const QByteArray noise = QByteArray::fromHex("550d070d0d0a220583") + QByteArray::fromHex("0d0a0d019d");
    driver.SendData(noise.constData(), std::uint32_t(noise.size()));
    link.wait_length(14, 10);
    EXPECT_EQ(link.rx_buffer, noise);
    link.delay(700);
    EXPECT_EQ(link.rx_buffer.mid(14).toHex(' '), "22 05 aa 55");
    ASSERT_EQ(sim.frames().size(), 1);
    EXPECT_EQ(sim.frames()[0].param, 5);

    // The link path never replaces a real file; an unknown type or a short
    // coefficient list is refused.
    sim.kill();
    EXPECT_FALSE(QFileInfo::exists(sim.link())); // the symlink goes with the simulator
    QFile file(sim.link());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep");
    file.close();
    EXPECT_FALSE(sim.start());
    EXPECT_EQ(QFileInfo(sim.link()).size(), 4);
    EXPECT_FALSE(sim.start({"--type", "91"}));
    EXPECT_FALSE(sim.start({"--coef", "1,2"}));
}
