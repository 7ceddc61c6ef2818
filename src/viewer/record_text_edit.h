#pragma once
// The record viewer's text pane where the user may change the text. It is
// the view (RecordTextView) over the viewer's own RecordText, changed in
// place: a key typed into a file of a million lines moves the text after the
// caret once and touches nothing else, and nothing is copied into a second
// document. It takes the keys, input, pastes and drops of a plain-text pane,
// keeps an undo history of the changes (typing and deleting in a row make one
// step) and the modified flag (clear again when the changes are undone back
// to the last save).
#include "viewer/record_text_view.h"

#include <vector>

namespace vx
{

class RecordTextEdit : public RecordTextView
{
    Q_OBJECT
public:
    // The pane edits text, which must outlive it.
    explicit RecordTextEdit(RecordText& text, QWidget* parent = nullptr);

    // After the text was replaced as a whole: as the view, with no history
    // and not modified.
    void text_replaced();

    // Replaces the characters from..to with text (line breaks read as
    // RecordText reads them) as one step of the history; the caret goes to
    // the end of what was put in. false when nothing changed.
    bool replace(qsizetype from, qsizetype to, const QString& text);
    // The editing commands of the text menu and keys.
    void cut();
    void paste();
    bool undo();
    bool redo();
    bool can_undo() const { return done_ > 0; }
    bool can_redo() const { return done_ < history_.size(); }

    bool is_modified() const { return forced_modified_ || done_ != clean_; }
    // false marks the text as saved; true marks it changed until the next false.
    void set_modified(bool modified);
    // Typed text replaces the character after the caret (the Insert key turns it on and off).
    bool overwrite() const { return overwrite_; }

signals:
    // The text changed (by the user, undo or redo).
    void changed();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // One step of the history: at position at, removed gave way to inserted.
    struct Change {
        qsizetype at = 0;
        QString removed, inserted;
        qsizetype anchor = 0, position = 0; // the selection before the step
    };
    // Acts on a key that edits; false for any other key.
    bool edit_key(QKeyEvent* e);
    bool edit_text_key(QKeyEvent* e);
    // Whether a step may join the last one: typing on where it ended, or
    // deleting on from where it stopped, with nothing selected.
    bool joins_last(const Change& c) const;
    // Puts a step into the text (forward) or takes it out; the caret
    // afterwards as after the step, or the selection as before it.
    void apply(const Change& c, bool forward);

    RecordText& edited_;
    std::vector<Change> history_;
    size_t done_ = 0;  // steps of history_ in effect; the rest can be redone
    size_t clean_ = 0; // done_ at the last save; SIZE_MAX when that state is gone
    bool forced_modified_ = false;
    bool overwrite_ = false;
    bool may_join_ = false; // no undo, redo or save since the last step
};

} // namespace vx
