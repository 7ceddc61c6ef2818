// The main window without a logger: geometry, a port that does not open, every menu item, tool button
// and shortcut pressed as the user would, the commands reaching the active viewer, the database
// browser, closing with modified viewers, the COM button, signals and the late language file.
#include "app/about_box.h"
#include "app/download_host.h"
#include "app/logger_pages.h"
#include "app/main_window.h"
#include "app/progress_window.h"
#include "app/qt_ui.h"
#include "app/signal_watch.h"
#include "app/tip_window.h"
#include "app/viewer_area.h"
#include "base/kept_texts.h"
#include "common/qt_print.h"
#include "common/test_state.h"
#include "link/serial_port.h"
#include "viewer/database_browser.h"
#include "viewer/file_list.h"
#include "viewer/graph_properties_dialog.h"
#include "viewer/print_dialog.h"
#include "viewer/record_viewer.h"
#include "viewer/report.h"

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <stdlib.h>

using vx::TForm1;

namespace
{

// Twelve hourly records of temperature and humidity on 6.3.2024 from first_hour.
QByteArray record_file(int first_hour)
{
    QByteArray text = "SKLAD\r\nRemark: \r\nSTART: 6.3.2024 07:00\r\nPERIOD: 60\r\nGRADIENT: 0\r\n";
    for (int i = 0; i < 12; ++i)
        text += QString("6.3.2024 %1:00\t 2%2,5\t 6%2,0\r\n")
                    .arg(first_hour + i, 2, 10, QChar('0'))
                    .arg(i % 10)
                    .toLatin1();
    return text;
}

// What pressing an item did.
struct Seen {
    QStringList modal;   // class and object name of each modal window that came up
    QStringList windows; // object names of top-level windows that came up
    int messages = 0;    // messages and plain message boxes
    bool enabled = true;
};

class MainWindowTest : public ::testing::Test, protected vxtest::TestState
{
protected:
    // The program's own start order: the progress window and the main window
    // are made before start() reads the settings (COM1 on no device) and the
    // language file's section EN; until then they have no texts.
    TForm1& run_program(const QByteArray& global = {}, const QByteArray& language = {})
    {
        home.write("vorlanix.ini", "[GLOBAL]\r\nSHOWTIP=0\r\nLANGUAGE=EN\r\nComPort=1\r\n" + global +
                                       "[PORTS]\r\nCOM1=/nonexistent\r\n");
        if (!language.isEmpty()) home.write("vorlan.lng", "[EN]\r\n" + language);
        g.lang = vx::Language{};
        qt = std::make_unique<vx::QtUi>(g);
        g.ui = &ui;
        w = std::make_unique<TForm1>(g);
        w->show();
        w->start();
        ui.messages.clear();
        QApplication::processEvents();
        return *w;
    }
    void open_viewer(bool modified)
    {
        w->download_host()->set_window_modified(
            w->download_host()->open_text_window("Untitled", "Download: M"), modified);
    }
    // Creates and starts the window over the files written so far.
    TForm1& make()
    {
        w = std::make_unique<TForm1>(g);
        w->start();
        return *w;
    }
    // The window shown and active over A.txt and B.txt in the log folder; what
    // it asks the desktop, the graph program and the printer is caught.
    TForm1& shown(const QByteArray& global = "AUTOGRAPH=0\r\n")
    {
        home.write("vorlanix.ini", "[GLOBAL]\r\nComPort=9\r\nSHOWTIP=0\r\n" + global +
                                       "[PORTS]\r\nCOM9=/nonexistent/tty\r\n");
        home.write("Log/A.txt", record_file(8));
        home.write("Log/B.txt", record_file(10));
        home.write("muster.htm", "<h1>?Header</h1>");
        home.write("html/index.html", "<html></html>");
        // The desktop's opener of the help page: one that records the page, or one without a browser.
        home.write("open.sh", "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/opened\"\n");
        home.write("no-browser.sh", "#!/bin/sh\necho 'no browser to open it' >&2\nexit 3\n");
        for (const char* script : {"open.sh", "no-browser.sh"})
            QFile::setPermissions(home.path(script), QFile::ReadOwner | QFile::ExeOwner);
        make().resize(1000, 750);
        w->hooks.help_opener = home.path("open.sh");
        w->hooks.start_program = [this](const QString& p) { return started << p, true; };
        w->frmprint->ask_printer = pdf_printer("print.pdf");
        w->show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        return *w;
    }
    // Presses a key in the main window as the user would.
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w.get(), k, mods);
    }
    // Presses the item (its first shortcut, else its entry); modal windows are recorded and closed.
    Seen press(QAction* a)
    {
        Seen seen;
        seen.enabled = a->isEnabled();
        // Hiding a window that had the focus leaves the offscreen platform with no active window.
        if (QApplication::activeWindow() != w.get()) QApplication::setActiveWindow(w.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        QSet<QWidget*> before; // the windows already showing
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->isVisible()) before << t;
        const auto messages = ui.messages.size() + ui.count("plain_message");
        QTimer closer;
        closer.setInterval(20);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* m = QApplication::activeModalWidget()) {
                seen.modal << QString(m->metaObject()->className()) + ":" + m->objectName();
                if (auto* d = qobject_cast<QDialog*>(m))
                    d->reject();
                else
                    m->close();
            }
        });
        closer.start();
        if (!a->shortcut().isEmpty())
            key(a->shortcut()[0].key(), a->shortcut()[0].keyboardModifiers());
        else if (a->isEnabled())
            a->trigger(); // as its menu item or tool button does
        QTest::qWait(30);
        closer.stop();
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->isVisible() && !before.contains(t) && t != w.get()) seen.windows << t->objectName();
        seen.messages = int(ui.messages.size() + ui.count("plain_message") - messages);
        return seen;
    }

    std::unique_ptr<vx::QtUi> qt;
    std::unique_ptr<TForm1> w;
    QStringList started;
};

