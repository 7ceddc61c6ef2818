// The simulated logger seen through a plain file descriptor, without the
// program's serial driver: echo, acknowledgements, data replies, faults.
#include "common/sim_process.h"

#include "sim_line.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

using namespace simtest;
using vxtest::SimProcess;

TEST(SimLine, EchoesAndAcknowledgesCommands)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--type", "89"})) << sim.errors().toStdString();
    EXPECT_TRUE(QFileInfo(sim.link()).isSymLink());
    Line line(sim.link());
    ASSERT_TRUE(line.ok());

    // Interval 10: echo 13 10 34 10 126, then 34 10 0xAA 0x55 and nothing else.
    EXPECT_EQ(line.exchange(34, 10, 9), (Bytes{13, 10, 34, 10, 126, 34, 10, 170, 85}));
    // Command 170 parameter 0 has check 0.
    EXPECT_EQ(line.exchange(170, 0, 9), (Bytes{13, 10, 170, 0, 0, 170, 0, 170, 85}));

    const auto frames = sim.frames();
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[0].cmd, 34);
    EXPECT_EQ(frames[0].param, 10);
    EXPECT_EQ(frames[1].cmd, 170);
    EXPECT_LE(frames[0].ms, frames[1].ms);

    // The new interval shows in the status block at offset 18.
    const Bytes status = line.exchange(10, 160, 29);
    ASSERT_EQ(status.size(), 29u);
    EXPECT_EQ(status[18], 10);
}

TEST(SimLine, NameBlockIsPaddedAndSummed)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--name", "TEST"}));
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    // 'T' 'E' 'S' 'T' = 84 69 83 84, twelve blanks of 32: sum 704 mod 256 = 192.
    const Bytes expected{13, 10, 13, 1,  156, 84, 69, 83, 84, 32, 32,
                         32, 32, 32, 32, 32,  32, 32, 32, 32, 32, 192};
    EXPECT_EQ(line.exchange(13, 1, 22), expected);

    // The name characters 48..63 rename the mission; blanks pad it.
    for (int i = 0; i < 16; ++i) {
        const std::uint8_t ch = i < 2 ? static_cast<std::uint8_t>("AB"[i]) : ' ';
        ASSERT_EQ(line.exchange(48 + i, ch, 9).size(), 9u);
    }
    const Bytes renamed = line.exchange(13, 1, 22);
    ASSERT_EQ(renamed.size(), 22u);
    EXPECT_EQ(renamed[5], 'A');
    EXPECT_EQ(renamed[6], 'B');
    EXPECT_EQ(renamed[7], ' ');
    EXPECT_EQ(renamed[21], (65 + 66 + 14 * 32) % 256);
}

TEST(SimLine, BlockReplyCarriesTenRecordsAndTheirSum)
{
    SimProcess sim;
    ASSERT_TRUE(
        sim.start({"--type", "89", "--start", "2024-03-01T12:00", "--interval", "10", "--fill", "30"}));
    Line line(sim.device());
    ASSERT_TRUE(line.ok());

    // Position 3 with 6-byte records: address 3 * 6 + 1024 = 1042 = 4 * 256 + 18.
    EXPECT_EQ(line.exchange(11, 18, 9), (Bytes{13, 10, 11, 18, 141, 11, 18, 170, 85}));
    const Bytes block = line.exchange(12, 4, 66);
    ASSERT_EQ(block.size(), 66u);
    EXPECT_EQ((Bytes{block.begin(), block.begin() + 5}), (Bytes{13, 10, 12, 4, 154}));
    // Record 3: 12:30 on 1.3.2024 (day 8826 = 0x227A), raw 320 + 21 = 341 = 0x0155.
    EXPECT_EQ((Bytes{block.begin() + 5, block.begin() + 11}), (Bytes{30, 12, 0x7A, 0x22, 0x55, 0x01}));
    // Record 12, the last of the block: 14:00, raw 320 + 84 = 404 = 0x0194.
    EXPECT_EQ((Bytes{block.begin() + 59, block.begin() + 65}), (Bytes{0, 14, 0x7A, 0x22, 0x94, 0x01}));
    EXPECT_EQ(block[65], sum_of(block, 5, 65));

    // The ring dump tells the same story.
    const QStringList ring = sim.ring();
    ASSERT_EQ(ring.size(), 30);
    EXPECT_EQ(ring[3], "3\t2024-03-01 12:30:00\t341");

    // Positions never written read as erased memory.
    line.exchange(11, (40 * 6 + 1024) % 256, 9);
    const Bytes empty = line.exchange(12, (40 * 6 + 1024) / 256, 66);
    ASSERT_EQ(empty.size(), 66u);
    EXPECT_EQ(empty[5], 0xFF);
    EXPECT_EQ(empty[64], 0xFF);
}

