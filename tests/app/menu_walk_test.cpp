// Every item of the main window's menus, tool bars and shortcuts, pressed as
// the user would (its key, else its menu item), first without a record
// viewer and then with two: each one opens its window, reaches the viewer,
// says why it cannot act, or is disabled. None does nothing.
#include "app/main_window.h"
#include "app/tip_window.h"
#include "common/test_state.h"
#include "viewer/graph_properties_dialog.h"
#include "viewer/print_dialog.h"
#include "viewer/record_viewer.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <gtest/gtest.h>

using vx::TForm1;

namespace
{

// Receives what the window asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

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

class MenuWalkTest : public ::testing::Test, protected vxtest::TestState
{
protected:
    void SetUp() override
    {
        home.write(
            "vorlanix.ini",
            "[GLOBAL]\r\nComPort=9\r\nSHOWTIP=0\r\nAUTOGRAPH=0\r\n[PORTS]\r\nCOM9=/nonexistent/tty\r\n");
        home.write("Log/A.txt", record_file(8));
        home.write("Log/B.txt", record_file(10));
        home.write("muster.htm", "<h1>?Header</h1>");
        home.write("html/index.html", "<html></html>");
        QDesktopServices::setUrlHandler("file", &urls, "open");
        w = std::make_unique<TForm1>(g);
        w->start();
        w->hooks.start_program = [this](const QString& p) {
            started << p;
            return true;
        };
        w->frmprint->ask_printer = [this](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(home.path("print.pdf"));
            return true;
        };
        w->resize(1000, 750);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }
    void TearDown() override { QDesktopServices::unsetUrlHandler("file"); }

    // Presses the item: its first shortcut, else its menu or tool bar entry.
    // Modal windows that come up are recorded and closed.
    Seen press(QAction* a)
    {
        Seen seen;
        seen.enabled = a->isEnabled();
        // The keys belong to the main window: it is the active one when they are pressed.
        // (Hiding a window that had the focus leaves the offscreen platform with no active window.)
        if (QApplication::activeWindow() != w.get()) QApplication::setActiveWindow(w.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        QSet<QWidget*> before; // the windows already showing
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->isVisible()) before << t;
        const auto messages = ui.messages.size() + ui.plain.size();
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
        if (!a->shortcut().isEmpty()) {
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w.get();
            const QKeyCombination key = a->shortcut()[0];
            QTest::keyClick(target, key.key(), key.keyboardModifiers());
        } else if (a->isEnabled()) {
            a->trigger(); // as its menu item or tool button does
        }
        QTest::qWait(30);
        closer.stop();
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->isVisible() && !before.contains(t) && t != w.get()) seen.windows << t->objectName();
        seen.messages = int(ui.messages.size() + ui.plain.size() - messages);
        return seen;
    }
    // Every action of the menu bar, its sub-menus and the main tool bar, once.
    QList<QAction*> all_items() const
    {
        QList<QAction*> out;
        auto add = [&out](QAction* a) {
            if (!a->isSeparator() && !a->menu() && !out.contains(a)) out << a;
        };
        for (QAction* m : w->menuBar()->actions())
            for (QAction* a : m->menu()->actions())
                add(a);
        for (QAction* a : w->ToolBar1->actions())
            add(a);
        for (QAction* a : w->ToolBar2->actions())
            add(a);
        return out;
    }

    UrlCatcher urls;
    QStringList started;
    std::unique_ptr<TForm1> w;
};

// An item is handled when it opened a window, showed a message, or is disabled.
bool handled(const Seen& s)
{
    return !s.enabled || !s.modal.isEmpty() || !s.windows.isEmpty() || s.messages > 0;
}

