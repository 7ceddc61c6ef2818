// Record decoding: record layout, conversions and the per-model lines, from
// record bytes written out here by the layout rules.
#include "base/number_format.h"
#include "common/temp_home.h"
#include "records/conversions.h"
#include "records/record_decode.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vx;

namespace
{

using Bytes = std::vector<std::uint8_t>;

// One stored record: minute, hour, day number, A, B (8+ bytes), extra (9 bytes).
Bytes record(int minute, int hour, int day, int a, int b = 0, int extra = 0, int length = 6)
{
    Bytes r = {std::uint8_t(minute),   std::uint8_t(hour),     std::uint8_t(day & 0xFF),
               std::uint8_t(day >> 8), std::uint8_t(a & 0xFF), std::uint8_t(a >> 8)};
    if (length >= 8) {
        r.push_back(std::uint8_t(b & 0xFF));
        r.push_back(std::uint8_t(b >> 8));
    }
    if (length >= 9) r.push_back(std::uint8_t(extra));
    return r;
}

// A block reply: five echoed frame bytes, the records, a sum byte.
Bytes block(const std::vector<Bytes>& records)
{
    Bytes out = {0x0D, 0x0A, 12, 4, 0x92};
    std::uint8_t sum = 0;
    for (const Bytes& r : records)
        for (std::uint8_t b : r) {
            out.push_back(b);
            sum = std::uint8_t(sum + b);
        }
    out.push_back(sum);
    return out;
}

ByteView bv(const Bytes& b)
{
    return {b.data(), b.size()};
}

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

struct Fixture {
    Coefficients coef;
    DecodeContext ctx;
    Fixture(std::uint16_t type)
    {
        coef.a0 = 2;
        coef.a1 = 0.5f;
        coef.a2 = 0.125f;
        coef.a3 = 2;
        coef.F0 = 3000;
        coef.S = 100;
        coef.kept[0] = 10;
        ctx.type_code = type;
        ctx.corr1 = 0.5f;
        ctx.corr2 = -1.0f;
        ctx.coef = &coef;
    }
};

} // namespace

TEST(ParseRecord, DayNumbersCountFromFirstJanuary2000)
{
    EXPECT_EQ(parse_record(85, 6, bv(record(0, 0, 0, 0)))->time, at(2000, 1, 1));
    EXPECT_EQ(parse_record(85, 6, bv(record(0, 0, 59, 0)))->time, at(2000, 2, 29));
    EXPECT_EQ(parse_record(85, 6, bv(record(0, 0, 366, 0)))->time, at(2001, 1, 1));
    EXPECT_EQ(parse_record(85, 6, bv(record(59, 23, 365 + 366 + 58, 0)))->time, at(2002, 2, 28, 23, 59));
    // 2000..2099 hold 36525 days; the logger keeps a 29 February 2100 that the real calendar lacks.
    EXPECT_FALSE(parse_record(85, 6, bv(record(0, 12, 36525 + 59, 0))));
    EXPECT_EQ(parse_record(85, 6, bv(record(0, 12, 36525 + 60, 0)))->time, at(2100, 3, 1, 12, 0));
}

TEST(ParseRecord, ReadsFieldsLowByteFirstAndIgnoresHourFlag)
{
    const auto r = parse_record(133, 9, bv(record(30, 0x80 | 14, 1, 0x1234, 0xABCD, 0x71, 9)));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->time, at(2000, 1, 2, 14, 30));
    EXPECT_EQ(r->a, 0x1234);
    EXPECT_EQ(r->b, 0xABCD);
    EXPECT_EQ(r->extra, 0x71);
    // Six-byte records have no B and no extra byte even when more bytes follow.
    const Bytes longer = record(30, 14, 1, 7, 99, 99, 9);
    const auto s = parse_record(85, 6, bv(longer));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->b, 0);
    EXPECT_EQ(s->extra, 0);
}

