// The main window's viewer commands and "Okno" items: with no viewer they do
// nothing; with viewers their keys reach the active one.
#include "app/main_window.h"
#include "app/qt_print.h"
#include "app/scripted_ui.h"
#include "common/temp_home.h"
#include "logger/program_state.h"
#include "viewer/graph_properties_dialog.h"
#include "viewer/record_viewer.h"

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

using vx::TForm1;

namespace
{

// Twelve hourly records of temperature and humidity from 6.3.2024 08:00.
QByteArray record_file(int first_hour = 8)
{
    QByteArray text = "SKLAD\r\nRemark: \r\nSTART: 6.3.2024 07:00\r\nPERIOD: 60\r\nGRADIENT: 0\r\n";
    for (int i = 0; i < 12; ++i)
        text += QString("6.3.2024 %1:00\t 2%2,5\t 6%2,0\r\n")
                    .arg(first_hour + i, 2, 10, QChar('0'))
                    .arg(i % 10)
                    .toLatin1();
    return text;
}

class WindowCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        home.write("vorlanix.ini", "[GLOBAL]\r\nComPort=9\r\nSHOWTIP=0\r\n");
        home.write("Log/A.txt", record_file(8));
        home.write("Log/B.txt", record_file(10));
        g.program_dir = home.dir();
        g.ui = &ui;
        g.link.attach_ui(&ui);
        w = std::make_unique<TForm1>(g);
        w->start();
        w->resize(900, 700);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }
    // Presses a key in the main window as the user would.
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w.get();
        QTest::keyClick(target, k, mods);
    }
    QList<QWidget*> other_visible_windows() const
    {
        QList<QWidget*> out;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->isVisible() && t != w.get()) out << t;
        return out;
    }

    vxtest::TempHome home;
    vx::Global g;
    vxtest::ScriptedUi ui;
    std::unique_ptr<TForm1> w;
};

TEST_F(WindowCommandsTest, WithoutAViewerEveryCommandDoesNothing)
{
    TForm1& f = *w;
    const auto messages = ui.messages.size();
    QApplication::clipboard()->setText("unchanged");
    QStringList started;
    f.hooks.start_program = [&](const QString& p) {
        started << p;
        return true;
    };

    key(Qt::Key_S, Qt::ControlModifier); // "Uložiť"
    key(Qt::Key_F, Qt::ControlModifier); // "Hľadať"
    key(Qt::Key_N, Qt::ControlModifier); // next
    key(Qt::Key_M, Qt::ControlModifier); // previous
    key(Qt::Key_F11);                    // maximise
    key(Qt::Key_F12);                    // side by side
    key(Qt::Key_G, Qt::ControlModifier); // "Graf"
    key(Qt::Key_F10, Qt::ShiftModifier); // close
    for (QAction* a : {f.win_tile_h, f.win_cascade, f.agr_full, f.agr_zoomin, f.agr_zoomout, f.agr_save,
                       f.agr_copy, f.agr_style, f.Agr_Property})
        a->trigger();
    QTest::qWait(1200); // "Graf" would redraw a second later

    EXPECT_FALSE(f.send_viewer_command(vx::viewer_cmd::save));
    EXPECT_TRUE(other_visible_windows().isEmpty());
    EXPECT_EQ(ui.messages.size(), messages);
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(QApplication::clipboard()->text(), QString("unchanged"));
    EXPECT_TRUE(f.mdi()->subWindowList().isEmpty());
    EXPECT_FALSE(f.menu_window->menuAction()->isEnabled());
    EXPECT_TRUE(f.isVisible()); // Shift+F10 closes a viewer, never the main window
}

