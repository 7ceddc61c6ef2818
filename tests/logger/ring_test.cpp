// Ring arithmetic of the record memory: which positions a download reads.
#include "logger/ring.h"

#include <QStringList>
#include <gtest/gtest.h>

using vx::BlockSpan;

TEST(CountNewRecords, FromTheMarkToThePositionBeforeThePointer)
{
    const struct {
        int mark, pointer, ring, expected;
    } cases[] = {
        {100, 130, 10401, 30},
        {0, 1, 5201, 1},
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
        {10393, 21, 10401, {{10393, 8}, {0, 10}, {10, 3}}}, // 8 positions before the end
        {5191, 12, 5201, {{5191, 10}, {0, 2}}},             // a block ending exactly at the ring end
        {30, 42, 37, {{30, 7}, {0, 10}, {10, 10}, {20, 10}}}, // more than the ring: each position once
        {100, 0, 10401, {}},
        {100, -3, 10401, {}},
        {100, 5, 0, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vx::plan_blocks(c.start, c.n, c.ring), c.expected) << c.start << " " << c.n;
    EXPECT_EQ(vx::mark_after({5191, 10}), 5201);
}