TEST(ParseRecord, RejectsImpossibleTimesShortRecordsAndUnknownLogger)
{
    EXPECT_FALSE(parse_record(85, 6, bv(record(60, 10, 5, 0))));
    EXPECT_FALSE(parse_record(85, 6, bv(record(0, 24, 5, 0))));
    EXPECT_FALSE(parse_record(85, 6, bv(record(0, 0x80 | 24, 5, 0))));
    EXPECT_FALSE(parse_record(0, 6, bv(record(0, 10, 5, 0))));
    Bytes shorter = record(0, 10, 5, 0, 0, 0, 8);
    shorter.pop_back();
    EXPECT_FALSE(parse_record(87, 8, bv(shorter)));
    EXPECT_TRUE(parse_record(85, 6, bv(record(59, 23, 5, 0))));
}

TEST(ParseRecord, LevelLoggerTakesSecondsFromValueBAndRejectsSixty)
{
    const auto r = parse_record(132, 8, bv(record(5, 7, 0, 4, 59, 0, 8)));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->time, at(2000, 1, 1, 7, 5, 59));
    EXPECT_FALSE(parse_record(132, 8, bv(record(5, 7, 0, 4, 60, 0, 8))));
    EXPECT_FALSE(parse_record(132, 8, bv(record(5, 7, 0, 4, 65535, 0, 8))));
    // Other models do not read seconds from B.
    EXPECT_EQ(parse_record(130, 8, bv(record(5, 7, 0, 4, 60, 0, 8)))->time, at(2000, 1, 1, 7, 5));
}

TEST(Conversions, DigitalTemperatureRawEdges)
{
    Fixture f(85);
    f.ctx.corr1 = 0.5f;
    EXPECT_FLOAT_EQ(temp16(f.ctx, 1999), 124.9375f + 0.5f);
    EXPECT_FLOAT_EQ(temp16(f.ctx, 2000), -3970.9375f + 0.5f);
    EXPECT_FLOAT_EQ(temp16(f.ctx, 65535), 0.5f);
    EXPECT_FLOAT_EQ(temp16(f.ctx, 65519), -1.0f + 0.5f);
    EXPECT_FLOAT_EQ(temp16(f.ctx, 400), 25.5f);
    // Second sensor: correction 2 instead of 1.
    EXPECT_FLOAT_EQ(temp16_t2(f.ctx, 400), 24.0f);
    EXPECT_FLOAT_EQ(temp16_t2(f.ctx, 65519), -2.0f);
    // Type 131 adds no correction to its first sensor, but does to its second.
    f.ctx.type_code = 131;
    EXPECT_FLOAT_EQ(temp16(f.ctx, 400), 25.0f);
    EXPECT_FLOAT_EQ(temp16_t2(f.ctx, 400), 24.0f);
}

TEST(Conversions, NegativeZeroIsWrittenWithoutSign)
{
    Fixture f(85);
    f.ctx.corr1 = 0;
    EXPECT_EQ(format_fixed(temp16(f.ctx, 65535), 5, 1), "  0,0");
    EXPECT_EQ(format_fixed(-2.25, 7, 2), "  -2,25");
    EXPECT_EQ(format_fixed(1234, 7, 0), "   1234");
}

TEST(Conversions, PolynomialAndHumidityLimits)
{
    Fixture f(87);
    EXPECT_FLOAT_EQ(poly_value(f.ctx, 4), 2 + 2 + 2 + 0.5f);
    EXPECT_FLOAT_EQ(humi_value(f.ctx, 4), 6.5f);
    EXPECT_FLOAT_EQ(humi_value(f.ctx, 40), 100.0f); // 222.5 limited
    f.coef.a0 = -50;
    EXPECT_FLOAT_EQ(humi_value(f.ctx, 4), 0.0f); // -41.5 limited
    // Diagnostic mode leaves humidity as computed.
    f.coef = Coefficients{};
    f.coef.a0 = 104.3f;
    f.coef.a1 = 0;
    f.ctx.corr1 = 0;
    f.ctx.diagnostic = true;
    EXPECT_EQ(format_fixed(humi_value(f.ctx, 7), 5, 1), "104,3");
}

