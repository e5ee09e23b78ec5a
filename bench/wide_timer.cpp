// Times the forward pass alone in-process: the walk as first written (nine 32-bit tables),
// the packers' plain walk and their fast walk, for both variants, each on freshly zeroed
// tables (zeroing not timed); the median over REPS runs of the thread's processor time. Also
// checks that all three fill cost, step_len and step_off alike. One line per file and a total,
// in microseconds. Usage: kt_wide_timer REPS FILE...
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "bench_io.h"
#include "forward_pass.h"
#include "forward_pass_plain.h"
#include "variant.h"
#include "wide_walk.h"

namespace {

template <class F>
long long median_us(int reps, F run) {
    std::vector<long long> us;
    for (int r = 0; r < reps; ++r) us.push_back(run());
    std::sort(us.begin(), us.end());
    return us[us.size() / 2];
}

// The three results agree on every position's cost and token.
bool same_result(const wide_tables& w, const pack_tables& t, int n) {
    for (int p = 0; p < n; ++p)
        if (w.cost[p] != t.cost[p] || w.step_len[p] != t.step_len[p] ||
            (w.step_len[p] != 0 && w.step_off[p] != t.step_off[p]))
            return false;
    return true;
}

template <class V>
bool time_variant(const std::vector<uint8_t>& in, int reps, wide_tables& w, pack_tables& t,
                  long long us[3]) {
    const int n = int(in.size());
    bool same = true;
    us[0] = median_us(reps, [&] {
        memset(&w, 0, sizeof w);
        const long long t0 = cpu_us();
        forward_pass_wide(w, in.data(), n, V::max_offset > 255);
        return cpu_us() - t0;
    });
    us[1] = median_us(reps, [&] {
        memset(&t, 0, sizeof t);
        const long long t0 = cpu_us();
        forward_pass_plain<V>(t, in.data(), n);
        return cpu_us() - t0;
    });
    same = same && same_result(w, t, n);
    us[2] = median_us(reps, [&] {
        memset(&t, 0, sizeof t);
        const long long t0 = cpu_us();
        forward_pass<V>(t, in.data(), n);
        return cpu_us() - t0;
    });
    return same && same_result(w, t, n);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s REPS FILE...\n", argv[0]);
        return 1;
    }
    const int reps = std::max(1, atoi(argv[1]));
    auto w = std::make_unique<wide_tables>();
    auto t = std::make_unique<pack_tables>();
    long long total[6] = {};
    int status = 0;
    printf("%-24s %10s %10s %10s %10s %10s %10s\n", "file", "KTB wide", "KTB plain", "KTB fast",
           "KTA wide", "KTA plain", "KTA fast");
    for (int a = 2; a < argc; ++a) {
        std::vector<uint8_t> in;
        if (!read_input_file(argv[a], max_input, in)) return 1;
        if (in.empty() || in.size() > size_t(max_input)) continue;
        long long us[6];
        const bool ktb_same = time_variant<ktb_variant>(in, reps, *w, *t, us);
        const bool kta_same = time_variant<kta_variant>(in, reps, *w, *t, us + 3);
        if (!ktb_same || !kta_same) {
            fprintf(stderr, "%s: the walks differ\n", argv[a]);
            status = 1;
        }
        const char* name = strrchr(argv[a], '/');
        printf("%-24s %10lld %10lld %10lld %10lld %10lld %10lld\n", name ? name + 1 : argv[a],
               us[0], us[1], us[2], us[3], us[4], us[5]);
        for (int k = 0; k < 6; ++k) total[k] += us[k];
    }
    printf("%-24s %10lld %10lld %10lld %10lld %10lld %10lld\n", "total", total[0], total[1],
           total[2], total[3], total[4], total[5]);
    printf("wide / fast: KTB %.2f  KTA %.2f    plain / fast: KTB %.2f  KTA %.2f\n",
           double(total[0]) / double(total[2]), double(total[3]) / double(total[5]),
           double(total[1]) / double(total[2]), double(total[4]) / double(total[5]));
    return status;
}
