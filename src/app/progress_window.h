#pragma once
// The shared progress window: a small tool window that stays on top, with a
// caption, a one-line label, a bar, a log and a cancel button. Cancel (or
// Enter) calls the cancel handler and hides the window; the handler is the
// link's abort, so a running exchange ends at once.
#include <QWidget>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace vx
{

class Tfrmprogress : public QWidget
{
    Q_OBJECT
public:
    explicit Tfrmprogress(QWidget* parent = nullptr);

    void set_cancel_handler(std::function<void()> handler) { on_cancel_ = std::move(handler); }
    // Caption of the cancel button (language text MESS46, "&Zrušiť"); an
    // empty text leaves the button blank.
    void set_cancel_caption(const QString& caption);

    // Shows the window with an empty label and log, the bar 0..100 at 0.
    void start(const QString& caption);
    void set_label(const QString& text);
    void set_range(int maximum);
    void set_position(int position);
    void log(const QString& line);
    void clear_log();

    QLabel* label() const { return label_; }
    QProgressBar* bar() const { return bar_; }
    QPlainTextEdit* log_view() const { return log_; }
    QPushButton* cancel_button() const { return cancel_; }

    // Cancel: the handler, then hide.
    void cancel();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* label_;
    QProgressBar* bar_;
    QPlainTextEdit* log_;
    QPushButton* cancel_;
    std::function<void()> on_cancel_;
};

} // namespace vx
