#include "records/report_template.h"

#include "records/record_summary.h"

#include <QList>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace vx
{

QByteArray html_text(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() + 16);
    for (const char32_t c : text.toUcs4()) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            if (c >= 0x20 && c < 0x7F)
                out += char(c);
            else
                out += "&#" + QByteArray::number(quint32(c)) + ';';
        }
    }
    return out;
}

QByteArray fill_report_template(const QByteArray& page, const ReportTexts& t)
{
    struct Replacement {
        QByteArray placeholder;
        QByteArray text;
        qsizetype at = -1;
    };
    std::vector<Replacement> reps{
        {"?fromtime", html_text(t.from_time)}, {"?totime", html_text(t.to_time)},
        {"?Header", html_text(t.header)},      {"?Footer", html_text(t.footer)},
        {"?Note1", html_text(t.note1)},        {"?Note2", html_text(t.note2)},
        {"?Note3", html_text(t.note3)},
    };
    if (!t.second_series) reps.push_back({"<img src=\"humi.gif\" >", " "});
    for (const auto& [name, text] : {std::pair{"?summary", t.summary}, std::pair{"?digest", t.digest}}) {
        // A template's place of a block that is empty (a viewer without a file) is left blank.
        QByteArray placeholder = name;
        qsizetype at = page.indexOf(placeholder);
        if (at < 0) {
            if (text.isEmpty()) continue;
            // A template of its own without the place: before the end of the body.
            placeholder.clear();
            at = QString::fromLatin1(page).lastIndexOf(QLatin1String("</body>"), -1, Qt::CaseInsensitive);
            if (at < 0) at = page.size();
        }
        reps.push_back({placeholder, text, at});
    }

    // Positions are taken in the template itself, so that a note typed as
    // "?Footer" stays a note.
    for (Replacement& r : reps)
        if (!r.placeholder.isEmpty()) r.at = page.indexOf(r.placeholder);
    std::stable_sort(reps.begin(), reps.end(),
                     [](const Replacement& a, const Replacement& b) { return a.at < b.at; });

    QByteArray out;
    out.reserve(page.size() + 1024);
    qsizetype pos = 0;
    for (const Replacement& r : reps) {
        // A placeholder missing, or overlapping one already replaced, is left as it is.
        if (r.at < pos) continue;
        out.append(page.constData() + pos, r.at - pos);
        out += r.text;
        pos = r.at + r.placeholder.size();
    }
    out.append(page.constData() + pos, page.size() - pos);

    // The pictures under the names they were written to; typed texts hold no
    // quote or '=' and so never match.
    QString bytes = QString::fromLatin1(out);
    for (const auto& [name, file] : {std::pair{"temp", t.temp_picture}, std::pair{"humi", t.humi_picture}}) {
        if (file.isEmpty()) continue;
        const QRegularExpression src(QStringLiteral(R"((src\s*=\s*["']?)%1\.gif(?=["'\s>]))").arg(name),
                                     QRegularExpression::CaseInsensitiveOption);
        bytes.replace(src, QStringLiteral("\\1") + QString::fromLatin1(QUrl::toPercentEncoding(file)));
    }
    return bytes.toLatin1();
}

QByteArray digest_html(const QStringList& lines)
{
    if (lines.isEmpty()) return {};
    QList<QByteArray> escaped;
    for (const QString& line : lines)
        escaped << html_text(line);
    return "<div class=\"digest\">" + escaped.join("<br>\r\n") + "</div>\r\n";
}

QByteArray summary_html(const SummaryTable& t, const QString& title)
{
    if (t.empty()) return {};
    QByteArray out = "<h2 class=\"summary-title\">" + html_text(title) +
                     "</h2>\r\n<table class=\"summary\">\r\n<tr><th></th>";
    for (const QString& c : t.columns)
        out += "<th>" + html_text(c) + "</th>";
    out += "</tr>\r\n";
    for (const SummaryTable::Row& r : t.rows) {
        out += "<tr><th>" + html_text(r.label) + "</th>";
        for (const QString& v : r.values)
            out += "<td>" + html_text(v) + "</td>";
        out += "</tr>\r\n";
    }
    return out + "</table>\r\n";
}

} // namespace vx
