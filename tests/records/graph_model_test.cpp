// The chart's pure side: points from record text, the whole-unit time axis,
// zoom and ranges, and the style table's colours.
#include "records/graph_model.h"
#include "records/record_file.h"
#include "records/record_text.h"

#include <gtest/gtest.h>

using namespace vx;

namespace
{

double at(int d, int mo, int y, int h, int mi)
{
    return double(QDateTime(QDate(y, mo, d), QTime(h, mi)).toSecsSinceEpoch());
}

constexpr double minute = 60, hour = 3600, day = 86400;

} // namespace

TEST(BuildSeries, SkipsNameLineShortLinesAndNonRecords)
{
    const QStringList lines{
        "6.12.2026 10:00\t1,0\t2,0", // first line is the name line even when it looks like a record
        "Remark: none",
        "6.12.2026 10:10\t21,5",
        "short\t1",                 // 10 characters or fewer
        "6.12.2026 10:20\tKEY0001", // a key name, not a value
        "6.12.2026 10:30\t22.5\t55,0",
        "garbage line without tab",
    };
    const GraphSeries s = build_series(lines);
    EXPECT_EQ(s.points, 2);
    ASSERT_EQ(s.t1.size(), 2);
    EXPECT_DOUBLE_EQ(s.t1[0], at(6, 12, 2026, 10, 10));
    EXPECT_DOUBLE_EQ(s.v1[0], 21.5);
    EXPECT_DOUBLE_EQ(s.v1[1], 22.5);
    ASSERT_EQ(s.t2.size(), 1);
    EXPECT_DOUBLE_EQ(s.t2[0], at(6, 12, 2026, 10, 30));
    EXPECT_DOUBLE_EQ(s.v2[0], 55.0);
    EXPECT_TRUE(s.second);
    EXPECT_DOUBLE_EQ(s.first, at(6, 12, 2026, 10, 10));
    EXPECT_DOUBLE_EQ(s.last, at(6, 12, 2026, 10, 30));
    EXPECT_EQ(s.skipped, 3); // remark, key line, garbage
}

TEST(BuildSeries, ViewerTextGivesTheRecordLinesOfTheCommonReader)
{
    // Read in place from the viewer's text, every record line gives the time
    // and values parse_record_line gives it; other lines give no point.
    const QString text = "TEXT FILE: x.txt\r\n"
                         "Remark: none\r\n"
                         "31.3.2024 01:30\t 3,5\t 61,0\r\n"
                         "31.3.2024 03:30\t+5,5\r\n" // after the spring clock change
                         "31.3.2024 04:00\tKEY0001\r\n"
                         "1.4.2024\t 6.5\t-1,25\t7\r\n"
                         "short\t1\r\n";
    const GraphSeries s = build_series_from(RecordText(text));
    QVector<double> t1, v1, t2, v2;
    for (const QString& line : text.split("\r\n").mid(1)) {
        const RecordLine r = parse_record_line(line);
        if (line.size() <= 10 || r.count < 1) continue;
        t1 << double(r.time.toSecsSinceEpoch());
        v1 << r.values[0];
        if (r.count < 2) continue;
        t2 << t1.back();
        v2 << r.values[1];
    }
    ASSERT_EQ(t1.size(), 3);
    EXPECT_EQ(s.t1, t1);
    EXPECT_EQ(s.v1, (QVector<double>{3.5, 5.5, 6.5}));
    EXPECT_EQ(s.v1, v1);
    EXPECT_EQ(s.t2, t2);
    EXPECT_EQ(s.v2, (QVector<double>{61.0, -1.25}));
    EXPECT_EQ(s.v2, v2);
    EXPECT_EQ(s.skipped, 2); // the remark and the key line
    EXPECT_TRUE(s.sorted);

    // A time going back marks the series unsorted, for the chart to sort.
    EXPECT_FALSE(build_series_from(RecordText("x\n1.1.2026 10:00\t1\n1.1.2026 09:00\t2\n")).sorted);
    EXPECT_TRUE(build_series_from(RecordText("x\n1.1.2026 10:00\t1\n1.1.2026 10:00\t2\n")).sorted);
}

