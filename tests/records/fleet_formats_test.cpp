// Line protocol and Prometheus text: what each format requires escaped, and
// record lines as points. (The command-line tests send both to the real
// InfluxDB and promtool.)
#include "records/line_protocol.h"
#include "records/prometheus_text.h"

#include <cmath>
#include <gtest/gtest.h>

TEST(LineProtocol, EscapesWhatEachPartRequires)
{
    struct Case {
        const char* name;
        QList<QPair<QString, QString>> tags;
        QList<vx::InfluxField> fields;
        QString expected;
    };
    const Case cases[] = {
        {"blanks, commas and equals signs in tags and field keys",
         {{"mission", "A b,c=d"}},
         {{"Wind speed", "3.5"}, {"a,b=c", "1"}},
         R"(m\ 1,mission=A\ b\,c\=d Wind\ speed=3.5,a\,b\=c=1 7)"},
        {"quotes and backslashes in text values",
         {},
         {{"Key", R"(Dvere "A" \ 2)", true}},
         R"(m\ 1 Key="Dvere \"A\" \\ 2" 7)"},
        {"backslashes and line breaks in tags",
         {{"mission", "A\\b\nc\\"}},
         {{"T", "1"}},
         R"(m\ 1,mission=A/b\ c/ T=1 7)"},
        {"an empty tag is left out",
         {{"serial", "7"}, {"mission", ""}},
         {{"T", "-0.5"}},
         R"(m\ 1,serial=7 T=-0.5 7)"},
        {"no field, no point", {{"serial", "7"}}, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vx::influx_line("m 1", c.tags, c.fields, 7), c.expected);
    }
}

TEST(LineProtocol, RecordLinesBecomePointsAtTheirLocalTime)
{
    const QStringList lines = {"MISIA1",
                               "START: 1.3.2024 10:00",
                               "1.3.2024 10:15\t 21,5\t 45,0",
                               "1.7.2024\tError\t 46,0",
                               "2.7.2024 00:10\tError",
                               "Download: MISIA1"};
    const vx::InfluxExport out = vx::records_to_influx(lines, {4321, 87, "MISIA1", {}});
    // 9:15 and 22:00 the day before in UTC (winter and summer time of Bratislava).
    EXPECT_EQ(
        out.text,
        "vorlanix,serial=4321,model=87,mission=MISIA1 Temperature=21.5,Humidity=45 1709284500000000000\n"
        "vorlanix,serial=4321,model=87,mission=MISIA1 Humidity=46 1719784800000000000\n");
    EXPECT_EQ(out.points, 2);
    EXPECT_EQ(out.skipped, 1);
}

TEST(PrometheusText, HelpTypeAndEscapedLabels)
{
    const vx::PrometheusMetric reading{
        "vorlanix_reading",
        "Live reading\\value\nof a channel.",
        "gauge",
        {{{{"mission", "A \"B\" \\C\nD"}, {"unit", "°C"}}, 21.5}, {{{"mission", ""}}, NAN}, {{}, -INFINITY}}};
    const vx::PrometheusMetric empty{"vorlanix_empty", "Nothing.", "gauge", {}};
    EXPECT_EQ(vx::prometheus_text({empty, reading}),
              "# HELP vorlanix_reading Live reading\\\\value\\nof a channel.\n"
              "# TYPE vorlanix_reading gauge\n"
              "vorlanix_reading{mission=\"A \\\"B\\\" \\\\C\\nD\",unit=\"°C\"} 21.5\n"
              "vorlanix_reading{mission=\"\"} NaN\n"
              "vorlanix_reading -Inf\n");
}