TEST(SimLine, FindsFramesAfterNoise)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start());
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    // Stray bytes, a lone CR and a CR CR LF run before a good frame.
    line.send({0x55, 13, 7, 13, 13, 10, 34, 5, 131});
    EXPECT_EQ(line.read(13), (Bytes{0x55, 13, 7, 13, 13, 10, 34, 5, 131, 34, 5, 170, 85}));
    ASSERT_EQ(sim.frames().size(), 1);
    EXPECT_EQ(sim.frames()[0].param, 5);
}

TEST(SimLine, LinkOverARealFileIsRefused)
{
    SimProcess sim;
    QFile file(sim.link());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep");
    file.close();
    EXPECT_FALSE(sim.start());
    EXPECT_FALSE(QFileInfo(sim.link()).isSymLink());
    EXPECT_EQ(QFileInfo(sim.link()).size(), 4);
}

TEST(SimLine, BadCheckFrameIsEchoedButNotAnswered)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start());
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    line.send({13, 10, 13, 1, 157});
    EXPECT_EQ(line.read(5, 600, 300), (Bytes{13, 10, 13, 1, 157}));
    EXPECT_FALSE(sim.wait_frames(1, 300));
    // The next good frame is answered as usual.
    line.send(Line::frame(13, 1));
    EXPECT_TRUE(sim.wait_frames(1));
    EXPECT_EQ(line.read(22).size(), 22u);
}

TEST(SimLine, StatusBlockOfDigitalLogger)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--type", "89", "--serial", "4660", "--fill", "300", "--clock",
                           "2024-03-01T10:20:30", "--battery", "12", "--corr1", "131", "--raw1", "400"}));
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    const Bytes s = line.exchange(10, 160, 29);
    ASSERT_EQ(s.size(), 29u);
    EXPECT_EQ(s[5], 89);
    // The clock runs from 10:20:30; allow for a second or two of start-up.
    EXPECT_GE(s[6], 30);
    EXPECT_LE(s[6], 33);
    EXPECT_EQ(s[7], 20);
    EXPECT_EQ(s[8], 10);
    EXPECT_EQ(s[9], 0x7A);
    EXPECT_EQ(s[10], 0x22);
    EXPECT_EQ(s[11], 300 % 256); // pointer = fill
    EXPECT_EQ(s[12], 300 / 256);
    EXPECT_EQ(s[15], 12);
    EXPECT_EQ(s[16], 0x34); // serial 4660 = 0x1234
    EXPECT_EQ(s[17], 0x12);
    EXPECT_EQ(s[22], 131);
    EXPECT_EQ(s[26], 0x90); // 400 = 0x0190
    EXPECT_EQ(s[27], 0x01);
    EXPECT_EQ(s[28], 0);
}

