// The main window against the simulated logger: the panels of each model, a lost logger and its
// return, the service actions, and downloads (the check, F5 and F6) into viewers and record files.
#include "app/logger_pages.h"
#include "app/main_window.h"
#include "app/question_bar.h"
#include "app/setup_dialog.h"
#include "app/viewer_area.h"
#include "common/qt_print.h"
#include "common/test_data.h"
#include "common/test_state.h"
#include "common/window_on_sim.h"
#include "records/marks.h"
#include "viewer/record_text_edit.h"
#include "viewer/record_viewer.h"

#include <QAction>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using vx::TForm1;

namespace
{

class WindowOnSim : public ::testing::Test, protected vxtest::TestState
{
protected:
    void TearDown() override
    {
        w.reset();
        vx::MarkStore().remove_mark("SKLAD");
    }
    // Starts the simulator with args and the window on COM1 mapped to it.
    TForm1& start(const QStringList& args)
    {
        EXPECT_TRUE(sim.start(args)) << sim.errors().toStdString();
        w = vxtest::start_window_on(g, ui, home, sim.link());
        return *w;
    }
    // Waits (running the event loop) until the panel shows text.
    bool wait_text(QLabel* panel, const QString& text, int ms = 8000)
    {
        return QTest::qWaitFor([&] { return panel->text() == text; }, ms);
    }
    QString text(const QString& name) const
    {
        auto* l = w->findChild<QLabel*>(name);
        return l ? l->text().trimmed() : QString("<no %1>").arg(name);
    }
    // Pages of tabs that are not current are hidden as a whole; the control's
    // own state is what the decode sets.
    bool shown(const QString& name) const
    {
        auto* widget = w->findChild<QWidget*>(name);
        return widget && !widget->isHidden();
    }
    // A type 87 logger "SKLAD" with positions 0..fill-1 written, ten minutes
    // apart from 5.3.2024 22:00 (record 12 falls on midnight).
    QStringList logger(int fill) const
    {
        return QString("--type 87 --serial 870 --name SKLAD --fill %1 --coef 2,0.1,0 --start "
                       "2024-03-05T22:00 --interval 10")
            .arg(fill)
            .split(' ');
    }
    // Waits until the poll has read the mission name (and run the check) and shows the pointer.
    bool polled(int pointer)
    {
        const QString at = QString::number(pointer);
        return QTest::qWaitFor([&] { return text("Panmisname") == "SKLAD" && text("panptr") == at; }, 10000);
    }
    QList<vx::TEditForm*> viewers() const { return w->mdi()->viewers(); } // in the order they opened

