// Each position's choices come as options: a range of arrival positions with one token cost
// (literal runs and sequences split where a length step or an offset cost changes), so that a
// choice costs one range minimum however long the match. The parse and the path recovery list
// the options with the same function.
#include "optimal_parse.h"

#include <algorithm>
#include <bit>

namespace {

struct option {
    int32_t lo; // arrival positions lo..hi
    int32_t hi;
    int32_t bits; // the token's cost; literal bytes come on top at 8 bits each
    int8_t literal;
    int8_t reach; // the offset set a sequence takes its offset from
};

int32_t widest_step(const cost_step* steps, int count, int32_t size) {
    int32_t w = 1;
    for (int i = 0; i < count; ++i) w = std::max(w, steps[i].hi - steps[i].lo + 1);
    return std::min(w, size);
}

int levels_for(int32_t width) { return std::bit_width(static_cast<uint32_t>(width)); }

// Calls visit(option) for every option at p; stops early when visit gives true.
template <typename visit_fn>
void for_each_option(const parse_input& in, const type_costs& tc, const coding_costs& cc,
                     const parse_space& sp, int32_t p, visit_fn visit) {
    const int32_t left = in.size - p;
    for (int i = 0; i < tc.literal_count && tc.literal[i].lo <= left; ++i)
        if (visit(option{p + tc.literal[i].lo, p + std::min(tc.literal[i].hi, left),
                         tc.literal[i].bits, 1, 0}))
            return;

    const front_pair* pair = in.front->pairs.data() + in.front->start[static_cast<size_t>(p)];
    const front_pair* pair_end =
        in.front->pairs.data() + in.front->start[static_cast<size_t>(p) + 1];
    int32_t done = 0; // lengths up to here are reached by a cheaper offset
    int32_t prefix_len = 0;
    int step = 0;
    for (int r = 0; r < cc.reach_count; ++r) {
        const offset_reach& reach = cc.reach[r];
        int32_t len;
        if (reach.lo > 1) {
            len = sp.win_len[static_cast<size_t>(p)];
        } else {
            while (pair != pair_end && pair->offset <= reach.hi) prefix_len = (pair++)->length;
            len = prefix_len;
        }
        len = std::min(len, left);
        if (len <= done) continue;
        // Lengths done + 1 .. len, cut where the head's cost changes.
        while (step < tc.length_count && tc.length[step].hi <= done) ++step;
        for (int s = step; s < tc.length_count && tc.length[s].lo <= len; ++s) {
            const int32_t a = std::max(tc.length[s].lo, done + 1);
            const int32_t b = std::min(tc.length[s].hi, len);
            if (visit(option{p + a, p + b, tc.length[s].bits + reach.bits, 0,
                             static_cast<int8_t>(r)}))
                return;
        }
        done = len;
        if (pair == pair_end) break; // later sets add no length
    }
}

constexpr int to_end_slot = 0;
constexpr int lit_end_slot = 1;

inline size_t at(int32_t stride, int k, int32_t x, int slot) {
    return (static_cast<size_t>(k) * static_cast<size_t>(stride) + static_cast<size_t>(x)) * 2 +
           static_cast<size_t>(slot);
}

inline uint32_t range_min(const uint32_t* mins, int32_t stride, int slot, int32_t l, int32_t r) {
    if (l == r) return mins[at(stride, 0, l, slot)];
    const int k = std::bit_width(static_cast<uint32_t>(r - l + 1)) - 1;
    return std::min(mins[at(stride, k, l, slot)], mins[at(stride, k, r - (1 << k) + 1, slot)]);
}

// Level k at x: the least of level 0 over x .. min(x + 2^k - 1, size), for both slots. The
// running least stays in a register: reading back the level just written would chain every
// level through memory.
inline void fill_levels(uint32_t* mins, int32_t stride, int levels, int32_t x, int32_t size) {
    uint32_t least_end = mins[at(stride, 0, x, to_end_slot)];
    uint32_t least_lit = mins[at(stride, 0, x, lit_end_slot)];
    for (int k = 1; k < levels; ++k) {
        const int32_t half = 1 << (k - 1);
        if (x + half <= size) {
            const uint32_t* below = mins + at(stride, k - 1, x + half, 0);
            least_end = std::min(least_end, below[to_end_slot]);
            least_lit = std::min(least_lit, below[lit_end_slot]);
        }
        uint32_t* here = mins + at(stride, k, x, 0);
        here[to_end_slot] = least_end;
        here[lit_end_slot] = least_lit;
    }
}

int32_t first_position(const type_costs& tc) { return tc.first_bits > 0 ? 1 : 0; }

uint32_t option_cost(const option& o, const parse_space& sp, int32_t x_lo, int32_t x_hi,
                     int32_t p) {
    if (o.literal)
        return range_min(sp.mins.data(), sp.stride, lit_end_slot, x_lo, x_hi) -
               8u * static_cast<uint32_t>(p) + static_cast<uint32_t>(o.bits);
    return range_min(sp.mins.data(), sp.stride, to_end_slot, x_lo, x_hi) +
           static_cast<uint32_t>(o.bits);
}

} // namespace