TEST(Conversions, CapacitiveHumidityWithTrimByte)
{
    Fixture f(100);
    // (3000 - 2000) * 16 / 100 = 160, trim 10 added, halved.
    EXPECT_FLOAT_EQ(humi_cap(f.ctx, 2000), 85.0f);
    f.coef.kept[0] = 138; // 128 and above: 138 - 128 = 10 taken off
    EXPECT_FLOAT_EQ(humi_cap(f.ctx, 2000), 75.0f);
    EXPECT_FLOAT_EQ(humi_cap(f.ctx, 3001), 0.0f); // above the zero count
    EXPECT_FLOAT_EQ(humi_cap(f.ctx, 3000), 0.0f); // (0 - 10) / 2 below 0
    EXPECT_FLOAT_EQ(humi_cap(f.ctx, 0), 99.9f);   // 480 - 10 halved is above 99
    f.coef.S = 0;
    EXPECT_FLOAT_EQ(humi_cap(f.ctx, 2000), 0.0f);
    f.ctx.diagnostic = true;
    EXPECT_FLOAT_EQ(humi_cap(f.ctx, 2000), 2000.0f);
}

struct LineCase {
    std::uint16_t type;
    int length;
    int a, b, extra;
    const char* values;
};

TEST(DecodeBlock, LinesPerModel)
{
    // Context: corr1 0.5, corr2 -1, a0 2, a1 0.5, a2 0.125, a3 2, F0 3000, S 100, T 10.
    const LineCase cases[] = {
        {85, 6, 400, 0, 0, " 25,5"},
        {128, 6, 65519, 0, 0, " -0,5"},
        {89, 6, 1999, 0, 0, "125,4"},
        {96, 6, 2000, 0, 0, "-3970,4"},
        {86, 6, 4, 0, 0, "  6,5"},
        {129, 6, 0, 0, 0, "  2,5"},
        {87, 8, 400, 4, 0, " 25,5\t  6,5"},
        {92, 8, 400, 40, 0, " 25,5\t100,0"},
        {90, 6, 1234, 0, 0, "1234,0"},
        {102, 6, 7, 0, 0, "  7,0"},
        {99, 8, 312, 256, 0, " 20,0\t 58,7"},
        {99, 8, 312, 344, 0, " 20,0\t 99,9"},
        {100, 8, 400, 2000, 0, " 25,5\t 85,0"},
        {106, 8, 400, 3001, 0, " 25,5\t  0,0"},
        {105, 8, 400, 400, 0, " 25,50\t 24,00"},
        {131, 8, 400, 65519, 0, " 25,00\t -2,00"},
        {107, 6, 65535, 0, 0, "65535"},
        {108, 8, 4, 4, 0, "  6,5\t  5,0"},
        {111, 8, 10, 45, 0, "  7,0\t 90,1"},
        {130, 8, 4, 1234, 0, "  6,50\t   1234"},
        {133, 9, 400, 2000, 113, " 25,5\t 85,0\t1013"},
        {200, 6, 400, 0, 0, ""},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.type);
        Fixture f(c.type);
        const Bytes reply = block({record(5, 7, 366, c.a, c.b, c.extra, c.length)});
        const DecodeResult r = decode_block(f.ctx, c.length, bv(reply), 1);
        ASSERT_EQ(r.lines.size(), 1u);
        EXPECT_EQ(r.skipped, 0);
        EXPECT_EQ(r.lines[0].values, c.values);
        EXPECT_EQ(r.lines[0].display_line, QString("1.1.2001 07:05\t") + c.values);
        EXPECT_EQ(r.lines[0].file_line, QString("1.1.2001 07:05\t") + c.values);
        EXPECT_EQ(r.lines[0].time, at(2001, 1, 1, 7, 5));
    }
}

