// The jump tables' answers against the bytes themselves: the runs of a period against byte
// comparison, the rarest pair of a range against every pair's count in it, and the least cost
// of a range against the costs.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

#include "candidate_jump.h"
#include "pack_support.h"
#include "pair_lists.h"
#include "period_jump.h"
#include "two_symbol_lists.h"
#include "variant.h"

namespace {

// Period q of 1 to 7 bytes, a noise byte every `every` (so that runs break and start again).
bytes periodic_with_noise(int n, int every = 37) {
    bytes in(static_cast<size_t>(n));
    uint32_t seed = 12345;
    for (int j = 0; j < n; ++j) {
        seed = seed * 1103515245u + 12345u;
        in[size_t(j)] =
            j % every == every - 1 ? uint8_t(seed >> 16) : uint8_t("abcabdaefg"[j % 7 % 5]);
    }
    return in;
}

bool equal_back(const bytes& b, int p, int q, int m) {
    if (p - q - m + 1 < 0) return false;
    for (int k = 0; k < m; ++k)
        if (b[size_t(p - k)] != b[size_t(p - k - q)]) return false;
    return true;
}

// The search of a list from a finger finds what the search of the whole range finds: the
// first entry at a position, the end where none is, whatever the finger (below, inside,
// beyond the range, at its ends) and however far the answer lies from it.
TEST(jump_tables, search_from_a_finger_finds_the_first_entry_at_a_position) {
    std::vector<uint64_t> list;
    for (int c = 3; list.size() < 300; c += 1 + int(list.size() % 7)) list.push_back(uint64_t(c));
    struct case_row {
        const char* name;
        int lo, hi;
    };
    const case_row rows[] = {
        {"the whole list", 0, 299},
        {"a middle part", 40, 170},
        {"one entry", 77, 77},
        {"none", 120, 119},
    };
    for (const case_row& row : rows) {
        SCOPED_TRACE(row.name);
        for (int x = 0; x <= int(list.back()) + 2; ++x) {
            int want = row.lo;
            while (want <= row.hi && entry_pos(list[size_t(want)]) < x) ++want;
            for (const int finger :
                 {row.lo - 5, row.lo, row.lo + 1, (row.lo + row.hi) / 2, row.hi, row.hi + 1, 400})
                ASSERT_EQ(first_at_least_from(list.data(), row.lo, row.hi, x, finger), want)
                    << "x " << x << " finger " << finger;
        }
    }
}

// Each period's runs, once built, give the answer byte comparison gives, at every position and
// for every length (including none and more than the input holds).
TEST(jump_tables, period_runs_answer_as_the_bytes_do) {
    const bytes in = periodic_with_noise(300);
    const int n = int(in.size());
    auto bare = fresh_tables();
    auto runs = fresh_tables();
    for (int q = 1; q <= max_jump_period; ++q) build_period_run(*runs, in.data(), n, q);
    for (int q = 1; q <= max_jump_period; ++q)
        for (int p = 0; p < n; ++p)
            for (int m = -1; m <= 45; ++m) {
                const bool want = equal_back(in, p, q, m);
                ASSERT_EQ(matches_itself(*bare, in.data(), p, q, m), want)
                    << p << " " << q << " " << m;
                ASSERT_EQ(matches_itself(*runs, in.data(), p, q, m), want)
                    << p << " " << q << " " << m;
            }
}

// The rarest pair of any range is the first one whose count no other pair in the range
// undercuts, for ranges read from two entries and for the longer ones read from more.
TEST(jump_tables, rarest_pair_of_a_range_has_the_least_count) {
    // Sparse noise puts the rarest pairs of long ranges far from their ends.
    for (const auto& [n, every] : {std::pair{700, 37}, std::pair{6000, 1499}}) {
        const bytes in = periodic_with_noise(n, every);
        auto t = fresh_tables();
        build_pair_lists(*t, in.data(), n);
        prepare_jump_tables(*t, in.data(), n);
        for (int a = 1; a < n; a += n / 100)
            for (int z = a; z < n; z += 1 + (z - a) / 3) {
                int first = a;
                for (int k = a; k <= z; ++k)
                    if (pair_count(*t, in.data(), k, n) < pair_count(*t, in.data(), first, n))
                        first = k;
                ASSERT_EQ(rarest_pair_at(*t, a, z), first) << a << ".." << z;
            }
    }
}

// The pairs' lists hold every position once, grouped by pair in key order and ascending within
// a pair, with each pair's first index and each position's index, on runs (one pair from one
// position to the next), runs broken by other bytes, periods and the shortest inputs.
TEST(jump_tables, pair_lists_group_every_position_by_its_pair) {
    bytes run(3000, 7), broken(3000, 0), mixed = periodic_with_noise(2000, 5);
    for (size_t j = 500; j < broken.size(); j += 700) broken[j] = broken[j + 1] = 9;
    for (const bytes& in : {run, broken, mixed, bytes{1}, bytes{4, 4}, bytes{1, 2, 1, 2, 1}}) {
        const int n = int(in.size());
        auto t = fresh_tables();
        build_pair_lists(*t, in.data(), n);
        std::vector<std::pair<int, int>> want; // (pair, position), in list order
        for (int p = 1; p < n; ++p) want.emplace_back(pair_key(in.data(), p), p);
        std::sort(want.begin(), want.end());
        for (size_t k = 0; k < want.size(); ++k) {
            const auto [key, p] = want[k];
            ASSERT_EQ(entry_pos(t->pair_pos[k]), p) << "entry " << k << " of " << n;
            ASSERT_EQ(t->pair_slot[p], k) << "position " << p << " of " << n;
            if (k == 0 || want[k - 1].first != key) {
                ASSERT_EQ(t->pair_first[key], k) << "pair " << key << " of " << n;
            }
        }
    }
}

// The cost minima, filled in uneven steps as the parse moves on, give each range's least cost,
// for ranges of one position to the whole filled part (every level of the table).
TEST(jump_tables, least_cost_of_a_range_is_the_least_cost_in_it) {
    auto t = fresh_tables();
    uint32_t seed = 777;
    const int n = 5000;
    for (int j = 0; j < n; ++j) {
        seed = seed * 1103515245u + 12345u;
        t->cost[j] = int(seed >> 16 & 0x7FFF); // the least anywhere in a range
    }
    for (int upto = 1; upto <= n; upto += 1 + upto / 2) {
        fill_cost_minima(*t, upto);
        for (int z = upto - 1; z >= 0 && z >= upto - 40; --z)
            for (int a = z, step = 1; a >= 0; a -= step, step += step / 2 + 1) {
                const int least = *std::min_element(t->cost + a, t->cost + z + 1);
                ASSERT_EQ(least_cost(*t, a, z), least) << a << ".." << z << " filled " << upto;
            }
    }
}

} // namespace

