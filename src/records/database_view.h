#pragma once
// What a record file of the database shows: the statistics of its records,
// the records that pass the browser's filters, and the running totals of a
// flow meter's pulses. Pure functions over the file's text (lines ended by LF
// or CR LF), so that the browser window and other tools share them.
#include "records/record_summary.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>

namespace vx
{

class Language;

// Calls fn(line) for every line of text, without its CR LF or LF. A text that
// ends with a line break has no empty line after it; an empty text has none.
template <typename Fn> void for_each_line(QStringView text, Fn&& fn)
{
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        qsizetype nl = text.indexOf(QLatin1Char('\n'), pos);
        const qsizetype stop = nl < 0 ? n : nl;
        qsizetype len = stop - pos;
        if (len > 0 && text[pos + len - 1] == QLatin1Char('\r')) --len;
        fn(text.mid(pos, len));
        pos = stop + 1;
    }
}

// The number of lines for_each_line visits.
qsizetype count_lines(QStringView text);

// ---- Statistics ----

// The browser's statistics labels for the summary of a file: the record
// count, the first and last time as time stamp texts, maximum and minimum of
// the first value with "%5.1f"; without records the count reads "0" and the
// four others "-----".
struct StatisticsTexts {
    QString count, first, last, maximum, minimum;
};
StatisticsTexts statistics_texts(const RecordSummary& s);

// ---- Filters ----

// The filter page of the browser.
struct RecordFilter {
    bool by_time = false; // the date picker is ticked
    QDate picked;         // the day picked, at 00:00
    bool after = false;   // "Od vybraného dňa": the window starts at the picked day
    int unit = 2;         // 0 hours, 1 days, 2 weeks (7 days), 3 months (30 days)
    int count = 1;        // how many units
    bool above = false;   // "Len teploty nad"
    QString above_text = QStringLiteral("0");
    bool below = false; // "Len teploty pod"
    QString below_text = QStringLiteral("0");

    bool active() const { return by_time || above || below; }
};

// Start and end of the time window (both included), as wall-clock times.
std::pair<QDateTime, QDateTime> filter_window(const RecordFilter& f);

struct FilterOutcome {
    bool active = false; // false: no filter applies and the whole file is to be shown
    QString message;     // the text to show when a limit is not a number
    QStringList lines;   // what the filter describes, then the record lines that pass
};

// The record lines of text that pass every active condition: the first value
// strictly above the "nad" limit, strictly below the "pod" limit, the time
// stamp inside the window. The lines start with lang's LABEL94 and LABEL95
// ("FILTER Od casu: ", "FILTER Do casu: ") for a time window and LABEL96 /
// LABEL97 ("Teploty nad: ", "Teploty pod: ") for the limits. A ticked limit
// that is not a number (point or comma decimals) gives MESS76 (the "nad"
// limit) or MESS77 (the "pod" limit) and no active filter; a limit whose box
// is not ticked is not read.
FilterOutcome makefilters(const RecordFilter& f, QStringView text, const Language& lang);

// ---- Flow totals ----

// The running totals of a flow meter's file: the header's "STATUS" (initial
// counter state) and "CONST" (pulse constant) lines, each a number after the
// first tab, then for every record line total += constant * first value.
// Lines: the last "Remark" line before both were found (empty when none),
// "Pociatocny stav=" and "Konstanta prietokomera=" with one decimal (fixed
// texts in every language: the CSV export knows totals by the second), then
// "d.M.yyyy hh:mm", tab, the total with one decimal, tab, "m3" per record.
// nullopt when the file lacks either number.
std::optional<QStringList> prietok_make(QStringView text);

// ---- Opening a file from the database ----

struct DatabaseView {
    enum class Kind { whole, filtered, flow };
    Kind kind = Kind::whole;
    QString text;    // the viewer's text, lines separated by LF
    QString message; // to show the user first (an invalid limit), or empty
};

// The viewer text for a file opened from the browser: the file name, then
// the flow totals when flow is asked for and the file has them; else the
// name and the filtered records when a filter is active and valid; else the
// whole file.
DatabaseView build_database_view(QStringView file_text, const QString& file_name, bool flow,
                                 const RecordFilter& filter, const Language& lang);

// The recent list after opening name: put at the top unless already listed.
QStringList add_recent(QStringList recent, const QString& name);

} // namespace vx
