// Ring arithmetic of the record memory: which positions a download reads.
#include "logger/ring.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <set>

using vx::BlockSpan;

namespace
{

// Every position the plan reads, in reading order.
std::vector<int> positions_of(const std::vector<BlockSpan>& plan)
{
    std::vector<int> out;
    for (const auto& b : plan)
        for (int i = 0; i < b.count; ++i)
            out.push_back(b.position + i);
    return out;
}

} // namespace

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
        {100, 0, 10401, {}},
        {100, -3, 10401, {}},
        {100, 5, 0, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vx::plan_blocks(c.start, c.n, c.ring), c.expected) << c.start << " " << c.n;
    EXPECT_EQ(vx::mark_after({5191, 10}), 5201);
}

TEST(PlanBlocks, WholeRingReadsEveryPositionOnce)
{
    for (int ring : {10401, 5201, 37}) {
        for (int start : {0, 1, ring / 2, ring - 8, ring - 1}) {
            const auto plan = vx::plan_blocks(start, ring + 5, ring); // more than the ring is cut to the ring
            const auto pos = positions_of(plan);
            ASSERT_EQ(static_cast<int>(pos.size()), ring) << ring << " " << start;
            EXPECT_EQ(std::set<int>(pos.begin(), pos.end()).size(), pos.size());
            EXPECT_EQ(pos.front(), start);
            for (const auto& b : plan) {
                EXPECT_GE(b.count, 1);
                EXPECT_LE(b.count, 10);
                EXPECT_LE(b.position + b.count, ring);
            }
        }
    }
}

TEST(PlanBlocks, MarksAfterEachBlockLeaveExactlyTheUnreadRecordsAsNew)
{
    for (auto [mark, pointer] : {std::pair{10390, 25}, {10395, 12}, {5, 130}}) {
        const int ring = 10401;
        const int n = vx::count_new_records(mark, pointer, ring);
        int fetched = 0;
        int expected_position = mark;
        for (const auto& b : vx::plan_blocks(mark, n, ring)) {
            EXPECT_EQ(b.position, expected_position % ring); // oldest first, each record once
            expected_position = b.position + b.count;
            fetched += b.count;
            EXPECT_EQ(vx::count_new_records(vx::mark_after(b), pointer, ring), n - fetched);
        }
        EXPECT_EQ(fetched, n);
    }
}
