// The stream writer against the reader: every item written under every kind of model reads
// back as the same token, the reader takes exactly the bits the item's code counts, and it
// stands after each item exactly where the writer ended it (what the in-place margin rests
// on). Hand-laid cases pin the bit layout and the items no form exists for.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "bit_strings.h"
#include "decode_token.h"
#include "format_table.h"
#include "item_code.h"
#include "packed_writer.h"

namespace {

std::vector<pack_model> models_with_widths() {
    std::vector<pack_model> models;
    for (const compression_type_row& row : compression_types) {
        const int type = row.type;
        for (int coding : {1, 2, 7}) models.push_back({type, coding, 0, 0});
        for (int w : {1, 3, 7}) models.push_back({type, 4, w, 0});
        for (int w : {1, 4, 16, 30}) models.push_back({type, 5, w, 0});
        for (auto [a, b] : {std::pair{1, 1}, {4, 12}, {15, 1}, {2, 16}, {30, 30}})
            models.push_back({type, 6, a, b});
    }
    return models;
}

uint32_t pick(std::mt19937& rng, uint32_t lo, uint32_t hi) {
    return std::uniform_int_distribution<uint32_t>(lo, hi)(rng);
}

// Largest offset the coding reaches, held below 65536 as the packer's inputs are.
uint32_t reach_of(const pack_model& m) {
    uint32_t hi = 0;
    for (uint32_t d = 65535; d >= 1 && hi == 0; d = d > 4096 ? d - 4096 : d - 1) {
        item_code c;
        if (code_offset(m, d, c)) hi = d;
    }
    return hi;
}

TEST(stream_writer, every_item_reads_back_with_its_bits_and_end_position) {
    std::mt19937 rng(8);
    int items = 0;
    for (const pack_model& m : models_with_widths()) {
        for (int round = 0; round < 30; ++round) {
            std::vector<uint8_t> buf(1 << 16);
            stream_writer w;
            start_stream(w, buf.data(), static_cast<int32_t>(buf.size()));
            std::vector<token> written;
            std::vector<int32_t> ends;
            std::vector<int> bits;
            const uint8_t bytes[400] = {};
            uint32_t out = 0;
            if (first_byte_flag(m.type) == 1) {
                put_first_byte(w, 0x5A);
                out = 1;
            }
            const int32_t first_end = w.size;
            // KTR: never a run after a run; a repeat only right after one.
            const bool joined = find_type(m.type)->joined_runs;
            bool after_run = false;
            uint32_t last_offset = 1;
            for (uint32_t t = pick(rng, 1, 30); t > 0; --t) {
                item_code c;
                if ((out == 0 || pick(rng, 0, 2) == 0) && !(joined && after_run)) {
                    uint32_t len = pick(rng, 0, 3) == 0 ? pick(rng, 1, 400) : pick(rng, 1, 9);
                    if (!code_literal_head(m.type, len, c)) continue;
                    ASSERT_TRUE(put_literal_run(w, m, bytes, len));
                    written.push_back({len, 0});
                    bits.push_back(item_bits(c));
                    out += len;
                    after_run = true;
                } else if (joined && after_run && pick(rng, 0, 1) == 0) {
                    const uint32_t len =
                        pick(rng, 0, 5) == 0 ? pick(rng, 1, 65535) : pick(rng, 1, 9);
                    if (!code_repeat_head(m.type, len, c)) continue;
                    ASSERT_TRUE(put_repeat(w, m, len));
                    written.push_back({len, last_offset, true});
                    bits.push_back(item_bits(c));
                    out += len;
                    after_run = false;
                } else {
                    const uint32_t far = std::min(out, reach_of(m));
                    const uint32_t d = pick(rng, 0, 3) == 0 ? far : pick(rng, 1, far);
                    const uint32_t len =
                        pick(rng, 0, 5) == 0 ? pick(rng, 1, 20000) : pick(rng, 1, 20);
                    if (!code_sequence_head(m.type, len, c) || !code_offset(m, d, c)) continue;
                    ASSERT_TRUE(put_sequence(w, m, len, d));
                    written.push_back({len, d});
                    bits.push_back(item_bits(c));
                    out += len;
                    after_run = false;
                    last_offset = d;
                }
                ends.push_back(w.size);
            }
            item_code end;
            ASSERT_TRUE(code_end_mark(m.type, end));
            ASSERT_TRUE(put_end_mark(w, m));
            ASSERT_FALSE(w.overflow);

            stream_cursor cur;
            reset_cursor(cur, buf.data(), w.size);
            cur.pos = first_end;
            for (size_t i = 0; i < written.size(); ++i, ++items) {
                const uint32_t before = cur.overhead_bits;
                token t;
                ASSERT_EQ(decode_token(cur, m, t).error, decode_error::none);
                ASSERT_EQ(t.length, written[i].length) << m.type << m.coding << " item " << i;
                ASSERT_EQ(t.offset, written[i].offset) << m.type << m.coding << " item " << i;
                ASSERT_EQ(t.repeat, written[i].repeat) << m.type << m.coding << " item " << i;
                ASSERT_EQ(static_cast<int>(cur.overhead_bits - before), bits[i]);
                ASSERT_EQ(cur.pos, ends[i] - (t.offset == 0 ? static_cast<int32_t>(t.length) : 0))
                    << "the reader took a byte the writer had not yet laid down, or the reverse";
                if (t.offset == 0) cur.pos += static_cast<int32_t>(t.length);
            }
            const uint32_t before = cur.overhead_bits;
            token t;
            ASSERT_EQ(decode_token(cur, m, t).error, decode_error::none);
            ASSERT_EQ(t.length, 0u) << "end mark";
            ASSERT_EQ(static_cast<int>(cur.overhead_bits - before), item_bits(end));
            ASSERT_EQ(cur.pos, w.size);
        }
    }
    EXPECT_GT(items, 5000);
}

struct laid_case {
    const char* what;
    pack_model model;
    std::vector<token> tokens; // literal bytes are 'a', 'b', ... in order
    std::string expected;      // bits and bytes: "01..." bit patterns, "[xx]" a whole byte
};

// Renders a case's expectation as bytes: bit fields fill bit bytes as they appear.
std::vector<uint8_t> lay_out(const std::string& text) {
    std::vector<uint8_t> out;
    int free_bits = 0;
    size_t bit_byte = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '[') {
            out.push_back(static_cast<uint8_t>(std::stoi(text.substr(i + 1, 2), nullptr, 16)));
            i += 3;
        } else if (ch == '0' || ch == '1') {
            if (free_bits == 0) {
                bit_byte = out.size();
                out.push_back(0);
                free_bits = 8;
            }
            --free_bits;
            if (ch == '1') out[bit_byte] |= static_cast<uint8_t>(1u << free_bits);
        }
    }
    return out;
}

