// Status blocks, coefficient transfers, the old-format logger and the record
// ring of the simulated logger, checked byte for byte against the wire layout.
#include "common/sim_process.h"

#include "sim_line.h"

#include <gtest/gtest.h>

#include <map>

using namespace simtest;
using vxtest::SimProcess;

namespace
{

Bytes slice(const Bytes& b, std::size_t from, std::size_t to)
{
    if (to > b.size() || from > to) return {};
    return Bytes(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(to));
}

// The status block without its seconds byte, which moves with the clock.
Bytes without_seconds(Bytes b)
{
    if (b.size() > 6) b[6] = 0;
    return b;
}

} // namespace

TEST(SimStatus, AnalogLoggerWithCoefficientsAndRawLimits)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--type",     "103",  "--serial",  "513",     "--clock",    "2024-03-01T10:20:30",
                           "--fill",     "30",   "--battery", "108",     "--corr1",    "131",
                           "--raw1",     "1100", "--coef",    "1,0.5,0", "--limit-lo", "1060",
                           "--limit-hi", "1200"}));
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    const Bytes expected{
        13,   10,   10,   160,  0, // echo
        103,  0,    20,   10,      // type, (seconds), minutes, hours
        0x7A, 0x22,                // day 8826 = 1.3.2024
        30,   0,    0,    0,       // pointer, delay
        108,  0x01, 0x02,          // battery, serial 513
        10,   0,    1,    1,       // interval, threshold, rollover, mission
        131,  0,    0,    0,       // correction 1, model bytes
        0x4C, 0x04, 0,             // raw 1100, no sensor error
        0,    0,    0x80, 0x3F,    // a0 = 1.0
        0,    0,    0,    0x3F,    // a1 = 0.5
        0,    0,    0,    0,       // a2 = 0
        172,                       // 170 - (0x80 + 0x3F + 0x3F) mod 256
        0x24, 0x04, 0xB0, 0x04,    // raw limits 1060 and 1200
    };
    ASSERT_EQ(expected.size(), 46u);
    EXPECT_EQ(without_seconds(line.exchange(10, 160, 46)), expected);

    // The mission start's raw-count limits (77..80) land in the same fields.
    for (auto [cmd, param] : {std::pair{77, 0x10}, {78, 0x03}, {79, 0}, {80, 0}})
        ASSERT_EQ(line.exchange(cmd, param, 9).size(), 9u);
    const Bytes after = line.exchange(10, 160, 46);
    EXPECT_EQ(slice(after, 42, 46), (Bytes{0x10, 0x03, 0, 0}));
}

TEST(SimStatus, CapacitiveHumidityWithAirPressure)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--type", "133", "--serial",  "1",    "--clock", "2024-03-01T10:20:30",
                           "--fill", "0",   "--battery", "141",  "--corr1", "3",
                           "--raw1", "400", "--raw2",    "2000", "--raw3",  "113",
                           "--err1", "1"}));
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    const Bytes expected{
        13,   10,   10,   160,  0,                // echo
        133,  0,    20,   10,   0x7A, 0x22,       // type, time, day 8826
        0,    0,    0,    0,    141,  1,    0,    // pointer, delay, battery, serial
        10,   0,    1,    1,    3,    0,    0, 0, // settings, correction 1
        0x90, 0x01, 1,                            // temperature raw 400, sensor error
        0xD0, 0x07,                               // humidity raw 2000
        113,                                      // air pressure - 900
        0xB8, 0x0B, 0xA0, 0x00,                   // F0 3000, S 160
        0,    0,    0,                            // trim bytes
        0,    0,    0,    0,    0,    0,          // unused
    };
    ASSERT_EQ(expected.size(), 45u);
    EXPECT_EQ(without_seconds(line.exchange(10, 160, 45)), expected);

    // Humidity calibration words go to memory cells 32..35 and show as F0 and S.
    for (auto [cmd, param] : {std::pair{16, 32}, {17, 0x10}, {16, 33}, {17, 0x0C}, {16, 34}, {17, 0x80}})
        ASSERT_EQ(line.exchange(cmd, param, 9).size(), 9u);
    const Bytes after = line.exchange(10, 160, 45);
    EXPECT_EQ(slice(after, 32, 36), (Bytes{0x10, 0x0C, 0x80, 0x00}));
}

