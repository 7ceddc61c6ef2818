// The live trend: channels of the live panels, 24 hours kept at most,
// statistics over the visible span, the stable flag, pause and sessions.
#include "base/calibration.h"
#include "logger/trend.h"

#include <cmath>
#include <gtest/gtest.h>

using vx::LiveReading;
using vx::Trend;
using vx::TrendSpan;

namespace
{

const QDateTime t0(QDate(2024, 3, 1), QTime(10, 0));

// A temperature and humidity reading at t0 + seconds; no v1: a sensor error.
LiveReading reading(double seconds, std::optional<double> v1, std::uint16_t serial = 4321)
{
    LiveReading r;
    r.time = t0.addMSecs(std::llround(seconds * 1000));
    r.serial = serial;
    r.type_code = 87;
    r.channels = vx::record_channels(87);
    r.texts = {v1 ? QString::number(*v1, 'f', 1).replace('.', ',') : "Error", "45,0"};
    r.values = {v1, 45.0};
    return r;
}

} // namespace

TEST(LiveReading, PanelsBecomeTheChannelsOfTheExport)
{
    vx::Calibration level; // the current loop (130) reads a level through it
    level.calib_active = true;
    level.ValueName = "Hladina:";
    level.ValueRange = "cm";
    const std::tuple<int, const char*, const char*> cases[] = {
        // type, pantemp|panhumi|PanTempFahren|panIBname ("-": not set), channel [unit]=text (value); ...
        {100, " 21,5|Error| 70,7|-", "Temperature [°C]=21,5 (21.5); Humidity [%RH]=Error (-)"},
        {133, " 20,0| 50,0|1013|-",
         "Temperature [°C]=20,0 (20); Humidity [%RH]=50,0 (50); Air pressure [hPa]=1013 (1013)"},
        {93, "17|-|-|Novák", "Key []=Novák (17)"},
        {93, "17|-|-|", "Key []=[17] (17)"},
        {130, "  12,50|   7|-|-", "Hladina [cm]=12,50 (12.5); Pulses []=7 (7)"},
    };
    for (const auto& [type, texts, expected] : cases) {
        SCOPED_TRACE(texts);
        vx::StatusView v;
        vx::ControlView* panels[] = {&v.pantemp, &v.panhumi, &v.PanTempFahren, &v.panIBname};
        for (int i = 0; i < 4; ++i)
            if (QString(texts).split('|')[i] != "-") panels[i]->text = QString(texts).split('|')[i];
        const LiveReading r = vx::live_reading(v, type, 1, type == 130 ? &level : nullptr, t0);
        QStringList got;
        for (qsizetype i = 0; i < r.channels.size(); ++i)
            got << QString("%1 [%2]=%3 (%4)")
                       .arg(r.channels[i].name, r.channels[i].unit, r.texts[i],
                            r.values[i] ? QString::number(*r.values[i]) : "-");
        EXPECT_EQ(got.join("; "), expected);
    }
}

TEST(Trend, KeepsTheLast24HoursAndNoMoreReadingsThanTheyHold)
{
    struct Case {
        double step; // seconds between readings
        int readings;
        std::size_t kept;
    };
    const Case cases[] = {
        {1.0, 90000, 86401},                // 25 h: the last 24 h, both ends
        {0.7, 123440, 123440 - 11},         // the poll's rhythm: 24 h is 123,428.6 of them
        {0.5, 130000, Trend::max_readings}, // faster: cut at the count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        Trend trend;
        vx::TrendUpdate u;
        for (int i = 0; i < c.readings; ++i)
            u = trend.add(reading(i * c.step, 20.0));
        ASSERT_EQ(trend.size(), c.kept);
        EXPECT_TRUE(u.dropped);
        EXPECT_EQ(u.drop_before, trend.time(0));
        EXPECT_NEAR(trend.time(0) - t0.toSecsSinceEpoch(), (c.readings - c.kept) * c.step, 1e-3);
        EXPECT_EQ(u.appended, QList<int>({0, 1}));
    }
}

