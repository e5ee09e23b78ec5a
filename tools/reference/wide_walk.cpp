#include "wide_walk.h"

#include <algorithm>

namespace {

struct limits {
    int max_offset;
    int max_len;
    int max_run;
    bool ktb;
};

int seq_cost(const limits& v, int len, int off) {
    if (!v.ktb) return 2;
    return (len <= 63 ? 1 : 2) + (off <= 127 ? 1 : 2);
}

} // namespace

void forward_pass_wide(wide_tables& t, const uint8_t* b, int n, bool ktb) {
    const limits v = ktb ? limits{32767, 16383, 16383, true} : limits{255, 127, 127, false};
    t.cost[0] = 2;
    t.step_len[0] = 0;
    t.pair_chain[0] = 0;
    t.period[0] = 0;
    t.period_len[0] = 0;
    if (n == 1) return;
    int run_count = 1;
    for (int p = 1; p < n; ++p) {
        const int prev = p - 1;
        t.step_len[p] = 0;
        int lit_cost;
        if (run_count == 0 || run_count == v.max_run) {
            lit_cost = t.cost[prev] + 2;
            run_count = 1;
        } else {
            lit_cost = t.cost[prev] + (v.ktb && run_count == 63 ? 2 : 1);
            ++run_count;
        }
        t.cost[p] = lit_cost;

        const int key = b[prev] * 256 + b[p];
        int c = t.pair_head[key];
        t.pair_chain[p] = c;
        t.pair_head[key] = p;
        if (c == 0 || p - c > v.max_offset) continue;

        bool keep_searching = true;
        int skip_above = 65536;
        int rep_period = 0, rep_len = 0, best_off = 0, best_len = 0, best_cost = 80000;
        for (;;) {
            const int w = p - c;
            if (c <= skip_above) {
                const int max_len = std::min(c + 1, v.max_len);
                int len;
                int q = t.period[c];
                if (t.step_len[prev] != 0 && t.step_off[prev] == w) {
                    len = std::min(t.step_len[prev] + 1, max_len);
                    keep_searching = false;
                } else if (t.memo_pos[c - 1] == prev) {
                    len = std::min(t.memo_len[c - 1] + 1, max_len);
                } else if (q != 0 && t.period[p - q] == q) {
                    int k = q;
                    if (q > 2) {
                        k = 2;
                        while (k < q && b[c - k] == b[p - k]) ++k;
                    }
                    if (k < q) {
                        len = k;
                    } else {
                        const int lim = std::min(2 * q, v.max_len);
                        if (b[c - q] != b[p - q]) {
                            len = q;
                        } else {
                            int j = q + 1;
                            while (j < lim && b[c - j] == b[p - j]) ++j;
                            if (j < lim) {
                                len = j;
                            } else {
                                len = std::min({max_len, t.period_len[c], q + t.period_len[p - q]});
                                skip_above = p - len + 1;
                                while (len < max_len && b[c - len] == b[p - len]) ++len;
                            }
                        }
                    }
                } else if (max_len <= 2 || b[c - 2] != b[p - 2]) {
                    len = 2;
                } else {
                    len = 3;
                    while (len < max_len && b[c - len] == b[p - len]) ++len;
                }
                t.memo_pos[c] = p;
                t.memo_len[c] = len;
                const int s = t.cost[p - len] + seq_cost(v, len, w);
                if (s < best_cost || (s == best_cost && len > best_len)) {
                    best_cost = s;
                    best_len = len;
                    best_off = w;
                }
                if (q != 0) {
                    const int m = std::min(len, t.period_len[c]);
                    if (m > 2 * q && m - q > rep_len - rep_period) {
                        rep_period = q;
                        rep_len = m;
                    }
                }
                if (best_len >= v.max_len) break;
            }
            c = t.pair_chain[c];
            if (c == 0 || !keep_searching || c < best_len || p - c > v.max_offset) break;
        }
        if (lit_cost > best_cost) {
            t.step_off[p] = best_off;
            t.step_len[p] = best_len;
            t.cost[p] = best_cost;
            run_count = 0;
        }
        if (best_len > best_off) {
            t.period[p] = best_off;
            t.period_len[p] = best_len + best_off;
        } else {
            const int m = std::min(rep_len, best_len);
            t.period[p] = m > 2 * rep_period ? rep_period : 0;
            t.period_len[p] = m > 2 * rep_period ? m : 0;
        }
    }
}
