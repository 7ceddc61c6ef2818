// The main window with the database browser, the print settings and the
// report windows: when the browser comes to exist, the automatic graph when
// it opens files, its refresh after a download, and the language texts.
#include "app/main_window.h"
#include "common/test_state.h"
#include "viewer/database_browser.h"
#include "viewer/file_list.h"
#include "viewer/print_dialog.h"
#include "viewer/record_viewer.h"
#include "viewer/report.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using vx::TForm1;

namespace
{

class BrowserWindowTest : public ::testing::Test, protected vxtest::TestState
{
protected:
    void start(const QByteArray& global_keys)
    {
        home.write("vorlanix.ini", "[GLOBAL]\r\nComPort=9\r\nSHOWTIP=0\r\n" + global_keys +
                                       "LOGDIR=" + home.path("Log").toUtf8() +
                                       "\r\n[PORTS]\r\nCOM9=/nonexistent/tty\r\n");
        home.write("Log/A.txt", "A\r\n6.3.2024 08:00\t 20,5\r\n6.3.2024 09:00\t 21,5\r\n");
        w = std::make_unique<TForm1>(g);
        w->start();
        w->hooks.start_program = [this](const QString& p) {
            started << p;
            return true;
        };
    }
    vx::Tfrmopenbase* browser_with_list()
    {
        vx::Tfrmopenbase* b = w->database_browser();
        EXPECT_TRUE(QTest::qWaitFor([b] { return b->FExplorer->entries().contains("A.txt"); }));
        return b;
    }

    std::unique_ptr<TForm1> w;
    QStringList started;
};

TEST_F(BrowserWindowTest, FirstTickCreatesTheBrowserHiddenAndOpenbaseShowsIt)
{
    start("");
    EXPECT_EQ(w->frmopenbase, nullptr);
    w->first_tick();
    ASSERT_NE(w->frmopenbase, nullptr);
    EXPECT_FALSE(w->frmopenbase->isVisible());
    w->openbase->trigger();
    EXPECT_TRUE(w->frmopenbase->isVisible());
    EXPECT_EQ(w->database_browser(), w->frmopenbase); // one browser for the run

    // A download that wrote a new file has the list read again.
    vx::Tfrmopenbase* b = browser_with_list();
    home.write("Log/NEW.txt", "NEW\r\n");
    w->refresh_database_browser();
    EXPECT_TRUE(QTest::qWaitFor([b] { return b->FExplorer->entries().contains("NEW.txt"); }));
}

TEST_F(BrowserWindowTest, FilesOpenInViewersAndStartTheGraphProgramOnceWhenAsked)
{
    struct Case {
        const char* autograph;
        int starts;
    };
    for (const Case& c : {Case{"AUTOGRAPH=0\r\n", 0}, Case{"", 1}}) { // on by default
        SCOPED_TRACE(c.autograph);
        started.clear();
        start(c.autograph);
        vx::Tfrmopenbase* b = browser_with_list();
        ASSERT_TRUE(b->FExplorer->select_file(home.path("Log/A.txt")));
        vx::TEditForm* first = b->make();
        vx::TEditForm* second = b->make();
        ASSERT_TRUE(first && second);
        EXPECT_EQ(w->mdi()->subWindowList().size(), 2);
        EXPECT_EQ(w->current_viewer(), second);
        EXPECT_EQ(second->graph_points(), 2);
        EXPECT_EQ(started.size(), c.starts);
    }
}

TEST_F(BrowserWindowTest, LanguageFileNamesTheBrowserPrintAndReportTexts)
{
    QByteArray lng = "[SLOVAK]\r\nCAPT80=Database\r\nCAPT86=Direction\r\nLABEL92=Months\r\n"
                     "CAPT110=Print settings\r\nLABEL110=Columns\r\nLABEL114=Printer\r\n"
                     "LABEL120=Header\r\nLABEL125=Open browser\r\n";
    home.write("vorlan.lng", lng);
    start("");
    vx::Tfrmopenbase* b = w->database_browser();
    EXPECT_EQ(b->windowTitle(), "Database");
    EXPECT_EQ(b->RGafter->title(), "Direction");
    EXPECT_EQ(b->RGdobaItems->button(3)->text(), "Months");
    EXPECT_EQ(b->RGdobaItems->checkedId(), 3);
    EXPECT_EQ(b->RGafterItems->checkedId(), 0);
    EXPECT_EQ(b->chkprev->text(), "CAP83"); // keys the section lacks show their names

    EXPECT_EQ(w->frmprint->windowTitle(), "Print settings");
    EXPECT_EQ(w->frmprint->GroupBox1->title(), "Printer");
    EXPECT_EQ(w->freport->CheckBox1->text(), "Open browser");
}

} // namespace