bool needs_window(const coding_costs& cc) { return cc.reach_count > 0 && cc.reach[0].lo > 1; }

void size_parse_space(int32_t size, parse_space& space) {
    space.stride = size + 1;
    const size_t rows = static_cast<size_t>(levels_for(size)) + 1;
    space.mins.assign(rows * static_cast<size_t>(space.stride) * 2, 0);
    space.win_len.assign(static_cast<size_t>(size) + 1, 0);
    space.win_off.assign(static_cast<size_t>(size) + 1, 0);
    space.win_lo = 0;
    space.win_hi = 0;
}

uint32_t parse_cost(const parse_input& in, const type_costs& tc, const coding_costs& cc,
                    parse_space& sp) {
    const int32_t n = in.size;
    if (needs_window(cc) && (sp.win_lo != cc.reach[0].lo || sp.win_hi != cc.reach[0].hi ||
                             sp.win_serial != in.index->serial)) {
        find_window_matches(*in.index, cc.reach[0].lo, cc.reach[0].hi, sp.win_len.data(),
                            sp.win_off.data());
        sp.win_lo = cc.reach[0].lo;
        sp.win_hi = cc.reach[0].hi;
        sp.win_serial = in.index->serial;
    }
    // No sequence is longer than the longest match, so no wider range of it is asked for.
    const int seq_levels = levels_for(
        std::min(widest_step(tc.length, tc.length_count, n), std::max(in.front->longest, 1)));
    const int lit_levels = levels_for(widest_step(tc.literal, tc.literal_count, n));
    const int levels = std::max(seq_levels, lit_levels);
    uint32_t* mins = sp.mins.data();
    const int32_t stride = sp.stride;
    mins[at(stride, 0, n, to_end_slot)] = static_cast<uint32_t>(tc.end_bits);
    mins[at(stride, 0, n, lit_end_slot)] =
        static_cast<uint32_t>(tc.end_bits) + 8u * static_cast<uint32_t>(n);
    fill_levels(mins, stride, levels, n, n);
    const int32_t first = first_position(tc);
    for (int32_t p = n - 1; p >= first; --p) {
        uint32_t best = UINT32_MAX;
        for_each_option(in, tc, cc, sp, p, [&](const option& o) {
            best = std::min(best, option_cost(o, sp, o.lo, o.hi, p));
            return false;
        });
        mins[at(stride, 0, p, to_end_slot)] = best;
        mins[at(stride, 0, p, lit_end_slot)] = best + 8u * static_cast<uint32_t>(p);
        fill_levels(mins, stride, levels, p, n);
    }
    return static_cast<uint32_t>(tc.first_bits) + mins[at(stride, 0, first, to_end_slot)];
}

int32_t recover_parse(const parse_input& in, const type_costs& tc, const coding_costs& cc,
                      const parse_space& sp, token* tokens) {
    int32_t count = 0;
    for (int32_t p = first_position(tc); p < in.size;) {
        const uint32_t want = sp.mins[at(sp.stride, 0, p, to_end_slot)];
        int32_t x = -1;
        option o{};
        for_each_option(in, tc, cc, sp, p, [&](const option& cand) {
            if (option_cost(cand, sp, cand.lo, cand.hi, p) != want) return false;
            for (x = cand.lo; x < cand.hi && option_cost(cand, sp, x, x, p) != want; ++x) {
            }
            o = cand;
            return true;
        });
        if (x < 0) return -1; // no choice gives the cost: the tables disagree
        const uint32_t length = static_cast<uint32_t>(x - p);
        uint32_t offset = 0;
        if (!o.literal) {
            if (cc.reach[o.reach].lo > 1) {
                offset = sp.win_off[static_cast<size_t>(p)];
            } else {
                const front_pair* pair =
                    in.front->pairs.data() + in.front->start[static_cast<size_t>(p)];
                while (pair->length < length) ++pair;
                offset = pair->offset;
            }
        }
        tokens[count++] = {length, offset};
        p = x;
    }
    return count;
}
