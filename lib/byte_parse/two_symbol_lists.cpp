#include "two_symbol_lists.h"

#include <algorithm>
#include <cstring>

bool two_symbols(pack_tables& t, const uint8_t* b, int n) {
    if (t.sym_state != 0) return t.sym_state == 1;
    t.sym_state = 2;
    const uint8_t low = b[0];
    int high = -1;
    for (int j = 0; j < n; ++j)
        if (b[j] != low) {
            if (high < 0) high = b[j];
            if (b[j] != high) return false;
        }
    if (high < 0) return false;
    std::memset(t.sym_count, 0, sizeof t.sym_count);
    uint32_t word = 0;
    for (int j = 0; j < n; ++j) {
        word = word << 1 | uint32_t(b[j] == high);
        t.sym_bits[j] = word;
        if (j >= sym_exact_max) ++t.sym_count[sym_long_key(word)];
    }
    t.sym_lists_ready = 0;
    // Tables a caller reuses hold an earlier input's positions.
    std::memset(t.sym_last, 0, sizeof t.sym_last);
    std::memset(t.sym_stretch, 0, sizeof t.sym_stretch);
    t.sym_filled = 0;
    t.sym_state = 1;
    return true;
}

namespace {

// Enters position j in the tables of the runs, and its stretch beside its list entries.
void enter_run(pack_tables& t, int j) {
    if (j >= sym_exact_max) t.sym_long_stretch[t.sym_long_slot[j]] = sym_long_stretch(t.stretch[j]);
    if (const int r = t.sym_run[j]; r > sym_exact_max) {
        t.sym_run_last[t.sym_bits[j] & 1][r] = uint16_t(j);
        if (sym_run_listed(r)) t.sym_run_stretch[t.sym_run_slot[j]] = t.stretch[j];
    }
}

} // namespace

void enter_symbols(pack_tables& t, int last) {
    for (int j = t.sym_filled; j <= last; ++j) {
        const uint32_t word = t.sym_bits[j];
        // The strings of up to sym_exact_max symbols; those of sym_exact_max + 1 keep a chain.
        for (int l = 2; l <= std::min(j, sym_exact_max - 1); ++l)
            t.sym_last[(2u << l) | (word & ((2u << l) - 1))] = uint16_t(j);
        if (j >= sym_exact_max) {
            uint16_t& head = t.sym_last[sym_long_index(word)];
            t.sym_chain[j] = head;
            head = uint16_t(j);
        }
        if (t.sym_lists_ready) enter_run(t, j);
        const stretch_rec s = t.stretch[j];
        if (s.period >= 1 && s.period <= sym_period_max) {
            const int q = s.period;
            const uint32_t key = word & ((1u << q) - 1);
            for (int m = 2 * q + 1; m <= std::min(int(s.period_len), sym_stretch_max); ++m)
                t.sym_stretch[q][m][key] = uint16_t(j);
        }
    }
    t.sym_filled = std::max(t.sym_filled, last + 1);
}

void build_sym_long_lists(pack_tables& t, int n) {
    // As the pair lists are made: counts to ends, then each position put before the end of its
    // string's list, back to front.
    uint32_t end = 0;
    for (int k = 0; k < 1 << (sym_exact_max + 1); ++k) {
        end += t.sym_count[k];
        t.sym_long_first[k] = end;
    }
    t.sym_long_first[1 << (sym_exact_max + 1)] = end;
    for (int j = n - 1; j >= sym_exact_max; --j) {
        const uint64_t w = sym_word_at(t, j);
        const uint32_t slot = --t.sym_long_first[sym_long_key(uint32_t(w))];
        t.sym_long_pos[slot] = sym_long_entry(j, w);
        t.sym_long_slot[j] = uint16_t(slot);
    }
    // The runs, with the positions entered so far; enter_symbols enters the rest.
    const auto same = [&](int j) { return ((t.sym_bits[j] ^ t.sym_bits[j - 1]) & 1) == 0; };
    t.sym_run[0] = 1;
    for (int j = 1; j < n; ++j) t.sym_run[j] = uint16_t(same(j) ? t.sym_run[j - 1] + 1 : 1);
    t.sym_run_end[n - 1] = uint16_t(n - 1);
    for (int j = n - 2; j >= 0; --j)
        t.sym_run_end[j] = uint16_t(same(j + 1) ? t.sym_run_end[j + 1] : j);
    // The positions by symbol and run length, as the lists above are made; an entry holds the
    // symbols before the run (none where it starts the input).
    std::memset(t.sym_run_first, 0, sizeof t.sym_run_first);
    for (int j = 0; j < n; ++j)
        if (const int r = t.sym_run[j]; sym_run_listed(r))
            ++t.sym_run_first[sym_run_key(int(t.sym_bits[j] & 1), r)];
    for (int k = 1; k <= 2 * sym_run_lengths; ++k) t.sym_run_first[k] += t.sym_run_first[k - 1];
    for (int j = n - 1; j >= 0; --j)
        if (const int r = t.sym_run[j]; sym_run_listed(r)) {
            const uint32_t slot = --t.sym_run_first[sym_run_key(int(t.sym_bits[j] & 1), r)];
            t.sym_run_pos[slot] = sym_long_entry(j, j >= r ? sym_word_at(t, j - r) : 0);
            t.sym_run_slot[j] = uint16_t(slot);
        }
    std::memset(t.sym_run_last, 0, sizeof t.sym_run_last);
    for (int j = 0; j < t.sym_filled; ++j) enter_run(t, j);
    t.sym_lists_ready = 1;
}
