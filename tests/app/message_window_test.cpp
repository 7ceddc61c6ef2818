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

// Runs check() once the window is up, then presses the button.
int run(Tfmess& w, const QString& text, int buttons, QPushButton* press,
        const std::function<void()>& check = {})
{
    QTimer::singleShot(0, &w, [&w, press, check] {
        if (check) check();
        if (press)
            QTest::mouseClick(press, Qt::LeftButton);
        else
            w.close();
    });
    return w.show_message(text, buttons);
}

QStringList visible_buttons(const Tfmess& w)
{
    QStringList names;
    for (const QPushButton* b : {w.btCancel, w.btOK, w.btYes, w.btNo})
        if (b->isVisible()) names.append(b->objectName());
    return names;
}

} // namespace

TEST(MessageWindow, DesignedLook)
{
    Tfmess w;
    EXPECT_EQ(w.windowTitle(), "Info");
    EXPECT_TRUE(w.Memo1->isReadOnly());
    EXPECT_EQ(w.Memo1->objectName(), "Memo1");
    EXPECT_EQ(w.btCancel->text(), "Cancel");
    EXPECT_EQ(w.btOK->text(), "OK");
    EXPECT_EQ(w.btYes->text(), "&Yes");
    EXPECT_EQ(w.btNo->text(), "No");
    EXPECT_EQ(w.findChild<QPushButton*>("btYes"), w.btYes);
}

TEST(MessageWindow, YesNoShowsExactlyTwoButtonsAndReturnsTheirResults)
{
    Tfmess w;
    QStringList seen;
    QString text;
    EXPECT_EQ(run(w, "Line one\r\nLine two", btn::yes | btn::no, w.btYes,
                  [&] {
                      seen = visible_buttons(w);
                      text = w.Memo1->toPlainText();
                  }),
              mr::yes);
    EXPECT_EQ(seen, QStringList({"btYes", "btNo"}));
    EXPECT_EQ(text, "Line one\nLine two");
    EXPECT_EQ(run(w, "again", btn::yes | btn::no, w.btNo), mr::no);
    EXPECT_FALSE(w.isVisible());
}

TEST(MessageWindow, OtherButtonSetsAndClosing)
{
    Tfmess w;
    QStringList seen;
    EXPECT_EQ(run(w, "ok?", btn::ok, w.btOK, [&] { seen = visible_buttons(w); }), mr::ok);
    EXPECT_EQ(seen, QStringList({"btOK"}));
    // The previous set does not linger.
    EXPECT_EQ(
        run(w, "three", btn::yes | btn::no | btn::cancel, w.btCancel, [&] { seen = visible_buttons(w); }),
        mr::cancel);
    EXPECT_EQ(seen, QStringList({"btCancel", "btYes", "btNo"}));
    EXPECT_EQ(run(w, "closed", btn::ok, nullptr), mr::cancel);
}

TEST(MessageWindow, SecondCallWhileShowingDoesNothing)
{
    Tfmess w;
    int inner = -1;
    QString text_after;
    QStringList buttons_after;
    EXPECT_EQ(run(w, "first", btn::yes | btn::no, w.btNo,
                  [&] {
                      inner = w.show_message("second", btn::ok);
                      text_after = w.Memo1->toPlainText();
                      buttons_after = visible_buttons(w);
                  }),
              mr::no);
    EXPECT_EQ(inner, 0);
    EXPECT_EQ(text_after, "first");
    EXPECT_EQ(buttons_after, QStringList({"btYes", "btNo"}));
}