TEST(BuildSeries, EmptyAndSingleValueTexts)
{
    EXPECT_EQ(build_series({}).points, 0);
    EXPECT_EQ(build_series({"name"}).points, 0);
    const GraphSeries s = build_series({"name", "1.1.2026 00:00\t5,0", "1.1.2026 01:00\t6,0"});
    EXPECT_EQ(s.points, 2);
    EXPECT_FALSE(s.second);
    EXPECT_TRUE(s.t2.isEmpty());
}

TEST(TimeStep, ShortestWholeUnitThatFits)
{
    EXPECT_EQ(choose_time_step(90 * minute, 10), 10 * minute);
    EXPECT_EQ(choose_time_step(10 * minute, 10), 1 * minute);
    EXPECT_EQ(choose_time_step(11 * minute, 10), 2 * minute);
    EXPECT_EQ(choose_time_step(2 * day, 10), 6 * hour);
    EXPECT_EQ(choose_time_step(100 * day, 10), 14 * day);
    EXPECT_EQ(choose_time_step(1000 * day, 10), 30 * day); // none fits
}

TEST(TimeAxis, NinetyMinutesWithElevenTicksUseTenMinuteSteps)
{
    const double first = at(6, 12, 2026, 10, 0), last = at(6, 12, 2026, 11, 30);
    const TimeAxis axis = whole_unit_axis(first, last, 10);
    EXPECT_EQ(axis.step, 10 * minute);
    EXPECT_EQ(axis.intervals, 10);
    // A first record on a whole step moves the start one step back.
    EXPECT_DOUBLE_EQ(axis.start, at(6, 12, 2026, 9, 50));
    EXPECT_DOUBLE_EQ(axis.end(), at(6, 12, 2026, 11, 30));
}

TEST(TimeAxis, StartsAtWholeStepBeforeFirstRecord)
{
    const TimeAxis axis = whole_unit_axis(at(6, 12, 2026, 10, 3), at(6, 12, 2026, 11, 0), 10);
    EXPECT_EQ(axis.step, 10 * minute);
    EXPECT_DOUBLE_EQ(axis.start, at(6, 12, 2026, 10, 0));

    // A first record at midnight starts the axis on the previous day.
    const TimeAxis midnight = whole_unit_axis(at(6, 12, 2026, 0, 0), at(6, 12, 2026, 1, 0), 10);
    EXPECT_EQ(midnight.step, 10 * minute);
    EXPECT_DOUBLE_EQ(midnight.start, at(5, 12, 2026, 23, 50));
}

TEST(TimeAxis, LastRecordIsNeverCutOff)
{
    // 100 minutes fit ten 10-minute steps, but an axis starting at 10:00 ends at
    // 11:40, before the last record at 11:45; the next step must be taken.
    const TimeAxis axis = whole_unit_axis(at(6, 12, 2026, 10, 5), at(6, 12, 2026, 11, 45), 10);
    EXPECT_EQ(axis.step, 15 * minute);
    EXPECT_DOUBLE_EQ(axis.start, at(6, 12, 2026, 10, 0));
    EXPECT_GE(axis.end(), at(6, 12, 2026, 11, 45));
}

TEST(TimeAxis, TwoDaysAndVeryLongSpans)
{
    const TimeAxis two = whole_unit_axis(at(6, 12, 2026, 0, 10), at(8, 12, 2026, 0, 0), 10);
    EXPECT_EQ(two.step, 6 * hour);
    EXPECT_DOUBLE_EQ(two.start, at(6, 12, 2026, 0, 0));

    // Beyond 30-day steps the axis grows more intervals instead of losing records.
    const double first = at(1, 1, 2020, 12, 0), last = first + 400 * day;
    const TimeAxis longest = whole_unit_axis(first, last, 10);
    EXPECT_EQ(longest.step, 30 * day);
    EXPECT_EQ(longest.intervals, 14);
    EXPECT_LT(longest.start, first);
    EXPECT_GE(longest.end(), last);
}

