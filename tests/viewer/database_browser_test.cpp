// The database browser over record files written in the test: preview and
// statistics, opening files whole, filtered or as flow totals, the recent
// list and the switches kept in the settings file.
#include "common/fake_ui.h"
#include "common/temp_home.h"
#include "logger/program_state.h"
#include "viewer/database_browser.h"
#include "viewer/file_list.h"
#include "viewer/record_viewer.h"
#include "viewer/text_preview.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

const QByteArray temps =
    "TEMP\r\nRemark: \r\nSTART: 9.3.2024 10:00\r\nPERIOD: 60\r\nGRADIENT: 0\r\n"
    "9.3.2024 23:00\t 18,0\r\n10.3.2024\t 19,5\r\n12.3.2024\t 21,0\r\n12.3.2024 00:01\t 22,5\r\n";
const QByteArray keys = "KLUCE\r\nRemark: \r\n10.3.2024 08:00\tANNA\r\n10.3.2024 09:00\tPETER\r\n";
const QByteArray flow = "VODA\r\nRemark: studna\r\nSTART: 1.3.2024 10:00\r\nPERIOD: 60\r\nSTATUS: \t100\r\n"
                        "CONST: \t10\r\n1.3.2024 11:00\t1\r\n1.3.2024 12:00\t2\r\n";

class BrowserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        home.write("vorlanix.ini",
                   ("[GLOBAL]\r\nMAKESTAT=1\r\nLOGDIR=" + home.path("Log") + "\r\n").toUtf8());
        home.write("Log/TEMP.txt", temps);
        home.write("Log/KLUCE.txt", keys);
        home.write("Log/VODA.txt", flow);
        home.write("Log/notes.dat", "x\r\n");
        g.program_dir = home.dir();
        g.ui = &ui;
        g.now = [] { return QDateTime(QDate(2024, 3, 20), QTime(9, 0)); };
        vx::load_settings(g);
        browser = std::make_unique<vx::Tfrmopenbase>(g);
        browser->new_viewer = [this] {
            return viewers.emplace_back(std::make_unique<vx::TEditForm>(g)).get();
        };
        browser->auto_graph = [this] { ++graph_starts; };
        browser->show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return browser->FExplorer->entries().contains("TEMP.txt"); }));
    }
    void select(const QString& name)
    {
        ASSERT_TRUE(browser->FExplorer->select_file(home.path("Log/" + name)));
    }
    QStringList viewer_lines() const { return viewers.back()->text().split('\n'); }
    QString ini() const { return QString::fromUtf8(home.read("vorlanix.ini")); }

    vxtest::TempHome home;
    vx::Global g;
    vxtest::FakeUi ui;
    std::unique_ptr<vx::Tfrmopenbase> browser;
    std::vector<std::unique_ptr<vx::TEditForm>> viewers;
    int graph_starts = 0;
};

TEST_F(BrowserTest, SelectingAFileShowsItsTextAndStatistics)
{
    struct Case {
        const char* file;
        int preview_lines;
        QStringList labels; // count, from, to, maximum, minimum
    };
    const Case cases[] = {
        {"TEMP.txt", 9, {"4", "9.3.2024 23:00", "12.3.2024 00:01", " 22,5", " 18,0"}},
        {"KLUCE.txt", 4, {"0", "-----", "-----", "-----", "-----"}},
        {"VODA.txt", 8, {"2", "1.3.2024 11:00", "1.3.2024 12:00", "  2,0", "  1,0"}},
    };
    vx::Tfrmopenbase& b = *browser;
    EXPECT_TRUE(b.Panel1->isVisible());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        select(c.file);
        EXPECT_EQ(b.current_file(), home.path(QString("Log/") + c.file));
        EXPECT_EQ(b.memo1->line_count(), c.preview_lines);
        EXPECT_EQ(b.memo1->line(0), QString(c.file).section('.', 0, 0)); // the mission name line
        const QStringList shown{b.lblnumlines->text(), b.LBLmintime->text(), b.LBLmaxtime->text(),
                                b.LBLmaxval->text(), b.LBLminval->text()};
        EXPECT_EQ(shown, c.labels);
        EXPECT_EQ(b.stpanels[1]->text(), QString::number(QFileInfo(b.current_file()).size()) + " Bytes");
    }

    // With the preview off a selection clears the preview and leaves the statistics.
    b.chkprev->setChecked(false);
    select("TEMP.txt");
    EXPECT_EQ(b.memo1->line_count(), 0);
    EXPECT_EQ(b.lblnumlines->text(), "2");
    EXPECT_TRUE(ini().contains("MAKEPREVIEW=0"));
}