TEST_F(MainWindowTest, GeometryIsSavedAtCloseAndTakenOnlyWithinItsLimits)
{
    // Which sizes are saved at all is the settings' rule (tests/base/settings_test.cpp).
    home.write("vorlanix.ini", "[GLOBAL]\r\nWIDTH=640\r\nHEIGHT=480\r\nLEFT=30\r\nTOP=40\r\n");
    TForm1& fresh = make(); // not shown yet, so the layout's minimum does not apply
    fresh.resize(201, 201);
    fresh.move(55, 66);
    fresh.close();
    EXPECT_EQ(home.read("vorlanix.ini"),
              QByteArray("[GLOBAL]\r\nWIDTH=201\r\nHEIGHT=201\r\nLEFT=55\r\nTOP=66\r\n"));

    // Which stored bounds are taken is the fitting's rule (settings_test); here a window larger than
    // the desktop's free area is cut to it, and none stored gives the designed two thirds of it.
    const QRect free_area = fresh.screen()->availableGeometry();
    QRect designed(0, 0, free_area.width() * 2 / 3, free_area.height() * 2 / 3);
    designed.moveCenter(free_area.center());
    const std::pair<QByteArray, QRect> cases[] = {
        {"WIDTH=5000\r\nHEIGHT=5000\r\nLEFT=0\r\nTOP=187\r\n", free_area}, {"", designed}};
    for (const auto& [keys, expected] : cases) {
        home.write("vorlanix.ini", "[GLOBAL]\r\n" + keys);
        EXPECT_EQ(make().geometry(), expected) << keys.constData();
    }
}

TEST_F(MainWindowTest, PortThatDoesNotOpenOrSettingsThatCannotBeReadAreSaidAndPollStillRuns)
{
    // The texts are pinned where they are made: settings_test, and driver_test for the advice.
    const QString mess1 = g.lang.mess(1) + "\r\nZariadenie /nonexistent/tty7 neexistuje.",
                  unreadable = g.lang.mess(201).arg(home.path("vorlanix.ini"), "it is not a regular file");
    for (const bool readable : {true, false}) {
        SCOPED_TRACE(readable ? "a port that does not open"
                              : "settings that cannot be read: the port is not blamed");
        ui.messages.clear();
        QFile::remove(home.path("vorlanix.ini"));
        if (readable)
            home.write("vorlanix.ini",
                       "[GLOBAL]\r\nComPort=7\r\nSHOWTIP=0\r\n[PORTS]\r\nCOM7=/nonexistent/tty7\r\n");
        else
            QDir().mkpath(home.path("vorlanix.ini"));
        TForm1& f = make();
        // The missing log directory is reported by the settings load, before the port,
        // which is named, with why it did not open.
        ASSERT_EQ(ui.messages.size(), 2);
        EXPECT_TRUE(ui.messages[0].first.startsWith("Nie je možné nájsť adresár LOG"));
        EXPECT_EQ(ui.messages[1], qMakePair(readable ? mess1 : unreadable, vx::btn::ok));
        EXPECT_EQ(f.stbar1->text(), QString("Nepripojeny"));
        EXPECT_FALSE(g.link.port_open);
        EXPECT_FALSE(f.A_conn->isChecked());
        EXPECT_TRUE(f.poll_running());
        EXPECT_EQ(f.timer()->interval(), 700);
    }
}

