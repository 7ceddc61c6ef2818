// The graph properties dialog: picks go into the shared style table and are
// applied at once; OK writes the 22 keys of [GRAPH] in their fixed order.
#include "base/code_page.h"
#include "base/ui_port.h"
#include "common/temp_home.h"
#include "logger/program_state.h"
#include "viewer/graph_properties_dialog.h"

#include "common/fake_ui.h"
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace vx;

namespace
{

// key=value lines of one section, in file order.
QStringList section_lines(const QByteArray& file, const QString& section)
{
    QStringList out;
    bool inside = false;
    for (const QString& line : from_cp1250(file).split("\r\n")) {
        if (line.startsWith('[')) {
            inside = line == "[" + section + "]";
            continue;
        }
        if (inside && line.contains('=')) out << line;
    }
    return out;
}

class GraphProperties : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g.program_dir = home.dir();
        g.lang.build_language_tables(g.program_dir, "SLOVAK");
        g.ui = &ui;
    }
    vxtest::TempHome home;
    Global g;
    vxtest::FakeUi ui;
};

} // namespace

TEST_F(GraphProperties, ListsThirteenTargetsAndThreePointStyles)
{
    Tfgprop dlg(g);
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Vlastnosti Grafu"));
    ASSERT_EQ(dlg.LBcolors->count(), 13);
    EXPECT_EQ(dlg.LBcolors->item(0)->text(), QString::fromUtf8("Okolie Grafu"));
    EXPECT_EQ(dlg.LBcolors->item(3)->text(), QString::fromUtf8("Ľava os"));
    EXPECT_EQ(dlg.LBcolors->item(6)->text(), QString::fromUtf8("Časová os mriežka"));
    EXPECT_EQ(dlg.LBcolors->item(12)->text(), QString::fromUtf8("Body vlhkosti"));
    ASSERT_EQ(dlg.CBleft->count(), 3);
    EXPECT_EQ(dlg.CBleft->itemText(1), QString::fromUtf8("Štvorce"));
    EXPECT_EQ(dlg.CBright->itemText(2), QString::fromUtf8("Krúžky"));
    EXPECT_EQ(dlg.BTmore->text(), QString::fromUtf8("Viac farieb"));
}

TEST_F(GraphProperties, PicksGoIntoTheStyleTableAndApplyAtOnce)
{
    Tfgprop dlg(g);
    int applied = 0;
    dlg.style_changed = [&] { ++applied; };
    dlg.load();
    // An untouched table is shown with the designed colours, not all black.
    EXPECT_EQ(g.settings.colors[1], 0xFFFFFF);

    dlg.select_target(9); // "Čiara teploty"
    dlg.pick_color(QColor(255, 0, 0));
    EXPECT_EQ(g.settings.colors[9], 0x0000FF);
    EXPECT_EQ(dlg.panSample->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(g.settings.colors[1], 0xFFFFFF); // the other parts keep their colours
    EXPECT_EQ(applied, 1);

    dlg.CBright->setCurrentIndex(2);
    EXPECT_EQ(g.settings.RIGHTPOINTS, 2);
    EXPECT_EQ(applied, 2);
    dlg.set_points(true, 1);
    EXPECT_EQ(g.settings.LEFTPOINTS, 1);
    EXPECT_EQ(dlg.CBleft->currentIndex(), 1);
    EXPECT_EQ(applied, 3);

    // Showing the dialog reflects the table without applying anything.
    g.settings.LEFTPOINTS = 2;
    dlg.load();
    EXPECT_EQ(dlg.CBleft->currentIndex(), 2);
    EXPECT_EQ(applied, 3);
}

TEST_F(GraphProperties, OkWritesTheTwentyTwoKeysInOrder)
{
    for (int i = 0; i < 20; ++i)
        g.settings.colors[i] = 1000 + i;
    g.settings.LEFTPOINTS = 1;
    g.settings.RIGHTPOINTS = 2;
    Tfgprop dlg(g);
    dlg.show();
    dlg.BTok->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(ui.plain.isEmpty());

    QStringList expected;
    for (int i = 1; i <= 20; ++i)
        expected << QString("COLOR%1=%2").arg(i).arg(999 + i);
    expected << "LEFTPOINTS=1"
             << "RIGHTPOINTS=2";
    EXPECT_EQ(section_lines(home.read("vorlanix.ini"), "GRAPH"), expected);
}

TEST_F(GraphProperties, UnwritableSettingsKeepTheDialogOpen)
{
    g.program_dir = home.path("missing/dir/");
    Tfgprop dlg(g);
    dlg.show();
    dlg.BTok->click();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    ASSERT_EQ(ui.plain.size(), 1);
    EXPECT_TRUE(ui.plain[0].startsWith("Unable to write to"));
}

TEST_F(GraphProperties, LanguageFileTextsReplaceTheDesignedOnes)
{
    home.write("vorlan.lng",
               *to_cp1250("[ENGLISH]\r\nCAPT140=Graph properties\r\nCAPT141=More colours\r\n"
                          "CAPT142=Surround\r\nCAPT154=Humidity points\r\nCAPT155=None\r\n"
                          "CAPT157=Circles\r\nLABEL140=Temperature:\r\nLABEL141=Humidity:\r\n"));
    g.lang.build_language_tables(g.program_dir, "ENGLISH");
    ASSERT_TRUE(g.lang.language_loaded);
    Tfgprop dlg(g);
    EXPECT_EQ(dlg.windowTitle(), "Graph properties");
    EXPECT_EQ(dlg.BTmore->text(), "More colours");
    EXPECT_EQ(dlg.LBcolors->item(0)->text(), "Surround");
    EXPECT_EQ(dlg.LBcolors->item(12)->text(), "Humidity points");
    EXPECT_EQ(dlg.CBleft->itemText(0), "None");
    EXPECT_EQ(dlg.CBright->itemText(2), "Circles");
    QStringList labels;
    for (QLabel* l : dlg.findChildren<QLabel*>())
        labels << l->text();
    EXPECT_TRUE(labels.contains("Temperature:"));
    EXPECT_TRUE(labels.contains("Humidity:"));
}
