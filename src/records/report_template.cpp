#include "records/report_template.h"

#include <QList>

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

    // Positions are taken in the template itself, so that a note typed as
    // "?Footer" stays a note.
    for (Replacement& r : reps)
        r.at = page.indexOf(r.placeholder);
    std::sort(reps.begin(), reps.end(),
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
    return out;
}

} // namespace vx
