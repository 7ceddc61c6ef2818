// The main window without a logger: geometry kept in the settings file, the
// graph tab's controls, context tips, language texts and the start-up
// message of a port that does not open.
#include "app/main_window.h"
#include "app/scripted_ui.h"
#include "app/tip_window.h"
#include "common/temp_home.h"
#include "logger/program_state.h"
#include "viewer/graph_properties_dialog.h"
#include "viewer/record_viewer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using vx::TForm1;

namespace
{

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g.program_dir = home.dir();
        g.ui = &ui;
        g.link.attach_ui(&ui);
    }
    // Creates and starts the window over the files written so far.
    TForm1& make()
    {
        w = std::make_unique<TForm1>(g);
        w->start();
        return *w;
    }
    QString ini() const { return QString::fromLatin1(home.read("vorlanix.ini")); }

    vxtest::TempHome home;
    vx::Global g;
    vxtest::ScriptedUi ui;
    std::unique_ptr<TForm1> w;
};

TEST_F(MainWindowTest, NarrowWindowLeavesGeometryKeysUnchangedAtClose)
{
    const QByteArray original = "[GLOBAL]\r\nWIDTH=640\r\nHEIGHT=480\r\nLEFT=30\r\nTOP=40\r\n";
    home.write("vorlanix.ini", original);
    TForm1& f = make();
    f.resize(150, 400);
    ASSERT_EQ(f.width(), 150) << "minimum " << f.minimumSizeHint().width();
    f.close();
    EXPECT_EQ(home.read("vorlanix.ini"), original);

    f.show();
    f.resize(400, 200); // not taller than 200
    ASSERT_EQ(f.height(), 200) << "minimum " << f.minimumSizeHint().height();
    f.close();
    EXPECT_EQ(home.read("vorlanix.ini"), original);
}