TEST_F(MenuWalkTest, EveryItemActsOrIsDisabledWithoutAViewer)
{
    TForm1& f = *w;
    // Items that act on a viewer; the others must do their own work now.
    const QList<QAction*> viewer_items{
        f.Act_save,   f.find_act,   f.print,       f.Act_graph, f.win_next,     f.win_prev,   f.win_max,
        f.win_tile_v, f.win_tile_h, f.win_cascade, f.win_close, f.Agr_Property, f.agr_zoomin, f.agr_zoomout,
        f.agr_save,   f.agr_copy,   f.agr_Print,   f.agr_full,  f.agr_style};
    struct Expect {
        QAction* action;
        QString opens; // class:objectName of a modal window, object name of a window, or "message"
    };
    const Expect expected[] = {
        {f.openbase, "frmopenbase"},
        {f.actopentext, "QFileDialog:QFileDialog"},
        {f.Kalibransbor2, "vx::Tfcalini:fcalini"},
        {f.Nastaveniatlae1, "vx::Tfrmprint:frmprint"},
        {f.act_newrecords, "message"},
        {f.Prenoszznamov1, "message"},
        {f.set_time, "message"},
        {f.Nastaveniaprogramu1, "modal"},
        {f.Oprograme1, "QMessageBox:AboutBox"},
        {f.A_conn, "message"},
    };
    QList<QAction*> walked;
    for (QAction* a : all_items()) {
        if (a == f.N7koniec1) continue; // "Koniec" closes the window: the last test does it
        SCOPED_TRACE(a->objectName().toStdString());
        const Seen s = press(a);
        walked << a;
        if (viewer_items.contains(a)) {
            // Save and find may stay enabled, as long as they do nothing without a viewer.
            if (a != f.Act_save && a != f.find_act) {
                EXPECT_FALSE(s.enabled);
            }
            EXPECT_TRUE(s.modal.isEmpty() && s.windows.isEmpty() && s.messages == 0);
            continue;
        }
        if (a == f.startmission) {
            EXPECT_TRUE(handled(s)); // disabled until a logger's mission name was read
            continue;
        }
        if (a == f.Act_showtip) {
            EXPECT_TRUE(f.tip_window()->isVisible()); // docked beside the viewers
            f.tip_window()->hide();
            continue;
        }
        if (a == f.help_action) {
            ASSERT_EQ(urls.urls.size(), 1);
            EXPECT_EQ(urls.urls[0], QUrl::fromLocalFile(home.path("html/index.html")));
            continue;
        }
        const auto it = std::find_if(std::begin(expected), std::end(expected),
                                     [a](const Expect& e) { return e.action == a; });
        ASSERT_NE(it, std::end(expected)) << "no expectation for this item";
        if (it->opens == "message") {
            EXPECT_GT(s.messages, 0);
        } else if (it->opens == "modal") {
            EXPECT_EQ(s.modal.size(), 1);
        } else if (it->opens.contains(':')) {
            EXPECT_EQ(s.modal, QStringList{it->opens});
        } else {
            EXPECT_TRUE(s.windows.contains(it->opens)) << s.windows.join(",").toStdString();
        }
        // Windows that stay open are put away for the next item.
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t != w.get() && t->isVisible()) t->hide();
        if (f.tip_window()->isVisible()) f.tip_window()->hide();
    }
    // Every item of the table was reached by the walk.
    for (QAction* a : viewer_items)
        EXPECT_TRUE(walked.contains(a)) << a->objectName().toStdString();
    for (const Expect& e : expected)
        EXPECT_TRUE(walked.contains(e.action)) << e.action->objectName().toStdString();
    EXPECT_TRUE(walked.contains(f.help_action) && walked.contains(f.Act_showtip));
    EXPECT_TRUE(f.isVisible());
}

// Save, find, zoom, whole graph, picture, copy, style and the window order
// items reach the active viewer as tests/app/window_commands_test.cpp shows;
// here the items that reach it through windows of their own.
TEST_F(MenuWalkTest, ViewerItemsReachTheActiveViewer)
{
    TForm1& f = *w;
    vx::TEditForm* a = f.open_text_file(home.path("Log/A.txt"));
    vx::TEditForm* b = f.open_text_file(home.path("Log/B.txt"));
    ASSERT_TRUE(a && b);
    auto sub = [](vx::TEditForm* v) { return qobject_cast<QMdiSubWindow*>(v->parentWidget()); };
    f.mdi()->setActiveSubWindow(sub(b));
    struct Step {
        QAction* action;
        std::function<void(const Seen&)> check;
    };
    const Step steps[] = {
        {f.print, // no printer chosen yet: the print dialog's PDF file
         [&](const Seen&) { EXPECT_TRUE(home.read("print.pdf").startsWith("%PDF")); }},
        {f.agr_Print, [&](const Seen& s) { EXPECT_EQ(s.modal, QStringList{"vx::Tfreport:freport"}); }},
        {f.Agr_Property, [&](const Seen& s) { EXPECT_TRUE(s.windows.contains("fgprop")); }},
        {f.Act_graph, [&](const Seen&) { EXPECT_EQ(started, QStringList{home.path("Kurvex.exe")}); }},
        {f.win_cascade, [&](const Seen&) { EXPECT_NE(sub(a)->pos(), sub(b)->pos()); }},
        {f.win_max, [&](const Seen&) { EXPECT_TRUE(sub(b)->isMaximized()); }},
        {f.win_close, [&](const Seen&) { EXPECT_EQ(f.mdi()->subWindowList().size(), 1); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.action->objectName().toStdString());
        const Seen s = press(step.action);
        EXPECT_TRUE(s.enabled);
        step.check(s);
        if (f.fgprop->isVisible()) f.fgprop->hide();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Closing the last viewer disables the viewer items again; F10 ends the program.
    press(f.win_close);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(f.print->isEnabled());
    EXPECT_FALSE(f.agr_Print->isEnabled());
    EXPECT_FALSE(f.menu_window->menuAction()->isEnabled());
    press(f.N7koniec1);
    EXPECT_FALSE(f.isVisible());
}

} // namespace

#include "menu_walk_test.moc"
