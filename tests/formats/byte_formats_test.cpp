// KTA and KTB token reading through decode_token: tokens, failures with their values, and
// cursor counts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode_token.h"

namespace {

struct decoded {
    std::vector<token> tokens; // every token up to and including the end mark or failure
    decode_status result;
    int32_t pos = 0;
    uint32_t overhead_bits = 0;
};

// Decodes tokens the way the lister's loop does: literal bytes are stepped over.
decoded decode_all(const std::vector<uint8_t>& bytes, pack_model model) {
    decoded d;
    stream_cursor cur;
    reset_cursor(cur, bytes.data(), static_cast<int32_t>(bytes.size()));
    while (cur.pos < cur.size) {
        token t;
        d.result = decode_token(cur, model, t);
        if (d.result.error != decode_error::none) break;
        d.tokens.push_back(t);
        if (t.length == 0) break;
        if (t.offset == 0) cur.pos += static_cast<int32_t>(t.length);
    }
    d.pos = cur.pos;
    d.overhead_bits = cur.overhead_bits;
    return d;
}

constexpr pack_model kta{1, 1, 0, 0};
constexpr pack_model ktb{2, 2, 0, 0};

std::vector<std::pair<uint32_t, uint32_t>> pairs(const decoded& d) {
    std::vector<std::pair<uint32_t, uint32_t>> v;
    for (const token& t : d.tokens) v.emplace_back(t.length, t.offset);
    return v;
}

using token_list = std::vector<std::pair<uint32_t, uint32_t>>;

struct stream_case {
    const char* what;
    pack_model model;
    std::vector<uint8_t> bytes;
    token_list tokens; // (length, offset)
    int32_t pos;
    uint32_t overhead_bits;
};

TEST(byte_formats, token_streams) {
    const stream_case cases[] = {
        {"kta run, overlapping sequence, end",
         kta,
         {0x04, 0x41, 0x42, 0x0D, 0x02, 0x00},
         {{2, 0}, {6, 2}, {0, 0}},
         6,
         32},
        {"ktb run, overlapping sequence, end",
         ktb,
         {0x02, 0x41, 0x42, 0x46, 0x02, 0x00},
         {{2, 0}, {6, 2}, {0, 0}},
         6,
         32},
        {"kta largest sequence", kta, {0xFF, 0xFF}, {{127, 255}}, 2, 16},
        {"ktb largest sequence", ktb, {0xFF, 0xFF, 0xFF, 0xFF}, {{16383, 32767}}, 4, 32},
        {"ktb longest literal run control", ktb, {0xBF, 0xFF}, {{16383, 0}}, 16385, 16},
        {"ktb count 64 takes two bytes", ktb, {0xC0, 0x40, 0x80, 0x80}, {{64, 128}}, 4, 32},
        {"ktb count 63 one byte, offset 127 one byte", ktb, {0x7F, 0x7F}, {{63, 127}}, 2, 16},
        {"kta sequence of length 1", kta, {0x03, 0x05}, {{1, 5}}, 2, 16},
        {"ktb two-byte forms of small values", ktb, {0xC0, 0x05, 0x80, 0x05}, {{5, 5}}, 4, 32},
        {"kta zero-count sequence ends the stream", kta, {0x01, 0x07, 0x02}, {{0, 7}}, 2, 16},
        {"ktb literal form 80 00 ends the stream", ktb, {0x80, 0x00, 0x41}, {{0, 0}}, 2, 16},
        {"literal runs decode under any coding",
         pack_model{1, 3, 0, 0},
         {0x02, 0x41, 0x00},
         {{1, 0}, {0, 0}},
         3,
         16},
    };
    for (const stream_case& c : cases) {
        decoded d = decode_all(c.bytes, c.model);
        EXPECT_EQ(d.result.error, decode_error::none) << c.what;
        EXPECT_EQ(pairs(d), c.tokens) << c.what;
        EXPECT_EQ(d.pos, c.pos) << c.what;
        EXPECT_EQ(d.overhead_bits, c.overhead_bits) << c.what;
    }
}

struct failure_case {
    const char* what;
    pack_model model;
    std::vector<uint8_t> bytes;
    decode_error error;
    int value;       // the type or coding named, or the zero offset's coding
    uint32_t length; // zero offset: the sequence's length
    int32_t pos;     // stream position after the failing token's reading
};

TEST(byte_formats, failures) {
    using e = decode_error;
    const failure_case cases[] = {
        {"kta zero offset", kta, {0x02, 0x41, 0x05, 0x00}, e::zero_offset, 1, 2, 4},
        {"ktb zero offset in two bytes", ktb, {0x43, 0x80, 0x00}, e::zero_offset, 2, 3, 3},
        {"zero-count sequence still reads its offset",
         ktb,
         {0xC0, 0x00, 0x00},
         e::zero_offset,
         2,
         0,
         3},
        {"the coding names the format, not the type",
         pack_model{2, 1, 0, 0},
         {0x42, 0x00},
         e::zero_offset,
         1,
         2,
         2},
        // A stream cut short: the byte a token needs past the data fails the token, before a
        // zero offset read from there could.
        {"second control byte past the data", ktb, {0x80}, e::past_end, 0, 0, 2},
        {"second offset byte past the data", ktb, {0x45, 0x80}, e::past_end, 0, 0, 3},
        {"offset past the data, not a zero offset", ktb, {0x45}, e::past_end, 0, 0, 2},
        {"kta offset past the data", kta, {0x02, 0x41, 0x03}, e::past_end, 0, 0, 4},
        {"unknown type", pack_model{9, 1, 0, 0}, {0x02}, e::unknown_type, 9, 0, 0},
        {"coding 3 on a sequence",
         pack_model{1, 3, 0, 0},
         {0x05, 0x01},
         e::unknown_coding,
         3,
         0,
         1},
        {"coding outside 1..7 on a sequence",
         pack_model{2, 8, 0, 0},
         {0x42, 0x01},
         e::unknown_coding,
         8,
         0,
         1},
    };
    for (const failure_case& c : cases) {
        decoded d = decode_all(c.bytes, c.model);
        EXPECT_EQ(d.result.error, c.error) << c.what;
        EXPECT_EQ(d.result.value, c.value) << c.what;
        EXPECT_EQ(d.result.length, c.length) << c.what;
        EXPECT_EQ(d.pos, c.pos) << c.what;
    }
}

TEST(pack_model, lookups) {
    const int first_bytes[] = {-1, 0, 0, 1, 0, 1, 1, -1}; // types 0..7
    const int params[] = {-1, 0, 0, -1, 1, 1, 2, 0, -1};  // codings 0..8
    for (int t = 0; t <= 7; ++t) EXPECT_EQ(first_byte_flag(t), first_bytes[t]) << t;
    for (int c = 0; c <= 8; ++c) EXPECT_EQ(offset_param_count(c), params[c]) << c;
    EXPECT_EQ(first_byte_flag(-3), -1);
    EXPECT_EQ(offset_param_count(-1), -1);
    EXPECT_EQ(offset_param_count(55), -1);
}

} // namespace