TEST_F(MainWindowTest, WindowAbove200By200IsSavedAtClose)
{
    home.write("vorlanix.ini", "[GLOBAL]\r\nComPort=3\r\n");
    TForm1& f = make();
    f.resize(201, 201);
    f.move(55, 66);
    f.close();
    const QString text = ini();
    EXPECT_TRUE(text.contains("WIDTH=201\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("HEIGHT=201\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("LEFT=55\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("TOP=66\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("ComPort=3\r\n"));
}

TEST_F(MainWindowTest, StoredGeometryIsTakenOnlyWithinItsLimits)
{
    home.write("vorlanix.ini", "[GLOBAL]\r\nWIDTH=201\r\nHEIGHT=200\r\nLEFT=0\r\nTOP=25\r\n");
    TForm1& f = make();
    // The designed bounds: two thirds of the desktop's free area, centred.
    const QRect free_area = f.screen()->availableGeometry();
    QRect designed(0, 0, free_area.width() * 2 / 3, free_area.height() * 2 / 3);
    designed.moveCenter(free_area.center());
    EXPECT_EQ(f.width(), 201);
    EXPECT_EQ(f.height(), designed.height()); // 200 is not above 200: the designed height stays
    EXPECT_EQ(f.x(), designed.x());           // LEFT 0: the designed left stays
    EXPECT_EQ(f.y(), 25);
}

TEST_F(MainWindowTest, PortThatDoesNotOpenShowsMess1AndPollStillRuns)
{
    home.write("vorlanix.ini", "[GLOBAL]\r\nComPort=7\r\nSHOWTIP=0\r\n");
    TForm1& f = make();
    // The missing log directory is reported by the settings load, before the port.
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_TRUE(ui.messages[0].text.startsWith("Nie je možné nájsť adresár LOG"));
    EXPECT_EQ(ui.messages[1].text,
              QString("Nie je možné otvoriť COM port\r\nNastavte správny COMPORT v MENU Služby - "
                      "nastavenia programu"));
    EXPECT_EQ(ui.messages[1].buttons, vx::btn::ok);
    EXPECT_FALSE(g.link.port_open);
    EXPECT_FALSE(f.A_conn->isChecked());
    EXPECT_TRUE(f.poll_running());
    EXPECT_EQ(f.Timer1->interval(), 700);
}

TEST_F(MainWindowTest, AutoScaleTickDisablesTheFourAxisSpinEdits)
{
    TForm1& f = make();
    const QList<QSpinBox*> spins{f.SpinEdit1, f.SpinEdit2, f.SpinEdit3, f.SpinEdit4};
    EXPECT_TRUE(f.CheckBox1->isChecked());
    for (QSpinBox* s : spins)
        EXPECT_FALSE(s->isEnabled()) << s->objectName().toStdString();

    int redraws = 0;
    QObject::connect(&f, &TForm1::graph_changed, [&] { ++redraws; });
    f.CheckBox1->setChecked(false);
    for (QSpinBox* s : spins)
        EXPECT_TRUE(s->isEnabled()) << s->objectName().toStdString();
    f.SpinEdit1->stepBy(1);
    EXPECT_EQ(f.SpinEdit1->value(), 45);
    f.CheckBox1->setChecked(true);
    for (QSpinBox* s : spins)
        EXPECT_FALSE(s->isEnabled());
    EXPECT_EQ(redraws, 3);

    const vx::GraphControls r = f.graph_controls();
    EXPECT_TRUE(r.auto_scale);
    EXPECT_EQ(r.temp_max, 45);
    EXPECT_EQ(r.temp_min, 0);
    EXPECT_EQ(r.humi_max, 80);
    EXPECT_EQ(r.humi_min, 20);
}

TEST_F(MainWindowTest, GraphTabControlsStartAsDesigned)
{
    TForm1& f = make();
    EXPECT_FALSE(f.DateTimePicker1Check->isChecked());
    EXPECT_FALSE(f.ComboBox1->isEnabled());
    ASSERT_EQ(f.ComboBox1->count(), 8);
    EXPECT_EQ(f.ComboBox1->itemText(0), QString("1-deň"));
    EXPECT_EQ(f.ComboBox1->itemText(7), QString("6-mesiacov"));
    EXPECT_EQ(f.SpinEdit1->minimum(), -40);
    EXPECT_EQ(f.SpinEdit1->maximum(), 100);
    EXPECT_EQ(f.SpinEdit3->minimum(), 0);
    EXPECT_EQ(f.SpinEdit4->singleStep(), 5);
    f.DateTimePicker1Check->setChecked(true);
    EXPECT_TRUE(f.ComboBox1->isEnabled());
    f.DateTimePicker1Check->setChecked(false);
    EXPECT_FALSE(f.ComboBox1->isEnabled());
}

TEST_F(MainWindowTest, ControlsCarryTheirNamesAndCaptions)
{
    TForm1& f = make();
    for (const char* name :
         {"PanTime",       "pansn",           "panbat",     "pantype",   "Panmisname",   "PannewRec",
          "LBLaktval",     "pantemp",         "BevelHumi",  "LBLhumi",   "panhumi",      "panIBname",
          "PanTempFahren", "panmisname2",     "CHKmission", "CHKroll",   "Panel3",       "PANdelay",
          "PanPeriod",     "panptr",          "PanGrad",    "Hranice",   "panLo",        "PanHI",
          "chkpriemer",    "DateTimePicker1", "ComboBox1",  "SpinEdit1", "SpinEdit2",    "SpinEdit3",
          "SpinEdit4",     "CheckBox1",       "stbar",      "ToolBar1",  "PageControl1", "btCOM"})
        EXPECT_NE(f.findChild<QWidget*>(name), nullptr) << name;
    for (const char* name : {"Act_save",     "openbase",       "print",         "Act_graph",
                             "find_act",     "act_newrecords", "help_action",   "startmission",
                             "A_conn",       "actopentext",    "Kalibransbor2", "Nastaveniatlae1",
                             "N7koniec1",    "Prenoszznamov1", "set_time",      "Nastaveniaprogramu1",
                             "Agr_Property", "agr_zoomin",     "agr_zoomout",   "agr_save",
                             "agr_copy",     "agr_Print",      "Oprograme1",    "Act_showtip"})
        EXPECT_NE(f.findChild<QAction*>(name), nullptr) << name;
    EXPECT_EQ(f.PageControl1->count(), 5);
    EXPECT_EQ(f.PageControl1->tabText(0), QString("Obecné"));
    EXPECT_EQ(f.PageControl1->tabText(4), QString("Graf"));
    EXPECT_EQ(f.A_conn->toolTip(), QString("Pripojit / Odpojit COM"));
    EXPECT_EQ(f.act_newrecords->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(f.win_close->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F10));
    EXPECT_FALSE(f.startmission->isEnabled());
    EXPECT_FALSE(f.panIBname->isVisibleTo(&f));
    EXPECT_FALSE(f.Hranice->isVisibleTo(&f));
}

TEST_F(MainWindowTest, LanguageSectionWithOnlyMess1ReplacesEveryMainWindowText)
{
    home.write("vorlan.lng", "[SLOVAK]\r\nMESS1=Port nejde\\notvorit\r\n");
    home.write("vorlanix.ini", "[GLOBAL]\r\nComPort=9\r\n");
    TForm1& f = make();
    EXPECT_EQ(f.Act_save->iconText(), QString("CAP1"));
    EXPECT_EQ(f.Act_save->toolTip(), QString("HINT1"));
    EXPECT_EQ(f.openbase->text(), QString("MENU1"));
    EXPECT_EQ(f.LBLaktval->text(), QString("LABEL10"));
    EXPECT_EQ(f.ComboBox1->itemText(0), QString("MENU40"));
    EXPECT_EQ(f.ComboBox1->currentIndex(), 2);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, QString("Port nejde\r\notvorit"));
}

TEST_F(MainWindowTest, NoLanguageFileKeepsDesignedTexts)
{
    TForm1& f = make();
    EXPECT_EQ(f.Act_save->iconText(), QString("Uložiť"));
    EXPECT_EQ(f.openbase->iconText(), QString("Otvoriť"));
    EXPECT_EQ(f.openbase->text(), QString("Otvoriť Databázu záznamov"));
    EXPECT_EQ(f.LBLaktval->text(), QString("Teplota:"));
}

} // namespace

