// The specialiser on small templates of its own: which lines each model keeps, what "@" and
// "{EXPR}" become, the errors a broken template gives, and the size table's lookups.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "format_table.h"
#include "routine_size.h"
#include "routine_text.h"

namespace {

std::string run(std::string_view tmpl, pack_model_desc m) {
    std::string out, error;
    EXPECT_TRUE(specialise_routine(tmpl, m, out, error)) << error;
    return out;
}

std::string fails(std::string_view tmpl, pack_model_desc m = {3, 4, 4, 0}) {
    std::string out, error;
    EXPECT_FALSE(specialise_routine(tmpl, m, out, error)) << tmpl;
    return error;
}

TEST(routine_text, names_the_entry_by_the_model_tag) {
    const struct {
        pack_model_desc m;
        const char* name;
    } cases[] = {
        {{1, 1, 0, 0}, "depack_t11"},         {{2, 2, 0, 0}, "depack_t22"},
        {{3, 5, 4, 0}, "depack_t35o4"},       {{5, 6, 4, 12}, "depack_t56o4o12"},
        {{4, 7, 0, 0}, "depack_t47"},         {{3, 4, 7, 0}, "depack_t34o7"},
        {{2, 6, 15, 16}, "depack_t26o15o16"}, {{6, 1, 0, 0}, "depack_t61"},
        {{6, 6, 8, 13}, "depack_t66o8o13"},
    };
    for (const auto& c : cases) EXPECT_EQ(routine_entry_name(c.m), c.name);
    const pack_model_desc outside[] = {{0, 1, 0, 0}, {7, 1, 0, 0},  {3, 3, 0, 0},  {3, 4, 8, 0},
                                       {3, 4, 0, 0}, {3, 5, 17, 0}, {3, 6, 16, 4}, {3, 6, 4, 17},
                                       {3, 1, 4, 0}, {3, 5, 4, 4}};
    for (const auto& m : outside) {
        EXPECT_EQ(routine_entry_name(m), "");
        EXPECT_NE(fails("x\n", m), "");
    }
}

TEST(routine_text, keeps_the_lines_whose_conditions_hold) {
    const char* tmpl = "a\n"
                       ";#if t3 t5\n"
                       "first\n"
                       ";#if o4\n"
                       "four\n"
                       ";#elif o5 o6\n"
                       "five_six\n"
                       ";#else\n"
                       "other\n"
                       ";#endif\n"
                       ";#elif t4 o7\n"
                       "blk_gamma\n"
                       ";#elif ! t1\n"
                       "not_kta\n"
                       ";#else\n"
                       "kta\n"
                       ";#endif\n"
                       "  ;; a note for the template only\n"
                       "z";
    const struct {
        pack_model_desc m;
        const char* out;
    } cases[] = {
        {{3, 4, 1, 0}, "a\nfirst\nfour\nz"},  {{5, 6, 1, 1}, "a\nfirst\nfive_six\nz"},
        {{3, 7, 0, 0}, "a\nfirst\nother\nz"}, {{4, 7, 0, 0}, "a\nblk_gamma\nz"},
        {{4, 4, 2, 0}, "a\nnot_kta\nz"},      {{2, 7, 0, 0}, "a\nnot_kta\nz"},
        {{1, 7, 0, 0}, "a\nkta\nz"},          {{1, 1, 0, 0}, "a\nkta\nz"},
    };
    for (const auto& c : cases) EXPECT_EQ(run(tmpl, c.m), c.out) << routine_entry_name(c.m);
}

// A width test joins the type and coding words: all the kinds present must hold.
TEST(routine_text, keeps_the_lines_whose_width_tests_hold) {
    const char* tmpl = ";#if t5 {W1 > 8}\n"
                       "wide\n"
                       ";#elif ! {W2 == W1} {W2 == 0}\n"
                       "unequal\n"
                       ";#else\n"
                       "other\n"
                       ";#endif\n"
                       "z";
    const struct {
        pack_model_desc m;
        const char* out;
    } cases[] = {
        {{5, 5, 9, 0}, "wide\nz"},    {{5, 5, 8, 0}, "other\nz"},    {{3, 5, 12, 0}, "other\nz"},
        {{5, 6, 9, 3}, "wide\nz"},    {{5, 6, 8, 3}, "unequal\nz"},  {{5, 6, 4, 4}, "other\nz"},
        {{4, 6, 12, 12}, "other\nz"}, {{4, 6, 12, 2}, "unequal\nz"}, {{5, 7, 0, 0}, "other\nz"},
    };
    for (const auto& c : cases) EXPECT_EQ(run(tmpl, c.m), c.out) << routine_entry_name(c.m);
}

TEST(routine_text, replaces_the_entry_name_and_expressions) {
    const char* tmpl = "@:\n@_loop: ld b,{W1*2} ; {W2} {T}{C}\n"
                       "  .byte {(1<<W1)&255}, {-3+10/3%2}, {~0}, {!W2}, {W1>3 ? 7 : 8}\n"
                       "{1+2*3} {(1+2)*3} {1<<2+1} {8>>1>>1} {6&3|8^1} {1<3==1} {2>=2&&0||1}\n"
                       "{0x10} {W2 != 0} {5-1-1} {-(2)} {+4} {7%4} {1 ? 2 : 0 ? 3 : 4}";
    EXPECT_EQ(run(tmpl, {3, 6, 4, 12}), "depack_t36o4o12:\ndepack_t36o4o12_loop: ld b,8 ; 12 36\n"
                                        "  .byte 16, -2, -1, 0, 7\n"
                                        "7 9 8 2 11 1 1\n"
                                        "16 1 3 -2 4 3 2");
    EXPECT_EQ(run("{W1} {W2}", {2, 5, 9, 0}), "9 0");
    EXPECT_EQ(run("{W1} {W2}", {2, 7, 0, 0}), "0 0");
}

TEST(routine_text, refuses_a_broken_template) {
    const char* broken[] = {
        ";#if t3\nx\n", // no endif
        ";#endif\n",    // endif alone
        ";#else\n",     // else alone
        ";#if t3\n;#else\n;#else\n;#endif\n",
        ";#if t3\n;#else\n;#elif o4\n;#endif\n",
        ";#if\n;#endif\n",       // empty condition
        ";#if x3\n;#endif\n",    // unknown word
        ";#if t\n;#endif\n",     // no number
        ";#if {W1\n;#endif\n",   // unclosed width test
        ";#if {W3}\n;#endif\n",  // unknown name in one
        ";#ifdef t3\n;#endif\n", // unknown directive
        ";#else t3\n",           // text after else (and no if)
        "{W1\n",                 // unclosed
        "{W3}\n",                // unknown name
        "{1/0}\n",
        "{5%(W2)}\n",
        "{1<<63}\n",
        "{(1+2}\n",
        "{1 2}\n",
        "{}\n",
        "{1?2}\n",
    };
    for (const char* t : broken) EXPECT_NE(fails(t), "") << t;
    EXPECT_NE(fails("ok\n;#if t3\n;#else junk\n;#endif\n").find("line 3"), std::string::npos);
    // Dropped lines are not read: a line for other models only may use what this one lacks.
    EXPECT_EQ(run(";#if t1\n{W3}\n;#endif\nk", {3, 4, 4, 0}), "k");
}

// Each CPU's table covers the models of the search set the CPU has routines for: 1,330 models
// of types 1 to 5, and KTR's 266 where it has KTR's template; nothing else has a size.
void expect_sizes_of_the_search_set(target_cpu cpu) {
    {
        int count = 0;
        for (int type = 1; type <= compression_type_count; ++type)
            for (int coding = 1; coding <= max_format_number; ++coding)
                for (int w1 = 0; w1 <= 16; ++w1)
                    for (int w2 = 0; w2 <= 16; ++w2) {
                        const pack_model_desc m{type, coding, w1, w2};
                        const int size = routine_size(cpu, m);
                        EXPECT_EQ(size >= 1, routine_model_known(cpu, m)) << routine_entry_name(m);
                        count += size >= 1;
                    }
        const bool ktr = !routine_template(cpu, type_ktr).empty();
        EXPECT_EQ(count, ktr ? 1596 : 1330);
        EXPECT_EQ(routine_size(cpu, {3, 3, 0, 0}), -1);
        EXPECT_EQ(routine_size(cpu, {6, 4, 3, 0}) >= 1, ktr);
        EXPECT_EQ(routine_size(cpu, {6, 4, 8, 0}), -1);
    }
}

TEST(routine_size, holds_every_z80_model_of_the_search_set) {
    if (routine_template(target_cpu::z80, type_zx7).empty())
        GTEST_SKIP() << "no Z80 template in the tree";
    expect_sizes_of_the_search_set(target_cpu::z80);
}

TEST(routine_size, holds_every_6502_model_of_the_search_set) {
    if (routine_template(target_cpu::m6502, type_zx7).empty())
        GTEST_SKIP() << "no 6502 template in the tree";
    expect_sizes_of_the_search_set(target_cpu::m6502);
}

} // namespace

