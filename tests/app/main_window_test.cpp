// The main window without a logger: geometry kept in the settings file, the
// graph tab, language texts, a port that does not open, and the viewer
// commands and "Okno" items that reach the active record viewer.
#include "app/main_window.h"
#include "common/qt_print.h"
#include "common/test_state.h"
#include "viewer/graph_properties_dialog.h"
#include "viewer/record_viewer.h"

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

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

class MainWindowTest : public ::testing::Test, protected vxtest::TestState
{
protected:
    // Creates and starts the window over the files written so far.
    TForm1& make()
    {
        w = std::make_unique<TForm1>(g);
        w->start();
        return *w;
    }
    // The window shown and active, with two record files in viewers, B active.
    std::pair<vx::TEditForm*, vx::TEditForm*> with_two_viewers()
    {
        home.write("vorlanix.ini", "[GLOBAL]\r\nComPort=9\r\nSHOWTIP=0\r\n");
        home.write("Log/A.txt", record_file(8));
        home.write("Log/B.txt", record_file(10));
        make().resize(900, 700);
        w->show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        vx::TEditForm* a = w->open_text_file(home.path("Log/A.txt"));
        vx::TEditForm* b = w->open_text_file(home.path("Log/B.txt"));
        w->mdi()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(b->parentWidget()));
        return {a, b};
    }
    // Presses a key in the main window as the user would.
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w.get(), k, mods);
    }

    std::unique_ptr<TForm1> w;
};

TEST_F(MainWindowTest, GeometryIsSavedAtCloseOnlyAbove200By200AndTakenOnlyWithinItsLimits)
{
    const QByteArray original = "[GLOBAL]\r\nWIDTH=640\r\nHEIGHT=480\r\nLEFT=30\r\nTOP=40\r\n";
    home.write("vorlanix.ini", original);
    TForm1& f = make();
    for (QSize size : {QSize(150, 400), QSize(400, 200)}) {
        f.resize(size);
        ASSERT_EQ(f.size(), size);
        f.close();
        EXPECT_EQ(home.read("vorlanix.ini"), original);
        f.show();
    }
    TForm1& fresh = make(); // not shown yet, so the layout's minimum does not apply
    fresh.resize(201, 201);
    fresh.move(55, 66);
    fresh.close();
    EXPECT_EQ(home.read("vorlanix.ini"),
              QByteArray("[GLOBAL]\r\nWIDTH=201\r\nHEIGHT=201\r\nLEFT=55\r\nTOP=66\r\n"));

    home.write("vorlanix.ini", "[GLOBAL]\r\nWIDTH=201\r\nHEIGHT=200\r\nLEFT=0\r\nTOP=25\r\n");
    TForm1& limited = make();
    // Height 200 and left 0 are not taken: the designed ones (two thirds of the
    // desktop's free area, centred) stay.
    const QRect free_area = limited.screen()->availableGeometry();
    QRect designed(0, 0, free_area.width() * 2 / 3, free_area.height() * 2 / 3);
    designed.moveCenter(free_area.center());
    EXPECT_EQ(limited.geometry(), QRect(designed.x(), 25, 201, designed.height()));
}

TEST_F(MainWindowTest, PortThatDoesNotOpenShowsMess1AndPollStillRuns)
{
    home.write("vorlanix.ini", "[GLOBAL]\r\nComPort=7\r\nSHOWTIP=0\r\n");
    TForm1& f = make();
    // The missing log directory is reported by the settings load, before the port.
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_TRUE(ui.messages[0].first.startsWith("Nie je možné nájsť adresár LOG"));
    EXPECT_EQ(ui.messages[1],
              qMakePair(QString("Nie je možné otvoriť COM port\r\nNastavte správny COMPORT v MENU "
                                "Služby - nastavenia programu"),
                        vx::btn::ok));
    EXPECT_FALSE(g.link.port_open);
    EXPECT_FALSE(f.A_conn->isChecked());
    EXPECT_TRUE(f.poll_running());
    EXPECT_EQ(f.Timer1->interval(), 700);
}

