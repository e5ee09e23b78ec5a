// The match front and the window matches against direct search: for each position, the
// nearest source of every longest-so-far match, and the longest match in an offset window.
#include <gtest/gtest.h>

#include <random>

#include "match_front.h"
#include "window_matches.h"

namespace {

int32_t lcp(const std::vector<uint8_t>& in, int32_t p, int32_t s) {
    int32_t len = 0;
    while (p + len < static_cast<int32_t>(in.size()) && in[p + len] == in[s + len]) ++len;
    return len;
}

std::vector<std::vector<uint8_t>> samples() {
    std::mt19937 rng(3);
    std::vector<std::vector<uint8_t>> v;
    for (unsigned letters : {1u, 2u, 3u, 26u, 256u}) {
        for (size_t n : {1u, 2u, 17u, 600u, 1200u}) {
            std::vector<uint8_t> in(n);
            for (uint8_t& b : in) b = static_cast<uint8_t>(rng() % letters);
            v.push_back(in);
        }
    }
    std::vector<uint8_t> periods;
    for (int i = 0; i < 1500; ++i) periods.push_back(static_cast<uint8_t>(i % (i < 700 ? 7 : 5)));
    v.push_back(periods);
    return v;
}

TEST(match_front, equals_direct_search) {
    for (const std::vector<uint8_t>& in : samples()) {
        const int32_t n = static_cast<int32_t>(in.size());
        suffix_index ix;
        build_suffix_index(in.data(), n, ix);
        match_front front;
        find_match_front(in.data(), ix, front);
        for (int32_t p = 0; p < n; ++p) {
            std::vector<front_pair> want;
            int32_t best = 0;
            for (int32_t s = p - 1; s >= 0; --s) {
                const int32_t l = lcp(in, p, s);
                if (l > best) {
                    best = l;
                    want.push_back({static_cast<uint16_t>(p - s), static_cast<uint16_t>(l)});
                }
            }
            const uint32_t a = front.start[static_cast<size_t>(p)];
            const uint32_t b = front.start[static_cast<size_t>(p) + 1];
            ASSERT_EQ(b - a, want.size()) << "n " << n << " p " << p;
            for (size_t i = 0; i < want.size(); ++i) {
                ASSERT_EQ(front.pairs[a + i].offset, want[i].offset) << "n " << n << " p " << p;
                ASSERT_EQ(front.pairs[a + i].length, want[i].length) << "n " << n << " p " << p;
            }
        }
    }
}

TEST(window_matches, equal_longest_in_window) {
    const std::pair<int32_t, int32_t> windows[] = {{5, 6}, {9, 10}, {3, 40}, {129, 384}, {1, 1}};
    for (const std::vector<uint8_t>& in : samples()) {
        const int32_t n = static_cast<int32_t>(in.size());
        suffix_index ix;
        build_suffix_index(in.data(), n, ix);
        std::vector<uint16_t> len(in.size()), off(in.size());
        for (auto [lo, hi] : windows) {
            find_window_matches(ix, lo, hi, len.data(), off.data());
            for (int32_t p = 0; p < n; ++p) {
                int32_t best = 0;
                for (int32_t d = lo; d <= hi && d <= p; ++d)
                    best = std::max(best, lcp(in, p, p - d));
                ASSERT_EQ(len[static_cast<size_t>(p)], best)
                    << "n " << n << " p " << p << " window " << lo;
                if (best == 0) continue;
                const int32_t d = off[static_cast<size_t>(p)];
                ASSERT_TRUE(d >= lo && d <= hi && d <= p);
                ASSERT_EQ(lcp(in, p, p - d), best);
            }
        }
    }
}

} // namespace
