// A first start that fits the screen: without stored geometry the main
// window takes two thirds of the desktop's free area, centred; viewers open
// wholly inside the document area, maximised when asked to or when the area
// is too small to read them otherwise.
#include "app/main_window.h"
#include "common/fake_ui.h"
#include "common/temp_home.h"
#include "logger/program_state.h"
#include "records/record_decode.h"
#include "viewer/record_viewer.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <gtest/gtest.h>

namespace
{

struct Started {
    vxtest::TempHome home;
    vx::Global g;
    vxtest::FakeUi ui;
    std::unique_ptr<vx::TForm1> w;

    explicit Started(const QByteArray& global_keys)
    {
        home.write("vorlanix.ini",
                   "[GLOBAL]\r\nSHOWTIP=0\r\n" + global_keys + "[PORTS]\r\nCOM2=/nonexistent\r\n");
        g.program_dir = home.dir();
        g.ui = &ui;
        w = std::make_unique<vx::TForm1>(g);
        w->show();
        w->start();
        QApplication::processEvents();
    }
};

TEST(FirstStart, WithoutStoredGeometryTheWindowTakesTwoThirdsOfTheDesktopCentred)
{
    Started s("");
    const QRect free_area = s.w->screen()->availableGeometry();
    EXPECT_NEAR(s.w->width(), free_area.width() * 2 / 3, 2);
    EXPECT_NEAR(s.w->height(), free_area.height() * 2 / 3, 2);
    const QPoint centre = s.w->frameGeometry().center();
    EXPECT_NEAR(centre.x(), free_area.center().x(), 20);
    EXPECT_NEAR(centre.y(), free_area.center().y(), 40);

    // Stored geometry still wins.
    Started stored("WIDTH=640\r\nHEIGHT=480\r\nLEFT=30\r\nTOP=40\r\n");
    EXPECT_EQ(stored.w->size(), QSize(640, 480));
    EXPECT_EQ(stored.w->pos(), QPoint(30, 40));
}

TEST(FirstStart, ViewersOpenWhollyInsideTheDocumentArea)
{
    struct Case {
        const char* what;
        QByteArray keys;
        bool maximised;
    };
    const Case cases[] = {
        {"room for the designed size", "WIDTH=1200\r\nHEIGHT=900\r\n", false},
        {"too little room to read it otherwise", "WIDTH=600\r\nHEIGHT=480\r\n", true},
        {"maximised by the setting", "WIDTH=1200\r\nHEIGHT=900\r\nPANMAXIMIZE=1\r\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Started s(c.keys);
        for (int i = 0; i < 3; ++i)
            s.w->open_text_window("Untitled", "Download: M");
        QApplication::processEvents();
        const QRect area(QPoint(0, 0), s.w->mdi()->viewport()->size());
        // The document area keeps one viewer maximised, the active one.
        EXPECT_EQ(s.w->current_subwindow()->isMaximized(), c.maximised);
        for (QMdiSubWindow* sub : s.w->mdi()->subWindowList()) {
            EXPECT_TRUE(area.contains(sub->geometry())) << "area " << area.width() << "x" << area.height();
            if (!c.maximised) {
                // Large enough to read: the designed size, or the whole room.
                const QSize size = sub->size();
                EXPECT_TRUE(size.width() >= 800 || size.width() == area.width());
                EXPECT_TRUE(size.height() >= 450 || size.height() == area.height());
            }
        }
    }
}

} // namespace
