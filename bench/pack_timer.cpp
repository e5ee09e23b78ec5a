// Times the packing phases in-process, fast walk against plain walk, for both variants: the
// median over several runs of the thread's processor time (less disturbed than wall time on a
// shared machine), each on freshly zeroed tables (zeroing not timed). Also checks that
// both walks write the same stream. Prints one line per file and a total, in microseconds.
// Usage: kt_pack_timer REPS FILE...
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "forward_pass_plain.h"
#include "pack_input.h"
#include "bench_io.h"
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

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s REPS FILE...\n", argv[0]);
        return 1;
    }
    const int reps = std::max(1, atoi(argv[1]));
    auto t = std::make_unique<pack_tables>();
    std::vector<uint8_t> out_fast(max_output), out_plain(max_output);
    const pack_fn fast[2] = {pack_input<ktb_variant>, pack_input<kta_variant>};
    const pack_fn plain[2] = {pack_input_plain<ktb_variant>, pack_input_plain<kta_variant>};
    long long total[4] = {0, 0, 0, 0};
    int status = 0;
    printf("%-24s %10s %10s %10s %10s\n", "file", "KTB fast", "KTB plain", "KTA fast", "KTA plain");
    for (int a = 2; a < argc; ++a) {
        std::vector<uint8_t> in;
        if (!read_input_file(argv[a], max_input, in)) return 1;
        if (in.empty() || in.size() > size_t(max_input)) continue;
        long long us[4];
        for (int v = 0; v < 2; ++v) {
            int len_fast = 0, len_plain = 0;
            us[2 * v] = median_us(fast[v], in, reps, *t, out_fast, len_fast);
            us[2 * v + 1] = median_us(plain[v], in, reps, *t, out_plain, len_plain);
            if (len_fast != len_plain || memcmp(out_fast.data(), out_plain.data(), size_t(len_fast)) != 0) {
                fprintf(stderr, "%s: the walks differ (%s)\n", argv[a], v == 0 ? "KTB" : "KTA");
                status = 1;
            }
        }
        const char* name = strrchr(argv[a], '/');
        printf("%-24s %10lld %10lld %10lld %10lld\n", name ? name + 1 : argv[a], us[0], us[1], us[2], us[3]);
        for (int k = 0; k < 4; ++k) total[k] += us[k];
    }
    printf("%-24s %10lld %10lld %10lld %10lld\n", "total", total[0], total[1], total[2], total[3]);
    printf("plain / fast: KTB %.2f  KTA %.2f\n", double(total[1]) / double(total[0]),
           double(total[3]) / double(total[2]));
    return status;
}