// The two-symbol walk's long candidates look at their stretch through the entry beside their
// list entry: below 48 bytes it must decide as the stretch itself does, at every period (none,
// within the byte, too long for such a match), length (within the byte and past it) and excess.
TEST(jump_tables, long_candidates_see_their_stretch_as_it_is) {
    const int periods[] = {0, 1, 2, 7, 8, 23, 24, 127, 128, 255, 300, 16383};
    const int lengths[] = {0, 2, 3, 5, 15, 16, 17, 46, 47, 48, 100, 254, 255, 256, 1000, 32765};
    int passed = 0;
    for (const int q : periods)
        for (const int m : lengths) {
            const stretch_rec s{uint16_t(q), uint16_t(m)};
            const uint16_t seen = sym_long_stretch(s);
            for (int len = 2; len < sym_long_known; ++len)
                for (int excess = 0; excess <= sym_long_known; ++excess) {
                    const bool passes = passes_on_stretch(s, len, excess);
                    EXPECT_EQ(sym_long_passes_on(seen, len, excess), passes)
                        << "period " << q << " length " << m << " match " << len << " excess "
                        << excess;
                    passed += passes;
                }
        }
    // Some of them do pass one on, so that both answers are looked at.
    EXPECT_GT(passed, 1000);
}

// The runs' lists of the two-symbol walk against the symbols: every position whose run of one
// value is listed lies in the list of its value and run length, once, ascending, with the 48
// symbols before its run as the bits of the input give them (none where the run starts it).
TEST(jump_tables, run_lists_hold_each_run_with_the_symbols_before_it) {
    struct case_row {
        const char* name;
        unsigned percent; // of the second value
        int first_run;    // of the first value, from the input's start
    };
    const case_row rows[] = {
        {"three in a hundred, runs past the listed lengths", 3, 300},
        {"one in ten, a listed run at the start", 10, 40},
        {"one in five, few runs listed", 20, 1},
    };
    for (const case_row& row : rows) {
        SCOPED_TRACE(row.name);
        const int n = 40000;
        bytes in(size_t(n), 0x91);
        uint32_t seed = 77;
        for (int j = row.first_run; j < n; ++j) {
            seed = seed * 1103515245u + 12345u;
            if ((seed >> 16) % 100 < row.percent) in[size_t(j)] = 0x2A;
        }
        auto t = fresh_tables();
        ASSERT_TRUE(two_symbols(*t, in.data(), n));
        build_sym_long_lists(*t, n);
        std::vector<int> seen(size_t(n), 0);
        int listed = 0;
        for (int sym = 0; sym < 2; ++sym)
            for (int r = sym_exact_max + 1; r <= sym_exact_max + sym_run_lengths; ++r) {
                const int key = sym_run_key(sym, r);
                int last = -1;
                for (uint32_t k = t->sym_run_first[key]; k < t->sym_run_first[key + 1]; ++k) {
                    const uint64_t e = t->sym_run_pos[k];
                    const int j = entry_pos(e);
                    ASSERT_GT(j, last);
                    last = j;
                    ++seen[size_t(j)];
                    ++listed;
                    EXPECT_EQ(t->sym_run_slot[j], k);
                    // The run: r equal values ending at j, the other value (or the start) before.
                    EXPECT_EQ(int(in[size_t(j)] == 0x2A), sym);
                    for (int i = j - r + 1; i <= j; ++i) ASSERT_EQ(in[size_t(i)], in[size_t(j)]);
                    ASSERT_TRUE(j - r < 0 || in[size_t(j - r)] != in[size_t(j)]);
                    uint64_t before = 0;
                    for (int i = 0; i < sym_long_known && j - r - i >= 0; ++i)
                        before |= uint64_t(in[size_t(j - r - i)] == 0x2A) << i;
                    EXPECT_EQ(sym_long_bits(e), before) << "position " << j;
                }
            }
        for (int j = 0; j < n; ++j)
            EXPECT_EQ(seen[size_t(j)], int(sym_run_listed(t->sym_run[j]))) << "position " << j;
        EXPECT_GT(listed, 100);
    }
}

