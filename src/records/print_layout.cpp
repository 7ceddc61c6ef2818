#include "records/print_layout.h"

#include <algorithm>

namespace vx
{

QList<PrintPage> print_layout(const QStringList& lines, const PrintSettings& settings, const QString& caption,
                              const QString& now, PrintPageSize page)
{
    const int cols = std::max(settings.cols, 1);
    const int rows = std::max(settings.rows, 1);
    const int cw = (page.width - 300) / cols;
    const int lh = (page.height - 200) / rows;
    const qsizetype count = lines.size();

    QList<PrintPage> pages;
    qsizetype base = 0;
    for (int number = 1;; ++number) {
        PrintPage& p = pages.emplace_back();
        p.items.append({PrintItem::Kind::header, page.width / 2, 0, settings.head + caption});
        for (int c = 0; c < cols; ++c) {
            for (int r = 0; r < rows; ++r) {
                const qsizetype i = base + qsizetype(c) * rows + r + 1;
                if (i >= count) return pages;
                QString text = lines[i];
                text.replace(QLatin1Char('\t'), QLatin1Char(' '));
                p.items.append({PrintItem::Kind::line, 200 + c * cw, 100 + r * lh, text, int(i), c, r});
            }
        }
        base += qsizetype(rows) * cols;
        const int y = page.height - 50;
        p.items.append({PrintItem::Kind::page_number, page.width - page.width / 8, y,
                        settings.page + QString::number(number)});
        p.items.append({PrintItem::Kind::footer, page.width / 2, y, settings.foot});
        p.items.append({PrintItem::Kind::time, 200, y, now});
    }
}

} // namespace vx