TEST_F(MainWindowTest, WithoutAViewerEveryCommandDoesNothing)
{
    home.write("vorlanix.ini", "[GLOBAL]\r\nComPort=9\r\nSHOWTIP=0\r\n");
    TForm1& f = make();
    f.show();
    const auto messages = ui.messages.size();
    QApplication::clipboard()->setText("unchanged");
    QStringList started;
    f.hooks.start_program = [&](const QString& p) { return started << p, true; };
    for (Qt::Key k :
         {Qt::Key_S, Qt::Key_F, Qt::Key_N, Qt::Key_M, Qt::Key_G}) // save, find, next, previous, graph
        key(k, Qt::ControlModifier);
    key(Qt::Key_F10, Qt::ShiftModifier); // close
    for (QAction* a : {f.win_tile_h, f.win_cascade, f.agr_full, f.agr_zoomin, f.agr_zoomout, f.agr_save,
                       f.agr_copy, f.agr_style, f.Agr_Property})
        a->trigger();
    QTest::qWait(1200); // "Graf" would redraw a second later
    for (QWidget* t : QApplication::topLevelWidgets())
        EXPECT_TRUE(t == w.get() || !t->isVisible()) << t->objectName().toStdString();
    EXPECT_EQ(ui.messages.size(), messages);
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(QApplication::clipboard()->text(), QString("unchanged"));
    EXPECT_TRUE(f.isVisible()); // Shift+F10 closes a viewer, never the main window
}

TEST_F(MainWindowTest, CommandsReachTheActiveViewer)
{
    auto [a, b] = with_two_viewers();
    TForm1& f = *w;
    ASSERT_EQ(f.current_viewer(), b);
    EXPECT_TRUE(b->text().startsWith("TEXT FILE:" + home.path("Log/B.txt") + "\nSKLAD\n"));
    EXPECT_EQ(b->graph_points(), 12);

    // Ctrl+S: the active viewer's save dialog, proposing its own file; Ctrl+F its find dialog.
    QStringList proposed;
    a->ask_text_path = b->ask_text_path = [&](const QString& p) { return proposed << p, QString(); };
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(proposed, QStringList{home.path("Log/B.txt")});
    key(Qt::Key_F, Qt::ControlModifier);
    ASSERT_NE(b->findChild<QDialog*>("FindDialog1"), nullptr);
    EXPECT_EQ(a->findChild<QDialog*>("FindDialog1"), nullptr);
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
    f.CheckBox1->setChecked(false);
    EXPECT_EQ(b->time_range(), full);
    f.SpinEdit1->setValue(30);
    EXPECT_EQ(b->plot()->yAxis->range().upper, 30);

    // "Graf": the external program once per run, then the redraw a second later.
    QStringList started;
    f.hooks.start_program = [&](const QString& p) { return started << p, true; };
    f.agr_zoomin->trigger();
    f.Act_graph->trigger();
    f.Act_graph->trigger();
    EXPECT_EQ(started, QStringList{home.path("Kurvex.exe")});
    EXPECT_NE(b->time_range(), full);
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

    // Ctrl+N / Ctrl+M step through the viewers.
    key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(f.current_viewer(), a);
    key(Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(f.current_viewer(), b);

    // Shift+F10 closes the active viewer, asking first for a modified one: Cancel keeps B, No closes
    // it, then A; the last one disables the window menu.
    b->add_line("7.3.2024 08:00\t 20,0\t 50,0");
    ui.message_answers = {vx::mr::cancel, vx::mr::no};
    for (int i = 0; i < 3; ++i) {
        key(Qt::Key_F10, Qt::ShiftModifier);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(ui.args("show_message").mid(1),
              QStringList(2, "Zmenili ste údaje\r\nŽeláte si ich zapísať do súboru?"));
    EXPECT_TRUE(f.mdi()->subWindowList().isEmpty());
    EXPECT_FALSE(f.menu_window->menuAction()->isEnabled());
    EXPECT_TRUE(f.isVisible());
}

} // namespace
