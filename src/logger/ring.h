#pragma once
// Ring arithmetic of the logger's record memory.
//
// The logger writes its records into a circular memory of ring_size
// positions (0 .. ring_size - 1) and reports the position of its next write,
// the record pointer. A download mark is the position up to which the records
// of a mission have been fetched; it may equal ring_size, which names the
// same place as position 0. Records are read in blocks of at most ten that
// never pass the end of the ring: the block at the end is cut and reading
// continues at position 0, so every position of a range is read exactly once
// and in the order the logger wrote them.
#include <vector>

namespace vx
{

inline constexpr int records_per_block = 10;

// One block read: count records starting at ring position position.
struct BlockSpan {
    int position = 0;
    int count = 0;
    friend bool operator==(const BlockSpan&, const BlockSpan&) = default;
};

// A position taken into the ring: any integer maps onto 0 .. ring_size - 1.
// ring_size must be positive.
int ring_position(int position, int ring_size);

// The number of records from the mark up to the one before the pointer:
// pointer - mark when the pointer lies at or after the mark, otherwise
// ring_size - mark + pointer (the range passes the end of the ring). Both
// values are taken into the ring first, so a mark of ring_size counts as 0.
// Always 0 .. ring_size - 1; 0 when ring_size is not positive.
int count_new_records(int mark, int pointer, int ring_size);

// How many records the logger holds after writing up to pointer since its
// mission started: pointer (at most ring_size) without rollover; with
// rollover it may have gone round and hold up to ring_size, which the pointer
// alone does not tell.
struct HeldRecords {
    int least = 0, most = 0;
};
HeldRecords records_held(int pointer, int ring_size, bool rollover);

// The position of the oldest of the n records that end just before the
// pointer: pointer - n modulo ring_size.
int newest_start(int pointer, int n, int ring_size);

// The blocks that read n records starting at start, in the order they are
// written: at most ten records each, none passing the end of the ring,
// continuing at 0 after it. n is limited to 0 .. ring_size. The counts add
// up to n.
std::vector<BlockSpan> plan_blocks(int start, int n, int ring_size);

// The download mark after a block has been fetched: the position just past
// it, ring_size for a block that ends at the end of the ring.
inline int mark_after(const BlockSpan& b)
{
    return b.position + b.count;
}

} // namespace vx
