// The mission start dialog: its preparation per model, and a mission filled
// in through its controls and started on the simulated logger.
#include "app/start_mission_dialog.h"
#include "app/up_down.h"
#include "common/test_state.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

using vx::Tfrmstart;

namespace
{

template <class W> W* child(const QWidget& w, const char* name)
{
    W* c = w.findChild<W*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

} // namespace

TEST(StartMissionDialog, PreparedPerModel)
{
    struct Case {
        int type;
        QStringList shown, hidden;
        const char* chkLo_caption;
        bool limits_enabled;
    };
    const std::vector<Case> cases = {
        {85, {"GroupBox2", "chksynchro"}, {"Gprietok", "grflowlcd", "grp_belsa", "EDptr"}, "Spodna", false},
        {101, {"GroupBox2"}, {"grp_belsa"}, "Siréna", true},
        {102, {"Gprietok"}, {"GroupBox2", "grflowlcd"}, "Spodna", false},
        {107, {"grflowlcd"}, {"GroupBox2", "Gprietok"}, "Spodna", false},
        {130, {"grp_belsa"}, {"GroupBox2", "chksynchro"}, "Spodna", false},
        {132, {"GroupBox2", "chksynchro"}, {"chkLo", "spinHI", "Label6"}, "Spodna", false},
        {93, {"GroupBox2"}, {"EDperiod", "EDgrad", "GroupBox1"}, "Spodna", false},
    };
    vxtest::TestState s; // no simulator: the dialog only reads the state
    Tfrmstart dlg(s.g, {});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        s.g.ident.type_code = static_cast<std::uint16_t>(c.type);
        s.g.status.mission_name = QString("M%1").arg(c.type);
        dlg.show();
        for (const QString& name : c.shown)
            EXPECT_FALSE(child<QWidget>(dlg, name.toLatin1())->isHidden()) << name.toStdString();
        for (const QString& name : c.hidden)
            EXPECT_TRUE(child<QWidget>(dlg, name.toLatin1())->isHidden()) << name.toStdString();
        EXPECT_EQ(dlg.chkLo->text(), QString(c.chkLo_caption));
        EXPECT_EQ(dlg.chkLo->isEnabled(), c.limits_enabled);
        EXPECT_EQ(dlg.EDname->text(), QString("M%1").arg(c.type));
        EXPECT_TRUE(dlg.BTok->isEnabled()); // the name fill counts as a change
        if (c.type == 132) {
            EXPECT_EQ(dlg.chksynchro->text(), QString("Sekundy"));
            dlg.chksynchro->click();
            EXPECT_EQ(dlg.Label5->text(), QString("Sek"));
        }
        dlg.reject();
        EXPECT_FALSE(dlg.BTok->isEnabled());
    }
    // A double-click on the interval label reveals the pointer field for good.
    QTest::mouseDClick(dlg.Label2, Qt::LeftButton);
    dlg.show();
    EXPECT_FALSE(dlg.EDptr->isHidden());
    EXPECT_TRUE(dlg.form().pointer_shown);
    // Limit bounds of a calibration definition are rounded outward.
    s.g.ident.type_code = 103;
    s.g.calib.calib_active = true;
    s.g.calib.MinValue = -0.5f;
    s.g.calib.MaxValue = 99.5f;
    s.g.calib.ValueRange = "cm";
    dlg.hide();
    dlg.show();
    EXPECT_EQ(dlg.SpinLo->minimum(), -1);
    EXPECT_EQ(dlg.SpinLo->maximum(), 100);
    EXPECT_EQ(dlg.spinHI->singleStep(), 10);
    EXPECT_EQ(dlg.Label7->text(), QString("cm"));
}

TEST(StartMissionDialog, FilledAndStartedOnTheSimulator)
{
    vxtest::TestState s;
    ASSERT_TRUE(s.start_logger({"--type", "101", "--name", "OLD"})) << s.sim.errors().toStdString();
    s.g.status.mission_name = "OLD";
    int refreshed = 0;
    Tfrmstart dlg(s.g, {[&] { return s.read_status(); }, [&] { ++refreshed; }});
    dlg.show();
    ASSERT_EQ(child<QLineEdit>(dlg, "EDname")->text(), QString("OLD"));

    child<QLineEdit>(dlg, "EDname")->setText("ZIMA");
    child<QLineEdit>(dlg, "EDremark")->setText("sklad 3");
    child<vx::UpDown>(dlg, "UpDown1")->step(-1); // 30 - 5
    child<vx::UpDown>(dlg, "UDgrad")->step(1);   // 0 + 0.5
    EXPECT_FALSE(child<QSpinBox>(dlg, "SpinLo")->isEnabled());
    child<QCheckBox>(dlg, "chkLo")->click();
    ASSERT_TRUE(child<QSpinBox>(dlg, "SpinLo")->isEnabled());
    child<QSpinBox>(dlg, "SpinLo")->setValue(-10);
    child<QCheckBox>(dlg, "CHKrol")->click();
    s.ui.message_answers = {vx::mr::yes}; // the confirmation
    QTest::mouseClick(child<QPushButton>(dlg, "BTok"), Qt::LeftButton);

    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(dlg.isHidden());
    ASSERT_EQ(s.ui.messages.size(), 1);
    EXPECT_TRUE(s.ui.messages[0].first.startsWith("---- POZOR ----"));
    EXPECT_EQ(refreshed, 1);
    QFile file(s.home.path("Log/ZIMA.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        file.readAll(),
        QByteArray("ZIMA\r\nRemark: sklad 3\r\nSTART: 1.3.2024 12:34\r\nPERIOD: 25\r\nGRADIENT:  0,5\r\n"));
    const auto state = s.sim.state();
    const QMap<QString, QString> expected = {{"name", "ZIMA"},    {"interval", "25"}, {"gradient", "8"},
                                             {"rollover", "0"},   {"mission", "1"},   {"pointer", "0"},
                                             {"limit_lo", "246"}, {"limit_hi", "127"}};
    for (auto it = expected.begin(); it != expected.end(); ++it)
        EXPECT_EQ(state.value(it.key()), it.value()) << it.key().toStdString();
}
