#pragma once
// The HTML report's page: the user's template "muster.htm" with its
// placeholders replaced. The template is taken as bytes in whatever encoding
// it was saved in; every inserted text is plain ASCII (HTML-escaped, other
// characters as numeric character references), so it reads the same in any
// encoding a template declares.
#include <QByteArray>
#include <QString>

namespace vx
{

struct ReportTexts {
    QString from_time, to_time; // the graph's time axis as time stamp texts
    QString header, footer;     // as typed in the report dialog
    QString note1, note2, note3;
    bool second_series = false; // the graph has a second value series ("humi.gif" exists)
};

// text with &, <, >, " and ' escaped and every character outside printable
// ASCII written as "&#n;": what the user typed is what the page shows.
QByteArray html_text(const QString& text);

// The filled page. Replaced are the first occurrences in the template of
// "?fromtime", "?totime", "?Header", "?Footer", "?Note1", "?Note2", "?Note3",
// and, without a second series, '<img src="humi.gif" >' (by one blank).
// Later occurrences and everything else are copied unchanged, whatever the
// template's length, and inserted texts are never searched for placeholders.
QByteArray fill_report_template(const QByteArray& page, const ReportTexts& texts);

} // namespace vx
