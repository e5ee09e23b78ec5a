// What other codes would give KTR's parse on a file: the stream's bits under the model's own
// codes, then with one code changed at a time and the file parsed again (nothing is written).
// Lengths as exponential Golomb codes of order k (an interlaced gamma of (v - 1) >> k + 1, then
// k bits), and offsets in classes of widths chosen for the file from the offsets the model's
// own parse takes, with 2-bit class prefixes or prefixes of 1 to 4 bits; last, the least of
// those offsets with sequence lengths of order 1.
// Usage: kt_ktr_levers CODING W1 W2 FILE
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_io.h"
#include "universal_pack.h"

namespace {

int gamma_bits(uint32_t v) {
    int b = 0;
    while ((v >> (b + 1)) != 0) ++b;
    return 2 * b + 1;
}

int golomb_bits(uint32_t v, int k) { return gamma_bits(((v - 1) >> k) + 1) + k; }

// Offset classes: prefix[i] bits then width[i] bits, class i starting where i - 1 ends.
struct class_code {
    int count = 0;
    int prefix[6] = {};
    int width[6] = {};
};

// Bits of offset o, or -1 past the last class.
int class_bits(const class_code& c, int32_t o) {
    int64_t base = 1;
    for (int i = 0; i < c.count; ++i) {
        if (o < base + (int64_t{1} << c.width[i])) return c.prefix[i] + c.width[i];
        base += int64_t{1} << c.width[i];
    }
    return -1;
}

// The cost sets of a class code: cost grows with the offset, so each set starts at 1.
void class_reach(const class_code& c, int32_t limit, coding_costs& cc) {
    cc.reach_count = 0;
    for (int32_t o = 1; o < limit; ++o) {
        const int bits = class_bits(c, o);
        if (bits < 0) break;
        if (cc.reach_count > 0 && cc.reach[cc.reach_count - 1].bits == bits)
            cc.reach[cc.reach_count - 1].hi = o;
        else
            cc.reach[cc.reach_count++] = {1, o, bits};
    }
}

// The widths, non-decreasing, of least cost over the offsets taken (offset, count).
int64_t best_widths(const std::vector<std::pair<int32_t, int>>& taken, class_code& c) {
    int64_t best = -1;
    class_code trial = c;
    // Odometer over non-decreasing widths 0..16.
    for (int i = 0; i < c.count; ++i) trial.width[i] = 0;
    for (;;) {
        int64_t total = 0;
        for (const auto& [o, n] : taken) {
            const int bits = class_bits(trial, o);
            if (bits < 0) {
                total = -1;
                break;
            }
            total += int64_t{bits} * n;
        }
        if (total >= 0 && (best < 0 || total < best)) {
            best = total;
            c = trial;
        }
        int i = trial.count - 1;
        while (i >= 0 && trial.width[i] == 16) --i;
        if (i < 0) break;
        ++trial.width[i];
        for (int j = i + 1; j < trial.count; ++j) trial.width[j] = trial.width[i];
    }
    return best;
}

uint32_t parse_bits(const file_matches& fm, const type_costs& tc, const coding_costs& cc,
                    ktr_space& sp) {
    const parse_input in{fm.data, fm.size, &fm.front, &fm.index};
    return ktr_parse(in, tc, cc, sp);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: kt_ktr_levers CODING W1 W2 FILE\n");
        return 1;
    }
    const pack_model model{type_ktr, atoi(argv[1]), atoi(argv[2]), atoi(argv[3])};
    std::vector<uint8_t> in;
    if (!read_input_file(argv[4], 65536, in) || in.empty() || in.size() > 65536) return 1;
    const int32_t n = static_cast<int32_t>(in.size());
    file_matches fm;
    prepare_file(in.data(), n, fm);
    model_plan plan;
    if (!plan_model(model, n, plan)) return 1;
    static ktr_space sp;
    const uint32_t base = parse_bits(fm, plan.tc, plan.cc, sp);
    printf("%s base %u bytes\n", argv[4], (base + 7) / 8);

    // The offsets the base parse takes, for the class widths.
    std::vector<token> tokens(static_cast<size_t>(n));
    const int32_t count = ktr_recover(sp, tokens.data());
    std::vector<int> per_offset(static_cast<size_t>(n) + 1, 0);
    for (int32_t i = 0; i < count; ++i)
        if (tokens[i].offset != 0 && !tokens[i].repeat) ++per_offset[tokens[i].offset];
    std::vector<std::pair<int32_t, int>> taken;
    for (int32_t o = 1; o <= n; ++o)
        if (per_offset[static_cast<size_t>(o)] > 0) taken.push_back({o, per_offset[o]});

    auto report = [&](const char* name, uint32_t bits) {
        printf("%s %-28s %u bytes %+.2f%%\n", argv[4], name, (bits + 7) / 8,
               100.0 * (static_cast<double>(bits) - base) / base);
    };
    for (int k = 1; k <= 2; ++k) {
        type_costs tc = plan.tc;
        tc.length_count = group_cost_steps(
            2, n, [k](int32_t v) { return 1 + golomb_bits(static_cast<uint32_t>(v - 1), k); },
            tc.length);
        char name[40];
        snprintf(name, sizeof name, "sequence lengths order %d", k);
        report(name, parse_bits(fm, tc, plan.cc, sp));
        tc = plan.tc;
        tc.literal_count = group_cost_steps(
            1, n, [k](int32_t v) { return 1 + golomb_bits(static_cast<uint32_t>(v), k); },
            tc.literal);
        snprintf(name, sizeof name, "run/repeat lengths order %d", k);
        report(name, parse_bits(fm, tc, plan.cc, sp));
    }
    type_costs golomb1 = plan.tc;
    golomb1.length_count = group_cost_steps(
        2, n, [](int32_t v) { return 1 + golomb_bits(static_cast<uint32_t>(v - 1), 1); },
        golomb1.length);
    uint32_t least = base;
    coding_costs least_cc = plan.cc;
    const int shapes[][6] = {
        {2, 2, 2, 2}, {1, 2, 3, 3}, {2, 2, 2, 3, 3}, {1, 3, 3, 3, 3}, {1, 2, 3, 4, 4}};
    const int shape_count[] = {4, 4, 5, 5, 5};
    for (int s = 0; s < 5; ++s) {
        class_code c;
        c.count = shape_count[s];
        for (int i = 0; i < c.count; ++i) c.prefix[i] = shapes[s][i];
        if (best_widths(taken, c) < 0) continue;
        coding_costs cc = plan.cc;
        class_reach(c, n, cc);
        char name[40];
        int at = snprintf(name, sizeof name, "offsets");
        for (int i = 0; i < c.count && at < 36; ++i)
            at += snprintf(name + at, sizeof name - static_cast<size_t>(at), " %d:%d", c.prefix[i],
                           c.width[i]);
        const uint32_t bits = parse_bits(fm, plan.tc, cc, sp);
        report(name, bits);
        if (bits < least) {
            least = bits;
            least_cc = cc;
        }
    }
    report("the least offsets, order 1", parse_bits(fm, golomb1, least_cc, sp));
    return 0;
}