TEST(stream_writer, hand_laid_streams) {
    const std::vector<laid_case> cases = {
        {"KTA: control bytes and offset bytes",
         {1, 1, 0, 0},
         {{2, 0}, {3, 2}},
         "[04][61][62][07][02][00]"},
        {"KTB: long count form from 64 on, long offset from 128",
         {2, 2, 0, 0},
         {{1, 0}, {64, 1}, {300, 1}},
         "[01][61][C0][40][01][C1][2C][01][00]"},
        {"ZX7: first byte, literal bit, gamma length, 16 zeros and a 1 to end",
         {3, 5, 2, 0},
         {{1, 0}, {2, 1}},
         "[61] 1 [62] 0 1 00 "
         "0 0000000000000000 1"},
        {"BLK: gamma then kind bit; a bit byte opened after a literal byte lies behind it",
         {4, 7, 0, 0},
         {{1, 0}, {4, 1}},
         "1 1 [61] 011 0 1 00000000 000000001"},
        {"TS1: 1110 + gamma with 2 extra bits; end 1111 + 13 zeros + 1",
         {5, 5, 3, 0},
         {{1, 0}, {5, 2}},
         "[61] 0 [62] 1110 101 001 1111 0000000000000 1"},
        {"TS1: literal run of 8 is 1111 + gamma with 3 extra bits",
         {5, 1, 0, 0},
         {{8, 0}},
         "[61] 1111 1000 [62][63][64][65][66][67][68][69] 1111 0000000000000 1"},
        {"KTR: flag 0 and interlaced gamma for a run; after it flag 0 is a repeat (offset 1 "
         "before any sequence); flag 1, gamma of length - 1, then the offset; end: flag 1 and "
         "sixteen pairs 10",
         {6, 1, 0, 0},
         {{2, 0}, {3, 1, true}, {5, 2}, {1, 0}, {2, 2, true}},
         "[61] 0 100 [62][63] 0 110 1 10100 [02] 0 0 [64] 0 100 "
         "1 10101010101010101010101010101010"},
        {"coding 4: class bits then (class + 1) * width bits above the class base",
         {1, 4, 2, 0},
         {{6, 0}, {1, 6}},
         "[0C][61][62][63][64][65][66][03] 01 0001 [00]"},
        {"coding 6: flag 0 for the far part",
         {1, 6, 1, 2},
         {{4, 0}, {1, 4}},
         "[08][61][62][63][64][03] 0 01 [00]"},
        {"coding 7: offset as a gamma code",
         {2, 7, 0, 0},
         {{5, 0}, {2, 5}},
         "[05][61][62][63][64][65][42] 00101 [00]"},
    };
    for (const laid_case& c : cases) {
        std::vector<uint8_t> buf(256);
        stream_writer w;
        start_stream(w, buf.data(), static_cast<int32_t>(buf.size()));
        const uint8_t letters[] = "abcdefghijklmnop";
        int next = 0;
        if (first_byte_flag(c.model.type) == 1) put_first_byte(w, letters[next++]);
        for (const token& t : c.tokens) {
            if (t.offset == 0) {
                ASSERT_TRUE(put_literal_run(w, c.model, letters + next, t.length)) << c.what;
                next += static_cast<int>(t.length);
            } else if (t.repeat) {
                ASSERT_TRUE(put_repeat(w, c.model, t.length)) << c.what;
            } else {
                ASSERT_TRUE(put_sequence(w, c.model, t.length, t.offset)) << c.what;
            }
        }
        ASSERT_TRUE(put_end_mark(w, c.model)) << c.what;
        EXPECT_EQ(std::vector<uint8_t>(buf.begin(), buf.begin() + w.size), lay_out(c.expected))
            << c.what;
    }
}