TEST_F(MainWindowTest, EveryItemActsOrIsDisabledWithoutAViewer)
{
    TForm1& f = shown();
    QApplication::clipboard()->setText("unchanged");
    // Items that act on a viewer are disabled; the others do their own work now.
    const QList<QAction*> viewer_items{
        f.Act_save,    f.find_act,   f.print,      f.print_preview, f.Act_graph, f.win_next,     f.win_prev,
        f.win_max,     f.win_tile_v, f.win_tile_h, f.win_cascade,   f.win_close, f.Agr_Property, f.agr_zoomin,
        f.agr_zoomout, f.agr_save,   f.agr_copy,   f.agr_Print,     f.agr_full,  f.agr_style};
    // What each opens: class:objectName of a modal window, object name of a window, "modal" or "message".
    const std::pair<QAction*, QString> expected[] = {{f.openbase, "frmopenbase"},
                                                     {f.actopentext, "QFileDialog:QFileDialog"},
                                                     {f.Kalibransbor2, "vx::Tfcalini:fcalini"},
                                                     {f.Nastaveniatlae1, "vx::Tfrmprint:frmprint"},
                                                     {f.act_newrecords, "message"},
                                                     {f.Prenoszznamov1, "message"},
                                                     {f.set_time, "message"},
                                                     {f.Nastaveniaprogramu1, "modal"},
                                                     {f.Zaznamauditu1, "frmaudit"},
                                                     {f.Oprograme1, "QMessageBox:AboutBox"},
                                                     {f.A_conn, "message"}};
    QList<QAction*> walked;
    QList<QAction*> items; // the menu bar, its sub-menus and the tool bars, each once
    for (QAction* m : f.menuBar()->actions())
        items << m->menu()->actions();
    items << f.ToolBar1->actions() << f.pages()->ToolBar2->actions();
    for (QAction* a : items) {
        // "Koniec" closes the window: the last test does it.
        if (a->isSeparator() || a->menu() || walked.contains(a) || a == f.N7koniec1) continue;
        SCOPED_TRACE(a->objectName().toStdString());
        const Seen s = press(a);
        walked << a;
        if (viewer_items.contains(a)) {
            EXPECT_FALSE(s.enabled);
            EXPECT_TRUE(s.modal.isEmpty() && s.windows.isEmpty() && s.messages == 0);
        } else if (a == f.startmission) {
            EXPECT_FALSE(s.enabled); // until a logger's mission name was read
        } else if (a == f.Act_showtip) {
            EXPECT_TRUE(f.tip_window()->isVisible()); // docked beside the viewers
        } else if (a == f.help_action) {
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return home.read("opened") == home.path("html/index.html") + "\n"; }));
        } else {
            const auto it = std::find_if(std::begin(expected), std::end(expected),
                                         [a](const auto& e) { return e.first == a; });
            ASSERT_NE(it, std::end(expected)) << "no expectation for this item";
            if (it->second == "message")
                EXPECT_GT(s.messages, 0);
            else if (it->second == "modal")
                EXPECT_EQ(s.modal.size(), 1);
            else if (it->second.contains(':'))
                EXPECT_EQ(s.modal, QStringList{it->second});
            else
                EXPECT_TRUE(s.windows.contains(it->second)) << s.windows.join(",").toStdString();
        }
        // Windows that stay open are put away for the next item.
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t != w.get() && t->isVisible()) t->hide();
        f.tip_window()->hide();
    }
    for (QAction* a : viewer_items + QList<QAction*>{f.help_action, f.Act_showtip, f.startmission})
        EXPECT_TRUE(walked.contains(a)) << a->objectName().toStdString();
    for (const auto& [a, opens] : expected)
        EXPECT_TRUE(walked.contains(a)) << a->objectName().toStdString();
    QTest::qWait(1200); // "Graf" would redraw a second later
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(QApplication::clipboard()->text(), QString("unchanged"));
    EXPECT_TRUE(f.isVisible()); // Shift+F10 closes a viewer, never the main window
}

