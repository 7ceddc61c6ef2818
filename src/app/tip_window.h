#pragma once
// The tip window: a dock captioned "Tip" holding a read-only text area.
// What it shows is decided by the tips of the shell (show_tip); this class
// only holds the text.
#include <QDockWidget>

class QPlainTextEdit;

namespace vx
{

class TipWindow : public QDockWidget
{
    Q_OBJECT
public:
    explicit TipWindow(QWidget* parent = nullptr);

    QPlainTextEdit* text_area() const { return text_; }
    QString text() const;
    // Replaces the text and moves the caret to its start.
    void set_text(const QString& text);

private:
    QPlainTextEdit* text_;
};

} // namespace vx
