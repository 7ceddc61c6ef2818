// Statistics, filters and flow totals of record files as the database browser shows them; expected
// lines are written joined by '|'.
#include "base/language.h"
#include "records/database_view.h"

#include <gtest/gtest.h>

namespace
{

const QString header =
    "SKLAD\r\nRemark: chladnicka\r\nSTART: 9.3.2024 10:00\r\nPERIOD: 60\r\nGRADIENT: 0\r\n";

// Record lines around 10.3.2024 with two values; midnight is the date alone.
const QString records =
    "9.3.2024 23:00\t 18,0\t 50,0\r\n10.3.2024\t 19,5\t 51,0\r\n11.3.2024 12:00\t 25,0\t 52,0\r\n"
    "12.3.2024\t 21,0\t 53,0\r\n12.3.2024 00:01\t-3,5\t 54,0\r\n";

TEST(RecordStatistics, CountsTimesAndExtremesOfTheFirstValue)
{
    const std::pair<QString, QString> cases[] = {
        {header + "11.3.2024 12:00\t 25,0\r\n" + records, "6|9.3.2024 23:00|12.3.2024 00:01| 25,0| -3,5"},
        {"SKLAD\r\nkey\tANNA\r\n10.3.2024 08:00\tANNA\r\n31.2.2024 08:00\t 1,0\r\n",
         "0|-----|-----|-----|-----"},
        {header, "0|-----|-----|-----|-----"},
        {"10.3.2024\t 0,04\n", "1|10.3.2024|10.3.2024|  0,0|  0,0"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text.toStdString());
        const vx::StatisticsTexts t = vx::statistics_texts(vx::summarize_records(text));
        EXPECT_EQ(QStringList({t.count, t.first, t.last, t.maximum, t.minimum}).join('|'), expected);
    }
}

TEST(RecordFilter, PassesTheRecordsOfEveryActiveCondition)
{
    auto window = [](bool after, int unit, int count) {
        vx::RecordFilter f;
        f.by_time = true;
        f.picked = QDate(2024, 3, 10);
        f.after = after;
        f.unit = unit;
        f.count = count;
        return f;
    };
    auto limits = [](bool above, const QString& a, bool below, const QString& b, vx::RecordFilter f = {}) {
        f.above = above;
        f.above_text = a;
        f.below = below;
        f.below_text = b;
        return f;
    };
    struct Case {
        const char* name;
        vx::RecordFilter filter;
        QString expected; // description lines, then the stamps of the records that pass
        QString message;
    };
    const Case cases[] = {
        {"from the picked day, 2 days", window(true, 1, 2),
         "FILTER Od casu: 10.3.2024|FILTER Do casu: 12.3.2024|10.3.2024|11.3.2024 12:00|12.3.2024", ""},
        {"up to the picked day, 1 hour", window(false, 0, 1),
         "FILTER Od casu: 9.3.2024 23:00|FILTER Do casu: 10.3.2024|9.3.2024 23:00|10.3.2024", ""},
        {"from the picked day, 1 month", window(true, 3, 1),
         "FILTER Od casu: 10.3.2024|FILTER Do casu: 9.4.2024|10.3.2024|11.3.2024 12:00|12.3.2024|12.3.2024 "
         "00:01",
         ""},
        {"above 21 strictly", limits(true, "21", false, "0"), "Teploty nad: 21|11.3.2024 12:00", ""},
        {"below 19.5 strictly", limits(false, "x", true, "19.5"),
         "Teploty pod: 19.5|9.3.2024 23:00|12.3.2024 00:01", ""},
        {"between 18 and 21,0", limits(true, "18", true, "21,0"),
         "Teploty nad: 18|Teploty pod: 21,0|10.3.2024", ""},
        {"window and limit", limits(true, "20", false, "0", window(true, 1, 2)),
         "FILTER Od casu: 10.3.2024|FILTER Do casu: 12.3.2024|Teploty nad: 20|11.3.2024 12:00|12.3.2024", ""},
        {"an unticked limit is not read", limits(false, "abc", false, "", window(false, 0, 1)),
         "FILTER Od casu: 9.3.2024 23:00|FILTER Do casu: 10.3.2024|9.3.2024 23:00|10.3.2024", ""},
        {"invalid upper limit", limits(true, "2O", false, "0"), "", "Nesprávna hodnota HI_TEMP vo filtroch"},
        {"invalid lower limit", limits(true, "1", true, ""), "", "Nesprávna hodnota LO_TEMP vo filtroch"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const vx::FilterOutcome out = vx::makefilters(c.filter, header + records, vx::Language{});
        EXPECT_EQ(out.message, c.message);
        EXPECT_EQ(out.active, c.message.isEmpty());
        QStringList got;
        for (const QString& line : out.lines)
            got << line.section('\t', 0, 0);
        EXPECT_EQ(got.join('|'), c.expected);
    }
    EXPECT_FALSE(vx::makefilters(vx::RecordFilter{}, header + records, vx::Language{}).active);
}

TEST(FlowTotals, AddConstantTimesPulsesToTheInitialState)
{
    const std::pair<QString, QString> cases[] = {
        {"VODA\r\nRemark: studna\r\nPERIOD: 60\r\nSTATUS: \t100\r\nCONST: \t10\r\n1.3.2024 "
         "11:00\t1\r\n1.3.2024\t2\r\nx\r\n",
         "Remark: studna|Pociatocny stav=100,0|Konstanta prietokomera=10,0|1.3.2024 11:00\t110,0\tm3|"
         "1.3.2024 00:00\t130,0\tm3"},
        {"VODA\r\nCONST: \t0.5\r\nSTATUS: \t2,25\r\n1.3.2024 11:00\t3\r\n",
         "|Pociatocny stav=2,3|Konstanta prietokomera=0,5|1.3.2024 11:00\t3,8\tm3"},
        // A totaliser has no constant; a constant must be a number.
        {"TOT\r\nRemark: \r\nSTATUS: \t100\r\nGRADIENT: 0\r\n1.3.2024 11:00\t1\r\n", "none"},
        {"VODA\r\nSTATUS: \t1\r\nCONST: \tten\r\n1.3.2024 11:00\t1\r\n", "none"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text.toStdString());
        const auto lines = vx::prietok_make(text);
        EXPECT_EQ(lines ? lines->join('|') : "none", expected);
    }
}

} // namespace
