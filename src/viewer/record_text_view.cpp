#include "viewer/record_text_view.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <cmath>

namespace vx
{

namespace
{

// The editable pane's document margin: text starts this far from the left
// edge, and from the top edge while the first line is in view.
constexpr qreal margin = 4;

} // namespace

RecordTextView::RecordTextView(const RecordText& text, QWidget* parent)
    : QAbstractScrollArea(parent), text_(text)
{
    // As the editable pane: its font, focus by click, tab and wheel, input
    // methods, the text cursor over the text.
    setFont(QApplication::font("QPlainTextEdit"));
    setFocusPolicy(Qt::WheelFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(20);
    update_font_metrics();
    text_replaced();
}

RecordTextView::~RecordTextView() = default;

// ---------------------------------------------------------------- layout

void RecordTextView::lay_out(QTextLayout& layout, qsizetype line) const
{
    layout.setText(text_.line(line).toString());
    layout.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(tab_stop_);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine l = layout.createLine();
    if (l.isValid()) {
        l.setLeadingIncluded(true);
        l.setLineWidth(1e7);
        l.setPosition(QPointF(margin, 0));
    }
    layout.endLayout();
}

void RecordTextView::update_font_metrics()
{
    QTextLayout layout(QStringLiteral("0"), font());
    layout.beginLayout();
    QTextLine l = layout.createLine();
    l.setLeadingIncluded(true);
    layout.endLayout();
    line_height_ = std::max<qreal>(l.height(), 1);
}

void RecordTextView::set_tab_stop_distance(qreal pixels)
{
    tab_stop_ = pixels;
    widest_ = 0;
    measure_widest();
    update_scroll_bars();
    viewport()->update();
}

void RecordTextView::measure_widest()
{
    QTextLayout layout;
    lay_out(layout, text_.longest_line());
    if (layout.lineAt(0).isValid()) widest_ = std::max(widest_, layout.lineAt(0).naturalTextWidth());
}

qreal RecordTextView::top_of(qsizetype line) const
{
    const int first = verticalScrollBar()->value();
    return (line - first) * line_height_ + (first == 0 ? margin : 0);
}

int RecordTextView::visible_lines() const
{
    return std::max(0, int((viewport()->height() - margin - 1) / line_height_));
}

qsizetype RecordTextView::position_in_line(qsizetype line, qreal x) const
{
    QTextLayout layout;
    lay_out(layout, line);
    const QTextLine l = layout.lineAt(0);
    return text_.line_start(line) + (l.isValid() ? l.xToCursor(x) : 0);
}

qsizetype RecordTextView::position_at(QPointF pos) const
{
    const int first = verticalScrollBar()->value();
    const qreal top = first == 0 ? margin : 0;
    const qsizetype line = std::clamp<qsizetype>(
        first + qsizetype(std::floor((pos.y() - top) / line_height_)), 0, text_.line_count() - 1);
    return position_in_line(line, pos.x() + horizontalScrollBar()->value());
}

qreal RecordTextView::x_of(qsizetype pos) const
{
    const qsizetype line = text_.line_at(pos);
    QTextLayout layout;
    lay_out(layout, line);
    const QTextLine l = layout.lineAt(0);
    return l.isValid() ? l.cursorToX(int(pos - text_.line_start(line))) : margin;
}

void RecordTextView::update_scroll_bars()
{
    const int fit = visible_lines();
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, int(std::max<qsizetype>(0, text_.line_count() - fit)));
    v->setPageStep(fit);
    QScrollBar* h = horizontalScrollBar();
    const int width = int(widest_ + 2 * margin);
    h->setRange(0, std::max(0, width - viewport()->width()));
    h->setPageStep(viewport()->width());
}

// ---------------------------------------------------------------- text changes

void RecordTextView::text_replaced()
{
    anchor_ = position_ = 0;
    column_x_ = -1;
    widest_ = 0;
    measure_widest();
    update_scroll_bars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

void RecordTextView::lines_appended()
{
    QScrollBar* v = verticalScrollBar();
    const bool at_end = v->value() >= v->maximum();
    measure_widest();
    update_scroll_bars();
    if (at_end) v->setValue(v->maximum());
    viewport()->update();
}

void RecordTextView::text_edited(qsizetype anchor, qsizetype position)
{
    // The horizontal range only widens, so that it does not jump while typing.
    measure_widest();
    update_scroll_bars();
    anchor_ = std::clamp<qsizetype>(anchor, 0, text_.size());
    page_y_valid_ = false;
    move_to(position, true);
}

// ---------------------------------------------------------------- caret and selection

QString RecordTextView::selected_text() const
{
    return text_.text().mid(selection_start(), selection_end() - selection_start());
}

void RecordTextView::set_selection(qsizetype anchor, qsizetype position)
{
    anchor_ = std::clamp<qsizetype>(anchor, 0, text_.size());
    move_to(position, true);
}

void RecordTextView::select_all()
{
    // As in the editable pane, the text does not scroll to the caret.
    anchor_ = 0;
    position_ = text_.size();
    column_x_ = -1;
    page_y_valid_ = false;
    viewport()->update();
}

void RecordTextView::copy() const
{
    if (has_selection()) QApplication::clipboard()->setText(selected_text());
}

void RecordTextView::move_to(qsizetype pos, bool keep_anchor, bool keep_column)
{
    position_ = std::clamp<qsizetype>(pos, 0, text_.size());
    if (!keep_anchor) anchor_ = position_;
    if (!keep_column) column_x_ = -1;
    page_y_valid_ = false;
    ensure_caret_visible();
    restart_blink();
    viewport()->update();
}

void RecordTextView::ensure_caret_visible()
{
    // As the editable pane scrolls: a line above the pane comes to its top;
    // a line reaching its bottom edge comes to the bottom, as many lines above
    // it as fit wholly (the top margin counted when the first line is shown).
    const qsizetype line = text_.line_at(position_);
    QScrollBar* v = verticalScrollBar();
    const qreal height = viewport()->height();
    const int first = v->value();
    const qreal offset = first == 0 ? -margin : 0;
    if ((line - first + 1) * line_height_ >= height + offset) {
        qreal h = line_height_;
        qsizetype top = line, below = line;
        while (h < height && top > 0) {
            below = top--;
            h += line_height_;
        }
        if (h + (top == 0 ? margin : 0) > height) top = below;
        v->setValue(int(top));
    } else if ((line - first) * line_height_ < offset) {
        v->setValue(int(line));
    }

    // A caret left or right of the pane comes to its middle.
    QScrollBar* h = horizontalScrollBar();
    const int x = int(x_of(position_));
    const int width = viewport()->width();
    if (x - h->value() < 0 || x - h->value() >= width) h->setValue(x - width / 2);
}

void RecordTextView::restart_blink()
{
    caret_on_ = true;
    const int period = QApplication::cursorFlashTime() / 2;
    if (hasFocus() && period > 0)
        blink_.start(period, this);
    else
        blink_.stop();
}

qsizetype RecordTextView::word_start(qsizetype pos) const
{
    const qsizetype line = text_.line_at(pos);
    const QString text = text_.line(line).toString();
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
    words.setPosition(int(pos - text_.line_start(line)));
    if (words.isAtBoundary()) return pos;
    return text_.line_start(line) + std::max<qsizetype>(words.toPreviousBoundary(), 0);
}

qsizetype RecordTextView::word_end(qsizetype pos) const
{
    const qsizetype line = text_.line_at(pos);
    const QString text = text_.line(line).toString();
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
    words.setPosition(int(pos - text_.line_start(line)));
    const qsizetype next = words.toNextBoundary();
    return text_.line_start(line) + (next < 0 ? text.size() : next);
}

// ---------------------------------------------------------------- painting

void RecordTextView::paintEvent(QPaintEvent* e)
{
    QPainter p(viewport());
    const QRect area = e->rect();
    p.setPen(palette().text().color());
    QTextCharFormat selected;
    selected.setBackground(palette().brush(QPalette::Highlight));
    selected.setForeground(palette().brush(QPalette::HighlightedText));
    const qreal dx = -horizontalScrollBar()->value();
    const qsizetype line_of_caret = text_.line_at(position_);
    const bool caret = hasFocus() && caret_on_;
    qreal widest = widest_;

    for (qsizetype i = verticalScrollBar()->value(); i < text_.line_count(); ++i) {
        const qreal top = top_of(i);
        if (top > area.bottom()) break;
        if (top + line_height_ < area.top()) continue;
        QTextLayout layout;
        lay_out(layout, i);
        const qsizetype start = text_.line_start(i), end = text_.line_end(i);
        QList<QTextLayout::FormatRange> ranges;
        // A selected line break is one place past the line's end; the layout
        // draws it as a blank's width of selection.
        const qsizetype from = std::max(selection_start(), start), to = std::min(selection_end(), end + 1);
        if (has_selection() && from < to) ranges.append({int(from - start), int(to - from), selected});
        const QPointF at(dx, top);
        layout.draw(&p, at, ranges);
        const QTextLine l = layout.lineAt(0);
        if (caret && i == line_of_caret) layout.drawCursor(&p, at, int(position_ - start), 1);
        if (drop_at_ >= start && drop_at_ <= end) layout.drawCursor(&p, at, int(drop_at_ - start), 1);
        if (l.isValid()) widest = std::max(widest, l.naturalTextWidth());
    }
    // A line wider than any measured before widens the horizontal range.
    if (widest > widest_) {
        widest_ = widest;
        QMetaObject::invokeMethod(this, &RecordTextView::update_scroll_bars, Qt::QueuedConnection);
    }
}

void RecordTextView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    update_scroll_bars();
}

void RecordTextView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void RecordTextView::changeEvent(QEvent* e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        update_font_metrics();
        widest_ = 0;
        measure_widest();
        update_scroll_bars();
        viewport()->update();
    }
}

