// The suffix array of an input with its ranks and longest-common-prefix table, ready for range
// minima: the common prefix of any two suffixes in constant time, however long. The match
// front and the window matches both compare suffixes through it.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

struct suffix_index {
    int32_t size = 0;
    std::vector<int32_t> sa;
    std::vector<int32_t> rank;
    std::vector<std::vector<uint16_t>> lcp_min; // lcp_min[k][i]: least LCP in [i, i + 2^k)
    uint64_t serial = 0; // different for every build, so that tables made from it can tell
};

// 1 <= size <= 65536.
void build_suffix_index(const uint8_t* data, int32_t size, suffix_index& ix);

// The longest common prefix of the suffixes of ranks a < b.
inline int32_t lcp_of_ranks(const suffix_index& ix, int32_t a, int32_t b) {
    const int32_t lo = a + 1;
    const int k = std::bit_width(static_cast<uint32_t>(b - lo + 1)) - 1;
    const std::vector<uint16_t>& row = ix.lcp_min[static_cast<size_t>(k)];
    const uint16_t x = row[static_cast<size_t>(lo)];
    const uint16_t y = row[static_cast<size_t>(b - (1 << k) + 1)];
    return x < y ? x : y;
}

// The longest common prefix of the suffixes at positions p != q.
inline int32_t lcp_of_positions(const suffix_index& ix, int32_t p, int32_t q) {
    const int32_t a = ix.rank[static_cast<size_t>(p)];
    const int32_t b = ix.rank[static_cast<size_t>(q)];
    return a < b ? lcp_of_ranks(ix, a, b) : lcp_of_ranks(ix, b, a);
}
