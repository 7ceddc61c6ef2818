#include "viewer/record_text_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <climits>

namespace vx
{

RecordTextEdit::RecordTextEdit(RecordText& text, QWidget* parent)
    : RecordTextView(text, parent), edited_(text)
{
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

void RecordTextEdit::text_replaced()
{
    RecordTextView::text_replaced();
    history_.clear();
    done_ = clean_ = 0;
    forced_modified_ = false;
    may_join_ = false;
}

void RecordTextEdit::set_modified(bool modified)
{
    forced_modified_ = modified;
    if (!modified) clean_ = done_;
    may_join_ = false; // the saved state stays a step of its own
}

// ---------------------------------------------------------------- changes

bool RecordTextEdit::joins_last(const Change& c) const
{
    if (!may_join_ || done_ == 0 || c.anchor != c.position) return false;
    const Change& last = history_[done_ - 1];
    if (last.anchor != last.position) return false;
    if (c.removed.isEmpty() && last.removed.isEmpty()) return last.at + last.inserted.size() == c.at;
    if (!c.inserted.isEmpty() || !last.inserted.isEmpty()) return false;
    return c.at == last.at || c.at + c.removed.size() == last.at; // Delete, or Backspace
}

bool RecordTextEdit::replace(qsizetype from, qsizetype to, const QString& text)
{
    from = std::clamp<qsizetype>(from, 0, edited_.size());
    to = std::clamp<qsizetype>(to, 0, edited_.size());
    if (from > to) std::swap(from, to);
    if (from == to && text.isEmpty()) return false;
    Change c{from, edited_.text().mid(from, to - from), {}, anchor(), position()};
    const qsizetype put = edited_.replace(from, to - from, text);
    c.inserted = edited_.text().mid(from, put);
    if (c.inserted == c.removed) return false; // changes nothing; the text stays as it was

    if (joins_last(c)) {
        Change& last = history_[done_ - 1];
        if (!c.inserted.isEmpty())
            last.inserted += c.inserted;
        else if (c.at == last.at)
            last.removed += c.removed;
        else {
            last.removed.prepend(c.removed);
            last.at = c.at;
        }
    } else {
        history_.resize(done_);
        if (clean_ > done_) clean_ = SIZE_MAX; // the saved state can no longer be reached
        history_.push_back(std::move(c));
        ++done_;
    }
    may_join_ = true;
    text_edited(from + put, from + put);
    emit changed();
    return true;
}

void RecordTextEdit::apply(const Change& c, bool forward)
{
    const QString& out = forward ? c.removed : c.inserted;
    const QString& in = forward ? c.inserted : c.removed;
    edited_.replace(c.at, out.size(), in);
    may_join_ = false;
    if (forward)
        text_edited(c.at + in.size(), c.at + in.size());
    else
        text_edited(c.anchor, c.position);
    emit changed();
}

bool RecordTextEdit::undo()
{
    if (!can_undo()) return false;
    apply(history_[--done_], false);
    return true;
}

bool RecordTextEdit::redo()
{
    if (!can_redo()) return false;
    apply(history_[done_++], true);
    return true;
}

void RecordTextEdit::cut()
{
    if (!has_selection()) return;
    copy();
    replace(selection_start(), selection_end(), {});
}

void RecordTextEdit::paste()
{
    const QString text = QApplication::clipboard()->text();
    if (!text.isEmpty()) replace(selection_start(), selection_end(), text);
}

// ---------------------------------------------------------------- keys

bool RecordTextEdit::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        // Undo and redo are the pane's own, as in a plain-text pane.
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->matches(QKeySequence::Undo) || k->matches(QKeySequence::Redo)) {
            e->accept();
            return true;
        }
    }
    return RecordTextView::event(e);
}

bool RecordTextEdit::edit_key(QKeyEvent* e)
{
    using K = QKeySequence;
    if (e->matches(K::Undo))
        undo();
    else if (e->matches(K::Redo))
        redo();
    else if (e->matches(K::Cut))
        cut();
    else if (e->matches(K::Paste))
        paste();
    else
        return edit_text_key(e);
    return true;
}