TEST(DecodeBlock, WidePaneForTwoColumnModels)
{
    for (std::uint16_t t : {87, 88, 92, 100, 105, 106, 108, 130, 131, 132, 133})
        EXPECT_TRUE(is_wide_type(t)) << t;
    for (std::uint16_t t : {85, 86, 90, 93, 99, 102, 107, 111, 128, 129})
        EXPECT_FALSE(is_wide_type(t)) << t;
    Fixture f(87);
    EXPECT_TRUE(decode_block(f.ctx, 8, bv(block({record(0, 0, 0, 0, 0, 0, 8)})), 1).wide);
}

TEST(DecodeBlock, MidnightDisplaysTimeButFileLineIsDateAlone)
{
    Fixture f(85);
    const DecodeResult r = decode_block(f.ctx, 6, bv(block({record(0, 0, 31, 400)})), 1);
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0].display_line, "1.2.2000 00:00\t 25,5");
    EXPECT_EQ(r.lines[0].file_line, "1.2.2000\t 25,5");
}

TEST(DecodeBlock, RecordInTheSpringClockChangeHourKeepsItsTime)
{
    // The logger's clock does not skip the hour the local clock skips on
    // 29 March 2026 (day 9584); its records keep the time they carry.
    Fixture f(85);
    const DecodeResult r = decode_block(f.ctx, 6, bv(block({record(30, 2, 9584, 400)})), 1);
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0].display_line, "29.3.2026 02:30\t 25,5");
    EXPECT_EQ(r.lines[0].file_line, "29.3.2026 02:30\t 25,5");
    EXPECT_TRUE(r.lines[0].time.isValid());
}

TEST(DecodeBlock, LevelLoggerLinesCarrySecondsAndUseCalibration)
{
    Fixture f(132);
    const Bytes reply = block({record(5, 7, 366, 4, 30, 0, 8), record(6, 7, 366, 4, 60, 0, 8)});
    DecodeResult r = decode_block(f.ctx, 8, bv(reply), 2);
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(r.lines[0].display_line, "1.1.2001 07:05:30\t  6,50");
    EXPECT_EQ(r.lines[0].file_line, "01.01.2001 07:05:30\t  6,50");

    float seen = 0;
    f.ctx.calibrated = [&seen](float x) {
        seen = x;
        return QString("cal");
    };
    r = decode_block(f.ctx, 8, bv(reply), 1);
    EXPECT_EQ(r.lines[0].values, "cal");
    EXPECT_FLOAT_EQ(seen, 6.5f);
    f.ctx.type_code = 130;
    EXPECT_EQ(decode_block(f.ctx, 8, bv(reply), 1).lines[0].values, "cal\t     30");
}

TEST(DecodeBlock, InvalidRecordsAreSkippedAndCounted)
{
    Fixture f(85);
    std::vector<Bytes> records;
    for (int i = 0; i < 10; ++i)
        records.push_back(record(i == 2 ? 60 : i, 8, 10, 400 + i * 16));
    const Bytes reply = block(records);
    const DecodeResult r = decode_block(f.ctx, 6, bv(reply), 10);
    ASSERT_EQ(r.lines.size(), 9u);
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(r.lines[1].display_line, "11.1.2000 08:01\t 26,5");
    EXPECT_EQ(r.lines[2].display_line, "11.1.2000 08:03\t 28,5");

    // Only the first count records are read.
    EXPECT_EQ(decode_block(f.ctx, 6, bv(reply), 2).lines.size(), 2u);
    // Records cut off by a short reply are skipped, never read past its end.
    const Bytes cut(reply.begin(), reply.begin() + 5 + 6 * 4 + 3);
    const DecodeResult c = decode_block(f.ctx, 6, bv(cut), 10);
    EXPECT_EQ(c.lines.size(), 3u); // four whole records, the third of them invalid
    EXPECT_EQ(c.skipped, 7);
    // An unknown logger decodes nothing.
    f.ctx.type_code = 0;
    EXPECT_EQ(decode_block(f.ctx, 6, bv(reply), 10).skipped, 10);
}

