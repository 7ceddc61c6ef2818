// The progress window, the calibration-file editor and the serial-number
// service change, each without a logger.
#include "app/calibration_editor.h"
#include "app/progress_window.h"
#include "app/qt_ui.h"
#include "app/scripted_ui.h"
#include "app/serial_number_change.h"
#include "base/code_page.h"
#include "common/temp_home.h"
#include "logger/program_state.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

TEST(ProgressWindow, CancelButtonAndEnterAbortTheLinkAndHide)
{
    vx::Global g;
    g.lang.build_language_tables(QString(), "SLOVAK");
    vx::QtUi ui(g);
    g.ui = &ui;
    vx::Tfrmprogress* p = ui.progress();
    EXPECT_EQ(p->cancel_button()->text(), QString("&Zrušiť"));

    ui.progress_show("Komunikácia");
    EXPECT_TRUE(p->isVisible());
    EXPECT_TRUE(p->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(p->windowTitle(), QString("Komunikácia"));
    EXPECT_EQ(p->bar()->maximum(), 100);
    EXPECT_EQ(p->bar()->value(), 0);
    EXPECT_FALSE(g.link.comm_abort);
    QTest::mouseClick(p->cancel_button(), Qt::LeftButton);
    EXPECT_TRUE(g.link.comm_abort);
    EXPECT_FALSE(p->isVisible());

    g.link.comm_abort = false;
    ui.progress_show("Odosielam...");
    ui.progress_label("Sekunda...");
    ui.progress_position(40);
    ui.progress_log("Minuta...");
    EXPECT_EQ(p->label()->text(), QString("Sekunda..."));
    EXPECT_EQ(p->bar()->value(), 40);
    EXPECT_EQ(p->log_view()->toPlainText(), QString("Minuta..."));
    QTest::keyClick(p, Qt::Key_Return);
    EXPECT_TRUE(g.link.comm_abort);
    EXPECT_FALSE(p->isVisible());

    // Showing again starts from an empty label, log and bar.
    ui.progress_show("Znova");
    EXPECT_TRUE(p->label()->text().isEmpty());
    EXPECT_TRUE(p->log_view()->toPlainText().isEmpty());
    EXPECT_EQ(p->bar()->value(), 0);
    ui.progress_hide();
}

class CalibEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g.program_dir = home.dir();
        g.ui = &ui;
    }
    vxtest::TempHome home;
    vx::Global g;
    vxtest::ScriptedUi ui;
};

TEST_F(CalibEditorTest, MissingFileShowsItsNoteAndClosesWithoutQuestion)
{
    vx::Tfcalini ed(g);
    EXPECT_EQ(ed.windowTitle(), QString("calib.ini"));
    ed.show();
    EXPECT_EQ(ed.memo()->toPlainText(), QString("Kalibracny subor <calib.ini> neexistuje"));
    EXPECT_FALSE(ed.changed());
    ed.close();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(QFile::exists(home.path("calib.ini")));
}

TEST_F(CalibEditorTest, ChangedTextIsSavedInCodePage1250OnYes)
{
    home.write("calib.ini", *vx::to_cp1250("[1234]\r\nValueName=Hladina\r\n"));
    vx::Tfcalini ed(g);
    ed.show();
    EXPECT_EQ(ed.memo()->toPlainText(), QString("[1234]\nValueName=Hladina\n"));
    ed.memo()->moveCursor(QTextCursor::End);
    ed.memo()->insertPlainText("ValueRange=čľ\n");
    EXPECT_TRUE(ed.changed());
    ui.message_answers = {vx::mr::yes};
    ed.close();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QString("Želáte si uložiť zmeny ?"));
    EXPECT_EQ(ui.messages[0].buttons, vx::btn::yes | vx::btn::no);
    // č is 0xE8 and ľ is 0xBE in code page 1250.
    EXPECT_EQ(home.read("calib.ini"), QByteArray("[1234]\r\nValueName=Hladina\r\nValueRange=\xE8\xBE\r\n"));
}

