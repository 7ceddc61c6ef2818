// Where each printed line goes: columns filled down first, then across;
// header, footer and page numbers.
#include "records/print_layout.h"

#include <gtest/gtest.h>

namespace
{

using Kind = vx::PrintItem::Kind;

// The name line, then lines "L1" .. "Ln".
QStringList text_lines(int n)
{
    QStringList lines{"SKLAD"};
    for (int i = 1; i <= n; ++i)
        lines << QString("L%1").arg(i);
    return lines;
}

// Page size 4700 x 6200: column width (4700 - 300) / 2 = 2200, line height (6200 - 200) / 50 = 120.
constexpr vx::PrintPageSize page{4700, 6200};

TEST(PrintLayout, FillsColumnsDownThenAcrossThenPages)
{
    struct Where {
        int line, page, x, y;
    };
    struct Case {
        const char* name;
        int lines, cols, rows;
        int pages;
        std::vector<Where> samples;
    };
    const Case cases[] = {
        {"COLS 2 ROWS 50, 101 lines",
         101,
         2,
         50,
         2,
         {{1, 0, 200, 100},
          {2, 0, 200, 220},
          {50, 0, 200, 100 + 49 * 120},
          {51, 0, 2400, 100},
          {100, 0, 2400, 5980},
          {101, 1, 200, 100}}},
        {"ending at a page boundary leaves a page with only the header",
         100,
         2,
         50,
         2,
         {{100, 0, 2400, 5980}}},
        {"one column of three",
         7,
         1,
         3,
         3,
         {{3, 0, 200, 100 + 2 * 2000}, {4, 1, 200, 100}, {7, 2, 200, 100}}},
        {"no record lines", 0, 2, 50, 1, {}},
        {"columns below 1 count as one", 3, 0, 2, 2, {{2, 0, 200, 100 + 3000}, {3, 1, 200, 100}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto pages = vx::print_layout(text_lines(c.lines), {c.cols, c.rows, "Hlavicka ", "Pata"},
                                            "SKLAD.txt", "12.3.2024 10:00", page);
        ASSERT_EQ(pages.size(), c.pages);
        int printed = 0;
        for (const auto& p : pages) {
            ASSERT_FALSE(p.items.isEmpty());
            EXPECT_EQ(p.items.front().kind, Kind::header);
            EXPECT_EQ(p.items.front().text, "Hlavicka SKLAD.txt");
            EXPECT_EQ(p.items.front().x, 2350);
            EXPECT_EQ(p.items.front().y, 0);
            for (const auto& item : p.items)
                printed += item.kind == Kind::line;
        }
        EXPECT_EQ(printed, c.lines); // every line once, the name line never
        for (const Where& w : c.samples) {
            SCOPED_TRACE(w.line);
            const auto& items = pages[w.page].items;
            const auto it = std::find_if(items.begin(), items.end(), [&](const vx::PrintItem& i) {
                return i.text == QString("L%1").arg(w.line);
            });
            ASSERT_NE(it, items.end());
            EXPECT_EQ(it->x, w.x);
            EXPECT_EQ(it->y, w.y);
        }
    }
}

TEST(PrintLayout, FullPagesEndWithFooterAndTheLastPageDoesNot)
{
    const auto pages =
        vx::print_layout(text_lines(100), {2, 50, "", "Sklad c. 1"}, "SKLAD.txt", "12.3.2024 10:00", page);
    ASSERT_EQ(pages.size(), 2);
    const auto& first = pages[0].items;
    ASSERT_EQ(first.size(), 1 + 100 + 3);
    const vx::PrintItem footer[3] = {{Kind::page_number, 4700 - 587, 6150, "Strana 1"},
                                     {Kind::footer, 2350, 6150, "Sklad c. 1"},
                                     {Kind::time, 200, 6150, "12.3.2024 10:00"}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const vx::PrintItem& got = first[first.size() - 3 + i];
        EXPECT_EQ(got.kind, footer[i].kind);
        EXPECT_EQ(got.text, footer[i].text);
        EXPECT_EQ(got.x, footer[i].x);
        EXPECT_EQ(got.y, footer[i].y);
    }
    ASSERT_EQ(pages[1].items.size(), 1);
    EXPECT_EQ(pages[1].items[0].text, "SKLAD.txt");
}

TEST(PrintLayout, TabsPrintAsBlanks)
{
    const auto pages =
        vx::print_layout({"SKLAD", "10.3.2024 08:00\t 21,5\t 60,0", "\t\t"}, {}, "S", "", page);
    ASSERT_EQ(pages[0].items.size(), 3);
    EXPECT_EQ(pages[0].items[1].text, "10.3.2024 08:00  21,5  60,0");
    EXPECT_EQ(pages[0].items[2].text, "  ");
}

} // namespace
