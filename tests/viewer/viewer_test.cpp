// The record viewer window: graph building from its text, zoom and mouse
// handling, saving pictures and text, and the close question.
#include "base/ui_port.h"
#include "common/temp_home.h"
#include "logger/program_state.h"
#include "viewer/record_viewer.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTimer>
#include <gtest/gtest.h>

#include "common/fake_ui.h"
#include <deque>
#include <memory>

using namespace vx;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace
{

double at(int d, int mo, int y, int h, int mi)
{
    return double(QDateTime(QDate(y, mo, d), QTime(h, mi)).toSecsSinceEpoch());
}

// Record lines as downloads write them: "d.M.yyyy hh:mm", tab, "%5.1f" values
// with a decimal comma (no time for midnight).
QString record_text(const QDateTime& start, int count, int minutes, bool two_values)
{
    QString text = "TEXT FILE: test.txt\n";
    for (int i = 0; i < count; ++i) {
        const QDateTime t = start.addSecs(qint64(i) * minutes * 60);
        QString stamp = t.date().toString("d.M.yyyy");
        if (t.time() != QTime(0, 0)) stamp += " " + t.time().toString("hh:mm");
        const double temp = 20.0 + (i % 10) * 0.5;
        QString line = stamp + "\t" + QString::asprintf("%5.1f", temp).replace('.', ',');
        if (two_values) line += "\t" + QString::asprintf("%5.1f", 50.0 + (i % 7)).replace('.', ',');
        text += line + "\n";
    }
    return text;
}

// "format WxH" as ImageMagick's identify reads the file.
QString identify_size(const QString& path)
{
    QProcess p;
    p.start("identify", {"-format", "%m %wx%h", path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
}

void send_mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
                Qt::KeyboardModifiers mods)
{
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

class Viewer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g.program_dir = home.dir();
        g.lang.build_language_tables(g.program_dir, "SLOVAK");
        g.ui = &ui;
        form = std::make_unique<TEditForm>(g);
        form->resize(1000, 500);
        form->show();
        QApplication::processEvents();
    }

    vxtest::TempHome home;
    Global g;
    vxtest::FakeUi ui = [] {
        vxtest::FakeUi u;
        u.default_answer = 0; // an unanswered question keeps the window
        return u;
    }();
    std::unique_ptr<TEditForm> form;
};

} // namespace

TEST_F(Viewer, StartsUntitledAndUnmodifiedWithItsNamedParts)
{
    EXPECT_EQ(form->windowTitle(), "Untitled");
    EXPECT_FALSE(form->is_modified());
    EXPECT_TRUE(form->findChild<QAbstractScrollArea*>("Editor")); // the text pane, a view until edited
    EXPECT_TRUE(form->findChild<QCustomPlot*>("sp_XYPlot1"));
    EXPECT_EQ(form->plot()->graph(0)->objectName(), "sp_XYLine1");
    EXPECT_EQ(form->plot()->graph(1)->objectName(), "sp_XYLine2");
    EXPECT_EQ(form->plot()->graph(1)->valueAxis(), form->plot()->yAxis2);
    EXPECT_EQ(form->plot()->toolTip(), g.lang.hint(100));
    EXPECT_FALSE(form->plot()->toolTip().isEmpty());

    form->add_line("6.12.2026 10:00\t 21,5");
    EXPECT_TRUE(form->is_modified());
    form->clear();
    EXPECT_FALSE(form->is_modified());
    EXPECT_FALSE(form->command(42));
    EXPECT_TRUE(form->command(500)); // printing and the report are handled elsewhere
}

TEST_F(Viewer, TooFewRecordLinesShowNoGraphAndKeepTheAxes)
{
    form->plot()->xAxis->setRange(1000, 2000);
    form->set_text("TEXT FILE: one.txt\n6.12.2026 10:00\t 21,5\n");
    form->RedrawGraph();
    EXPECT_EQ(form->graph_points(), 0);
    EXPECT_EQ(form->plot()->graph(0)->dataCount(), 0);
    EXPECT_EQ(form->time_range(), std::make_pair(1000.0, 2000.0));

    // A text with records drawn before and then replaced by one line empties the graph.
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(10, 0)), 5, 10, true));
    form->RedrawGraph();
    EXPECT_EQ(form->graph_points(), 5);
    form->set_text("TEXT FILE: one.txt\n6.12.2026 10:00\t 21,5\t 55,0\n");
    form->RedrawGraph();
    EXPECT_EQ(form->plot()->graph(0)->dataCount(), 0);
    EXPECT_EQ(form->plot()->graph(1)->dataCount(), 0);
    EXPECT_FALSE(form->has_second_series());
}

