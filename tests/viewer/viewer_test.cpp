// The record viewer window: graph building from its text, zoom and mouse
// handling, saving pictures and text, and the close question.
#include "base/ui_port.h"
#include "common/qt_print.h"
#include "common/test_data.h"
#include "common/test_state.h"
#include "viewer/record_viewer.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>

using namespace vx;
using vxtest::secs;

namespace
{

// Records as downloads write them, ten minutes apart: temperatures 20,0 ..
// 24,5 and humidities 50,0 .. 56,0.
QString record_text(const QDateTime& start, int count, bool two_values)
{
    QString text = "TEXT FILE: test.txt\n";
    for (int i = 0; i < count; ++i) {
        text += vxtest::file_stamp(start.addSecs(qint64(i) * 600)) + "\t" +
                vxtest::comma_fixed(20.0 + (i % 10) * 0.5, 5, 1);
        text += (two_values ? "\t" + vxtest::comma_fixed(50.0 + (i % 7), 5, 1) : QString()) + "\n";
    }
    return text;
}

// A press at from, a move to to and a release there, with the modifiers held.
void drag(QWidget* w, QPoint from, QPoint to, Qt::KeyboardModifiers mods)
{
    for (auto [type, at, button, buttons] :
         {std::tuple{QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton},
          {QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton},
          {QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton}}) {
        QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, buttons, mods);
        QApplication::sendEvent(w, &e);
    }
}

class Viewer : public ::testing::Test, protected vxtest::TestState
{
protected:
    void SetUp() override
    {
        ui.default_answer = 0; // an unanswered question keeps the window
        form = std::make_unique<TEditForm>(g);
        form->resize(1000, 500);
        form->show();
        QApplication::processEvents();
    }
    std::unique_ptr<TEditForm> form;
};

} // namespace

TEST_F(Viewer, ModifiedFlagNoRecordKeepsTheAxesAndOneSitsInTheirMiddle)
{
    form->add_line("6.12.2026 10:00\t 21,5");
    EXPECT_TRUE(form->is_modified());
    form->clear();
    EXPECT_FALSE(form->is_modified());

    // No record line: nothing drawn, the axes stay; drawn records are removed.
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(10, 0)), 5, true));
    form->RedrawGraph();
    EXPECT_EQ(form->graph_points(), 5);
    form->set_text("TEXT FILE: none.txt\nRemark: \n");
    form->plot()->xAxis->setRange(1000, 2000);
    form->RedrawGraph();
    EXPECT_EQ(form->graph_points(), 0);
    EXPECT_EQ(form->plot()->graph(1)->dataCount(), 0);
    EXPECT_EQ(form->time_range(), std::make_pair(1000.0, 2000.0));
    // One record line: a point in the middle of the time axis and of both value axes.
    form->set_text("TEXT FILE: one.txt\n6.12.2026 10:00\t 21,5\t 55,0\n");
    form->RedrawGraph();
    EXPECT_EQ(form->graph_points(), 1);
    const auto [a, b] = form->time_range();
    EXPECT_DOUBLE_EQ((a + b) / 2, secs(2026, 12, 6, 10, 0));
    EXPECT_TRUE(b - a >= 3600 && b - a <= 86400) << b - a;
    EXPECT_DOUBLE_EQ(form->plot()->yAxis->range().center(), 21.5);
    EXPECT_DOUBLE_EQ(form->plot()->yAxis2->range().center(), 55.0);
    EXPECT_NE(form->plot()->graph(0)->scatterStyle().shape(), QCPScatterStyle::ssNone);
}

TEST_F(Viewer, StartDateSpanThenZoomingInTwiceShowsHalfADayAroundTheCentre)
{
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(0, 0)), 288, true));
    GraphControls c;
    c.start_date_checked = true;
    c.start_date = QDate(2026, 12, 6);
    c.span_index = 1; // 2 days
    form->set_controls_source([&c] { return c; });
    const auto two_days = std::make_pair(secs(2026, 12, 6, 0, 0), secs(2026, 12, 8, 0, 0));
    for (auto [command, range] : {std::pair{604, two_days},
                                  {605, std::make_pair(secs(2026, 12, 6, 12, 0), secs(2026, 12, 7, 12, 0))},
                                  {605, std::make_pair(secs(2026, 12, 6, 18, 0), secs(2026, 12, 7, 6, 0))},
                                  {606, std::make_pair(secs(2026, 12, 6, 12, 0), secs(2026, 12, 7, 12, 0))},
                                  {604, two_days}}) {
        form->command(command);
        EXPECT_EQ(form->time_range(), range) << command;
    }
}