TEST(SimStatus, WindLoggerCarriesFourCoefficients)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--type", "111", "--raw1", "300", "--raw2", "1800", "--coef", "0.5,2,-1,0.25"}));
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    const Bytes s = line.exchange(10, 160, 47);
    ASSERT_EQ(s.size(), 47u);
    EXPECT_EQ(slice(s, 26, 30), (Bytes{0x2C, 0x01, 0x08, 0x07}));
    // 0.5, 2, -1, 0.25; the check makes the 17 bytes add up to 170:
    // 0x3F + 0x40 + 0x80 + 0xBF + 0x80 + 0x3E = 636 = 124 mod 256, 170 - 124 = 46.
    EXPECT_EQ(slice(s, 30, 47),
              (Bytes{0, 0, 0, 0x3F, 0, 0, 0, 0x40, 0, 0, 0x80, 0xBF, 0, 0, 0x80, 0x3E, 46}));
}

TEST(SimStatus, FlowConstantsAreWholeNumbers)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--type", "107", "--raw1", "4660"}));
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    Bytes s = line.exchange(10, 160, 42);
    ASSERT_EQ(s.size(), 42u);
    EXPECT_EQ(slice(s, 26, 28), (Bytes{0x34, 0x12}));
    // Defaults A = 1, B = 10, conversion type 0; 1 + 10 = 11, check 159.
    EXPECT_EQ(slice(s, 29, 36), (Bytes{0, 1, 0, 10, 0, 0, 159}));

    // A = 500, B = 20, type 2: 0xF4 + 0x01 + 20 + 0 + 2 = 267 = 11 mod 256, check 159.
    for (auto [cmd, param] : {std::pair{64, 0xF4}, {65, 0x01}, {66, 20}, {67, 0}, {68, 2}, {69, 159}})
        ASSERT_EQ(line.exchange(cmd, param, 9).size(), 9u);
    s = line.exchange(10, 160, 42);
    EXPECT_EQ(slice(s, 29, 36), (Bytes{0, 0xF4, 0x01, 20, 0, 2, 159}));
}

TEST(SimStatus, CoefficientSeriesIsTakenOnlyWithAGoodCheck)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--type", "86", "--coef", "0,1,0"}));
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    // 1.0, 0.5, 0.0 with check 172, sent one byte per command 64..76.
    const Bytes series{0, 0, 0x80, 0x3F, 0, 0, 0, 0x3F, 0, 0, 0, 0};
    auto send_series = [&](std::uint8_t check) {
        for (std::size_t i = 0; i < series.size(); ++i)
            ASSERT_EQ(line.exchange(static_cast<std::uint8_t>(64 + i), series[i], 9).size(), 9u);
        ASSERT_EQ(line.exchange(76, check, 9).size(), 9u);
    };
    send_series(173); // one off: ignored
    Bytes s = line.exchange(10, 160, 42);
    EXPECT_EQ(slice(s, 29, 42), (Bytes{0, 0, 0, 0, 0, 0, 0x80, 0x3F, 0, 0, 0, 0, 0xEB}));
    send_series(172);
    s = line.exchange(10, 160, 42);
    EXPECT_EQ(slice(s, 29, 42), (Bytes{0, 0, 0x80, 0x3F, 0, 0, 0, 0x3F, 0, 0, 0, 0, 172}));
}

