// The graph properties dialog: picks go into the shared style table and are
// applied at once; OK writes the 22 keys of [GRAPH] in their fixed order.
#include "base/code_page.h"
#include "base/ui_port.h"
#include "common/test_state.h"
#include "viewer/graph_properties_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace vx;

namespace
{

class GraphProperties : public ::testing::Test, protected vxtest::TestState
{
};

} // namespace

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
    dlg.set_points(true, 1);
    EXPECT_EQ(g.settings.RIGHTPOINTS, 2);
    EXPECT_EQ(g.settings.LEFTPOINTS, 1);
    EXPECT_EQ(applied, 3);

    // Showing the dialog reflects the table without applying anything.
    g.settings.LEFTPOINTS = 2;
    dlg.load();
    EXPECT_EQ(dlg.CBleft->currentIndex(), 2);
    EXPECT_EQ(applied, 3);
}

TEST_F(GraphProperties, OkWritesTheTwentyTwoKeysInOrderOrSaysWhyItCannot)
{
    for (int i = 0; i < 20; ++i)
        g.settings.colors[i] = 1000 + i;
    g.settings.LEFTPOINTS = 1;
    g.settings.RIGHTPOINTS = 2;
    Tfgprop dlg(g);
    dlg.show();
    dlg.BTok->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(ui.args("plain_message").isEmpty());

    QByteArray expected = "[GRAPH]\r\n";
    for (int i = 1; i <= 20; ++i)
        expected += QString("COLOR%1=%2\r\n").arg(i).arg(999 + i).toLatin1();
    EXPECT_EQ(home.read("vorlanix.ini"), expected + "LEFTPOINTS=1\r\nRIGHTPOINTS=2\r\n");

    // Settings that cannot be written keep the dialog open and say why.
    g.program_dir = home.path("missing/dir/");
    dlg.show();
    dlg.BTok->click();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(ui.args("plain_message").size(), 1);
    EXPECT_TRUE(ui.args("plain_message").value(0).startsWith("Unable to write to"));
}
