// The chart's pure side: points from record text, the whole-unit time axis,
// zoom and ranges, and the style table's colours.
#include "common/test_data.h"
#include "records/graph_model.h"
#include "records/record_text.h"

#include <gtest/gtest.h>

using namespace vx;
using vxtest::secs;

namespace
{

constexpr double minute = 60, hour = 3600, day = 86400;

// The local time as seconds since the epoch, given its offset from UTC in hours.
double at_offset(int y, int mo, int d, int h, int mi, int offset_hours)
{
    return double(QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC).toSecsSinceEpoch() - offset_hours * 3600);
}

} // namespace

// The chart's time of a record line is its local time as seconds since the epoch, also on the days the
// clocks change (Europe/Bratislava: UTC+1 in winter, UTC+2 from 31.3.2024 02:00 to 27.10.2024 03:00; a
// time the spring change skips keeps the winter offset).
TEST(BuildSeries, SkipsNameLineShortLinesAndNonRecordsAndTakesLocalTimesAcrossBothClockChanges)
{
    const QStringList lines{
        "SKLAD", // the name line
        "30.3.2024 23:30\t 1,5\t 60,0",
        "Remark: none",
        "31.3.2024\t 2.5", // midnight without its time; a point or a comma
        "short\t1",        // 10 characters or fewer
        "31.3.2024 01:30\t 3,5\t 61,0",
        "31.3.2024 01:40\tKEY0001", // a key name, not a value
        "31.3.2024 02:30\t 4,5",
        "31.3.2024 03:30\t +5,5",
        "garbage line without tab",
        "1.4.2024 12:00\t 6,5",
        "27.10.2024 01:30\t 7,5",
        "27.10.2024 03:30\t 8,5",
        "28.10.2024 00:10\t-9,5\t -1,25\t7", // a third value is not charted
    };
    const QVector<double> t{at_offset(2024, 3, 30, 23, 30, 1), at_offset(2024, 3, 31, 0, 0, 1),
                            at_offset(2024, 3, 31, 1, 30, 1),  at_offset(2024, 3, 31, 2, 30, 1),
                            at_offset(2024, 3, 31, 3, 30, 2),  at_offset(2024, 4, 1, 12, 0, 2),
                            at_offset(2024, 10, 27, 1, 30, 2), at_offset(2024, 10, 27, 3, 30, 1),
                            at_offset(2024, 10, 28, 0, 10, 1)};
    // The viewer's text is read in place.
    for (const GraphSeries& s :
         {build_series(lines), build_series_from(RecordText(lines.join("\r\n") + "\r\n"))}) {
        EXPECT_EQ(s.points, 9);
        EXPECT_EQ(s.t1, t);
        EXPECT_EQ(s.v1, (QVector<double>{1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5, -9.5}));
        EXPECT_EQ(s.t2, (QVector<double>{t[0], t[2], t[8]}));
        EXPECT_EQ(s.v2, (QVector<double>{60.0, 61.0, -1.25}));
        EXPECT_TRUE(s.second);
        EXPECT_EQ(s.first, t.front());
        EXPECT_EQ(s.last, t.back());
        EXPECT_EQ(s.skipped, 3); // remark, key line, garbage
        EXPECT_TRUE(s.sorted);
    }
    // A time going back marks the series unsorted, for the chart to sort; an equal one does not.
    EXPECT_FALSE(build_series_from(RecordText("x\n1.1.2026 10:00\t1\n1.1.2026 09:00\t2\n")).sorted);
    EXPECT_TRUE(build_series_from(RecordText("x\n1.1.2026 10:00\t1\n1.1.2026 10:00\t2\n")).sorted);
    EXPECT_EQ(build_series({"name"}).points, 0);
    // A file a download made has no name line: its first record is charted too.
    const GraphSeries tri = build_series({"1.1.2026 10:00\t99,0\t80,0", "1.1.2026 10:10\t20,0\t50,0"});
    EXPECT_EQ(tri.v1, (QVector<double>{99.0, 20.0}));
    EXPECT_EQ(tri.v2, (QVector<double>{80.0, 50.0}));
    EXPECT_FALSE(build_series({"name", "1.1.2026 00:00\t5,0", "1.1.2026 01:00\t6,0"}).second);
}