TEST_F(Viewer, NinetyMinutesOfRecordsUseTenMinuteTicks)
{
    form->resize(1600, 500); // room for a label at every tick
    QApplication::processEvents();
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(10, 0)), 10, 10, false));
    form->command(604);
    EXPECT_EQ(form->graph_points(), 10);
    const auto [a, b] = form->time_range();
    EXPECT_DOUBLE_EQ(a, at(6, 12, 2026, 9, 50));
    EXPECT_DOUBLE_EQ(b, at(6, 12, 2026, 11, 30));
    const QVector<double> ticks = form->plot()->xAxis->tickVector();
    ASSERT_EQ(ticks.size(), 11);
    EXPECT_DOUBLE_EQ(ticks.front(), at(6, 12, 2026, 9, 50));
    EXPECT_DOUBLE_EQ(ticks[1] - ticks[0], 600.0);
    EXPECT_EQ(form->plot()->xAxis->tickVectorLabels().at(1), "10:00\n6.12.2026");
}

TEST_F(Viewer, ZoomingInTwiceOnTwoDaysShowsHalfADayAroundTheCentre)
{
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(0, 0)), 288, 10, true));
    GraphControls c;
    c.start_date_checked = true;
    c.start_date = QDate(2026, 12, 6);
    c.span_index = 1; // 2 days
    form->set_controls_source([&c] { return c; });
    form->command(604);
    EXPECT_EQ(form->time_range(), std::make_pair(at(6, 12, 2026, 0, 0), at(8, 12, 2026, 0, 0)));
    form->command(605);
    form->command(605);
    EXPECT_EQ(form->time_range(), std::make_pair(at(6, 12, 2026, 18, 0), at(7, 12, 2026, 6, 0)));
    form->command(606);
    EXPECT_EQ(form->time_range(), std::make_pair(at(6, 12, 2026, 12, 0), at(7, 12, 2026, 12, 0)));
    // The whole graph again.
    form->command(604);
    EXPECT_EQ(form->time_range(), std::make_pair(at(6, 12, 2026, 0, 0), at(8, 12, 2026, 0, 0)));
}

TEST_F(Viewer, RightAxisFollowsTheSecondValue)
{
    QCPAxis* right = form->plot()->yAxis2;
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(8, 0)), 30, 10, true));
    form->RedrawGraph();
    EXPECT_TRUE(form->has_second_series());
    EXPECT_TRUE(right->visible());
    EXPECT_TRUE(right->grid()->visible());
    EXPECT_EQ(right->basePen().width(), 4);
    EXPECT_TRUE(form->plot()->graph(1)->visible());
    EXPECT_EQ(form->plot()->graph(1)->dataCount(), 30);
    EXPECT_LE(right->range().lower, 50.0);
    EXPECT_GE(right->range().upper, 56.0);

    // A single-value file hides the right axis and its grid and drops the second series.
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(8, 0)), 30, 10, false));
    form->RedrawGraph();
    EXPECT_FALSE(form->has_second_series());
    EXPECT_FALSE(right->visible());
    EXPECT_FALSE(right->grid()->visible());
    EXPECT_EQ(right->basePen().width(), 1);
    EXPECT_FALSE(form->plot()->graph(1)->visible());
    EXPECT_EQ(form->plot()->graph(1)->dataCount(), 0);
}

