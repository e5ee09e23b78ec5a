// The header's model description for every type and coding, with the dots that line up
// the column, and the overhead rounding of the statistics line.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

#include "listing_lines.h"

namespace {

struct describe_row {
    pack_model model;
    const char* text;
};

const describe_row descriptions[] = {
    {{1, 1, 0, 0}, "KTA offset 1 byte ....... "},
    {{2, 2, 0, 0}, "KTB offset 2 bytes ...... "},
    {{3, 4, 4, 0}, "ZX7 4 offs: 4 8 12 16 ... "},
    {{4, 5, 9, 0}, "BLK fixed offset  9 ..... "},
    {{5, 6, 4, 12}, "TS1 two offsets  4 12 ... "},
    {{1, 7, 0, 0}, "KTA elias-gama offset ... "},
    {{0, 3, 0, 0}, "??? (unknown) ........... "},
    {{6, 4, 2, 0}, "KTR 4 offs: 2 4 6 8 ..... "},
    {{7, 9, 0, 0}, "??? (unknown) ........... "},
    // 19, 20 and 21 characters: one dot, none, and still none.
    {{2, 4, 10, 0}, "KTB 4 offs: 10 20 30 40 . "},
    {{2, 6, 10, 12345}, "KTB two offsets 10 12345  "},
    {{2, 6, 10, 123456}, "KTB two offsets 10 123456  "},
    {{2, 4, 100, 0}, "KTB 4 offs: 100 200 300 400  "},
    {{1, 4, INT_MAX, 0}, "KTA 4 offs: 2147483647 4294967294 2147483645 4294967292  "},
    {{1, 5, -2, 0}, "KTA fixed offset 4294967294  "},
    {{1, 6, 1, -1}, "KTA two offsets  1 4294967295  "},
};

void PrintTo(const describe_row& r, std::ostream* os) { *os << r.text; }

class describe_model_text : public testing::TestWithParam<describe_row> {};

TEST_P(describe_model_text, prints_label_text_and_dots) {
    testing::internal::CaptureStdout();
    describe_model(GetParam().model);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(models, describe_model_text, testing::ValuesIn(descriptions));

TEST(stats_line, rounds_overhead_bits_up_to_bytes) {
    const std::pair<uint32_t, const char*> rows[] = {
        {0, "Overhead: 0     (0 bits)"},
        {8, "Overhead: 1     (8 bits)"},
        {9, "Overhead: 2     (9 bits)"},
        {31, "Overhead: 4     (31 bits)"},
        {UINT32_MAX, "Overhead: 536870912 (4294967295 bits)"},
    };
    for (const auto& [bits, tail] : rows) {
        file_stats s;
        s.overhead_bits = bits;
        testing::internal::CaptureStdout();
        print_stats_line("f", s);
        const std::string line = testing::internal::GetCapturedStdout();
        EXPECT_EQ(line,
                  "f                                     0 => 0      NumSek: 0     Packed: 0      "
                  "NoPack: 0      " +
                      std::string(tail) + "\n");
    }
}

TEST(pending_line, shows_at_most_sixteen_bytes_from_its_unpack) {
    uint8_t out[40];
    for (int i = 0; i < 40; ++i) out[i] = static_cast<uint8_t>(i);
    pending_line line{20, 7, 3};
    testing::internal::CaptureStdout();
    print_pending_line(line, out);
    print_pending_line(line, out); // cleared by the first call: prints nothing
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Pack:    +7   Unpack:    +3  ...  Unpacked ... Length: 20         Data:  "
              "03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 ...\n");
    EXPECT_EQ(line.length, 0u);
}

} // namespace
