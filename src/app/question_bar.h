#pragma once
// The question bar of the main window: a question or notice of the poll
// (new records to fetch, a logger met for the first time) shown above the
// logger pages instead of in a modal window, so that the poll, the live
// values, the trend and the status bar's clock go on while it waits for an
// answer.
#include <QFrame>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace vx
{

class QuestionBar : public QFrame
{
    Q_OBJECT
public:
    explicit QuestionBar(QWidget* parent = nullptr);

    // Shows text with the buttons of the set (btn::yes, btn::no, btn::ok);
    // answered gets the result of the button pressed (mr::*) once the bar is
    // hidden and the click has ended. A second ask before the answer replaces
    // the text, the buttons and the callback; a question asked while a notice
    // (OK only) has not been read waits until it has.
    void ask(const QString& text, int buttons, std::function<void(int)> answered);
    // A question (a bar with Yes) goes away unanswered; a notice stays.
    void withdraw_question();
    QString text() const;

    QLabel* Memo1 = nullptr;
    QPushButton* btYes = nullptr;
    QPushButton* btNo = nullptr;
    QPushButton* btOK = nullptr;

protected:
    // Qt's translation changed: the buttons take its texts.
    void changeEvent(QEvent* event) override;

private:
    void answer(int result);
    void set_button_texts();

    std::function<void(int)> answered_;
    struct Waiting {
        QString text;
        int buttons = 0;
        std::function<void(int)> answered;
    };
    std::optional<Waiting> waiting_; // a question behind an unread notice
};

} // namespace vx
