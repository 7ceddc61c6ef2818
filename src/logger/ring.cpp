#include "logger/ring.h"

#include <algorithm>

namespace vx
{

int ring_position(int position, int ring_size)
{
    if (ring_size <= 0) return 0;
    const int p = position % ring_size;
    return p < 0 ? p + ring_size : p;
}

int count_new_records(int mark, int pointer, int ring_size)
{
    if (ring_size <= 0) return 0;
    const int m = ring_position(mark, ring_size);
    const int p = ring_position(pointer, ring_size);
    return p >= m ? p - m : ring_size - m + p;
}

HeldRecords records_held(int pointer, int ring_size, bool rollover)
{
    const int written = std::clamp(pointer, 0, std::max(ring_size, 0));
    return {written, rollover ? std::max(ring_size, 0) : written};
}

int newest_start(int pointer, int n, int ring_size)
{
    if (ring_size <= 0) return 0;
    return ring_position(ring_position(pointer, ring_size) - ring_position(n, ring_size), ring_size);
}

std::vector<BlockSpan> plan_blocks(int start, int n, int ring_size)
{
    std::vector<BlockSpan> blocks;
    if (ring_size <= 0 || n <= 0) return blocks;
    n = std::min(n, ring_size);
    blocks.reserve(static_cast<std::size_t>(n / records_per_block + 2));
    int position = ring_position(start, ring_size);
    int done = 0;
    while (done < n) {
        const int count = std::min({records_per_block, ring_size - position, n - done});
        blocks.push_back({position, count});
        done += count;
        position += count;
        if (position == ring_size) position = 0;
    }
    return blocks;
}

} // namespace vx
