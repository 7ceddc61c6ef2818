// The chart's time of a record line is its local time as seconds since the
// epoch, also on the days the clocks change (Europe/Bratislava: UTC+1 in
// winter, UTC+2 from 31.3.2024 02:00 to 27.10.2024 03:00; a time the spring
// change skips keeps the winter offset). Values with a comma or a point.
#include "records/graph_model.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace
{

// The local time as seconds since the epoch, given its offset from UTC in hours.
double at(int y, int mo, int d, int h, int mi, int offset_hours)
{
    return double(QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC).toSecsSinceEpoch() - offset_hours * 3600);
}

TEST(SeriesTime, LinesAcrossBothClockChangesGetTheirLocalOffsets)
{
    const QStringList lines{"TEXT FILE: x.txt",       "30.3.2024 23:30\t 1,5\t 60,0",
                            "31.3.2024\t 2.5",        "31.3.2024 01:30\t 3,5\t 61,0",
                            "31.3.2024 02:30\t 4,5",  "31.3.2024 03:30\t +5,5",
                            "1.4.2024 12:00\t 6,5",   "27.10.2024 01:30\t 7,5",
                            "27.10.2024 03:30\t 8,5", "28.10.2024 00:10\t-9,5"};
    const vx::GraphSeries s = vx::build_series(lines);
    ASSERT_EQ(s.points, 9);
    const QVector<double> t{
        at(2024, 3, 30, 23, 30, 1), at(2024, 3, 31, 0, 0, 1),   at(2024, 3, 31, 1, 30, 1),
        at(2024, 3, 31, 2, 30, 1),  at(2024, 3, 31, 3, 30, 2),  at(2024, 4, 1, 12, 0, 2),
        at(2024, 10, 27, 1, 30, 2), at(2024, 10, 27, 3, 30, 1), at(2024, 10, 28, 0, 10, 1)};
    EXPECT_EQ(s.t1, t);
    EXPECT_EQ(s.v1, (QVector<double>{1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5, -9.5}));
    EXPECT_EQ(s.t2, (QVector<double>{t[0], t[2]}));
    EXPECT_EQ(s.v2, (QVector<double>{60.0, 61.0}));
    EXPECT_EQ(s.first, t.front());
    EXPECT_EQ(s.last, t.back());
}

} // namespace
