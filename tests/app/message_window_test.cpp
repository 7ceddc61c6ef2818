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
int run(Tfmess& w, const QString& text, int buttons, int default_result, QPushButton* press,
        const std::function<void()>& check)
{
    QTimer::singleShot(0, &w, [&w, press, check] {
        check();
        if (press)
            QTest::mouseClick(press, Qt::LeftButton);
        else
            w.close();
    });
    return w.show_message(text, buttons, default_result);
}

} // namespace

TEST(MessageWindow, ShowsExactlyTheButtonsOfTheSetAndReturnsTheirResults)
{
    const int ync = btn::yes | btn::no | btn::cancel;
    const struct {
        int buttons;
        QPushButton* Tfmess::*press; // nullptr: the window is closed
        int result;
        QStringList shown;
        QString enter; // the button Enter presses: the first of OK, Yes, Cancel, No, or the one named
        int default_result = 0; // the one named
    } cases[] = {
        {btn::yes | btn::no, &Tfmess::btYes, mr::yes, {"btYes", "btNo"}, "btYes"},
        {btn::yes | btn::no, &Tfmess::btNo, mr::no, {"btYes", "btNo"}, "btNo", mr::no}, // the safe answer
        {btn::ok, &Tfmess::btOK, mr::ok, {"btOK"}, "btOK", mr::no}, // the previous set does not linger
        {ync, &Tfmess::btCancel, mr::cancel, {"btCancel", "btYes", "btNo"}, "btYes"},
        {btn::ok, nullptr, mr::cancel, {"btOK"}, "btOK"}};
    Tfmess w;
    for (const auto& c : cases) {
        QStringList seen;
        QString text, enter;
        EXPECT_EQ(run(w, "Line one\r\nLine two", c.buttons, c.default_result, c.press ? w.*c.press : nullptr,
                      [&] {
                          text = w.Memo1->toPlainText();
                          for (const QPushButton* b : {w.btCancel, w.btOK, w.btYes, w.btNo}) {
                              if (b->isVisible()) seen << b->objectName();
                              if (b->isDefault()) enter = b->objectName();
                          }
                      }),
                  c.result);
        EXPECT_EQ(seen, c.shown);
        EXPECT_EQ(enter, c.enter);
        EXPECT_EQ(text, "Line one\nLine two");
        EXPECT_FALSE(w.isVisible());
    }
}