// ---------------------------------------------------------------- keys

bool RecordTextView::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        // Keys the pane acts on are its own, as in the editable pane, and
        // are not taken by the main window's shortcuts.
        auto* k = static_cast<QKeyEvent*>(e);
        if (is_edit(k) || k->matches(QKeySequence::Copy) || k->matches(QKeySequence::SelectAll) ||
            k->key() == Qt::Key_Left || k->key() == Qt::Key_Right || k->key() == Qt::Key_Up ||
            k->key() == Qt::Key_Down || k->key() == Qt::Key_Home || k->key() == Qt::Key_End ||
            k->key() == Qt::Key_PageUp || k->key() == Qt::Key_PageDown) {
            e->accept();
            return true;
        }
    }
    if (e->type() == QEvent::KeyPress) {
        // Tab types a tab, as in the editable pane, instead of moving the focus.
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(k);
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

bool RecordTextView::is_edit(QKeyEvent* e) const
{
    const bool at_start = !has_selection() && position_ == 0;
    const bool at_end = !has_selection() && position_ == text_.size();
    if (e->matches(QKeySequence::Paste)) return !QApplication::clipboard()->text().isEmpty();
    if (e->matches(QKeySequence::Cut)) return has_selection();
    if (e->matches(QKeySequence::Delete) || e->matches(QKeySequence::DeleteEndOfWord) ||
        e->matches(QKeySequence::DeleteEndOfLine))
        return !at_end;
    if (e->matches(QKeySequence::DeleteStartOfWord) || e->key() == Qt::Key_Backspace) return !at_start;
    if (e->matches(QKeySequence::DeleteCompleteLine) || e->matches(QKeySequence::InsertParagraphSeparator) ||
        e->matches(QKeySequence::InsertLineSeparator))
        return true;
    const QString typed = e->text();
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool control = (mods & (Qt::ControlModifier | Qt::MetaModifier)) && !(mods & Qt::AltModifier);
    return !typed.isEmpty() && !control && (typed.at(0).isPrint() || typed.at(0) == QLatin1Char('\t'));
}

qsizetype RecordTextView::word_step(qsizetype pos, bool forward) const
{
    const qsizetype line = text_.line_at(pos);
    const qsizetype col = pos - text_.line_start(line);
    QTextLayout layout;
    lay_out(layout, line);
    const qsizetype length = text_.line_end(line) - text_.line_start(line);
    if (forward)
        return col >= length
                   ? std::min(pos + 1, text_.size())
                   : text_.line_start(line) + layout.nextCursorPosition(int(col), QTextLayout::SkipWords);
    return col == 0
               ? std::max<qsizetype>(pos - 1, 0)
               : text_.line_start(line) + layout.previousCursorPosition(int(col), QTextLayout::SkipWords);
}

qsizetype RecordTextView::next_char(qsizetype pos) const
{
    // A character of several code units (a pair, a letter with its marks) is one step.
    const qsizetype line = text_.line_at(pos);
    const qsizetype col = pos - text_.line_start(line);
    if (pos >= text_.line_end(line)) return std::min(pos + 1, text_.size());
    QTextLayout layout;
    lay_out(layout, line);
    return text_.line_start(line) + layout.nextCursorPosition(int(col));
}

bool RecordTextView::handle_movement(QKeyEvent* e)
{
    using K = QKeySequence;
    const qsizetype line = text_.line_at(position_);
    auto vertical = [&](qsizetype target, bool keep) {
        if (column_x_ < 0) column_x_ = x_of(position_);
        target = std::clamp<qsizetype>(target, 0, text_.line_count() - 1);
        move_to(position_in_line(target, column_x_), keep, true);
    };

    for (const bool keep : {false, true}) {
        // Without shift a selection collapses towards the key's direction.
        const bool collapse = !keep && has_selection();
        if (e->matches(keep ? K::SelectNextChar : K::MoveToNextChar))
            move_to(collapse ? selection_end() : position_ + 1, keep);
        else if (e->matches(keep ? K::SelectPreviousChar : K::MoveToPreviousChar))
            move_to(collapse ? selection_start() : position_ - 1, keep);
        else if (e->matches(keep ? K::SelectNextWord : K::MoveToNextWord))
            move_to(word_step(position_, true), keep);
        else if (e->matches(keep ? K::SelectPreviousWord : K::MoveToPreviousWord))
            move_to(word_step(position_, false), keep);
        else if (e->matches(keep ? K::SelectNextLine : K::MoveToNextLine))
            vertical(line + 1, keep);
        else if (e->matches(keep ? K::SelectPreviousLine : K::MoveToPreviousLine))
            vertical(line - 1, keep);
        else if (e->matches(keep ? K::SelectNextPage : K::MoveToNextPage))
            page(1, keep);
        else if (e->matches(keep ? K::SelectPreviousPage : K::MoveToPreviousPage))
            page(-1, keep);
        else if (e->matches(keep ? K::SelectStartOfLine : K::MoveToStartOfLine) ||
                 e->matches(keep ? K::SelectStartOfBlock : K::MoveToStartOfBlock))
            move_to(text_.line_start(line), keep);
        else if (e->matches(keep ? K::SelectEndOfLine : K::MoveToEndOfLine) ||
                 e->matches(keep ? K::SelectEndOfBlock : K::MoveToEndOfBlock))
            move_to(text_.line_end(line), keep);
        else if (e->matches(keep ? K::SelectStartOfDocument : K::MoveToStartOfDocument))
            move_to(0, keep);
        else if (e->matches(keep ? K::SelectEndOfDocument : K::MoveToEndOfDocument))
            move_to(text_.size(), keep);
        else
            continue;
        return true;
    }
    return false;
}

void RecordTextView::page(int direction, bool keep)
{
    // As the editable pane pages: the text scrolls by the lines wholly in
    // view, and the caret keeps its height in the pane (the one it had at
    // the first of several page keys), or goes to the first or last line
    // when the text ends.
    ensure_caret_visible();
    QScrollBar* v = verticalScrollBar();
    auto offset = [v] { return v->value() == 0 ? -margin : 0.0; }; // of the text below the pane's top
    const qsizetype last = text_.line_count() - 1;
    const int first = v->value();
    qsizetype line = text_.line_at(position_);
    if (!page_y_valid_) page_y_ = (line - first) * line_height_ - offset();
    qreal target = page_y_;
    if (column_x_ < 0) column_x_ = x_of(position_);
    if (direction > 0) {
        const qreal bottom = viewport()->height() + offset();
        qsizetype top = first;
        bool at_end = false;
        for (qreal h = 0; h + line_height_ <= bottom; h += line_height_, ++top) {
            if (top == last) {
                at_end = true;
                target = bottom;
                break;
            }
        }
        if (!at_end) v->setValue(int(top));
        target += offset();
        while (line < last && (++line - v->value()) * line_height_ < target) {
        }
    } else {
        const qreal edge = offset() - viewport()->height();
        qsizetype top = first;
        bool at_start = false;
        for (qreal h = 0; h >= edge; h -= line_height_, --top) {
            if (top == 0) {
                at_start = true;
                if (first == 0) target = 0;
                break;
            }
        }
        // The first line wholly below the edge, but never the line that was on top.
        if (!at_start && top + 1 != first) ++top;
        v->setValue(int(top));
        target += offset();
        while (line > 0 && (--line - v->value()) * line_height_ > target) {
        }
    }
    move_to(position_in_line(line, column_x_), keep, true);
    page_y_valid_ = true;
}

void RecordTextView::keyPressEvent(QKeyEvent* e)
{
    if (is_edit(e)) {
        e->ignore(); // the text is only looked at here
        return;
    }
    if (e->matches(QKeySequence::Copy)) {
        copy();
    } else if (e->matches(QKeySequence::SelectAll)) {
        select_all();
    } else if (!handle_movement(e)) {
        e->ignore();
        return;
    }
    e->accept();
}

// ---------------------------------------------------------------- mouse

void RecordTextView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    const qsizetype pos = position_at(e->position());
    if (triple_click_.isActive()) {
        // The third click selects the whole line with its line break.
        triple_click_.stop();
        const qsizetype line = text_.line_at(pos);
        anchor_ = text_.line_start(line);
        move_to(std::min(text_.line_end(line) + 1, text_.size()), true);
        return;
    }
    move_to(pos, e->modifiers() & Qt::ShiftModifier);
    dragging_ = true;
}