namespace {

std::string file_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string model_text(target_cpu cpu, const pack_model_desc& m) {
    std::string out, error;
    EXPECT_TRUE(specialise_routine(routine_template(cpu, m.type), m, out, error)) << error;
    return out;
}

// Every model of the table states, in its own header, the size the table gives it: the figure
// a user reads is the one KtuPack counts.
TEST(routine_size, every_z80_header_states_the_size_of_the_table) {
    if (routine_template(target_cpu::z80, type_zx7).empty())
        GTEST_SKIP() << "no Z80 template in the tree";
    int checked = 0;
    for (int type = 1; type <= compression_type_count; ++type)
        for (int coding : {1, 2, 4, 5, 6, 7})
            for (int w1 = 0; w1 <= 16; ++w1)
                for (int w2 = 0; w2 <= 16; ++w2) {
                    const pack_model_desc m{type, coding, w1, w2};
                    if (!routine_model_known(target_cpu::z80, m)) continue;
                    const std::string text = model_text(target_cpu::z80, m);
                    const auto at = text.find("; Size: ");
                    ASSERT_NE(at, std::string::npos) << routine_entry_name(m);
                    EXPECT_EQ(std::atoi(text.c_str() + at + 8), routine_size(target_cpu::z80, m))
                        << routine_entry_name(m);
                    ++checked;
                }
    EXPECT_EQ(checked, 1596);
}

// The KTA and KTB files users take from the tree are the routines KtuPack writes for -t11, -t22.
TEST(routine_text, kta_and_ktb_files_are_the_written_routines) {
    if (routine_template(target_cpu::z80, type_zx7).empty())
        GTEST_SKIP() << "no Z80 template in the tree";
    EXPECT_EQ(file_text(KT_SOURCE_DIR "/depackers/z80/kta.asm"),
              model_text(target_cpu::z80, {1, 1, 0, 0}));
    EXPECT_EQ(file_text(KT_SOURCE_DIR "/depackers/z80/ktb.asm"),
              model_text(target_cpu::z80, {2, 2, 0, 0}));
}

} // namespace