TEST(Zoom, TwoZoomInsOnTwoDaysShowHalfADayAroundTheCentre)
{
    const double a = at(6, 12, 2026, 0, 0), b = a + 2 * day;
    auto [a1, b1] = zoom_in(a, b);
    EXPECT_DOUBLE_EQ(a1, a + 0.5 * day);
    EXPECT_DOUBLE_EQ(b1, a + 1.5 * day);
    auto [a2, b2] = zoom_in(a1, b1);
    EXPECT_DOUBLE_EQ(a2, at(6, 12, 2026, 18, 0));
    EXPECT_DOUBLE_EQ(b2, at(7, 12, 2026, 6, 0));
    // Zooming out doubles the width around the same centre.
    auto [a3, b3] = zoom_out(a2, b2);
    EXPECT_DOUBLE_EQ(a3, a + 0.5 * day);
    EXPECT_DOUBLE_EQ(b3, a + 1.5 * day);
}

TEST(StartDateRange, SpansInDaysFromMidnightAcrossSummerTimeEnd)
{
    const auto [a, b] = start_date_range(QDate(2026, 12, 6), 2);
    EXPECT_DOUBLE_EQ(a, at(6, 12, 2026, 0, 0));
    EXPECT_DOUBLE_EQ(b, at(13, 12, 2026, 0, 0));
    // Summer time ends on 25.10.2026: the week is one hour longer, and still
    // ends at local midnight.
    const auto [c, d] = start_date_range(QDate(2026, 10, 20), 2);
    EXPECT_DOUBLE_EQ(d - c, 7 * day + hour);
    EXPECT_EQ(span_days(0), 1);
    EXPECT_EQ(span_days(7), 180);
    EXPECT_EQ(span_days(99), 180);
    EXPECT_EQ(span_days(-1), 1);
}

TEST(ValueRange, PadsAndHandlesFlatOrEmptySeries)
{
    const auto [lo, hi] = value_range({10, 20, 15});
    EXPECT_DOUBLE_EQ(lo, 9.5);
    EXPECT_DOUBLE_EQ(hi, 20.5);
    const auto [flo, fhi] = value_range({7, 7});
    EXPECT_DOUBLE_EQ(flo, 6);
    EXPECT_DOUBLE_EQ(fhi, 8);
    const auto [elo, ehi] = value_range({});
    EXPECT_LT(elo, ehi);
}

TEST(GraphColors, RedInLowByteAndDesignedColoursForUntouchedTable)
{
    EXPECT_EQ(color_from_setting(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(color_from_setting(0x00FF00), QColor(0, 255, 0));
    EXPECT_EQ(color_from_setting(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(color_to_setting(QColor(0x12, 0x34, 0x56)), 0x563412);

    std::array<int, 20> zero{};
    zero[15] = 77; // entries beyond the used ones are kept as stored
    const auto eff = effective_graph_colors(zero);
    EXPECT_EQ(eff[1], 0xFFFFFF);  // white plot field
    EXPECT_EQ(eff[9], 0);         // black first line
    EXPECT_EQ(eff[10], 0x008080); // olive second line
    EXPECT_EQ(eff[15], 77);
    EXPECT_NE(eff[0], eff[2]); // text stays readable on the surround

    std::array<int, 20> user{};
    user[9] = 0x0000FF; // one colour set by the user: the table is used as it is
    EXPECT_EQ(effective_graph_colors(user), user);
}

TEST(ValueLabel, HashZeroPointHashHashWithoutExponent)
{
    const std::pair<double, const char*> cases[] = {
        {25.125, "25,13"}, {-2.005, "-2,01"}, {20, "20"}, {1e6, "1000000"}};
    for (const auto& [value, label] : cases)
        EXPECT_EQ(vx::value_label(value), QString(label));
}
