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
    // The button of default_result (mr::*) has the focus and answers Enter;
    // with 0, or a result not among the buttons, the first of OK, Yes,
    // Cancel and No.
    int show_message(const QString& text, int buttons, int default_result = 0);

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