    std::unique_ptr<TForm1> w;
};

TEST_F(WindowOnSim, PanelsOfEachModelThenALostLoggerAndItsReturn)
{
    home.write("kluce.txt", "[IDKEY]\r\n4660,Vratnik\r\n");
    const struct {
        const char* args;   // the serial number is the second argument
        const char* panels; // "name=trimmed text" separated by ';'
        const char *shown, *hidden;
    } cases[] = {
        {"--serial 4321 --type 85 --name SKLAD --raw1 400 --battery 10 --interval 15 --fill 25",
         "pantype=Zapisovač "
         "teploty;pantemp=25,0;panbat=50%;Panmisname=SKLAD;panmisname2=SKLAD;PanPeriod=15;panptr=25",
         "", "BevelHumi"},
        {"--serial 93 --type 93 --raw1 4660 --err1 0", "pantemp=4660;panIBname=Vratnik;LBLaktval=Klúc",
         "panIBname", "LBLunit1 PanPeriod"},
        // -250 + 0.25 r: raw 1100 -> 25.0, limits 1000 -> 0.0 and 1200 -> 50.0.
        {"--serial 1030 --type 103 --raw1 1100 --coef -250,0.25,0 --limit-lo 1000 --limit-hi 1200",
         "pantemp=25,0;panLo=0,0;PanHI=50,0", "Hranice", "BevelHumi panIBname"},
        // Capacitive humidity ((3000 - 2000) x 16 / 160) / 2, pressure 113 + 900 hPa, battery 8.1 - 100 x
        // 0.03182.
        {"--serial 1330 --type 133 --raw1 368 --raw2 2000 --raw3 113 --battery 100",
         "pantype=SOLVA-Fenko;pantemp=23,0;panhumi=50,0;PanTempFahren=1013;panbat=4,9 V",
         "BevelHumi PanTempFahren", "Hranice"},
    };
    TForm1& f = start(QString(cases[0].args).split(' '));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const QStringList args = QString(c.args).split(' ');
        ASSERT_TRUE(&c == &cases[0] || sim.restart(args)); // the same device path: the port finds it again
        ASSERT_TRUE(wait_text(f.pages()->pansn, args[1])) << text("pansn").toStdString();
        ASSERT_TRUE(wait_text(f.stbar1, "OK"));
        EXPECT_EQ(f.windowTitle(), "VORLAN " + args[1]);
        // The mission name comes with a later tick.
        for (const QString& panel : QString(c.panels).split(';')) {
            const QString name = panel.section('=', 0, 0), value = panel.section('=', 1);
            EXPECT_TRUE(QTest::qWaitFor([&] { return text(name) == value; }, 3000))
                << name.toStdString() << ": " << text(name).toStdString();
        }
        for (const QString& name : QString(c.shown).split(' ', Qt::SkipEmptyParts))
            EXPECT_TRUE(shown(name)) << name.toStdString();
        for (const QString& name : QString(c.hidden).split(' ', Qt::SkipEmptyParts))
            EXPECT_FALSE(shown(name)) << name.toStdString();
        EXPECT_EQ(f.pages()->isTabVisible(3), args[3] != "93"); // the key logger has no "Podmienky"
        EXPECT_TRUE(f.startmission->isEnabled());
    }

    sim.kill(); // lost at the fourth failed status reply (poll_test)
    ASSERT_TRUE(wait_text(f.stbar1, "Nepripojeny", 9000));
    EXPECT_TRUE(f.pages()->pansn->text().isEmpty() && f.pages()->pantype->text().isEmpty() &&
                f.pages()->pantemp->text().isEmpty());
    EXPECT_FALSE(f.startmission->isEnabled());
    ASSERT_TRUE(sim.restart(QString(cases[0].args).split(' ')));
    EXPECT_TRUE(g.link.port_open);
    ASSERT_TRUE(wait_text(f.pages()->pansn, "4321", 6000));
}

