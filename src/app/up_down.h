#pragma once
// A pair of small arrow buttons beside an edit field (the up-down control of
// the dialogs). Associated with an edit it steps the edit's whole number
// within a range; otherwise its owner handles stepped().
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace vx
{

class UpDown : public QWidget
{
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    // Steps the whole number of edit by increment within minimum..maximum;
    // a text that is no number steps from the last position.
    void associate(QLineEdit* edit, int minimum, int maximum, int increment);
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    int increment() const { return inc_; }

    // What a click on the upper (+1) or lower (-1) arrow does.
    void step(int direction);

signals:
    // After a click, once the associated edit (if any) holds the new value.
    void stepped(int direction);

private:
    QToolButton* up_;
    QToolButton* down_;
    QLineEdit* edit_ = nullptr;
    int min_ = 0, max_ = 100, inc_ = 1, position_ = 0;
};

} // namespace vx