TEST(SimStatus, EveryModelHasItsStatusAndRecordLength)
{
    // type: status length with the echo, record length.
    const std::map<int, std::pair<std::size_t, std::size_t>> models{
        {85, {29, 6}},  {86, {42, 6}},  {87, {44, 8}},  {88, {44, 8}},  {89, {29, 6}},  {90, {29, 6}},
        {92, {44, 8}},  {93, {29, 6}},  {94, {42, 6}},  {95, {42, 6}},  {96, {29, 6}},  {97, {42, 6}},
        {99, {32, 8}},  {100, {44, 8}}, {101, {42, 6}}, {102, {29, 6}}, {103, {46, 6}}, {105, {44, 8}},
        {106, {44, 8}}, {107, {42, 6}}, {108, {45, 8}}, {111, {47, 8}}, {128, {29, 6}}, {129, {46, 6}},
        {130, {47, 8}}, {131, {32, 8}}, {132, {47, 8}}, {133, {45, 9}},
    };
    for (const auto& [type, lengths] : models) {
        SCOPED_TRACE(type);
        SimProcess sim;
        ASSERT_TRUE(sim.start({"--type", QString::number(type), "--fill", "6"}));
        Line line(sim.device());
        ASSERT_TRUE(line.ok());
        const Bytes s = line.exchange(10, 160, lengths.first);
        ASSERT_EQ(s.size(), lengths.first);
        EXPECT_EQ(s[5], type);
        // Ring position 1: address record length + 1024.
        const int address = static_cast<int>(lengths.second) + 1024;
        ASSERT_EQ(line.exchange(11, address % 256, 9).size(), 9u);
        const Bytes block =
            line.exchange(12, static_cast<std::uint8_t>(address / 256), lengths.second * 10 + 6);
        ASSERT_EQ(block.size(), lengths.second * 10 + 6);
        EXPECT_EQ(block.back(), sum_of(block, 5, block.size() - 1));
        // Record 1 is stamped 2024-01-01 00:10 (day 8766 = 0x223E).
        EXPECT_EQ(slice(block, 5, 9), (Bytes{10, 0, 0x3E, 0x22}));
        // Positions 1..5 written, 6..10 erased.
        EXPECT_NE(block[5 + 4 * lengths.second], 0xFF);
        EXPECT_EQ(block[5 + 5 * lengths.second], 0xFF);
    }
}

TEST(SimStatus, UnknownTypeIsRefused)
{
    SimProcess sim;
    EXPECT_FALSE(sim.start({"--type", "91"}));
    EXPECT_FALSE(sim.start({"--coef", "1,2"}));
}

TEST(SimOldFormat, StatusCalibrationAndRecordStreams)
{
    SimProcess sim;
    ASSERT_TRUE(
        sim.start({"--type", "55", "--serial", "513", "--fill", "5", "--clock", "2024-03-01T10:20:30"}));
    Line line(sim.device());
    ASSERT_TRUE(line.ok());

    Bytes s = line.exchange(10, 160, 28);
    ASSERT_EQ(s.size(), 28u);
    // Serial LE, model 55 + 30, BCD 10:20, day 1 of a leap year, March,
    // pointer 5 high byte first, interval 10, then the sum of the 22 bytes.
    EXPECT_EQ(slice(s, 5, 10), (Bytes{0x01, 0x02, 85, 0, 0}));
    EXPECT_EQ(slice(s, 11, 27), (Bytes{0x20, 0x10, 0x01, 0x03, 0, 0, 0, 5, 0, 0, 10, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s[27], sum_of(s, 5, 27));

    // Calibration: raw value high byte first, a0 = -50, a1 = 0.05, a2 = 0, sum.
    const Bytes cal = line.exchange(11, 159, 30);
    ASSERT_EQ(cal.size(), 30u);
    EXPECT_EQ(slice(cal, 9, 17), (Bytes{0, 0, 0x48, 0xC2, 0xCD, 0xCC, 0x4C, 0x3D}));
    EXPECT_EQ(cal[29], sum_of(cal, 5, 29));

    // New records: all five; asked again, none.
    const Bytes all = line.exchange(47, 1, 5 + 35);
    ASSERT_EQ(all.size(), 40u);
    // Record 0: 00:00 on 1 January 2000+4k, raw 1400 = 0x0578, sum 0x7F.
    EXPECT_EQ(slice(all, 5, 12), (Bytes{0x00, 0x00, 0x01, 0x01, 0x05, 0x78, 0x7F}));
    // Record 4: 00:40, raw 1428 = 0x0594.
    EXPECT_EQ(slice(all, 33, 40), (Bytes{0x00, 0x40, 0x01, 0x01, 0x05, 0x94, 0xDB}));
    EXPECT_EQ(line.exchange(47, 1, 5).size(), 5u);

    // The two newest: N = 2 sent as 2 and 0 + 1; no acknowledgement for 45.
    EXPECT_EQ(line.exchange(45, 2, 5).size(), 5u);
    const Bytes newest = line.exchange(46, 1, 5 + 14);
    ASSERT_EQ(newest.size(), 19u);
    EXPECT_EQ(newest[6], 0x30);
    EXPECT_EQ(newest[13], 0x40);
}

TEST(SimOldFormat, ClockIsSetWithoutAcknowledgement)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--type", "55", "--clock", "2024-03-01T10:20:30"}));
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    // 23:59:05 on the 15th of June of a year with year mod 4 = 1.
    for (auto [cmd, param] : {std::pair{34, 0x05}, {35, 0x59}, {36, 0x23}, {37, 0x55}, {38, 0x06}})
        EXPECT_EQ(line.exchange(cmd, param, 5).size(), 5u);
    const Bytes s = line.exchange(10, 160, 28);
    ASSERT_EQ(s.size(), 28u);
    EXPECT_EQ(slice(s, 11, 15), (Bytes{0x59, 0x23, 0x55, 0x06}));
}

TEST(SimRing, WrappedRingAndMissionRestart)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--type", "133", "--wrap", "--fill", "5", "--start", "2024-01-01T00:00"}));
    const QStringList ring = sim.ring();
    ASSERT_EQ(ring.size(), 7000);
    // Position 0 holds record 7000: 70000 minutes later, raw 320 + 40, 1500 + 0, 100 + 10.
    EXPECT_EQ(ring[0], "0\t2024-02-18 14:40:00\t360\t1500\t110");
    // Position 5 still holds record 5 of the first lap.
    EXPECT_EQ(ring[5], "5\t2024-01-01 00:50:00\t355\t1555\t105");

    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    Bytes s = line.exchange(10, 160, 45);
    ASSERT_EQ(s.size(), 45u);
    EXPECT_EQ(slice(s, 11, 13), (Bytes{5, 0}));

    // A mission start clears the pointer; the memory then reads as erased.
    ASSERT_EQ(line.exchange(27, 0, 9).size(), 9u);
    ASSERT_EQ(line.exchange(28, 0, 9).size(), 9u);
    s = line.exchange(10, 160, 45);
    EXPECT_EQ(slice(s, 11, 13), (Bytes{0, 0}));
    ASSERT_EQ(line.exchange(11, 0, 9).size(), 9u);
    const Bytes block = line.exchange(12, 4, 96);
    ASSERT_EQ(block.size(), 96u);
    EXPECT_EQ(slice(block, 5, 14), Bytes(9, 0xFF));
}

