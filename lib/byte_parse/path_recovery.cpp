// The three walks between the forward pass and emission. They only ever turn a whole sequence
// into literals; lengths and offsets of the sequences that stay are left as they are.
#include "path_recovery.h"

#include "variant.h"

pack_status unreverse(pack_tables& t, int n) {
    int d = n - 1;
    while (d >= 0) {
        const int len = t.step_len[d];
        if (len == 0) {
            t.step_len[d] = 1;
            --d;
            continue;
        }
        const int s = d - len + 1;
        if (s <= 0) return {pack_fault::unreverse, d, len, 0, s}; // only on a broken hand-over
        t.step_len[s] = uint16_t(len);
        t.step_off[s] = t.step_off[d];
        for (int i = s + 1; i < d; ++i) {
            t.step_len[i] = 0;
            t.step_off[i] = 0;
        }
        d = s - 1;
    }
    return {};
}

// A sequence that merges into literals gets step_len 1 at all its positions, and the walk
// stays where it is, so that the next steps count those positions as literals.
template <class V>
pack_status optimize_pass_1(pack_tables& t, int n) {
    int i = 0;
    int r = 0;
    while (i < n - 1) {
        const int len = t.step_len[i];
        if (len == 0) return {pack_fault::optimize_1, i, r, 0, 0};
        if (len == 1) {
            r = (r + 1) % V::run_modulus;
            ++i;
        } else if (V::merge_pays(len, t.step_off[i], r)) {
            for (int k = i; k < i + len && k < n; ++k) t.step_len[k] = 1;
        } else {
            i += len;
            r = 0;
        }
    }
    return {};
}

template <class V>
pack_status optimize_pass_2(pack_tables& t, int n) {
    int i = n - 1;
    int r = 0;
    while (i >= V::pass_2_lowest) {
        const int len = t.step_len[i];
        if (len == 0) return {pack_fault::optimize_2, i, r, 0, 0};
        if (len == 1) {
            r = (r + 1) % V::run_modulus;
            --i;
        } else if (V::merge_pays(len, t.step_off[i], r)) {
            for (int k = i; k > i - len && k >= 0; --k) t.step_len[k] = 1;
        } else {
            i -= len;
            r = 0;
        }
    }
    return {};
}

template pack_status optimize_pass_1<ktb_variant>(pack_tables&, int);
template pack_status optimize_pass_1<kta_variant>(pack_tables&, int);
template pack_status optimize_pass_2<ktb_variant>(pack_tables&, int);
template pack_status optimize_pass_2<kta_variant>(pack_tables&, int);
