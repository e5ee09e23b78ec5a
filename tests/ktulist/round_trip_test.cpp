// Random KTA and KTB token lists (fixed seeds) written by the test writer and depacked by
// the loop in memory: the data, the statistics and the written forms must all agree.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "stream_writer.h"
#include "token_loop.h"

namespace {

struct format_limits {
    bool ktb;
    uint32_t max_count;
    uint32_t max_offset;
};

constexpr format_limits kta_limits{false, 127, 255};
constexpr format_limits ktb_limits{true, 16383, 32767};

// Token lists that mix short periods, long runs and boundary counts and offsets; the
// total stays within the output buffer.
std::vector<stream_item> random_items(std::mt19937& rng, const format_limits& f, uint32_t budget) {
    auto pick = [&rng](uint32_t lo, uint32_t hi) {
        return std::uniform_int_distribution<uint32_t>(lo, hi)(rng);
    };
    // Counts near the writer boundaries turn up often: 1, 63/64, the maxima.
    auto count = [&](uint32_t cap) {
        const uint32_t edges[] = {1, 2, 63, 64, 127, 128, 255, 256, f.max_count};
        uint32_t n = pick(0, 3) == 0 ? edges[pick(0, 8)] : pick(1, pick(0, 1) ? 16 : f.max_count);
        if (n > f.max_count) n = f.max_count;
        return n > cap ? cap : n;
    };
    std::vector<stream_item> items;
    uint32_t produced = 0;
    const uint32_t tokens = pick(0, 60);
    for (uint32_t t = 0; t < tokens && produced < budget; ++t) {
        const uint32_t room = budget - produced;
        if (produced == 0 || pick(0, 2) == 0) {
            std::string bytes(count(room), '\0');
            for (char& b : bytes) b = static_cast<char>(pick(0, 255));
            items.push_back(literal(bytes, f.ktb && pick(0, 3) == 0));
            produced += static_cast<uint32_t>(bytes.size());
        } else {
            const uint32_t max_off = produced < f.max_offset ? produced : f.max_offset;
            const uint32_t off = pick(0, 3) == 0 ? max_off : pick(1, max_off);
            const uint32_t len = count(room);
            items.push_back(sequence(len, off, f.ktb && pick(0, 3) == 0, f.ktb && pick(0, 3) == 0));
            produced += len;
        }
    }
    if (pick(0, 9) != 0) items.push_back(end_mark()); // some streams stop without one
    return items;
}

void check_round_trips(const format_limits& f, unsigned seed, int count) {
    std::mt19937 rng(seed);
    for (int i = 0; i < count; ++i) {
        const uint32_t budget =
            std::uniform_int_distribution<uint32_t>(0, 3)(rng) == 0 ? 80000 : 3000;
        const std::vector<stream_item> items = random_items(rng, f, budget);
        const std::string stream = f.ktb ? write_ktb(items) : write_kta(items);
        const std::string expected = unpacked_data(items);
        uint32_t sequences = 0;
        for (const stream_item& it : items) sequences += it.kind == item_kind::sequence;
        const uint32_t literals = literal_byte_count(items);

        stream_job job;
        job.name = "r";
        job.model = f.ktb ? pack_model{2, 2, 0, 0} : pack_model{1, 1, 0, 0};
        job.mode = run_mode::depack;
        testing::internal::CaptureStdout();
        const stream_result r = list_or_depack(reinterpret_cast<const uint8_t*>(stream.data()),
                                               static_cast<int32_t>(stream.size()), job);
        const std::string printed = testing::internal::GetCapturedStdout();

        SCOPED_TRACE("stream " + std::to_string(i) + " of seed " + std::to_string(seed));
        ASSERT_TRUE(r.ok) << printed;
        ASSERT_TRUE(r.write_output);
        ASSERT_EQ(r.stats.unpacked, static_cast<int32_t>(expected.size()));
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), out_buf,
                               [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }));
        EXPECT_EQ(r.stats.packed_pos, static_cast<int32_t>(stream.size()));
        EXPECT_EQ(r.end_mark, !items.empty() && items.back().kind == item_kind::end_mark);
        EXPECT_EQ(r.stats.num_sek, sequences);
        EXPECT_EQ(r.stats.no_pack, literals);
        EXPECT_EQ(r.stats.packed, expected.size() - literals);
        EXPECT_EQ(r.stats.overhead_bits, 8 * (stream.size() - literals));
    }
}

TEST(round_trip, kta_streams_depack_to_their_data) { check_round_trips(kta_limits, 1, 3000); }
TEST(round_trip, ktb_streams_depack_to_their_data) { check_round_trips(ktb_limits, 2, 3000); }

// In list mode only the bytes the listing shows are copied; the counts stay the same.
TEST(round_trip, list_mode_counts_as_depack_mode) {
    std::mt19937 rng(3);
    for (int i = 0; i < 300; ++i) {
        const std::vector<stream_item> items = random_items(rng, ktb_limits, 5000);
        const std::string stream = write_ktb(items);
        stream_job job;
        job.name = "r";
        job.model = {2, 2, 0, 0};
        testing::internal::CaptureStdout();
        job.mode = run_mode::list;
        const stream_result listed = list_or_depack(reinterpret_cast<const uint8_t*>(stream.data()),
                                                    static_cast<int32_t>(stream.size()), job);
        job.mode = run_mode::depack;
        const stream_result depacked =
            list_or_depack(reinterpret_cast<const uint8_t*>(stream.data()),
                           static_cast<int32_t>(stream.size()), job);
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(listed.ok && depacked.ok);
        EXPECT_FALSE(listed.write_output);
        EXPECT_EQ(listed.stats.packed_pos, depacked.stats.packed_pos);
        EXPECT_EQ(listed.stats.unpacked, depacked.stats.unpacked);
        EXPECT_EQ(listed.stats.num_sek, depacked.stats.num_sek);
        EXPECT_EQ(listed.stats.overhead_bits, depacked.stats.overhead_bits);
    }
}

} // namespace
