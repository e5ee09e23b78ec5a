// The Z80 routine of every type and offset coding, written by the specialiser as KtuPack writes
// it, assembled by both assemblers and run under z80ex: edge streams and the corpus at a
// distance and in place, the calling contract, and the size and speed each routine states.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>

#include "format_table.h"
#include "ktupack_written.h"
#include "model_streams.h"
#include "published_figures.h"
#include "routine_text.h"
#include "test_streams.h"
#include "z80_assemble.h"
#include "z80_machine.h"

namespace {

constexpr size_t corpus_cut = 30000;
constexpr uint16_t guard = 16;

struct combination {
    int type, coding;
};

// ctest's names show the model, not the parameter's bytes.
void PrintTo(const combination& c, std::ostream* os) { *os << "-t" << c.type << c.coding; }

std::vector<combination> all_combinations() {
    std::vector<combination> v;
    for (int type = 1; type <= compression_type_count; ++type)
        for (int coding : {1, 2, 4, 5, 6, 7}) v.push_back({type, coding});
    return v;
}

std::vector<pack_model> tested_models(const combination& c) {
    return tested_width_models(c.type, c.coding);
}

// The widths whose figures the README and the headers state: what suits files of the corpus's
// sizes (coding 4 with 4 reaches 69904, coding 5 with 12 a 4 KiB window, coding 6 a short
// 64 and a long 16 KiB reach).
pack_model measured_model(const combination& c) {
    const int w1 = c.coding == 4 ? 4 : c.coding == 5 ? 12 : c.coding == 6 ? 6 : 0;
    return {c.type, c.coding, w1, c.coding == 6 ? 14 : 0};
}

pack_model_desc desc(const pack_model& m) { return {m.type, m.coding, m.offset1, m.offset2}; }

std::string routine_text(const pack_model& m) {
    std::string text, error;
    EXPECT_TRUE(specialise_routine(routine_template(target_cpu::z80, m.type), desc(m), text, error))
        << error;
    return text;
}

// What the header promises of the stack: "; two bytes of stack besides its return address".
int stated_stack_bytes(const std::string& text) {
    const char* words[] = {"two", "four", "six", "eight", "ten"};
    for (int k = 0; k < 5; ++k)
        if (text.find(std::string("; ") + words[k] + " bytes of stack") != std::string::npos)
            return 2 * (k + 1);
    return -1;
}

struct built {
    bytes code;
    int stack_bytes = 0;
    std::string text;
};

built build(const pack_model& m, uint16_t org = 0) {
    built b;
    b.text = routine_text(m);
    std::string error;
    EXPECT_TRUE(assemble_z80(z80_assembler::pasmo, b.text, org, b.code, error)) << error;
    b.stack_bytes = stated_stack_bytes(b.text);
    EXPECT_GT(b.stack_bytes, 0) << "no stack figure in the header";
    return b;
}

z80_call apart(const built& b, const model_stream& t, uint16_t routine_at = 0) {
    z80_call c;
    c.routine = b.code;
    c.routine_at = routine_at;
    c.stream = t.packed;
    c.stream_at = z80_free_from;
    c.out_at = uint16_t(z80_free_from + t.packed.size() + guard);
    c.out_len = uint32_t(t.original.size());
    return c;
}

z80_call in_place(const built& b, const model_stream& t, int margin) {
    const long n = long(t.original.size()), p = long(t.packed.size());
    z80_call c;
    c.routine = b.code;
    c.stream = t.packed;
    c.out_at = uint16_t(z80_free_from + guard + std::max(0L, p - n - margin));
    c.stream_at = uint16_t(c.out_at + n + margin - p);
    c.out_len = uint32_t(n);
    return c;
}

bool fits(const z80_call& c) {
    return uint32_t(c.out_at) + c.out_len + guard <= 0xFFF0u &&
           c.stream_at + c.stream.size() + guard <= 0xFFF0u;
}

void expect_contract(const built& b, const z80_call& c, const model_stream& t,
                     const z80_result& r) {
    ASSERT_TRUE(r.returned);
    EXPECT_TRUE(r.output == t.original);
    EXPECT_EQ(r.de, uint16_t(c.out_at + t.original.size()));
    EXPECT_EQ(r.hl, uint16_t(c.stream_at + t.packed.size()));
    EXPECT_EQ(r.sp, z80_stack_top);
    EXPECT_TRUE(r.kept_registers);
    EXPECT_EQ(r.stray_writes, 0);
    EXPECT_TRUE(r.rest_unchanged);
    EXPECT_LE(r.stack_bytes, b.stack_bytes);
}

std::string model_name(const pack_model& m) { return routine_entry_name(desc(m)); }

bool tools_missing(std::string& why) {
    if (!z80_emulator_available())
        why = "the z80ex library was not found at build time";
    else if (assembler_path(z80_assembler::pasmo).empty())
        why = "pasmo not found";
    else if (assembler_path(z80_assembler::z80asm).empty())
        why = "z80asm not found";
    return !why.empty();
}

class z80_model : public testing::TestWithParam<combination> {
  protected:
    void SetUp() override {
        std::string why;
        if (tools_missing(why)) GTEST_SKIP() << why;
    }
};

// What KtuPack writes assembles unchanged, to the same bytes, with either assembler.
TEST_P(z80_model, assembles_to_the_same_bytes_with_pasmo_and_z80asm) {
    for (const pack_model& m : tested_models(GetParam())) {
        SCOPED_TRACE(model_name(m));
        const std::string text = routine_text(m);
        bytes a, b;
        std::string error;
        ASSERT_TRUE(assemble_z80(z80_assembler::pasmo, text, 0, a, error)) << error << text;
        ASSERT_TRUE(assemble_z80(z80_assembler::z80asm, text, 0, b, error)) << error << text;
        EXPECT_TRUE(a == b);
        EXPECT_EQ(text.find("org"), std::string::npos);
        EXPECT_NE(text.find(model_name(m) + ":"), std::string::npos);
    }
}

TEST_P(z80_model, unpacks_edge_streams_apart_and_in_place) {
    int deepest = 0, stated = 0;
    for (const pack_model& m : tested_models(GetParam())) {
        SCOPED_TRACE(model_name(m));
        const built b = build(m);
        ASSERT_FALSE(b.code.empty());
        stated = b.stack_bytes;
        for (const model_stream& t : model_edge_streams(m)) {
            SCOPED_TRACE(t.name);
            ASSERT_FALSE(t.packed.empty()) << "the grammar could not lay this stream";
            const z80_call c = apart(b, t);
            if (fits(c)) expect_contract(b, c, t, run_z80(c));
            const z80_call ip = in_place(b, t, t.margin);
            ASSERT_TRUE(fits(ip));
            const z80_result r = run_z80(ip);
            expect_contract(b, ip, t, r);
            EXPECT_EQ(r.early_overwrites, 0);
            deepest = std::max(deepest, r.stack_bytes);
            // One byte less and a stream byte is overwritten before it is read.
            if (t.original.empty() || t.margin < 1) continue;
            const z80_result tight = run_z80(in_place(b, t, t.margin - 1));
            EXPECT_GT(tight.early_overwrites, 0) << "margin " << t.margin;
        }
    }
    // The headers state the deepest the stack goes over all widths, not a bound above it.
    EXPECT_EQ(deepest, stated);
}

// Assembled elsewhere, the routine runs the same: a user's own org.
TEST_P(z80_model, runs_where_it_is_assembled) {
    const pack_model m = tested_models(GetParam()).back();
    const built b = build(m, 0xE000);
    const auto streams = model_edge_streams(m);
    const auto it = std::find_if(streams.begin(), streams.end(), [](const model_stream& s) {
        return s.name == "lengths_and_overlaps";
    });
    ASSERT_NE(it, streams.end());
    const model_stream& t = *it;
    const z80_call c = apart(b, t, 0xE000);
    ASSERT_LT(c.out_at + c.out_len, 0xE000u);
    const z80_result r = run_z80(c);
    ASSERT_TRUE(r.returned);
    EXPECT_TRUE(r.output == t.original);
}

// The goals the routines were built against: at most so many bytes and T-states per byte.
struct goal {
    int size;
    double speed;
};

bool has_goal(const combination& c, goal& g) {
    if (c.type == type_ktr)
        g = {72, 85};
    else if (c.type == type_kta && c.coding == 1)
        g = {27, 27.6};
    else if (c.type == type_ktb && c.coding == 2)
        g = {51, 32.1};
    else if (c.type <= type_ktb)
        g = {72, 90};
    else if (c.coding == 4 || c.coding == 6)
        g = {80, 110};
    else
        g = {64, 90};
    return c.type > type_ktb || c.coding > 2 || c.type == c.coding;
}

// The README's last cell says whether the measured figures meet the goal.
void expect_goal_stated(const combination& c, const std::string& entry, int size, double speed) {
    const std::string cell =
        readme_table_cell(read_text(KT_SOURCE_DIR "/README.md"), "Routine (Z80)", entry, 3);
    goal g;
    if (!has_goal(c, g)) {
        EXPECT_EQ(cell, "none (new)");
        return;
    }
    const bool met = size <= g.size && speed <= g.speed + 0.05;
    const std::string verdict = met ? ": met" : ": missed";
    EXPECT_TRUE(cell.size() > verdict.size() &&
                cell.compare(cell.size() - verdict.size(), verdict.size(), verdict) == 0)
        << entry << ": the README's goal cell \"" << cell << "\" should end with \"" << verdict
        << "\"";
}

// KTA and KTB keep their own packers' streams, on which their routines were first measured;
// every other model takes the universal packer's.
model_stream corpus_stream(const pack_model& m, const named_file& f) {
    if ((m.type != type_kta || m.coding != 1) && (m.type != type_ktb || m.coding != 2))
        return pack_for_model(m, f);
    const format fmt = m.type == type_kta ? format::kta : format::ktb;
    model_stream t{f.name, f.data, pack_with_packer(fmt, f.data), 0};
    if (!t.packed.empty()) t.margin = in_place_margin(fmt, t.packed);
    return t;
}

const std::vector<named_file>& corpus() {
    static const std::vector<named_file> files = corpus_files(corpus_cut);
    return files;
}

// The corpus at a distance and in place; the T-states of the distant runs give the speed that
// the README and the routine's header state.
TEST_P(z80_model, unpacks_the_corpus_and_states_its_measured_figures) {
    const pack_model m = measured_model(GetParam());
    const built b = build(m);
    ASSERT_GE(corpus().size(), 20u);
    uint64_t t_states = 0, out_bytes = 0;
    for (const named_file& f : corpus()) {
        SCOPED_TRACE(f.name);
        const model_stream t = corpus_stream(m, f);
        ASSERT_FALSE(t.packed.empty());
        const z80_call c = apart(b, t);
        ASSERT_TRUE(fits(c));
        const z80_result r = run_z80(c);
        expect_contract(b, c, t, r);
        t_states += r.t_states;
        out_bytes += t.original.size();
        const z80_call ip = in_place(b, t, t.margin);
        ASSERT_TRUE(fits(ip));
        const z80_result r_ip = run_z80(ip);
        expect_contract(b, ip, t, r_ip);
        EXPECT_EQ(r_ip.early_overwrites, 0);
    }
    const int size = int(b.code.size());
    const double speed = double(t_states) / double(out_bytes);
    const std::string name = model_name(m);
    std::printf("%s: %d bytes, %.1f T-states per output byte\n", name.c_str(), size, speed);
    expect_model_figures_stated("Routine (Z80)", name, b.text, size, speed, "T-states");
    expect_goal_stated(GetParam(), name, size, speed);
}

// Routines of several models in one program, as a user with several kinds of data has them:
// their labels must not clash, under either assembler.
TEST(z80_models, assemble_together_in_one_program) {
    std::string why;
    if (tools_missing(why)) GTEST_SKIP() << why;
    std::string program = "        ld hl,0x9000\n        ld de,0xA000\n";
    std::string routines;
    for (const combination& c : all_combinations())
        for (const pack_model& m : tested_models(c)) {
            program += "        call " + model_name(m) + "\n";
            routines += routine_text(m);
        }
    program += "        ret\n" + routines;
    bytes a, b;
    std::string error;
    ASSERT_TRUE(assemble_z80(z80_assembler::pasmo, program, 0x8000, a, error)) << error;
    ASSERT_TRUE(assemble_z80(z80_assembler::z80asm, program, 0x8000, b, error)) << error;
    EXPECT_TRUE(a == b);
}

std::string combination_name(const testing::TestParamInfo<combination>& p) {
    return "t" + std::to_string(p.param.type) + std::to_string(p.param.coding);
}

INSTANTIATE_TEST_SUITE_P(z80, z80_model, testing::ValuesIn(all_combinations()), combination_name);

} // namespace

