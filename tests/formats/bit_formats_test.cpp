// The bit reader, the ZX7, BLK and TS1 grammars and offset codings 4 to 7 on hand-laid bits.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "bit_reader.h"
#include "bit_strings.h"
#include "decode_token.h"
#include "format_table.h"

namespace {

struct gamma_case {
    std::string bits;
    int extra;
    uint32_t value;
    uint32_t bits_read;
};

TEST(bit_reader, gamma) {
    const gamma_case cases[] = {
        {"1", 0, 1, 1},
        {"010", 0, 2, 3},
        {"011", 0, 3, 3},
        {"00100", 0, 4, 5},
        {zeros(16) + "1", 0, 0, 17},
        {zeros(18) + "0", 0, 0, 19},
        {zeros(18) + "1", 0, 0, 19},
        {zeros(15) + "1" + ones(15), 0, 65535, 31},
        {zeros(15) + "1" + zeros(15), 0, 32768, 31},
        {"100", 2, 4, 3},
        {"01000", 2, 8, 5},
        {"111", 2, 7, 3},
        {"1000", 3, 8, 4},
        {zeros(13) + "1" + zeros(15), 2, 32768, 29},
        {zeros(13) + "1" + ones(15), 2, 65535, 29},
        {zeros(14) + "1", 2, 0, 15},
        {zeros(16) + "0", 2, 0, 17},
        {zeros(13) + "1", 3, 0, 14},
    };
    for (const gamma_case& c : cases) {
        std::vector<uint8_t> data = bits_to_bytes(c.bits, 8);
        stream_cursor cur;
        reset_cursor(cur, data.data(), static_cast<int32_t>(data.size()));
        EXPECT_EQ(read_gamma(cur, c.extra), c.value) << c.bits << " extra " << c.extra;
        EXPECT_EQ(cur.overhead_bits, c.bits_read) << c.bits << " extra " << c.extra;
        EXPECT_EQ(cur.pos, static_cast<int32_t>((c.bits_read + 7) / 8)) << c.bits;
    }
}

TEST(bit_reader, bit_bytes_interleave_with_whole_bytes) {
    // Bit byte A5 is taken on the first bit; the whole byte 77 read after three bits comes from
    // the next position; the remaining five bits still come from A5; the ninth bit takes 3C.
    const std::vector<uint8_t> data = {0xA5, 0x77, 0x3C};
    stream_cursor cur;
    reset_cursor(cur, data.data(), 3);
    EXPECT_EQ(read_bits(cur, 3), 0b101u);
    EXPECT_EQ(cur.pos, 1);
    EXPECT_EQ(read_byte(cur), 0x77);
    EXPECT_EQ(read_bits(cur, 5), 0b00101u);
    EXPECT_EQ(cur.pos, 2);
    EXPECT_EQ(read_bit(cur), 0);
    EXPECT_EQ(cur.pos, 3);
    EXPECT_EQ(read_bits(cur, 7), 0b0111100u);
    EXPECT_EQ(cur.overhead_bits, 3u + 8 + 5 + 1 + 7);
    EXPECT_EQ(read_bits(cur, 0), 0u);
    EXPECT_EQ(read_bits(cur, -5), 0u);
    EXPECT_EQ(cur.pos, 3);
    // Past the data the bits are zeros.
    EXPECT_EQ(read_bits(cur, 12), 0u);
    EXPECT_EQ(cur.pos, 5);
}

TEST(bit_reader, widths_beyond_the_formats) {
    const std::vector<uint8_t> ff = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const std::vector<uint8_t> one = {0x00, 0x00, 0x00, 0x00, 0x01};
    stream_cursor cur;
    reset_cursor(cur, ff.data(), 5);
    EXPECT_EQ(read_bits(cur, 32), 0xFFFFFFFFu);
    reset_cursor(cur, ff.data(), 5);
    EXPECT_EQ(read_bits(cur, 40), bits_ceiling) << "held, not wrapped";
    reset_cursor(cur, one.data(), 5);
    EXPECT_EQ(read_bits(cur, 40), 1u) << "high zero bits keep the value exact";
    // A huge width past the data ends at once, with the position and count it would reach.
    reset_cursor(cur, one.data(), 5);
    EXPECT_EQ(read_bits(cur, 8000000003), bits_ceiling);
    EXPECT_EQ(cur.pos, 1000000001);
    EXPECT_EQ(cur.overhead_bits, static_cast<uint32_t>(8000000003ULL));
    reset_cursor(cur, one.data(), 4);
    EXPECT_EQ(read_bits(cur, INT_MAX), 0u);
    EXPECT_EQ(cur.pos, static_cast<int32_t>((int64_t{INT_MAX} + 7) / 8));
    // After a skip the reader goes on exactly as bit by bit would: 3 bits into a new byte.
    std::vector<uint8_t> two = {0x80};
    stream_cursor a;
    stream_cursor b;
    reset_cursor(a, two.data(), 1);
    reset_cursor(b, two.data(), 1);
    EXPECT_EQ(read_bits(a, 1), 1u);
    EXPECT_EQ(read_bits(b, 1), 1u);
    read_bits(a, 70);
    for (int i = 0; i < 70; ++i) read_bit(b);
    EXPECT_EQ(a.pos, b.pos);
    EXPECT_EQ(a.bit_buf & 0xFF, b.bit_buf & 0xFF);
    EXPECT_EQ(a.overhead_bits, b.overhead_bits);
}

struct offset_case {
    const char* what;
    int coding;
    int offset1;
    int offset2;
    std::string bits;
    uint32_t offset;
    uint32_t bits_read;
};

TEST(offset_codings, read_offsets) {
    const offset_case cases[] = {
        {"classes, class 0", 4, 4, 0, "00 0000", 1, 6},
        {"classes, 20 in class 1", 4, 4, 0, "01 00000011", 20, 10},
        {"classes, last of class 1", 4, 4, 0, "01 11111111", 272, 10},
        {"classes, first of class 2", 4, 4, 0, "10 000000000000", 273, 14},
        {"classes, first of class 3", 4, 4, 0, "11" + zeros(16), 4369, 18},
        {"classes, largest", 4, 4, 0, "11" + ones(16), 69904, 18},
        {"fixed, one bit 0", 5, 1, 0, "0", 1, 1},
        {"fixed, one bit 1", 5, 1, 0, "1", 2, 1},
        {"fixed, 12 bits", 5, 12, 0, "111111111111", 4096, 12},
        {"two, short", 6, 4, 8, "1 0000", 1, 5},
        {"two, short largest", 6, 4, 8, "1 1111", 16, 5},
        {"two, long", 6, 4, 8, "0 00000000", 17, 9},
        {"two, long largest", 6, 4, 8, "0 11111111", 272, 9},
        {"gamma", 7, 0, 0, "00100", 4, 5},
        {"gamma overlong gives 0", 7, 0, 0, zeros(16) + "1", 0, 17},
        {"classes, width 8 fits 32 bits", 4, 8, 0, "11" + ones(32), 0xFFFFFFFF, 34},
        {"fixed, width 32 of ones", 5, 32, 0, ones(32), 0xFFFFFFFF, 32},
        {"fixed, width 40 small value", 5, 40, 0, zeros(38) + "11", 4, 40},
        {"fixed, negative width reads nothing", 5, -3, 0, "1", 1, 0},
        {"two, negative short width", 6, -2, 3, "0 101", 6, 4},
        {"classes, negative width", 4, -1, 0, "11", 1, 2},
    };
    for (const offset_case& c : cases) {
        std::vector<uint8_t> data = bits_to_bytes(c.bits, 8);
        stream_cursor cur;
        reset_cursor(cur, data.data(), static_cast<int32_t>(data.size()));
        const pack_model model{type_zx7, c.coding, c.offset1, c.offset2};
        const uint32_t got = find_coding(c.coding)->read(cur, model);
        EXPECT_EQ(got, c.offset) << c.what;
        EXPECT_EQ(cur.overhead_bits, c.bits_read) << c.what;
    }
}

} // namespace
