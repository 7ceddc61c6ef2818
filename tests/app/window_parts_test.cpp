// The progress window, the calibration-file editor and the serial-number
// service change, each without a logger.
#include "app/calibration_editor.h"
#include "app/progress_window.h"
#include "app/qt_ui.h"
#include "app/serial_number_change.h"
#include "base/code_page.h"
#include "common/test_state.h"

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
    ui.progress_show("Komunikácia");
    EXPECT_EQ(p->windowTitle(), QString("Komunikácia"));
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

    ui.progress_show("Znova"); // showing again starts from an empty label, log and bar
    EXPECT_TRUE(p->label()->text().isEmpty() && p->log_view()->toPlainText().isEmpty() &&
                p->bar()->value() == 0);
    ui.progress_hide();
}

class WindowParts : public ::testing::Test, protected vxtest::TestState
{
};

TEST_F(WindowParts, CalibrationEditorSavesInCodePage1250OnlyOnYes)
{
    vx::Tfcalini ed(g);
    ed.show(); // a missing file shows its note and closes without a question
    EXPECT_EQ(ed.memo()->toPlainText(), QString("Kalibracny subor <calib.ini> neexistuje"));
    ed.close();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_FALSE(QFile::exists(home.path("calib.ini")));

    const QByteArray original = "[1234]\r\nValueName=Hladina\r\n";
    home.write("calib.ini", original);
    ui.message_answers = {vx::mr::no, vx::mr::yes};
    for (int answer = 0; answer < 2; ++answer) {
        ed.show();
        EXPECT_EQ(ed.memo()->toPlainText(), QString("[1234]\nValueName=Hladina\n"));
        EXPECT_FALSE(ed.changed());
        ed.memo()->moveCursor(QTextCursor::End);
        ed.memo()->insertPlainText("ValueRange=čľ\n");
        ed.close();
        // No keeps the file; Yes writes it with č = 0xE8 and ľ = 0xBE.
        EXPECT_EQ(home.read("calib.ini"), answer == 0 ? original : original + "ValueRange=\xE8\xBE\r\n");
    }
    EXPECT_EQ(ui.messages,
              (QList<QPair<QString, int>>(2, {"Želáte si uložiť zmeny ?", vx::btn::yes | vx::btn::no})));

    // A failed save keeps the editor open with its text.
    ed.show();
    ed.memo()->setPlainText("[7]\nCAL0=1\n");
    QFile::remove(home.path("calib.ini"));
    QDir().mkpath(home.path("calib.ini")); // a directory in the file's place
    ui.message_answers = {vx::mr::yes};
    ed.close();
    EXPECT_TRUE(ed.isVisible());
    EXPECT_EQ(ed.memo()->toPlainText(), QString("[7]\nCAL0=1\n"));
    EXPECT_EQ(ui.plain, QStringList{"Unable to write to " + home.path("calib.ini")});
}

TEST_F(WindowParts, SerialNumberChangeAsksTheAccessCodeOncePerRun)
{
    vx::SerialNumberChange change(g);
    ui.input_answers = {QString("402518"), std::nullopt, QString("402517"), std::nullopt, QString("70000")};
    EXPECT_EQ(change.run(), vx::SerialNumberChange::Result::Refused);   // a wrong code
    EXPECT_EQ(change.run(), vx::SerialNumberChange::Result::Refused);   // a cancelled code box
    EXPECT_EQ(change.run(), vx::SerialNumberChange::Result::Cancelled); // the right code, no number
    EXPECT_TRUE(change.unlocked());
    EXPECT_EQ(change.run(), vx::SerialNumberChange::Result::Invalid); // no second password
    EXPECT_EQ(ui.prompts, (QStringList{"Enter password", "Enter password", "Enter password", "Serial number",
                                       "Serial number"}));
    EXPECT_EQ(ui.args("plain_message").size(), 1);
    EXPECT_EQ(ui.count("progress_show"), 0);
}

TEST(SerialNumberText, WholeNumbersFrom0To65535Only)
{
    using vx::SerialNumberChange;
    EXPECT_EQ(SerialNumberChange::parse_serial("0"), 0);
    EXPECT_EQ(SerialNumberChange::parse_serial(" 65535 "), 65535);
    for (const char* bad : {"65536", "-1", "12a", "1,5", ""})
        EXPECT_EQ(SerialNumberChange::parse_serial(bad), std::nullopt) << bad;
}

} // namespace
