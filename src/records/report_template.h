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
    QString from_time, to_time; // the first and the last record as time stamp texts
    QString header, footer;     // as typed in the report dialog
    QString note1, note2, note3;
    bool second_series = false; // the graph has a second value series ("humi.gif" exists)
    // The file names the pictures were written to (the template calls them
    // "temp.gif" and "humi.gif"); empty keeps the template's.
    QString temp_picture, humi_picture;
    QByteArray summary; // the summary of the records as HTML (summary_html)
    QByteArray digest;  // the record file's digest as HTML (digest_html)
};

// text with &, <, >, " and ' escaped and every character outside printable
// ASCII written as "&#n;": what the user typed is what the page shows.
QByteArray html_text(const QString& text);

// The filled page. Replaced are the first occurrences in the template of
// "?fromtime", "?totime", "?Header", "?Footer", "?Note1", "?Note2", "?Note3",
// "?summary", "?digest", and, without a second series, '<img src="humi.gif" >'
// (by one blank). A summary or digest whose template has no place for it
// goes before "</body>" (else at the end), the summary first; an empty
// one leaves its place blank. Pictures named "temp.gif" or "humi.gif" in a
// src attribute take the names given. Later occurrences and everything else are copied unchanged, whatever
// the template's length, and inserted texts are never searched for placeholders.
QByteArray fill_report_template(const QByteArray& page, const ReportTexts& texts);

struct SummaryTable;
// The summary table as an HTML table (class "summary") under a heading
// (class "summary-title"), every text escaped as html_text does.
QByteArray summary_html(const SummaryTable& t, const QString& title);

// The record file's digest lines as a block of class "digest", one line
// each, escaped as html_text does; empty for no lines.
QByteArray digest_html(const QStringList& lines);

} // namespace vx