TEST_F(CalibEditorTest, AnswerNoKeepsTheFile)
{
    const QByteArray original = "[7]\r\nCAL0=1\r\n";
    home.write("calib.ini", original);
    vx::Tfcalini ed(g);
    ed.show();
    ed.memo()->setPlainText("nothing");
    ui.message_answers = {vx::mr::no};
    ed.close();
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(home.read("calib.ini"), original);
    // Opened again, the file shows as it is, unchanged.
    ed.show();
    EXPECT_EQ(ed.memo()->toPlainText(), QString("[7]\nCAL0=1\n"));
    EXPECT_FALSE(ed.changed());
    ed.close();
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(CalibEditorTest, FailedSaveKeepsTheEditorOpenWithItsText)
{
    vx::Tfcalini ed(g);
    ed.show();
    ed.memo()->setPlainText("[7]\nCAL0=1\n");
    QDir().mkpath(home.path("calib.ini")); // a directory in the file's place
    ui.message_answers = {vx::mr::yes};
    ed.close();
    EXPECT_TRUE(ed.isVisible());
    EXPECT_EQ(ed.memo()->toPlainText(), QString("[7]\nCAL0=1\n"));
    EXPECT_EQ(ui.plain, QStringList{"Unable to write to " + home.path("calib.ini")});
}

class SerialChangeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g.program_dir = home.dir();
        g.lang.build_language_tables(g.program_dir, "SLOVAK");
        g.ui = &ui;
        g.link.attach_ui(&ui);
        g.status.serial = 1234;
    }
    vxtest::TempHome home;
    vx::Global g;
    vxtest::ScriptedUi ui;
};

TEST_F(SerialChangeTest, WrongAccessCodeEndsWithoutAskingOrSending)
{
    vx::SerialNumberChange change(g);
    ui.input_answers = {QString("402518")};
    EXPECT_EQ(change.run(), vx::SerialNumberChange::Result::Refused);
    EXPECT_EQ(ui.prompts, QStringList{"Enter password"});
    EXPECT_TRUE(ui.progress_titles.isEmpty());
    EXPECT_FALSE(change.unlocked());
    // A cancelled code box is refused too.
    EXPECT_EQ(change.run(), vx::SerialNumberChange::Result::Refused);
    EXPECT_FALSE(change.unlocked());
}

TEST_F(SerialChangeTest, RightCodeUnlocksForTheRestOfTheRun)
{
    vx::SerialNumberChange change(g);
    ui.input_answers = {QString("402517"), std::nullopt};
    EXPECT_EQ(change.run(), vx::SerialNumberChange::Result::Cancelled);
    EXPECT_TRUE(change.unlocked());
    EXPECT_EQ(ui.prompts, (QStringList{"Enter password", "Serial number"}));
    ui.prompts.clear();
    ui.input_answers = {QString("70000")};
    EXPECT_EQ(change.run(), vx::SerialNumberChange::Result::Invalid);
    EXPECT_EQ(ui.prompts, QStringList{"Serial number"}); // no second password
    EXPECT_EQ(ui.plain.size(), 1);
    EXPECT_TRUE(ui.progress_titles.isEmpty());
}

TEST(SerialNumberText, WholeNumbersFrom0To65535Only)
{
    using vx::SerialNumberChange;
    EXPECT_EQ(SerialNumberChange::parse_serial("0"), 0);
    EXPECT_EQ(SerialNumberChange::parse_serial(" 65535 "), 65535);
    EXPECT_EQ(SerialNumberChange::parse_serial("65536"), std::nullopt);
    EXPECT_EQ(SerialNumberChange::parse_serial("-1"), std::nullopt);
    EXPECT_EQ(SerialNumberChange::parse_serial("12a"), std::nullopt);
    EXPECT_EQ(SerialNumberChange::parse_serial("1,5"), std::nullopt);
    EXPECT_EQ(SerialNumberChange::parse_serial(""), std::nullopt);
}

} // namespace
