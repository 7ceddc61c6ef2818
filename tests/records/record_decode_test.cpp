// Record decoding: record layout, conversions and the per-model lines, from
// record bytes written out here by the layout rules.
#include "base/number_format.h"
#include "common/temp_home.h"
#include "common/test_data.h"
#include "records/conversions.h"
#include "records/record_decode.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

// Cases name only the members they set; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace vx;
using vxtest::at;

namespace
{

using Bytes = std::vector<std::uint8_t>;

// The first length bytes of a stored record: minute, hour, day number, A, B (8+ bytes), extra (9 bytes).
Bytes record(int minute, int hour, int day, int a, int b = 0, int extra = 0, int length = 6)
{
    Bytes r = {std::uint8_t(minute),   std::uint8_t(hour),     std::uint8_t(day & 0xFF),
               std::uint8_t(day >> 8), std::uint8_t(a & 0xFF), std::uint8_t(a >> 8),
               std::uint8_t(b & 0xFF), std::uint8_t(b >> 8),   std::uint8_t(extra)};
    r.resize(std::size_t(length));
    return r;
}

// A block reply: five echoed frame bytes, the records, a sum byte.
Bytes block(const std::vector<Bytes>& records)
{
    Bytes out = {0x0D, 0x0A, 12, 4, 0x92};
    for (const Bytes& r : records)
        out.insert(out.end(), r.begin(), r.end());
    out.push_back(std::uint8_t(std::accumulate(out.begin() + 5, out.end(), 0)));
    return out;
}

struct Fixture {
    Coefficients coef{.a0 = 2, .a1 = 0.5f, .a2 = 0.125f, .a3 = 2, .F0 = 3000, .S = 100, .kept = {10}};
    DecodeContext ctx;
    Fixture(std::uint16_t type) : ctx{.type_code = type, .corr1 = 0.5f, .corr2 = -1.0f, .coef = &coef} {}
};

// An old-format record: BCD hour and minute, day with the year bits, month, value high byte first, sum.
Bytes old_record(int hour_bcd, int minute_bcd, int year_bits, int day_bcd, int month_bcd, int value)
{
    Bytes r = {std::uint8_t(hour_bcd),  std::uint8_t(minute_bcd), std::uint8_t(year_bits << 6 | day_bcd),
               std::uint8_t(month_bcd), std::uint8_t(value >> 8), std::uint8_t(value & 0xFF)};
    r.push_back(std::uint8_t(std::accumulate(r.begin(), r.end(), 0)));
    return r;
}

} // namespace

TEST(ParseRecord, TimesAndRejects)
{
    const QDateTime invalid;
    const struct {
        int type, length;
        Bytes bytes;
        QDateTime time; // invalid: the record is rejected
    } cases[] = {
        // Day numbers count from 1 January 2000; every fourth year is a leap year, 2100 too.
        {85, 6, record(0, 0, 0, 0), at(2000, 1, 1)},
        {85, 6, record(0, 0, 59, 0), at(2000, 2, 29)},
        {85, 6, record(0, 0, 366, 0), at(2001, 1, 1)},
        {85, 6, record(59, 23, 365 + 366 + 58, 0), at(2002, 2, 28, 23, 59)},
        {85, 6, record(0, 12, 36525 + 59, 0), invalid}, // 29.2.2100 is not in the real calendar
        {85, 6, record(0, 12, 36525 + 60, 0), at(2100, 3, 1, 12, 0)},
        {133, 9, record(30, 0x80 | 14, 1, 0, 0, 0, 9),
         at(2000, 1, 2, 14, 30)}, // the hour's flag bit is ignored
        {85, 6, record(60, 10, 5, 0), invalid},
        {85, 6, record(0, 24, 5, 0), invalid},
        {0, 6, record(0, 10, 5, 0), invalid},           // no logger attached
        {87, 8, record(0, 10, 5, 0, 0, 0, 7), invalid}, // too short
        // The level logger keeps seconds in value B; 60 and above are invalid.
        {132, 8, record(5, 7, 0, 4, 59, 0, 8), at(2000, 1, 1, 7, 5, 59)},
        {132, 8, record(5, 7, 0, 4, 60, 0, 8), invalid},
        {132, 8, record(5, 7, 0, 4, 65535, 0, 8), invalid},
        {130, 8, record(5, 7, 0, 4, 60, 0, 8), at(2000, 1, 1, 7, 5)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " day " << int(c.bytes[2] | c.bytes[3] << 8));
        const auto r = parse_record(std::uint16_t(c.type), c.length, c.bytes);
        ASSERT_EQ(r.has_value(), c.time.isValid());
        if (r) {
            EXPECT_EQ(r->time, c.time);
        }
    }
}

