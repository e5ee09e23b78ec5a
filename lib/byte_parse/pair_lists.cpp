// Built once per input, back to front, so that the context bytes of each entry follow from
// those of the next without reading the input four times.
#include "pair_lists.h"

#include <algorithm>

void build_pair_lists(pack_tables& t, const uint8_t* b, int n) {
    std::fill(t.pair_first, t.pair_first + max_input + 1, 0u);
    for (int p = 1; p < n; ++p) ++t.pair_first[pair_key(b, p)];
    uint32_t end = 0;
    for (int k = 0; k < max_input; ++k) {
        end += t.pair_first[k];
        t.pair_first[k] = end;
    }
    uint64_t context = context_before(b, n - 1);
    for (int p = n - 1; p >= 1; --p) {
        const uint32_t slot = --t.pair_first[pair_key(b, p)];
        const uint64_t after = p + 1 < n ? b[p + 1] : 0;
        t.pair_pos[slot] =
            uint64_t(p) | after << entry_after_shift | context << entry_context_shift;
        t.pair_slot[p] = uint16_t(slot);
        context = context >> 8 | uint64_t(p >= 6 ? b[p - 6] : 0u) << 24;
    }
}