TEST(SimRing, RunningMissionWritesNewRecords)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--fill", "0", "--record-every-ms", "100"}));
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    usleep(600000);
    const Bytes s = line.exchange(10, 160, 29);
    ASSERT_EQ(s.size(), 29u);
    EXPECT_GE(s[11], 3);
    EXPECT_LE(s[11], 12);
    // Switching the mission off stops the recording.
    ASSERT_EQ(line.exchange(37, 0, 9).size(), 9u);
    const int stopped_at = line.exchange(10, 160, 29)[11];
    usleep(400000);
    EXPECT_EQ(line.exchange(10, 160, 29)[11], stopped_at);
}

TEST(SimRing, LevelLoggerKeepsSecondsInValueB)
{
    SimProcess sim;
    ASSERT_TRUE(
        sim.start({"--type", "132", "--interval", "75", "--fill", "5", "--start", "2024-01-01T00:00"}));
    // Interval 75 means 15 seconds: record 3 at 00:00:45, raw 400 + 39.
    const QStringList ring = sim.ring();
    ASSERT_EQ(ring.size(), 5);
    EXPECT_EQ(ring[3], "3\t2024-01-01 00:00:45\t439\t45");
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    // Position 3 with 8-byte records: address 24 + 1024 = 1048 = 4 * 256 + 24.
    ASSERT_EQ(line.exchange(11, 24, 9).size(), 9u);
    const Bytes block = line.exchange(12, 4, 86);
    ASSERT_EQ(block.size(), 86u);
    EXPECT_EQ(slice(block, 5, 13), (Bytes{0, 0, 0x3E, 0x22, 0xB7, 0x01, 45, 0}));
}

TEST(SimRing, PointerCanBeSetApartFromTheRecords)
{
    // A pointer past the ring (10403 = 0x28A3) for tests of a broken logger.
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--type", "89", "--fill", "3", "--pointer", "10403"}));
    EXPECT_EQ(sim.ring().size(), 3);
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    const Bytes s = line.exchange(10, 160, 29);
    EXPECT_EQ(slice(s, 11, 13), (Bytes{0xA3, 0x28}));
}
