// Records placed in time across the autumn change of 25 October 2026 in
// Europe/Bratislava (03:00 summer time became 02:00 winter time, 01:00 UTC):
// by the file's clock notes, by the zone rules, by the order of the records;
// and InfluxDB's time range.
#include "records/line_protocol.h"
#include "records/record_file.h"
#include "records/record_times.h"

#include <gtest/gtest.h>

using namespace vx;

TEST(RecordTimes, EachStampGetsItsInstantAndTheOffsetOfTheClockThatWroteIt)
{
    auto utc = [](int day, int hour) { return QDateTime(QDate(2026, 10, day), QTime(hour, 0), Qt::UTC); };
    const ClockNote summer{utc(20, 10), 7200}, set_back{utc(25, 1), 3600};
    struct Case {
        const char* name;
        QList<ClockNote> notes;
        QStringList stamps; // day.10.2026 and time, in file order
        QStringList expected;
        bool in_time_order; // the stamps as fed are the order of time
    };
    const Case cases[] = {
        {"no note: the zone rules, the repeated hour by the order of the records",
         {},
         {"25 01:30", "25 02:00", "25 02:00", "25 02:30", "25 02:30", "25 03:00"},
         {"01:30:00+02:00", "02:00:00+02:00", "02:00:00+01:00", "02:30:00+02:00", "02:30:00+01:00",
          "03:00:00+01:00"},
         false},
        {"a logger left on summer time keeps it after the change",
         {summer},
         {"25 01:30", "25 02:30", "25 03:30", "26 12:00"},
         {"01:30:00+02:00", "02:30:00+02:00", "03:30:00+02:00", "12:00:00+02:00"},
         true},
        {"a clock set back at the change, as the sort leaves the records",
         {set_back, summer},
         {"25 02:40", "25 02:40", "25 03:00", "25 03:20"},
         {"02:40:00+02:00", "02:40:00+01:00", "03:00:00+01:00", "03:20:00+01:00"},
         false},
        {"the same in the logger's own order, as a download reads them",
         {summer, set_back},
         {"25 02:40", "25 02:50", "25 02:00", "25 02:10", "25 02:40"},
         {"02:40:00+02:00", "02:50:00+02:00", "02:00:00+01:00", "02:10:00+01:00", "02:40:00+01:00"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordTimes times(c.notes);
        QStringList got;
        QList<QDateTime> instants;
        for (const QString& s : c.stamps) {
            const RecordTime t =
                times.next(QDate(2026, 10, s.left(2).toInt()), QTime::fromString(s.mid(3), "hh:mm"));
            got << t.iso().mid(11);
            instants << t.utc;
        }
        EXPECT_EQ(got, c.expected);
        // Records in the order they were written get strictly increasing instants.
        for (qsizetype i = 1; c.in_time_order && i < instants.size(); ++i)
            EXPECT_LT(instants[i - 1], instants[i]);
    }
    // The spring hour the zone rules skip keeps the offset in force before it.
    EXPECT_EQ(RecordTimes().next(QDate(2026, 3, 29), QTime(2, 30)).iso(), "2026-03-29T02:30:00+01:00");
}

TEST(RecordTimes, InfluxRefusesTimesItCannotHoldNamingTheLine)
{
    const RecordSource source{7, 85, "M", {}};
    for (const char* stamp : {"1.1.2300 10:00", "1.1.1600 10:00"}) {
        SCOPED_TRACE(stamp);
        const QStringList lines = {"M", "1.1.2024 10:00\t 1,0", QString(stamp) + "\t 2,0"};
        const InfluxExport e = records_to_influx(lines, source);
        EXPECT_TRUE(e.text.isEmpty());
        EXPECT_TRUE(e.error.startsWith("line 3: " + QString(stamp).mid(4, 4) + "-01-01T10:00:00+"));
        EXPECT_TRUE(e.error.endsWith(" lies outside the times InfluxDB can hold (1677-09-21 to 2262-04-11)"));
    }
    // The last second InfluxDB holds is written as such.
    EXPECT_EQ(records_to_influx({"11.4.2262 23:47\t 1,0"}, source, std::nullopt, std::nullopt,
                                {{QDateTime::fromSecsSinceEpoch(0, Qt::UTC), 0}})
                  .text,
              "vorlanix,serial=7,model=85,mission=M Temperature=1 9223372020000000000\n");
}
