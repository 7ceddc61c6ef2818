#include "records/print_layout.h"

#include "records/record_file.h"

#include <algorithm>

namespace vx
{

QList<PrintPage> print_layout(const QStringList& lines, const PrintSettings& settings, const QString& caption,
                              const QString& now, PrintPageSize page, const QStringList& summary)
{
    const int cols = std::max(settings.cols, 1);
    const int rows = std::max(settings.rows, 1);
    const int cw = (page.width - 300) / cols;
    const int lh = (page.height - 200) / rows;
    const qsizetype count = lines.size();

    QList<PrintPage> pages;
    qsizetype next = count > 0 ? title_lines(lines[0]) : 0;
    qsizetype told = 0; // summary lines printed
    for (int number = 1;; ++number) {
        PrintPage& p = pages.emplace_back();
        p.items.append({PrintItem::Kind::header, page.width / 2, 0, settings.head + caption});
        int top = 0;
        for (; top < rows && told < summary.size(); ++top, ++told)
            p.items.append({PrintItem::Kind::summary, 200, 100 + top * lh, summary[told], int(told), 0, top});
        // A blank row between the summary and the records.
        if (told == summary.size() && told > 0 && top > 0 && top < rows) ++top;
        for (int c = 0; c < cols && told == summary.size(); ++c) {
            for (int r = top; r < rows; ++r) {
                if (next >= count) return pages;
                QString text = lines[next];
                text.replace(QLatin1Char('\t'), QLatin1Char(' '));
                p.items.append({PrintItem::Kind::line, 200 + c * cw, 100 + r * lh, text, int(next), c, r});
                ++next;
            }
        }
        const int y = page.height - 50;
        p.items.append({PrintItem::Kind::page_number, page.width - page.width / 8, y,
                        settings.page + QString::number(number)});
        p.items.append({PrintItem::Kind::footer, page.width / 2, y, settings.foot});
        p.items.append({PrintItem::Kind::time, 200, y, now});
    }
}

} // namespace vx
