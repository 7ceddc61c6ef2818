#pragma once
// The text of a record viewer: its lines in one string, separated by '\n',
// with the start of every line indexed. A file of a million record lines
// costs its characters and one offset per line, any line is reached without
// a scan, and positions are counted as a plain-text pane counts them (every
// line break is one character).
#include <QString>
#include <QStringView>
#include <vector>

namespace vx
{

class RecordText
{
public:
    // One empty line.
    RecordText();
    // The text with its line breaks read as a plain-text pane reads them:
    // CR LF, LF, a lone CR and the paragraph and line separators (U+2029,
    // U+2028) each end a line and are kept as '\n'; a no-break space is kept
    // as a blank, as the pane gives it back.
    explicit RecordText(QString text);
    void assign(QString text);
    // Appends a line as a plain-text pane appends a paragraph: an empty text
    // takes the line as its content, any other text gets a line break first
    // (also after a final empty line). Breaks inside the line make more lines.
    void append_line(QStringView line);
    void clear();
    // Replaces the length characters from pos on (both clamped to the text)
    // with with, its line breaks read as the constructor reads them; returns
    // how many characters took their place. Costs one move of the text
    // after pos and one pass over the line starts after it.
    qsizetype replace(qsizetype pos, qsizetype length, QStringView with);

    // The lines joined by '\n' (no break after the last line).
    const QString& text() const { return text_; }
    // Characters, line breaks included.
    qsizetype size() const { return text_.size(); }
    // At least 1: an empty text is one empty line.
    qsizetype line_count() const { return qsizetype(starts_.size()); }
    // Line i (0 <= i < line_count()) without its line break.
    QStringView line(qsizetype i) const;
    qsizetype line_start(qsizetype i) const { return starts_[size_t(i)]; }
    // The position just after the last character of line i (its line break
    // or the end of the text).
    qsizetype line_end(qsizetype i) const;
    // The line that holds position pos (clamped to 0..size()); a line
    // break belongs to the line it ends.
    qsizetype line_at(qsizetype pos) const;
    // The line with the most characters (the first of equals).
    qsizetype longest_line() const { return longest_; }
    // The first place at or after position from where what occurs, case
    // sensitive and within one line; -1 when there is none or what is empty.
    qsizetype find(QStringView what, qsizetype from) const;

private:
    // Indexes text_ from position from on, rewriting line breaks in place.
    void index_from(qsizetype from);

    QString text_;
    std::vector<qsizetype> starts_;
    qsizetype longest_ = 0;
};

} // namespace vx
