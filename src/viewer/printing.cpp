#include "viewer/printing.h"

#include "records/record_file.h"
#include "viewer/record_viewer.h"

#include <QAbstractScrollArea>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

namespace vx
{

namespace
{
constexpr const char* job_title = "VORLANIXER";
}

PrintPageSize print_page_size(const QPrinter& printer)
{
    const double scale = double(print_units_per_inch) / printer.resolution();
    return {int(printer.width() * scale), int(printer.height() * scale)};
}

bool printer_ready(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat) return !printer.outputFileName().isEmpty();
    return !printer.printerName().isEmpty();
}

bool print_grid(const QStringList& lines, const QString& caption, const PrintSettings& settings,
                QPrinter& printer, const QDateTime& now, const QStringList& summary)
{
    printer.setDocName(QString::fromLatin1(job_title));
    const QList<PrintPage> pages =
        print_layout(lines, settings, caption, format_time_stamp(now), print_page_size(printer), summary);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    // Positions are page units; the printer's own font and resolution stay.
    const double scale = double(printer.resolution()) / print_units_per_inch;
    const QFontMetrics fm(painter.font(), &printer);
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0) printer.newPage();
        for (const PrintItem& item : pages[p].items) {
            const QPointF top_left(item.x * scale, item.y * scale);
            painter.drawText(top_left + QPointF(0, fm.ascent()), item.text);
        }
    }
    return painter.end();
}

bool printmake(TEditForm& viewer, const PrintSettings& settings, QPrinter& printer, const QDateTime& now,
               const QStringList& summary)
{
    if (settings.rows == 1) {
        printer.setDocName(QString::fromLatin1(job_title));
        viewer.print_text(&printer, summary);
        // The text pane's print keeps a failure to itself; the printer tells it.
        return printer.printerState() != QPrinter::Error;
    }
    return print_grid(viewer.text().split(QLatin1Char('\n')), viewer.windowTitle(), settings, printer, now,
                      summary);
}

} // namespace vx