// The two-symbol stretch tables against the stretches themselves: per period up to
// sym_period_max, length from two periods + 1 up to sym_stretch_max and last symbols of the
// period, the last position entered with a stretch of that period, at least that long, ending
// in those symbols (0 where none is). Stretches of every period and of lengths short of,
// around and past the tables' longest, on inputs entered whole and in two steps.
TEST(jump_tables, stretch_tables_hold_the_last_stretch_of_each_period_and_length) {
    struct case_row {
        const char* name;
        unsigned percent;  // of the second value
        int longest;       // stretch lengths drawn up to this
        int first_entered; // entered up to here first, then the rest
    };
    const case_row rows[] = {
        {"one in ten, short stretches", 10, 20, 0},
        {"one in three, stretches past the tables", 33, 80, 0},
        {"half and half, entered in two steps", 50, 60, 5000},
    };
    for (const case_row& row : rows) {
        SCOPED_TRACE(row.name);
        const int n = 12000;
        bytes in(size_t(n), 0x11);
        uint32_t seed = 4242;
        const auto next = [&] {
            seed = seed * 1103515245u + 12345u;
            return seed >> 16;
        };
        for (int j = 0; j < n; ++j)
            if (next() % 100 < row.percent) in[size_t(j)] = 0xE0;
        auto t = fresh_tables();
        ASSERT_TRUE(two_symbols(*t, in.data(), n));
        // Periods up to two past the tables' (those are not entered), lengths above two periods.
        for (int j = 0; j < n; ++j) {
            const int q = int(next() % (sym_period_max + 3));
            const int len = 2 * q + 1 + int(next() % unsigned(row.longest));
            t->stretch[j] = q == 0 ? stretch_rec{0, 0} : stretch_rec{uint16_t(q), uint16_t(len)};
        }
        if (row.first_entered > 0) enter_symbols(*t, row.first_entered);
        enter_symbols(*t, n - 1);
        int found = 0;
        for (int q = 1; q <= sym_period_max; ++q)
            for (int m = 2 * q + 1; m <= sym_stretch_max; ++m)
                for (uint32_t key = 0; key < 1u << q; ++key) {
                    int want = 0;
                    for (int j = 0; j < n; ++j)
                        if (t->stretch[j].period == q && t->stretch[j].period_len >= m &&
                            (t->sym_bits[j] & ((1u << q) - 1)) == key)
                            want = j;
                    ASSERT_EQ(t->sym_stretch[q][m][key], want) << q << " " << m << " " << key;
                    found += want != 0;
                }
        EXPECT_GT(found, 1000);
    }
}

