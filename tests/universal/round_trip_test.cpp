// Packed streams of every type and coding depacked by the depacking walk the lister runs, on inputs
// made to reach the formats' limits: runs past every length limit, repeats at the edges of every
// offset reach, incompressible data, one byte. Then each stream depacked in place with exactly its
// margin (it must work) and one byte less (a byte still to be read must be overwritten).
#include <gtest/gtest.h>

#include <random>

#include "universal_support.h"

namespace {

struct named_input {
    const char* name;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> random_bytes(std::mt19937& rng, size_t n, unsigned letters) {
    std::vector<uint8_t> v(n);
    for (uint8_t& b : v) b = static_cast<uint8_t>(letters ? 'a' + rng() % letters : rng());
    return v;
}

// A random block, the same block again after a gap of gap random bytes.
std::vector<uint8_t> repeat_at(std::mt19937& rng, size_t block, size_t gap) {
    std::vector<uint8_t> v = random_bytes(rng, block, 0);
    const std::vector<uint8_t> g = random_bytes(rng, gap, 0);
    std::vector<uint8_t> copy(v);
    v.insert(v.end(), g.begin(), g.end());
    v.insert(v.end(), copy.begin(), copy.end());
    return v;
}

std::vector<named_input> inputs() {
    std::mt19937 rng(11);
    std::vector<named_input> v;
    v.push_back({"one byte", {0x42}});
    v.push_back({"two bytes", {0x42, 0x42}});
    v.push_back({"zeros 300", std::vector<uint8_t>(300, 0)});
    v.push_back({"zeros 20000", std::vector<uint8_t>(20000, 0)});
    v.push_back({"random 700", random_bytes(rng, 700, 0)});
    v.push_back({"random 20000", random_bytes(rng, 20000, 0)});
    v.push_back({"four letters 3000", random_bytes(rng, 3000, 4)});
    v.push_back({"two letters 5000", random_bytes(rng, 5000, 2)});
    for (size_t gap : {120, 250, 1000, 32760, 40000})
        v.push_back({"repeat", repeat_at(rng, 40, gap)});
    std::vector<uint8_t> mixed;
    for (int i = 0; i < 40; ++i) {
        const std::vector<uint8_t> part = i % 3 == 0
                                              ? random_bytes(rng, rng() % 200, 0)
                                              : std::vector<uint8_t>(rng() % 300, uint8_t(i));
        mixed.insert(mixed.end(), part.begin(), part.end());
    }
    v.push_back({"runs and noise", mixed});
    return v;
}

TEST(universal_round_trip, every_model_through_the_walk_and_in_place) {
    int streams = 0;
    for (const named_input& input : inputs()) {
        file_matches fm;
        prepare_file(input.bytes.data(), static_cast<int32_t>(input.bytes.size()), fm);
        for (const pack_model& m : covered_models()) {
            const packed r = pack_prepared(fm, m);
            ASSERT_EQ(r.status, universal_status::ok) << model_text(m) << " " << input.name;
            const depacked_stream back = depack(r.stream, m);
            ASSERT_EQ(back.outcome.status, walk_status::end_mark)
                << model_text(m) << " " << input.name;
            ASSERT_EQ(back.out, input.bytes) << model_text(m) << " " << input.name;
            ASSERT_EQ(back.outcome.packed_pos, static_cast<int32_t>(r.stream.size()))
                << "the end mark must close the stream: " << model_text(m) << " " << input.name;

            const in_place_result exact =
                depack_in_place(r.stream, m, input.bytes.size(), r.margin);
            ASSERT_FALSE(exact.overwrote_unread) << model_text(m) << " " << input.name;
            ASSERT_FALSE(exact.failed) << model_text(m) << " " << input.name;
            ASSERT_EQ(exact.out, input.bytes) << model_text(m) << " " << input.name;
            const in_place_result tight =
                depack_in_place(r.stream, m, input.bytes.size(), r.margin - 1);
            ASSERT_TRUE(tight.overwrote_unread)
                << "margin " << r.margin << " is not the least: " << model_text(m) << " "
                << input.name;
            ++streams;
        }
    }
    EXPECT_EQ(streams, 14 * 114);
}

// The margins of streams whose shape decides them: a stream that is all literals needs the
// bytes its heads add; one long sequence at the end needs next to nothing.
TEST(universal_round_trip, known_margins) {
    struct margin_case {
        const char* what;
        pack_model model;
        std::vector<uint8_t> in;
        int32_t margin;
    };
    std::vector<uint8_t> alpha(100);
    for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = static_cast<uint8_t>(i * 7 + 1);
    std::vector<uint8_t> run(1000, 9);
    const margin_case cases[] = {
        // 100 literals in one run: each byte read before it is written, the end mark after
        // the last write; the stream's head byte is all it adds.
        {"KTA literal run", {1, 1, 0, 0}, alpha, 1},
        // A literal run of byte 9, then a sequence of 999 at offset 1 with two count bytes:
        // the depacker writes 999 bytes having read 5 of the 6.
        {"KTB run of one byte", {2, 2, 0, 0}, run, 1},
        {"ZX7 one byte", {3, 7, 0, 0}, {5}, 3},
    };
    for (const margin_case& c : cases) {
        const packed r = pack_input(c.in, c.model);
        EXPECT_EQ(r.margin, c.margin) << c.what;
    }
}

} // namespace