TEST_F(MainWindowTest, CommandsReachTheActiveViewer)
{
    // The two record files in viewers, B active.
    TForm1& f = shown();
    vx::TEditForm* a = f.mdi()->open_text_file(home.path("Log/A.txt"));
    vx::TEditForm* b = f.mdi()->open_text_file(home.path("Log/B.txt"));
    f.mdi()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(b->parentWidget()));
    ASSERT_EQ(f.mdi()->current_viewer(), b);
    EXPECT_TRUE(b->text().startsWith("TEXT FILE:" + home.path("Log/B.txt") + "\nSKLAD\n"));
    EXPECT_EQ(b->graph_points(), 12);

    // Ctrl+S: the active viewer's save dialog, proposing its own file; Ctrl+F its find dialog.
    QStringList proposed;
    a->ask_text_path = b->ask_text_path = [&](const QString& p) { return proposed << p, QString(); };
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(proposed, QStringList{home.path("Log/B.txt")});
    key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(b->findChild<QDialog*>("FindDialog1")->isVisible());
    EXPECT_FALSE(a->findChild<QDialog*>("FindDialog1")->isVisible());
    b->findChild<QDialog*>("FindDialog1")->hide();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));

    // Zoom in, zoom out and "FULL" move only the active viewer.
    const auto full_a = a->time_range(), full = b->time_range();
    f.agr_zoomin->trigger();
    EXPECT_DOUBLE_EQ(b->time_range().second - b->time_range().first, (full.second - full.first) / 2);
    f.agr_zoomout->trigger();
    f.agr_zoomout->trigger();
    EXPECT_DOUBLE_EQ(b->time_range().second - b->time_range().first, (full.second - full.first) * 2);
    EXPECT_EQ(a->time_range(), full_a);
    f.agr_full->trigger();
    EXPECT_EQ(b->time_range(), full);
    // Any change of the graph tab redraws the whole graph, which reads the tab.
    f.agr_zoomin->trigger();
    f.pages()->CheckBox1->setChecked(false);
    EXPECT_EQ(b->time_range(), full);
    f.pages()->SpinEdit1->setValue(30);
    EXPECT_EQ(b->plot()->yAxis->range().upper, 30);

    // "Graf" brings the active viewer's own chart forward, whole, with room beside the text.
    auto* split = b->findChild<QSplitter*>();
    split->setSizes({split->width(), 0});
    f.agr_zoomin->trigger();
    f.Act_graph->trigger();
    EXPECT_EQ(b->time_range(), full);
    EXPECT_GT(b->plot()->width(), 200);
    // A graph program named in the settings starts once per run, and the redraw follows a second
    // later; one that does not start says so.
    home.write("vorlanix.ini", "[GLOBAL]\r\nGRAPHPROGRAM=grafy\r\n");
    f.hooks.start_program = [this](const QString& p) { return started << p, started.size() > 1; };
    for (int i = 0; i < 3; ++i)
        f.Act_graph->trigger();
    EXPECT_EQ(started, QStringList({"grafy", "grafy"}));
    EXPECT_EQ(ui.args("plain_message"), QStringList{"Nie je možné spustiť program <grafy>"});
    f.agr_zoomin->trigger();
    QTest::qWait(1300);
    EXPECT_EQ(b->time_range(), full);

    // 607 asks for a picture file, 608 copies the chart, 610 applies the
    // style table (COLOR1, red in the low byte: the surround).
    int picture_asks = 0;
    b->ask_picture_path = [&](bool*) { return ++picture_asks, QString(); };
    f.agr_save->trigger();
    EXPECT_EQ(picture_asks, 1);
    QApplication::clipboard()->clear();
    f.agr_copy->trigger();
    EXPECT_EQ(QApplication::clipboard()->image().size(), b->plot()->size());
    g.settings.colors[0] = 0x1400C8;
    f.agr_style->trigger();
    EXPECT_EQ(QColor(b->picture().pixel(1, 1)), QColor(200, 0, 20));
    // "Vlastnosti": a colour picked in the graph properties reaches the chart at once.
    f.Agr_Property->trigger();
    ASSERT_TRUE(f.fgprop->isVisible());
    f.fgprop->select_target(0);
    f.fgprop->pick_color(QColor(10, 200, 20));
    EXPECT_EQ(QColor(b->picture().pixel(1, 1)), QColor(10, 200, 20));
    f.fgprop->hide();

    key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(f.mdi()->current_viewer(), a);
    key(Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(f.mdi()->current_viewer(), b);

    // Print (no printer chosen yet: the print dialog's PDF file), the report window, cascade, maximise.
    press(f.print);
    EXPECT_TRUE(home.read("print.pdf").startsWith("%PDF"));
    EXPECT_EQ(press(f.agr_Print).modal, QStringList{"vx::Tfreport:freport"});
    auto sub = [](vx::TEditForm* v) { return qobject_cast<QMdiSubWindow*>(v->parentWidget()); };
    press(f.win_cascade);
    EXPECT_NE(sub(a)->pos(), sub(b)->pos());
    press(f.win_max);
    EXPECT_TRUE(sub(b)->isMaximized());

    // Shift+F10 closes the active viewer, asking first for a modified one: Cancel keeps B, No closes
    // it, then A; the last one disables the window menu.
    b->add_line("7.3.2024 08:00\t 20,0\t 50,0");
    ui.message_answers = {vx::mr::cancel, vx::mr::no};
    for (int i = 0; i < 3; ++i) {
        key(Qt::Key_F10, Qt::ShiftModifier);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(ui.args("show_message").mid(1), QStringList(2, g.lang.mess(41)));
    EXPECT_TRUE(f.mdi()->subWindowList().isEmpty());
    for (QAction* item : {f.menu_window->menuAction(), f.print, f.agr_Print, f.find_act, f.Act_save})
        EXPECT_FALSE(item->isEnabled()) << item->objectName().toStdString();
    press(f.N7koniec1);
    EXPECT_FALSE(f.isVisible());
}

TEST_F(MainWindowTest, DatabaseBrowserComesAtTheFirstTickAndOpensFilesInViewers)
{
    for (const char* autograph : {"AUTOGRAPH=0\r\nGRAPHPROGRAM=grafy\r\n", "GRAPHPROGRAM=grafy\r\n"}) {
        SCOPED_TRACE(autograph);
        started.clear();
        TForm1& f = shown(autograph);
        EXPECT_EQ(f.frmopenbase, nullptr);
        f.first_tick();
        ASSERT_NE(f.frmopenbase, nullptr);
        EXPECT_FALSE(f.frmopenbase->isVisible());
        f.openbase->trigger();
        EXPECT_TRUE(f.frmopenbase->isVisible());
        vx::Tfrmopenbase* b = f.database_browser();
        EXPECT_EQ(b, f.frmopenbase); // one browser for the run
        ASSERT_TRUE(QTest::qWaitFor([b] { return b->FExplorer->entries().contains("A.txt"); }));
        ASSERT_TRUE(b->FExplorer->select_file(home.path("Log/A.txt")));
        vx::TEditForm* first = b->make();
        vx::TEditForm* second = b->make();
        ASSERT_TRUE(first && second);
        EXPECT_EQ(f.mdi()->subWindowList().size(), 2);
        EXPECT_EQ(f.mdi()->current_viewer(), second);
        EXPECT_EQ(second->graph_points(), 12);
        EXPECT_EQ(started.size(), autograph[0] == 'A' ? 0 : 1); // the graph program once, when asked
        // A download that wrote a new file has the list read again.
        home.write("Log/NEW.txt", "NEW\r\n");
        f.refresh_database_browser();
        EXPECT_TRUE(QTest::qWaitFor([b] { return b->FExplorer->entries().contains("NEW.txt"); }));
        QFile::remove(home.path("Log/NEW.txt"));
    }
}

TEST_F(MainWindowTest, TextFileThatCannotBeReadSaysWhy)
{
    TForm1& f = shown();
    QDir().mkpath(home.path("Log/folder.txt"));
    for (const char* name : {"Log/missing.txt", "Log/folder.txt"}) {
        SCOPED_TRACE(name);
        f.hooks.choose_text_file = [&] { return home.path(name); };
        ui.calls.clear();
        f.actopentext->trigger();
        EXPECT_TRUE(f.mdi()->subWindowList().isEmpty());
        ASSERT_EQ(ui.args("plain_message").size(), 1);
        EXPECT_TRUE(ui.args("plain_message")[0].startsWith("Nie je možné otvoriť súbor <" + home.path(name) +
                                                           ">\r\n"))
            << ui.args("plain_message")[0].toStdString();
    }
}

TEST_F(MainWindowTest, ViewersOpenWhollyInsideTheDocumentArea)
{
    // The second has too little room to read a viewer otherwise.
    for (auto [keys, maximised] : {std::pair{"WIDTH=1200\r\nHEIGHT=900\r\n", false},
                                   {"WIDTH=600\r\nHEIGHT=480\r\n", true},
                                   {"WIDTH=1200\r\nHEIGHT=900\r\nPANMAXIMIZE=1\r\n", true}}) {
        SCOPED_TRACE(keys);
        TForm1& f = run_program(keys);
        for (int i = 0; i < 3; ++i)
            open_viewer(false);
        QApplication::processEvents();
        const QRect area(QPoint(0, 0), f.mdi()->viewport()->size());
        EXPECT_EQ(f.mdi()->current_subwindow()->isMaximized(), maximised);
        for (QMdiSubWindow* sub : f.mdi()->subWindowList())
            EXPECT_TRUE(area.contains(sub->geometry()) &&
                        (maximised || sub->width() >= std::min(800, area.width())));
    }
}

TEST_F(MainWindowTest, ClosingAsksAboutEveryModifiedViewerAndCancelKeepsTheProgram)
{
    using namespace vx::mr;
    const std::pair<std::deque<int>, bool> cases[] = {
        {{cancel}, false}, {{no, cancel}, false}, {{no, no}, true}};
    for (const auto& [answers, closes] : cases) {
        TForm1& f = run_program();
        open_viewer(true);
        open_viewer(false);
        open_viewer(true);
        ui.message_answers = answers;
        EXPECT_EQ(f.close(), closes);
        ASSERT_EQ(ui.messages.size(), qsizetype(answers.size()));
        for (const auto& [text, buttons] : ui.messages)
            EXPECT_TRUE(text == g.lang.mess(41) && buttons == (vx::btn::yes | vx::btn::no | vx::btn::cancel));
        EXPECT_EQ(f.mdi()->subWindowList().size(), 3);
    }
}

TEST_F(MainWindowTest, ComButtonUpClosesTheLinkDownOpensItOrShowsMess1AndPopsBackUp)
{
    const int pty = posix_openpt(O_RDWR | O_NOCTTY); // stands in for the COM port
    ASSERT_TRUE(pty >= 0 && grantpt(pty) == 0 && unlockpt(pty) == 0);
    TForm1& f = run_program();
    g.settings.port_devices[1] = QString::fromLatin1(ptsname(pty));
    QToolButton* bt = f.btCOM;
    bt->click(); // down
    EXPECT_TRUE(bt->isChecked() && g.link.port_open && f.CommDrv->Connected());
    f.pages()->pansn->setText("4321");
    bt->click(); // up
    EXPECT_FALSE(bt->isChecked() || g.link.port_open || f.CommDrv->Connected());
    EXPECT_EQ(f.pages()->pansn->text(), "");
    g.settings.port_devices[1] = "/nonexistent";
    bt->click(); // down, but the port is gone
    EXPECT_FALSE(bt->isChecked() || f.A_conn->isChecked() || g.link.port_open);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].first, g.lang.mess(1) + "\r\nZariadenie /nonexistent neexistuje.");
    ::close(pty);
}