TEST(Conversions, HumidityLimitsTrimAndDiagnosticMode)
{
    Fixture f(87);
    f.coef.a0 = -50;
    f.coef.kept[0] = 138;                          // 128 and above: 138 - 128 = 10 taken off
    EXPECT_FLOAT_EQ(humi_value(f.ctx, 4), 0.0f);   // -50 + 2 + 2 + 0.5 = -45.5 limited
    EXPECT_FLOAT_EQ(humi_cap(f.ctx, 2000), 75.0f); // ((3000 - 2000) * 16 / 100 - 10) / 2
    EXPECT_FLOAT_EQ(humi_cap(f.ctx, 0), 99.9f);    // 470 halved is above 99
    f.ctx.diagnostic = true;                       // humidity as computed, or raw
    EXPECT_FLOAT_EQ(humi_value(f.ctx, 4), -45.5f);
    EXPECT_FLOAT_EQ(humi_cap(f.ctx, 2000), 2000.0f);
    f.ctx.corr1 = 0; // the sensor's -0 is written without a sign
    EXPECT_EQ(format_fixed(temp16(f.ctx, 65535), 5, 1), "  0,0");
}

TEST(DecodeBlock, LinesPerModel)
{
    // Context: corr1 0.5, corr2 -1, a0 2, a1 0.5, a2 0.125, a3 2, F0 3000, S 100, T 10.
    // type, record length, A, B, extra | the values, one model a line.
    const char* cases =
        "85 6 400 0 0| 25,5\n128 6 65519 0 0| -0,5\n89 6 1999 0 0|125,4\n96 6 2000 0 0|-3970,4\n"
        "86 6 4 0 0|  6,5\n129 6 0 0 0|  2,5\n87 8 400 4 0| 25,5\t  6,5\n92 8 400 40 0| 25,5\t100,0\n"
        "90 6 1234 0 0|1234,0\n102 6 7 0 0|  7,0\n99 8 312 256 0| 20,0\t 58,7\n"
        "99 8 312 344 0| 20,0\t 99,9\n100 8 400 2000 0| 25,5\t 85,0\n106 8 400 3001 0| 25,5\t  0,0\n"
        "105 8 400 400 0| 25,50\t 24,00\n131 8 400 65519 0| 25,00\t -2,00\n107 6 65535 0 0|65535\n"
        "108 8 4 4 0|  6,5\t  5,0\n111 8 10 45 0|  7,0\t 90,1\n130 8 4 1234 0|  6,50\t   1234\n"
        "133 9 400 2000 113| 25,5\t 85,0\t1013\n200 6 400 0 0|";
    for (const QString& c : QString(cases).split('\n')) {
        SCOPED_TRACE(c.toStdString());
        const QStringList n = c.section('|', 0, 0).split(' ');
        const QString values = c.section('|', 1);
        Fixture f(std::uint16_t(n[0].toInt()));
        const int length = n[1].toInt();
        const Bytes reply = block({record(5, 7, 366, n[2].toInt(), n[3].toInt(), n[4].toInt(), length)});
        const DecodeResult r = decode_block(f.ctx, length, reply, 1);
        ASSERT_EQ(r.lines.size(), 1u);
        EXPECT_EQ(r.skipped, 0);
        EXPECT_EQ(r.lines[0].values, values);
        EXPECT_EQ(r.lines[0].display_line, "1.1.2001 07:05\t" + values);
        EXPECT_EQ(r.lines[0].file_line, "1.1.2001 07:05\t" + values);
        EXPECT_EQ(r.lines[0].time, at(2001, 1, 1, 7, 5));
    }
}

TEST(DecodeBlock, MidnightAndTheSpringClockChangeHour)
{
    // At midnight the file line has the date alone. The logger's clock does not
    // skip the hour the local clock skips on 29 March 2026 (day 9584).
    const struct {
        int minute, hour, day;
        const char* display;
        const char* file;
    } cases[] = {{0, 0, 31, "1.2.2000 00:00\t 25,5", "1.2.2000\t 25,5"},
                 {30, 2, 9584, "29.3.2026 02:30\t 25,5", "29.3.2026 02:30\t 25,5"}};
    Fixture f(85);
    for (const auto& c : cases) {
        const DecodeResult r = decode_block(f.ctx, 6, block({record(c.minute, c.hour, c.day, 400)}), 1);
        ASSERT_EQ(r.lines.size(), 1u);
        EXPECT_EQ(r.lines[0].display_line, c.display);
        EXPECT_EQ(r.lines[0].file_line, c.file);
        EXPECT_TRUE(r.lines[0].time.isValid());
    }
}

