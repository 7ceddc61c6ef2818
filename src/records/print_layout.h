#pragma once
// Where printed text goes: the viewer's lines in a grid of columns per page,
// filled down each column first, under a header line and above a footer line
// with the page number, the footer text and the print time. Positions are in
// page units with the origin at the top-left of the printable area.
#include <QList>
#include <QString>
#include <QStringList>

namespace vx
{

// The print settings of section PRINTER.
struct PrintSettings {
    int cols = 2;  // columns per page
    int rows = 50; // lines per column; 1 prints the text plainly, without the grid
    QString head;  // printed before the caption in the header line
    QString foot;  // footer text
    QString page;  // the word before the page number ("Strana ")
};

struct PrintItem {
    enum class Kind { header, summary, line, page_number, footer, time };
    Kind kind = Kind::line;
    int x = 0, y = 0; // top-left of the text
    QString text;
    int line = -1; // index of the text line (lines), or of the summary line
    int column = -1, row = -1;
};

struct PrintPage {
    QList<PrintItem> items;
};

struct PrintPageSize {
    int width = 0, height = 0; // of the printable area, in page units
};

// The pages for lines, without their title line (see title_lines): a
// page's header is head + caption at (width / 2, 0); the summary lines come
// first, one per row across the page at (200, 100 + r * lh), then, from the
// next row on, the text lines go down each column and across: row r of
// column c at (200 + c * cw, 100 + r * lh) with cw = (width - 300) / cols
// and lh = (height - 200) / rows, tabs printed as blanks; a full page ends
// with page + number at (width - width / 8, height - 50), the footer text at
// (width / 2, height - 50) and now at (200, height - 50). The pages end where
// the lines end: the last page has no footer, and lines that end exactly at
// a page's end leave a last page with only its header. cols and rows below
// 1 count as 1.
QList<PrintPage> print_layout(const QStringList& lines, const PrintSettings& settings, const QString& caption,
                              const QString& now, PrintPageSize page, const QStringList& summary = {});

} // namespace vx
