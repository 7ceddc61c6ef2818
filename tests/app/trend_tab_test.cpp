// The trend page of the main window fed as the poll feeds it (a status view every 700 ms): the chart
// and its figures, the stable flag, pause, a new logger, the CSV and a change of language.
#include "app/logger_pages.h"
#include "app/main_window.h"
#include "app/trend_page.h"
#include "base/language.h"
#include "common/test_state.h"
#include "logger/status_view.h"
#include "viewer/trend_chart.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

class TrendTab : public ::testing::Test, protected vxtest::TestState
{
protected:
    TrendTab()
    {
        g.now = [this] { return QDateTime(QDate(2024, 3, 1), QTime(10, 0)).addMSecs(700LL * tick); };
        g.ident.type_code = 87;
        g.status.serial = 4321;
        w = std::make_unique<vx::TForm1>(g);
        w->resize(1000, 750);
        w->show();
        w->pages()->setCurrentIndex(vx::LoggerPages::page_trend);
        QApplication::processEvents();
        page = w->trend();
    }
    // One status decode showing temperature t and humidity 45.0.
    void reading(double t)
    {
        vx::StatusView v;
        v.pantemp.text = QString::number(t, 'f', 1).replace('.', ',');
        v.panhumi.text = QStringLiteral("45,0");
        const int before = replots;
        w->apply(v);
        ++tick;
        QApplication::processEvents();
        most_replots = std::max(most_replots, replots - before);
    }
    QString shown(const char* name) const { return page->findChild<QLabel*>(name)->text(); }
    int points() const { return page->TrendChart1->points(0); }

    int tick = 0;
    int replots = 0, most_replots = 0; // of the chart: in all, and after one reading
    std::unique_ptr<vx::TForm1> w;
    vx::TrendPage* page = nullptr;
};

TEST_F(TrendTab, PlotsReadingsShowsFiguresFlagsStabilityPausesSavesStartsOverAndSwitchesLanguage)
{
    QSignalSpy flag(page, &vx::TrendPage::stable_changed);
    QObject::connect(page->TrendChart1, &QCustomPlot::afterReplot, [&] { ++replots; });

    // Warming up by 0.1 a reading, then 21.0 for 180 readings (126 s).
    for (int i = 0; i < 10; ++i)
        reading(20.0 + i / 10.0);
    EXPECT_EQ(shown("panstable"), "Nestabilné");
    most_replots = 0;
    for (int i = 0; i < 180; ++i)
        reading(21.0);
    EXPECT_EQ(points(), 190);
    EXPECT_EQ(page->TrendChart1->channel_axis(1)->label(), "Vlhkosť [%RH]");
    // mean 3984.5 / 190; sample sd sqrt(3.69078 / 189)
    const QStringList figures{shown("panmin1"), shown("panmax1"), shown("panmean1"), shown("pansd1")};
    EXPECT_EQ(figures, QStringList({"20,0", "21,0", "20,97", "0,140"}));
    EXPECT_EQ(shown("panstable"), "Stabilné");
    ASSERT_EQ(flag.size(), 1);
    EXPECT_TRUE(flag[0][0].toBool());

    // Three minutes asked of the technician: not yet.
    page->EDstabletime->setValue(3.0);
    EXPECT_FALSE(page->stable());
    ASSERT_EQ(flag.size(), 2);
    EXPECT_FALSE(flag[1][0].toBool());

    // Paused, the chart and its figures hold; resumed, they catch up.
    QTest::mouseClick(page->BTpause, Qt::LeftButton);
    for (int i = 0; i < 5; ++i)
        reading(25.0);
    EXPECT_EQ(points(), 190);
    EXPECT_EQ(shown("panmax1"), "21,0");
    QTest::mouseClick(page->BTpause, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(points(), 195);
    EXPECT_EQ(shown("panmax1"), "25,0");

    // "Uložiť": the session in the export's CSV.
    QString proposed, file = home.path("trend.csv");
    page->choose_file = [&](const QString& suggested) { return proposed = suggested, file; };
    QTest::mouseClick(page->BTsavetrend, Qt::LeftButton);
    EXPECT_TRUE(proposed.endsWith("/Priebeh_4321_20240301_100000.csv")) << proposed.toStdString();
    const QStringList rows = QString::fromUtf8(home.read("trend.csv")).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 196);
    EXPECT_EQ(rows[0], "Time,Temperature [°C],Humidity [%RH]");
    EXPECT_EQ(rows[1], "2024-03-01T10:00:00.000,20.0,45.0");
    EXPECT_EQ(rows[195], "2024-03-01T10:02:15.800,25.0,45.0");

    // Another logger on the cable starts a new session.
    g.status.serial = 777;
    reading(19.5);
    EXPECT_EQ(points(), 1);
    EXPECT_TRUE(shown("pansession").startsWith("Výr.č. 777 od 1.3.2024 10:02:16"));
    EXPECT_EQ(shown("panmin1"), "19,5");
    EXPECT_EQ(most_replots, 1); // since the first readings laid the page out

    // Switched to English while running: the axes, the file name proposed and
    // the last download's count follow; in either language the page fits the
    // window's first size on a screen 1024 pixels wide.
    const int slovak_width = page->minimumSizeHint().width();
    g.data_dir = VORLANIX_SHIPPED_DATA "/";
    g.transfer.record_counter = 722;
    w->stbar0->setText(vx::record_count_text(g.lang, 722));
    g.settings.LANGUAGE = "ENGLISH";
    ASSERT_TRUE(w->apply_language());
    EXPECT_EQ(page->TrendChart1->channel_axis(1)->label() + '|' + w->stbar0->text(),
              "Humidity [%RH]|722 records");
    EXPECT_LE(std::max(slovak_width, page->minimumSizeHint().width()), 1024 * 2 / 3 - 16);
    file.clear();
    page->save();
    EXPECT_TRUE(proposed.endsWith("/Trend_777_20240301_100216.csv")) << proposed.toStdString();
}

} // namespace
