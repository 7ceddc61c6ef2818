// The message window "Info": the button sets it shows and what each returns.
#include "app/message_window.h"
#include "base/ui_port.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace vx;

namespace
{

// Runs check() once the window is up, then presses the button (or closes the window).
int run(Tfmess& w, const QString& text, int buttons, int default_button, QPushButton* press,
        const std::function<void()>& check)
{
    QTimer::singleShot(0, &w, [&w, press, check] {
        check();
        if (press)
            QTest::mouseClick(press, Qt::LeftButton);
        else
            w.close();
    });
    return w.show_message(text, buttons, default_button);
}

QStringList visible_buttons(const Tfmess& w)
{
    QStringList names;
    // The default button, which Enter presses, is marked with '*'.
    for (const QPushButton* b : {w.btCancel, w.btOK, w.btYes, w.btNo})
        if (b->isVisible()) names.append(b->objectName() + (b->isDefault() ? "*" : ""));
    return names;
}

} // namespace

TEST(MessageWindow, ShowsExactlyTheButtonsOfTheSetAndReturnsTheirResults)
{
    const struct {
        int buttons;
        int default_button;
        QPushButton* Tfmess::*press; // nullptr: the window is closed
        int result;
        QStringList shown;
    } cases[] = {{btn::yes | btn::no, 0, &Tfmess::btYes, mr::yes, {"btYes*", "btNo"}},
                 // A question whose Yes overwrites names No as its default.
                 {btn::yes | btn::no, btn::no, &Tfmess::btNo, mr::no, {"btYes", "btNo*"}},
                 {btn::ok, 0, &Tfmess::btOK, mr::ok, {"btOK*"}}, // the previous set does not linger
                 {btn::yes | btn::no | btn::cancel,
                  btn::cancel,
                  &Tfmess::btCancel,
                  mr::cancel,
                  {"btCancel*", "btYes", "btNo"}},
                 {btn::ok, btn::no, nullptr, mr::cancel, {"btOK*"}}}; // a default outside the set is none
    Tfmess w;
    for (const auto& c : cases) {
        QStringList seen;
        QString text;
        EXPECT_EQ(run(w, "Line one\r\nLine two", c.buttons, c.default_button, c.press ? w.*c.press : nullptr,
                      [&] {
                          seen = visible_buttons(w);
                          text = w.Memo1->toPlainText();
                      }),
                  c.result);
        EXPECT_EQ(seen, c.shown);
        EXPECT_EQ(text, "Line one\nLine two");
        EXPECT_FALSE(w.isVisible());
    }
}
