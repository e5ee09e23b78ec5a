// The Z80 depackers run under z80ex on edge streams and on the bench corpus, at a distance from
// their stream and in place; the tests measure their sizes and speeds and hold the README table
// and the routines' comment blocks against them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "published_figures.h"
#include "test_streams.h"
#include "z80_machine.h"

namespace {

// Bench corpus files are cut here, so that stream and output fit in 64 KiB together.
constexpr size_t corpus_cut = 30000;
constexpr uint16_t guard = 16; // untouched bytes kept around the output

struct routine_info {
    format f;
    const char* source; // path in the tree
    const char* binary; // assembled by depackers/CMakeLists.txt
    int stack_bytes;    // what its comment block promises besides the return address
};

const routine_info routines[] = {
    {format::kta, "depackers/z80/kta.asm", KT_DEPACKERS_BIN "/z80/kta.bin", 2},
    {format::ktb, "depackers/z80/ktb.asm", KT_DEPACKERS_BIN "/z80/ktb.bin", 4},
};

bytes routine_bytes(const routine_info& r) {
    const std::string s = read_text(r.binary);
    return bytes(s.begin(), s.end());
}

// The stream first, then the output after a guard gap.
z80_call apart(const bytes& routine, const test_stream& t) {
    z80_call c;
    c.routine = routine;
    c.stream = t.packed;
    c.stream_at = z80_free_from;
    c.out_at = uint16_t(z80_free_from + t.packed.size() + guard);
    c.out_len = uint32_t(t.original.size());
    return c;
}

// The stream ending margin bytes past the end of the output.
z80_call in_place(const bytes& routine, const test_stream& t, int margin) {
    const long n = long(t.original.size()), p = long(t.packed.size());
    z80_call c;
    c.routine = routine;
    c.stream = t.packed;
    c.out_at = uint16_t(z80_free_from + guard + std::max(0L, p - n - margin));
    c.stream_at = uint16_t(c.out_at + n + margin - p);
    c.out_len = uint32_t(n);
    return c;
}

bool fits(const z80_call& c) {
    return c.out_at + c.out_len + guard <= 0xFFF0u &&
           c.stream_at + c.stream.size() + guard <= 0xFFF0u;
}

// Every promise of the calling contract, for one call.
void expect_contract(const routine_info& r, const z80_call& c, const test_stream& t,
                     const z80_result& res) {
    ASSERT_TRUE(res.returned);
    EXPECT_TRUE(res.output == t.original);
    EXPECT_EQ(res.de, c.out_at + t.original.size());
    EXPECT_EQ(res.hl, c.stream_at + t.packed.size());
    EXPECT_EQ(res.sp, z80_stack_top);
    EXPECT_TRUE(res.kept_registers);
    EXPECT_EQ(res.stray_writes, 0);
    EXPECT_TRUE(res.rest_unchanged);
    EXPECT_LE(res.stack_bytes, r.stack_bytes);
}

class z80_depacker : public testing::TestWithParam<int> {
  protected:
    const routine_info& info() const { return routines[GetParam()]; }
};

TEST_P(z80_depacker, unpacks_edge_streams_and_keeps_the_contract) {
    const routine_info& r = info();
    const bytes routine = routine_bytes(r);
    ASSERT_FALSE(routine.empty()) << r.binary;
    for (const test_stream& t : edge_streams(r.f)) {
        SCOPED_TRACE(t.name);
        ASSERT_FALSE(t.packed.empty());
        const z80_call c = apart(routine, t);
        ASSERT_TRUE(fits(c));
        expect_contract(r, c, t, run_z80(c));
    }
}

// Only relative jumps: the routine runs wherever it is loaded.
TEST_P(z80_depacker, runs_at_any_address) {
    const routine_info& r = info();
    const auto streams = edge_streams(r.f);
    const test_stream& t = streams.back();
    z80_call c = apart(routine_bytes(r), t);
    c.routine_at = 0xFF80;
    ASSERT_TRUE(fits(c));
    const z80_result res = run_z80(c);
    ASSERT_TRUE(res.returned);
    EXPECT_TRUE(res.output == t.original);
}

// With the least margin no stream byte is overwritten before it is read; with one byte less
// one is, so the margin the tests compute is the least that works.
TEST_P(z80_depacker, unpacks_in_place_with_the_least_margin) {
    const routine_info& r = info();
    const bytes routine = routine_bytes(r);
    for (const test_stream& t : edge_streams(r.f)) {
        SCOPED_TRACE(t.name);
        const int m = in_place_margin(r.f, t.packed);
        const z80_call c = in_place(routine, t, m);
        ASSERT_TRUE(fits(c));
        const z80_result res = run_z80(c);
        expect_contract(r, c, t, res);
        EXPECT_EQ(res.early_overwrites, 0);
        if (t.original.empty()) continue;
        const z80_result tight = run_z80(in_place(routine, t, m - 1));
        EXPECT_GT(tight.early_overwrites, 0) << "margin " << m;
    }
}

// The corpus at a distance and in place; the T-states of the distant runs give the speed.
TEST_P(z80_depacker, unpacks_the_corpus_and_states_its_measured_figures) {
    const routine_info& r = info();
    const bytes routine = routine_bytes(r);
    const auto corpus = corpus_streams(r.f, corpus_cut);
    ASSERT_GE(corpus.size(), 20u);
    uint64_t t_states = 0, out_bytes = 0;
    int widest_margin = 0;
    for (const test_stream& t : corpus) {
        SCOPED_TRACE(t.name);
        ASSERT_FALSE(t.packed.empty());
        const z80_call c = apart(routine, t);
        ASSERT_TRUE(fits(c));
        const z80_result res = run_z80(c);
        expect_contract(r, c, t, res);
        t_states += res.t_states;
        out_bytes += t.original.size();
        const int m = in_place_margin(r.f, t.packed);
        widest_margin = std::max(widest_margin, m);
        const z80_call ip = in_place(routine, t, m);
        ASSERT_TRUE(fits(ip));
        const z80_result res_ip = run_z80(ip);
        expect_contract(r, ip, t, res_ip);
        EXPECT_EQ(res_ip.early_overwrites, 0);
    }
    const int size = int(routine.size());
    const double speed = double(t_states) / double(out_bytes);
    std::printf("%s: %d bytes, %.1f T-states per output byte over %zu files (%llu bytes), "
                "in-place margins up to %d\n",
                r.source, size, speed, corpus.size(), (unsigned long long)out_bytes, widest_margin);
    expect_figures_stated(r.source, size, speed, "T-states", "LDIR: 21 T-states");
}

std::string routine_name(const testing::TestParamInfo<int>& p) {
    return format_name(routines[p.param].f);
}

INSTANTIATE_TEST_SUITE_P(z80, z80_depacker, testing::Values(0, 1), routine_name);

// A stream that ends at once writes nothing and takes the few instructions it runs.
TEST(z80_depacker_cost, end_mark_alone_takes_the_instructions_it_runs) {
    // KTA: ld b,0 7, ld a,(hl) 7, inc hl 6, srl a 8, ret z 11. KTB: ld b,0 7, ld 7, inc 6,
    // or a 4, ret z 11.
    const int expected[] = {39, 35};
    for (int k = 0; k < 2; ++k) {
        const test_stream t{"end", {}, {0}};
        const z80_result res = run_z80(apart(routine_bytes(routines[k]), t));
        ASSERT_TRUE(res.returned);
        EXPECT_EQ(res.t_states, uint64_t(expected[k])) << routines[k].source;
    }
}

} // namespace
