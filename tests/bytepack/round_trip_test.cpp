// Round trips over the corpus that tools/corpus/make_corpus.sh builds and over seeded mixtures of
// runs, copies and noise: every stream depacks to its input, and the fast walk fills exactly
// the tables of the plain walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "forward_pass.h"
#include "forward_pass_plain.h"
#include "pack_support.h"
#include "program_run.h"
#include "scratch_folder.h"
#include "test_corpus.h"
#include "variant.h"
#include "window_walk.h"

namespace {

namespace fs = std::filesystem;

class corpus : public testing::TestWithParam<bool> {};

TEST_P(corpus, depacks_to_its_input) {
    const bool ktb = GetParam();
    ASSERT_GE(corpus_files().size(), 20u);
    for (const corpus_file& f : corpus_files()) {
        SCOPED_TRACE(f.name);
        const bytes& in = f.data;
        ASSERT_GE(in.size(), 1u);
        ASSERT_LE(in.size(), 65536u);
        const packed p = pack_bytes(in, ktb);
        ASSERT_EQ(p.status, 0);
        EXPECT_EQ(p.fig.packed_len, p.fig.data_count + p.fig.overhead_count);
        bytes back;
        EXPECT_TRUE(depack(p.stream, ktb, back));
        EXPECT_TRUE(back == in);
    }
}

// The forward tables the later phases read, and the stretch records, position by position.
void expect_same_tables(const bytes& in, bool ktb) {
    auto fast = fresh_tables();
    auto plain = fresh_tables();
    const int n = int(in.size());
    if (ktb) {
        ASSERT_FALSE(failed(forward_pass<ktb_variant>(*fast, in.data(), n)));
        ASSERT_FALSE(failed(forward_pass_plain<ktb_variant>(*plain, in.data(), n)));
    } else {
        ASSERT_FALSE(failed(forward_pass<kta_variant>(*fast, in.data(), n)));
        ASSERT_FALSE(failed(forward_pass_plain<kta_variant>(*plain, in.data(), n)));
    }
    for (int p = 0; p < n; ++p) {
        ASSERT_EQ(fast->cost[p], plain->cost[p]) << p;
        ASSERT_EQ(fast->step_len[p], plain->step_len[p]) << p;
        if (plain->step_len[p]) {
            ASSERT_EQ(fast->step_off[p], plain->step_off[p]) << p;
        }
        ASSERT_EQ(fast->stretch[p].period, plain->stretch[p].period) << p;
        ASSERT_EQ(fast->stretch[p].period_len, plain->stretch[p].period_len) << p;
    }
    // Both walks examine the same candidates. The fast one leaves out memos that no one reads
    // (where B[c+1] differs from B[p+1]) and those of the candidates it passes over in one
    // step, which it records by offset; so its last memo of a position is never later than
    // the plain walk's, and wherever the plain walk's last one is read, the fast walk wrote
    // the same or passed over that candidate there.
    for (int c = 1; c < n; ++c) {
        const int last = plain->memo[c].memo_pos;
        ASSERT_LE(fast->memo[c].memo_pos, last) << c;
        if (last != 0 && last + 1 < n && in[size_t(c + 1)] == in[size_t(last + 1)]) {
            if (fast->memo[c].memo_pos == last) {
                ASSERT_EQ(fast->memo[c].memo_len, plain->memo[c].memo_len) << c;
            } else {
                ASSERT_GE(last - c, fast->jump_lo[last]) << c;
                ASSERT_LE(last - c, fast->jump_hi[last]) << c;
            }
        }
    }
}

TEST_P(corpus, fast_walk_equals_plain_walk) {
    for (const corpus_file& f : corpus_files()) {
        SCOPED_TRACE(f.name);
        expect_same_tables(f.data, GetParam());
    }
}

// Runs, copies from random distances (some overlapping) and noise, mixed at random.
bytes mixture(std::mt19937& rng, size_t n) {
    bytes b;
    const uint32_t symbols = 2 + rng() % 255;
    while (b.size() < n) {
        const size_t len = 1 + rng() % 80;
        switch (rng() % 4) {
        case 0: b.insert(b.end(), len, uint8_t(rng() % symbols)); break;
        case 1:
            if (!b.empty()) {
                const size_t dist = 1 + rng() % std::min<size_t>(b.size(), rng() % 2 ? 300 : 40000);
                for (size_t k = 0; k < len; ++k) b.push_back(b[b.size() - dist]);
                break;
            }
            [[fallthrough]];
        default:
            for (size_t k = 0; k < len; ++k) b.push_back(uint8_t(rng() % symbols));
        }
    }
    b.resize(n);
    return b;
}

TEST_P(corpus, seeded_mixtures) {
    const bool ktb = GetParam();
    std::mt19937 rng(ktb ? 1234 : 4321);
    for (int i = 0; i < 120; ++i) {
        const size_t n = 1 + rng() % (i % 10 == 0 ? 65536 : 3000);
        const bytes in = mixture(rng, n);
        SCOPED_TRACE(testing::Message() << "mixture " << i << " of " << n << " bytes");
        expect_same_tables(in, ktb);
        const packed p = pack_bytes(in, ktb);
        ASSERT_EQ(p.status, 0);
        bytes back;
        EXPECT_TRUE(depack(p.stream, ktb, back));
        ASSERT_TRUE(back == in);
    }
}

// Shapes that drive the fast walk's shortcuts to their edges: zero runs around 64 bytes (the
// length at which a KTB sequence grows a byte) and past the longest length, short alphabets
// (lengths 2 to 5 from the bytes before the pair, near and far offsets), runs of periods
// 1 to 3 broken by noise (the repeat shortcut at offsets 1 and 2), and runs of longer periods
// (the jump through runs, period_jump.h). The last two shapes come twice, with other periods.
struct shape {
    const char* name;
    bytes (*make)(std::mt19937& rng);
};

bytes sparse_runs(std::mt19937& rng) {
    bytes b;
    while (b.size() < 20000) {
        b.insert(b.end(), 56 + rng() % 16, uint8_t(0));
        b.push_back(uint8_t(1 + rng() % 255));
    }
    return b;
}

bytes small_alphabet(std::mt19937& rng) {
    bytes b(12000);
    for (size_t k = 0; k < b.size(); ++k) b[k] = uint8_t(rng() % (k < 6000 ? 2 : 3));
    return b;
}

bytes short_periods(std::mt19937& rng) {
    bytes b;
    while (b.size() < 12000) {
        const size_t q = 1 + rng() % 3;
        const size_t len = 3 + rng() % 40;
        const size_t from = b.size();
        for (size_t k = 0; k < len; ++k) b.push_back(k < q ? uint8_t(rng() % 3) : b[from + k - q]);
        if (rng() % 2) b.push_back(uint8_t(rng() % 3));
    }
    return b;
}

bytes long_runs(std::mt19937& rng) {
    bytes b(20000, 7);
    for (int k = 0; k < 20; ++k) b.push_back(uint8_t(rng()));
    b.insert(b.end(), 18000, uint8_t(7));
    return b;
}

// Runs of one period from 2 to 16 after one of two break bytes, in three lengths: the jump
// through runs meets runs as long as p's, whose match goes on past them.
bytes tied_period_runs(std::mt19937& rng) {
    const size_t q = 2 + rng() % 15;
    bytes b;
    while (b.size() < 16000) {
        b.push_back(uint8_t(0xF0 + rng() % 2));
        const size_t len = size_t(24) << (rng() % 3);
        for (size_t k = 0; k < len; ++k) b.push_back(uint8_t(k % q));
    }
    return b;
}

// A period of 6 to 16 from the first byte on, broken a few times: runs longer than the
// longest sequence, and candidates whose match reaches the start of the input.
bytes long_period_runs(std::mt19937& rng) {
    const size_t q = 6 + rng() % 11;
    bytes b(24000);
    for (size_t k = 0; k < b.size(); ++k) b[k] = uint8_t(k % q * 17);
    for (int k = 0; k < 4; ++k) b[rng() % b.size()] = uint8_t(rng());
    return b;
}

// A period of 11 to 16 with one byte in 10 or 30 changed to one of four values: most
// candidates that match the bytes before p tie with the nearest at one period's length, and the
// jumps pass over them; a change that recurs makes a few longer or shorter among them.
bytes period_noise_ties(std::mt19937& rng) {
    const size_t q = 11 + rng() % 6;
    const unsigned every = rng() % 2 ? 10 : 30;
    bytes pattern(q);
    for (auto& x : pattern) x = uint8_t(rng());
    bytes b(20000);
    for (size_t k = 0; k < b.size(); ++k)
        b[k] = rng() % every == 0 ? uint8_t(rng() % 4) : pattern[k % q];
    return b;
}

// Two symbols, the second at 3 or 50 percent: the bytes before p are made of four pairs, and
// the jumps find the longer candidates through the lists of 8- and 16-byte strings.
bytes two_symbols_sparse(std::mt19937& rng) {
    bytes b(16000);
    for (auto& x : b) x = uint8_t(rng() % 100 < 3 ? 0x55 : 0xAA);
    return b;
}

bytes two_symbols_even(std::mt19937& rng) {
    bytes b(16000);
    for (auto& x : b) x = uint8_t(rng() % 2 ? 0x55 : 0xAA);
    return b;
}

// Stretches of short periods with noise from a small alphabet, where KTA's window is crowded,
// between random bytes: the window walk takes over (from the first positions on) and hands
// back again and again.
// One stretch of a period of 1 to 4 drawn from the first symbols, one byte in every changed.
void push_noisy_period(bytes& b, std::mt19937& rng, unsigned symbols, size_t least, size_t spread,
                       unsigned every) {
    bytes pattern(1 + rng() % 4);
    for (auto& x : pattern) x = uint8_t(rng() % symbols);
    const size_t len = least + rng() % spread;
    for (size_t k = 0; k < len; ++k)
        b.push_back(rng() % every == 0 ? uint8_t(rng() % symbols) : pattern[k % pattern.size()]);
}

bytes crowded_and_sparse(std::mt19937& rng) {
    bytes b;
    while (b.size() < 30000) {
        push_noisy_period(b, rng, 4, 500, 3000, 12);
        const size_t gap = 300 + rng() % 1500;
        for (size_t k = 0; k < gap; ++k) b.push_back(uint8_t(rng()));
    }
    return b;
}

// Two symbols in periods of 1 to 4 with one byte in 400 changed: KTA's window is crowded and
// its candidates' matches run far past the lengths the window keeps (window_cap).
bytes crowded_long_matches(std::mt19937& rng) {
    bytes b;
    while (b.size() < 20000) push_noisy_period(b, rng, 2, 1000, 2000, 400);
    return b;
}

// A block of 253 to 257 two-symbol bytes repeated with one byte in 20 changed: the nearest
// long candidates lie at the window's last offsets or just past them.
bytes crowded_window_edge(std::mt19937& rng) {
    bytes block(253 + rng() % 5);
    for (auto& x : block) x = uint8_t(rng() % 2);
    bytes b(20000);
    for (size_t k = 0; k < b.size(); ++k)
        b[k] = rng() % 20 == 0 ? uint8_t(rng() % 2) : block[k % block.size()];
    return b;
}

TEST(kta_window, takes_over_and_hands_back_with_the_plain_walks_tables) {
    std::mt19937 rng(2024);
    for (int i = 0; i < 4; ++i) {
        const bytes in = crowded_and_sparse(rng);
        SCOPED_TRACE(testing::Message() << "input " << i);
        expect_same_tables(in, false);
        // The window walk's positions are those examined at every offset without memos.
        auto t = fresh_tables();
        ASSERT_FALSE(failed(forward_pass<kta_variant>(*t, in.data(), int(in.size()))));
        int entered = 0, left = 0;
        bool before = false;
        for (size_t p = 1; p < in.size(); ++p) {
            const bool now = t->jump_lo[p] == 1 && t->jump_hi[p] == kta_variant::max_offset;
            entered += now && !before;
            left += before && !now;
            before = now;
        }
        EXPECT_GE(entered, 4);
        EXPECT_GE(left, 4);
    }
}

// A period of 10 to 13 bytes drawn from all values, one byte in every drawn again: after each
// noise byte a burst of crowded positions (a candidate at each multiple of the period), then
// a calm stretch.
bytes noisy_long_period(std::mt19937& rng, size_t n, unsigned every) {
    bytes pattern(10 + rng() % 4);
    for (auto& x : pattern) x = uint8_t(rng());
    bytes b(n);
    for (size_t k = 0; k < n; ++k)
        b[k] = rng() % every == 0 ? uint8_t(rng()) : pattern[k % pattern.size()];
    return b;
}

// Where the noise comes every 30 to 100 bytes, the window goes on through the calm stretches
// (window_walk.h): taken over a few times, it walks nearly every position (a quarter of them
// went to the usual walk, in some 30 to 50 hand-backs, before it did so). Where it comes every
// 1000 bytes, it takes over in most bursts, whose candidates mostly need the usual walk's full
// visit, and still hands back after each (some 200 positions a burst; it walked 4 bursts, 526
// positions, before it took over on full visits). Both with the plain walk's tables.
TEST(kta_window, stays_on_between_bursts_of_sparse_noise) {
    struct case_row {
        const char* name;
        unsigned every;
        int least_entries, most_entries; // times the window takes over
        double least_share, most_share;  // of the positions it walks
    };
    const case_row rows[] = {
        {"one byte in 30", 30, 1, 12, 0.9, 1.0},
        {"one byte in 60", 60, 1, 16, 0.9, 1.0},
        {"one byte in 1000", 1000, 2, 100, 0.0, 0.25},
    };
    std::mt19937 rng(61);
    for (const case_row& row : rows) {
        SCOPED_TRACE(row.name);
        const bytes in = noisy_long_period(rng, 40000, row.every);
        expect_same_tables(in, false);
        auto t = fresh_tables();
        ASSERT_FALSE(failed(forward_pass<kta_variant>(*t, in.data(), int(in.size()))));
        int entered = 0;
        size_t walked = 0;
        bool before = false;
        for (size_t p = 1; p < in.size(); ++p) {
            const bool now = t->jump_lo[p] == 1 && t->jump_hi[p] == kta_variant::max_offset;
            entered += now && !before;
            walked += now;
            before = now;
        }
        EXPECT_GE(entered, row.least_entries);
        EXPECT_LE(entered, row.most_entries);
        EXPECT_GE(double(walked), row.least_share * double(in.size()));
        EXPECT_LE(double(walked), row.most_share * double(in.size()));
    }
}

// The crowded edge shapes below reach the window walk only while it takes over where they
// are crowded; a fifth of their positions at least.
TEST(kta_window, walks_the_crowded_edge_shapes) {
    std::mt19937 rng(7);
    for (auto make : {crowded_long_matches, crowded_window_edge}) {
        const bytes in = make(rng);
        auto t = fresh_tables();
        ASSERT_FALSE(failed(forward_pass<kta_variant>(*t, in.data(), int(in.size()))));
        size_t in_window = 0;
        for (size_t p = 1; p < in.size(); ++p)
            in_window += t->jump_lo[p] == 1 && t->jump_hi[p] == kta_variant::max_offset;
        EXPECT_GT(in_window, in.size() / 5);
    }
}

// Two byte values, the second at percent in 100, in stretches of a period (1 = none) of which one
// byte in every is drawn again.
bytes two_values(std::mt19937& rng, size_t n, unsigned percent, size_t period, unsigned every) {
    bytes pattern(period);
    for (auto& x : pattern) x = uint8_t(rng() % 100 < percent ? 0x2A : 0x91);
    bytes b(n);
    for (size_t k = 0; k < n; ++k)
        b[k] = period == 1 || rng() % every == 0 ? uint8_t(rng() % 100 < percent ? 0x2A : 0x91)
                                                 : pattern[k % period];
    return b;
}

// KTB's walk over two byte values: from the nearest candidate at offset sym_near on, the tables
// of two_symbol_lists.h settle the candidates (the exact lengths' nearest, the longer ones by
// their chain, stretches of periods up to 7 passed on), with the usual walk before and after
// them and where they can't answer (runs longer than their lengths); where the long
// candidates are too many, p's run and theirs settle them, also where the nearest longer run
// reached p's length before the tables' first position (a long run first). Past the largest
// offset the walk ends inside them. A third value keeps them out.
TEST(ktb_two_symbols, walks_with_the_plain_walks_tables) {
    struct case_row {
        const char* name;
        size_t n;
        unsigned percent, period, every;
        size_t lead; // a run of the first value first, then one of the second (0: none)
        bool two;    // made of two values
    };
    const case_row rows[] = {
        {"half and half, past the largest offset", 36000, 50, 1, 1, 0, true},
        {"a quarter", 20000, 25, 1, 1, 0, true},
        {"one in ten, runs longer than the tables' lengths", 20000, 10, 1, 1, 0, true},
        {"three in a hundred, long candidates past the budget, settled by runs", 20000, 3, 1, 1, 0,
         true},
        {"one in a hundred: runs of a hundred bytes and more, whose own long candidates take way B",
         30000, 1, 1, 1, 0, true},
        {"two in a hundred, 40000 bytes", 40000, 2, 1, 1, 0, true},
        {"periods of 3 to 7 with one in 6 drawn again", 20000, 50, 0, 6, 0, true},
        {"a long run, one other value, the run again", 14000, 0, 1, 1, 12000, true},
        {"a long run, then one in ten", 20000, 10, 1, 1, 600, true},
        {"a third value at the end", 20000, 50, 1, 1, 0, false},
    };
    std::mt19937 rng(31);
    for (const case_row& row : rows) {
        SCOPED_TRACE(row.name);
        const size_t period = row.period != 0 ? row.period : 3 + rng() % 5;
        bytes in = two_values(rng, row.n, row.percent, period, row.every);
        if (row.lead != 0) {
            std::fill(in.begin(), in.begin() + std::ptrdiff_t(row.lead), uint8_t(0x91));
            in[row.lead] = 0x2A;
        }
        if (!row.two) in.back() = 0x00;
        expect_same_tables(in, true);
        auto t = fresh_tables();
        ASSERT_FALSE(failed(forward_pass<ktb_variant>(*t, in.data(), int(in.size()))));
        EXPECT_EQ(t->sym_state, row.two ? 1 : 2);
        // Positions whose walk passed over candidates from about offset sym_near on.
        size_t from_near = 0;
        for (size_t p = 1; p < in.size(); ++p)
            from_near += t->jump_hi[p] >= t->jump_lo[p] && t->jump_lo[p] >= sym_near &&
                         t->jump_lo[p] < sym_near + 16;
        // (Not in one long run, which way A walks.)
        if (row.two && row.percent != 0) {
            EXPECT_GT(from_near, in.size() / 4);
        }
    }
}

// A long input whose first positions are crowded starts in the window walk (window_starts):
// where it stays crowded the window walks every position and neither the pairs' chain nor
// their lists (both in pair_slot) are ever built; where the crowd ends, the window hands back
// within some 150 positions and its patience (window_start_patience) to the walk along the
// chain. Random bytes, an exact period (way A's) and a short input start on the chain. Each
// with the plain walk's tables.
TEST(kta_window, starts_crowded_inputs_in_the_window) {
    struct case_row {
        const char* name;
        bytes (*make)(std::mt19937&, size_t);
        size_t n;
        bool starts, whole; // walks position 1, walks every position
    };
    const auto noisy_10 = [](std::mt19937& rng, size_t n) { return noisy_long_period(rng, n, 10); };
    const auto two_values_even = [](std::mt19937& rng, size_t n) {
        return two_values(rng, n, 50, 1, 1);
    };
    const auto two_values_then_random = [](std::mt19937& rng, size_t n) {
        bytes b = two_values(rng, n, 50, 1, 1);
        for (size_t k = 256; k < n; ++k) b[k] = uint8_t(rng());
        return b;
    };
    const auto random_bytes = [](std::mt19937& rng, size_t n) {
        bytes b(n);
        for (auto& x : b) x = uint8_t(rng());
        return b;
    };
    const auto period_7 = [](std::mt19937& rng, size_t n) {
        bytes pattern(7), b(n);
        for (auto& x : pattern) x = uint8_t(rng());
        for (size_t k = 0; k < n; ++k) b[k] = pattern[k % 7];
        return b;
    };
    const case_row rows[] = {
        {"a period of 10 to 13 with one byte in 10 drawn again", noisy_10, 20000, true, true},
        {"two byte values, half and half", two_values_even, 20000, true, true},
        {"two byte values for 256 bytes, then random bytes", two_values_then_random, 20000, true,
         false},
        {"random bytes", random_bytes, 20000, false, false},
        {"a period of 7 repeated exactly", period_7, 20000, false, false},
        {"a short input", noisy_10, window_start_length - 1, false, false},
    };
    std::mt19937 rng(67);
    for (const case_row& row : rows) {
        SCOPED_TRACE(row.name);
        const bytes in = row.make(rng, row.n);
        EXPECT_EQ(window_starts(in.data(), int(in.size())), row.starts);
        expect_same_tables(in, false);
        auto t = fresh_tables();
        ASSERT_FALSE(failed(forward_pass<kta_variant>(*t, in.data(), int(in.size()))));
        size_t walked = 0, first_out = 0;
        for (size_t p = 1; p < in.size(); ++p) {
            const bool now = t->jump_lo[p] == 1 && t->jump_hi[p] == kta_variant::max_offset;
            walked += now;
            if (!now && first_out == 0) first_out = p;
        }
        const bool lists = std::any_of(t->pair_slot + 1, t->pair_slot + in.size(),
                                       [](uint16_t slot) { return slot != 0; });
        EXPECT_EQ(first_out != 1, row.starts);
        EXPECT_EQ(walked == in.size() - 1, row.whole);
        EXPECT_EQ(lists, !row.whole);
        if (row.starts && !row.whole) {
            EXPECT_GE(first_out, 256u);
            EXPECT_LE(first_out, 406u + window_start_patience);
        }
    }
}

// Where the processor has AVX2 the window's passes take 32 offsets at a time; the crowded
// shapes again with the 16-offset passes that other processors take, with the long runs'
// matches past the longest length. The noisy periods are walked whole by the window, nearly
// every position settled from its pass (the longest length and the stretch passed on, each at
// its nearest offset, from keys of 16 bits).
TEST(kta_window, narrow_passes_give_the_plain_walks_tables) {
    struct restore_wide {
        ~restore_wide() { allow_wide_window_passes(true); }
    } restore;
    allow_wide_window_passes(false);
    std::mt19937 rng(5);
    for (auto make : {crowded_and_sparse, crowded_long_matches, crowded_window_edge, short_periods,
                      two_symbols_even, long_runs})
        expect_same_tables(make(rng), false);
    for (unsigned every : {10u, 30u}) {
        SCOPED_TRACE(every);
        expect_same_tables(noisy_long_period(rng, 30000, every), false);
    }
}

// KtaPack walks along each pair's chain until its walks have examined default_chain_budget
// candidates per position beyond the first, the window taking the crowded stretches; only then
// does it build the pair lists (pair_pos, which nothing else writes). Each shape with the plain
// walk's tables at that budget, at 1, and at 0, where the lists come with the first walk that
// goes past way A's candidate (unless the window, started at the first position, walks all).
TEST(kta_chain, builds_the_lists_only_past_its_budget_with_the_plain_walks_tables) {
    struct case_row {
        const char* name;
        bytes (*make)(std::mt19937&);
        int lists_below; // the lists are built at the budgets below this
    };
    const case_row rows[] = {
        {"a period of 10 to 13 with one byte in 1000 drawn again",
         [](std::mt19937& rng) { return noisy_long_period(rng, 30000, 1000); }, 1},
        {"a period of 10 to 13 with one byte in 30 drawn again",
         [](std::mt19937& rng) { return noisy_long_period(rng, 30000, 30); }, 0},
        {"runs, copies and noise", [](std::mt19937& rng) { return mixture(rng, 30000); }, 1},
        {"crowded stretches between random bytes", crowded_and_sparse, 1},
        {"a period of 6 to 16 from the start, broken a few times", long_period_runs, 1},
        {"10 values at random: a candidate every 100 bytes, too few for the window",
         [](std::mt19937& rng) {
             bytes b(20000);
             for (auto& x : b) x = uint8_t(rng() % 10);
             return b;
         },
         2},
    };
    struct restore_budget {
        ~restore_budget() { set_chain_budget(default_chain_budget); }
    } restore;
    std::mt19937 rng(83);
    for (const case_row& row : rows) {
        SCOPED_TRACE(row.name);
        const bytes in = row.make(rng);
        for (const int budget : {default_chain_budget, 1, 0}) {
            SCOPED_TRACE(budget);
            set_chain_budget(budget);
            expect_same_tables(in, false);
            auto t = fresh_tables();
            ASSERT_FALSE(failed(forward_pass<kta_variant>(*t, in.data(), int(in.size()))));
            const bool lists = std::any_of(t->pair_pos + 1, t->pair_pos + in.size(),
                                           [](uint64_t e) { return e != 0; });
            EXPECT_EQ(lists, budget < row.lists_below);
        }
    }
}

TEST_P(corpus, fast_walk_equals_plain_walk_on_edge_shapes) {
    const shape shapes[] = {
        {"sparse runs of 56 to 71 zeros", sparse_runs},
        {"two and three symbols", small_alphabet},
        {"periods 1 to 3 broken by noise", short_periods},
        {"runs longer than the longest sequence", long_runs},
        {"runs of a period as long as each other", tied_period_runs},
        {"runs of a period 6 to 16 from the start", long_period_runs},
        {"runs of a period as long as each other", tied_period_runs},
        {"runs of a period 6 to 16 from the start", long_period_runs},
        {"a period of 11 to 16 with changes", period_noise_ties},
        {"a period of 11 to 16 with changes", period_noise_ties},
        {"two symbols, 3 percent of the second", two_symbols_sparse},
        {"two symbols, half and half", two_symbols_even},
        {"crowded stretches between random bytes", crowded_and_sparse},
        {"crowded, with matches past the window's lengths", crowded_long_matches},
        {"crowded, with candidates at the window's edge", crowded_window_edge},
        {"crowded, with candidates at the window's edge", crowded_window_edge},
    };
    std::mt19937 rng(99);
    for (const shape& s : shapes) {
        SCOPED_TRACE(s.name);
        expect_same_tables(s.make(rng), GetParam());
    }
}

// The generated family where the walk has the most candidates to pass over: short periods
// with sparse changes, two-symbol mixes, runs broken at fixed distances. Each file against the
// plain walk, cut where the plain walk is slow (KTB's window holds up to 32767 candidates).
struct family_cut {
    const char* prefix; // of the file names it applies to
    int ktb_len;
    int kta_len;
};

const family_cut family_cuts[] = {
    {"fam_period_1_", 8192, 65536},         {"fam_period_2_", 8192, 65536},
    {"fam_period_3_", 12288, 65536},        {"fam_period_", 16384, 65536},
    {"fam_two_symbols_", 12288, 65536},     {"fam_run_broken_256", 8192, 65536},
    {"fam_run_broken_32767", 40000, 65536},
};

TEST_P(corpus, family_fast_walk_equals_plain_walk) {
    const bool ktb = GetParam();
    scratch_folder fam;
    const run_result r =
        run_program({std::string(MAKE_SYNTHETIC_PATH), "--family", fam.path.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<fs::path> list;
    for (const auto& e : fs::directory_iterator(fam.path)) list.push_back(e.path());
    std::sort(list.begin(), list.end());
    ASSERT_EQ(list.size(), 86u);
    int passed_over = 0; // positions whose walk passed over candidates in one step
    for (const auto& f : list) {
        const std::string name = f.filename().string();
        SCOPED_TRACE(name);
        const family_cut* cut = nullptr;
        for (const family_cut& c : family_cuts)
            if (name.rfind(c.prefix, 0) == 0) {
                cut = &c;
                break;
            }
        ASSERT_NE(cut, nullptr);
        bytes in = read_bytes(f);
        ASSERT_EQ(in.size(), 65536u);
        in.resize(size_t(ktb ? cut->ktb_len : cut->kta_len));
        expect_same_tables(in, ktb);
        auto t = fresh_tables();
        ASSERT_FALSE(failed(ktb ? forward_pass<ktb_variant>(*t, in.data(), int(in.size()))
                                : forward_pass<kta_variant>(*t, in.data(), int(in.size()))));
        for (size_t p = 0; p < in.size(); ++p)
            passed_over += t->jump_hi[p] >= t->jump_lo[p] && t->jump_lo[p] != 0;
    }
    // KTB's walk passes over candidates on this family, and KTA's window walk takes most of
    // its positions.
    EXPECT_GT(passed_over, ktb ? 10000 : 1000000);
}

INSTANTIATE_TEST_SUITE_P(variants, corpus, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "ktb" : "kta");
                         });

} // namespace
