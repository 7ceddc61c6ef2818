// Line protocol and Prometheus text: what each format requires escaped.
// (The command-line tests send records and status to the real InfluxDB and
// promtool.)
#include "records/line_protocol.h"
#include "records/prometheus_text.h"

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

TEST(PrometheusText, HelpTypeAndEscapedLabels)
{
    const vx::PrometheusMetric reading{"vorlanix_reading",
                                       "Live\\reading\nof a channel.",
                                       "gauge",
                                       {{{{"mission", "A \"B\" \\C\nD"}}, 21.5}}};
    EXPECT_EQ(vx::prometheus_text({{"vorlanix_empty", "Nothing.", "gauge", {}}, reading}),
              "# HELP vorlanix_reading Live\\\\reading\\nof a channel.\n"
              "# TYPE vorlanix_reading gauge\n"
              "vorlanix_reading{mission=\"A \\\"B\\\" \\\\C\\nD\"} 21.5\n");
}
