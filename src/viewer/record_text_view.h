#pragma once
// The record viewer's text pane as a view. It paints the lines in view
// straight from a RecordText, so that a file of a million lines is shown at
// once, and draws them as a plain-text pane does (same font, tab stops,
// margins and line height). It keeps a caret and a selection as positions in
// the text, counted as a plain-text pane counts them; the mouse and the
// movement keys of a plain-text pane move them, and it copies and selects
// all. Keys, input and drops that would change the text are left to a pane
// that edits (RecordTextEdit); this view ignores them.
#include "records/record_text.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>

class QTextLayout;

namespace vx
{

class RecordTextView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    // The view shows text, which must outlive it.
    explicit RecordTextView(const RecordText& text, QWidget* parent = nullptr);
    ~RecordTextView() override;

    // After the text was replaced: caret at the start, scrolled to the top.
    void text_replaced();
    // After lines were added at the end: a view that showed the last line
    // follows the end.
    void lines_appended();

    // Tab stops, as QPlainTextEdit::setTabStopDistance.
    void set_tab_stop_distance(qreal pixels);

    // The caret is at position(); anchor() is the other end of the selection.
    qsizetype anchor() const { return anchor_; }
    qsizetype position() const { return position_; }
    qsizetype selection_start() const { return std::min(anchor_, position_); }
    qsizetype selection_end() const { return std::max(anchor_, position_); }
    bool has_selection() const { return anchor_ != position_; }
    QString selected_text() const;
    // Selects from anchor to position (clamped to the text) and scrolls the
    // caret into view.
    void set_selection(qsizetype anchor, qsizetype position);
    void select_all();
    // Puts the selected text on the clipboard; nothing without a selection.
    void copy() const;

    // Height of one line in pixels.
    qreal line_height() const { return line_height_; }

protected:
    // After the text changed under the view: the scroll ranges follow it,
    // and the selection runs from anchor to position, the caret in view.
    void text_edited(qsizetype anchor, qsizetype position);
    // Where the next or previous character or word starts, as the movement
    // keys go (a line break counts as one character).
    qsizetype next_char(qsizetype pos) const;
    qsizetype word_step(qsizetype pos, bool forward) const;
    // The text position under a point of the viewport.
    qsizetype position_at(QPointF pos) const;
    // Whether a key would change the text (as a plain-text pane takes it).
    bool is_edit(QKeyEvent* e) const;
    // Where dragged text would be dropped (a pane that accepts drops); -1
    // when no drag is over the pane.
    qsizetype drop_at_ = -1;

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    // A laid-out line, drawn as the editable pane draws it.
    void lay_out(QTextLayout& layout, qsizetype line) const;
    qreal top_of(qsizetype line) const; // in viewport pixels
    qreal x_of(qsizetype pos) const;    // text x of a position within its line
    qsizetype position_in_line(qsizetype line, qreal x) const;
    int visible_lines() const; // whole lines that fit the viewport
    void move_to(qsizetype pos, bool keep_anchor, bool keep_column = false);
    void ensure_caret_visible();
    void update_scroll_bars();
    void update_font_metrics();
    void measure_widest(); // widens widest_ to the longest line's width
    void restart_blink();
    bool handle_movement(QKeyEvent* e);
    void page(int direction, bool keep_anchor); // 1 down, -1 up
    qsizetype word_start(qsizetype pos) const;
    qsizetype word_end(qsizetype pos) const;
    void drag_to(QPointF pos);

    const RecordText& text_;
    qsizetype anchor_ = 0, position_ = 0;
    qreal column_x_ = -1; // the x that up and down keep; -1 when not set
    qreal page_y_ = 0;    // the caret's height in the pane that page keys keep
    bool page_y_valid_ = false;
    qreal tab_stop_ = 80;
    qreal line_height_ = 16;
    qreal widest_ = 0; // the widest line measured, in pixels
    bool caret_on_ = true;
    bool dragging_ = false;
    QPointF drag_pos_;
    QBasicTimer blink_;
    QBasicTimer autoscroll_;
    QBasicTimer triple_click_; // runs for a double-click interval after a double click
};

} // namespace vx