TEST_F(Viewer, FixedValueAxesWhenAutoIsOff)
{
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(8, 0)), 30, 10, true));
    GraphControls c;
    c.auto_scale = false;
    c.temp_min = -10;
    c.temp_max = 35;
    c.humi_min = 30;
    c.humi_max = 90;
    form->set_graph_controls(c);
    form->RedrawGraph();
    EXPECT_EQ(form->plot()->yAxis->range().lower, -10);
    EXPECT_EQ(form->plot()->yAxis->range().upper, 35);
    EXPECT_EQ(form->plot()->yAxis2->range().lower, 30);
    EXPECT_EQ(form->plot()->yAxis2->range().upper, 90);

    // Values given the wrong way round still make a usable axis.
    c.temp_min = 40;
    c.temp_max = 0;
    form->set_graph_controls(c);
    form->RedrawGraph();
    EXPECT_EQ(form->plot()->yAxis->range().lower, 0);
    EXPECT_EQ(form->plot()->yAxis->range().upper, 40);

    // Automatic axes follow the data (temperatures 20,0 .. 24,5).
    c.auto_scale = true;
    form->set_graph_controls(c);
    form->RedrawGraph();
    EXPECT_LE(form->plot()->yAxis->range().lower, 20.0);
    EXPECT_GT(form->plot()->yAxis->range().lower, 15.0);
    EXPECT_GE(form->plot()->yAxis->range().upper, 24.5);
    EXPECT_LT(form->plot()->yAxis->range().upper, 30.0);
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
    QCPGraph* l1 = form->plot()->graph(0);
    QCPGraph* l2 = form->plot()->graph(1);
    EXPECT_EQ(l1->pen().color(), QColor(255, 0, 0));
    EXPECT_EQ(l2->pen().color(), QColor(0, 0, 255));
    EXPECT_EQ(l1->scatterStyle().shape(), QCPScatterStyle::ssCircle);
    EXPECT_EQ(l1->scatterStyle().brush().color(), QColor(0, 255, 0));
    EXPECT_EQ(l2->scatterStyle().shape(), QCPScatterStyle::ssSquare);
    EXPECT_EQ(form->picture().pixelColor(1, 1), QColor(255, 255, 0));
    g.settings.LEFTPOINTS = 0;
    form->command(610);
    EXPECT_EQ(l1->scatterStyle().shape(), QCPScatterStyle::ssNone);

    // The untouched table (all zero) draws with readable designed colours.
    g.settings.colors = {};
    form->command(610);
    EXPECT_EQ(form->plot()->axisRect()->backgroundBrush().color(), QColor(255, 255, 255));
    EXPECT_EQ(form->plot()->yAxis->basePen().width(), 4);
}