TEST_F(Viewer, ValueAxesFixedOrFollowingTheDataAndTheRightOneOnlyForASecondValue)
{
    QCPAxis *left = form->plot()->yAxis, *right = form->plot()->yAxis2;
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(8, 0)), 30, true));
    GraphControls c;
    for (auto [automatic, lo, hi] : {std::tuple{false, -10, 35}, {false, 40, 0}, {true, 0, 0}}) {
        c.auto_scale = automatic;
        c.temp_min = lo;
        c.temp_max = hi;
        c.humi_min = 30;
        c.humi_max = 90;
        form->set_graph_controls(c);
        form->RedrawGraph();
        if (automatic) { // the data: 20,0 .. 24,5 and 50,0 .. 56,0
            EXPECT_TRUE(left->range().lower <= 20 && left->range().lower > 15) << left->range().lower;
            EXPECT_TRUE(left->range().upper >= 24.5 && left->range().upper < 30) << left->range().upper;
            EXPECT_TRUE(right->range().lower <= 50 && right->range().upper >= 56);
        } else { // limits given the wrong way round still make a usable axis
            EXPECT_EQ(left->range(), QCPRange(std::min(lo, hi), std::max(lo, hi)));
            EXPECT_EQ(right->range(), QCPRange(30, 90));
        }
    }
    EXPECT_TRUE(right->visible());
    EXPECT_TRUE(right->grid()->visible());
    EXPECT_EQ(form->plot()->graph(1)->dataCount(), 30);
    // Axis titles with units, a legend naming both series.
    EXPECT_EQ(QStringList({form->plot()->xAxis->label(), left->label(), right->label()}),
              QStringList({"Čas", "Temperature [°C]", "Humidity [%RH]"}));
    EXPECT_EQ(form->plot()->legend->itemCount(), 2);

    // A single-value file hides the right axis and its grid and drops the second series.
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(8, 0)), 30, false));
    form->RedrawGraph();
    EXPECT_FALSE(form->has_second_series());
    EXPECT_FALSE(right->visible());
    EXPECT_FALSE(right->grid()->visible());
    EXPECT_FALSE(form->plot()->graph(1)->visible());
    EXPECT_EQ(form->plot()->graph(1)->dataCount(), 0);
    EXPECT_EQ(form->plot()->legend->itemCount(), 1);
}

TEST_F(Viewer, StyleTableColoursAndPointMarks)
{
    g.settings.colors[0] = 0x00FFFF;  // surround yellow
    g.settings.colors[9] = 0x0000FF;  // first line red
    g.settings.colors[10] = 0xFF0000; // second line blue
    g.settings.colors[11] = 0x00FF00; // first points green
    g.settings.LEFTPOINTS = 2;
    g.settings.RIGHTPOINTS = 1;
    form->command(610);
    QCPGraph *l1 = form->plot()->graph(0), *l2 = form->plot()->graph(1);
    EXPECT_EQ(l1->pen().color(), QColor(255, 0, 0));
    EXPECT_EQ(l2->pen().color(), QColor(0, 0, 255));
    EXPECT_EQ(l1->scatterStyle().shape(), QCPScatterStyle::ssCircle);
    EXPECT_EQ(l1->scatterStyle().brush().color(), QColor(0, 255, 0));
    EXPECT_EQ(l2->scatterStyle().shape(), QCPScatterStyle::ssSquare);
    EXPECT_EQ(form->picture().pixelColor(1, 1), QColor(255, 255, 0));

    // The untouched table (all zero) draws with readable designed colours.
    g.settings.colors = {};
    form->command(610);
    EXPECT_EQ(form->plot()->axisRect()->backgroundBrush().color(), QColor(255, 255, 255));
    EXPECT_EQ(form->plot()->yAxis->basePen().width(), 4);
}

