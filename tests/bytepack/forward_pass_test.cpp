// The forward pass's tables on small inputs whose parse can be worked out by hand, for both
// variants and for both walks (fast and plain), which must give the same rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "forward_pass.h"
#include "forward_pass_plain.h"
#include "pack_support.h"
#include "parse_steps.h"
#include "variant.h"

namespace {

struct rows {
    std::vector<int> cost, step_len, step_off, period, period_len;
};

struct walk_case {
    bool ktb;
    bool plain;
};

void PrintTo(const walk_case& w, std::ostream* os) {
    *os << (w.ktb ? "ktb" : "kta") << (w.plain ? "_plain" : "_fast");
}

rows forward(const bytes& in, walk_case w) {
    auto t = fresh_tables();
    const int n = int(in.size());
    pack_status status = w.ktb ? (w.plain ? forward_pass_plain<ktb_variant>(*t, in.data(), n)
                                          : forward_pass<ktb_variant>(*t, in.data(), n))
                               : (w.plain ? forward_pass_plain<kta_variant>(*t, in.data(), n)
                                          : forward_pass<kta_variant>(*t, in.data(), n));
    EXPECT_FALSE(failed(status));
    rows r;
    for (int p = 0; p < n; ++p) {
        r.cost.push_back(t->cost[p]);
        r.step_len.push_back(t->step_len[p]);
        r.step_off.push_back(t->step_len[p] ? t->step_off[p] : 0);
        r.period.push_back(t->stretch[p].period);
        r.period_len.push_back(t->stretch[p].period_len);
    }
    return r;
}

// Order-2 de Bruijn sequence over symbols base..base+k-1: no byte pair occurs twice.
bytes distinct_pairs(int k, size_t n, int base = 0) {
    bytes out;
    std::vector<int> a(3, 0);
    auto db = [&](auto& self, int t, int p) -> void {
        if (out.size() >= n) return;
        if (t > 2) {
            if (2 % p == 0)
                for (int j = 1; j <= p; ++j) out.push_back(uint8_t(base + a[size_t(j)]));
            return;
        }
        a[size_t(t)] = a[size_t(t - p)];
        self(self, t + 1, p);
        for (int j = a[size_t(t - p)] + 1; j < k; ++j) {
            a[size_t(t)] = j;
            self(self, t + 1, t);
        }
    };
    db(db, 1, 1);
    out.resize(n);
    return out;
}

class forward_pass_rows : public testing::TestWithParam<walk_case> {};

TEST_P(forward_pass_rows, one_and_two_bytes) {
    rows r = forward(to_bytes("A"), GetParam());
    EXPECT_EQ(r.cost, (std::vector<int>{2}));
    EXPECT_EQ(r.step_len, (std::vector<int>{0}));
    r = forward(to_bytes("AA"), GetParam());
    EXPECT_EQ(r.cost, (std::vector<int>{2, 3}));
    EXPECT_EQ(r.step_len, (std::vector<int>{0, 0}));
}

TEST_P(forward_pass_rows, eight_equal_bytes) {
    rows r = forward(to_bytes("zzzzzzzz"), GetParam());
    EXPECT_EQ(r.cost, (std::vector<int>{2, 3, 4, 4, 4, 4, 4, 4}));
    EXPECT_EQ(r.step_len, (std::vector<int>{0, 0, 0, 3, 4, 5, 6, 7}));
    EXPECT_EQ(r.step_off, (std::vector<int>{0, 0, 0, 1, 1, 1, 1, 1}));
    EXPECT_EQ(r.period, (std::vector<int>{0, 0, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(r.period_len, (std::vector<int>{0, 0, 3, 4, 5, 6, 7, 8}));
}

TEST_P(forward_pass_rows, three_byte_pattern_four_times) {
    rows r = forward(to_bytes("abcabcabcabc"), GetParam());
    EXPECT_EQ(r.cost, (std::vector<int>{2, 3, 4, 5, 6, 6, 6, 6, 6, 6, 6, 6}));
    EXPECT_EQ(r.step_len, (std::vector<int>{0, 0, 0, 0, 0, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(r.step_off, (std::vector<int>{0, 0, 0, 0, 0, 3, 3, 3, 3, 3, 3, 3}));
    EXPECT_EQ(r.period, (std::vector<int>{0, 0, 0, 0, 0, 0, 3, 3, 3, 3, 3, 3}));
    EXPECT_EQ(r.period_len, (std::vector<int>{0, 0, 0, 0, 0, 0, 7, 8, 9, 10, 11, 12}));
}

TEST_P(forward_pass_rows, nearer_of_equal_matches) {
    rows r = forward(to_bytes("abcdXabcdYabcd"), GetParam());
    EXPECT_EQ(r.cost, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 8, 8, 10, 11, 12, 12, 12}));
    EXPECT_EQ(r.step_len, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 3, 4, 0, 0, 0, 3, 4}));
    EXPECT_EQ(r.step_off, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 5, 5, 0, 0, 0, 5, 5}));
    EXPECT_EQ(r.period, std::vector<int>(14, 0));
    EXPECT_EQ(r.period_len, std::vector<int>(14, 0));
}

TEST_P(forward_pass_rows, literal_costs_without_repeated_pairs) {
    const bool ktb = GetParam().ktb;
    const bytes in = distinct_pairs(256, ktb ? 16400 : 300);
    rows r = forward(in, GetParam());
    for (int p = 0; p <= 62; ++p) ASSERT_EQ(r.cost[size_t(p)], p + 2) << p;
    for (size_t p = 0; p < in.size(); ++p) ASSERT_EQ(r.step_len[p], 0) << p;
    if (ktb) {
        EXPECT_EQ(r.cost[63], 66); // the 64th literal of a run needs the two-byte header
        EXPECT_EQ(r.cost[64], 67);
        EXPECT_EQ(r.cost[16382], 16385);
        EXPECT_EQ(r.cost[16383], 16387); // a run holds 16383: the next literal opens one
        EXPECT_EQ(r.cost[16384], 16388);
    } else {
        EXPECT_EQ(r.cost[126], 128);
        EXPECT_EQ(r.cost[127], 130);
        EXPECT_EQ(r.cost[128], 131);
        EXPECT_EQ(r.cost[253], 256);
        EXPECT_EQ(r.cost[254], 258);
        EXPECT_EQ(r.cost[255], 259);
    }
}

// A marker of distinct bytes, filler that repeats no pair and holds none of the marker's
// bytes, the marker again at the given distance, then more filler. Gives the marker's last
// position in its repeat.
int marker_repeat(bytes& in, int distance, int marker_len) {
    const bytes filler = distinct_pairs(240, size_t(distance) + 100);
    in.clear();
    for (int k = 0; k < marker_len; ++k) in.push_back(uint8_t(245 + k));
    in.insert(in.end(), filler.begin(), filler.begin() + (distance - marker_len));
    for (int k = 0; k < marker_len; ++k) in.push_back(uint8_t(245 + k));
    in.push_back(244); // unlike the byte after the first marker
    in.insert(in.end(), filler.begin() + distance, filler.begin() + distance + 50);
    return distance + marker_len - 1;
}

TEST_P(forward_pass_rows, offset_limits) {
    const walk_case w = GetParam();
    struct limit_case {
        bool ktb;
        int distance;
        int marker_len;
        bool sequence; // the repeat becomes a sequence
    };
    const limit_case cases[] = {
        {true, 127, 3, true},    // cost 2 against 3 literals
        {true, 128, 3, false},   // cost 3 ties with the literals, which stand
        {true, 32767, 5, true},  // farthest reachable candidate
        {true, 32768, 5, false}, // out of reach
        {false, 255, 3, true},   {false, 256, 3, false},
    };
    for (const auto& c : cases) {
        if (c.ktb != w.ktb) continue;
        bytes in;
        const int end = marker_repeat(in, c.distance, c.marker_len);
        rows r = forward(in, w);
        SCOPED_TRACE(c.distance);
        if (c.sequence) {
            EXPECT_EQ(r.step_len[size_t(end)], c.marker_len);
            EXPECT_EQ(r.step_off[size_t(end)], c.distance);
        } else {
            EXPECT_EQ(r.step_len[size_t(end)], 0);
        }
        // Nothing but the marker's repeat can be a sequence.
        for (size_t p = 0; p < in.size(); ++p) {
            if (int(p) <= end - c.marker_len || int(p) > end) {
                ASSERT_EQ(r.step_len[p], 0) << p;
            }
        }
    }
}

TEST_P(forward_pass_rows, sequences_stop_at_the_longest_length) {
    const walk_case w = GetParam();
    const bytes in(w.ktb ? 40000 : 1000, 0x55);
    rows r = forward(in, w);
    const int cap = w.ktb ? ktb_variant::max_seq_len : kta_variant::max_seq_len;
    int longest = 0;
    for (int len : r.step_len) longest = std::max(longest, len);
    EXPECT_EQ(longest, cap);
}

// The fast walk compares eight bytes at a time: a copy of the bytes before p broken at each
// distance back from it, with matches that run to position 0 and stop at max_len, must give the
// byte loop's length from every starting length.
TEST(extend_back, words_give_the_byte_loops_length) {
    bytes in(200);
    for (size_t i = 0; i < in.size(); ++i) in[i] = uint8_t(i * 37 + 11);
    const int p = 150, c = 60;
    std::copy(in.begin(), in.begin() + c + 1, in.begin() + (p - c)); // c + 1 bytes match
    for (int brk = 0; brk <= c + 1; ++brk) {
        bytes b = in;
        if (brk <= c) b[size_t(p - brk)] ^= 0x80; // the match is brk bytes long
        for (int max_len : {c + 1, 17, 16, 9})
            for (int len = 0; len <= std::min(brk, max_len); ++len) {
                const int words = extend_back<true>(b.data(), c, p, len, max_len);
                EXPECT_EQ(words, std::min(brk, max_len))
                    << "break at " << brk << ", from " << len << ", max " << max_len;
                EXPECT_EQ(words, extend_back<false>(b.data(), c, p, len, max_len));
            }
    }
}

std::string walk_name(const testing::TestParamInfo<walk_case>& info) {
    return std::string(info.param.ktb ? "ktb" : "kta") + (info.param.plain ? "_plain" : "_fast");
}

INSTANTIATE_TEST_SUITE_P(walks, forward_pass_rows,
                         testing::Values(walk_case{true, false}, walk_case{true, true},
                                         walk_case{false, false}, walk_case{false, true}),
                         walk_name);

} // namespace
