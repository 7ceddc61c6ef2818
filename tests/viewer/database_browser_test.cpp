// The database browser window over record files written in the test: what a
// selection shows, how the filter page and the flow box open a file, the
// recent list and the switches kept in the settings file. (The filtering and
// statistics themselves are tested in tests/records.)
#include "common/test_state.h"
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

namespace
{

const QByteArray temps =
    "TEMP\r\nRemark: \r\n9.3.2024 23:00\t 18,0\r\n10.3.2024\t 19,5\r\n12.3.2024\t 21,0\r\n"
    "12.3.2024 00:01\t 22,5\r\n";

class BrowserTest : public ::testing::Test, protected vxtest::TestState
{
protected:
    void SetUp() override
    {
        home.write("vorlanix.ini",
                   ("[GLOBAL]\r\nMAKESTAT=1\r\nLOGDIR=" + home.path("Log") + "\r\n").toUtf8());
        home.write("Log/TEMP.txt", temps);
        home.write("Log/KLUCE.txt", "KLUCE\r\n10.3.2024 08:00\tANNA\r\n");
        home.write("Log/VODA.txt",
                   "VODA\r\nRemark: studna\r\nSTATUS: \t100\r\nCONST: \t10\r\n1.3.2024 11:00\t1\r\n");
        home.write("Log/notes.dat", "x\r\n");
        vx::load_settings(g);
        browser = make_browser();
        browser->show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return browser->FExplorer->entries().contains("TEMP.txt"); }));
    }
    std::unique_ptr<vx::Tfrmopenbase> make_browser()
    {
        auto b = std::make_unique<vx::Tfrmopenbase>(g);
        b->new_viewer = [this] { return viewers.emplace_back(std::make_unique<vx::TEditForm>(g)).get(); };
        b->auto_graph = [this] { ++graph_starts; };
        return b;
    }
    void select(const QString& name)
    {
        ASSERT_TRUE(browser->FExplorer->select_file(home.path("Log/" + name)));
    }
    QString ini() const { return QString::fromUtf8(home.read("vorlanix.ini")); }

    std::unique_ptr<vx::Tfrmopenbase> browser;
    std::vector<std::unique_ptr<vx::TEditForm>> viewers;
    int graph_starts = 0;
};

TEST_F(BrowserTest, SelectionShowsTheFileAndItsStatistics)
{
    vx::Tfrmopenbase& b = *browser;
    const std::pair<const char*, QStringList> cases[] = {
        {"TEMP.txt", {"4", "9.3.2024 23:00", "12.3.2024 00:01", " 22,5", " 18,0"}},
        {"KLUCE.txt", {"0", "-----", "-----", "-----", "-----"}}, // no line is a record
    };
    for (const auto& [file, labels] : cases) {
        SCOPED_TRACE(file);
        select(file);
        EXPECT_EQ(b.memo1->line(0), QString(file).section('.', 0, 0));
        EXPECT_EQ(QStringList({b.lblnumlines->text(), b.LBLmintime->text(), b.LBLmaxtime->text(),
                               b.LBLmaxval->text(), b.LBLminval->text()}),
                  labels);
        EXPECT_EQ(b.stpanels[1]->text(), QString::number(QFileInfo(b.current_file()).size()) + " Bytes");
    }
    EXPECT_EQ(b.memo1->line_count(), 2);

    // With the preview off a selection clears the preview and leaves the statistics.
    b.chkprev->setChecked(false);
    select("TEMP.txt");
    EXPECT_EQ(b.memo1->line_count(), 0);
    EXPECT_EQ(b.lblnumlines->text(), "0");
    EXPECT_TRUE(ini().contains("MAKEPREVIEW=0"));
}

TEST_F(BrowserTest, FilterPageAndFlowBoxDecideWhatOpens)
{
    struct Case {
        const char* name;
        const char* file;
        std::function<void(vx::Tfrmopenbase&)> set;
        QStringList lines;
        QString message;
    };
    const Case cases[] = {
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
        {"flow totals, before a filter",
         "VODA.txt",
         [](vx::Tfrmopenbase& b) {
             b.chkprietok->setChecked(true);
             b.CHKhitemp->setChecked(true);
             b.EDhi->setText("20");
         },
         {"VODA.txt", "Remark: studna", "Pociatocny stav=100,0", "Konstanta prietokomera=10,0",
          "1.3.2024 11:00\t110,0\tm3"},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        browser = make_browser();
        ui.messages.clear();
        c.set(*browser);
        select(c.file);
        ASSERT_NE(browser->make(), nullptr);
        const vx::TEditForm& v = *viewers.back();
        EXPECT_EQ(v.text().split('\n'), c.lines);
        EXPECT_EQ(v.windowTitle(), c.file);
        EXPECT_EQ(v.file_name(), home.path(QString("Log/") + c.file));
        EXPECT_FALSE(v.is_modified());
        EXPECT_EQ(v.status_text(0), "Lines:" + QString::number(c.lines.size()));
        EXPECT_EQ(ui.messages.isEmpty() ? QString() : ui.messages[0].first, c.message);
    }
}

TEST_F(BrowserTest, RecentListKeepsEachFileOnce)
{
    select("TEMP.txt");
    browser->make();
    browser->make();
    EXPECT_TRUE(ini().contains("REC0=TEMP.txt") && !ini().contains("REC1"));
    select("VODA.txt");
    browser->make();
    EXPECT_TRUE(ini().contains("REC0=VODA.txt\r\nREC1=TEMP.txt"));
    EXPECT_EQ(graph_starts, 3);

    // A new window reads the list; choosing an entry opens that file, unless it vanished.
    const auto again = make_browser();
    ASSERT_EQ(again->cmbrecfiles->count(), 2);
    ASSERT_NE(again->choose_recent(1), nullptr);
    EXPECT_EQ(viewers.back()->windowTitle(), "TEMP.txt");
    QFile::remove(home.path("Log/TEMP.txt"));
    EXPECT_EQ(again->choose_recent(1), nullptr);
    EXPECT_EQ(viewers.size(), 4);
}

TEST_F(BrowserTest, SwitchesMaskAndDirectory)
{
    vx::Tfrmopenbase& b = *browser;
    b.chkstat->setChecked(false);
    EXPECT_FALSE(b.Panel1->isVisible());
    EXPECT_TRUE(ini().contains("MAKESTAT=0"));
    home.write("vorlanix.ini", "[GLOBAL]\r\nMAKESTAT=1\r\nMAKEPREVIEW=0\r\n");
    b.hide();
    b.show();
    EXPECT_TRUE(b.chkstat->isChecked() && b.Panel1->isVisible());
    EXPECT_FALSE(b.chkprev->isChecked());

    // A typed mask applies on Enter and becomes the second item.
    b.cmbfilter->setEditText("*.dat");
    QTest::keyClick(b.cmbfilter->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return b.FExplorer->entries() == QStringList{"notes.dat"}; }));
    EXPECT_EQ(b.cmbfilter->itemText(1), "*.dat");

    QDir().mkpath(home.path("Other"));
    b.ask_directory = [&](const QString& start) {
        return start == home.dir() ? home.path("Other") : QString();
    };
    b.BTdir->click();
    EXPECT_EQ(b.FExplorer->directory(), QDir::cleanPath(home.path("Other")));
    b.BTup->click();
    EXPECT_EQ(b.FExplorer->directory(), QDir::cleanPath(home.dir()));
}

} // namespace
