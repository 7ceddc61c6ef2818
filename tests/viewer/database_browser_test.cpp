// The database browser window over record files written in the test: what a
// selection shows, how the filter page and the flow box open a file, the
// recent list and the switches kept in the settings file; a file a download
// made, its first record in every view. (The filtering and the figures
// themselves are tested in tests/records.)
#include "common/qt_print.h"
#include "common/test_data.h"
#include "common/test_state.h"
#include "logger/fake_host.h"
#include "records/record_file.h"
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
#include <QTableWidget>
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

    // Ticking the statistics box counts the selected file at once.
    b.chkstat->setChecked(false);
    select("TEMP.txt");
    EXPECT_EQ(b.lblnumlines->text(), "0");
    b.chkstat->setChecked(true);
    EXPECT_EQ(b.lblnumlines->text(), "4");
    EXPECT_EQ(b.LBLmaxval->text(), " 22,5");

    // With the preview off a selection clears the preview and leaves the statistics.
    b.chkprev->setChecked(false);
    select("KLUCE.txt");
    EXPECT_EQ(b.memo1->line_count(), 0);
    EXPECT_EQ(b.lblnumlines->text(), "4");
    EXPECT_TRUE(ini().contains("MAKEPREVIEW=0"));
}

TEST_F(BrowserTest, SummaryTableTakesTheFilterLimitsOrTheMissions)
{
    vx::Tfrmopenbase& b = *browser;
    auto cell = [&b](const QString& label) {
        for (int r = 0; r < b.TBsummary->rowCount(); ++r)
            if (b.TBsummary->verticalHeaderItem(r)->text() == label) return b.TBsummary->item(r, 0)->text();
        return QString("(none)");
    };
    select("TEMP.txt");
    EXPECT_EQ(b.TBsummary->horizontalHeaderItem(0)->text(), "Temperature [°C]");
    EXPECT_EQ(cell("Maximum"), "22,5 (12.3.2024 00:01)");
    EXPECT_EQ(cell("Nad 20 °C"), "(none)");
    // The mission's limits while its logger is attached; the filter page's before them.
    g.ident.type_code = 103;
    g.status.mission_name = "TEMP";
    g.status.upper_limit = 20;
    select("KLUCE.txt");
    select("TEMP.txt");
    EXPECT_EQ(cell("Nad 20 °C"), "61 min, prekročení: 1");
    b.CHKLotemp->setChecked(true);
    b.EDLO->setText("19");
    select("KLUCE.txt");
    select("TEMP.txt");
    EXPECT_EQ(cell("Pod 19 °C"), "60 min, prekročení: 1");
    EXPECT_EQ(cell("Nad 20 °C"), "(none)");
    // The view of the one record below 19 sums up the whole file: how long it lasted needs the next one.
    const vx::RecordSummary s = b.make()->summary();
    EXPECT_EQ(s.records, 4);
    EXPECT_EQ(s.channels.at(0).below->seconds, 3600);
}

TEST_F(BrowserTest, AFileADownloadMadeShowsItsFirstRecordEverywhere)
{
    // A logger met for the first time: its newest records go to a new file without header lines.
    ASSERT_TRUE(connect(
        QString("--type 87 --name TRI --serial 4321 --pointer 3 --fill 3 --coef -40,0.05,0").split(' ')))
        << sim.errors().toStdString();
    g.ident = {87, 8, 3901};
    g.link.record_length = 8;
    g.status.record_pointer = 3;
    g.status.mission_name = "TRI";
    g.coef.a0 = -5;
    g.coef.a1 = 0.25f;
    vxtest::FakeHost host;
    ui.input_answers = {QString("3")};
    vx::Download(g, host).newest_records();
    const QStringList file = vxtest::file_lines(home.path("Log/TRI.txt"));
    ASSERT_EQ(file.size(), 3);

    browser->refresh();
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return browser->FExplorer->select_file(home.path("Log/TRI.txt")); }));
    EXPECT_EQ(browser->lblnumlines->text(), "3");
    vx::TEditForm* v = browser->make();
    ASSERT_NE(v, nullptr);
    // The chart, the report's range and summary from the first record on (the printout's layout:
    // print_layout_test).
    EXPECT_EQ(v->graph_points(), 3);
    const vx::RecordSummary s = v->summary();
    EXPECT_EQ(s.records, 3);
    EXPECT_EQ(vx::format_time_stamp(s.first.time()), file[0].section('\t', 0, 0));
}

TEST_F(BrowserTest, PreviewFollowsADownloadIntoTheSelectedFile)
{
    select("TEMP.txt");
    home.write("Log/TEMP.txt", temps + "12.3.2024 00:11\t 23,0\r\n");
    browser->refresh();
    EXPECT_EQ(browser->memo1->line(6), "12.3.2024 00:11\t 23,0");
    EXPECT_EQ(browser->lblnumlines->text(), "5");
}

