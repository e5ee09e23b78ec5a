// The search set and the search: 1,596 distinct models in the stated order, every one
// packable, and the search's sizes and choice equal to packing each model on its own (for KTR,
// whose repeats the search weighs only for its first models, a bound that packing meets there).
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <tuple>

#include "item_code.h"
#include "model_search.h"
#include "universal_support.h"

namespace {

TEST(model_search, the_set_is_every_listed_model_once) {
    std::set<std::tuple<int, int, int, int>> seen;
    int per_coding[8] = {};
    for (int i = 0; i < search_model_count; ++i) {
        const pack_model m = search_model(i);
        EXPECT_TRUE(model_is_packable(m)) << model_text(m);
        seen.insert({m.type, m.coding, m.offset1, m.offset2});
        ++per_coding[m.coding];
        const int widest = m.coding == 4 ? 7 : m.coding == 5 ? 16 : m.coding == 6 ? 15 : 0;
        EXPECT_LE(m.offset1, widest);
        EXPECT_LE(m.offset2, m.coding == 6 ? 16 : 0);
    }
    EXPECT_EQ(seen.size(), 1596u);
    EXPECT_EQ(per_coding[1], 6);
    EXPECT_EQ(per_coding[2], 6);
    EXPECT_EQ(per_coding[4], 42);
    EXPECT_EQ(per_coding[5], 96);
    EXPECT_EQ(per_coding[6], 1440);
    EXPECT_EQ(per_coding[7], 6);
}

// The set's membership test agrees with its enumeration over every small model, widths not
// taken by a coding included.
TEST(model_search, membership_is_the_enumeration) {
    std::set<std::tuple<int, int, int, int>> listed;
    for (int i = 0; i < search_model_count; ++i) {
        const pack_model m = search_model(i);
        listed.insert({m.type, m.coding, m.offset1, m.offset2});
    }
    int members = 0;
    for (int type = -1; type <= 7; ++type)
        for (int coding = -1; coding <= 10; ++coding)
            for (int w1 = -1; w1 <= 17; ++w1)
                for (int w2 = -1; w2 <= 17; ++w2) {
                    const bool in = in_search_set({type, coding, w1, w2});
                    EXPECT_EQ(in, listed.count({type, coding, w1, w2}) == 1)
                        << type << " " << coding << " " << w1 << " " << w2;
                    members += in;
                }
    EXPECT_EQ(members, 1596);
    EXPECT_EQ(search_model(-1).type, 0);
    EXPECT_EQ(search_model(search_model_count).type, 0);
}

TEST(model_search, sizes_and_choice_equal_packing_each_model) {
    std::mt19937 rng(9);
    std::vector<uint8_t> in;
    // Text-like data with repeats near and far, so that the models differ.
    for (int i = 0; i < 3000; ++i) {
        if (in.size() > 600 && rng() % 10 == 0) {
            const size_t from = rng() % (in.size() - 30);
            for (int k = 0; k < 12; ++k) in.push_back(in[from + k]);
        } else {
            in.push_back(static_cast<uint8_t>('a' + rng() % 12));
        }
    }
    file_matches fm;
    prepare_file(in.data(), static_cast<int32_t>(in.size()), fm);
    static search_result found;
    search_models(fm, 2, found);
    int32_t least = INT32_MAX;
    for (int i = 0; i < search_model_count; ++i) least = std::min(least, found.size[i]);
    EXPECT_EQ(found.size[found.best], least);
    int ktr_least = -1;
    for (int i = 0; i < search_model_count; ++i)
        if (search_model(i).type == type_ktr &&
            (ktr_least < 0 || found.size[i] < found.size[ktr_least]))
            ktr_least = i;
    for (int i = 0; i < search_model_count; i += 7) {
        const pack_model m = search_model(i);
        const packed r = pack_input(in, m);
        ASSERT_EQ(r.status, universal_status::ok) << model_text(m);
        if (m.type == type_ktr)
            EXPECT_LE(static_cast<int32_t>(r.stream.size()), found.size[i]) << model_text(m);
        else
            EXPECT_EQ(static_cast<int32_t>(r.stream.size()), found.size[i]) << model_text(m);
    }
    const packed best_ktr = pack_input(in, search_model(ktr_least));
    EXPECT_EQ(static_cast<int32_t>(best_ktr.stream.size()), found.size[ktr_least]);
    const packed best = pack_input(in, search_model(found.best));
    EXPECT_EQ(static_cast<int32_t>(best.stream.size()), least);
}

} // namespace
