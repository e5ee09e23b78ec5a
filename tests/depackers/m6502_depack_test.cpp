// The 6502 depackers run under sim65 through the driver on edge streams and on the bench
// corpus, at a distance from their stream and in place; the tests measure their sizes and
// cycles and hold the README table and the routines' comment blocks against them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "m6502_runner.h"
#include "published_figures.h"
#include "test_streams.h"

namespace {

#define SKIP_WITHOUT_CC65()                                                                        \
    if (have_cc65()) {                                                                             \
    } else                                                                                         \
        GTEST_SKIP() << "cc65 (cl65, ca65, ld65, sim65) not found: no 6502 runs"

// Bench corpus files are cut here, so that stream, output and driver fit in 64 KiB together.
constexpr size_t corpus_cut = 30000;
constexpr long guard = 16; // $A5 bytes kept around the output and the stream

struct routine_info {
    format f;
    const char* source; // path in the tree
    const char* binary; // linked alone by depackers/CMakeLists.txt
    const char* entry;
    int old_size;     // the routine before the naming rule and the decimal flag's clearing,
    double old_speed; // measured on the same streams (with the decimal flag clear)
};

const routine_info routines[] = {
    {format::kta, "depackers/6502/kta.s", KT_DEPACKERS_BIN "/6502/kta.bin", "depack_t11", 75,
     23.03},
    {format::ktb, "depackers/6502/ktb.s", KT_DEPACKERS_BIN "/6502/ktb.bin", "depack_t22", 119,
     28.87},
};

m6502_routine source_path(const routine_info& r) {
    const std::string path = std::string(KT_SOURCE_DIR "/") + r.source;
    return {path, r.entry, stated_zero_page(read_text(path))};
}

m6502_layout apart(const test_stream& t) {
    const long n = long(t.original.size()), p = long(t.packed.size());
    m6502_layout at;
    at.stream_at = guard;
    at.out_at = guard + p + guard;
    at.out_len = n;
    at.area_len = at.out_at + n + guard;
    return at;
}

m6502_layout in_place(const test_stream& t, int margin) {
    const long n = long(t.original.size()), p = long(t.packed.size());
    m6502_layout at;
    at.out_at = guard + std::max(0L, p - n - margin);
    at.stream_at = at.out_at + n + margin - p;
    at.out_len = n;
    at.area_len = std::max(at.out_at + n, at.stream_at + p) + guard;
    return at;
}

// Builds and runs the checking run of one placement; the driver's status.
int check(const routine_info& r, const test_stream& t, const m6502_layout& at) {
    scratch_folder dir;
    m6502_bench b(dir.path);
    if (!build_driver(b, source_path(r), t.packed, at)) {
        ADD_FAILURE() << b.log;
        return -1;
    }
    const int status = run_check(b, t.original);
    if (status != driver_ok) ADD_FAILURE() << "driver status " << status << "\n" << b.log;
    return status;
}

class m6502_depacker : public testing::TestWithParam<int> {
  protected:
    const routine_info& info() const { return routines[GetParam()]; }
};

TEST_P(m6502_depacker, unpacks_edge_streams_apart_and_in_place) {
    SKIP_WITHOUT_CC65();
    const routine_info& r = info();
    for (const test_stream& t : edge_streams(r.f)) {
        SCOPED_TRACE(t.name);
        ASSERT_FALSE(t.packed.empty());
        EXPECT_EQ(check(r, t, apart(t)), driver_ok);
        EXPECT_EQ(check(r, t, in_place(t, in_place_margin(r.f, t.packed))), driver_ok);
    }
}

TEST_P(m6502_depacker, unpacks_the_corpus_and_states_its_measured_figures) {
    SKIP_WITHOUT_CC65();
    const routine_info& r = info();
    const auto corpus = corpus_streams(r.f, corpus_cut);
    ASSERT_GE(corpus.size(), 20u);
    long long cycles = 0, out_bytes = 0;
    for (const test_stream& t : corpus) {
        SCOPED_TRACE(t.name);
        ASSERT_FALSE(t.packed.empty());
        scratch_folder dir;
        m6502_bench b(dir.path);
        ASSERT_TRUE(build_driver(b, source_path(r), t.packed, apart(t))) << b.log;
        ASSERT_EQ(run_check(b, t.original), driver_ok) << b.log;
        const long long c = call_cycles(b);
        ASSERT_GT(c, 0) << b.log;
        cycles += c;
        out_bytes += static_cast<long long>(t.original.size());
        EXPECT_EQ(check(r, t, in_place(t, in_place_margin(r.f, t.packed))), driver_ok);
    }
    const int size = int(read_text(r.binary).size());
    ASSERT_GT(size, 0) << r.binary;
    const double speed = double(cycles) / double(out_bytes);
    std::printf("%s: %d bytes, %.2f cycles per output byte over %zu files (%lld bytes)\n", r.source,
                size, speed, corpus.size(), out_bytes);
    expect_figures_stated(r.source, size, speed, "cycles", "page copy: 16 cycles");
    EXPECT_LE(size, r.old_size) << "larger than the routine of old";
    EXPECT_LE(speed, r.old_speed + 0.005) << "slower than the routine of old";
}

std::string routine_name(const testing::TestParamInfo<int>& p) {
    return format_name(routines[p.param].f);
}

INSTANTIATE_TEST_SUITE_P(m6502, m6502_depacker, testing::Values(0, 1), routine_name);

// The driver's checks themselves: a wrong or short original, output ending where it was not
// expected and a stream read to somewhere else than its end are each reported by their status.
TEST(m6502_driver, reports_each_kind_of_difference) {
    SKIP_WITHOUT_CC65();
    const test_stream t = edge_streams(format::kta)[3]; // a literal run of 127 bytes
    scratch_folder dir;
    m6502_bench b(dir.path);
    ASSERT_TRUE(build_driver(b, source_path(routines[0]), t.packed, apart(t))) << b.log;
    EXPECT_EQ(run_check(b, t.original), driver_ok);
    std::vector<uint8_t> wrong = t.original;
    wrong[100] ^= 1;
    EXPECT_EQ(run_check(b, wrong), driver_bad_data);
    EXPECT_EQ(run_check(b, std::vector<uint8_t>(t.original.begin(), t.original.end() - 1)),
              driver_bad_length);
    // Told to expect one byte more, the driver finds depack_dst one short.
    m6502_layout at = apart(t);
    ++at.out_len;
    ++at.area_len;
    ASSERT_TRUE(build_driver(b, source_path(routines[0]), t.packed, at)) << b.log;
    EXPECT_EQ(run_check(b, t.original), driver_bad_end);
    // Told that the routine owns only its two pointers, the driver finds its copy pointer
    // changed: a zero-page byte outside the routine's.
    const test_stream seq = edge_streams(format::kta)[4]; // sequences, which set the pointer
    m6502_routine fewer = source_path(routines[0]);
    fewer.zp_len = 4;
    ASSERT_TRUE(build_driver(b, fewer, seq.packed, apart(seq))) << b.log;
    EXPECT_EQ(run_check(b, seq.original), driver_changed_zero_page);
    // A byte after the end mark is not read, so depack_src stops one short of the data's end.
    std::vector<uint8_t> longer = t.packed;
    longer.push_back(0x55);
    ASSERT_TRUE(build_driver(b, source_path(routines[0]), longer, apart(t))) << b.log;
    EXPECT_EQ(run_check(b, t.original), driver_bad_src);
    // A routine that runs away and leaves main by its own way out, with 0 as main's status,
    // never reaches the checks: only the missing copy of the output tells.
    write_file(dir.path / "runaway.s", ".export runaway\n.exportzp runaway_src, runaway_dst\n"
                                       ".zeropage\nrunaway_src: .res 2\nrunaway_dst: .res 2\n"
                                       ".code\nrunaway: pla\n pla\n lda #0\n tax\n rts\n");
    const m6502_routine runaway{(dir.path / "runaway.s").string(), "runaway", 4};
    ASSERT_TRUE(build_driver(b, runaway, t.packed, apart(t))) << b.log;
    EXPECT_EQ(run_check(b, t.original), driver_no_echo);
}

// A stream that ends at once costs the few instructions the routine runs for it; page
// crossings may add a cycle to a taken branch.
TEST(m6502_driver, measures_the_end_mark_alone_as_its_instructions) {
    SKIP_WITHOUT_CC65();
    // KTA: cld 2, ldy 2, lda (zp),y 5, inc 5, bne 3, lsr 2, beq 3, rts 6. KTB: cld 2, ldy 2,
    // jsr 6, lda 5, inc 5, bne 3, cmp 2, rts 6, beq 3, rts 6.
    const long long expected[] = {28, 40};
    for (int k = 0; k < 2; ++k) {
        const test_stream t{"end", {}, {0}};
        scratch_folder dir;
        m6502_bench b(dir.path);
        ASSERT_TRUE(build_driver(b, source_path(routines[k]), t.packed, apart(t))) << b.log;
        const long long c = call_cycles(b);
        EXPECT_GE(c, expected[k]) << routines[k].source;
        EXPECT_LE(c, expected[k] + 2) << routines[k].source;
    }
}

} // namespace
