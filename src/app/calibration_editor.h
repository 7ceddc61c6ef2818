#pragma once
// The editor of the calibration definitions file "calib.ini": a plain text
// area over the file, saved on close after a confirmation when changed.
#include <QDialog>

class QPlainTextEdit;
class QStatusBar;

namespace vx
{

struct Global;

class Tfcalini : public QDialog
{
    Q_OBJECT
public:
    Tfcalini(Global& g, QWidget* parent = nullptr);

    // Fills the text area from the file, or with the missing-file note; the
    // note does not count as a change.
    void load();
    bool changed() const { return changed_; }
    QPlainTextEdit* memo() const { return memo_; }

protected:
    void showEvent(QShowEvent* event) override;
    // Every way of closing passes here: ask to save when the text changed;
    // a save that fails keeps the window open with its text.
    void done(int result) override;

private:
    bool save();

    Global& g_;
    QPlainTextEdit* memo_;
    QStatusBar* status_;
    bool changed_ = false;
    bool loading_ = false;
};

} // namespace vx
