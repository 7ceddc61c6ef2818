// The language file reaches the windows made before the language table is
// built, in the order the program starts: the user-interface port with its
// progress window, then the main window with the graph properties dialog,
// then the start-up that reads the settings and the language file.
#include "app/main_window.h"
#include "app/progress_window.h"
#include "app/qt_ui.h"
#include "base/code_page.h"
#include "common/fake_ui.h"
#include "common/temp_home.h"
#include "logger/program_state.h"
#include "viewer/graph_properties_dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

class StartOrder : public ::testing::Test
{
protected:
    // The program's own order: the port and its progress window, the main
    // window, then its start-up. Messages of the start-up go to the fake.
    void start(const QByteArray& language_section)
    {
        home.write("vorlanix.ini",
                   "[GLOBAL]\r\nLANGUAGE=ENGLISH\r\nSHOWTIP=0\r\n[PORTS]\r\nCOM2=/nonexistent\r\n");
        home.write("vorlan.lng", *vx::to_cp1250("[ENGLISH]\r\n" + QString::fromUtf8(language_section)));
        w.reset();
        qt.reset();
        g = std::make_unique<vx::Global>();
        g->program_dir = home.dir();
        qt = std::make_unique<vx::QtUi>(*g);
        g->ui = &fake;
        w = std::make_unique<vx::TForm1>(*g);
        w->start();
        ASSERT_TRUE(g->lang.language_loaded);
    }
    void TearDown() override
    {
        w.reset();
        qt.reset();
    }

    vxtest::TempHome home;
    vxtest::FakeUi fake;
    std::unique_ptr<vx::Global> g;
    std::unique_ptr<vx::QtUi> qt;
    std::unique_ptr<vx::TForm1> w;
};

TEST_F(StartOrder, GraphPropertiesTakeTheLanguageTexts)
{
    start("CAPT140=Graph properties\r\nCAPT141=\r\nCAPT142=Surround\r\nCAPT154=Humidity points\r\n"
          "CAPT155=None\r\nCAPT157=Circles\r\nLABEL140=Temperature:\r\n");
    vx::Tfgprop* d = w->fgprop;
    EXPECT_EQ(d->windowTitle(), "Graph properties");
    EXPECT_EQ(d->BTmore->text(), ""); // an empty text blanks its caption
    EXPECT_EQ(d->LBcolors->item(0)->text(), "Surround");
    EXPECT_EQ(d->LBcolors->item(12)->text(), "Humidity points");
    EXPECT_EQ(d->LBcolors->item(1)->text(), "CAP143"); // a missing key shows its name
    EXPECT_EQ(d->CBleft->itemText(0), "None");
    EXPECT_EQ(d->CBright->itemText(2), "Circles");
    QStringList labels;
    for (QLabel* l : d->findChildren<QLabel*>())
        labels << l->text();
    EXPECT_TRUE(labels.contains("Temperature:"));
}

TEST_F(StartOrder, ProgressWindowCancelButtonTakesMess46)
{
    struct Case {
        const char* section;
        const char* caption;
    };
    const Case cases[] = {{"MESS46=&Cancel\r\n", "&Cancel"}, {"MESS46=\r\n", ""}, {"MESS1=x\r\n", "MESS46"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section);
        start(c.section);
        qt->progress_show("Communication");
        EXPECT_EQ(qt->progress()->cancel_button()->text(), QString(c.caption));
        qt->progress_hide();
    }
}

TEST_F(StartOrder, AboutBoxTakesCapt100To102)
{
    start("CAPT100=About\r\nCAPT101=The program\r\nCAPT102=\r\n");
    QString title, text, button = "(no button)";
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        title = box->windowTitle();
        text = box->text();
        if (auto* ok = box->findChild<QPushButton*>("OKButton")) button = ok->text();
        box->done(0);
    });
    w->Oprograme1->trigger();
    EXPECT_EQ(title, "About");
    EXPECT_TRUE(text.startsWith("The program\n\nNONAME")) << text.toStdString();
    EXPECT_EQ(button, "");
}

} // namespace