TEST(item_code, values_without_a_form) {
    struct no_form {
        const char* what;
        bool coded;
    };
    item_code c;
    const pack_model c1{1, 1, 0, 0}, c2{1, 2, 0, 0}, c4{1, 4, 1, 0}, c5{1, 5, 3, 0}, c6{1, 6, 2, 3},
        c7{1, 7, 0, 0};
    const no_form cases[] = {
        {"KTA literal run of 0", code_literal_head(type_kta, 0, c)},
        {"KTA literal run of 128", code_literal_head(type_kta, 128, c)},
        {"KTB literal run of 16384", code_literal_head(type_ktb, 16384, c)},
        {"ZX7 literal run of 2", code_literal_head(type_zx7, 2, c)},
        {"TS1 literal run of 2", code_literal_head(type_ts1, 2, c)},
        {"TS1 literal run of 7", code_literal_head(type_ts1, 7, c)},
        {"BLK literal run of 65536", code_literal_head(type_blk, 65536, c)},
        {"KTA sequence of 128", code_sequence_head(type_kta, 128, c)},
        {"ZX7 sequence of 1", code_sequence_head(type_zx7, 1, c)},
        {"ZX7 sequence of 65537", code_sequence_head(type_zx7, 65537, c)},
        {"BLK sequence of 1", code_sequence_head(type_blk, 1, c)},
        {"TS1 sequence of 1", code_sequence_head(type_ts1, 1, c)},
        {"TS1 sequence of 65536", code_sequence_head(type_ts1, 65536, c)},
        {"offset 0", code_offset(c7, 0, c)},
        {"coding 1 offset 256", code_offset(c1, 256, c)},
        {"coding 2 offset 32768", code_offset(c2, 32768, c)},
        {"coding 4 width 1 offset 31", code_offset(c4, 31, c)},
        {"coding 5 width 3 offset 9", code_offset(c5, 9, c)},
        {"coding 6 widths 2, 3 offset 13", code_offset(c6, 13, c)},
        {"coding 7 offset 65536", code_offset(c7, 65536, c)},
        {"coding 4 width 8", code_offset({1, 4, 8, 0}, 1, c)},
        {"coding 5 width 0", code_offset({1, 5, 0, 0}, 1, c)},
        {"coding 6 width 31", code_offset({1, 6, 31, 1}, 1, c)},
        {"coding 3", code_offset({1, 3, 0, 0}, 1, c)},
        {"KTR literal run of 0", code_literal_head(type_ktr, 0, c)},
        {"KTR literal run of 65536", code_literal_head(type_ktr, 65536, c)},
        {"KTR sequence of 1", code_sequence_head(type_ktr, 1, c)},
        {"KTR sequence of 65537", code_sequence_head(type_ktr, 65537, c)},
        {"KTR repeat of 0", code_repeat_head(type_ktr, 0, c)},
        {"KTR repeat of 65536", code_repeat_head(type_ktr, 65536, c)},
        {"a repeat under BLK", code_repeat_head(type_blk, 3, c)},
        {"type 7", code_end_mark(7, c)},
    };
    for (const no_form& f : cases) EXPECT_FALSE(f.coded) << f.what;
}

