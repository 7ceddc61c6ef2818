// The program as a user meets it, started in its own order (the port with
// its progress window, the main window, then the start-up that reads the
// settings and the language file): a first start that fits the screen,
// viewers inside the document area, no modified viewer dropped at close,
// viewer commands only with a viewer, the COM button, and the language file
// in the windows made before it was read.
#include "app/main_window.h"
#include "app/progress_window.h"
#include "app/qt_ui.h"
#include "common/fake_ui.h"
#include "common/temp_home.h"
#include "link/serial_port.h"
#include "logger/program_state.h"
#include "records/record_decode.h"
#include "viewer/graph_properties_dialog.h"
#include "viewer/record_viewer.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>

namespace
{

struct Program {
    vxtest::TempHome home;
    vxtest::FakeUi ui;
    vx::Global g;
    std::unique_ptr<vx::QtUi> qt;
    std::unique_ptr<vx::TForm1> w;

    explicit Program(const QByteArray& global = {}, const QByteArray& language = {})
    {
        home.write("vorlanix.ini", "[GLOBAL]\r\nSHOWTIP=0\r\nLANGUAGE=EN\r\nComPort=1\r\n" + global +
                                       "[PORTS]\r\nCOM1=/nonexistent\r\n");
        if (!language.isEmpty()) home.write("vorlan.lng", "[EN]\r\n" + language);
        g.program_dir = home.dir();
        qt = std::make_unique<vx::QtUi>(g);
        g.ui = &ui;
        w = std::make_unique<vx::TForm1>(g);
        w->show();
        w->start();
        ui.messages.clear();
        QApplication::processEvents();
    }
    void open_viewer(bool modified)
    {
        w->set_window_modified(w->open_text_window("Untitled", "Download: M"), modified);
    }
};

TEST(FirstStart, WithoutStoredGeometryTwoThirdsOfTheDesktopCentred)
{
    Program p;
    const QRect free_area = p.w->screen()->availableGeometry();
    EXPECT_NEAR(p.w->width(), free_area.width() * 2 / 3, 2);
    EXPECT_NEAR(p.w->height(), free_area.height() * 2 / 3, 2);
    EXPECT_LE((p.w->frameGeometry().center() - free_area.center()).manhattanLength(), 40);
}

TEST(FirstStart, ViewersOpenWhollyInsideTheDocumentArea)
{
    struct Case {
        QByteArray keys;
        bool maximised;
    };
    const Case cases[] = {{"WIDTH=1200\r\nHEIGHT=900\r\n", false},
                          {"WIDTH=600\r\nHEIGHT=480\r\n", true}, // too little room to read it otherwise
                          {"WIDTH=1200\r\nHEIGHT=900\r\nPANMAXIMIZE=1\r\n", true}};
    for (const Case& c : cases) {
        Program p(c.keys);
        for (int i = 0; i < 3; ++i)
            p.open_viewer(false);
        QApplication::processEvents();
        const QRect area(QPoint(0, 0), p.w->mdi()->viewport()->size());
        EXPECT_EQ(p.w->current_subwindow()->isMaximized(), c.maximised) << c.keys.constData();
        for (QMdiSubWindow* sub : p.w->mdi()->subWindowList()) {
            EXPECT_TRUE(area.contains(sub->geometry())) << c.keys.constData();
            EXPECT_TRUE(c.maximised || sub->width() >= std::min(800, area.width())) << c.keys.constData();
        }
    }
}

TEST(Closing, AsksAboutEveryModifiedViewerAndCancelKeepsTheProgram)
{
    using namespace vx::mr;
    const std::pair<std::deque<int>, bool> cases[] = {
        {{cancel}, false}, {{no, cancel}, false}, {{no, no}, true}};
    for (const auto& [answers, closes] : cases) {
        Program p;
        p.open_viewer(true);
        p.open_viewer(false);
        p.open_viewer(true);
        p.ui.message_answers = answers;
        EXPECT_EQ(p.w->close(), closes);
        ASSERT_EQ(p.ui.messages.size(), qsizetype(answers.size()));
        for (const auto& [text, buttons] : p.ui.messages)
            EXPECT_TRUE(text == p.g.lang.mess(41) &&
                        buttons == (vx::btn::yes | vx::btn::no | vx::btn::cancel));
        EXPECT_EQ(p.w->mdi()->subWindowList().size(), 3);
    }
}

TEST(ViewerCommands, FindAndSaveOnlyWhileAViewerExists)
{
    Program p;
    auto enabled = [&] { return p.w->find_act->isEnabled() && p.w->Act_save->isEnabled(); };
    EXPECT_FALSE(p.w->find_act->isEnabled() || p.w->Act_save->isEnabled());
    p.open_viewer(false);
    EXPECT_TRUE(enabled());
    p.w->mdi()->subWindowList().first()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(p.w->find_act->isEnabled() || p.w->Act_save->isEnabled());
}

TEST(ComButton, UpClosesTheLinkDownOpensItOrShowsMess1AndPopsBackUp)
{
    const int pty = posix_openpt(O_RDWR | O_NOCTTY); // stands in for the COM port
    ASSERT_TRUE(pty >= 0 && grantpt(pty) == 0 && unlockpt(pty) == 0);
    Program p;
    p.g.settings.port_devices[1] = QString::fromLatin1(ptsname(pty));
    QToolButton* bt = p.w->btCOM;
    bt->click(); // down
    EXPECT_TRUE(bt->isChecked() && p.g.link.port_open && p.w->CommDrv->Connected());
    p.w->pansn->setText("4321");
    bt->click(); // up
    EXPECT_FALSE(bt->isChecked() || p.g.link.port_open || p.w->CommDrv->Connected());
    EXPECT_EQ(p.w->pansn->text(), "");
    p.g.settings.port_devices[1] = "/nonexistent";
    bt->click(); // down, but the port is gone
    EXPECT_FALSE(bt->isChecked() || p.w->A_conn->isChecked() || p.g.link.port_open);
    ASSERT_EQ(p.ui.messages.size(), 1);
    EXPECT_EQ(p.ui.messages[0].first, p.g.lang.mess(1));
    ::close(pty);
}

TEST(LanguageFile, ReachesTheWindowsMadeBeforeItWasRead)
{
    Program p({}, "CAPT140=Graph properties\r\nCAPT141=\r\nCAPT142=Surround\r\nCAPT155=None\r\nMESS46=\r\n"
                  "CAPT100=About\r\nCAPT101=The program\r\nCAPT102=Close\r\n");
    vx::Tfgprop* d = p.w->fgprop;
    EXPECT_EQ(d->windowTitle(), "Graph properties");
    EXPECT_EQ(d->BTmore->text(), ""); // an empty text blanks its caption
    EXPECT_EQ(d->LBcolors->item(0)->text(), "Surround");
    EXPECT_EQ(d->CBleft->itemText(0), "None");
    p.qt->progress_show("x");
    EXPECT_EQ(p.qt->progress()->cancel_button()->text(), "");
    p.qt->progress_hide();

    QStringList about;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        about << box->windowTitle() << box->text().section('\n', 0, 0);
        for (QAbstractButton* b : box->buttons())
            about << b->text();
        box->done(0);
    });
    p.w->Oprograme1->trigger();
    EXPECT_EQ(about, QStringList({"About", "The program", "Close"}));
}

} // namespace
