#pragma once
// The message window: a small modal window titled "Info" with a read-only
// text area and the buttons Cancel, OK, "&Yes" and No in a row, their texts
// Qt's standard ones in the language of Qt's translation.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace vx
{

class Tfmess : public QDialog
{
    Q_OBJECT
public:
    explicit Tfmess(QWidget* parent = nullptr);

    // Shows text with the buttons of the set (btn::yes | btn::no | btn::ok |
    // btn::cancel) modally and returns the button's result (mr::ok 1,
    // mr::cancel 2, mr::yes 6, mr::no 7); closing the window counts as
    // Cancel. Returns 0 at once, changing nothing, while already showing.
    // Enter presses default_button (a btn:: flag of the set), else the first
    // of OK, Yes, Cancel, No.
    int show_message(const QString& text, int buttons, int default_button = 0);

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* btCancel = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btYes = nullptr;
    QPushButton* btNo = nullptr;

public slots:
    void reject() override;

protected:
    // Qt's translation changed: the buttons take its texts.
    void changeEvent(QEvent* event) override;

private:
    void set_button_texts();
};

} // namespace vx