bool RecordTextEdit::edit_text_key(QKeyEvent* e)
{
    using K = QKeySequence;
    const QString& text = edited_.text();
    const qsizetype pos = position();
    const qsizetype line = edited_.line_at(pos);
    const qsizetype start = edited_.line_start(line), end = edited_.line_end(line);
    // The range the key removes when nothing is selected, and what it puts in.
    qsizetype from = pos, to = pos;
    QString put;
    if (e->key() == Qt::Key_Backspace && !(e->modifiers() & ~Qt::ShiftModifier)) {
        // One code unit back, a surrogate pair as one.
        const bool pair = pos > 1 && text.at(pos - 1).isLowSurrogate() && text.at(pos - 2).isHighSurrogate();
        from = pos - (pair ? 2 : 1);
    } else if (e->matches(K::InsertParagraphSeparator) || e->matches(K::InsertLineSeparator)) {
        put = QStringLiteral("\n");
    } else if (e->matches(K::Delete)) {
        to = next_char(pos);
    } else if (e->matches(K::DeleteEndOfWord)) {
        to = word_step(pos, true);
    } else if (e->matches(K::DeleteStartOfWord)) {
        from = word_step(pos, false);
    } else if (e->matches(K::DeleteEndOfLine)) {
        to = pos == end ? end + 1 : end; // at the end of a line its break goes
    } else if (e->matches(K::DeleteCompleteLine)) {
        // The line with the break before it (after it for the first line);
        // an empty line stays, and so does a selection elsewhere.
        if (start == end) return true;
        replace(line > 0 ? start - 1 : start, end, {});
        return true;
    } else if (e->key() == Qt::Key_Insert && e->modifiers() == Qt::NoModifier) {
        overwrite_ = !overwrite_;
        return true;
    } else if (is_edit(e)) {
        put = e->text();
        if (overwrite_ && pos < end) to = next_char(pos);
    } else {
        return false;
    }
    if (has_selection()) {
        from = selection_start();
        to = selection_end();
    }
    replace(from, to, put);
    return true;
}

void RecordTextEdit::keyPressEvent(QKeyEvent* e)
{
    if (edit_key(e)) {
        e->accept();
        return;
    }
    RecordTextView::keyPressEvent(e);
}

void RecordTextEdit::inputMethodEvent(QInputMethodEvent* e)
{
    // Text composed by an input method comes in when it is committed.
    if (e->commitString().isEmpty() && e->replacementLength() == 0) {
        e->ignore();
        return;
    }
    const qsizetype from = has_selection() ? selection_start() : position() + e->replacementStart();
    const qsizetype to = has_selection() ? selection_end() : from + e->replacementLength();
    replace(from, to, e->commitString());
    e->accept();
}

// ---------------------------------------------------------------- mouse and drops

void RecordTextEdit::mousePressEvent(QMouseEvent* e)
{
    QClipboard* clipboard = QApplication::clipboard();
    if (e->button() == Qt::MiddleButton && clipboard->supportsSelection()) {
        // The selection of the desktop goes where it is clicked.
        const QString text = clipboard->text(QClipboard::Selection);
        const qsizetype at = position_at(e->position());
        set_selection(at, at);
        if (!text.isEmpty()) replace(at, at, text);
        e->accept();
        return;
    }
    RecordTextView::mousePressEvent(e);
}

void RecordTextEdit::dropEvent(QDropEvent* e)
{
    const qsizetype at = drop_at_ >= 0 ? drop_at_ : position_at(e->position());
    drop_at_ = -1;
    if (!e->mimeData()->hasText()) {
        viewport()->update();
        e->ignore();
        return;
    }
    set_selection(at, at);
    replace(at, at, e->mimeData()->text());
    e->acceptProposedAction();
}

} // namespace vx
