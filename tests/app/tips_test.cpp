// Tips in the main window: the tip of the day at start-up, context tips on
// tab changes, and the "Tipy" action.
#include "app/main_window.h"
#include "app/scripted_ui.h"
#include "app/tip_window.h"
#include "common/temp_home.h"
#include "logger/program_state.h"

#include <QAction>
#include <QDir>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using vx::TForm1;

namespace
{

const QByteArray tips_file = "[DAY000]\r\nPrvy tip dna\r\n"
                             "[TABGLOBAL]\r\nObecne udaje\r\n"
                             "[TABACTUAL]\r\nAktualne hodnoty\r\n"
                             "[TABMISSION]\r\nMisia zapisovaca\r\ndruhy riadok\r\n";

class TipsTest : public ::testing::Test
{
protected:
    TForm1& make(bool showtip)
    {
        QDir().mkpath(home.path("Log"));
        home.write("vntip.tip", tips_file);
        home.write("vorlanix.ini",
                   QByteArray("[GLOBAL]\r\nComPort=16\r\nSHOWTIP=") + (showtip ? "1" : "0") + "\r\n");
        g.program_dir = home.dir();
        g.ui = &ui;
        w = std::make_unique<TForm1>(g);
        w->start();
        w->show();
        return *w;
    }
    QString tip() const { return w->tip_window()->text(); }

    vxtest::TempHome home;
    vx::Global g;
    vxtest::ScriptedUi ui;
    std::unique_ptr<TForm1> w;
};

TEST_F(TipsTest, DayTipAtStartThenContextTipsOnTabChanges)
{
    TForm1& f = make(true);
    EXPECT_TRUE(f.tip_window()->isVisible());
    EXPECT_EQ(f.tip_window()->windowTitle(), QString("Tip"));
    EXPECT_EQ(tip(), QString("Prvy tip dna"));
    // The left panel opened to a third of the window's width for its first window.
    QTest::qWait(50);
    EXPECT_NEAR(f.tip_window()->width(), f.width() / 3, 12);

    f.PageControl1->setCurrentIndex(1);
    EXPECT_EQ(tip(), QString("Aktualne hodnoty"));
    f.PageControl1->setCurrentIndex(2);
    EXPECT_EQ(tip(), QString("Misia zapisovaca\ndruhy riadok"));
    // No tip for the fourth page: the previous one stays.
    f.PageControl1->setCurrentIndex(3);
    EXPECT_EQ(tip(), QString("Misia zapisovaca\ndruhy riadok"));
    // The first page, shown again after start-up, has its tip.
    f.PageControl1->setCurrentIndex(0);
    EXPECT_EQ(tip(), QString("Obecne udaje"));
    // The graph page has none.
    f.PageControl1->setCurrentIndex(4);
    EXPECT_EQ(tip(), QString("Obecne udaje"));
}

TEST_F(TipsTest, TipsOffLeaveTheWindowHiddenUntilTheTipyAction)
{
    TForm1& f = make(false);
    EXPECT_FALSE(f.tip_window()->isVisible());
    f.PageControl1->setCurrentIndex(1);
    EXPECT_TRUE(tip().isEmpty());

    f.Act_showtip->trigger();
    EXPECT_TRUE(f.tip_window()->isVisible());
    EXPECT_EQ(tip(), QString("Prvy tip dna"));
    EXPECT_TRUE(g.settings.SHOWTIP);
    // Tips now stay on for the run, but the settings file is not written.
    f.PageControl1->setCurrentIndex(2);
    EXPECT_EQ(tip(), QString("Misia zapisovaca\ndruhy riadok"));
    EXPECT_TRUE(home.read("vorlanix.ini").contains("SHOWTIP=0"));
}

TEST_F(TipsTest, MissingTipsFileShowsMess20)
{
    TForm1& f = make(true);
    QFile::remove(home.path("vntip.tip"));
    f.PageControl1->setCurrentIndex(1);
    EXPECT_EQ(tip(), QString("Neexistuje súbor tipov <VNTIP.TIP>"));
}

} // namespace