TEST_F(Viewer, MouseReadoutPanAndZoom)
{
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(10, 0)), 10, 10, false));
    form->RedrawGraph();
    QCustomPlot* plot = form->plot();
    const double x = plot->xAxis->coordToPixel(at(6, 12, 2026, 10, 30));
    const double y = plot->yAxis->coordToPixel(21.5);
    EXPECT_EQ(form->readout_time(x), "6.12.2026 10:30");
    EXPECT_EQ(form->readout_value(y), " 21,5");

    const QPoint p(int(std::lround(x)), int(std::lround(y)));
    send_mouse(plot, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    EXPECT_EQ(form->status_text(1), form->readout_time(p.x()));
    EXPECT_EQ(form->status_text(2), form->readout_value(p.y()));

    const auto full = form->time_range();
    // A plain drag moves nothing.
    const QPoint q = p + QPoint(80, 0);
    send_mouse(plot, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    send_mouse(plot, QEvent::MouseMove, q, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    send_mouse(plot, QEvent::MouseButtonRelease, q, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    EXPECT_EQ(form->time_range(), full);

    // Ctrl+drag to the right pans the graph to earlier times.
    send_mouse(plot, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
    send_mouse(plot, QEvent::MouseMove, q, Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
    send_mouse(plot, QEvent::MouseButtonRelease, q, Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);
    const auto panned = form->time_range();
    EXPECT_LT(panned.first, full.first);
    EXPECT_NEAR(panned.second - panned.first, full.second - full.first, 1.0);

    // Ctrl+click returns to the whole graph.
    send_mouse(plot, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
    send_mouse(plot, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);
    EXPECT_EQ(form->time_range(), full);

    // Shift+drag zooms into the rectangle drawn.
    const double xa = plot->xAxis->coordToPixel(at(6, 12, 2026, 10, 20));
    const double xb = plot->xAxis->coordToPixel(at(6, 12, 2026, 10, 50));
    const QPoint r1(int(xa), int(plot->yAxis->coordToPixel(24))),
        r2(int(xb), int(plot->yAxis->coordToPixel(21)));
    send_mouse(plot, QEvent::MouseButtonPress, r1, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    send_mouse(plot, QEvent::MouseMove, r2, Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
    send_mouse(plot, QEvent::MouseButtonRelease, r2, Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
    const auto zoomed = form->time_range();
    EXPECT_NEAR(zoomed.first, at(6, 12, 2026, 10, 20), 60);
    EXPECT_NEAR(zoomed.second, at(6, 12, 2026, 10, 50), 60);
    EXPECT_NEAR(plot->yAxis->range().lower, 21, 0.1);
    EXPECT_NEAR(plot->yAxis->range().upper, 24, 0.1);
}

TEST_F(Viewer, SavedPicturesHaveTheChartsSize)
{
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(0, 0)), 300, 10, true));
    form->RedrawGraph();
    const int w = form->plot()->width(), h = form->plot()->height();
    ASSERT_GT(w, 300);
    ASSERT_GT(h, 200);
    const QString size = QString("%1x%2").arg(w).arg(h);

    const QString gif_path = home.path("chart.gif");
    form->ask_picture_path = [&](bool* gif) {
        *gif = true;
        return gif_path;
    };
    form->command(607);
    EXPECT_EQ(identify_size(gif_path), "GIF " + size);

    const QString bmp_path = home.path("chart.bmp");
    form->ask_picture_path = [&](bool* gif) {
        *gif = false;
        return bmp_path;
    };
    form->command(607);
    EXPECT_TRUE(identify_size(bmp_path).startsWith("BMP")) << identify_size(bmp_path).toStdString();
    EXPECT_TRUE(identify_size(bmp_path).endsWith(" " + size)) << identify_size(bmp_path).toStdString();
    QFile bmp(bmp_path);
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
    EXPECT_EQ(bmp.read(2), "BM");

    // Cancel writes nothing; an unwritable place is reported.
    form->ask_picture_path = [](bool*) { return QString(); };
    form->command(607);
    EXPECT_TRUE(ui.plain.isEmpty());
    form->ask_picture_path = [&](bool* gif) {
        *gif = true;
        return home.path("no/such/dir/x.gif");
    };
    form->command(607);
    ASSERT_EQ(ui.plain.size(), 1);
    EXPECT_TRUE(ui.plain[0].startsWith("Unable to write to"));

    form->command(608);
    EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(w, h));
}

TEST_F(Viewer, SeriesPicturesShowOneCurveEachAndLeaveTheChartAsItWas)
{
    g.settings.colors = {};
    g.settings.colors[1] = 0xFFFFFF;  // white field
    g.settings.colors[9] = 0x0000FF;  // first line red
    g.settings.colors[10] = 0xFF0000; // second line blue
    form->set_text(record_text(QDateTime(QDate(2026, 12, 6), QTime(0, 0)), 144, 10, true));
    form->RedrawGraph();
    auto count = [](const QImage& img, QRgb c) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += (img.pixel(x, y) & 0xFFFFFF) == (c & 0xFFFFFF);
        return n;
    };
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    const QImage both = form->picture();
    EXPECT_GT(count(both, red), 50);
    EXPECT_GT(count(both, blue), 50);
    const QImage first = form->series_picture(false);
    EXPECT_GT(count(first, red), 50);
    EXPECT_EQ(count(first, blue), 0);
    const QImage second = form->series_picture(true);
    EXPECT_EQ(count(second, red), 0);
    EXPECT_GT(count(second, blue), 50);
    EXPECT_EQ(second.size(), both.size());
    EXPECT_TRUE(form->plot()->graph(0)->visible());
    EXPECT_TRUE(form->plot()->graph(1)->visible());
    EXPECT_TRUE(form->plot()->yAxis->visible());
    EXPECT_TRUE(form->plot()->yAxis2->visible());
    EXPECT_TRUE(form->plot()->yAxis2->grid()->visible());
}

TEST_F(Viewer, SaveWritesCodePage1250WithCrLfUnderTheProposedName)
{
    form->set_file_name(home.path("Log/mission.txt"));
    form->set_text("Sklad č.1 ľšť\n6.12.2026 10:00\t 21,5\n6.12.2026 10:10\t 21,6");
    form->add_line("6.12.2026 10:20\t 21,7");
    ASSERT_TRUE(form->is_modified());
    QString proposed;
    const QString target = home.path("out.txt");
    form->ask_text_path = [&](const QString& p) {
        proposed = p;
        return target;
    };
    form->command(101);
    EXPECT_EQ(proposed, home.path("Log/mission.txt"));
    const QByteArray expected = QByteArray("Sklad \xE8.1 \xBE\x9A\x9D\r\n") + "6.12.2026 10:00\t 21,5\r\n" +
                                "6.12.2026 10:10\t 21,6\r\n" + "6.12.2026 10:20\t 21,7\r\n";
    EXPECT_EQ(home.read("out.txt"), expected);
    EXPECT_EQ(form->windowTitle(), "out.txt");
    EXPECT_FALSE(form->is_modified());
    EXPECT_EQ(form->file_name(), target);

    // A failed write keeps the text modified and says why.
    form->add_line("x");
    form->ask_text_path = [&](const QString&) { return home.path("no/such/dir/out.txt"); };
    EXPECT_FALSE(form->save());
    EXPECT_TRUE(form->is_modified());
    ASSERT_EQ(ui.plain.size(), 1);
}

TEST_F(Viewer, SaveOffersCsvAndExportsWithoutTakingTheFile)
{
    QDir().mkpath(home.path("Log"));
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
        QByteArray("Time,Wind speed [m/s],Wind direction [\xC2\xB0]\r\n2026-12-06T10:00:00,3.5,270.0\r\n"));
    EXPECT_EQ(form->file_name(), home.path("Log/mission.txt"));
    EXPECT_TRUE(form->is_modified());

    // The dialog: choosing the CSV filter turns the proposed record file's name into a .csv one.
    form->ask_text_path = nullptr;
    QStringList filters;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        filters = dialog->nameFilters();
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        if (!types) return dialog->reject();
        const int csv = types->findText("CSV (*.csv)");
        types->setCurrentIndex(csv);
        emit types->activated(csv);
        static_cast<QDialog*>(dialog)->accept();
    });
    ASSERT_TRUE(form->save());
    EXPECT_EQ(filters, (QStringList{"Textové súbory (*.txt)", "Rich text files (*.rtf)", "CSV (*.csv)",
                                    "All files (*)"}));
    EXPECT_EQ(home.read("Log/mission.txt"), QByteArray("kept\r\n"));
    EXPECT_TRUE(home.read("Log/mission.csv").startsWith("Time,Wind speed [m/s]"));
}

TEST_F(Viewer, CloseQuestionYesNoCancel)
{
    // Not modified: closes without a question.
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(ui.messages.isEmpty());

    form->show();
    form->add_line("6.12.2026 10:00\t 21,5");
    ui.message_answers = {mr::cancel};
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].first, g.lang.mess(41));
    EXPECT_TRUE(ui.messages[0].first.startsWith(QString::fromUtf8("Zmenili ste údaje")));
    EXPECT_EQ(ui.messages[0].second, btn::yes | btn::no | btn::cancel);

    // Yes, but the save dialog is cancelled: the window and its text stay.
    form->ask_text_path = [](const QString&) { return QString(); };
    ui.message_answers = {mr::yes};
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->is_modified());

    // Yes with a file: saved, then closed.
    form->ask_text_path = [&](const QString&) { return home.path("kept.txt"); };
    ui.message_answers = {mr::yes};
    EXPECT_TRUE(form->close());
    EXPECT_EQ(home.read("kept.txt"), QByteArray("6.12.2026 10:00\t 21,5\r\n"));

    // No: closes without writing.
    form->show();
    form->add_line("more");
    form->ask_text_path = [&](const QString&) { return home.path("never.txt"); };
    ui.message_answers = {mr::no};
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(QFile::exists(home.path("never.txt")));

    // A message window already showing answers 0: keep the window.
    form->show();
    form->add_line("again");
    ui.message_answers = {0};
    EXPECT_FALSE(form->close());
}

TEST_F(Viewer, FindIsCaseSensitiveAndContinuesAfterTheSelection)
{
    form->set_text("abc Abc\nxabc");
    EXPECT_TRUE(form->find_next("abc"));
    EXPECT_EQ(form->editor()->textCursor().selectionStart(), 0);
    EXPECT_EQ(form->editor()->textCursor().selectionEnd(), 3);
    EXPECT_TRUE(form->find_next("abc"));
    EXPECT_EQ(form->editor()->textCursor().selectionStart(), 9);
    EXPECT_FALSE(form->find_next("abc"));
    QTextCursor c = form->editor()->textCursor();
    c.setPosition(0);
    form->editor()->setTextCursor(c);
    EXPECT_FALSE(form->find_next("ABC"));
    EXPECT_TRUE(form->find_next("Abc"));
    EXPECT_EQ(form->editor()->textCursor().selectionStart(), 4);
    EXPECT_FALSE(form->find_next(""));
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
