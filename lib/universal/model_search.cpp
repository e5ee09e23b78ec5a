#include "model_search.h"

#include <algorithm>
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

// The models whose parse with repeats is run: those of the types with repeats that the parse
// without them ranks first, in set order at equal sizes.
int pick_repeat_models(const search_result& result, int* picked) {
    std::vector<int> cands;
    for (int i = 0; i < search_model_count; ++i)
        if (has_repeats(*find_type(search_model(i).type)) && result.size[i] != INT32_MAX)
            cands.push_back(i);
    const int count = std::min<int>(repeat_parse_models, static_cast<int>(cands.size()));
    std::partial_sort(cands.begin(), cands.begin() + count, cands.end(), [&result](int a, int b) {
        return result.size[a] != result.size[b] ? result.size[a] < result.size[b] : a < b;
    });
    std::copy(cands.begin(), cands.begin() + count, picked);
    return count;
}

// The sizes without repeats are in result already: the parse with them can only lower them.
void run_repeats(const file_matches& fm, const int* picked, int count, std::atomic<int>& next,
                 search_result& result) {
    ktr_space repeats;
    for (int k = next++; k < count; k = next++) {
        model_plan plan;
        if (!plan_model(search_model(picked[k]), fm.size, plan)) continue;
        int32_t& size = result.size[picked[k]];
        size = std::min(size, repeat_parse_size(fm, plan, repeats));
    }
}

// Runs work(next) on threads workers, the caller being one of them.
template <typename fn>
void on_threads(int threads, fn work) {
    std::atomic<int> next{0};
    std::vector<std::thread> workers;
    for (int i = 1; i < threads; ++i) workers.emplace_back([&next, &work] { work(next); });
    work(next);
    for (std::thread& w : workers) w.join();
}

} // namespace

void search_models(const file_matches& fm, int threads, search_result& result) {
    on_threads(threads, [&](std::atomic<int>& next) { run_codings(fm, next, result); });
    int picked[repeat_parse_models];
    const int count = pick_repeat_models(result, picked);
    on_threads(std::min(threads, std::max(count, 1)),
               [&](std::atomic<int>& next) { run_repeats(fm, picked, count, next, result); });
    result.best = 0;
    for (int i = 1; i < search_model_count; ++i)
        if (result.size[i] < result.size[result.best]) result.best = i;
}
