// The forward parse of KTR. At each position, first the run states (literal runs that end
// there, from the sequence states of the position before: a new run of one byte, or a run one
// byte longer), then the tokens that leave it: repeats from each run state, and sequences at
// the offsets of the match front from the cheapest state of either kind.
#include "ktr_parse.h"

#include <algorithm>

namespace {

// Lengths of one token tried in full up to this many from each end of their range; between
// them only powers of two and their neighbours, where the length codes change size.
constexpr int32_t length_span = 32;
// A repeat's match is compared up to this many bytes: long copies cost little more as new
// sequences, and an unbounded compare at every run state would be quadratic on long repeats.
constexpr int32_t repeat_compare_limit = 64;
// The farther sources are compared up to this many bytes, and not looked for at all where the
// nearest match is this long: there the data repeats and nearly every source matches.
constexpr int32_t chain_compare_limit = 32;

// Earlier sources of a position's first two bytes tried besides the match front, nearest first.
constexpr int chain_visits = 64;

constexpr uint32_t no_cost = UINT32_MAX;

ktr_state* states_at(ktr_space& sp, int32_t p) {
    return sp.states.data() + static_cast<size_t>(p) * 2 * ktr_keep;
}

const ktr_state* states_at(const ktr_space& sp, int32_t p) {
    return sp.states.data() + static_cast<size_t>(p) * 2 * ktr_keep;
}

// Puts s among one kind's slots: it replaces a state of its offset that costs more, or, with
// no state of its offset and every slot taken, the dearest one if it costs less. Slots fill
// from the first and are never emptied, so the first empty one ends the list.
void offer(ktr_state* slots, const ktr_state& s) {
    int worst = 0;
    for (int k = 0; k < ktr_keep; ++k) {
        if (slots[k].cost == no_cost) {
            slots[k] = s;
            return;
        }
        if (slots[k].offset == s.offset) {
            if (s.cost < slots[k].cost) slots[k] = s;
            return;
        }
        if (slots[k].cost > slots[worst].cost) worst = k;
    }
    if (s.cost < slots[worst].cost) slots[worst] = s;
}

void fill_step_table(const cost_step* steps, int count, int32_t size, std::vector<uint32_t>& out) {
    out.assign(static_cast<size_t>(size) + 1, no_cost);
    for (int i = 0; i < count; ++i)
        for (int32_t v = steps[i].lo; v <= steps[i].hi && v <= size; ++v)
            out[static_cast<size_t>(v)] = static_cast<uint32_t>(steps[i].bits);
}

void fill_tables(const type_costs& tc, const coding_costs& cc, int32_t n, ktr_space& sp) {
    sp.size = n;
    fill_step_table(tc.literal, tc.literal_count, n, sp.literal_bits);
    fill_step_table(tc.length, tc.length_count, n, sp.length_bits);
    // The reach sets grow cost by cost: an offset costs what the first set holding it does.
    sp.offset_bits.assign(static_cast<size_t>(n) + 1, no_cost);
    for (int r = 0; r < cc.reach_count; ++r)
        for (int32_t o = cc.reach[r].lo; o <= cc.reach[r].hi && o <= n; ++o)
            if (sp.offset_bits[static_cast<size_t>(o)] == no_cost)
                sp.offset_bits[static_cast<size_t>(o)] = static_cast<uint32_t>(cc.reach[r].bits);
    sp.states.assign(static_cast<size_t>(n + 1) * 2 * ktr_keep, ktr_state{});
}

// For each position, the one before it that starts with the same two bytes, or -1.
void link_pairs(const uint8_t* data, int32_t n, ktr_space& sp) {
    sp.pair_last.assign(static_cast<size_t>(n) + 1, -1);
    std::vector<int32_t> last(65536, -1);
    for (int32_t p = 0; p + 1 < n; ++p) {
        const int key = data[p] << 8 | data[p + 1];
        sp.pair_last[static_cast<size_t>(p)] = last[static_cast<size_t>(key)];
        last[static_cast<size_t>(key)] = p;
    }
}

// Calls try_length(L) for the lengths of lo..hi the parse tries.
template <typename fn>
void for_lengths(int32_t lo, int32_t hi, fn try_length) {
    if (hi - lo < 2 * length_span) {
        for (int32_t l = lo; l <= hi; ++l) try_length(l);
        return;
    }
    for (int32_t l = lo; l < lo + length_span; ++l) try_length(l);
    for (int32_t b = 64; b < hi - length_span; b *= 2)
        for (int32_t l = b - 1; l <= b + 1; ++l)
            if (l >= lo + length_span) try_length(l);
    for (int32_t l = hi - length_span + 1; l <= hi; ++l) try_length(l);
}

// The run states at p: every sequence state at p - 1 starts a run, every run state there grows.
void take_runs(ktr_space& sp, int32_t p) {
    const ktr_state* before = states_at(sp, p - 1);
    ktr_state* runs = states_at(sp, p) + ktr_keep;
    for (int k = 0; k < ktr_keep && before[k].cost != no_cost; ++k) {
        ktr_state s;
        s.cost = before[k].cost + sp.literal_bits[1] + 8;
        s.offset = before[k].offset;
        s.from_slot = static_cast<uint8_t>(k);
        s.length = 1;
        offer(runs, s);
    }
    for (int k = ktr_keep; k < 2 * ktr_keep && before[k].cost != no_cost; ++k) {
        ktr_state s = before[k];
        const uint32_t grown = sp.literal_bits[s.length + 1];
        if (grown == no_cost) continue;
        s.cost = s.cost - sp.literal_bits[s.length] + grown + 8;
        ++s.length;
        offer(runs, s);
    }
}

// Repeats from the run states at p, at their offsets.
void take_repeats(ktr_space& sp, const uint8_t* data, int32_t p) {
    const int32_t left = std::min(sp.size - p, repeat_compare_limit);
    const ktr_state* runs = states_at(sp, p) + ktr_keep;
    for (int k = 0; k < ktr_keep && runs[k].cost != no_cost; ++k) {
        const int32_t o = runs[k].offset;
        if (o > p) continue;
        int32_t m = 0;
        while (m < left && data[p + m] == data[p + m - o]) ++m;
        if (m == 0) continue;
        for_lengths(1, m, [&](int32_t l) {
            ktr_state s;
            s.cost = runs[k].cost + sp.literal_bits[static_cast<size_t>(l)];
            s.offset = static_cast<uint16_t>(o);
            s.from_slot = static_cast<uint8_t>(ktr_keep + k);
            s.length = static_cast<uint32_t>(l);
            s.repeat = true;
            offer(states_at(sp, p + l), s);
        });
    }
}

// New sequences from the cheapest state at p: each front pair's offset for the lengths no
// nearer pair reaches, and for its own longest.
void take_sequences(ktr_space& sp, const parse_input& in, int32_t p) {
    const ktr_state* here = states_at(sp, p);
    int from_slot = -1;
    for (int k = 0; k < 2 * ktr_keep; ++k)
        if (here[k].cost != no_cost && (from_slot < 0 || here[k].cost < here[from_slot].cost))
            from_slot = k;
    if (from_slot < 0) return;
    const uint32_t base = here[from_slot].cost;
    const front_pair* pair = in.front->pairs.data() + in.front->start[static_cast<size_t>(p)];
    const front_pair* pair_end =
        in.front->pairs.data() + in.front->start[static_cast<size_t>(p) + 1];
    int32_t done = 1;
    for (; pair != pair_end; ++pair) {
        const int32_t len = std::min<int32_t>(pair->length, sp.size - p);
        const uint32_t ob = sp.offset_bits[pair->offset];
        if (len < 2 || ob == no_cost) continue;
        const int32_t lo = std::min(done + 1, len);
        for_lengths(lo, len, [&](int32_t l) {
            const uint32_t head = sp.length_bits[static_cast<size_t>(l)];
            if (head == no_cost) return;
            ktr_state s;
            s.cost = base + head + ob;
            s.offset = pair->offset;
            s.from_slot = static_cast<uint8_t>(from_slot);
            s.length = static_cast<uint32_t>(l);
            offer(states_at(sp, p + l), s);
        });
        done = std::max(done, len);
    }
    // Farther sources of the same pair, each at its longest: a longer match nearer may hide
    // the offset that a later repeat wants.
    if (done >= chain_compare_limit) return;
    int visits = chain_visits;
    for (int32_t c = sp.pair_last[static_cast<size_t>(p)]; c >= 0 && visits > 0;
         c = sp.pair_last[static_cast<size_t>(c)], --visits) {
        const int32_t d = p - c;
        const uint32_t ob = sp.offset_bits[static_cast<size_t>(d)];
        if (ob == no_cost) continue;
        const int32_t left = std::min(sp.size - p, chain_compare_limit);
        int32_t m = 2;
        while (m < left && in.data[p + m] == in.data[c + m]) ++m;
        const uint32_t head = sp.length_bits[static_cast<size_t>(m)];
        if (head == no_cost) continue;
        ktr_state s;
        s.cost = base + head + ob;
        s.offset = static_cast<uint16_t>(d);
        s.from_slot = static_cast<uint8_t>(from_slot);
        s.length = static_cast<uint32_t>(m);
        offer(states_at(sp, p + m), s);
    }
}

} // namespace