// Where p's last 48 symbols allow no stretch under 48 bytes beyond the one kept, the two-symbol
// walk looks only for the longest candidate: a run, two values in turn and a period of 23 allow
// one up to 47 symbols; a word with no three-fold repeat (the first symbols of the Thue-Morse
// sequence) allows none.
TEST(jump_tables, long_stretch_bound_follows_the_symbols_periods) {
    uint64_t thue_morse = 0;
    for (int i = 0; i < sym_long_known; ++i)
        thue_morse |= uint64_t(std::popcount(unsigned(i)) & 1) << i;
    const uint64_t x23 = 0x5A3C61; // 23 symbols
    const uint64_t period_23 = (x23 | x23 << 23 | x23 << 46) & ((uint64_t(1) << 48) - 1);
    struct case_row {
        const char* name;
        uint64_t word;
        int excess, period; // the stretch kept (period 0: the inherited one)
        int from_period;    // the shortest period looked at
        bool settled;
    };
    const case_row rows[] = {
        {"a run, less excess kept", 0, 45, 0, 1, false},
        {"a run, as much kept at period 1", 0, 46, 1, 1, true},
        {"a run, as much kept at period 2", 0, 46, 2, 1, false},
        {"a run, as much inherited", 0, 46, 0, 1, true},
        {"two in turn, less kept", 0x555555555555, 44, 0, 1, false},
        {"two in turn, as much kept at period 2", 0x555555555555, 45, 2, 1, true},
        {"two in turn, as much kept at period 1", 0x555555555555, 45, 1, 1, false},
        {"period 23, less kept", period_23, 23, 0, 1, false},
        {"period 23, as much kept at it", period_23, 24, 23, 1, true},
        {"no three-fold repeat", thue_morse, 0, 0, 1, true},
        {"no three-fold repeat, a stretch kept", thue_morse, 0, 5, 1, true},
        // Periods up to 7 left to the stretch tables: a run allows 39 bytes' excess at period 8.
        {"a run, less kept, from period 8", 0, 45, 0, 8, true},
        {"a run, less than period 8 allows, from it", 0, 38, 0, 8, false},
        {"a run, as much as period 8 allows, kept at 1", 0, 39, 1, 8, false},
        {"two in turn, less kept, from period 8", 0x555555555555, 44, 0, 8, true},
        {"period 23, less kept, from period 8", period_23, 23, 0, 8, false},
    };
    for (const case_row& row : rows)
        EXPECT_EQ(long_stretch_settled(row.word, row.excess, row.period, row.from_period),
                  row.settled)
            << row.name;
}

// The longest far candidate is the best of the long ones only where no shorter length from
// sym_exact_max + 1 on costs less: costs that grow with the position, equal costs (the longer
// wins the tie), a cheaper position further back, and the length's step in KTB's cost.
TEST(jump_tables, longest_far_candidate_is_cheapest_unless_a_shorter_costs_less) {
    struct case_row {
        const char* name;
        int dip_len;  // the length whose position costs dip_cost (0: none)
        int dip_cost; // below the others' cost of p - len, or of 5 where flat
        bool flat;    // every position costs 5, else cost[j] = j
        int len;
        bool cheapest;
    };
    const case_row rows[] = {
        {"costs growing", 0, 0, false, 40, true},
        {"costs growing, the shortest long length", 0, 0, false, sym_exact_max + 1, true},
        {"equal costs", 0, 0, true, 40, true},
        {"a shorter one cheaper by one", 20, 4, true, 40, false},
        {"a shorter one as cheap", 20, 5, true, 40, true},
        {"a longer one cheaper is no matter", 45, 0, true, 40, true},
        {"equal costs past the length step", 0, 0, true, ktb_short_count_max + 1, false},
    };
    const int p = 200;
    for (const case_row& row : rows) {
        std::vector<int32_t> cost(size_t(p + 1));
        for (int j = 0; j <= p; ++j) cost[size_t(j)] = row.flat ? 5 : j;
        if (row.dip_len != 0) cost[size_t(p - row.dip_len)] = row.dip_cost;
        EXPECT_EQ(longest_is_cheapest<ktb_variant>(cost.data(), p, row.len, ktb_max_offset),
                  row.cheapest)
            << row.name;
    }
}
