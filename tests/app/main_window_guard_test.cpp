// The main window keeps what the user has: closing asks about every modified
// viewer, the viewer commands are offered only while a viewer exists, and the
// COM button opens and closes the port as it shows.
#include "app/main_window.h"
#include "common/fake_ui.h"
#include "common/temp_home.h"
#include "link/serial_port.h"
#include "logger/program_state.h"
#include "records/record_decode.h"
#include "viewer/record_viewer.h"
#include "viewer/viewer_sink.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolButton>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using vx::mr::cancel;
using vx::mr::no;

namespace
{

class Guard : public ::testing::Test
{
protected:
    void start(const QString& com1 = "/nonexistent")
    {
        home.write(
            "vorlanix.ini",
            QString("[GLOBAL]\r\nComPort=1\r\nSHOWTIP=0\r\n[PORTS]\r\nCOM1=%1\r\n").arg(com1).toUtf8());
        g.program_dir = home.dir();
        g.ui = &ui;
        w = std::make_unique<vx::TForm1>(g);
        w->show();
        w->start();
        ui.messages.clear();
    }
    vx::TEditForm* open_viewer(bool modified)
    {
        vx::RecordSink* sink = w->open_text_window("Untitled", "Download: M");
        sink->add_line("6.12.2026 10:00\t 21,5");
        w->set_window_modified(sink, modified);
        return w->current_viewer();
    }

    vxtest::TempHome home;
    vx::Global g;
    vxtest::FakeUi ui;
    std::unique_ptr<vx::TForm1> w;
};

TEST_F(Guard, ClosingAsksAboutEveryModifiedViewerAndCancelKeepsTheProgram)
{
    struct Case {
        const char* what;
        std::deque<int> answers;
        int questions;
        bool closed;
    };
    const Case cases[] = {
        {"cancel on the first", {cancel}, 1, false},
        {"no, then cancel", {no, cancel}, 2, false},
        {"no to both", {no, no}, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        start();
        open_viewer(true);
        open_viewer(false);
        open_viewer(true);
        ui.message_answers = c.answers;
        EXPECT_EQ(w->close(), c.closed);
        EXPECT_EQ(w->isVisible(), !c.closed);
        ASSERT_EQ(ui.messages.size(), c.questions);
        for (const auto& [text, buttons] : ui.messages) {
            EXPECT_EQ(text, g.lang.mess(41));
            EXPECT_EQ(buttons, vx::btn::yes | vx::btn::no | vx::btn::cancel);
        }
        EXPECT_EQ(w->mdi()->subWindowList().size(), 3); // nothing closed on the way
        w.reset();
    }
}

TEST_F(Guard, FindAndSaveAreOfferedOnlyWhileAViewerExists)
{
    start();
    EXPECT_FALSE(w->find_act->isEnabled());
    EXPECT_FALSE(w->Act_save->isEnabled());
    open_viewer(false);
    open_viewer(false);
    EXPECT_TRUE(w->find_act->isEnabled());
    EXPECT_TRUE(w->Act_save->isEnabled());
    auto close_one = [&] {
        w->mdi()->subWindowList().first()->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    close_one();
    EXPECT_TRUE(w->find_act->isEnabled());
    close_one();
    EXPECT_FALSE(w->find_act->isEnabled());
    EXPECT_FALSE(w->Act_save->isEnabled());
}

TEST_F(Guard, ComButtonUpClosesTheLinkDownOpensItOrPopsBackUp)
{
    // A pseudo-terminal stands in for the COM port.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    start(QString::fromLatin1(ptsname(master)));
    QToolButton* bt = w->btCOM;
    ASSERT_TRUE(bt);
    ASSERT_TRUE(g.link.port_open);
    EXPECT_TRUE(bt->isChecked());
    w->pansn->setText("4321");

    bt->click(); // up
    EXPECT_FALSE(bt->isChecked());
    EXPECT_FALSE(g.link.port_open);
    EXPECT_FALSE(w->CommDrv->Connected());
    EXPECT_EQ(w->pansn->text(), "");

    bt->click(); // down
    EXPECT_TRUE(bt->isChecked());
    EXPECT_TRUE(g.link.port_open);
    EXPECT_TRUE(w->CommDrv->Connected());
    EXPECT_TRUE(ui.messages.isEmpty());

    bt->click();
    g.settings.port_devices[1] = "/nonexistent"; // the port is gone
    bt->click();
    EXPECT_FALSE(bt->isChecked());
    EXPECT_FALSE(w->A_conn->isChecked());
    EXPECT_FALSE(g.link.port_open);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].first, g.lang.mess(1));
    EXPECT_EQ(ui.messages[0].second, vx::btn::ok);
    w.reset();
    ::close(master);
}

} // namespace