uint32_t ktr_parse(const parse_input& in, const type_costs& tc, const coding_costs& cc,
                   ktr_space& sp) {
    const int32_t n = in.size;
    fill_tables(tc, cc, n, sp);
    link_pairs(in.data, n, sp);
    const int32_t start = tc.first_bits > 0 ? 1 : 0;
    ktr_state& first = states_at(sp, start)[0];
    first.cost = static_cast<uint32_t>(tc.first_bits);
    first.offset = 1;
    for (int32_t p = start; p <= n; ++p) {
        if (p > start) take_runs(sp, p);
        if (p == n) break;
        take_repeats(sp, in.data, p);
        take_sequences(sp, in, p);
    }
    const ktr_state* end = states_at(sp, n);
    sp.end_slot = -1;
    for (int k = 0; k < 2 * ktr_keep; ++k)
        if (end[k].cost != no_cost && (sp.end_slot < 0 || end[k].cost < end[sp.end_slot].cost))
            sp.end_slot = k;
    if (sp.end_slot < 0) return no_cost;
    return end[sp.end_slot].cost + static_cast<uint32_t>(tc.end_bits);
}

int32_t ktr_recover(const ktr_space& sp, token* tokens) {
    if (sp.end_slot < 0) return -1;
    int32_t count = 0;
    int32_t p = sp.size;
    int slot = sp.end_slot;
    for (;;) {
        const ktr_state& s = states_at(sp, p)[slot];
        if (s.length == 0) break; // the start
        if (slot >= ktr_keep)
            tokens[count++] = {s.length, 0, false};
        else
            tokens[count++] = {s.length, s.offset, s.repeat};
        p -= static_cast<int32_t>(s.length);
        slot = s.from_slot;
    }
    std::reverse(tokens, tokens + count);
    return count;
}
