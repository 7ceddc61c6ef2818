#pragma once
// Printing a record viewer's text: the plain print of the text pane, or the
// grid of records_layout's print_layout drawn on the printer's pages.
#include "records/print_layout.h"

#include <QDateTime>
#include <QString>

class QPrinter;

namespace vx
{

class TEditForm;

// Page units of the layout: 600 to the inch, the resolution of an office
// printer, so that the page keeps its look on every printer and in a PDF.
inline constexpr int print_units_per_inch = 600;

// The printable area of printer in page units.
PrintPageSize print_page_size(const QPrinter& printer);

// Prints the text of viewer on printer as the job "VORLANIXER", the summary
// lines first: with rows = 1 plainly, the summary and the whole text as the
// text pane shows it, otherwise the pages of print_layout with the viewer's
// caption in the header and now as the print time. false when the printer
// cannot be started or fails.
bool printmake(TEditForm& viewer, const PrintSettings& settings, QPrinter& printer, const QDateTime& now,
               const QStringList& summary = {});

// The same for a text and caption, without a viewer (rows must be above 1).
bool print_grid(const QStringList& lines, const QString& caption, const PrintSettings& settings,
                QPrinter& printer, const QDateTime& now, const QStringList& summary = {});

// Whether printing can start on printer without asking: a system printer is
// chosen, or output goes to a file.
bool printer_ready(const QPrinter& printer);

} // namespace vx
