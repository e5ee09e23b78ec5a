// Random token lists in every compression type crossed with every offset coding, written by
// the bit-stream writer and depacked by the listing loop: the output, the stream position and
// the overhead bit count must be exactly what the writer laid down.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "bit_stream_writer.h"
#include "format_table.h"
#include "test_depack.h"

namespace {

struct written_stream {
    std::vector<uint8_t> packed;
    std::vector<uint8_t> expected;
    int32_t end_pos; // where the end mark ends
    uint32_t overhead_bits;
};

std::vector<pack_model> every_model() {
    const std::vector<std::pair<int, int>> widths[8] = {{},
                                                        {{0, 0}},
                                                        {{0, 0}},
                                                        {},
                                                        {{1, 0}, {3, 0}, {4, 0}, {7, 0}},
                                                        {{1, 0}, {4, 0}, {8, 0}, {16, 0}},
                                                        {{2, 5}, {4, 8}, {1, 15}, {7, 3}},
                                                        {{0, 0}}};
    std::vector<pack_model> models;
    for (int type = 1; type <= compression_type_count; ++type)
        for (int coding = 1; coding <= 7; ++coding)
            for (auto [o1, o2] : widths[coding]) models.push_back({type, coding, o1, o2});
    return models;
}

uint32_t pick(std::mt19937& rng, uint32_t lo, uint32_t hi) {
    return std::uniform_int_distribution<uint32_t>(lo, hi)(rng);
}

// A literal-run length the grammar can write, mostly short, now and then long.
uint32_t literal_length(std::mt19937& rng, const pack_model& m) {
    for (;;) {
        uint32_t len = pick(rng, 0, 9) == 0 ? pick(rng, 1, 400) : pick(rng, 1, 12);
        if (can_write_literal_run(m, len)) return len;
    }
}

written_stream write_random_stream(std::mt19937& rng, const pack_model& m) {
    written_stream s;
    bit_stream_writer w;
    if (first_byte_flag(m.type) == 1) {
        uint8_t b = static_cast<uint8_t>(pick(rng, 0, 255));
        put_raw_byte(w, b);
        s.expected.push_back(b);
    }
    uint32_t tokens = pick(rng, 0, 40);
    // KTR: no run right after a run, and a repeat of the last offset only there.
    const bool joined = find_type(m.type)->joined_runs;
    bool after_run = false;
    uint32_t last_offset = 1;
    for (uint32_t t = 0; t < tokens; ++t) {
        if (joined && after_run && pick(rng, 0, 1) == 0) {
            const uint32_t len = pick(rng, 0, 9) == 0 ? pick(rng, 1, 300) : pick(rng, 1, 10);
            put_repeat(w, m, len);
            for (uint32_t k = 0; k < len; ++k)
                s.expected.push_back(s.expected[s.expected.size() - last_offset]);
            after_run = false;
        } else if ((s.expected.empty() || pick(rng, 0, 2) == 0) && !(joined && after_run)) {
            after_run = true;
            uint32_t len = literal_length(rng, m);
            std::vector<uint8_t> data(len);
            // Few distinct values, so that sequences find repeats worth checking.
            for (uint8_t& b : data) b = static_cast<uint8_t>(pick(rng, 0, 3) * 61);
            put_literal_run(w, m, data.data(), len);
            s.expected.insert(s.expected.end(), data.begin(), data.end());
        } else {
            uint32_t far =
                std::min<uint32_t>(static_cast<uint32_t>(s.expected.size()), max_offset(m));
            uint32_t offset = pick(rng, 0, 3) == 0 ? far : pick(rng, 1, far);
            uint32_t least = (m.type == type_kta || m.type == type_ktb) ? 1 : 2;
            uint32_t len = pick(rng, 0, 9) == 0 ? pick(rng, least, 300) : pick(rng, least, 10);
            len = std::min(len, max_sequence_length(m));
            put_sequence(w, m, len, offset);
            after_run = false;
            last_offset = offset;
            for (uint32_t k = 0; k < len; ++k)
                s.expected.push_back(s.expected[s.expected.size() - offset]);
        }
    }
    put_end_mark(w, m);
    s.end_pos = static_cast<int32_t>(w.bytes.size());
    s.overhead_bits = w.overhead_bits;
    // Whatever follows the end mark is never read.
    for (uint32_t k = pick(rng, 0, 3); k > 0; --k)
        w.bytes.push_back(static_cast<uint8_t>(pick(rng, 0, 255)));
    s.packed = w.bytes;
    return s;
}

TEST(bit_round_trip, every_type_and_coding) {
    std::mt19937 rng(20261208);
    int streams = 0;
    for (const pack_model& m : every_model()) {
        for (int i = 0; i < 60; ++i, ++streams) {
            written_stream s = write_random_stream(rng, m);
            test_depack_result r = test_depack(s.packed, m);
            ASSERT_FALSE(r.failed)
                << "type " << m.type << " coding " << m.coding << " #" << i << r.printed;
            ASSERT_EQ(r.out, s.expected)
                << "type " << m.type << " coding " << m.coding << " #" << i;
            ASSERT_EQ(r.pos, s.end_pos) << "type " << m.type << " coding " << m.coding;
            ASSERT_EQ(r.overhead_bits, s.overhead_bits)
                << "type " << m.type << " coding " << m.coding;
        }
    }
    EXPECT_GT(streams, 3000);
}

} // namespace
