// The candidate walk as first written: one table look-up after another along pair_chain.
// Kept for the tests and the benchmark as the reference the fast walk must equal table for
// table; the programs never link it.
#include "forward_pass_plain.h"

#include <algorithm>
#include <cstring>

#include "pack_input.h"
#include "parse_steps.h"
#include "variant.h"

namespace {

// Latest position of each byte pair, and for each position the one before it with the same
// pair; 0 = none.
uint16_t pair_head[max_input];
uint16_t pair_chain[max_input];

} // namespace

template <class V>
pack_status forward_pass_plain(pack_tables& t, const uint8_t* b, int n) {
    memset(pair_head, 0, sizeof pair_head);
    pair_chain[0] = 0;
    int run_count = parse_start(t);
    if (n == 1) return {};
    for (int p = 1; p < n; ++p) {
        const int prev = p - 1;
        const int lit_cost = literal_step<V>(t, p, run_count);

        const int key = b[prev] << 8 | b[p];
        int c = pair_head[key];
        pair_chain[p] = uint16_t(c);
        pair_head[key] = uint16_t(p);
        if (c == 0 || p - c > V::max_offset) continue;

        bool keep_searching = true;
        int skip_above = max_input;
        walk_result r;
        for (;;) {
            const int w = p - c;
            if (c <= skip_above) {
                const int max_len = std::min(c + 1, V::max_seq_len);
                int len;
                int q;
                if (t.step_len[prev] != 0 && t.step_off[prev] == w) {
                    len = std::min(t.step_len[prev] + 1, max_len);
                    keep_searching = false;
                } else if (t.memo[c - 1].memo_pos == prev) {
                    len = std::min(t.memo[c - 1].memo_len + 1, max_len);
                } else if ((q = t.stretch[c].period) != 0 && t.stretch[p - q].period == q) {
                    len = repeat_shortcut<V>(t, b, c, p, q, max_len, skip_above);
                } else {
                    len = compare_back(b, c, p, max_len);
                }
                t.memo[c].memo_pos = uint16_t(p);
                t.memo[c].memo_len = uint16_t(len);
                take_candidate(r, t.cost[p - len] + V::seq_cost(len, w), len, w, t.stretch[c]);
                if (r.best_len >= V::max_seq_len) break;
            }
            c = pair_chain[c];
            if (c == 0 || !keep_searching || c < r.best_len || p - c > V::max_offset) break;
        }
        if (pack_status s = decide<V>(t, p, lit_cost, r, run_count); failed(s)) return s;
    }
    return {};
}

template <class V>
pack_status pack_input_plain(pack_tables& t, const uint8_t* in, int n, uint8_t* out,
                             emit_figures& fig) {
    if (pack_status s = forward_pass_plain<V>(t, in, n); failed(s)) return s;
    return pack_after_forward_pass<V>(t, in, n, out, fig);
}

template pack_status forward_pass_plain<ktb_variant>(pack_tables&, const uint8_t*, int);
template pack_status forward_pass_plain<kta_variant>(pack_tables&, const uint8_t*, int);
template pack_status pack_input_plain<ktb_variant>(pack_tables&, const uint8_t*, int, uint8_t*,
                                                   emit_figures&);
template pack_status pack_input_plain<kta_variant>(pack_tables&, const uint8_t*, int, uint8_t*,
                                                   emit_figures&);
