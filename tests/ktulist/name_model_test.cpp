// The pack model, first-byte flag and output names read from file names, checked on the
// values the file loop receives (the messages are checked end to end in cli_test).
#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

#include "name_messages.h"
#include "name_model.h"
#include "output_name.h"

namespace {

struct name_row {
    const char* arg;
    int type, coding, offset1, offset2;
    bool first_byte;
    const char* depack_name; // with the default extension
    const char* strip_name;
};

const name_row accepted[] = {
    {"game-t35o4.bin", 3, 5, 4, 0, true, "game-t35o4.out", "game.out"},
    {"x-t46o3o7.dat", 4, 6, 3, 7, false, "x-t46o3o7.out", "x.out"},
    {"x-t56o4o12.dat", 5, 6, 4, 12, true, "x-t56o4o12.out", "x.out"},
    {"my-file-t24o5.bin", 2, 4, 5, 0, false, "my-file-t24o5.out", "my-file.out"},
    {"music-t17.prg", 1, 7, 0, 0, false, "music-t17.out", "music.out"},
    {"x-t11.kta", 1, 1, 0, 0, false, "x-t11.out", "x.out"},
    {"demo.kta", 1, 1, 0, 0, false, "demo.out", "demo.out"},
    {"DEMO.KTB", 2, 2, 0, 0, false, "DEMO.out", "DEMO.out"},
    {"a.kta", 1, 1, 0, 0, false, "a.kta.out", "a.kta.out"},
    {"A.KtA", 1, 1, 0, 0, false, "A.KtA.out", "A.KtA.out"},
    {"x-t22.kta", 2, 2, 0, 0, false, "x-t22.out", "x.out"},
    {"x-t45o+8", 4, 5, 8, 0, false, "x-t45o+8.out", "x.out"},
    {"x-t45o 8", 4, 5, 8, 0, false, "x-t45o 8.out", "x.out"},
    {"x-t45o8o9", 4, 5, 8, 0, false, "x-t45o8o9.out", "x.out"},
    {"x-t46o3o7.datas", 4, 6, 3, 7, false, "x-t46o3o7.datas.out", "x.out"},
    {"x-t26o1o2o3.bin", 2, 6, 1, 2, false, "x-t26o1o2o3.out", "x.out"},
    {"x-t26o12o5", 2, 6, 12, 5, false, "x-t26o12o5.out", "x.out"},
    // Numbers too large for int wrap as atoi gives them; a minus sign would be a dash.
    {"x-t15o4294967295.bin", 1, 5, -1, 0, false, "x-t15o4294967295.out", "x.out"},
    {"x-t15o2147483648.bin", 1, 5, INT_MIN, 0, false, "x-t15o2147483648.out", "x.out"},
    {"dir-a/x-t32.bin", 3, 2, 0, 0, true, "dir-a/x-t32.out", "dir-a/x.out"},
    {"dir-a/b.ktb", 2, 2, 0, 0, false, "dir-a/b.out", "dir-a/b.out"},
    {"x-t11.tar.gz", 1, 1, 0, 0, false, "x-t11.tar.out", "x.out"},
    {"-t11.kta", 1, 1, 0, 0, false, "-t11.out", "-t11.out"},
    {"nodot.ktb", 2, 2, 0, 0, false, "nodot.out", "nodot.out"},
};

void PrintTo(const name_row& r, std::ostream* os) { *os << r.arg; }

class name_model_accepted : public testing::TestWithParam<name_row> {};

TEST_P(name_model_accepted, gives_model_and_output_names) {
    const name_row& r = GetParam();
    name_model m;
    ASSERT_EQ(model_from_name(r.arg, m).error, name_error::none);
    EXPECT_EQ(m.model.type, r.type);
    EXPECT_EQ(m.model.coding, r.coding);
    EXPECT_EQ(m.model.offset1, r.offset1);
    EXPECT_EQ(m.model.offset2, r.offset2);
    EXPECT_EQ(m.first_byte, r.first_byte);
    EXPECT_EQ(output_name(r.arg, m.base_end, "out"), r.depack_name);
    EXPECT_EQ(output_name(r.arg, m.strip_cut, "out"), r.strip_name);
}

INSTANTIATE_TEST_SUITE_P(names, name_model_accepted, testing::ValuesIn(accepted));

struct refused_row {
    const char* arg;
    const char* message;
};

// Beyond the refusals of the end-to-end name table.
const refused_row refused[] = {
    {"x-t38.bin", "Unknown offset coding 8 for file x-t38.bin\n"},
    {"x-t45o", "Cannot determine offset1 for file x-t45o\n"},
    {"x-t45x8", "Cannot determine offset1 for file x-t45x8\n"},
    {"x-t46o3o0.bin", "Cannot determine offset2 for file x-t46o3o0.bin\n"},
    {"x-t46o3o", "Cannot determine offset2 for file x-t46o3o\n"},
    {".kta", "Cannot determine compress type for file .kta\n"},
    {"x-tA1.bin", "Unknown compress type 17 for file x-tA1.bin\n"},
    {"x-t91.bin", "Unknown compress type 9 for file x-t91.bin\n"},
    {"x-t15o-3.bin", "Cannot determine compress type for file x-t15o-3.bin\n"},
    {"x-T11.bin", "Cannot determine compress type for file x-T11.bin\n"},
};

void PrintTo(const refused_row& r, std::ostream* os) { *os << r.arg; }

class name_model_refused : public testing::TestWithParam<refused_row> {};

TEST_P(name_model_refused, prints_why) {
    name_model m;
    const name_status s = model_from_name(GetParam().arg, m);
    EXPECT_NE(s.error, name_error::none);
    testing::internal::CaptureStdout();
    print_name_error(GetParam().arg, s);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(names, name_model_refused, testing::ValuesIn(refused));

TEST(output_name, takes_the_extension_unchanged) {
    EXPECT_EQ(output_name("demo.kta", 4, ""), "demo.");
    EXPECT_EQ(output_name("demo.kta", 4, ".bin"), "demo..bin");
    EXPECT_EQ(output_name("demo.kta", 4, "bin"), "demo.bin");
}

} // namespace