TEST_F(Viewer, MouseReadoutPanAndZoom)
{
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(10, 0)), 10, false));
    form->RedrawGraph();
    QCustomPlot* plot = form->plot();
    const double x = plot->xAxis->coordToPixel(secs(2026, 12, 6, 10, 30));
    const double y = plot->yAxis->coordToPixel(21.5);
    EXPECT_EQ(form->readout_time(x), "6.12.2026 10:30");
    EXPECT_EQ(form->readout_value(y), " 21,5");

    const QPoint p(int(std::lround(x)), int(std::lround(y)));
    QMouseEvent move(QEvent::MouseMove, QPointF(p), plot->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(plot, &move);
    EXPECT_EQ(form->status_text(1), form->readout_time(p.x()));
    EXPECT_EQ(form->status_text(2), form->readout_value(p.y()));

    // Ctrl+drag to the right pans to earlier times; Ctrl+click returns to the whole graph.
    const auto full = form->time_range();
    drag(plot, p, p + QPoint(80, 0), Qt::ControlModifier);
    EXPECT_LT(form->time_range().first, full.first);
    EXPECT_NEAR(form->time_range().second - form->time_range().first, full.second - full.first, 1.0);
    drag(plot, p, p, Qt::ControlModifier);
    EXPECT_EQ(form->time_range(), full);

    // Shift+drag zooms into the rectangle drawn.
    drag(
        plot,
        QPoint(int(plot->xAxis->coordToPixel(secs(2026, 12, 6, 10, 20))), int(plot->yAxis->coordToPixel(24))),
        QPoint(int(plot->xAxis->coordToPixel(secs(2026, 12, 6, 10, 50))), int(plot->yAxis->coordToPixel(21))),
        Qt::ShiftModifier);
    EXPECT_NEAR(form->time_range().first, secs(2026, 12, 6, 10, 20), 60);
    EXPECT_NEAR(form->time_range().second, secs(2026, 12, 6, 10, 50), 60);
    EXPECT_NEAR(plot->yAxis->range().lower, 21, 0.1);
    EXPECT_NEAR(plot->yAxis->range().upper, 24, 0.1);
}

TEST_F(Viewer, SavedPicturesHaveTheChartsSize)
{
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(0, 0)), 300, true));
    form->RedrawGraph();
    const int w = form->plot()->width(), h = form->plot()->height();
    ASSERT_GT(w, 300);
    ASSERT_GT(h, 200);
    for (auto [name, gif, magic] : {std::tuple{"chart.gif", true, "GIF8"}, {"chart.bmp", false, "BM"}}) {
        form->ask_picture_path = [&, gif = gif, name = name](bool* as_gif) {
            return *as_gif = gif, home.path(name);
        };
        form->command(607);
        EXPECT_TRUE(home.read(name).startsWith(magic)) << name;
        EXPECT_EQ(QImage(home.path(name)).size(), QSize(w, h)) << name;
    }
    // Cancel writes nothing; an unwritable place is reported.
    form->ask_picture_path = [](bool*) { return QString(); };
    form->command(607);
    EXPECT_TRUE(ui.args("plain_message").isEmpty());
    form->ask_picture_path = [&](bool* gif) { return *gif = true, home.path("no/such/dir/x.gif"); };
    form->command(607);
    ASSERT_EQ(ui.args("plain_message").size(), 1);
    EXPECT_TRUE(ui.args("plain_message")[0].startsWith("Unable to write to"));

    form->command(608);
    EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(w, h));
}

TEST_F(Viewer, SaveWritesCodePage1250WithCrLfAndTheCloseQuestionKeepsUnsavedText)
{
    form->set_file_name(home.path("Log/mission.txt"));
    form->set_text("Sklad č.1 ľšť\n6.12.2026 10:00\t 21,5");
    form->add_line("6.12.2026 10:20\t 21,7");
    QStringList proposed;
    QString target = home.path("out.txt");
    form->ask_text_path = [&](const QString& p) { return proposed << p, target; };
    form->command(101);
    EXPECT_EQ(proposed, QStringList{home.path("Log/mission.txt")});
    EXPECT_EQ(
        home.read("out.txt"),
        QByteArray("Sklad \xE8.1 \xBE\x9A\x9D\r\n6.12.2026 10:00\t 21,5\r\n6.12.2026 10:20\t 21,7\r\n"));
    EXPECT_EQ(form->windowTitle(), "out.txt");
    EXPECT_FALSE(form->is_modified());
    EXPECT_TRUE(form->close()); // not modified: no question

    // Modified: Cancel keeps the window; Yes with the save dialog cancelled keeps it and its
    // text; a failed write keeps it and says why, as does a file reached by a link, which is
    // not written through; Yes with a file saves and closes.
    form->show();
    form->add_line("x");
    ui.message_answers = {mr::cancel, mr::yes, mr::yes, mr::yes, mr::yes, mr::yes};
    QFile::link(home.path("out.txt"), home.path("link.txt"));
    ::link(QFile::encodeName(home.path("out.txt")), QFile::encodeName(home.path("second name.txt")));
    const QStringList failing = {home.path("no/such/dir/out.txt"), home.path("link.txt"),
                                 home.path("second name.txt")};
    for (QString path : QStringList{"-", QString()} + failing) {
        target = path;
        EXPECT_FALSE(form->close()) << path.toStdString();
        EXPECT_TRUE(form->isVisible());
        EXPECT_TRUE(form->is_modified());
    }
    EXPECT_EQ(ui.args("plain_message"),
              QStringList({"Unable to write to " + failing[0],
                           "Unable to write to " + failing[1] + ": it is a symbolic link",
                           "Unable to write to " + failing[2] + ": it has more than one hard link"}));
    EXPECT_FALSE(home.read("out.txt").endsWith("x\r\n"));
    EXPECT_EQ(ui.messages.value(0), qMakePair(g.lang.mess(41), btn::yes | btn::no | btn::cancel));
    target = home.path("kept.txt");
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(home.read("kept.txt").endsWith("x\r\n"));
    // No closes without writing; a message window already showing answers 0: keep the window.
    form->show();
    form->add_line("more");
    ui.message_answers = {mr::no, 0};
    target = home.path("never.txt");
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(QFile::exists(home.path("never.txt")));
    form->show();
    form->add_line("again");
    EXPECT_FALSE(form->close());
}

