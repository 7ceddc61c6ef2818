#include "records/record_text.h"

#include <algorithm>

namespace vx
{

RecordText::RecordText()
{
    starts_.push_back(0);
}

RecordText::RecordText(QString text)
{
    assign(std::move(text));
}

void RecordText::assign(QString text)
{
    text_ = std::move(text);
    starts_.assign(1, 0);
    longest_ = 0;
    index_from(0);
}

void RecordText::append_line(QStringView line)
{
    if (text_.isEmpty()) {
        assign(line.toString());
        return;
    }
    const qsizetype at = text_.size();
    text_ += QLatin1Char('\n');
    text_ += line;
    index_from(at);
}

void RecordText::clear()
{
    assign(QString());
}

qsizetype RecordText::replace(qsizetype pos, qsizetype length, QStringView with)
{
    pos = std::clamp<qsizetype>(pos, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - pos);
    const RecordText piece{with.toString()};
    const qsizetype first = line_at(pos);
    // The starts of lines that began inside the replaced range give way to
    // the piece's own; the later ones move by the change in length.
    const auto gone_begin = starts_.begin() + first + 1;
    const auto gone_end = std::upper_bound(gone_begin, starts_.end(), pos + length);
    const qsizetype gone = gone_end - gone_begin, added = piece.line_count() - 1;
    const qsizetype shift = piece.size() - length;
    for (auto it = gone_end; it != starts_.end(); ++it)
        *it += shift;
    const auto kept = starts_.erase(gone_begin, gone_end);
    std::vector<qsizetype> new_starts(piece.starts_.begin() + 1, piece.starts_.end());
    for (qsizetype& s : new_starts)
        s += pos;
    starts_.insert(kept, new_starts.begin(), new_starts.end());
    text_.replace(pos, length, piece.text_);

    auto length_of = [this](qsizetype i) { return line_end(i) - line_start(i); };
    if (longest_ >= first && longest_ <= first + gone) {
        // The longest line changed: look at them all again.
        longest_ = 0;
        for (qsizetype i = 1; i < line_count(); ++i)
            if (length_of(i) > length_of(longest_)) longest_ = i;
    } else {
        if (longest_ > first) longest_ += added - gone;
        for (qsizetype i = first; i <= first + added; ++i)
            if (length_of(i) > length_of(longest_) || (length_of(i) == length_of(longest_) && i < longest_))
                longest_ = i;
    }
    return piece.size();
}

namespace
{

// Characters that end a line or read differently in a plain-text pane.
bool is_special(char16_t c)
{
    return c <= u'\r' || c == u'\u00A0' || c == u'\u2028' || c == u'\u2029';
}

} // namespace

void RecordText::index_from(qsizetype from)
{
    const qsizetype first_new_line = line_count() - 1;
    const qsizetype n = text_.size();
    // The text is rewritten in place from the first character that changes
    // on; a text with plain '\n' breaks is only read (and stays shared).
    const char16_t* in = reinterpret_cast<const char16_t*>(text_.constData());
    char16_t* out = nullptr;
    qsizetype r = from, w = from;
    while (r < n) {
        // A run of ordinary characters, moved as one piece.
        qsizetype run = r;
        while (run < n && !is_special(in[run]))
            ++run;
        if (out && w != r) std::copy(in + r, in + run, out + w);
        w += run - r;
        r = run;
        if (r == n) break;

        const char16_t c = in[r++];
        char16_t put = c;
        switch (c) {
        case u'\r':
            if (r < n && in[r] == u'\n') ++r;
            put = u'\n';
            break;
        case u'\u2028':
        case u'\u2029':
            put = u'\n';
            break;
        case u'\u00A0':
            put = u' ';
            break;
        default:
            break;
        }
        if (!out && (put != c || r != w + 1)) {
            out = reinterpret_cast<char16_t*>(text_.data());
            in = out;
        }
        if (out) out[w] = put;
        ++w;
        if (put == u'\n') starts_.push_back(w);
    }
    if (w < n) text_.truncate(w);
    for (qsizetype i = first_new_line; i < line_count(); ++i)
        if (line_end(i) - line_start(i) > line_end(longest_) - line_start(longest_)) longest_ = i;
}

QStringView RecordText::line(qsizetype i) const
{
    return QStringView(text_).mid(line_start(i), line_end(i) - line_start(i));
}

qsizetype RecordText::line_end(qsizetype i) const
{
    return i + 1 < line_count() ? starts_[size_t(i + 1)] - 1 : text_.size();
}

qsizetype RecordText::line_at(qsizetype pos) const
{
    pos = std::clamp<qsizetype>(pos, 0, text_.size());
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), pos);
    return qsizetype(after - starts_.begin()) - 1;
}

qsizetype RecordText::find(QStringView what, qsizetype from) const
{
    if (what.isEmpty() || what.contains(QLatin1Char('\n'))) return -1;
    return text_.indexOf(what, std::clamp<qsizetype>(from, 0, text_.size()));
}

} // namespace vx
