// Times the universal packer in-process: one model (parse, path and stream) and the search of
// all 1,330 models on two threads, wall-clock medians over REPS runs, match finding included.
// Prints per file the one-model size and time, the search time and the best model found.
// Usage: kt_ktu_timer REPS TYPE CODING W1 W2 FILE...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_io.h"
#include "model_search.h"

namespace {

double now_ms() {
    using clock = std::chrono::steady_clock;
    return std::chrono::duration<double, std::milli>(clock::now().time_since_epoch()).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 7) {
        fprintf(stderr, "usage: kt_ktu_timer REPS TYPE CODING W1 W2 FILE...\n");
        return 1;
    }
    const int reps = atoi(argv[1]);
    const pack_model model{atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5])};
    printf("%-24s %6s %6s %9s %9s %6s %s\n", "file", "input", "model", "one ms", "all ms", "best",
           "model");
    std::vector<uint8_t> out(2 * 65536 + 64);
    std::vector<token> tokens(65536);
    static search_result found;
    for (int a = 6; a < argc; ++a) {
        std::vector<uint8_t> in;
        if (!read_input_file(argv[a], 65536, in) || in.empty() || in.size() > 65536) continue;
        const int32_t n = static_cast<int32_t>(in.size());
        std::vector<double> one, all;
        pack_outcome outcome;
        for (int r = 0; r < reps; ++r) {
            double t0 = now_ms();
            file_matches fm;
            prepare_file(in.data(), n, fm);
            parse_space space;
            size_parse_space(n, space);
            if (pack_stream(fm, model, space, tokens.data(), out.data(), int32_t(out.size()),
                            outcome) != universal_status::ok)
                return 2;
            one.push_back(now_ms() - t0);
            t0 = now_ms();
            file_matches fm2;
            prepare_file(in.data(), n, fm2);
            search_models(fm2, 2, found);
            all.push_back(now_ms() - t0);
        }
        const pack_model b = search_model(found.best);
        const char* name = strrchr(argv[a], '/') ? strrchr(argv[a], '/') + 1 : argv[a];
        printf("%-24s %6d %6d %9.1f %9.1f %6d %d%d o%d o%d\n", name, n, outcome.size, median(one),
               median(all), found.size[found.best], b.type, b.coding, b.offset1, b.offset2);
        fflush(stdout);
    }
    return 0;
}
