// Record texts as CSV: the header row of the model, ISO times with offsets, point
// decimals, RFC 4180 quoting, the time filter, and how a file's model is told
// from the file itself.
#include "common/test_data.h"
#include "records/record_csv.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using vx::CsvOptions;
using vxtest::at;

TEST(RecordCsv, FilesBecomeRowsOfTheirModel)
{
    const QStringList two_channels =
        QString(
            "MISIA1|Remark: sklad|START: 1.3.2024 10:00|PERIOD: 10|GRADIENT: 0|1.3.2024 10:00\t 21,5\t 45,0|"
            "1.3.2024 10:10\t-0,3\t 100,0|not a record line|2.3.2024\t 22,0\t 50,5")
            .split('|');
    struct Case {
        const char* name;
        QStringList lines;
        QString expected;
        CsvOptions options = {};
    };
    const CsvOptions range{{}, at(2024, 3, 1, 10, 5), at(2024, 3, 2, 0, 0), {}};
    const QString two_header = "Time,Temperature [°C],Humidity [%RH]\r\n";
    const QString in_range =
        "2024-03-01T10:10:00+01:00,-0.3,100.0\r\n2024-03-02T00:00:00+01:00,22.0,50.5\r\n";
    const Case cases[] = {
        {"two channels: header lines and other text left out, midnight stamp, comma decimals", two_channels,
         two_header + "2024-03-01T10:00:00+01:00,21.5,45.0\r\n" + in_range},
        {"a range keeps the records within it, both ends included", two_channels, two_header + in_range,
         range},
        {"key names are quoted when they hold a comma, a quote or a line break",
         {"Download: KLUCE", "1.3.2024 08:00\tNovák, Ján", "1.3.2024 08:05\tDvere \"A\"",
          "1.3.2024 08:07\t[17]", "1.3.2024 08:09\tKľúč 2"},
         "Time,Key\r\n"
         "2024-03-01T08:00:00+01:00,\"Novák, Ján\"\r\n"
         "2024-03-01T08:05:00+01:00,\"Dvere \"\"A\"\"\"\r\n"
         "2024-03-01T08:07:00+01:00,[17]\r\n"
         "2024-03-01T08:09:00+01:00,Kľúč 2\r\n"},
        {"rows of fewer values get empty fields; more values get columns of their own",
         {"1.3.2024 10:00\t 21,5", "1.3.2024 10:10\t 21,6\t 40,0\t 7"},
         "Time,Temperature [°C],Humidity [%RH],Air pressure [hPa]\r\n"
         "2024-03-01T10:00:00+01:00,21.5,,\r\n"
         "2024-03-01T10:10:00+01:00,21.6,40.0,7\r\n"},
        {"a given model names the columns; values beyond them get their own",
         {"1.3.2024 10:00\t 1,0\t 2,0"},
         "Time,Temperature [°C],Value 2\r\n2024-03-01T10:00:00+01:00,1.0,2.0\r\n",
         {85, {}, {}, {}}},
        {"a wider row outside the range adds no column",
         {"1.3.2024 10:00\t 21,5\t 1,0\t 2,0", "1.3.2024 10:10\t 21,6"},
         "Time,Temperature [°C]\r\n2024-03-01T10:10:00+01:00,21.6\r\n",
         {85, range.from, range.to, {}}},
        {"no record line: the header row alone", {"MISIA1", "Remark: "}, "Time\r\n"},
        {"flow totals: the time and the total with its unit",
         {"VODA.txt", "Remark: studna", "Pociatocny stav=100,0", "Konstanta prietokomera=10,0",
          "1.3.2024 11:00\t110,0\tm3", "1.3.2024 12:00\t130,0\tm3"},
         "Time,Total [m3]\r\n2024-03-01T11:00:00+01:00,110.0\r\n2024-03-01T12:00:00+01:00,130.0\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vx::records_to_csv(c.lines, c.options).text.toStdString(), c.expected.toStdString());
    }
}

TEST(RecordCsv, ModelIsToldFromTheFile)
{
    struct Case {
        const char* name;
        QStringList lines;
        int model;
    };
    const Case cases[] = {
        {"flow counter header", {"M", "STATUS: \t120", "CONST: \t10", "1.3.2024 10:00\t  12,0"}, 102},
        {"current loop header", {"M", "STATUS: \t5", "GRADIENT: 1", "1.3.2024 10:00\t  4,25\t   17"}, 130},
        {"stamps with seconds", {"01.03.2024 10:00:30\t 120,50"}, 132},
        {"a word as value", {"1.3.2024 10:00\t[17]"}, 93},
        {"three values", {"1.3.2024 10:00\t 21,5\t 45,0\t1013"}, 133},
        {"two values, the second whole", {"1.3.2024 10:00\t  4,25\t     17"}, 130},
        {"two values with two decimals", {"1.3.2024 10:00\t 21,50\t 22,25"}, 105},
        {"two values", {"1.3.2024 10:00\t 21,5\t 45,0"}, 87},
        {"one whole value", {"1.3.2024 10:00\t345"}, 107},
        {"one value", {"1.3.2024 10:00\t 21,5"}, 85},
        {"no records", {"M", "Remark: "}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vx::guess_record_model(c.lines), c.model);
    }
}

TEST(RecordCsv, FailedWriteSaysWhere)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(vx::write_csv_file(dir.filePath("no/such/dir/out.csv"), "x", &error));
    EXPECT_EQ(error, "Unable to write to " + dir.filePath("no/such/dir/out.csv"));
}
