#include "model_search.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {

void run_codings(const file_matches& fm, std::atomic<int>& next, search_result& result) {
    parse_space space;
    size_parse_space(fm.size, space);
    type_costs types[compression_type_count];
    bool type_ok[compression_type_count];
    for (int t = 0; t < compression_type_count; ++t)
        type_ok[t] = build_type_costs(compression_types[t].type, fm.size, types[t]);
    for (int c = next++; c < search_coding_count; c = next++) {
        pack_model model = search_model(c * compression_type_count);
        model_plan plan;
        // The coding's offsets are the same for all its types; only the grammar changes.
        bool coding_ok = build_coding_costs(model, fm.size, plan.cc);
        for (int t = 0; t < compression_type_count; ++t) {
            const int i = c * compression_type_count + t;
            model.type = compression_types[t].type;
            plan.cc.model = model;
            plan.tc = types[t];
            result.size[i] =
                coding_ok && type_ok[t] ? least_stream_size(fm, plan, space) : INT32_MAX;
        }
    }
}

} // namespace

void search_models(const file_matches& fm, int threads, search_result& result) {
    std::atomic<int> next{0};
    std::vector<std::thread> workers;
    for (int i = 1; i < threads; ++i)
        workers.emplace_back([&fm, &next, &result] { run_codings(fm, next, result); });
    run_codings(fm, next, result);
    for (std::thread& w : workers) w.join();
    result.best = 0;
    for (int i = 1; i < search_model_count; ++i)
        if (result.size[i] < result.size[result.best]) result.best = i;
}
