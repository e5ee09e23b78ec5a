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

// KTR's least size over every parse, repeats included: the least bit total from each position
// to the end, per offset a repeat would reuse and per whether a literal run just ended there.
size_t least_with_repeats(const std::vector<uint8_t>& in, const pack_model& m) {
    const size_t n = in.size();
    bit_stream_writer end;
    put_end_mark(end, m);
    std::vector<uint32_t> seq((n + 1) * (n + 1), UINT32_MAX); // by length and offset
    std::vector<uint32_t> head(n + 1, UINT32_MAX);            // a run's or a repeat's head
    for (uint32_t len = 1; len <= n; ++len) {
        head[len] = literal_bits(m, in.data(), len) - 8 * len;
        for (uint32_t d = 1; d < n; ++d)
            if (can_write_sequence(m, len, d)) seq[len * (n + 1) + d] = sequence_bits(m, len, d);
    }
    std::vector<uint32_t> best((n + 1) * (n + 1) * 2, UINT32_MAX);
    auto at = [&](size_t p, size_t off, int after_run) -> uint32_t& {
        return best[(p * (n + 1) + off) * 2 + static_cast<size_t>(after_run)];
    };
    for (size_t off = 1; off <= n; ++off)
        for (int after_run = 0; after_run <= 1; ++after_run)
            at(n, off, after_run) = end.overhead_bits;
    auto add = [](uint32_t a, uint32_t b) {
        return a == UINT32_MAX || b == UINT32_MAX ? UINT32_MAX : a + b;
    };
    for (size_t p = n; p-- > 1;) {
        // A sequence leaves the same state whatever the one it left.
        uint32_t by_sequence = UINT32_MAX;
        for (uint32_t len = 1; len <= n - p; ++len)
            for (uint32_t d = 1; d <= p; ++d)
                if (matches(in, p, len, d))
                    by_sequence =
                        std::min(by_sequence, add(seq[len * (n + 1) + d], at(p + len, d, 0)));
        for (size_t off = 1; off <= n; ++off)
            for (int after_run = 0; after_run <= 1; ++after_run) {
                uint32_t b = by_sequence;
                for (uint32_t len = 1; len <= n - p; ++len) {
                    if (after_run == 0)
                        b = std::min(b, add(head[len] + 8 * len, at(p + len, off, 1)));
                    else if (off <= p && matches(in, p, len, static_cast<uint32_t>(off)))
                        b = std::min(b, add(head[len], at(p + len, off, 0)));
                }
                at(p, off, after_run) = b;
            }
    }
    return (8 + at(1, 1, 0) + 7) / 8;
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

// KTR's parse keeps a bounded set of repeat offsets per position: never below the least, and
// above it by this share of the total at most, over all the inputs of a test.
constexpr double ktr_excess_limit = 0.002;

struct ktr_totals {
    size_t packed = 0;
    size_t least = 0;
};

void expect_least(const std::vector<uint8_t>& in, const pack_model& m, size_t least,
                  ktr_totals& ktr) {
    const packed r = pack_input(in, m);
    ASSERT_EQ(r.status, universal_status::ok) << model_text(m);
    const std::string text(in.begin(), in.end());
    if (m.type == type_ktr) {
        least = least_with_repeats(in, m);
        EXPECT_GE(r.stream.size(), least) << model_text(m) << " on \"" << text << "\"";
        ktr.packed += r.stream.size();
        ktr.least += least;
    } else {
        EXPECT_EQ(r.stream.size(), least) << model_text(m) << " on \"" << text << "\"";
    }
    const depacked_stream back = depack(r.stream, m);
    EXPECT_EQ(back.outcome.status, walk_status::end_mark)
        << model_text(m) << " on \"" << text << "\"";
    EXPECT_EQ(back.out, in) << model_text(m) << " on \"" << text << "\"";
}

void expect_ktr_near(const ktr_totals& ktr) {
    EXPECT_LE(static_cast<double>(ktr.packed),
              static_cast<double>(ktr.least) * (1 + ktr_excess_limit))
        << "KTR packed " << ktr.packed << " against the least " << ktr.least;
}

TEST(exhaustive, every_parse_written_out) {
    std::mt19937 rng(5);
    ktr_totals ktr;
    for (const pack_model& m : covered_models()) {
        for (size_t n = 1; n <= 5; ++n) {
            const std::vector<uint8_t> in = random_input(rng, n, n < 4 ? 1 : 2);
            expect_least(in, m, least_by_writing(in, m), ktr);
        }
    }
    expect_ktr_near(ktr);
}

TEST(exhaustive, least_bit_total_on_longer_inputs) {
    std::mt19937 rng(6);
    ktr_totals ktr;
    for (const pack_model& m : covered_models()) {
        for (int round = 0; round < 12; ++round) {
            const size_t n = 6 + rng() % 19;
            const std::vector<uint8_t> in = random_input(rng, n, 1 + round % 3);
            expect_least(in, m, least_by_bits(in, m), ktr);
        }
    }
    expect_ktr_near(ktr);
}

// KTR on inputs where repeats pay: a block copied with single changed bytes.
TEST(exhaustive, ktr_repeats_against_the_least) {
    std::mt19937 rng(11);
    ktr_totals ktr;
    for (const pack_model& m : covered_models()) {
        if (m.type != type_ktr) continue;
        for (int round = 0; round < 20; ++round) {
            std::vector<uint8_t> in = random_input(rng, 4 + rng() % 5, 3);
            while (in.size() < 36) {
                const size_t from = in.size() - 1 - rng() % std::min<size_t>(in.size(), 9);
                for (int k = 0; k < 5 && in.size() < 36; ++k) in.push_back(in[from + k]);
                in.push_back(static_cast<uint8_t>('a' + rng() % 5));
            }
            expect_least(in, m, 0, ktr);
        }
    }
    expect_ktr_near(ktr);
}

// Runs of one byte where the grammars switch forms: TS1's literal runs of 8 against single
// bytes, KTA's and KTB's limits, long gamma lengths.
TEST(exhaustive, limits_of_runs_and_lengths) {
    std::mt19937 rng(7);
    const std::vector<pack_model> models = {{1, 1, 0, 0}, {2, 2, 0, 0}, {3, 7, 0, 0}, {4, 5, 2, 0},
                                            {5, 6, 2, 1}, {5, 4, 1, 0}, {6, 5, 3, 0}};
    ktr_totals ktr;
    for (const pack_model& m : models) {
        for (size_t n : {7, 8, 9, 15, 16, 17}) {
            std::vector<uint8_t> in(n);
            for (uint8_t& b : in) b = static_cast<uint8_t>(rng());
            expect_least(in, m, least_by_bits(in, m), ktr);
        }
        std::vector<uint8_t> in = random_input(rng, 40, 4);
        in.insert(in.end(), 150, 'z');
        expect_least(in, m, least_by_bits(in, m), ktr);
    }
    expect_ktr_near(ktr);
}

} // namespace