TEST(SimLine, ClockCommandsSetTheLoggerClock)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--clock", "2030-06-15T08:00:00"}));
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    // 1 March 2024 is day 8826: 122 + 34 * 256.
    for (auto [cmd, param] : {std::pair{22, 5}, {23, 59}, {24, 23}, {25, 122}, {26, 34}})
        ASSERT_EQ(line.exchange(cmd, param, 9),
                  (Bytes{13, 10, static_cast<std::uint8_t>(cmd), static_cast<std::uint8_t>(param),
                         static_cast<std::uint8_t>(170 - cmd - param), static_cast<std::uint8_t>(cmd),
                         static_cast<std::uint8_t>(param), 170, 85}));
    const Bytes s = line.exchange(10, 160, 29);
    ASSERT_EQ(s.size(), 29u);
    EXPECT_LE(s[6], 8);
    EXPECT_EQ(s[7], 59);
    EXPECT_EQ(s[8], 23);
    EXPECT_EQ(s[9], 122);
    EXPECT_EQ(s[10], 34);
}

TEST(SimFaults, DroppedAcknowledgementsAndCorruptBlocks)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--drop-acks", "1", "--corrupt-block", "2", "--corrupt-block-times", "2"}));
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    EXPECT_EQ(line.exchange(35, 4, 9), (Bytes{13, 10, 35, 4, 131}));
    EXPECT_EQ(line.exchange(35, 4, 9), (Bytes{13, 10, 35, 4, 131, 35, 4, 170, 85}));

    std::vector<bool> good;
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(line.exchange(11, 0, 9).size(), 9u);
        const Bytes b = line.exchange(12, 4, 66);
        ASSERT_EQ(b.size(), 66u);
        good.push_back(b[65] == sum_of(b, 5, 65));
    }
    EXPECT_EQ(good, (std::vector<bool>{true, false, false, true}));
}

TEST(SimFaults, SilentLoggerAndReplyDelay)
{
    SimProcess silent;
    ASSERT_TRUE(silent.start({"--silent"}));
    Line quiet(silent.device());
    ASSERT_TRUE(quiet.ok());
    EXPECT_TRUE(quiet.exchange(13, 1, 22).empty());
    // It still hears the frame, so tests can count the tries.
    ASSERT_EQ(silent.frames().size(), 1);
    EXPECT_EQ(silent.frames()[0].cmd, 13);

    SimProcess slow;
    ASSERT_TRUE(slow.start({"--reply-delay", "400"}));
    Line line(slow.device());
    ASSERT_TRUE(line.ok());
    line.send(Line::frame(13, 1));
    // The echo comes at once, the answer only after the delay.
    EXPECT_EQ(line.read(22, 250, 0).size(), 5u);
    EXPECT_EQ(line.read(17, 1500).size(), 17u);

    // A frame repeated while the answer is pending is echoed at once; the
    // late answers follow in order.
    line.send(Line::frame(34, 1));
    EXPECT_EQ(line.read(5, 100, 0).size(), 5u);
    line.send(Line::frame(34, 1));
    EXPECT_EQ(line.read(13, 1500), (Bytes{13, 10, 34, 1, 135, 34, 1, 170, 85, 34, 1, 170, 85}));
}

TEST(SimFaults, ClosesAfterBlocksAndRestartsOnTheSameLink)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--close-after-blocks", "1"}));
    const QString link = sim.link();
    {
        Line line(sim.link());
        ASSERT_TRUE(line.ok());
        ASSERT_EQ(line.exchange(11, 0, 9).size(), 9u);
        EXPECT_EQ(line.exchange(12, 4, 66).size(), 66u);
    }
    for (int i = 0; i < 50 && sim.running(); ++i)
        usleep(20000);
    EXPECT_FALSE(sim.running());

    ASSERT_TRUE(sim.restart({"--name", "DRUHA"}));
    EXPECT_EQ(sim.link(), link);
    Line line(sim.link());
    ASSERT_TRUE(line.ok());
    const Bytes name = line.exchange(13, 1, 22);
    ASSERT_EQ(name.size(), 22u);
    EXPECT_EQ(name[5], 'D');
    sim.kill();
    EXPECT_FALSE(QFileInfo::exists(link)); // the symlink goes with the simulator
}