TEST_F(WindowOnSim, SerialNumberSetTimeAndComPortChanges)
{
    g.now = [] { return QDateTime(QDate(2024, 3, 1), QTime(12, 34, 56)); };
    TForm1& f = start({"--type", "85", "--serial", "1234", "--raw1", "400"});
    ASSERT_TRUE(wait_text(f.pages()->pansn, "1234"));
    ui.input_answers = {QString("402517"), QString("777")};
    QTest::mouseDClick(f.pages()->pansn, Qt::LeftButton);
    EXPECT_EQ(ui.prompts, (QStringList{"Enter password", "Serial number"}));
    EXPECT_EQ(ui.args("progress_show"), QStringList{"Odosielam..."});
    EXPECT_FALSE(ui.progress_visible);
    // 777 = 3 x 256 + 9: command 32 with 9, then command 33 with 3.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sim.frames(33).isEmpty(); }, 3000));
    EXPECT_EQ(sim.frames(32).last().param, 9);
    EXPECT_EQ(sim.frames(33).last().param, 3);
    ASSERT_TRUE(wait_text(f.pages()->pansn, "777"));
    // The trail has the change, from the number the logger held.
    EXPECT_EQ(audit_from(0).last(), "setup-send ok");
    EXPECT_EQ(last_audit().value("details")["changes"]["serial"].toObject(),
              (QJsonObject{{"before", 1234}, {"after", 777}}));

    // Unlocked for the rest of the run: the second change asks no password.
    ui.prompts.clear();
    ui.input_answers = {QString("1234")};
    QTest::mouseDClick(f.pages()->pansn, Qt::LeftButton);
    EXPECT_EQ(ui.prompts, QStringList{"Serial number"});
    ASSERT_TRUE(wait_text(f.pages()->pansn, "1234"));

    // "Nastaviť čas" sends the computer's clock (the flow's own tests check every field).
    ui.message_answers = {vx::mr::yes};
    f.set_time->trigger();
    EXPECT_EQ(sim.frames(25).value(0).param, 122); // day 8826 = 34 x 256 + 122
    EXPECT_TRUE(f.poll_running());

    // The port released by the COM button: no "OK" stays for a logger nobody reads.
    ASSERT_TRUE(wait_text(f.stbar1, "OK"));
    f.btCOM->click();
    EXPECT_EQ(f.stbar1->text(), QString("Nepripojeny"));
    f.btCOM->click();
    ASSERT_TRUE(wait_text(f.stbar1, "OK"));

    // COM2 on a device that does not exist (its message: driver_test's advice, MESS1 below): the
    // link stays closed, and neither the number nor the device reaches the file.
    const auto before = ui.messages.size();
    g.settings.port_devices[2] = home.path("gone");
    EXPECT_FALSE(vx::change_com_port(g, 2));
    EXPECT_FALSE(g.link.port_open);
    EXPECT_TRUE(home.read("vorlanix.ini").contains("ComPort=1\r\n"));
    EXPECT_FALSE(home.read("vorlanix.ini").contains("COM2="));
    // The simulator's port while another program holds it: MESS1 and why.
    vx::TCommPortDriver holder;
    holder.setPortName(sim.link());
    ASSERT_TRUE(holder.Connect());
    EXPECT_FALSE(vx::change_com_port(g, 1));
    EXPECT_EQ(ui.messages.back().first, g.lang.mess(1) + "\r\nZariadenie " + sim.link() +
                                            " práve používa iný program (napríklad vorlanix-cli).");
    holder.Disconnect();
    // Free again: opened, then the number and its device written.
    home.write("vorlanix.ini", "[GLOBAL]\r\nComPort=5\r\n");
    EXPECT_TRUE(vx::change_com_port(g, 1));
    EXPECT_TRUE(g.link.port_open);
    EXPECT_EQ(home.read("vorlanix.ini"),
              "[GLOBAL]\r\nComPort=1\r\n[PORTS]\r\nCOM1=" + sim.link().toUtf8() + "\r\n");
    EXPECT_EQ(ui.messages.size(), before + 2);
}