TEST(TimeAxis, ShortestWholeUnitFromAStepBeforeTheFirstRecordToTheFirstStepAtTheLast)
{
    // first record | last record | step in minutes | axis start | intervals. A first record on a whole
    // step moves the start one step back; when ten 10-minute steps from 10:00 end at 11:40, before the
    // last record, the next step is taken; the axis ends at the first step that reaches the last record
    // (720 records ten minutes apart: six days, not ten); beyond 30-day steps the axis grows more
    // intervals instead of losing records.
    const char* cases = "6.12.2026 10:00|6.12.2026 11:30|10|6.12.2026 09:50|10\n"
                        "6.12.2026 10:03|6.12.2026 11:00|10|6.12.2026 10:00|6\n"
                        "6.12.2026 00:00|6.12.2026 01:00|10|5.12.2026 23:50|7\n"
                        "6.12.2026 10:05|6.12.2026 11:45|15|6.12.2026 10:00|7\n"
                        "6.12.2026 00:10|8.12.2026 00:00|360|6.12.2026 00:00|8\n"
                        "5.3.2024 22:00|10.3.2024 21:50|1440|5.3.2024 00:00|6\n"
                        "1.1.2020 12:00|4.2.2021 12:00|43200||14";
    auto time = [](const QString& t) {
        return double(QDateTime::fromString(t, "d.M.yyyy hh:mm").toSecsSinceEpoch());
    };
    for (const QString& line : QString(cases).split('\n')) {
        const QStringList c = line.split('|');
        const TimeAxis axis = whole_unit_axis(time(c[0]), time(c[1]), 10);
        EXPECT_EQ(axis.step, c[2].toInt() * minute) << line.toStdString();
        EXPECT_EQ(axis.intervals, c[4].toInt()) << line.toStdString();
        EXPECT_TRUE(c[3].isEmpty() || axis.start == time(c[3])) << line.toStdString();
        EXPECT_LE(axis.start, time(c[0]));
        EXPECT_GE(axis.end(), time(c[1]));
    }
    EXPECT_EQ(choose_time_step(11 * minute, 10), 2 * minute);
    EXPECT_EQ(choose_time_step(100 * day, 10), 14 * day);
    EXPECT_EQ(choose_time_step(1000 * day, 10), 30 * day); // none fits
}

TEST(StartDateRange, SpansInDaysFromMidnightAcrossSummerTimeEnd)
{
    const auto [a, b] = start_date_range(QDate(2026, 12, 6), 2);
    EXPECT_DOUBLE_EQ(a, secs(2026, 12, 6, 0, 0));
    EXPECT_DOUBLE_EQ(b, secs(2026, 12, 13, 0, 0));
    // Summer time ends on 25.10.2026: the week is one hour longer, and still ends at local midnight.
    const auto [c, d] = start_date_range(QDate(2026, 10, 20), 2);
    EXPECT_DOUBLE_EQ(d - c, 7 * day + hour);
    EXPECT_EQ((QList<int>{span_days(-1), span_days(0), span_days(7), span_days(99)}),
              (QList<int>{1, 1, 180, 180}));
}

TEST(GraphColors, RedInLowByteAndDesignedColoursForUntouchedTable)
{
    EXPECT_EQ(color_from_setting(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(color_from_setting(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(color_to_setting(QColor(0x12, 0x34, 0x56)), 0x563412);

    std::array<int, 20> zero{};
    zero[15] = 77; // entries beyond the used ones are kept as stored
    const auto eff = effective_graph_colors(zero);
    EXPECT_EQ(eff[1], 0xFFFFFF); // white plot field
    EXPECT_NE(eff[9], eff[1]);   // lines stay visible on the field
    EXPECT_NE(eff[0], eff[2]);   // text stays readable on the surround
    EXPECT_EQ(eff[15], 77);

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
