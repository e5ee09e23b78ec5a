// Path recovery and emission on hand-built paths: the unreverse walk, the optimize passes'
// keep-or-merge decisions at their boundaries, the bytes written and the report figures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "item_code.h"
#include "pack_messages.h"
#include "pack_support.h"
#include "path_recovery.h"
#include "variant.h"
#include "write_path.h"

namespace {

// What the program makes of a phase's result: prints its message (nothing on success) and
// gives the exit status.
int shown(const pack_status& s) {
    print_pack_failure(s);
    return exit_status(s);
}

struct tok {
    int len; // 1 = literal
    int off;
};

std::vector<tok> lits(int n) { return std::vector<tok>(size_t(n), tok{1, 0}); }

std::vector<tok> operator+(std::vector<tok> a, const std::vector<tok>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Lays out a path as path recovery leaves it: each sequence at its first and last position.
int set_path(pack_tables& t, const std::vector<tok>& path) {
    int p = 0;
    for (const tok& k : path) {
        t.step_len[p] = uint16_t(k.len);
        t.step_off[p] = uint16_t(k.off);
        if (k.len > 1) {
            t.step_len[p + k.len - 1] = uint16_t(k.len);
            t.step_off[p + k.len - 1] = uint16_t(k.off);
        }
        p += k.len;
    }
    return p;
}

// The path read forward from position 0 by first positions.
std::vector<tok> get_path(const pack_tables& t, int n) {
    std::vector<tok> path;
    for (int p = 0; p < n;) {
        const int len = t.step_len[p];
        if (len == 0) return path; // broken; the comparison shows it
        path.push_back({len, len > 1 ? int(t.step_off[p]) : 0});
        p += len;
    }
    return path;
}

bool same(const std::vector<tok>& a, const std::vector<tok>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].len != b[i].len || (a[i].len > 1 && a[i].off != b[i].off)) return false;
    return true;
}

template <class V>
std::vector<tok> after_pass(const std::vector<tok>& path, int pass) {
    auto t = fresh_tables();
    const int n = set_path(*t, path);
    const int status =
        pass == 1 ? shown(optimize_pass_1<V>(*t, n)) : shown(optimize_pass_2<V>(*t, n));
    EXPECT_EQ(status, 0);
    return get_path(*t, n);
}

const std::vector<tok> seq_lead = lits(1) + std::vector<tok>{{3, 1}}; // ends a run: r = 0

TEST(unreverse, turns_last_positions_into_a_path) {
    auto t = fresh_tables();
    const uint16_t forward_len[] = {0, 0, 0, 3, 4, 5, 6, 7};
    for (int p = 0; p < 8; ++p) {
        t->step_len[p] = forward_len[p];
        t->step_off[p] = p >= 3 ? 1 : 0;
    }
    ASSERT_EQ(shown(unreverse(*t, 8)), 0);
    const std::vector<int> expect_len{1, 7, 0, 0, 0, 0, 0, 7};
    const std::vector<int> expect_off{0, 1, 0, 0, 0, 0, 0, 1};
    for (int p = 0; p < 8; ++p) {
        EXPECT_EQ(t->step_len[p], expect_len[size_t(p)]) << p;
        EXPECT_EQ(t->step_off[p], expect_off[size_t(p)]) << p;
    }
    auto one = fresh_tables();
    ASSERT_EQ(shown(unreverse(*one, 1)), 0);
    EXPECT_EQ(one->step_len[0], 1);
    EXPECT_EQ(shown(optimize_pass_1<ktb_variant>(*one, 1)), 0);
    EXPECT_EQ(shown(optimize_pass_2<ktb_variant>(*one, 1)), 0);
    EXPECT_EQ(one->step_len[0], 1);
}

