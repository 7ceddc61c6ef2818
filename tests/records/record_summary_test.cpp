// The summary of a record file against figures worked out by hand: mean
// kinetic temperature and excursions with equal and uneven spacing, a
// reading exactly on a limit, one record, a clock change and a clock note
// (durations in UTC).
// MKT = 10000 K / -ln(sum w e^(-10000 K / T) / sum w) - 273.15, T = t + 273.15.
#include "base/language.h"
#include "records/record_summary.h"

#include <QTimeZone>
#include <gtest/gtest.h>

// Cases name only the members they set; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace
{

QString hhmm(const vx::Instant& i)
{
    return i.time().toString("d.M. hh:mm") + QString("+%1").arg(i.offset / 3600);
}

QString limit_text(const char* side, const std::optional<vx::Excursions>& e)
{
    if (!e) return {};
    QString s = QString(" %1 %2: %3 min x%4").arg(side).arg(e->limit).arg(e->seconds / 60).arg(e->count);
    if (e->count)
        s += QString(" longest %1 min %2-%3")
                 .arg(e->longest_seconds / 60)
                 .arg(hhmm(e->longest_start), hhmm(e->longest_end));
    return s;
}

// A channel's figures in one line: name, count, extremes with their times, mean, MKT, limits.
QString figures(const vx::ChannelSummary& c)
{
    QString s = QString("%1: %2 %3..%4 min %5@%6 max %7@%8 mean %9")
                    .arg(c.channel.name)
                    .arg(c.records)
                    .arg(hhmm(c.first), hhmm(c.last))
                    .arg(c.minimum)
                    .arg(hhmm(c.minimum_time))
                    .arg(c.maximum)
                    .arg(hhmm(c.maximum_time))
                    .arg(c.mean, 0, 'f', 3);
    if (c.mkt) s += QString(" mkt %1").arg(*c.mkt, 0, 'f', 3);
    return s + limit_text("above", c.above) + limit_text("below", c.below);
}

const QString header = "SKLAD\r\nRemark: \r\nSTART: 1.3.2026 10:00\r\nPERIOD: 10\r\nGRADIENT: 0\r\n";

TEST(RecordSummary, FiguresPerChannelAgainstHandWork)
{
    struct Case {
        const char* name;
        QString text;
        vx::SummaryOptions options;
        QStringList expected; // one line per channel
    };

    const Case cases[] = {
        // 2, 2, 5, 8, 8, 8, 8 every 10 minutes: MKT 6.25; 5 lies on both limits and counts for neither.
        {"equal spacing",
         header + "1.3.2026 10:00\t 2,0\r\n1.3.2026 10:10\t 2,0\r\n1.3.2026 10:20\t 5,0\r\n"
                  "1.3.2026 10:30\t 8,0\r\n1.3.2026 10:40\t 8,0\r\n1.3.2026 10:50\t 8,0\r\n"
                  "1.3.2026 11:00\t 8,0\r\n",
         {.above = 5.0, .below = 5.0},
         {"Temperature: 7 1.3. 10:00+1..1.3. 11:00+1 min 2@1.3. 10:00+1 max 8@1.3. 10:30+1 mean 5.857 mkt "
          "6.250 above 5: 40 min x1 longest 40 min 1.3. 10:30+1-1.3. 11:10+1 below 5: 20 min x1 longest "
          "20 min 1.3. 10:00+1-1.3. 10:20+1"}},
        // Spacings 10, 20, 5, 60 min: the last reading weighs the median, 15 min. Weights 10, 20, 5, 60, 15:
        // MKT 5.648; above 8: 20 + 5 min from 10:10 to 10:35 and 15 min from 11:35 on. Humidity has no MKT.
        {"uneven spacing, two channels",
         "1.3.2026 10:00\t 2,0\t 50,0\r\n1.3.2026 10:10\t 9,0\t 51,0\r\n1.3.2026 10:30\t 9,0\t 52,0\r\n"
         "1.3.2026 10:35\t 3,0\t 49,0\r\n1.3.2026 11:35\t 9,0\t 52,0\r\n",
         {.above = 8.0},
         {"Temperature: 5 1.3. 10:00+1..1.3. 11:35+1 min 2@1.3. 10:00+1 max 9@1.3. 10:10+1 mean 6.400 mkt "
          "5.648 above 8: 40 min x2 longest 25 min 1.3. 10:10+1-1.3. 10:35+1",
          "Humidity: 5 1.3. 10:00+1..1.3. 11:35+1 min 49@1.3. 10:35+1 max 52@1.3. 10:30+1 mean 50.800"}},
        // The limit goes with the chosen channel.
        {"second channel only",
         "1.3.2026 10:00\t 2,0\t 50,0\r\n1.3.2026 10:10\t 9,0\t 51,0\r\n1.3.2026 10:20\t 9,0\t 52,0\r\n",
         {.channel = 1, .below = 50.5},
         {"Humidity: 3 1.3. 10:00+1..1.3. 10:20+1 min 50@1.3. 10:00+1 max 52@1.3. 10:20+1 mean 51.000 "
          "below 50.5: 10 min x1 longest 10 min 1.3. 10:00+1-1.3. 10:10+1"}},
        // No spacing to weigh by: the reading's own value, an excursion of no length.
        {"one record",
         "1.3.2026 10:00\t 9,0\r\n",
         {.above = 8.0},
         {"Temperature: 1 1.3. 10:00+1..1.3. 10:00+1 min 9@1.3. 10:00+1 max 9@1.3. 10:00+1 mean 9.000 mkt "
          "9.000 above 8: 0 min x1 longest 0 min 1.3. 10:00+1-1.3. 10:00+1"}},
        // 01:30 to 03:30 on the spring change is one hour: weights 60 and 60 min, MKT 5.937.
        {"clock change",
         "29.3.2026 01:30\t 9,0\r\n29.3.2026 03:30\t 1,0\r\n",
         {.above = 8.0},
         {"Temperature: 2 29.3. 01:30+1..29.3. 03:30+2 min 1@29.3. 03:30+2 max 9@29.3. 01:30+1 mean 5.000 "
          "mkt 5.937 above 8: 60 min x1 longest 60 min 29.3. 01:30+1-29.3. 03:30+2"}},
        // The logger kept summer time through the autumn change (its clock note says +2): one hour
        // between the readings, where the zone rules would make it two.
        {"clock note",
         "25.10.2026 02:30\t 9,0\r\n25.10.2026 03:30\t 1,0\r\n",
         {.above = 8.0, .clock_notes = {{QDateTime(QDate(2026, 10, 1), QTime(0, 0), Qt::UTC), 7200}}},
         {"Temperature: 2 25.10. 02:30+2..25.10. 03:30+2 min 1@25.10. 03:30+2 max 9@25.10. 02:30+2 mean "
          "5.000 mkt 5.937 above 8: 60 min x1 longest 60 min 25.10. 02:30+2-25.10. 03:30+2"}},
        {"no records", header + "1.3.2026 10:00\tANNA\r\n", {.above = 5.0, .below = 5.0}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const vx::RecordSummary s = vx::summarize_records(c.text, c.options);
        QStringList got;
        for (const vx::ChannelSummary& ch : s.channels)
            got << figures(ch);
        EXPECT_EQ(got, c.expected);
    }

    // The words of the table: Slovak, the limit with its unit, durations in minutes.
    const vx::RecordSummary s = vx::summarize_records(cases[0].text, cases[0].options);
    const QStringList lines = vx::summary_lines(vx::summary_table(s, vx::summary_words(vx::Language())), "S");
    EXPECT_EQ(lines.mid(0, 2), (QStringList{"S", "Temperature [°C]"}));
    EXPECT_TRUE(lines.contains("    Nad 5 °C: 40 min, prekročení: 1")) << lines.join('|').toStdString();
    EXPECT_TRUE(lines.contains("    Stredná kinetická teplota (MKT): 6,25"));
}

} // namespace