TEST_F(BrowserTest, FilterPageAndFlowBoxDecideWhatOpens)
{
    struct Case {
        const char *name, *file;
        bool from_day, flow;                    // from 10.3.2024 for 2 days; the flow totals
        QString hi;                             // the upper limit typed, if any
        const char *lines, *message, *proposed; // the lines by '|'; the save dialog's proposal
    };
    const Case cases[] = {
        {"from the picked day, 2 days", "TEMP.txt", true, false, "",
         "TEMP.txt|FILTER Od casu: 10.3.2024|FILTER Do casu: 12.3.2024|10.3.2024\t 19,5|12.3.2024\t 21,0", "",
         "TEMP filter.txt"},
        {"invalid limit opens unfiltered", "TEMP.txt", false, false, "20 C",
         "TEMP|Remark: |9.3.2024 23:00\t 18,0|10.3.2024\t 19,5|12.3.2024\t 21,0|12.3.2024 00:01\t 22,5",
         "Nesprávna hodnota HI_TEMP vo filtroch", "TEMP.txt"},
        {"flow totals, before a filter", "VODA.txt", false, true, "20",
         "VODA.txt|Remark: studna|Pociatocny stav=100,0|Konstanta prietokomera=10,0|1.3.2024 "
         "11:00\t110,0\tm3",
         "", "VODA prietok.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        browser = make_browser();
        ui.messages.clear();
        if (c.from_day) {
            browser->DTpickerCheck->setChecked(true);
            browser->DTpicker->setDate(QDate(2024, 3, 10));
            browser->RGafterItems->button(1)->click();
            browser->RGdobaItems->button(1)->click();
            browser->SPdoba->setValue(2);
        }
        browser->chkprietok->setChecked(c.flow);
        browser->CHKhitemp->setChecked(!c.hi.isEmpty());
        browser->EDhi->setText(c.hi);
        select(c.file);
        ASSERT_NE(browser->make(), nullptr);
        const vx::TEditForm& v = *viewers.back();
        const QStringList lines = QString(c.lines).split('|');
        EXPECT_EQ(v.text().split('\n'), lines);
        EXPECT_EQ(v.windowTitle(), c.file);
        EXPECT_EQ(v.file_name(), home.path(QString("Log/") + c.proposed));
        EXPECT_FALSE(v.is_modified());
        EXPECT_EQ(v.status_text(0), "Lines:" + QString::number(lines.size()));
        EXPECT_EQ(ui.messages.isEmpty() ? QString() : ui.messages[0].first, QString(c.message));
    }
}

TEST_F(BrowserTest, AFilteredViewReplacesARecordFileOnlyWhenTheUserSaysSo)
{
    browser->CHKhitemp->setChecked(true);
    browser->EDhi->setText("20");
    select("TEMP.txt");
    vx::TEditForm* v = browser->make();
    ASSERT_NE(v, nullptr);
    QString target = home.path("Log/TEMP filter.txt");
    v->ask_text_path = [&](const QString&) { return target; };
    ui.messages.clear();
    EXPECT_TRUE(v->save()); // a new file, then the view's own: no question
    EXPECT_TRUE(v->save());
    EXPECT_TRUE(ui.messages.isEmpty());
    target = home.path("Log/TEMP.txt");
    ui.message_answers = {vx::mr::no, vx::mr::yes};
    EXPECT_FALSE(v->save());
    EXPECT_EQ(home.read("Log/TEMP.txt"), temps);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].first.contains("TEMP.txt"));
    EXPECT_EQ(ui.messages[0].second, vx::btn::yes | vx::btn::no);
    EXPECT_EQ(ui.default_results[0], vx::mr::no); // Enter keeps the file's other records
    EXPECT_TRUE(v->save());
    EXPECT_TRUE(home.read("Log/TEMP.txt").startsWith("TEMP.txt\r\nTeploty nad: 20\r\n"));
}

TEST_F(BrowserTest, RecentListKeepsEachFileOnceWithItsFolder)
{
    const QString log_temp = home.path("Log/TEMP.txt"), other_temp = home.path("Other/TEMP.txt");
    home.write("Other/TEMP.txt", "OTHER\r\n6.3.2024 10:00\t 1,0\r\n");
    select("TEMP.txt");
    browser->make();
    browser->make();
    EXPECT_TRUE(ini().contains("REC0=" + log_temp + "\r\n") && !ini().contains("REC1"));
    browser->FExplorer->set_directory(home.path("Other"));
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return browser->FExplorer->select_file(home.path("Other/TEMP.txt")); }));
    browser->make();
    EXPECT_TRUE(ini().contains("REC0=" + other_temp + "\r\nREC1=" + log_temp + "\r\n"));
    EXPECT_EQ(graph_starts, 3);

    // A new window reads the list: each entry opens its own file (a bare name, as older settings
    // hold, one in LOG), unless it vanished.
    home.write(
        "vorlanix.ini",
        ("[RECENTBASES]\r\nREC0=" + other_temp + "\r\nREC1=" + log_temp + "\r\nREC2=VODA.txt\r\n").toUtf8());
    const auto again = make_browser();
    ASSERT_EQ(again->cmbrecfiles->count(), 3);
    EXPECT_EQ(again->cmbrecfiles->itemText(2), "VODA.txt");
    ASSERT_NE(again->choose_recent(0), nullptr);
    EXPECT_TRUE(viewers.back()->text().startsWith("OTHER\n"));
    ASSERT_NE(again->choose_recent(2), nullptr);
    EXPECT_EQ(viewers.back()->windowTitle(), "VODA.txt");
    QFile::remove(other_temp);
    EXPECT_EQ(again->choose_recent(0), nullptr);
    EXPECT_EQ(viewers.size(), 5);
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
