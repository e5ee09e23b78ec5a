// The matches of every position that any offset coding can want: for each position, the
// nearest earlier source for every match length, as a front of (offset, length) pairs with
// offsets increasing and lengths strictly increasing. Offset costs never fall as offsets grow
// (within a prefix of offsets), so a length is always best taken at the nearest offset that
// reaches it; the front is found once per file and serves every model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "suffix_index.h"

struct front_pair {
    uint16_t offset; // 1..65535
    uint16_t length; // 1..65535: the longest match at this offset
};

struct match_front {
    int32_t size = 0;            // input length
    std::vector<uint32_t> start; // pairs of position p: pairs[start[p] .. start[p + 1])
    std::vector<front_pair> pairs;
    int32_t longest = 0; // the longest match of any position
};

// Fills front for the input of ix, 1 <= size <= 65536. Exact: a binary tree of every earlier
// suffix, most recent at the root, searched without a depth or length cap.
void find_match_front(const uint8_t* data, const suffix_index& ix, match_front& front);