TEST(KeyNames, ShownByNameOrAsBracketedNumber)
{
    vxtest::TempHome home;
    Fixture f(93);
    f.ctx.program_dir = home.dir();
    const Bytes reply = block({record(0, 9, 1, 17), record(0, 9, 1, 5)});
    const auto values = [&] {
        const DecodeResult r = decode_block(f.ctx, 6, bv(reply), 2);
        return QStringList{r.lines[0].values, r.lines[1].values};
    };
    EXPECT_EQ(values(), QStringList({"[17]", "[5]"})); // no list
    // "\xe8" is c with caron in code page 1250.
    home.write("kluce.txt", "[IDKEY]\r\n5,Peter, vr\xe8\r\n");
    EXPECT_EQ(values(), QStringList({"[17]", QString::fromUtf8("Peter, vrč")}));
}

namespace
{
// An old-format record: BCD hour and minute, day with the year bits, month, value high byte first, sum.
Bytes old_record(int hour_bcd, int minute_bcd, int year_bits, int day_bcd, int month_bcd, int value)
{
    Bytes r = {std::uint8_t(hour_bcd),  std::uint8_t(minute_bcd), std::uint8_t(year_bits << 6 | day_bcd),
               std::uint8_t(month_bcd), std::uint8_t(value >> 8), std::uint8_t(value & 0xFF)};
    std::uint8_t sum = 0;
    for (std::uint8_t b : r)
        sum = std::uint8_t(sum + b);
    r.push_back(sum);
    return r;
}
} // namespace

TEST(OldFormat, DecodesBcdFieldsYearRuleAndBigEndianValue)
{
    Coefficients k;
    k.old_a0 = 1;
    k.old_a1 = 0.5f;
    k.old_a2 = 0;
    k.a0 = 100; // the newer coefficients play no part
    // 2026 mod 4 = 2: year bits 0 step back to 2024.
    const auto r = parse_old_record(bv(old_record(0x13, 0x45, 0, 0x29, 0x02, 0x0190)), 2026, k);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->time, at(2024, 2, 29, 13, 45));
    EXPECT_FLOAT_EQ(r->value, 201.0f);
    EXPECT_EQ(old_record_line(*r), "29.2.2024 13:45\t201,0");
    // Year bits equal to the current year's keep the current year.
    EXPECT_EQ(parse_old_record(bv(old_record(0x00, 0x00, 2, 0x31, 0x12, 0)), 2026, k)->time,
              at(2026, 12, 31));
    EXPECT_EQ(old_record_line(*parse_old_record(bv(old_record(0, 0, 2, 0x01, 0x01, 0)), 2026, k)),
              "1.1.2026 00:00\t  1,0");
}

TEST(OldFormat, RejectsWrongSumAndImpossibleDates)
{
    Coefficients k;
    Bytes bad = old_record(0x13, 0x45, 0, 0x29, 0x02, 0x0190);
    bad[6] ^= 1;
    EXPECT_FALSE(parse_old_record(bv(bad), 2026, k));
    EXPECT_FALSE(parse_old_record(bv(old_record(0x13, 0x45, 1, 0x29, 0x02, 0)), 2026, k)); // 29.2.2025
    EXPECT_FALSE(parse_old_record(bv(old_record(0x24, 0x00, 0, 0x01, 0x01, 0)), 2026, k));
    EXPECT_FALSE(parse_old_record(bv(old_record(0x12, 0x60, 0, 0x01, 0x01, 0)), 2026, k));
    EXPECT_FALSE(parse_old_record(bv(old_record(0x1A, 0x00, 0, 0x01, 0x01, 0)), 2026, k)); // not BCD
    EXPECT_FALSE(parse_old_record(bv(old_record(0x12, 0x00, 0, 0x01, 0x00, 0)), 2026, k)); // month 0
    const Bytes six(bad.begin(), bad.begin() + 6);
    EXPECT_FALSE(parse_old_record(bv(six), 2026, k));
}