TEST_F(WindowCommandsTest, KeysAndGraphCommandsReachTheActiveViewer)
{
    TForm1& f = *w;
    vx::TEditForm* a = f.open_text_file(home.path("Log/A.txt"));
    vx::TEditForm* b = f.open_text_file(home.path("Log/B.txt"));
    ASSERT_TRUE(a && b);
    f.mdi()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(b->parentWidget()));
    ASSERT_EQ(f.current_viewer(), b);

    // Ctrl+S: the active viewer's save dialog, proposing its own file.
    QStringList proposed_a, proposed_b;
    a->ask_text_path = [&](const QString& p) {
        proposed_a << p;
        return QString();
    };
    b->ask_text_path = [&](const QString& p) {
        proposed_b << p;
        return QString();
    };
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(proposed_a.isEmpty());
    EXPECT_EQ(proposed_b, QStringList{home.path("Log/B.txt")});

    // Ctrl+F: the active viewer's find dialog.
    key(Qt::Key_F, Qt::ControlModifier);
    auto* find_b = b->findChild<QDialog*>("FindDialog1");
    ASSERT_NE(find_b, nullptr);
    EXPECT_TRUE(find_b->isVisible());
    EXPECT_EQ(a->findChild<QDialog*>("FindDialog1"), nullptr);
    find_b->hide();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));

    // Zoom in halves the time span around its centre, zoom out doubles it,
    // "FULL" (604) brings back the whole graph; only the active viewer moves.
    const auto full_a = a->time_range();
    const auto full_b = b->time_range();
    f.agr_zoomin->trigger();
    auto r = b->time_range();
    EXPECT_DOUBLE_EQ(r.second - r.first, (full_b.second - full_b.first) / 2);
    EXPECT_DOUBLE_EQ(r.first + r.second, full_b.first + full_b.second);
    f.agr_zoomout->trigger();
    f.agr_zoomout->trigger();
    r = b->time_range();
    EXPECT_DOUBLE_EQ(r.second - r.first, (full_b.second - full_b.first) * 2);
    EXPECT_EQ(a->time_range(), full_a);
    f.agr_full->trigger();
    EXPECT_EQ(b->time_range(), full_b);

    // 607 asks for a picture file, 608 copies the chart.
    int picture_asks = 0;
    b->ask_picture_path = [&](bool*) {
        ++picture_asks;
        return QString();
    };
    f.agr_save->trigger();
    EXPECT_EQ(picture_asks, 1);
    QApplication::clipboard()->clear();
    f.agr_copy->trigger();
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), b->plot()->size());

    // 610 applies the style table (COLOR1, red in the low byte: the surround).
    g.settings.colors[0] = 0x1400C8;
    f.agr_style->trigger();
    EXPECT_EQ(QColor(b->picture().pixel(1, 1)), QColor(200, 0, 20));

    // Ctrl+N / Ctrl+M step through the viewers.
    key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(f.current_viewer(), a);
    key(Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(f.current_viewer(), b);

    // F12 side by side, "Pod seba" one under the other, F11 maximises the active one.
    key(Qt::Key_F12);
    QMdiSubWindow* sa = qobject_cast<QMdiSubWindow*>(a->parentWidget());
    QMdiSubWindow* sb = qobject_cast<QMdiSubWindow*>(b->parentWidget());
    EXPECT_EQ(sa->y(), sb->y());
    EXPECT_NE(sa->x(), sb->x());
    EXPECT_EQ(sa->height(), sb->height());
    f.win_tile_h->trigger();
    EXPECT_EQ(sa->x(), sb->x());
    EXPECT_NE(sa->y(), sb->y());
    key(Qt::Key_F11);
    EXPECT_TRUE(sb->isMaximized());
    EXPECT_FALSE(sa->isMaximized());

    // Shift+F10 closes the active viewer; closing the last disables "Okno".
    EXPECT_TRUE(f.menu_window->menuAction()->isEnabled());
    key(Qt::Key_F10, Qt::ShiftModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(f.mdi()->subWindowList().size(), 1);
    EXPECT_EQ(f.current_viewer(), a);
    EXPECT_TRUE(f.menu_window->menuAction()->isEnabled());
    key(Qt::Key_F10, Qt::ShiftModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(f.mdi()->subWindowList().isEmpty());
    EXPECT_FALSE(f.menu_window->menuAction()->isEnabled());
    EXPECT_TRUE(f.isVisible());
}

TEST_F(WindowCommandsTest, ModifiedViewerAsksBeforeClosingAndCancelKeepsIt)
{
    TForm1& f = *w;
    vx::TEditForm* a = f.open_text_file(home.path("Log/A.txt"));
    a->add_line("7.3.2024 08:00\t 20,0\t 50,0");
    ASSERT_TRUE(a->is_modified());
    ui.message_answers = {vx::mr::cancel};
    f.win_close->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(f.mdi()->subWindowList().size(), 1);
    EXPECT_EQ(ui.messages.back().text, QString("Zmenili ste údaje\r\nŽeláte si ich zapísať do súboru?"));
    EXPECT_TRUE(f.menu_window->menuAction()->isEnabled());
}

} // namespace
