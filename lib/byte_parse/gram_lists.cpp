// A counting sort per level, as for the pair lists.
#include "gram_lists.h"

#include <algorithm>

void build_gram_lists(pack_tables& t, const uint8_t* b, int n) {
    for (int level = 0; level < gram_levels; ++level) {
        uint32_t* first = t.gram_first[level];
        std::fill(first, first + max_input + 1, 0u);
        const int from = gram_len[level] - 1;
        for (int j = from; j < n; ++j) ++first[gram_key(b, j, level)];
        uint32_t end = 0;
        for (int k = 0; k <= max_input; ++k) {
            end += first[k];
            first[k] = end;
        }
        for (int j = n - 1; j >= from; --j) {
            const uint32_t slot = --first[gram_key(b, j, level)];
            t.gram_pos[level][slot] = uint16_t(j);
            t.gram_slot[level][j] = uint16_t(slot);
        }
    }
    t.gram_ready = 1;
}