TEST(DecodeBlock, LevelLoggerLinesCarrySecondsAndUseCalibration)
{
    Fixture f(132);
    const Bytes reply = block({record(5, 7, 366, 4, 30, 0, 8), record(6, 7, 366, 4, 60, 0, 8)});
    DecodeResult r = decode_block(f.ctx, 8, reply, 2);
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(r.lines[0].display_line, "1.1.2001 07:05:30\t  6,50");
    EXPECT_EQ(r.lines[0].file_line, "01.01.2001 07:05:30\t  6,50");

    float seen = 0;
    f.ctx.calibrated = [&seen](float x) {
        seen = x;
        return QString("cal");
    };
    r = decode_block(f.ctx, 8, reply, 1);
    EXPECT_EQ(r.lines[0].values, "cal");
    EXPECT_FLOAT_EQ(seen, 6.5f);
    f.ctx.type_code = 130;
    EXPECT_EQ(decode_block(f.ctx, 8, reply, 1).lines[0].values, "cal\t     30");
}

TEST(DecodeBlock, InvalidRecordsAreSkippedAndCounted)
{
    Fixture f(85);
    std::vector<Bytes> records;
    for (int i = 0; i < 10; ++i)
        records.push_back(record(i == 2 ? 60 : i, 8, 10, 400 + i * 16));
    const Bytes reply = block(records);
    const DecodeResult r = decode_block(f.ctx, 6, reply, 10);
    ASSERT_EQ(r.lines.size(), 9u);
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(r.lines[1].display_line, "11.1.2000 08:01\t 26,5");
    EXPECT_EQ(r.lines[2].display_line, "11.1.2000 08:03\t 28,5");

    // Only the first count records are read.
    EXPECT_EQ(decode_block(f.ctx, 6, reply, 2).lines.size(), 2u);
    // Records cut off by a short reply are skipped, never read past its end.
    const Bytes cut(reply.begin(), reply.begin() + 5 + 6 * 4 + 3);
    const DecodeResult c = decode_block(f.ctx, 6, cut, 10);
    EXPECT_EQ(c.lines.size(), 3u); // four whole records, the third of them invalid
    EXPECT_EQ(c.skipped, 7);
    // An unknown logger decodes nothing.
    f.ctx.type_code = 0;
    EXPECT_EQ(decode_block(f.ctx, 6, reply, 10).skipped, 10);
}

TEST(KeyNames, ShownByNameOrAsBracketedNumber)
{
    vxtest::TempHome home;
    Fixture f(93);
    f.ctx.program_dir = home.dir();
    const Bytes reply = block({record(0, 9, 1, 17), record(0, 9, 1, 5)});
    const auto values = [&] {
        const DecodeResult r = decode_block(f.ctx, 6, reply, 2);
        return QStringList{r.lines[0].values, r.lines[1].values};
    };
    EXPECT_EQ(values(), QStringList({"[17]", "[5]"})); // no list
    // "\xe8" is c with caron in code page 1250.
    home.write("kluce.txt", "[IDKEY]\r\n5,Peter, vr\xe8\r\n");
    EXPECT_EQ(values(), QStringList({"[17]", QString::fromUtf8("Peter, vrč")}));
}

TEST(OldFormat, DecodesBcdFieldsYearRuleAndBigEndianValueOrRejects)
{
    Coefficients k;
    k.old_a0 = 1;
    k.old_a1 = 0.5f;
    k.old_a2 = 0;
    k.a0 = 100; // the newer coefficients play no part
    // 2026 mod 4 = 2: year bits 0 step back to 2024.
    const auto r = parse_old_record(old_record(0x13, 0x45, 0, 0x29, 0x02, 0x0190), 2026, k);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->time, at(2024, 2, 29, 13, 45));
    EXPECT_FLOAT_EQ(r->value, 201.0f);
    EXPECT_EQ(old_record_line(*r), "29.2.2024 13:45\t201,0");
    // Year bits equal to the current year's keep the current year; midnight keeps its time.
    EXPECT_EQ(old_record_line(*parse_old_record(old_record(0, 0, 2, 0x31, 0x12, 0), 2026, k)),
              "31.12.2026 00:00\t  1,0");
    // A wrong sum, six bytes, 29.2.2025, 24:00, minute 60, hours not in BCD, month 0.
    Bytes bad = old_record(0x13, 0x45, 0, 0x29, 0x02, 0x0190);
    bad[6] ^= 1;
    const Bytes six(bad.begin(), bad.begin() + 6);
    for (const Bytes& b : {bad, six, old_record(0x13, 0x45, 1, 0x29, 0x02, 0) /* 29.2.2025 */,
                           old_record(0x24, 0, 0, 1, 1, 0), old_record(0x12, 0x60, 0, 1, 1, 0),
                           old_record(0x1A, 0, 0, 1, 1, 0) /* not BCD */, old_record(0x12, 0, 0, 1, 0, 0)})
        EXPECT_FALSE(parse_old_record(b, 2026, k)) << int(b[0]) << " " << int(b[1]);
}