TEST(Trend, StatisticsCoverTheVisibleSpan)
{
    // 1, 2, ..., 10 once a minute; the seventh reading is a sensor error.
    Trend trend;
    for (int i = 0; i < 10; ++i)
        trend.add(reading(60.0 * i, i == 6 ? std::nullopt : std::optional<double>(i + 1)));
    struct Case {
        TrendSpan span;
        int count;
        double min, max, mean, sd;
    };
    const Case cases[] = {
        // 240 .. 540 s: 5, 6, 8, 9, 10.
        {TrendSpan::five_minutes, 5, 5, 10, 7.6, std::sqrt(4.3)},
        {TrendSpan::thirty_minutes, 9, 1, 10, 48.0 / 9, std::sqrt(10.0)},
        {TrendSpan::all, 9, 1, 10, 48.0 / 9, std::sqrt(10.0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.span));
        trend.set_span(c.span);
        const vx::TrendStats s = trend.stats(0);
        EXPECT_EQ(s.count, c.count);
        EXPECT_EQ(s.min, c.min);
        EXPECT_EQ(s.max, c.max);
        EXPECT_NEAR(s.mean, c.mean, 1e-12);
        EXPECT_NEAR(s.sd, c.sd, 1e-12);
    }
}

TEST(Trend, StableWhenTheSpreadStaysWithinTheToleranceForTheTime)
{
    struct Case {
        const char* name;
        QList<double> values; // every 10 s; NaN: a sensor error
        double tolerance, seconds;
        bool stable;
    };
    const double err = NAN;
    const QList<double> thirteen = {20.1, 20.0, 20.1, 20.0, 20.1, 20.0, 20.1,
                                    20.0, 20.1, 20.0, 20.1, 20.0, 20.1};
    const Case cases[] = {
        {"0.1 apart for 2 min", thirteen, 0.1, 120, true},
        {"not yet 2 min", thirteen.mid(1), 0.1, 120, false},
        {"an older excursion has left the window", QList<double>{25} + thirteen, 0.1, 120, true},
        {"an excursion within it", QList<double>{20.0, 20.0, 20.2} + thirteen.mid(3), 0.1, 120, false},
        {"a sensor error within it", QList<double>{20.0, err} + thirteen.mid(2), 0.1, 120, false},
        {"a drift within a wider tolerance", {10.0, 10.1, 10.2, 10.3, 10.4, 10.5, 10.6}, 0.6, 60, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Trend trend;
        trend.set_stability(c.tolerance, c.seconds);
        for (qsizetype i = 0; i < c.values.size(); ++i)
            trend.add(reading(10.0 * i, std::isnan(c.values[i]) ? std::nullopt : std::optional(c.values[i])));
        EXPECT_EQ(trend.stable(0), c.stable);
        // The steady humidity: as soon as the readings reach back far enough.
        EXPECT_EQ(trend.stable(1), 10.0 * (c.values.size() - 1) >= c.seconds);
    }
}

TEST(Trend, PauseHoldsTheViewAndAnotherLoggerStartsASession)
{
    Trend trend;
    EXPECT_TRUE(trend.add(reading(0, 20.5)).rebuild);
    trend.add(reading(0.7, std::nullopt));
    trend.pause();
    EXPECT_FALSE(trend.add(reading(1.4, 30.0)).redraw());
    trend.set_span(TrendSpan::all);
    EXPECT_EQ(trend.stats(0).max, 20.5);
    EXPECT_EQ(trend.csv(), "Time,Temperature [°C],Humidity [%RH]\r\n"
                           "2024-03-01T10:00:00.000,20.5,45.0\r\n"
                           "2024-03-01T10:00:00.700,,45.0\r\n"
                           "2024-03-01T10:00:01.400,30.0,45.0\r\n");
    EXPECT_TRUE(trend.resume().rebuild);
    EXPECT_EQ(trend.stats(0).max, 30.0);
    EXPECT_EQ(trend.add(reading(2.1, 21.0)).appended, QList<int>({0, 1}));

    const vx::TrendUpdate u = trend.add(reading(2.8, 22.0, 999));
    EXPECT_TRUE(u.rebuild);
    EXPECT_EQ(trend.size(), 1u);
    EXPECT_EQ(trend.serial(), 999);
}
