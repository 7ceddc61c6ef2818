#pragma once
// The tip window: a dock captioned "Tip" holding a read-only text area.
// What it shows is decided by the tips of the shell (show_tip); this class
// only holds the text.
#include <QDockWidget>

class QMainWindow;
class QPlainTextEdit;

namespace vx
{

// Shows a tool window docked in area of window. A panel that receives its
// first window opens to a third of the client area: the window less
// bars_height (its menu, tool and status bars).
void dock_tool_window(QMainWindow& window, QDockWidget* dock, Qt::DockWidgetArea area, int bars_height);

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