TEST(unreverse, sequence_reaching_position_0_fails) {
    auto t = fresh_tables();
    t->step_len[4] = 2;
    t->step_len[2] = 3; // would start at 0
    testing::internal::CaptureStdout();
    EXPECT_EQ(shown(unreverse(*t, 5)), 3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nError: Unreverse failed. Index: 2  Len: 3  Zac: 0\n");
}

struct merge_case {
    int len, off, run;
    bool stays;
};

// KTB keeps a sequence when merging it into the run beside it costs more bytes.
const merge_case ktb_cases[] = {
    {2, 5, 0, true},      // keep 2, merge 3
    {2, 5, 5, false},     // keep 3, merge 3
    {2, 5, 62, true},     // merged run of 64 needs two control bytes
    {3, 128, 10, false},  // keep 4, merge 4
    {2, 5, 16380, false}, // one run of 16382
    {2, 5, 16381, true},  // the merged run reaches 16383
    {2, 5, 16384, true},  // the counter has wrapped to 0
    {64, 5, 0, true},
};

TEST(optimize_ktb, pass_1_against_the_run_before) {
    for (const auto& c : ktb_cases) {
        SCOPED_TRACE(testing::Message() << c.len << " " << c.off << " " << c.run);
        const std::vector<tok> path =
            seq_lead + lits(c.run) + std::vector<tok>{{c.len, c.off}} + lits(1);
        const std::vector<tok> expect = c.stays ? path : seq_lead + lits(c.run + c.len + 1);
        EXPECT_TRUE(same(after_pass<ktb_variant>(path, 1), expect));
    }
}

TEST(optimize_ktb, pass_2_against_the_run_after) {
    for (const auto& c : ktb_cases) {
        SCOPED_TRACE(testing::Message() << c.len << " " << c.off << " " << c.run);
        const std::vector<tok> path = seq_lead + std::vector<tok>{{c.len, c.off}} + lits(c.run);
        const std::vector<tok> expect = c.stays ? path : seq_lead + lits(c.len + c.run);
        EXPECT_TRUE(same(after_pass<ktb_variant>(path, 2), expect));
    }
}

TEST(optimize_kta, pass_1_pairs_beside_a_run) {
    const struct {
        int run;
        bool stays;
    } cases[] = {{125, false}, {126, true}, {127, true}, {128, true}, {129, false}, {0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.run);
        const std::vector<tok> path = seq_lead + lits(c.run) + std::vector<tok>{{2, 9}} + lits(1);
        const std::vector<tok> expect = c.stays ? path : seq_lead + lits(c.run + 3);
        EXPECT_TRUE(same(after_pass<kta_variant>(path, 1), expect));
    }
    // Longer sequences always stay; a pair right after position 0 merges.
    const std::vector<tok> long_seq = seq_lead + lits(5) + std::vector<tok>{{3, 9}} + lits(1);
    EXPECT_TRUE(same(after_pass<kta_variant>(long_seq, 1), long_seq));
    const std::vector<tok> first = lits(1) + std::vector<tok>{{2, 1}} + lits(1);
    EXPECT_TRUE(same(after_pass<kta_variant>(first, 1), lits(4)));
}

TEST(optimize_kta, two_pairs_in_a_row) {
    const std::vector<tok> pairs{{2, 7}, {2, 9}};
    const struct {
        int after;
        std::vector<tok> expect;
    } cases[] = {
        {0, seq_lead + pairs},
        {1, seq_lead + lits(5)},
        {123, seq_lead + lits(127)},
        {124, seq_lead + std::vector<tok>{{2, 7}} + lits(126)},
        {125, seq_lead + std::vector<tok>{{2, 7}} + lits(127)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        const std::vector<tok> path = seq_lead + pairs + lits(c.after);
        const std::vector<tok> mid = after_pass<kta_variant>(path, 1);
        EXPECT_TRUE(same(mid, path)); // pass 1 keeps both: r is 0 at each
        EXPECT_TRUE(same(after_pass<kta_variant>(mid, 2), c.expect));
    }
}

TEST(optimize, missing_token_fails_with_position_and_counter) {
    struct fail_case {
        bool ktb;
        int pass;
        std::vector<uint16_t> lens;
        int status;
        std::string message;
    };
    const fail_case cases[] = {
        {true, 1, {1, 1, 0, 1}, 4, "\nError: Optimize 1 failed. Index: 2  Len: 2\n"},
        {false, 1, {1, 1, 0, 1}, 4, "\nError: Optimize 1 failed. Index: 2  Len: 2\n"},
        {true, 2, {1, 0, 1, 1}, 4, "\nError: Optimize 2 failed. Index: 1  Len: 2\n"},
        {false, 2, {1, 0, 1, 0, 1}, 4, "\nError: Optimize 2 failed. Index: 3  Len: 1\n"},
        {false, 2, {1, 0, 1, 1}, 0, ""}, // KTA never reviews positions 0 and 1
    };
    for (const auto& c : cases) {
        auto t = fresh_tables();
        const int n = int(c.lens.size());
        for (int p = 0; p < n; ++p) t->step_len[p] = c.lens[size_t(p)];
        testing::internal::CaptureStdout();
        int status = c.ktb ? (c.pass == 1 ? shown(optimize_pass_1<ktb_variant>(*t, n))
                                          : shown(optimize_pass_2<ktb_variant>(*t, n)))
                           : (c.pass == 1 ? shown(optimize_pass_1<kta_variant>(*t, n))
                                          : shown(optimize_pass_2<kta_variant>(*t, n)));
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
    }
}

struct emitted {
    int status;
    bytes stream;
    emit_figures fig;
    std::string printed;
};

template <class V>
emitted emit(const bytes& in, const std::vector<tok>& path) {
    auto t = fresh_tables();
    const int n = set_path(*t, path);
    EXPECT_EQ(size_t(n), in.size());
    bytes out(max_output);
    emitted e{};
    testing::internal::CaptureStdout();
    e.status = shown(write_path<V>(*t, in.data(), n, out.data(), e.fig));
    e.printed = testing::internal::GetCapturedStdout();
    if (e.status == 0) e.stream.assign(out.begin(), out.begin() + e.fig.packed_len);
    return e;
}

// The control bytes of a stream with the literal bytes left out.
bytes controls(const bytes& stream, bool ktb) {
    bytes c;
    for (size_t i = 0; i < stream.size();) {
        const uint8_t b = stream[i];
        c.push_back(b);
        if (b == 0) break;
        if (!ktb) {
            if (b & 1)
                c.push_back(stream[i + 1]), i += 2;
            else
                i += 1 + (b >> 1);
            continue;
        }
        size_t count = b & 0x3F;
        size_t k = 1;
        if (b & 0x80) c.push_back(stream[i + 1]), count = count << 8 | stream[i + 1], k = 2;
        if (b & 0x40) {
            c.push_back(stream[i + k]);
            if (stream[i + k] & 0x80) c.push_back(stream[i + k + 1]), ++k;
            i += k + 1;
        } else {
            i += k + count;
        }
    }
    return c;
}

TEST(emit, control_bytes_at_the_format_limits) {
    const struct {
        bool ktb;
        std::vector<tok> path;
        bytes expect;
    } cases[] = {
        {true, lits(63), {0x3F, 0x00}},
        {true, lits(64), {0x80, 0x40, 0x00}},
        {true, lits(16383), {0xBF, 0xFF, 0x00}},
        {true, lits(16384), {0xBF, 0xFF, 0x01, 0x00}},
        {true, lits(127) + std::vector<tok>{{63, 127}}, {0x80, 0x7F, 0x7F, 0x7F, 0x00}},
        {true, lits(128) + std::vector<tok>{{64, 128}}, {0x80, 0x80, 0xC0, 0x40, 0x80, 0x80, 0x00}},
        {true,
         lits(32767) + std::vector<tok>{{2, 32767}},
         {0xBF, 0xFF, 0xBF, 0xFF, 0x01, 0x42, 0xFF, 0xFF, 0x00}},
        {true, lits(3) + std::vector<tok>{{2, 1}} + lits(2), {0x03, 0x42, 0x01, 0x02, 0x00}},
        {false, lits(127), {0xFE, 0x00}},
        {false, lits(128), {0xFE, 0x02, 0x00}},
        {false, lits(255) + std::vector<tok>{{127, 255}}, {0xFE, 0xFE, 0x02, 0xFF, 0xFF, 0x00}},
        {false, lits(3) + std::vector<tok>{{2, 1}} + lits(2), {0x06, 0x05, 0x01, 0x04, 0x00}},
    };
    for (const auto& c : cases) {
        int n = 0;
        for (const tok& k : c.path) n += k.len;
        bytes in(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) in[size_t(i)] = uint8_t(i * 7 + 1);
        emitted e = c.ktb ? emit<ktb_variant>(in, c.path) : emit<kta_variant>(in, c.path);
        ASSERT_EQ(e.status, 0);
        EXPECT_EQ(controls(e.stream, c.ktb), c.expect) << n;
        int literals = 0;
        for (const tok& k : c.path) literals += k.len == 1;
        EXPECT_EQ(e.fig.data_count, literals);
        EXPECT_EQ(e.fig.packed_len, int(e.stream.size()));
        EXPECT_EQ(e.fig.overhead_count, int(c.expect.size()));
    }
}

TEST(emit, refuses_tokens_beyond_the_limits) {
    const struct {
        bool ktb;
        std::vector<tok> path;
        int status;
        std::string message;
    } cases[] = {
        {true, lits(1) + std::vector<tok>{{16384, 1}}, 4,
         "\nError: Out of range at position 1 (0x0001)  offset: 1  length: 16384\n"},
        {true, lits(32768) + std::vector<tok>{{2, 32768}}, 4,
         "\nError: Out of range at position 32768 (0x8000)  offset: 32768  length: 2\n"},
        {false, lits(256) + std::vector<tok>{{2, 256}}, 5,
         "\nError: Out of range - offset: 256  length: 2\n"},
        {false, lits(1) + std::vector<tok>{{128, 1}}, 5,
         "\nError: Out of range - offset: 1  length: 128\n"},
    };
    for (const auto& c : cases) {
        int n = 0;
        for (const tok& k : c.path) n += k.len;
        emitted e = c.ktb ? emit<ktb_variant>(bytes(size_t(n)), c.path)
                          : emit<kta_variant>(bytes(size_t(n)), c.path);
        EXPECT_EQ(e.status, c.status);
        EXPECT_EQ(e.printed, c.message);
    }
}

TEST(emit, missing_token_names_its_position) {
    for (bool ktb : {true, false}) {
        auto t = fresh_tables();
        t->step_len[0] = 1;
        t->step_len[1] = 1;
        t->step_off[2] = 0x1234;
        const bytes in(4);
        bytes out(max_output);
        emit_figures fig;
        testing::internal::CaptureStdout();
        const int status = ktb ? shown(write_path<ktb_variant>(*t, in.data(), 4, out.data(), fig))
                               : shown(write_path<kta_variant>(*t, in.data(), 4, out.data(), fig));
        EXPECT_EQ(status, 4);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "\nError: No token at position 2 (0x0002)  offset: 4660  length: 0\n");
    }
}

// Bytes of an item the writer codes under the variant's model; -1 where it has no form.
template <class V>
int literal_head_bytes(int run) {
    item_code c;
    return code_literal_head(V::model.type, uint32_t(run), c) ? item_bits(c) / 8 : -1;
}

template <class V>
int sequence_bytes(int len, int off) {
    item_code c;
    if (!code_sequence_head(V::model.type, uint32_t(len), c)) return -1;
    return code_offset(V::model, uint32_t(off), c) ? item_bits(c) / 8 : -1;
}

// The parse charges what the writer writes: the variant's costs equal the item codes' sizes
// at every length, at every offset, and for every literal that extends a run; one past each
// limit the writer has no form.
template <class V>
void expect_costs_of_the_writer() {
    int wrong = 0;
    for (int len = 2; len <= V::max_seq_len; ++len)
        for (int off : {1, 127, 128, 255, V::max_offset})
            if (off <= V::max_offset && V::seq_cost(len, off) != sequence_bytes<V>(len, off) &&
                ++wrong < 5)
                ADD_FAILURE() << "length " << len << " offset " << off;
    for (int off = 1; off <= V::max_offset; ++off)
        for (int len : {2, 63, 64, 127, V::max_seq_len})
            if (len <= V::max_seq_len && V::seq_cost(len, off) != sequence_bytes<V>(len, off) &&
                ++wrong < 5)
                ADD_FAILURE() << "offset " << off << " length " << len;
    // A literal joining a run of r costs its byte and the growth of the run's head.
    for (int r = 1; r < V::max_literal_run; ++r)
        if (V::extend_cost(r) != 1 + literal_head_bytes<V>(r + 1) - literal_head_bytes<V>(r) &&
            ++wrong < 5)
            ADD_FAILURE() << "run of " << r;
    EXPECT_EQ(wrong, 0);
    // The parse starts a run at 2: one head byte and the literal.
    EXPECT_EQ(1 + literal_head_bytes<V>(1), 2);
    EXPECT_EQ(literal_head_bytes<V>(V::max_literal_run + 1), -1);
    EXPECT_EQ(sequence_bytes<V>(V::max_seq_len + 1, 1), -1);
    EXPECT_EQ(sequence_bytes<V>(2, V::max_offset + 1), -1);
}

TEST(emit, parse_costs_are_the_writers_item_sizes) {
    expect_costs_of_the_writer<ktb_variant>();
    expect_costs_of_the_writer<kta_variant>();
}

} // namespace
