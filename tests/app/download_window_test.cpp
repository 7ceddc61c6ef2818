// Record downloads through the main window against the simulated logger:
// the check after the name tick, "Prenos" (F5) and "Prenos záznamov" (F6)
// open viewers with what went to the mission's record file (whose lines the
// download flow tests check against the simulator's ring), and keep the marks.
#include "app/main_window.h"
#include "common/qt_print.h"
#include "common/test_data.h"
#include "common/test_state.h"
#include "common/window_on_sim.h"
#include "records/marks.h"
#include "viewer/record_viewer.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

class DownloadWindowTest : public ::testing::Test, protected vxtest::TestState
{
protected:
    // A type 87 logger "SKLAD" with positions 0..fill-1 written, ten minutes
    // apart from 5.3.2024 22:00 (record 12 falls on midnight).
    QStringList logger(int fill) const
    {
        return {"--type",     "87",      "--serial", "870",
                "--name",     "SKLAD",   "--fill",   QString::number(fill),
                "--coef",     "2,0.1,0", "--start",  "2024-03-05T22:00",
                "--interval", "10"};
    }
    // Waits until the poll has read the mission name (the automatic check runs
    // in that same tick) and shows the pointer.
    bool polled(int pointer)
    {
        return QTest::qWaitFor(
            [&] { return w->Panmisname->text() == "SKLAD" && w->panptr->text() == QString::number(pointer); },
            10000);
    }
    QList<vx::TEditForm*> viewers() const
    {
        QList<vx::TEditForm*> out;
        for (QMdiSubWindow* s : w->mdi()->subWindowList(QMdiArea::CreationOrder))
            if (auto* v = qobject_cast<vx::TEditForm*>(s->widget())) out << v;
        return out;
    }
    void TearDown() override
    {
        w.reset();
        vx::MarkStore().remove_mark("SKLAD");
    }

    std::unique_ptr<vx::TForm1> w;
};

TEST_F(DownloadWindowTest, CheckF5AndF6OpenViewersAndAViewerClosedDuringATransferLeavesTheFileComplete)
{
    vx::MarkStore().write_mark("SKLAD", 20);
    const QStringList header{"SKLAD", "Remark: ", "START: 5.3.2024 21:00", "PERIOD: 10", "GRADIENT: 0"};
    home.write("Log/SKLAD.txt", (header.join("\r\n") + "\r\n").toLatin1());
    ASSERT_TRUE(sim.start(logger(57))) << sim.errors().toStdString();
    w = vxtest::start_window_on(g, ui, home, sim.link());
    vx::TForm1& f = *w;
    ASSERT_TRUE(polled(57));

    // The check after the name tick: 37 new records, offered once; No keeps them.
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].first.startsWith("V zapisovači sú nové záznamy\r\npočet je: 37\r\n"));
    EXPECT_EQ(ui.messages[0].second, vx::btn::yes | vx::btn::no);
    EXPECT_EQ(f.PannewRec->text(), QString("37"));

    f.act_newrecords->trigger();
    ASSERT_EQ(viewers().size(), 1);
    vx::TEditForm* v = viewers()[0];
    // Records 20..56 are all after midnight, so the viewer's stamps are the file's.
    const QStringList stored = vxtest::file_lines(home.path("Log/SKLAD.txt"));
    ASSERT_EQ(stored.size(), header.size() + 37);
    EXPECT_EQ(stored.mid(0, header.size()), header);
    EXPECT_EQ(v->text().split('\n'), QStringList{"Download: SKLAD"} + stored.mid(header.size()));
    EXPECT_EQ(v->windowTitle(), QString("Untitled"));
    EXPECT_FALSE(v->is_modified());
    EXPECT_EQ(v->graph_points(), 37);
    EXPECT_EQ(vx::MarkStore().read_mark("SKLAD"), 57);
    EXPECT_EQ(f.stbar0->text(), QString("37 záznamov"));
    EXPECT_EQ(f.PannewRec->text(), QString("0"));
    EXPECT_TRUE(f.menu_window->menuAction()->isEnabled());
    EXPECT_FALSE(ui.progress_visible);
    EXPECT_EQ(ui.messages.size(), 1); // nothing went wrong

    // F6 with 5: the newest five in a second viewer, marked modified; the mark stays.
    ui.input_answers = {QString("5")};
    f.Prenoszznamov1->trigger();
    EXPECT_EQ(ui.prompts, QStringList{"Zadajte počet najnovších záznamov"});
    ASSERT_EQ(viewers().size(), 2);
    EXPECT_EQ(viewers()[1]->text().split('\n'),
              QStringList{"Download: SKLAD"} + stored.mid(stored.size() - 5));
    EXPECT_TRUE(viewers()[1]->is_modified());
    EXPECT_EQ(vx::MarkStore().read_mark("SKLAD"), 57);

    // The logger wrote 13 more. After the first block of the next F5 the user
    // closes every viewer (No to saving) and each is destroyed at once.
    ASSERT_TRUE(sim.restart(logger(70)));
    ASSERT_TRUE(polled(70));
    QPointer<vx::TEditForm> receiving;
    bool closed = false;
    ui.on_call = [&](const QString& call) {
        if (!call.startsWith("progress_log") || closed) return;
        closed = true;
        receiving = viewers().last();
        while (!viewers().isEmpty()) {
            f.win_close->trigger();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    };
    f.act_newrecords->trigger();
    ui.on_call = nullptr;
    EXPECT_TRUE(receiving.isNull());
    EXPECT_TRUE(viewers().isEmpty());
    EXPECT_FALSE(f.menu_window->menuAction()->isEnabled());
    EXPECT_EQ(vxtest::file_lines(home.path("Log/SKLAD.txt")).size(), header.size() + 50);
    EXPECT_EQ(vx::MarkStore().read_mark("SKLAD"), 70);
    EXPECT_EQ(f.stbar0->text(), QString("13 záznamov"));
    EXPECT_TRUE(f.poll_running());
}

} // namespace
