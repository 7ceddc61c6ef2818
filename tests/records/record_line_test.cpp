// Time stamps and the common reader of record lines.
#include "records/record_file.h"

#include <gtest/gtest.h>

using namespace vx;

namespace
{
QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}
} // namespace

TEST(FormatTimeStamp, DateAloneAtMidnightElseHoursAndMinutes)
{
    EXPECT_EQ(format_time_stamp(at(2024, 3, 5)), "5.3.2024");
    EXPECT_EQ(format_time_stamp(at(2024, 3, 5, 0, 1)), "5.3.2024 00:01");
    EXPECT_EQ(format_time_stamp(at(2024, 12, 31, 7, 5)), "31.12.2024 07:05");
    EXPECT_EQ(format_time_stamp(at(2024, 12, 31, 23, 59)), "31.12.2024 23:59");
    // Seconds are not part of the ordinary stamp, but a time with only seconds is not midnight.
    EXPECT_EQ(format_time_stamp(at(2024, 1, 2, 0, 0, 30)), "2.1.2024 00:00");
}

TEST(FormatTimeStamp, LevelModelAlwaysWritesSecondsWithPaddedDate)
{
    EXPECT_EQ(format_time_stamp(at(2024, 3, 5), 132), "05.03.2024 00:00:00");
    EXPECT_EQ(format_time_stamp(at(2024, 3, 5, 9, 8, 7), 132), "05.03.2024 09:08:07");
    EXPECT_EQ(format_time_stamp(at(2024, 3, 5, 9, 8, 7), 85), "5.3.2024 09:08");
}

TEST(LineTime, ReadsStampBeforeFirstTab)
{
    EXPECT_EQ(line_time("5.3.2024 07:05\t 12,5"), at(2024, 3, 5, 7, 5));
    EXPECT_EQ(line_time("5.3.2024\t 12,5"), at(2024, 3, 5));
    EXPECT_EQ(line_time("05.03.2024 09:08:07\t1"), at(2024, 3, 5, 9, 8, 7));
    EXPECT_EQ(line_time("5.3.2024 7:05\tx"), at(2024, 3, 5, 7, 5));
    EXPECT_EQ(line_time("1.1.2035 10:00\t"), at(2035, 1, 1, 10, 0));
}

TEST(LineTime, RejectsLinesThatAreNotDated)
{
    EXPECT_FALSE(line_time("5.3.2024 07:05"));      // no tab
    EXPECT_FALSE(line_time("Remark: 5.3.2024\tx")); // text first
    EXPECT_FALSE(line_time("STATUS: \t12"));
    EXPECT_FALSE(line_time("31.2.2024 10:00\t1")); // no such day
    EXPECT_FALSE(line_time("5.13.2024 10:00\t1")); // no such month
    EXPECT_FALSE(line_time("5.3.2024 24:00\t1"));
    EXPECT_FALSE(line_time("5.3.2024 10:60\t1"));
    EXPECT_FALSE(line_time("5.3.2024 10:00:60\t1"));
    EXPECT_FALSE(line_time("5.3.24 10:00\t1"));  // two-digit year
    EXPECT_FALSE(line_time("5.3.202410:00\t1")); // time not set off
    EXPECT_FALSE(line_time("5.3.2024 10:00 x\t1"));
    EXPECT_FALSE(line_time("\t1"));
}

TEST(ParseRecordLine, ValuesWithCommaOrPointAndLeadingBlanks)
{
    const RecordLine r = parse_record_line("5.3.2024 07:05\t 21,5\t  -3.25\t1013");
    EXPECT_EQ(r.count, 3);
    EXPECT_EQ(r.time, at(2024, 3, 5, 7, 5));
    EXPECT_DOUBLE_EQ(r.values[0], 21.5);
    EXPECT_DOUBLE_EQ(r.values[1], -3.25);
    EXPECT_DOUBLE_EQ(r.values[2], 1013);
}

TEST(ParseRecordLine, CountStopsAtFirstFieldThatIsNoNumber)
{
    EXPECT_EQ(parse_record_line("5.3.2024 07:05\tJozef Mrkva").count, 0); // key names
    const RecordLine one = parse_record_line("5.3.2024 07:05\t 12,0\tvalve\t3");
    EXPECT_EQ(one.count, 1);
    EXPECT_DOUBLE_EQ(one.values[0], 12.0);
    EXPECT_EQ(parse_record_line("5.3.2024 07:05\t").count, 0); // a model without values
    EXPECT_EQ(parse_record_line("5.3.2024 07:05\t\t5").count, 0);
    EXPECT_EQ(parse_record_line("5.3.2024 07:05\tinf").count, 0);
    EXPECT_EQ(parse_record_line("5.3.2024 07:05\t1,2,3").count, 0);
}

TEST(ParseRecordLine, HeaderLinesAndShortLinesAreNoRecords)
{
    EXPECT_EQ(parse_record_line("MISIA 1").count, 0);
    EXPECT_EQ(parse_record_line("Remark: pivnica").count, 0);
    EXPECT_EQ(parse_record_line("START: 5.3.2024 07:05").count, 0);
    EXPECT_EQ(parse_record_line("PERIOD: 10").count, 0);
    EXPECT_EQ(parse_record_line("STATUS: \t125").count, 0);
    EXPECT_EQ(parse_record_line("CONST: \t2,5").count, 0);
    EXPECT_EQ(parse_record_line("GRADIENT: 0,5").count, 0);
    EXPECT_EQ(parse_record_line("1.1.20\t5").count, 0); // shorter than 8 characters
    EXPECT_EQ(parse_record_line("").count, 0);
}

TEST(ParseRecordLine, ReadsAtMostTenValues)
{
    QString line = "1.1.2024 10:00";
    for (int i = 1; i <= 12; ++i)
        line += QString("\t%1").arg(i);
    const RecordLine r = parse_record_line(line);
    EXPECT_EQ(r.count, 10);
    EXPECT_DOUBLE_EQ(r.values[9], 10);
}

TEST(ParseRecordLine, MidnightStampReadsBackAsMidnight)
{
    const QDateTime midnight = at(2025, 6, 1);
    const RecordLine r = parse_record_line(format_time_stamp(midnight) + "\t 18,2");
    ASSERT_EQ(r.count, 1);
    EXPECT_EQ(r.time, midnight);
    const RecordLine s = parse_record_line(format_time_stamp(at(2025, 6, 1, 13, 7, 9), 132) + "\t  1,50");
    ASSERT_EQ(s.count, 1);
    EXPECT_EQ(s.time, at(2025, 6, 1, 13, 7, 9));
}

TEST(ParseRecordLine, TimeTheLocalClockSkipsStaysValidAndInOrder)
{
    // Local clocks in this zone go from 02:00 to 03:00 on 29 March 2026; a logger's do not.
    const RecordLine r = parse_record_line("29.3.2026 02:30\t 4,0");
    ASSERT_EQ(r.count, 1);
    ASSERT_TRUE(r.time.isValid());
    EXPECT_EQ(r.time.date(), QDate(2026, 3, 29));
    EXPECT_EQ(r.time.time(), QTime(2, 30));
    EXPECT_GT(r.time, at(2026, 3, 29, 1, 59));
    EXPECT_LE(r.time, at(2026, 3, 29, 3, 30));
    EXPECT_EQ(format_time_stamp(r.time), "29.3.2026 02:30");
    // Ordinary times are plain local times.
    EXPECT_EQ(parse_record_line("29.3.2026 03:30\t 4,0").time.timeSpec(), Qt::LocalTime);
}