// The captions in English: language_file_test; here, windows made before the language file was read.
TEST_F(MainWindowTest, LanguageFileReachesTheWindowsMadeBeforeItWasRead)
{
    TForm1& f = run_program({}, "CAPT141=\r\nMESS46=\r\n");
    EXPECT_EQ(f.fgprop->BTmore->text(), "");
    qt->progress_show("x");
    EXPECT_EQ(qt->progress()->cancel_button()->text(), "");
    qt->progress_hide();
}

TEST_F(MainWindowTest, SignalsCloseAsTheUserWouldAndKeepWhatNobodyCouldBeAskedAbout)
{
    struct Case {
        int signal;
        std::deque<int> answers; // to the close question
        bool closes, kept;
    };
    // A user at the terminal (SIGINT) is asked; SIGTERM and SIGHUP may have nobody to ask.
    const Case cases[] = {{SIGINT, {vx::mr::cancel}, false, false},
                          {SIGINT, {vx::mr::no}, true, false},
                          {SIGHUP, {}, true, true},
                          {SIGTERM, {}, true, true}};
    vx::SignalWatch watch;
    const int pty = posix_openpt(O_RDWR | O_NOCTTY); // stands in for the COM port
    ASSERT_TRUE(pty >= 0 && grantpt(pty) == 0 && unlockpt(pty) == 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signal);
        QFile::remove(home.path("vorlanix-kept.json")); // the case before may have kept a text
        TForm1& f = run_program();
        g.settings.port_devices[1] = QString::fromLatin1(ptsname(pty));
        f.btCOM->click();
        ASSERT_TRUE(g.link.port_open);
        open_viewer(true);
        QObject::connect(&watch, &vx::SignalWatch::received, &f, &TForm1::close_on_signal);
        ui.message_answers = c.answers;
        ::raise(c.signal);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !f.isVisible() || !ui.messages.isEmpty(); }));
        EXPECT_EQ(f.isVisible(), !c.closes);
        EXPECT_EQ(ui.messages.size(), qsizetype(c.answers.size()));
        const QList<vx::KeptText> kept = vx::read_kept_texts(home.dir());
        EXPECT_EQ(kept.value(0).text, c.kept ? "Download: M" : "");
        // A closed window has released the port: another program may open it.
        vx::TCommPortDriver next;
        next.setPortName(QString::fromLatin1(ptsname(pty)));
        EXPECT_EQ(next.Connect(), c.closes);
    }
    ::close(pty);

    // The next start offers the kept text back (Enter: Yes), as a viewer still to be saved.
    // The log folder and the port (COM1 is on no device) are missing; then the offer.
    ui.message_answers = {vx::mr::ok, vx::mr::ok, vx::mr::yes};
    TForm1& f = run_program();
    EXPECT_EQ(ui.default_results.last(), vx::mr::yes);
    ASSERT_EQ(f.mdi()->viewers().size(), 1);
    EXPECT_EQ(f.mdi()->viewers()[0]->text(), "Download: M");
    EXPECT_TRUE(f.mdi()->viewers()[0]->is_modified());
    EXPECT_TRUE(vx::read_kept_texts(home.dir()).isEmpty());
}