void RecordTextView::drag_to(QPointF pos)
{
    move_to(position_at(pos), true);
    if (viewport()->rect().contains(pos.toPoint()))
        autoscroll_.stop();
    else if (!autoscroll_.isActive())
        autoscroll_.start(50, this);
    drag_pos_ = pos;
}

void RecordTextView::mouseMoveEvent(QMouseEvent* e)
{
    if (dragging_ && (e->buttons() & Qt::LeftButton)) drag_to(e->position());
}

void RecordTextView::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    dragging_ = false;
    autoscroll_.stop();
    if (has_selection() && QApplication::clipboard()->supportsSelection())
        QApplication::clipboard()->setText(selected_text(), QClipboard::Selection);
}

void RecordTextView::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    const qsizetype pos = position_at(e->position());
    anchor_ = word_start(pos);
    move_to(word_end(pos), true);
    triple_click_.start(QApplication::doubleClickInterval(), this);
}

// ---------------------------------------------------------------- dropping text

void RecordTextView::dragEnterEvent(QDragEnterEvent* e)
{
    dragMoveEvent(e);
}

void RecordTextView::dragMoveEvent(QDragMoveEvent* e)
{
    if (!e->mimeData()->hasText()) {
        e->ignore();
        return;
    }
    // Where the text would go shows as a second caret.
    drop_at_ = position_at(e->position());
    viewport()->update();
    e->acceptProposedAction();
}

void RecordTextView::dragLeaveEvent(QDragLeaveEvent*)
{
    drop_at_ = -1;
    viewport()->update();
}

// ---------------------------------------------------------------- focus and timers

void RecordTextView::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    restart_blink();
    viewport()->update();
}

void RecordTextView::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    blink_.stop();
    viewport()->update();
}

void RecordTextView::timerEvent(QTimerEvent* e)
{
    if (e->timerId() == blink_.timerId()) {
        caret_on_ = !caret_on_;
        const qreal top = top_of(text_.line_at(position_));
        viewport()->update(QRectF(0, top, viewport()->width(), line_height_).toAlignedRect());
    } else if (e->timerId() == autoscroll_.timerId()) {
        // While a drag is outside the pane the caret follows it beyond the
        // edge, and the text scrolls with the caret.
        move_to(position_at(drag_pos_), true);
    } else if (e->timerId() == triple_click_.timerId()) {
        triple_click_.stop();
    } else {
        QAbstractScrollArea::timerEvent(e);
    }
}

} // namespace vx
