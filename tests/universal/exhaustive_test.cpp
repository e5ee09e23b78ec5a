// The parse against exhaustive searches on small inputs, for every type and coding with
// several widths. The searches cost their tokens with the tests' own stream writer, not with
// the packer's cost tables: every offset the coding reaches up to the output position, every
// length the grammar codes, every literal-run length. Inputs of up to 5 bytes: every parse is
// written out whole and its size counted. Longer inputs: the least bit total by position.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "bit_stream_writer.h"
#include "universal_support.h"

namespace {

bool matches(const std::vector<uint8_t>& in, size_t p, uint32_t len, uint32_t d) {
    for (uint32_t k = 0; k < len; ++k)
        if (in[p + k] != in[p + k - d]) return false;
    return true;
}

uint32_t literal_bits(const pack_model& m, const uint8_t* bytes, uint32_t len) {
    bit_stream_writer w;
    put_literal_run(w, m, bytes, len);
    return w.overhead_bits + 8 * len;
}

uint32_t sequence_bits(const pack_model& m, uint32_t len, uint32_t d) {
    bit_stream_writer w;
    put_sequence(w, m, len, d);
    return w.overhead_bits;
}

// The least size over every parse, by the least bit total from each position to the end.
size_t least_by_bits(const std::vector<uint8_t>& in, const pack_model& m) {
    const size_t n = in.size();
    bit_stream_writer end;
    put_end_mark(end, m);
    std::vector<uint32_t> best(n + 1, UINT32_MAX);
    best[n] = end.overhead_bits;
    const size_t first = first_byte_flag(m.type) == 1 ? 1 : 0;
    for (size_t p = n; p-- > first;) {
        for (uint32_t len = 1; len <= n - p; ++len) {
            if (can_write_literal_run(m, len))
                best[p] = std::min(best[p], literal_bits(m, &in[p], len) + best[p + len]);
            for (uint32_t d = 1; d <= p; ++d)
                if (can_write_sequence(m, len, d) && matches(in, p, len, d))
                    best[p] = std::min(best[p], sequence_bits(m, len, d) + best[p + len]);
        }
    }
    return (8 * first + best[first] + 7) / 8;
}

// The least size over every parse, each written out whole.
size_t least_by_writing(const std::vector<uint8_t>& in, const pack_model& m) {
    const size_t n = in.size();
    const size_t first = first_byte_flag(m.type) == 1 ? 1 : 0;
    struct item {
        uint32_t len, d;
        size_t p;
    };
    std::vector<item> items;
    size_t least = SIZE_MAX;
    std::function<void(size_t)> walk = [&](size_t p) {
        if (p == n) {
            bit_stream_writer w;
            if (first == 1) put_raw_byte(w, in[0]);
            for (const item& it : items) {
                if (it.d == 0)
                    put_literal_run(w, m, &in[it.p], it.len);
                else
                    put_sequence(w, m, it.len, it.d);
            }
            put_end_mark(w, m);
            least = std::min(least, w.bytes.size());
            return;
        }
        for (uint32_t len = 1; len <= n - p; ++len) {
            if (can_write_literal_run(m, len)) {
                items.push_back({len, 0, p});
                walk(p + len);
                items.pop_back();
            }
            for (uint32_t d = 1; d <= p; ++d) {
                if (!can_write_sequence(m, len, d) || !matches(in, p, len, d)) continue;
                items.push_back({len, d, p});
                walk(p + len);
                items.pop_back();
            }
        }
    };
    walk(first);
    return least;
}

std::vector<uint8_t> random_input(std::mt19937& rng, size_t n, int letters) {
    std::vector<uint8_t> in(n);
    for (uint8_t& b : in) b = static_cast<uint8_t>('a' + rng() % static_cast<unsigned>(letters));
    return in;
}

void expect_least(const std::vector<uint8_t>& in, const pack_model& m, size_t least) {
    const packed r = pack_input(in, m);
    ASSERT_EQ(r.status, universal_status::ok) << model_text(m);
    const std::string text(in.begin(), in.end());
    EXPECT_EQ(r.stream.size(), least) << model_text(m) << " on \"" << text << "\"";
    const depacked_stream back = depack(r.stream, m);
    EXPECT_EQ(back.outcome.status, walk_status::end_mark)
        << model_text(m) << " on \"" << text << "\"";
    EXPECT_EQ(back.out, in) << model_text(m) << " on \"" << text << "\"";
}

TEST(exhaustive, every_parse_written_out) {
    std::mt19937 rng(5);
    for (const pack_model& m : covered_models()) {
        for (size_t n = 1; n <= 5; ++n) {
            const std::vector<uint8_t> in = random_input(rng, n, n < 4 ? 1 : 2);
            expect_least(in, m, least_by_writing(in, m));
        }
    }
}

TEST(exhaustive, least_bit_total_on_longer_inputs) {
    std::mt19937 rng(6);
    for (const pack_model& m : covered_models()) {
        for (int round = 0; round < 12; ++round) {
            const size_t n = 6 + rng() % 19;
            const std::vector<uint8_t> in = random_input(rng, n, 1 + round % 3);
            expect_least(in, m, least_by_bits(in, m));
        }
    }
}

// Runs of one byte where the grammars switch forms: TS1's literal runs of 8 against single
// bytes, KTA's and KTB's limits, long gamma lengths.
TEST(exhaustive, limits_of_runs_and_lengths) {
    std::mt19937 rng(7);
    const std::vector<pack_model> models = {{1, 1, 0, 0}, {2, 2, 0, 0}, {3, 7, 0, 0},
                                            {4, 5, 2, 0}, {5, 6, 2, 1}, {5, 4, 1, 0}};
    for (const pack_model& m : models) {
        for (size_t n : {7, 8, 9, 15, 16, 17}) {
            std::vector<uint8_t> in(n);
            for (uint8_t& b : in) b = static_cast<uint8_t>(rng());
            expect_least(in, m, least_by_bits(in, m));
        }
        std::vector<uint8_t> in = random_input(rng, 40, 4);
        in.insert(in.end(), 150, 'z');
        expect_least(in, m, least_by_bits(in, m));
    }
}

} // namespace