namespace fs = std::filesystem;

// The routine a user gets is the one tested: KtuPack -rz80 writes a stream and its routine,
// the routine is assembled as it was written, and run on the stream.
TEST(z80_ktupack, the_written_routine_unpacks_the_written_stream) {
    std::string why;
    if (tools_missing(why)) GTEST_SKIP() << why;
    const std::vector<std::vector<std::string>> runs = {{"-rz80"},
                                                        {"-rz80", "-t35o4"},
                                                        {"-rz80", "-t56o4o12"},
                                                        {"-rz80", "-t22"},
                                                        {"-rz80", "-t66o5o12"}};
    const std::vector<named_file> files = corpus_files(4000);
    ASSERT_FALSE(files.empty());
    int n = 0;
    for (const std::vector<std::string>& options : runs) {
        const named_file& f = files[size_t(n++ * 5) % files.size()];
        SCOPED_TRACE(f.name + " " + options.back());
        const fs::path dir = fs::temp_directory_path() / ("kt_z80_ktupack_" + std::to_string(n));
        fs::remove_all(dir);
        fs::create_directories(dir);
        ktupack_written w;
        ASSERT_TRUE(run_ktupack_in(dir, "data.bin", f.data, options, w)) << w.messages;
        fs::remove_all(dir);
        bytes code;
        std::string error;
        ASSERT_TRUE(assemble_z80(z80_assembler::pasmo, w.routine, 0, code, error)) << error;
        EXPECT_NE(w.routine.find(w.entry + ":"), std::string::npos);
        z80_call c;
        c.routine = code;
        c.stream = w.stream;
        c.stream_at = z80_free_from;
        c.out_at = uint16_t(z80_free_from + w.stream.size() + 16);
        c.out_len = uint32_t(f.data.size());
        const z80_result r = run_z80(c);
        ASSERT_TRUE(r.returned);
        EXPECT_TRUE(r.output == f.data);
        EXPECT_EQ(r.stray_writes, 0);
    }
}