TEST(item_code, bits_of_items) {
    struct bits_case {
        const char* what;
        int bits;
        int expected;
    };
    auto lit = [](int type, uint32_t len) {
        item_code c;
        return code_literal_head(type, len, c) ? item_bits(c) : -1;
    };
    auto seq = [](int type, uint32_t len) {
        item_code c;
        return code_sequence_head(type, len, c) ? item_bits(c) : -1;
    };
    auto off = [](pack_model m, uint32_t d) {
        item_code c;
        return code_offset(m, d, c) ? item_bits(c) : -1;
    };
    auto end = [](int type) {
        item_code c;
        return code_end_mark(type, c) ? item_bits(c) : -1;
    };
    const bits_case cases[] = {
        {"KTB run 63", lit(2, 63), 8},
        {"KTB run 64", lit(2, 64), 16},
        {"BLK run 1", lit(4, 1), 2},
        {"BLK run 65535", lit(4, 65535), 32},
        {"TS1 run 8", lit(5, 8), 8},
        {"TS1 run 16", lit(5, 16), 10},
        {"ZX7 seq 2", seq(3, 2), 2},
        {"ZX7 seq 65536", seq(3, 65536), 32},
        {"BLK seq 3", seq(4, 3), 4},
        {"TS1 seq 2", seq(5, 2), 2},
        {"TS1 seq 3", seq(5, 3), 3},
        {"TS1 seq 4", seq(5, 4), 7},
        {"TS1 seq 8", seq(5, 8), 9},
        {"KTA end", end(1), 8},
        {"ZX7 end", end(3), 18},
        {"BLK end", end(4), 17},
        {"TS1 end", end(5), 18},
        {"coding 2 127", off({1, 2, 0, 0}, 127), 8},
        {"coding 2 128", off({1, 2, 0, 0}, 128), 16},
        {"coding 4 w3 8", off({1, 4, 3, 0}, 8), 5},
        {"coding 4 w3 9", off({1, 4, 3, 0}, 9), 8},
        {"coding 4 w3 4680", off({1, 4, 3, 0}, 4680), 14},
        {"coding 5 w16", off({1, 5, 16, 0}, 65535), 16},
        {"coding 6 4/12 16", off({1, 6, 4, 12}, 16), 5},
        {"coding 6 4/12 17", off({1, 6, 4, 12}, 17), 13},
        {"coding 6 15/1 32770", off({1, 6, 15, 1}, 32770), 2},
        {"coding 7 1", off({1, 7, 0, 0}, 1), 1},
        {"coding 7 65535", off({1, 7, 0, 0}, 65535), 31},
    };
    for (const bits_case& b : cases) EXPECT_EQ(b.bits, b.expected) << b.what;
}

TEST(stream_writer, full_buffer_is_reported) {
    uint8_t buf[3];
    stream_writer w;
    start_stream(w, buf, 3);
    const uint8_t bytes[4] = {1, 2, 3, 4};
    put_literal_run(w, {1, 1, 0, 0}, bytes, 4);
    EXPECT_TRUE(w.overflow);
    EXPECT_EQ(w.size, 3);
}

} // namespace
