// Built once per input, back to front, so that the context bytes of each entry follow from
// those of the next without reading the input four times.
#include "pair_lists.h"

#include <algorithm>

namespace {

// Each pair's count. A pair that repeats at the next position is counted in a register: in runs
// every position has the same pair, and incrementing its count in memory at each one waits on
// the store before.
void count_pairs(pack_tables& t, const uint8_t* b, int n) {
    std::fill(t.pair_first, t.pair_first + max_input + 1, 0u);
    if (n < 2) return;
    int key = pair_key(b, 1);
    uint32_t same = 1;
    for (int p = 2; p < n; ++p) {
        if (const int k = pair_key(b, p); k != key) {
            t.pair_first[key] += same;
            key = k;
            same = 0;
        }
        ++same;
    }
    t.pair_first[key] += same;
}

} // namespace

void build_pair_lists(pack_tables& t, const uint8_t* b, int n) {
    count_pairs(t, b, n);
    uint32_t end = 0;
    for (int k = 0; k < max_input; ++k) {
        end += t.pair_first[k];
        t.pair_first[k] = end;
    }
    // The slot of the pair at the position after is kept in a register for the same reason.
    uint64_t context = context_before(b, n - 1);
    int key = -1;
    uint32_t slot = 0;
    for (int p = n - 1; p >= 1; --p) {
        if (const int k = pair_key(b, p); k != key) {
            if (key >= 0) t.pair_first[key] = slot;
            key = k;
            slot = t.pair_first[k];
        }
        --slot;
        const uint64_t after = p + 1 < n ? b[p + 1] : 0;
        t.pair_pos[slot] =
            uint64_t(p) | after << entry_after_shift | context << entry_context_shift;
        t.pair_slot[p] = uint16_t(slot);
        context = context >> 8 | uint64_t(p >= 6 ? b[p - 6] : 0u) << 24;
    }
    if (key >= 0) t.pair_first[key] = slot;
}