namespace
{

// Twelve hourly records of temperature and humidity from 6.12.2026 08:00.
QByteArray record_file()
{
    QByteArray text = "Misia: SKLAD\r\nTyp: 87\r\nS/N: 870\r\nInterval: 60\r\nDatum\tTeplota\tVlhkos\x9d\r\n";
    for (int i = 0; i < 12; ++i)
        text += QString("6.12.2026 %1:00\t 2%2,5\t 6%2,0\r\n")
                    .arg(8 + i, 2, 10, QChar('0'))
                    .arg(i % 10)
                    .toLatin1();
    return text;
}

TEST_F(MainWindowTest, TextFileOpensInAViewerThatTakesTheWindowCommands)
{
    home.write("Log/SKLAD.txt", record_file());
    TForm1& f = make();
    QStringList started;
    f.hooks.start_program = [&](const QString& p) {
        started << p;
        return true;
    };
    f.Act_graph->trigger();
    EXPECT_TRUE(started.isEmpty()); // no viewer: no external program
    EXPECT_FALSE(f.send_viewer_command(vx::viewer_cmd::full_graph));
    EXPECT_FALSE(f.menu_window->menuAction()->isEnabled());

    vx::TEditForm* viewer = f.open_text_file(home.path("Log/SKLAD.txt"));
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(f.menu_window->menuAction()->isEnabled());
    EXPECT_EQ(viewer->windowTitle(), QString("SKLAD.txt"));
    EXPECT_FALSE(viewer->is_modified());
    EXPECT_TRUE(viewer->text().startsWith("TEXT FILE:" + home.path("Log/SKLAD.txt") + "\nMisia: SKLAD\n"));
    EXPECT_TRUE(viewer->text().contains(QString("Vlhkos\u0165"))); // code page 1250 0x9D
    EXPECT_EQ(viewer->graph_points(), 12);

    // Zoom in through the graph menu, back to the full graph from the tab.
    const auto full = viewer->time_range();
    f.agr_zoomin->trigger();
    const auto zoomed = viewer->time_range();
    EXPECT_LT(zoomed.second - zoomed.first, full.second - full.first);
    f.CheckBox1->setChecked(false); // any change of the graph tab redraws the whole graph
    EXPECT_EQ(viewer->time_range(), full);

    // "Graf": the external program once per run, then the redraw a second later.
    f.agr_zoomin->trigger();
    f.Act_graph->trigger();
    f.Act_graph->trigger();
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0], home.path("Kurvex.exe"));
    EXPECT_NE(viewer->time_range(), full);
    QTest::qWait(1300);
    EXPECT_EQ(viewer->time_range(), full);

    // "Vlastnosti": a colour picked in the graph properties reaches the viewer's chart.
    f.Agr_Property->trigger();
    ASSERT_TRUE(f.fgprop->isVisible());
    f.fgprop->select_target(0); // the chart's surroundings
    f.fgprop->pick_color(QColor(200, 10, 20));
    EXPECT_EQ(QColor(viewer->picture().pixel(1, 1)), QColor(200, 10, 20));
    f.fgprop->hide();

    // The graph tab is what the viewer reads when it draws.
    f.SpinEdit1->setValue(30);
    EXPECT_EQ(f.graph_controls().temp_max, 30);
    EXPECT_FALSE(f.graph_controls().auto_scale);
}

} // namespace