TEST_F(WindowOnSim, CheckF5AndF6OpenViewersAndAViewerClosedDuringATransferLeavesTheFileComplete)
{
    vx::MarkStore().write_mark("SKLAD", 20);
    const QStringList header{"SKLAD", "Remark: ", "START: 5.3.2024 21:00", "PERIOD: 10", "GRADIENT: 0"};
    home.write("Log/SKLAD.txt", (header.join("\r\n") + "\r\n").toLatin1());
    TForm1& f = start(logger(57));
    ASSERT_TRUE(polled(57));

    // The check after the name tick: 37 new records, offered in the question bar; No keeps them.
    vx::QuestionBar* bar = f.question_bar();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bar->isHidden(); }));
    EXPECT_TRUE(bar->text().startsWith("V zapisovači sú nové záznamy\npočet je: 37\n"));
    EXPECT_EQ(f.pages()->PannewRec->text(), QString("37"));
    QTest::mouseClick(bar->btNo, Qt::LeftButton);
    EXPECT_TRUE(bar->isHidden());
    ASSERT_TRUE(QTest::qWaitFor([&] { return g.transfer.already_asked; }));

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
    EXPECT_EQ(f.stbar0->text(), QString("37 záznamov"));
    EXPECT_EQ(f.pages()->PannewRec->text(), QString("0"));
    EXPECT_TRUE(f.menu_window->menuAction()->isEnabled());
    EXPECT_TRUE(ui.messages.isEmpty()); // nothing went wrong

    // F6: the newest records (what it asks, fetches and leaves alone: download_flow_test) in a second
    // viewer, marked modified.
    ui.input_answers = {QString("5")};
    f.Prenoszznamov1->trigger();
    ASSERT_EQ(viewers().size(), 2);
    EXPECT_EQ(viewers()[1]->text().count('\n'), 5);
    EXPECT_TRUE(viewers()[1]->is_modified());
    // Asked about at close, its Yes (Enter) proposes a file of its own beside the record files.
    QString proposed;
    viewers()[1]->ask_text_path = [&](const QString& p) { return proposed = p, QString(); };
    ui.message_answers = {vx::mr::yes};
    EXPECT_FALSE(viewers()[1]->query_close()); // the save dialog was left: the window stays
    EXPECT_EQ(ui.default_results, QList<int>{vx::mr::yes});
    // SKLAD-<date>-<time>.txt
    EXPECT_EQ(proposed.section('-', 0, -3) + proposed.right(4), home.path("Log/SKLAD.txt"));
    ui.messages.clear();

    // The logger wrote 13 more. After the first block of the next F5 the user
    // closes every viewer (No to saving) and each is destroyed at once.
    ASSERT_TRUE(sim.restart(logger(70)));
    ASSERT_TRUE(polled(70));
    ui.default_answer = vx::mr::no; // to saving each viewer closed
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

TEST_F(WindowOnSim, AWaitingQuestionKeepsThePollGoingAndItsYesFetchesTheNewRecords)
{
    // Met for the first time: the notice says how many records it holds and how to fetch them.
    TForm1& f = start(logger(57) + QStringList{"--record-every-ms", "700"});
    vx::QuestionBar* bar = f.question_bar();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bar->isHidden(); }, 10000));
    EXPECT_TRUE(bar->text().startsWith("POZOR tento zapisovač bol pripojený prvýkrát"));
    const int first = vx::MarkStore().read_mark("SKLAD");
    EXPECT_TRUE(bar->text().contains(
        QString("obsahuje (%1 až 3901), prenesiete v menu Služby -> Prenos záznamov (F6)").arg(first)));
    // Records written since wait behind it until it has been read.
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.pages()->PannewRec->text().toInt() > 0; }, 8000));
    EXPECT_TRUE(bar->text().startsWith("POZOR"));
    QTest::mouseClick(bar->btOK, Qt::LeftButton);
    EXPECT_TRUE(bar->text().startsWith("V zapisovači sú nové záznamy"));
    // Nobody answers for a while: the logger is still read, and the count offered follows it.
    const QString asked = bar->text();
    const auto polls = sim.frames(10).size();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return bar->text() != asked && sim.frames(10).size() > polls + 2; }, 10000))
        << asked.toStdString();
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.value(0).first.toStdString();
    EXPECT_TRUE(f.poll_running());

    QTest::mouseClick(bar->btYes, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewers().size() == 1 && f.poll_running(); }));
    EXPECT_TRUE(bar->isHidden());
    const int mark = vx::MarkStore().read_mark("SKLAD");
    EXPECT_GT(mark, first);
    EXPECT_EQ(vxtest::file_lines(home.path("Log/SKLAD.txt")).size(), mark - first);

    // Looked at, selected and copied, but not edited: leaving asks nothing about it.
    vx::TEditForm* v = viewers()[0];
    for (QKeySequence::StandardKey keys :
         {QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::MoveToNextPage})
        QTest::keySequence(v->text_pane(), keys);
    EXPECT_FALSE(v->is_modified());
    EXPECT_TRUE(f.close());
    EXPECT_TRUE(ui.messages.isEmpty());
}

} // namespace
