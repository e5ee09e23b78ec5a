// The listing header's names for a model: the type label and the offset coding's text.
#include <gtest/gtest.h>

#include <string>

#include "listing_lines.h"

namespace {

struct text_case {
    pack_model model;
    const char* label;
    const char* text;
};

TEST(pack_model_texts, header_texts) {
    const text_case cases[] = {
        {{1, 1, 0, 0}, "KTA", "offset 1 byte"},
        {{2, 2, 0, 0}, "KTB", "offset 2 bytes"},
        {{3, 4, 4, 0}, "ZX7", "4 offs: 4 8 12 16"},
        {{4, 5, 3, 0}, "BLK", "fixed offset  3"},
        {{5, 6, 4, 12}, "TS1", "two offsets  4 12"},
        {{5, 6, 123, 4567}, "TS1", "two offsets 123 4567"},
        {{1, 7, 0, 0}, "KTA", "elias-gama offset"},
        {{1, 5, -1, 0}, "KTA", "fixed offset 4294967295"},
        {{0, 3, 0, 0}, "???", "(unknown)"},
        {{6, 1, 0, 0}, "KTR", "offset 1 byte"},
        {{7, 8, 0, 0}, "???", "(unknown)"},
    };
    for (const text_case& c : cases) {
        char buf[64];
        int n = offset_coding_text(buf, sizeof buf, c.model);
        EXPECT_STREQ(compression_label(c.model.type), c.label);
        EXPECT_STREQ(buf, c.text);
        EXPECT_EQ(n, static_cast<int>(std::string(c.text).size()));
    }
    char small[8];
    EXPECT_EQ(offset_coding_text(small, sizeof small, {1, 4, 1000, 0}),
              27); // "4 offs: 1000 2000 3000 4000"
    EXPECT_STREQ(small, "4 offs:");
}

} // namespace
