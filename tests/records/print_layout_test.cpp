// Where each printed line goes, in page units (the PDF tests in
// tests/viewer check the printed result of the usual layout).
#include "records/print_layout.h"

#include <QPoint>

#include <gtest/gtest.h>

namespace
{

TEST(PrintLayout, PagesColumnsRowsAndFooterPositions)
{
    // Page 4700 x 6200: column width (4700 - 300) / cols, line height (6200 - 200) / rows.
    struct Case {
        const char* name;
        int lines, cols, rows;
        QList<QList<QPoint>> pages; // where lines go, page by page
    };
    const Case cases[] = {
        {"one column of three", 4, 1, 3, {{{200, 100}, {200, 2100}, {200, 4100}}, {{200, 100}}}},
        {"columns below 1 count as one", 3, 0, 2, {{{200, 100}, {200, 3100}}, {{200, 100}}}},
        {"two by two, ending at the page's end",
         4,
         2,
         2,
         {{{200, 100}, {200, 3100}, {2400, 100}, {2400, 3100}}, {}}},
        {"no lines: the header alone", 0, 2, 50, {{}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList text{"NAME"};
        for (int i = 1; i <= c.lines; ++i)
            text << QString("L%1\tx").arg(i);
        const auto pages = vx::print_layout(text, {c.cols, c.rows, "H ", "F"}, "N.txt", "now", {4700, 6200});
        ASSERT_EQ(pages.size(), c.pages.size());
        int line = 0;
        for (qsizetype p = 0; p < pages.size(); ++p) {
            const auto& items = pages[p].items;
            const bool full = p + 1 < pages.size();
            ASSERT_EQ(items.size(), 1 + c.pages[p].size() + (full ? 3 : 0));
            EXPECT_EQ(items[0].text, "H N.txt");
            EXPECT_EQ(QPoint(items[0].x, items[0].y), QPoint(2350, 0));
            for (qsizetype i = 0; i < c.pages[p].size(); ++i) {
                EXPECT_EQ(items[1 + i].text, QString("L%1 x").arg(++line));
                EXPECT_EQ(QPoint(items[1 + i].x, items[1 + i].y), c.pages[p][i]);
            }
            if (!full) continue;
            const auto footer = items.mid(items.size() - 3);
            EXPECT_EQ(footer[0].text, QString("Strana %1").arg(p + 1));
            EXPECT_EQ(QPoint(footer[0].x, footer[0].y), QPoint(4700 - 587, 6150));
            EXPECT_EQ(QPoint(footer[1].x, footer[1].y), QPoint(2350, 6150));
            EXPECT_EQ(QPoint(footer[2].x, footer[2].y), QPoint(200, 6150));
        }
    }
}

} // namespace
