// Times the packing phases in-process, fast walk against plain walk, for both variants: the
// median over several runs of the thread's processor time (less disturbed than wall time on a
// shared machine), each on freshly zeroed tables (zeroing not timed). Also checks that
// both walks write the same stream. Prints one line per file and a total, in microseconds.
// Files after "--" form the hard family: for them a second table gives, per variant, the fast
// walk's time against the plain walk's and against the fast walk's median over the files
// before "--" of 32 KiB and more, with the worst ratios.
// Usage: kt_pack_timer REPS FILE... [-- FAMILY_FILE...]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "bench_io.h"
#include "forward_pass_plain.h"
#include "pack_input.h"
#include "variant.h"

namespace {

using pack_fn = pack_status (*)(pack_tables&, const uint8_t*, int, uint8_t*, emit_figures&);

long long median_us(pack_fn pack, const std::vector<uint8_t>& in, int reps, pack_tables& t,
                    std::vector<uint8_t>& out, int& out_len) {
    std::vector<long long> us;
    for (int r = 0; r < reps; ++r) {
        memset(&t, 0, sizeof t);
        emit_figures fig;
        const long long t0 = cpu_us();
        if (failed(pack(t, in.data(), int(in.size()), out.data(), fig))) exit(2);
        us.push_back(cpu_us() - t0);
        out_len = fig.packed_len;
    }
    std::sort(us.begin(), us.end());
    return us[us.size() / 2];
}

} // namespace

namespace {

struct timed {
    const char* name;
    size_t size;
    long long us[4]; // KTB fast, KTB plain, KTA fast, KTA plain
};

long long median_of(std::vector<long long> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The family's table: per variant the fast time, the plain time and the two ratios.
void print_family(const std::vector<timed>& corpus, const std::vector<timed>& family) {
    long long median[2];
    for (int v = 0; v < 2; ++v) {
        std::vector<long long> big;
        for (const timed& f : corpus)
            if (f.size >= 32768) big.push_back(f.us[2 * v]);
        median[v] = median_of(big);
    }
    printf(
        "\nhard family: fast time against the plain walk and against the fast median over corpus "
        "files of 32 KiB and more (KTB %lld us, KTA %lld us)\n",
        median[0], median[1]);
    printf("%-28s %9s %10s %7s %7s %9s %10s %7s %7s\n", "file", "KTB fast", "KTB plain", "/plain",
           "/median", "KTA fast", "KTA plain", "/plain", "/median");
    double worst[4] = {0, 0, 0, 0};
    long long total[4] = {0, 0, 0, 0};
    for (const timed& f : family) {
        double r[4];
        for (int v = 0; v < 2; ++v) {
            r[2 * v] = double(f.us[2 * v]) / double(std::max(1LL, f.us[2 * v + 1]));
            r[2 * v + 1] = double(f.us[2 * v]) / double(std::max(1LL, median[v]));
        }
        printf("%-28s %9lld %10lld %7.3f %7.2f %9lld %10lld %7.3f %7.2f\n", f.name, f.us[0],
               f.us[1], r[0], r[1], f.us[2], f.us[3], r[2], r[3]);
        for (int k = 0; k < 4; ++k) {
            worst[k] = std::max(worst[k], r[k]);
            total[k] += f.us[k];
        }
    }
    printf("%-28s %9lld %10lld %7s %7s %9lld %10lld\n", "total", total[0], total[1], "", "",
           total[2], total[3]);
    printf("worst: KTB fast/plain %.3f, fast/median %.2f; KTA fast/plain %.3f, fast/median %.2f "
           "(goals: at most 0.1 and 3)\n",
           worst[0], worst[1], worst[2], worst[3]);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s REPS FILE... [-- FAMILY_FILE...]\n", argv[0]);
        return 1;
    }
    const int reps = std::max(1, atoi(argv[1]));
    auto t = std::make_unique<pack_tables>();
    std::vector<uint8_t> out_fast(max_output), out_plain(max_output);
    const pack_fn fast[2] = {pack_input<ktb_variant>, pack_input<kta_variant>};
    const pack_fn plain[2] = {pack_input_plain<ktb_variant>, pack_input_plain<kta_variant>};
    long long total[4] = {0, 0, 0, 0};
    int status = 0;
    std::vector<timed> corpus, family;
    bool in_family = false;
    printf("%-24s %10s %10s %10s %10s\n", "file", "KTB fast", "KTB plain", "KTA fast", "KTA plain");
    for (int a = 2; a < argc; ++a) {
        if (strcmp(argv[a], "--") == 0) {
            in_family = true;
            continue;
        }
        std::vector<uint8_t> in;
        if (!read_input_file(argv[a], max_input, in)) return 1;
        if (in.empty() || in.size() > size_t(max_input)) continue;
        long long us[4];
        for (int v = 0; v < 2; ++v) {
            int len_fast = 0, len_plain = 0;
            us[2 * v] = median_us(fast[v], in, reps, *t, out_fast, len_fast);
            us[2 * v + 1] = median_us(plain[v], in, reps, *t, out_plain, len_plain);
            if (len_fast != len_plain ||
                memcmp(out_fast.data(), out_plain.data(), size_t(len_fast)) != 0) {
                fprintf(stderr, "%s: the walks differ (%s)\n", argv[a], v == 0 ? "KTB" : "KTA");
                status = 1;
            }
        }
        const char* name = strrchr(argv[a], '/');
        name = name ? name + 1 : argv[a];
        timed row{name, in.size(), {us[0], us[1], us[2], us[3]}};
        if (in_family) {
            family.push_back(row);
            continue;
        }
        corpus.push_back(row);
        printf("%-24s %10lld %10lld %10lld %10lld\n", name, us[0], us[1], us[2], us[3]);
        for (int k = 0; k < 4; ++k) total[k] += us[k];
    }
    printf("%-24s %10lld %10lld %10lld %10lld\n", "total", total[0], total[1], total[2], total[3]);
    printf("plain / fast: KTB %.2f  KTA %.2f\n", double(total[1]) / double(total[0]),
           double(total[3]) / double(total[2]));
    if (!family.empty()) print_family(corpus, family);
    return status;
}
