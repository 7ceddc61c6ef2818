// Where the print layout puts the summary and the text lines: which lines
// are printed (a title line never, a first record always), in which row and
// on which page. (The pages on paper: tests/viewer/print_test.cpp.)
#include "records/print_layout.h"

#include <gtest/gtest.h>

namespace
{

// The summary and text items as "page:row:text", in order.
QStringList placed(const QList<vx::PrintPage>& pages)
{
    QStringList out;
    for (qsizetype p = 0; p < pages.size(); ++p)
        for (const vx::PrintItem& item : pages[p].items)
            if (item.kind == vx::PrintItem::Kind::line || item.kind == vx::PrintItem::Kind::summary)
                out << QString("%1:%2:%3").arg(p).arg(item.row).arg(item.text);
    return out;
}

TEST(PrintLayout, SummaryRowsComeFirstAndNoRecordIsTakenForATitle)
{
    struct Case {
        const char* name;
        QStringList lines, expected, summary = {};
        int rows = 5;
    };
    const QStringList records{"1.3.2026 10:00\t99,0", "1.3.2026 10:10\t20,0"};
    const QStringList on_first_rows{"0:0:1.3.2026 10:00 99,0", "0:1:1.3.2026 10:10 20,0"};
    const Case cases[] = {
        {"a title line is not printed", QStringList{"SKLAD"} + records, on_first_rows},
        {"a file without header lines: its first record is", records, on_first_rows},
        {"the summary, a blank row, the records",
         records,
         {"0:0:S1", "0:1:S2", "0:3:1.3.2026 10:00 99,0", "0:4:1.3.2026 10:10 20,0"},
         {"S1", "S2"}},
        {"a summary that fills its page pushes the records on",
         records,
         {"0:0:S1", "0:1:S2", "1:0:S3", "2:0:1.3.2026 10:00 99,0", "2:1:1.3.2026 10:10 20,0"},
         {"S1", "S2", "S3"},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const vx::PrintSettings settings{1, c.rows, "", "", "Strana "};
        EXPECT_EQ(placed(vx::print_layout(c.lines, settings, "X", "now", {4000, 6000}, c.summary)),
                  c.expected);
    }
}

} // namespace
