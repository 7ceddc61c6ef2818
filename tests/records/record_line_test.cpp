// Time stamps and the common reader of record lines.
#include "records/record_file.h"

#include <gtest/gtest.h>

using namespace vx;

TEST(FormatTimeStamp, DateAloneAtMidnightSecondsForTheLevelModel)
{
    // time (yyyy-MM-dd hh:mm:ss) | model | stamp; seconds alone are not midnight.
    for (const char* c :
         {"2024-03-05 00:00:00|85|5.3.2024", "2024-03-05 00:01:00|85|5.3.2024 00:01",
          "2024-12-31 23:59:00|85|31.12.2024 23:59", "2024-01-02 00:00:30|85|2.1.2024 00:00",
          "2024-03-05 00:00:00|132|05.03.2024 00:00:00", "2024-03-05 09:08:07|132|05.03.2024 09:08:07"}) {
        const QStringList f = QString(c).split('|');
        const QDateTime time = QDateTime::fromString(f[0], "yyyy-MM-dd hh:mm:ss");
        const bool level = f[1] == "132";
        EXPECT_EQ(level ? format_time_stamp(time, 132) : format_time_stamp(time), f[2]);
        // Every stamp reads back as its own time (to the minute outside the level model).
        EXPECT_EQ(parse_record_line(f[2] + "\t 18,2").time,
                  level ? time : time.addSecs(-time.time().second()))
            << c;
    }
}

TEST(LineTime, ReadsTheStampBeforeTheFirstTabOrNothing)
{
    // line | the time read ("" for none), one case a line.
    const char* cases =
        "5.3.2024 07:05\t 12,5|2024-03-05 07:05:00\n5.3.2024\t 12,5|2024-03-05 00:00:00\n"
        "05.03.2024 09:08:07\t1|2024-03-05 09:08:07\n5.3.2024 7:05\tx|2024-03-05 07:05:00\n"
        "1.1.2035 10:00\t|2035-01-01 10:00:00\n5.3.2024 07:05|\nRemark: 5.3.2024\tx|\nSTATUS: \t12|\n"
        "31.2.2024 10:00\t1|\n5.13.2024 10:00\t1|\n5.3.2024 24:00\t1|\n5.3.2024 10:60\t1|\n"
        "5.3.2024 10:00:60\t1|\n5.3.24 10:00\t1|\n5.3.202410:00\t1|\n5.3.2024 10:00 x\t1|\n\t1|";
    for (const QString& c : QString(cases).split('\n')) {
        const auto t = line_time(c.section('|', 0, 0));
        EXPECT_EQ(t ? t->toString("yyyy-MM-dd hh:mm:ss") : QString(), c.section('|', 1)) << c.toStdString();
    }
}

TEST(ParseRecordLine, ValuesUpToTheFirstFieldThatIsNoNumber)
{
    // line | the values read; header lines, short lines and key names are no records.
    const char* cases =
        "5.3.2024 07:05\t 21,5\t  -3.25\t1013|21.5 -3.25 1013\n5.3.2024 07:05\t 12,0\tvalve\t3|12\n"
        "5.3.2024 07:05\tJozef Mrkva|\n5.3.2024 07:05\t|\n5.3.2024 07:05\t\t5|\n"
        "5.3.2024 07:05\tinf|\n5.3.2024 07:05\t1,2,3|\n"
        "1.1.2024 10:00\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12|1 2 3 4 5 6 7 8 9 10\n"
        "MISIA 1|\nSTART: 5.3.2024 07:05|\nSTATUS: \t125|\nCONST: \t2,5|\n1.1.20\t5|\n|";
    for (const QString& c : QString(cases).split('\n')) {
        const RecordLine r = parse_record_line(c.section('|', 0, 0));
        QStringList values;
        for (int i = 0; i < r.count; ++i)
            values << QString::number(r.values[i]);
        EXPECT_EQ(values.join(' '), c.section('|', 1)) << c.toStdString();
    }
}