TEST_F(MainWindowTest, AboutNamesTheVersionToolWindowsOpenOverTheWindowAndHelpSaysWhyItDidNotOpen)
{
    // The build's version, and the supplier as far as the settings name one.
    for (auto [name, tel, text] :
         {std::tuple{"NONAME", "-----", "VORLANIX\nVerzia " VORLANIX_VERSION},
          {"Meranie s.r.o.", "+421 2 1234",
           "VORLANIX\nVerzia " VORLANIX_VERSION "\n\nMeranie s.r.o.\nTel: +421 2 1234"}}) {
        g.settings.partner.NAME = name;
        g.settings.partner.TEL = tel;
        EXPECT_EQ(vx::make_about_box(g, nullptr)->text(), QString(text));
    }

    // The browser and the progress window open centred over the main window, as its own windows.
    TForm1& f = shown();
    f.resize(300, 200);
    f.move(250, 200);
    qt = std::make_unique<vx::QtUi>(g, &f);
    qt->progress_show("x");
    vx::Tfrmopenbase* browser = f.database_browser();
    press(f.openbase);
    for (QWidget* tool : {static_cast<QWidget*>(browser), static_cast<QWidget*>(qt->progress())}) {
        EXPECT_EQ(tool->parentWidget(), &f);
        EXPECT_LE((tool->frameGeometry().center() - f.frameGeometry().center()).manhattanLength(), 1);
    }
    // Ctrl+O brings a minimised browser back.
    browser->showMinimized();
    press(f.openbase);
    EXPECT_FALSE(browser->isMinimized());

    // F1 with a desktop that has no browser says so, and why.
    f.hooks.help_opener = home.path("no-browser.sh");
    press(f.help_action);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui.count("plain_message") > 0; }));
    EXPECT_EQ(ui.args("plain_message").last(), "Nie je možné otvoriť <" + home.path("html/index.html") +
                                                   "> v prehliadači\r\nno browser to open it");
}

} // namespace
