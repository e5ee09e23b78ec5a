#include "model_search.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {

pack_model search_coding(int c) {
    if (c == 0) return {0, 1, 0, 0};
    if (c == 1) return {0, 2, 0, 0};
    if (c == 2) return {0, 7, 0, 0};
    c -= 3;
    if (c < 7) return {0, 4, c + 1, 0};
    c -= 7;
    if (c < 16) return {0, 5, c + 1, 0};
    c -= 16;
    return {0, 6, c / 16 + 1, c % 16 + 1};
}

void run_codings(const file_matches& fm, std::atomic<int>& next, search_result& result) {
    parse_space space;
    size_parse_space(fm.size, space);
    type_costs types[5];
    bool type_ok[5];
    for (int t = 1; t <= 5; ++t)
        type_ok[t - 1] = build_type_costs(t, fm.size, types[t - 1]);
    for (int c = next++; c < search_coding_count; c = next++) {
        pack_model model = search_model(c * 5);
        model_plan plan;
        // The coding's offsets are the same for its five types; only the grammar changes.
        bool coding_ok = build_coding_costs(model, fm.size, plan.cc);
        for (int t = 1; t <= 5; ++t) {
            const int i = c * 5 + t - 1;
            model.type = t;
            plan.cc.model = model;
            plan.tc = types[t - 1];
            result.size[i] =
                coding_ok && type_ok[t - 1] ? least_stream_size(fm, plan, space) : INT32_MAX;
        }
    }
}

} // namespace

pack_model search_model(int index) {
    pack_model m = search_coding(index / 5);
    m.type = index % 5 + 1;
    return m;
}

void search_models(const file_matches& fm, int threads, search_result& result) {
    std::atomic<int> next{0};
    std::vector<std::thread> workers;
    for (int i = 1; i < threads; ++i)
        workers.emplace_back([&fm, &next, &result] { run_codings(fm, next, result); });
    run_codings(fm, next, result);
    for (std::thread& w : workers)
        w.join();
    result.best = 0;
    for (int i = 1; i < search_model_count; ++i)
        if (result.size[i] < result.size[result.best]) result.best = i;
}