TEST_F(BrowserTest, MakeOpensTheFileAsTheFilterPageSays)
{
    struct Case {
        const char* name;
        const char* file;
        std::function<void(vx::Tfrmopenbase&)> set;
        QStringList lines;
        QString message;
    };
    const Case cases[] = {
        {"whole file", "TEMP.txt", [](vx::Tfrmopenbase&) {},
         QString::fromLatin1(temps).trimmed().remove('\r').split('\n'), ""},
        {"from the picked day, 2 days",
         "TEMP.txt",
         [](vx::Tfrmopenbase& b) {
             b.DTpickerCheck->setChecked(true);
             b.DTpicker->setDate(QDate(2024, 3, 10));
             b.RGafterItems->button(1)->click();
             b.RGdobaItems->button(1)->click();
             b.SPdoba->setValue(2);
         },
         {"TEMP.txt", "FILTER Od casu: 10.3.2024", "FILTER Do casu: 12.3.2024", "10.3.2024\t 19,5",
          "12.3.2024\t 21,0"},
         ""},
        {"invalid limit opens unfiltered", "TEMP.txt",
         [](vx::Tfrmopenbase& b) {
             b.CHKhitemp->setChecked(true);
             b.EDhi->setText("20 C");
         },
         QString::fromLatin1(temps).trimmed().remove('\r').split('\n'),
         "Nesprávna hodnota HI_TEMP vo filtroch"},
        {"flow totals",
         "VODA.txt",
         [](vx::Tfrmopenbase& b) { b.chkprietok->setChecked(true); },
         {"VODA.txt", "Remark: studna", "Pociatocny stav=100,0", "Konstanta prietokomera=10,0",
          "1.3.2024 11:00\t110,0\tm3", "1.3.2024 12:00\t130,0\tm3"},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        browser = std::make_unique<vx::Tfrmopenbase>(g);
        browser->new_viewer = [this] {
            return viewers.emplace_back(std::make_unique<vx::TEditForm>(g)).get();
        };
        ui.messages.clear();
        c.set(*browser);
        select(c.file);
        ASSERT_NE(browser->make(), nullptr);
        vx::TEditForm& v = *viewers.back();
        EXPECT_EQ(viewer_lines(), c.lines);
        EXPECT_EQ(v.windowTitle(), c.file);
        EXPECT_EQ(v.file_name(), home.path(QString("Log/") + c.file));
        EXPECT_FALSE(v.is_modified());
        EXPECT_EQ(v.status_text(0), "Lines:" + QString::number(c.lines.size()));
        ASSERT_EQ(ui.messages.size(), c.message.isEmpty() ? 0 : 1);
        if (!c.message.isEmpty()) {
            EXPECT_EQ(ui.messages[0].first, c.message);
        }
    }
}

TEST_F(BrowserTest, RecentListKeepsEachFileOnceMostRecentFirst)
{
    vx::Tfrmopenbase& b = *browser;
    select("TEMP.txt");
    b.make();
    b.make();
    EXPECT_TRUE(ini().contains("REC0=TEMP.txt"));
    EXPECT_FALSE(ini().contains("REC1"));
    select("VODA.txt");
    b.make();
    EXPECT_TRUE(ini().contains("REC0=VODA.txt\r\nREC1=TEMP.txt"));
    EXPECT_EQ(b.cmbrecfiles->count(), 2);
    EXPECT_EQ(graph_starts, 3);

    // A new window reads the list; choosing an entry opens that file.
    vx::Tfrmopenbase again(g);
    again.new_viewer = browser->new_viewer;
    ASSERT_EQ(again.cmbrecfiles->count(), 2);
    ASSERT_NE(again.choose_recent(1), nullptr);
    EXPECT_EQ(viewers.back()->windowTitle(), "TEMP.txt");
    EXPECT_EQ(again.current_file(), QDir(home.path("Log")).filePath("TEMP.txt"));

    // A file that vanished opens nothing.
    QFile::remove(home.path("Log/TEMP.txt"));
    const auto opened = viewers.size();
    EXPECT_EQ(again.choose_recent(1), nullptr);
    EXPECT_EQ(viewers.size(), opened);
}

TEST_F(BrowserTest, SwitchesMaskAndDirectory)
{
    vx::Tfrmopenbase& b = *browser;
    // Statistics switch: the panel and MAKESTAT follow it; showing reads it back.
    b.chkstat->setChecked(false);
    EXPECT_FALSE(b.Panel1->isVisible());
    EXPECT_TRUE(ini().contains("MAKESTAT=0"));
    home.write("vorlanix.ini", ("[GLOBAL]\r\nMAKESTAT=1\r\nMAKEPREVIEW=0\r\n"));
    b.hide();
    b.show();
    EXPECT_TRUE(b.chkstat->isChecked());
    EXPECT_FALSE(b.chkprev->isChecked());
    EXPECT_TRUE(b.Panel1->isVisible());

    // The mask: "*.txt" at first; a typed mask applies on Enter and becomes the second item.
    EXPECT_FALSE(b.FExplorer->entries().contains("notes.dat"));
    b.cmbfilter->setEditText("*.dat");
    QTest::keyClick(b.cmbfilter->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return b.FExplorer->entries() == QStringList{"notes.dat"}; }));
    EXPECT_EQ(b.cmbfilter->itemText(1), "*.dat");
    EXPECT_EQ(b.cmbfilter->count(), 3);

    // The directory button and going up one level.
    QDir().mkpath(home.path("Other"));
    b.ask_directory = [&](const QString& start) {
        EXPECT_EQ(start, home.dir());
        return home.path("Other");
    };
    b.BTdir->click();
    EXPECT_EQ(b.FExplorer->directory(), QDir::cleanPath(home.path("Other")));
    b.BTup->click();
    EXPECT_EQ(b.FExplorer->directory(), QDir::cleanPath(home.dir()));
}

} // namespace