TEST_F(Viewer, SaveAsCsvExportsWithoutTakingTheFile)
{
    home.write("Log/mission.txt", "kept\r\n");
    form->set_file_name(home.path("Log/mission.txt"));
    form->set_text("Download: VETER");
    form->add_line("6.12.2026 10:00\t  3,5\t 270,0");
    // A download of the attached wind logger names its columns.
    g.ident.type_code = 111;
    g.status.mission_name = "VETER";
    form->ask_text_path = [&](const QString&) { return home.path("out.CSV"); };
    ASSERT_TRUE(form->save());
    EXPECT_EQ(
        home.read("out.CSV"),
        QByteArray(
            "Time,Wind speed [m/s],Wind direction [\xC2\xB0]\r\n2026-12-06T10:00:00+01:00,3.5,270.0\r\n"));
    EXPECT_EQ(form->file_name(), home.path("Log/mission.txt"));
    EXPECT_TRUE(form->is_modified());

    // In the dialog, the CSV filter turns the proposed record file's name into a .csv one.
    form->ask_text_path = nullptr;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* types = dialog ? dialog->findChild<QComboBox*>("fileTypeCombo") : nullptr;
        if (!types) return dialog ? dialog->reject() : void();
        types->setCurrentIndex(types->findText("CSV (*.csv)"));
        emit types->activated(types->currentIndex());
        static_cast<QDialog*>(dialog)->accept();
    });
    ASSERT_TRUE(form->save());
    EXPECT_EQ(home.read("Log/mission.txt"), QByteArray("kept\r\n"));
    EXPECT_TRUE(home.read("Log/mission.csv").startsWith("Time,Wind speed [m/s]"));
}

TEST_F(Viewer, NarrowChartLabelsOnlyTicksThatFitWideChartEveryTick)
{
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(10, 0)), 10, false));
    QCPAxis* x = form->plot()->xAxis;
    const int label_width = QFontMetrics(x->tickLabelFont()).horizontalAdvance("30.12.2026");
    for (int width : {520, 1800}) {
        form->resize(width, 400);
        QApplication::processEvents();
        form->RedrawGraph();
        ASSERT_EQ(x->tickVector().size(), 11); // 9:50 .. 11:30 every ten minutes
        EXPECT_EQ(x->tickVectorLabels().front(), QString("09:50\n6.12.2026"));
        int shown = 0;
        double last = -1e9;
        for (int i = 0; i < 11; ++i) {
            if (x->tickVectorLabels()[i].isEmpty()) continue;
            ++shown;
            const double px = x->coordToPixel(x->tickVector()[i]);
            EXPECT_GT(px - last, label_width) << i; // labelled ticks lie far enough apart for a date each
            last = px;
        }
        EXPECT_TRUE(width == 520 ? shown > 1 && shown < 11 : shown == 11) << shown;
    }
}

TEST_F(Viewer, LineCountPopupMenuAndValueLabels)
{
    // A counter near one million: labels in "###0.##", never an exponent.
    QString text = "TEXT FILE: c.txt\n";
    for (int i = 0; i < 6; ++i)
        text += QString("6.12.2026 1%1:00\t%2\n").arg(i).arg(1000000 + 7 * i);
    form->set_text(text);
    EXPECT_EQ(form->status_text(0), "8"); // panel 0 counts the lines
    form->RedrawGraph();
    for (const QString& l : form->plot()->yAxis->tickVectorLabels())
        EXPECT_TRUE(QRegularExpression("^[0-9]+$").match(l).hasMatch()) << l.toStdString();
    // The pop-up menu's first item returns to the whole graph.
    const auto whole = form->time_range();
    form->GraphZoomIn();
    ASSERT_EQ(form->plot()->contextMenuPolicy(), Qt::CustomContextMenu);
    QMenu* menu = form->findChild<QMenu*>("PopupMenu1");
    ASSERT_TRUE(menu);
    menu->actions().first()->trigger();
    EXPECT_EQ(form->time_range(), whole);
}
