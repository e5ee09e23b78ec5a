// How low KtaPack's time can go on a file, against the plain KTA walk's packing: the phases
// after the forward pass, and the forward pass's cost recurrence alone with one sequence per
// position handed over for free (the match at the pair's nearest earlier position, found
// before the clock starts). Whatever a walk does to find its candidates, it still runs that
// recurrence, one position after the other, and the phases after it. Processor time, least of
// REPS runs each; the last line counts the files on which those two alone already take more
// than 0.1 of the plain walk's packing.
// Usage: kt_kta_floor REPS FILE...
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "bench_io.h"
#include "forward_pass.h"
#include "forward_pass_plain.h"
#include "pack_input.h"
#include "variant.h"

namespace {

// The given sequence of each position: its length (0: none) and offset.
struct given_match {
    uint8_t len;
    uint8_t off;
};

void find_given(const std::vector<uint8_t>& in, std::vector<given_match>& m) {
    static int last[65536];
    std::fill(std::begin(last), std::end(last), -1);
    m.assign(in.size(), {0, 0});
    for (int p = 1; p < int(in.size()); ++p) {
        const int key = in[p - 1] << 8 | in[p];
        const int c = last[key];
        last[key] = p;
        if (c < 1 || p - c > kta_variant::max_offset) continue;
        int len = 2;
        while (len < kta_variant::max_seq_len && len <= c && in[c - len] == in[p - len]) ++len;
        m[p] = {uint8_t(len), uint8_t(p - c)};
    }
}

// The recurrence of the pass: a literal's cost by the run it extends or opens, the given
// sequence's cost, the cheaper kept with its length and offset.
int run_recurrence(const std::vector<given_match>& m, pack_tables& t) {
    t.cost[0] = 2;
    int run = 1;
    for (int p = 1; p < int(m.size()); ++p) {
        const bool opens = run == 0 || run == kta_variant::max_literal_run;
        const int lit = t.cost[p - 1] + (opens ? 2 : 1);
        const int seq = m[p].len ? t.cost[p - m[p].len] + 2 : lit;
        if (lit > seq) {
            t.cost[p] = seq;
            t.step_len[p] = m[p].len;
            t.step_off[p] = m[p].off;
            run = 0;
        } else {
            t.cost[p] = lit;
            t.step_len[p] = 0;
            run = opens ? 1 : run + 1;
        }
    }
    return t.cost[m.size() - 1];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s REPS FILE...\n", argv[0]);
        return 1;
    }
    const int reps = std::max(1, atoi(argv[1]));
    auto t = std::make_unique<pack_tables>();
    std::vector<uint8_t> out(max_output);
    std::vector<given_match> given;
    int over = 0, files = 0;
    printf("%-28s %9s %9s %7s %10s %9s %7s\n", "file", "KTA plain", "KtaPack", "after",
           "recurrence", "floor", "/plain");
    for (int a = 2; a < argc; ++a) {
        std::vector<uint8_t> in;
        if (!read_input_file(argv[a], max_input, in)) return 1;
        if (in.size() < 2 || in.size() > size_t(max_input)) continue;
        const int n = int(in.size());
        find_given(in, given);
        long long plain = 1LL << 60, fast = 1LL << 60, after = 1LL << 60, rec = 1LL << 60;
        for (int r = 0; r < reps; ++r) {
            emit_figures fig;
            memset(t.get(), 0, sizeof *t);
            long long t0 = cpu_us();
            if (failed(pack_input_plain<kta_variant>(*t, in.data(), n, out.data(), fig))) return 2;
            plain = std::min(plain, cpu_us() - t0);
            memset(t.get(), 0, sizeof *t);
            t0 = cpu_us();
            if (failed(forward_pass<kta_variant>(*t, in.data(), n))) return 2;
            const long long pass = cpu_us() - t0;
            t0 = cpu_us();
            if (failed(pack_after_forward_pass<kta_variant>(*t, in.data(), n, out.data(), fig)))
                return 2;
            const long long rest = cpu_us() - t0;
            after = std::min(after, rest);
            fast = std::min(fast, pass + rest);
            memset(t.get(), 0, sizeof *t);
            t0 = cpu_us();
            if (run_recurrence(given, *t) <= 0) return 2;
            rec = std::min(rec, cpu_us() - t0);
        }
        const long long floor = after + rec;
        const double ratio = double(floor) / double(std::max(1LL, plain));
        over += ratio > 0.1;
        ++files;
        const char* name = strrchr(argv[a], '/');
        printf("%-28s %9lld %9lld %7lld %10lld %9lld %7.3f\n", name ? name + 1 : argv[a], plain,
               fast, after, rec, floor, ratio);
    }
    printf("files whose floor is over 0.1 of the plain walk's packing: %d of %d\n", over, files);
    return 0;
}
