// Ring arithmetic of the record memory: which positions a download reads.
#include "logger/ring.h"
#include "logger/ring_forecast.h"

#include <QStringList>
#include <gtest/gtest.h>

using vx::BlockSpan;

TEST(CountNewRecords, FromTheMarkToThePositionBeforeThePointer)
{
    const struct {
        int mark, pointer, ring, expected;
    } cases[] = {
        {100, 130, 10401, 30},
        {0, 10400, 10401, 10400},
        {130, 130, 10401, 0},
        {0, 0, 10401, 0},
        {10401, 0, 10401, 0},  // a mark stored after a block that ended at the end of
                               // the ring names position 0
        {10393, 5, 10401, 13}, // positions 10393..10400 and 0..4
        {10400, 0, 10401, 1},  // just the last position
        {1, 0, 10401, 10400},  // every position but position 0
        {10401, 7, 10401, 7},  // a mark at the end of the ring counts from position 0
        {3, 5, 0, 0},
        {3, 5, -4, 0}, // degenerate rings
    };
    for (const auto& c : cases)
        EXPECT_EQ(vx::count_new_records(c.mark, c.pointer, c.ring), c.expected)
            << c.mark << " " << c.pointer << " " << c.ring;
}

TEST(NewestStart, StepsBackFromThePointer)
{
    // The whole ring (n = 10401 or 0) starts at the pointer: the oldest record is the one it overwrites next.
    // pointer:n:start
    for (const QString& c :
         QString("50:25:25 50:50:0 5:13:10393 0:1:10400 130:10401:130 130:0:130").split(' ')) {
        const QStringList v = c.split(':');
        EXPECT_EQ(vx::newest_start(v[0].toInt(), v[1].toInt(), 10401), v[2].toInt()) << c.toStdString();
    }
}

TEST(PlanBlocks, TensFromTheStartCutAtTheRingEndAndAtWhatIsLeft)
{
    const struct {
        int start, n, ring;
        std::vector<BlockSpan> expected;
    } cases[] = {
        {100, 30, 10401, {{100, 10}, {110, 10}, {120, 10}}},
        {25, 25, 10401, {{25, 10}, {35, 10}, {45, 5}}},
        {7, 1, 5201, {{7, 1}}},
        {10393, 21, 10401, {{10393, 8}, {0, 10}, {10, 3}}},   // 8 positions before the end
        {5191, 12, 5201, {{5191, 10}, {0, 2}}},               // a block ending exactly at the ring end
        {30, 42, 37, {{30, 7}, {0, 10}, {10, 10}, {20, 10}}}, // more than the ring: each position once
        {100, 0, 10401, {}},
        {100, -3, 10401, {}},
        {100, 5, 0, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vx::plan_blocks(c.start, c.n, c.ring), c.expected) << c.start << " " << c.n;
    EXPECT_EQ(vx::mark_after({5191, 10}), 5201);
}

TEST(RingForecast, TimeUntilRecordsNotDownloadedAreLostOrRecordingStops)
{
    // ring, pointer, mark, interval s, rollover, recording, delay min, conditional; then seconds (-1: none),
    // uncollected, overwrites, warns with a period of 1 h.
    const struct {
        vx::RingOutlook in;
        qint64 seconds;
        int uncollected;
        bool overwrites, warns;
    } cases[] = {
        {{10401, 130, 100, 600, true, true}, (10401 - 30) * 600LL, 30, true, false},
        {{10401, 5, 10393, 600, true, true}, (10401 - 13) * 600LL, 13, true, false}, // across the end
        {{10401, 99, 100, 60, true, true}, 60, 10400, true, true},                   // all but one
        {{10401, 100, 100, 60, true, true}, 10401 * 60LL, 0, true, false},           // all fetched
        {{10401, 100, 10401, 60, true, true}, 10301 * 60LL, 100, true, false},       // mark at the end
        {{10401, 130, 100, 600, true, true, 90, true}, (10401 - 30) * 600LL + 5400, 30, true, false},
        {{200, 110, 30, 60, true, true}, 7200, 80, true, false},                // two periods exactly
        {{200, 111, 30, 60, true, true}, 7140, 81, true, true},                 // a minute less: warn
        {{10401, 10000, -1, 600, false, true}, 401 * 600, 10000, false, false}, // no rollover: stops
        {{10401, 10402, 10000, 600, false, true}, 0, 401, false, true},         // full already
        {{10401, 130, -1, 600, true, true}, -1, 0, true, false},                // no mark
        {{10401, 130, 10402, 600, true, true}, -1, 0, true, false},             // a mark past the ring
        {{10401, 130, 100, 600, true, false}, -1, 0, true, false},              // not recording
        {{10401, 130, 100, 0, true, true}, -1, 0, true, false},                 // no interval
        {{10401, -1, 100, 600, true, true}, -1, 0, true, false},                // broken pointer
        {{10401, 10403, 100, 600, true, true}, -1, 0, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.pointer << " " << c.in.mark << " " << c.in.ring_size);
        const auto f = vx::ring_forecast(c.in);
        ASSERT_EQ(f.has_value(), c.seconds >= 0);
        if (!f) continue;
        EXPECT_EQ(f->seconds, c.seconds);
        EXPECT_EQ(f->uncollected, c.uncollected);
        EXPECT_EQ(f->overwrites, c.overwrites);
        EXPECT_EQ(f->earliest, c.in.conditional);
        EXPECT_EQ(vx::forecast_warns(*f, 3600), c.warns);
    }
    // Type 132 counts intervals above 60 in seconds; the key logger has none.
    EXPECT_EQ(QList<int>({vx::interval_seconds(89, 10), vx::interval_seconds(132, 60),
                          vx::interval_seconds(132, 75), vx::interval_seconds(93, 10)}),
              QList<int>({600, 3600, 15, 0}));
}
