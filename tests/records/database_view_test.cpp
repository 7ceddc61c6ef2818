// Statistics, filters and flow totals of record files as the database
// browser shows them.
#include "records/database_view.h"

#include <gtest/gtest.h>

namespace
{

const QString header =
    "SKLAD\r\nRemark: chladnicka\r\nSTART: 9.3.2024 10:00\r\nPERIOD: 60\r\nGRADIENT: 0\r\n";

// Record lines around 10.3.2024 with one or two values.
const QString records = "9.3.2024 23:00\t 18,0\t 50,0\r\n"
                        "10.3.2024\t 19,5\t 51,0\r\n" // midnight: the date alone
                        "11.3.2024 12:00\t 25,0\t 52,0\r\n"
                        "12.3.2024\t 21,0\t 53,0\r\n"
                        "12.3.2024 00:01\t-3,5\t 54,0\r\n";

QStringList lines_of(const QString& text)
{
    return text.split('\n');
}

TEST(RecordStatistics, CountsTimesAndExtremesOfTheFirstValue)
{
    struct Case {
        const char* name;
        QString text;
        vx::StatisticsTexts expected;
    };
    const Case cases[] = {
        {"records out of order",
         header + "11.3.2024 12:00\t 25,0\r\n" + records,
         {"6", "9.3.2024 23:00", "12.3.2024 00:01", " 25,0", " -3,5"}},
        {"every line fails",
         "SKLAD\r\nkey\tANNA\r\n10.3.2024 08:00\tANNA\r\n31.2.2024 08:00\t 1,0\r\n",
         {"0", "-----", "-----", "-----", "-----"}},
        {"header only", header, {"0", "-----", "-----", "-----", "-----"}},
        {"one record at midnight", "10.3.2024\t 0,04\n", {"1", "10.3.2024", "10.3.2024", "  0,0", "  0,0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const vx::StatisticsTexts t = vx::statistics_texts(vx::makestatist(c.text));
        EXPECT_EQ(t.count, c.expected.count);
        EXPECT_EQ(t.first, c.expected.first);
        EXPECT_EQ(t.last, c.expected.last);
        EXPECT_EQ(t.maximum, c.expected.maximum);
        EXPECT_EQ(t.minimum, c.expected.minimum);
    }
}

TEST(RecordStatistics, ReportsProgressEveryHundredRecords)
{
    QString text = header;
    for (int i = 0; i < 250; ++i)
        text += QString("10.3.2024 %1:%2\t 1,0\r\n")
                    .arg(i / 60, 2, 10, QChar('0'))
                    .arg(i % 60, 2, 10, QChar('0'));
    QList<qsizetype> seen;
    vx::makestatist(text, [&](qsizetype line, qsizetype lines) {
        EXPECT_EQ(lines, 255);
        seen << line;
    });
    EXPECT_EQ(seen, (QList<qsizetype>{104, 204})); // the 100th and 200th record, after 5 header lines
}

TEST(RecordFilter, PassesTheRecordsOfEveryActiveCondition)
{
    struct Case {
        const char* name;
        vx::RecordFilter filter;
        QStringList expected; // description lines, then the stamps of the records that pass
        QString message;
    };
    auto window = [](bool after, int unit, int count) {
        vx::RecordFilter f;
        f.by_time = true;
        f.picked = QDate(2024, 3, 10);
        f.after = after;
        f.unit = unit;
        f.count = count;
        return f;
    };
    auto limits = [](bool above, const QString& a, bool below, const QString& b) {
        vx::RecordFilter f;
        f.above = above;
        f.above_text = a;
        f.below = below;
        f.below_text = b;
        return f;
    };
    vx::RecordFilter window_and_limit = window(true, 1, 2);
    window_and_limit.above = true;
    window_and_limit.above_text = "20";
    vx::RecordFilter unticked_garbage = window(false, 0, 1);
    unticked_garbage.above_text = "abc";
    unticked_garbage.below_text = "";

    const Case cases[] = {
        {"from the picked day, 2 days",
         window(true, 1, 2),
         {"FILTER Od casu: 10.3.2024", "FILTER Do casu: 12.3.2024", "10.3.2024", "11.3.2024 12:00",
          "12.3.2024"},
         ""},
        {"up to the picked day, 1 hour",
         window(false, 0, 1),
         {"FILTER Od casu: 9.3.2024 23:00", "FILTER Do casu: 10.3.2024", "9.3.2024 23:00", "10.3.2024"},
         ""},
        {"up to the picked day, 1 week",
         window(false, 2, 1),
         {"FILTER Od casu: 3.3.2024", "FILTER Do casu: 10.3.2024", "9.3.2024 23:00", "10.3.2024"},
         ""},
        {"from the picked day, 1 month",
         window(true, 3, 1),
         {"FILTER Od casu: 10.3.2024", "FILTER Do casu: 9.4.2024", "10.3.2024", "11.3.2024 12:00",
          "12.3.2024", "12.3.2024 00:01"},
         ""},
        {"above 21 strictly", limits(true, "21", false, "0"), {"Teploty nad: 21", "11.3.2024 12:00"}, ""},
        {"below 19.5 strictly, point decimals",
         limits(false, "x", true, "19.5"),
         {"Teploty pod: 19.5", "9.3.2024 23:00", "12.3.2024 00:01"},
         ""},
        {"between 18 and 21,0",
         limits(true, "18", true, "21,0"),
         {"Teploty nad: 18", "Teploty pod: 21,0", "10.3.2024"},
         ""},
        {"window and limit",
         window_and_limit,
         {"FILTER Od casu: 10.3.2024", "FILTER Do casu: 12.3.2024", "Teploty nad: 20", "11.3.2024 12:00",
          "12.3.2024"},
         ""},
        {"an unticked limit is not read",
         unticked_garbage,
         {"FILTER Od casu: 9.3.2024 23:00", "FILTER Do casu: 10.3.2024", "9.3.2024 23:00", "10.3.2024"},
         ""},
        {"invalid upper limit", limits(true, "2O", false, "0"), {}, "Nesprávna hodnota HI_TEMP vo filtroch"},
        {"invalid lower limit", limits(true, "1", true, ""), {}, "Nesprávna hodnota LO_TEMP vo filtroch"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const vx::FilterOutcome out = vx::makefilters(c.filter, header + records);
        EXPECT_EQ(out.message, c.message);
        EXPECT_EQ(out.active, c.message.isEmpty());
        QStringList got;
        for (const QString& line : out.lines)
            got << line.section('\t', 0, 0);
        EXPECT_EQ(got, c.expected);
    }
    EXPECT_FALSE(vx::makefilters(vx::RecordFilter{}, header + records).active);
}

TEST(FlowTotals, AddConstantTimesPulsesToTheInitialState)
{
    const QString flow_header = "VODA\r\nRemark: studna\r\nSTART: 1.3.2024 10:00\r\nPERIOD: 60\r\n"
                                "STATUS: \t100\r\nCONST: \t10\r\n";
    struct Case {
        const char* name;
        QString text;
        std::optional<QStringList> expected;
    };
    const Case cases[] = {
        {"two records", flow_header + "1.3.2024 11:00\t1\r\n1.3.2024\t2\r\nnot a record\r\n",
         QStringList{"Remark: studna", "Pociatocny stav=100,0", "Konstanta prietokomera=10,0",
                     "1.3.2024 11:00\t110,0\tm3", "1.3.2024 00:00\t130,0\tm3"}},
        {"constant before state, point decimals, no remark",
         "VODA\r\nCONST: \t0.5\r\nSTATUS: \t2,25\r\n1.3.2024 11:00\t3\r\n",
         QStringList{"", "Pociatocny stav=2,3", "Konstanta prietokomera=0,5", "1.3.2024 11:00\t3,8\tm3"}},
        {"a totaliser has no constant",
         "TOT\r\nRemark: \r\nSTATUS: \t100\r\nGRADIENT: 0\r\n1.3.2024 11:00\t1\r\n", std::nullopt},
        {"constant without a number", "VODA\r\nSTATUS: \t1\r\nCONST: \tten\r\n1.3.2024 11:00\t1\r\n",
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vx::prietok_make(c.text), c.expected);
    }
}

TEST(DatabaseView, FlowThenFilterThenTheWholeFile)
{
    const QString flow_file = "VODA\r\nRemark: \r\nSTATUS: \t0\r\nCONST: \t1\r\n10.3.2024 11:00\t4\r\n";
    vx::RecordFilter above;
    above.above = true;
    above.above_text = "20";
    vx::RecordFilter invalid = above;
    invalid.above_text = "?";
    struct Case {
        const char* name;
        QString file;
        bool flow;
        vx::RecordFilter filter;
        vx::DatabaseView::Kind kind;
        QStringList lines;
        QString message;
    };
    const Case cases[] = {
        {"flow totals",
         flow_file,
         true,
         above,
         vx::DatabaseView::Kind::flow,
         {"V.txt", "Remark: ", "Pociatocny stav=0,0", "Konstanta prietokomera=1,0",
          "10.3.2024 11:00\t4,0\tm3"},
         ""},
        {"flow asked of a file without constant",
         header + records,
         true,
         above,
         vx::DatabaseView::Kind::filtered,
         {"V.txt", "Teploty nad: 20", "11.3.2024 12:00\t 25,0\t 52,0", "12.3.2024\t 21,0\t 53,0"},
         ""},
        {"no filter",
         "A\r\n\r\n10.3.2024\t 1,0",
         false,
         {},
         vx::DatabaseView::Kind::whole,
         {"A", "", "10.3.2024\t 1,0"},
         ""},
        {"invalid limit opens the whole file",
         "A\r\n10.3.2024\t 1,0\r\n",
         false,
         invalid,
         vx::DatabaseView::Kind::whole,
         {"A", "10.3.2024\t 1,0"},
         "Nesprávna hodnota HI_TEMP vo filtroch"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const vx::DatabaseView v = vx::build_database_view(c.file, "V.txt", c.flow, c.filter);
        EXPECT_EQ(v.kind, c.kind);
        EXPECT_EQ(lines_of(v.text), c.lines);
        EXPECT_EQ(v.message, c.message);
    }
}

TEST(RecentList, NewNamesGoOnTopAndNamesStayOnce)
{
    EXPECT_EQ(vx::add_recent({}, "A.txt"), QStringList{"A.txt"});
    EXPECT_EQ(vx::add_recent({"A.txt", "B.txt"}, "C.txt"), (QStringList{"C.txt", "A.txt", "B.txt"}));
    EXPECT_EQ(vx::add_recent({"A.txt", "B.txt"}, "B.txt"), (QStringList{"A.txt", "B.txt"}));
}

} // namespace
