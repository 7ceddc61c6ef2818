#pragma once
// The record viewer's text pane while the text is only looked at. It paints
// the lines in view straight from a RecordText, so that a file of a million
// lines is shown at once, and draws them as the editable plain-text pane
// does (same font, tab stops, margins and line height). It keeps a caret and
// a selection as positions in the text, counted as the editable pane counts
// them; the mouse and the movement keys of a plain-text pane move them, and
// it copies and selects all. A key, input or click that would change the
// text is not handled here: it is reported through edit_requested, so that
// the viewer can put the editable pane in this one's place and hand it on.
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

signals:
    // The user began to change the text. event is what did it (a key press,
    // an input method event, a middle-button press, a drop of text), to be
    // given to the editable pane.
    void edit_requested(QEvent* event);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    // A laid-out line, drawn as the editable pane draws it.
    void lay_out(QTextLayout& layout, qsizetype line) const;
    qreal top_of(qsizetype line) const;       // in viewport pixels
    qsizetype position_at(QPointF pos) const; // viewport pixels to a text position
    qreal x_of(qsizetype pos) const;          // text x of a position within its line
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
    bool is_edit(QKeyEvent* e) const;
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
    qsizetype drop_at_ = -1; // where dragged text would be dropped; -1 when no drag is over the pane
    bool dragging_ = false;
    QPointF drag_pos_;
    QBasicTimer blink_;
    QBasicTimer autoscroll_;
    QBasicTimer triple_click_; // runs for a double-click interval after a double click
};

} // namespace vx
