// Ring arithmetic of the record memory: which positions a download reads.
#include "logger/ring.h"

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

TEST(CountNewRecords, PointerAfterMark)
{
    EXPECT_EQ(vx::count_new_records(100, 130, 10401), 30);
    EXPECT_EQ(vx::count_new_records(0, 1, 5201), 1);
    EXPECT_EQ(vx::count_new_records(0, 10400, 10401), 10400);
}

TEST(CountNewRecords, EqualPositionsGiveNothing)
{
    EXPECT_EQ(vx::count_new_records(130, 130, 10401), 0);
    EXPECT_EQ(vx::count_new_records(0, 0, 10401), 0);
    // A mark stored after a block that ended at the end of the ring names position 0.
    EXPECT_EQ(vx::count_new_records(10401, 0, 10401), 0);
}

TEST(CountNewRecords, RangePassingTheEndOfTheRing)
{
    // Positions 10393..10400 and 0..4: 8 + 5 records.
    EXPECT_EQ(vx::count_new_records(10393, 5, 10401), 13);
    // From the last position to the one before 0: just the last position.
    EXPECT_EQ(vx::count_new_records(10400, 0, 10401), 1);
    // Mark 1, pointer 0: every position but position 0.
    EXPECT_EQ(vx::count_new_records(1, 0, 10401), 10400);
    // A mark at the end of the ring counts from position 0.
    EXPECT_EQ(vx::count_new_records(10401, 7, 10401), 7);
}

TEST(CountNewRecords, DegenerateRing)
{
    EXPECT_EQ(vx::count_new_records(3, 5, 0), 0);
    EXPECT_EQ(vx::count_new_records(3, 5, -4), 0);
}

TEST(NewestStart, StepsBackFromThePointer)
{
    EXPECT_EQ(vx::newest_start(50, 25, 10401), 25);
    EXPECT_EQ(vx::newest_start(50, 50, 10401), 0);
    EXPECT_EQ(vx::newest_start(5, 13, 10401), 10393);
    EXPECT_EQ(vx::newest_start(0, 1, 10401), 10400);
    // The whole ring starts at the pointer: the oldest record is the one it overwrites next.
    EXPECT_EQ(vx::newest_start(130, 10401, 10401), 130);
    EXPECT_EQ(vx::newest_start(130, 0, 10401), 130);
}

TEST(PlanBlocks, TensFromTheMark)
{
    const std::vector<BlockSpan> want{{100, 10}, {110, 10}, {120, 10}};
    EXPECT_EQ(vx::plan_blocks(100, 30, 10401), want);
}

TEST(PlanBlocks, LastBlockCutToWhatIsLeft)
{
    const std::vector<BlockSpan> want{{25, 10}, {35, 10}, {45, 5}};
    EXPECT_EQ(vx::plan_blocks(vx::newest_start(50, 25, 10401), 25, 10401), want);
    const std::vector<BlockSpan> one{{7, 1}};
    EXPECT_EQ(vx::plan_blocks(7, 1, 5201), one);
}

TEST(PlanBlocks, NothingToRead)
{
    EXPECT_TRUE(vx::plan_blocks(100, 0, 10401).empty());
    EXPECT_TRUE(vx::plan_blocks(100, -3, 10401).empty());
    EXPECT_TRUE(vx::plan_blocks(100, 5, 0).empty());
}

TEST(PlanBlocks, WrapReadsTheEndThenContinuesAtZero)
{
    // Start 8 positions before the end of the ring: a first block of 8.
    const std::vector<BlockSpan> want{{10393, 8}, {0, 10}, {10, 3}};
    EXPECT_EQ(vx::plan_blocks(10393, 21, 10401), want);

    // The blocks from a mark to a pointer across the end: each record once, oldest first.
    const int mark = 10395, pointer = 12, ring = 10401;
    const int n = vx::count_new_records(mark, pointer, ring);
    ASSERT_EQ(n, 18);
    std::vector<int> expected;
    for (int p = 10395; p <= 10400; ++p)
        expected.push_back(p);
    for (int p = 0; p <= 11; ++p)
        expected.push_back(p);
    EXPECT_EQ(positions_of(vx::plan_blocks(mark, n, ring)), expected);
}

TEST(PlanBlocks, BlockEndingExactlyAtTheRingEnd)
{
    // 5201 = 520 blocks of ten and one position; a start at 5191 fills one block to the end.
    const std::vector<BlockSpan> want{{5191, 10}, {0, 2}};
    EXPECT_EQ(vx::plan_blocks(5191, 12, 5201), want);
    EXPECT_EQ(vx::mark_after(want[0]), 5201);
    EXPECT_EQ(vx::count_new_records(vx::mark_after(want[0]), 2, 5201), 2);
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

TEST(PlanBlocks, MarksAfterEachBlockAgreeWithWhatIsLeft)
{
    // After every block the stored mark leaves exactly the unread records as new.
    const int ring = 10401, mark = 10390, pointer = 25;
    const int n = vx::count_new_records(mark, pointer, ring);
    int fetched = 0;
    for (const auto& b : vx::plan_blocks(mark, n, ring)) {
        fetched += b.count;
        EXPECT_EQ(vx::count_new_records(vx::mark_after(b), pointer, ring), n - fetched);
    }
    EXPECT_EQ(fetched, n);
}
